// What the open derives from a table's indexes once they match the Btrieve
// keys: the record number appended to keys that allow duplicates, and each
// field's main index.
#include <cstring>

#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "driver/tables/file_open.h"

namespace vv::driver {

int16_t mvbtrIndexSetSegmentCount(OpenFile* file, int32_t index, int32_t count) {
  IndexDesc* desc = &file->lpIndexes[index];
  if (desc->nSegments >= count) return 0;
  SegmentDesc* segments = nullptr;
  if (mvbtrMemAlloc(&segments, sizeof(SegmentDesc) * static_cast<std::size_t>(count + 1)) ==
      nullptr) {
    return mvbtrErrorStatus();
  }
  if (desc->lpSegments != nullptr) {
    std::memcpy(segments, desc->lpSegments,
                sizeof(SegmentDesc) * static_cast<std::size_t>(desc->nSegments + 1));
  }
  for (int32_t s = desc->nSegments + 1; s <= count; ++s) {
    segments[s].lpField = &file->lpFields[0];
    segments[s].nKeyFlags |= BTR_KEY_MODIFIABLE | BTR_KEY_EXTENDED_TYPE;
  }
  mvbtrMemFree(&desc->lpSegments);
  desc->lpSegments = segments;
  desc->nSegments = count;
  return 0;
}

int16_t mvbtrIndexAppendRecnum(OpenFile* file) {
  if (file->bRecnumSupport != 0 || file->lpIndexes == nullptr || file->lpFields == nullptr) {
    return 0;
  }
  for (int32_t i = 1; i <= file->nIndexes; ++i) {
    IndexDesc* index = &file->lpIndexes[i];
    if (index->nSegments <= 0) continue;
    bool duplicates = true;
    for (int32_t s = 1; s <= index->nSegments; ++s) {
      duplicates = duplicates && (index->lpSegments[s].nKeyFlags & BTR_KEY_DUPLICATES) != 0;
    }
    if (!duplicates) continue;
    if (mvbtrIndexSetSegmentCount(file, i, index->nSegments + 1) != 0) return mvbtrErrorStatus();
    SegmentDesc* recnum = &index->lpSegments[index->nSegments];
    recnum->nKeyFlags &= static_cast<uint16_t>(~BTR_KEY_DUPLICATES);
    index->bRecnumAppended = 1;
    index->nKeyLen += file->lpFields[0].nSize;
  }
  return 0;
}

void mvbtrFieldSetMainIndexes(OpenFile* file) {
  if (file->lpIndexes == nullptr) return;
  for (int32_t place = 1;; ++place) {
    bool reached = false;
    for (int32_t i = 1; i <= file->nIndexes; ++i) {
      const IndexDesc& index = file->lpIndexes[i];
      if (index.nSegments < place) continue;
      reached = true;
      FieldDesc* field = index.lpSegments[place].lpField;
      if (field != nullptr && field->nMainIndex == 0) field->nMainIndex = i;
    }
    if (!reached) return;
  }
}

}  // namespace vv::driver
