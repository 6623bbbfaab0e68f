// btrIndexCreate and btrIndexDelete: indexes and their segments come and go
// in the restructure record; the Btrieve keys follow at the commit.
#include <cstring>

#include "driver/frame/entry_guard.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "driver/restructure/arrays.h"
#include "driver/restructure/index_edit.h"
#include "driver/restructure/restructure.h"
#include "driver/tables/file_open.h"

namespace vv::driver {
namespace {

constexpr const char* kSegmentContext = "SegmentDelete";

// After field's main index i lost its segment on the field: the index in
// which the field stands at the earliest place (the lowest number first)
// becomes its main index, 0 when there is none.
void MainIndexReplace(OpenFile* file, FieldDesc* field, int32_t i) {
  field->nMainIndex = 0;
  for (int32_t place = 1;; ++place) {
    bool longer = false;
    for (int32_t j = 0; j <= file->nIndexes; ++j) {
      const IndexDesc& index = file->lpIndexes[j];
      if (index.nSegments > place) longer = true;
      if (j == i || index.nSegments < place) continue;
      const FieldDesc* other = index.lpSegments[place].lpField;
      if (other != nullptr && other->nNumber == field->nNumber) {
        field->nMainIndex = j;
        return;
      }
    }
    if (!longer) return;
  }
}

}  // namespace

int16_t mvbtrSegmentDelete(OpenFile* file, int32_t i, int32_t s) {
  if (i < 1 || i > file->nIndexes || file->lpIndexes == nullptr) {
    mvbtrErrorReport(kErrIndexRange, kSegmentContext);
    return mvbtrErrorStatus();
  }
  IndexDesc& index = file->lpIndexes[i];
  if (s < 1 || s > index.nSegments) {
    mvbtrErrorReport(kErrSegmentRange, kSegmentContext);
    return mvbtrErrorStatus();
  }
  // The new array is made first, so that a failure changes nothing.
  SegmentDesc* segments = nullptr;
  if (index.nSegments >= 2) {
    segments =
        ArrayNew<SegmentDesc>(static_cast<std::size_t>(index.nSegments) + 1, kSegmentContext);
    if (segments == nullptr) return mvbtrErrorStatus();
    std::memcpy(segments, index.lpSegments, sizeof(SegmentDesc) * static_cast<std::size_t>(s));
    std::memcpy(&segments[s], &index.lpSegments[s + 1],
                sizeof(SegmentDesc) * static_cast<std::size_t>(index.nSegments - s));
  }
  FieldDesc* field = index.lpSegments[s].lpField;
  if (field != nullptr) index.nKeyLen -= field->nSize;
  mvbtrMemFree(&index.lpSegments);
  index.lpSegments = segments;
  --index.nSegments;
  if (field != nullptr && field->nMainIndex == i) MainIndexReplace(file, field, i);
  if (index.nSegments == 0) {
    index.bRecnumAppended = 0;
    index.bDefined = 0;
    index.nKeyNumber = 0;
  }
  return 0;
}

int16_t mvbtrIndexDelete(OpenFile* file, int32_t i) {
  if (i < 0 || i > file->nIndexes || file->lpIndexes == nullptr) {
    mvbtrErrorReport(kErrIndexRange, "mvbtrIndexDelete");
    return mvbtrErrorStatus();
  }
  for (int32_t s = file->lpIndexes[i].nSegments; s >= 1; --s) {
    if (mvbtrSegmentDelete(file, i, s) != 0) return mvbtrErrorStatus();
  }
  return 0;
}

int32_t mvbtrIndexAdd(OpenFile* file) {
  int32_t n = 1;
  while (n <= file->nIndexes && file->lpIndexes != nullptr && file->lpIndexes[n].nSegments > 0) {
    ++n;
  }
  const int32_t before = file->nIndexes;
  if (n > file->nIndexes && mvbtrIndexAdjustNumber(file, n) != 0) return -1;
  if (mvbtrIndexSetSegmentCount(file, n, 1) != 0) {
    // The slot added for it goes again (its entry stays unused in the array).
    file->nIndexes = before;
    return -1;
  }
  return n;
}

}  // namespace vv::driver

extern "C" {

int32_t VV_CALL btrIndexCreate(int32_t hFile) {
  using namespace vv::driver;
  static constexpr const char* kEntry = "btrIndexCreate";
  return GuardValue<int32_t>(kEntry, -1, [&]() -> int32_t {
    OpenFile* file = mvbtrRestructureGet(hFile, kEntry);
    return file != nullptr ? mvbtrIndexAdd(file) : -1;
  });
}

int16_t VV_CALL btrIndexDelete(int32_t hFile, int32_t index) {
  using namespace vv::driver;
  static constexpr const char* kEntry = "btrIndexDelete";
  return GuardStatus(kEntry, [&]() -> int16_t {
    OpenFile* file = mvbtrRestructureGet(hFile, kEntry);
    return file != nullptr ? mvbtrIndexDelete(file, index) : mvbtrErrorStatus();
  });
}

}  // extern "C"
