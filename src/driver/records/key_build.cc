#include "driver/records/key_build.h"

#include <cstring>

namespace vv::driver {

int32_t mvbtrRecordKeyBuild(const OpenFile* file, const IndexDesc* index, uint8_t* key,
                            int32_t keySize) {
  int32_t length = 0;
  if (index == nullptr || index->lpSegments == nullptr || file->lpRecBuf == nullptr) return 0;
  for (int32_t s = 1; s <= index->nSegments; ++s) {
    const SegmentDesc& segment = index->lpSegments[s];
    const FieldDesc* field = segment.lpField;
    if (field == nullptr) break;
    if (segment.bNullSegment != 0) {
      if (length >= keySize) break;
      key[length++] = field->bIsNull != 0 ? 1 : 0;
    }
    const int32_t size = field->nSize;
    if (size < 0 || field->nOffset < 0 || field->nOffset + size > file->nRecBufSize ||
        length + size > keySize) {
      break;
    }
    std::memcpy(key + length, file->lpRecBuf + field->nOffset, static_cast<std::size_t>(size));
    length += size;
  }
  return length;
}

}  // namespace vv::driver
