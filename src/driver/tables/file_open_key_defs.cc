// mvbtrIndexReadInfo: the Btrieve file's own key definitions (from its
// stat) against the index descriptors built from the dictionary. The stat
// holds the 16-byte file definition, one 16-byte key definition per
// segment (keys one after the other, a key's segments chained by the
// SEGMENTED flag) and then the collating sequences the keys use.
#include <cstdio>
#include <cstring>

#include "driver/fields/le_bytes.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "driver/tables/file_open.h"
#include "driver/tables/file_read_info.h"

namespace vv::driver {
namespace {

constexpr const char* kContext = "mvbtrIndexReadInfo";

int16_t Fail(int16_t error, const char* text) {
  mvbtrErrorReport(error, text);
  return mvbtrErrorStatus();
}

// One key definition as the stat gives it.
struct KeyDef {
  int32_t nPosition;  // 1-based
  int32_t nLength;
  uint16_t nFlags;
  uint8_t nType;
  uint8_t nKeyNumber;
  uint8_t nAcsNumber;
};

KeyDef KeyDefRead(const uint8_t* p) {
  KeyDef def;
  def.nPosition = static_cast<int32_t>(LoadLe(p + BTR_KEYDEF_POSITION, 2));
  def.nLength = static_cast<int32_t>(LoadLe(p + BTR_KEYDEF_LENGTH, 2));
  def.nFlags = static_cast<uint16_t>(LoadLe(p + BTR_KEYDEF_FLAGS, 2));
  def.nType = p[BTR_KEYDEF_TYPE];
  def.nKeyNumber = p[BTR_KEYDEF_KEY_NUMBER];
  def.nAcsNumber = p[BTR_KEYDEF_ACS_NUMBER];
  return def;
}

// Where the walk over the key definitions stands.
struct KeyWalk {
  int32_t nKeys = 0;        // keys begun
  int32_t nKeyNumber = -1;  // key number of the last definition
  int32_t nIndex = 0;       // index number of the current key
  int32_t nSegment = 0;     // segment number the next definition is for
};

// Applies one key definition; 0 or the pending error.
int16_t KeyDefApply(OpenFile* file, const KeyDef& def, KeyWalk* walk) {
  if (walk->nKeys == 0 || def.nKeyNumber != walk->nKeyNumber) {
    ++walk->nKeys;
    walk->nKeyNumber = def.nKeyNumber;
    walk->nIndex = def.nKeyNumber + (file->bRecnumSupport != 0 ? 0 : 1);
    walk->nSegment = 1;
  }
  char text[VV_HOST_ERROR_TEXT_SIZE];
  if (walk->nIndex > file->nIndexes) {
    std::snprintf(text, sizeof text, "file %s, index %d", TableName(file),
                  static_cast<int>(walk->nIndex));
    return Fail(kErrIndexNumber, text);
  }
  IndexDesc* index = &file->lpIndexes[walk->nIndex];
  if (walk->nSegment > index->nSegments) {
    std::snprintf(text, sizeof text, "file %s, index %d, segment %d", TableName(file),
                  static_cast<int>(walk->nIndex), static_cast<int>(walk->nSegment));
    return Fail(kErrSegmentNumber, text);
  }
  SegmentDesc* segment = &index->lpSegments[walk->nSegment];
  // A null indicator segment stands in the key in front of the segment of
  // its field and is no segment of the host's index.
  if (def.nType == BTR_TYPE_NULL_INDICATOR) {
    segment->bNullSegment = 1;
    file->nTableFlags |= kTableHasNulls;
    index->nKeyLen += 1;
    return 0;
  }
  const FieldDesc* field = segment->lpField;
  if (field == nullptr || field->nOffset != def.nPosition - 1 || field->nSize != def.nLength) {
    std::snprintf(text, sizeof text, "File %s, Index %d, Segment %d, Field %s", TableName(file),
                  static_cast<int>(walk->nIndex), static_cast<int>(walk->nSegment),
                  field != nullptr && field->lpszName != nullptr ? field->lpszName : "");
    return Fail(kErrKeyDefField, text);
  }
  segment->nExtType = def.nType;
  segment->nKeyFlags = def.nFlags;
  if ((def.nFlags & BTR_KEY_ACS) != 0) {
    index->bUsesAcs = 1;
    index->nAcsNumber = def.nAcsNumber;
  }
  ++walk->nSegment;
  return 0;
}

// The collating sequences after the last key definition (at offset end)
// into lpAcs: exactly one 265-byte block for each number up to the highest
// one the keys use.
int16_t AcsTake(OpenFile* file, uint32_t end) {
  int32_t count = 0;
  for (int32_t i = 0; i <= file->nIndexes; ++i) {
    const IndexDesc& index = file->lpIndexes[i];
    if (index.bUsesAcs != 0 && index.nAcsNumber + 1 > count) count = index.nAcsNumber + 1;
  }
  file->nAcs = static_cast<uint8_t>(count);
  mvbtrMemFree(&file->lpAcs);
  if (count == 0) return 0;
  const uint32_t size = static_cast<uint32_t>(count) * BTR_ACS_SIZE;
  if (file->nStatLen < end || file->nStatLen - end != size) return Fail(kErrAcsLength, kContext);
  void* block = DriverAlloc(size);
  if (block == nullptr) return Fail(kErrOutOfMemory, kContext);
  std::memcpy(block, file->lpStat + end, size);
  file->lpAcs = static_cast<uint8_t*>(block);
  return 0;
}

}  // namespace

int16_t mvbtrIndexReadInfo(OpenFile* file) {
  if (file->lpStat == nullptr && mvbtrFileReadInfo(file) != 0) return mvbtrErrorStatus();
  if (file->nStatLen < BTR_FILEDEF_SIZE) return Fail(kErrAcsLength, kContext);
  const int32_t keyCount = file->lpStat[BTR_FILEDEF_KEY_COUNT];
  if (keyCount > 0 && file->lpIndexes == nullptr) return Fail(kErrNoIndexes, TableName(file));

  uint32_t offset = BTR_FILEDEF_SIZE;
  KeyWalk walk;
  while (keyCount > 0) {
    // A stat that names more keys than it holds definitions for.
    if (offset + BTR_KEYDEF_SIZE > file->nStatLen) return Fail(kErrAcsLength, kContext);
    const KeyDef def = KeyDefRead(file->lpStat + offset);
    offset += BTR_KEYDEF_SIZE;
    if (KeyDefApply(file, def, &walk) != 0) return mvbtrErrorStatus();
    if ((def.nFlags & BTR_KEY_SEGMENTED) == 0 && walk.nKeys == keyCount) break;
  }
  if (file->lpIndexes == nullptr) return 0;
  if (AcsTake(file, offset) != 0) return mvbtrErrorStatus();

  for (int32_t i = file->bRecnumSupport != 0 ? 0 : 1; i <= file->nIndexes; ++i) {
    IndexDesc& index = file->lpIndexes[i];
    if (index.nSegments <= 0) continue;
    index.bDefined = 1;
    if (file->nFirstIndex < 0) file->nFirstIndex = index.nKeyNumber;
  }
  return 0;
}

}  // namespace vv::driver
