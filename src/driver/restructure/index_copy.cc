// Whole index arrays: the copy a restructure starts from, a new table's
// index 0, and growing the array for a new index number.
#include <cstring>

#include "driver/frame/util/memory.h"
#include "driver/restructure/arrays.h"
#include "driver/restructure/index_edit.h"

namespace vv::driver {
namespace {

void IndexesFree(OpenFile* file) {
  for (int32_t i = 0; file->lpIndexes != nullptr && i <= file->nIndexes; ++i) {
    mvbtrMemFree(&file->lpIndexes[i].lpSegments);
    file->lpIndexes[i].nSegments = 0;
  }
  mvbtrMemFree(&file->lpIndexes);
  file->nIndexes = 0;
}

}  // namespace

int16_t mvbtrSegmentCopyAll(OpenFile* target, int32_t targetIndex, const OpenFile* source,
                            int32_t sourceIndex) {
  IndexDesc& to = target->lpIndexes[targetIndex];
  const IndexDesc& from = source->lpIndexes[sourceIndex];
  mvbtrMemFree(&to.lpSegments);
  to.nSegments = 0;
  if (from.nSegments <= 0 || from.lpSegments == nullptr) return 0;
  auto* segments =
      ArrayNew<SegmentDesc>(static_cast<std::size_t>(from.nSegments) + 1, "mvbtrSegmentCopyAll");
  if (segments == nullptr) return mvbtrErrorStatus();
  std::memcpy(segments, from.lpSegments,
              sizeof(SegmentDesc) * (static_cast<std::size_t>(from.nSegments) + 1));
  for (int32_t s = 1; s <= from.nSegments; ++s) {
    FieldDesc*& field = segments[s].lpField;
    if (field == nullptr) continue;
    const int32_t number = field->nNumber;
    field = number >= 0 && number <= target->nFields && target->lpFields != nullptr
                ? &target->lpFields[number]
                : nullptr;
  }
  to.lpSegments = segments;
  to.nSegments = from.nSegments;
  return 0;
}

int16_t mvbtrIndexCopyAll(OpenFile* target, const OpenFile* source) {
  IndexesFree(target);
  if ((source->nIndexes < 1 && source->bRecnumSupport == 0) || source->lpIndexes == nullptr) {
    target->nIndexes = source->nIndexes;
    return 0;
  }
  const int32_t count = source->nIndexes;
  target->lpIndexes = ArrayNew<IndexDesc>(static_cast<std::size_t>(count) + 1, "mvbtrIndexCopyAll");
  if (target->lpIndexes == nullptr) return mvbtrErrorStatus();
  // nIndexes first, so that what is copied so far is freed with the record
  // whatever happens next.
  target->nIndexes = count;
  for (int32_t i = 0; i <= count; ++i) {
    target->lpIndexes[i] = source->lpIndexes[i];
    target->lpIndexes[i].lpSegments = nullptr;
    target->lpIndexes[i].nSegments = 0;
    if (mvbtrSegmentCopyAll(target, i, source, i) != 0) return mvbtrErrorStatus();
  }
  return 0;
}

int16_t mvbtrIndexCreateDefault(OpenFile* file) {
  if (file->nIndexes < 1 || file->lpIndexes == nullptr) {
    auto* indexes = ArrayNew<IndexDesc>(1, "mvbtrIndexCreateDefault");
    if (indexes == nullptr) return mvbtrErrorStatus();
    IndexesFree(file);
    file->lpIndexes = indexes;
  }
  IndexDesc& index0 = file->lpIndexes[0];
  auto* segments = ArrayNew<SegmentDesc>(2, "mvbtrIndexCreateFromDdfSegments");
  if (segments == nullptr) return mvbtrErrorStatus();
  mvbtrMemFree(&index0.lpSegments);
  segments[1].lpField = file->lpFields != nullptr ? &file->lpFields[0] : nullptr;
  index0.lpSegments = segments;
  index0.nSegments = 1;
  index0.nKeyLen = 4;
  index0.nKeyNumber = -1;
  return 0;
}

int16_t mvbtrIndexAdjustNumber(OpenFile* file, int32_t n) {
  if (n <= file->nIndexes && file->lpIndexes != nullptr) return 0;
  auto* indexes = ArrayNew<IndexDesc>(static_cast<std::size_t>(n) + 1, "IndexAdjustNumber");
  if (indexes == nullptr) return mvbtrErrorStatus();
  if (file->lpIndexes != nullptr) {
    std::memcpy(indexes, file->lpIndexes,
                sizeof(IndexDesc) * (static_cast<std::size_t>(file->nIndexes) + 1));
  }
  mvbtrMemFree(&file->lpIndexes);
  file->lpIndexes = indexes;
  file->nIndexes = n;
  return 0;
}

}  // namespace vv::driver
