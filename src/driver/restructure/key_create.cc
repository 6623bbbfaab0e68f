// mvbtrIndexCreate and mvbtrIndexDrop: a key made or dropped in the Btrieve
// file that is open under the record's position block, while the records
// stay where they are.
#include <cstring>

#include "driver/btrieve/btr_call.h"
#include "driver/frame/errors.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/init.h"
#include "driver/frame/util/memory.h"
#include "driver/restructure/arrays.h"
#include "driver/restructure/index_edit.h"
#include "driver/restructure/key_layout.h"
#include "driver/restructure/progress.h"

namespace vv::driver {
namespace {

// Bytes of a collating sequence's name, behind its signature byte.
constexpr std::size_t kAcsNameOffset = 1;
constexpr std::size_t kAcsNameSize = 8;

uint8_t* ClientId(const OpenFile* file) {
  return file->lpLogin != nullptr ? file->lpLogin->lpClientId : nullptr;
}

// A segment on the record number, which is no part of a Btrieve key unless
// the file keeps a key of its own for it; a segment without a field has no
// bytes to key on either.
bool RecnumSegment(const OpenFile* file, const SegmentDesc& segment) {
  if (segment.lpField == nullptr) return true;
  return file->bRecnumSupport == 0 && segment.lpField->nNumber == 0;
}

// The collating sequence the key of index i uses: its own (a sequence of
// the file), else the first string segment's choice between ACS_UPPER (a
// case-insensitive segment) and ACS, of those the settings loaded. Null
// when none.
const uint8_t* AcsChoose(const OpenFile* file, const IndexDesc& index, int32_t segments) {
  if (index.bUsesAcs != 0) {
    if (file->lpAcs == nullptr || index.nAcsNumber >= file->nAcs) return nullptr;
    return file->lpAcs + static_cast<std::size_t>(index.nAcsNumber) * BTR_ACS_SIZE;
  }
  const DriverGlobals* g = mvbtrGlobals();
  for (int32_t s = 1; s <= segments; ++s) {
    const SegmentDesc& segment = index.lpSegments[s];
    if (!mvbtrKeyTypeTakesAcs(mvbtrKeySegmentType(*segment.lpField, index.nSegments))) continue;
    const bool noCase = (segment.nKeyFlags & BTR_KEY_NO_CASE) != 0;
    const uint8_t* acs = noCase ? g->lpAcsUpperTable : g->lpAcsTable;
    if (acs != nullptr) return acs;
  }
  return nullptr;
}

// Whether the file holds the sequence already, so that the key names it by
// number instead of bringing it along: the index's own first sequence, or
// one named as the file's first sequence; and another defined key uses
// that sequence number.
bool AcsHeld(const OpenFile* file, int32_t i, const uint8_t* acs) {
  const IndexDesc& index = file->lpIndexes[i];
  const bool same =
      (index.bUsesAcs != 0 && index.nAcsNumber == 0) ||
      (file->nAcs > 0 && file->lpAcs != nullptr &&
       std::memcmp(acs + kAcsNameOffset, file->lpAcs + kAcsNameOffset, kAcsNameSize) == 0);
  if (!same) return false;
  for (int32_t j = 1; j <= file->nIndexes; ++j) {
    const IndexDesc& other = file->lpIndexes[j];
    if (j != i && other.bUsesAcs != 0 && other.nAcsNumber == index.nAcsNumber &&
        other.bDefined != 0) {
      return true;
    }
  }
  return false;
}

// Leaves the record number out of the key: a record-number segment that is
// not the last one is removed, and a key that had one allows duplicates in
// Btrieve (bRecnumAppended). *segments: the number of segments that go into
// the Btrieve key (all but a record number that stands last).
int16_t RecnumSegmentsTake(OpenFile* file, int32_t i, int32_t* segments) {
  for (int32_t s = file->lpIndexes[i].nSegments; s >= 1; --s) {
    IndexDesc& index = file->lpIndexes[i];
    if (!RecnumSegment(file, index.lpSegments[s])) continue;
    if (s != index.nSegments && mvbtrSegmentDelete(file, i, s) != 0) return mvbtrErrorStatus();
    file->lpIndexes[i].bRecnumAppended = 1;
  }
  const IndexDesc& index = file->lpIndexes[i];
  const bool recnumLast = RecnumSegment(file, index.lpSegments[index.nSegments]);
  *segments = index.nSegments - (recnumLast ? 1 : 0);
  return 0;
}

}  // namespace

int16_t mvbtrIndexCreate(OpenFile* file, int32_t i, VvProgressFn progress) {
  mvbtrDriverEnsureInit();
  if (!mvbtrDriverIsInit()) return mvbtrErrorStatus();
  if (file->lpIndexes[i].nSegments <= 0) return 0;
  const int16_t answer = mvbtrProgressSend(progress, VV_PROGRESS_MESSAGE, "Creating index %d", i);
  if (answer != 0) return answer;

  file->lpIndexes[i].bDefined = 0;
  file->lpIndexes[i].bRecnumAppended = 0;
  int32_t segments = 0;
  if (RecnumSegmentsTake(file, i, &segments) != 0) return mvbtrErrorStatus();
  // An index on the record number alone is record-number order: it needs
  // no key of its own.
  if (segments == 0) return 0;
  IndexDesc& index = file->lpIndexes[i];
  const uint8_t* acs = AcsChoose(file, index, segments);
  const bool held = acs != nullptr && AcsHeld(file, i, acs);
  const bool sendAcs = acs != nullptr && !held;

  const std::size_t size =
      static_cast<std::size_t>(segments) * BTR_KEYDEF_SIZE + (sendAcs ? BTR_ACS_SIZE : 0);
  auto* buffer = ArrayNew<uint8_t>(size, "mvbtrFileCreate");
  if (buffer == nullptr) return mvbtrErrorStatus();
  const int32_t keyNumber = mvbtrIndexKeyNumber(file, i);
  const auto keyByte = static_cast<uint8_t>(keyNumber + BTR_KEY_NUMBER_BIAS);
  for (int32_t s = 1; s <= segments; ++s) {
    SegmentDesc& segment = index.lpSegments[s];
    const FieldDesc& field = *segment.lpField;
    const uint8_t type = mvbtrKeySegmentType(field, index.nSegments);
    uint16_t flags = segment.nKeyFlags;
    flags &= static_cast<uint16_t>(~(BTR_KEY_ACS | BTR_KEY_SEGMENTED | BTR_KEY_NULL_ALL));
    if (index.bRecnumAppended != 0) {
      flags |= BTR_KEY_DUPLICATES;
    } else {
      flags &= static_cast<uint16_t>(~BTR_KEY_DUPLICATES);
    }
    if (acs != nullptr && mvbtrKeyTypeTakesAcs(type)) {
      // A sequence sent along is named by the case flag beside the ACS flag;
      // one the file holds is taken by its number.
      flags |= BTR_KEY_ACS;
      if (held) {
        flags &= static_cast<uint16_t>(~BTR_KEY_NO_CASE);
      } else {
        flags |= BTR_KEY_NO_CASE;
      }
    }
    if (s < segments) flags |= BTR_KEY_SEGMENTED;
    segment.nKeyFlags = flags;
    mvbtrKeyLayoutWrite(buffer + static_cast<std::size_t>(s - 1) * BTR_KEYDEF_SIZE,
                        {field.nOffset + 1, field.nSize, flags, type, keyByte, 0});
  }
  if (sendAcs) {
    std::memcpy(buffer + static_cast<std::size_t>(segments) * BTR_KEYDEF_SIZE, acs, BTR_ACS_SIZE);
  }

  uint16_t length = static_cast<uint16_t>(size);
  const int16_t status = mvbtrBtrCall(BTR_CREATE_INDEX, file->PosBlock, buffer, &length, nullptr,
                                      keyByte, ClientId(file));
  mvbtrMemFree(&buffer);
  if (status == BTR_STATUS_SUCCESS) {
    index.bDefined = 1;
    index.nKeyNumber = static_cast<int16_t>(keyNumber);
    return 0;
  }
  if (status == BTR_STATUS_DUPLICATE_KEY) {
    mvbtrProgressSend(progress, VV_PROGRESS_ERROR, "Cannot create index %d: Duplicates.", i);
    return BTR_STATUS_DUPLICATE_KEY;
  }
  mvbtrProgressSend(progress, VV_PROGRESS_ERROR, "Btrieve error %d creating index %d",
                    static_cast<int>(status), i);
  mvbtrBtrErrorReport(status, "mvbtrIndexCreate", TableName(file));
  return mvbtrErrorStatus();
}

int16_t mvbtrIndexDrop(OpenFile* file, int32_t i, VvProgressFn progress) {
  IndexDesc& index = file->lpIndexes[i];
  if (index.bDefined == 0) return 0;
  const int16_t answer = mvbtrProgressSend(progress, VV_PROGRESS_MESSAGE, "Dropping index %d", i);
  if (answer != 0) return answer;
  const int16_t status = mvbtrBtrCall(BTR_DROP_INDEX, file->PosBlock, nullptr, nullptr, nullptr,
                                      index.nKeyNumber + BTR_KEY_NUMBER_BIAS, ClientId(file));
  if (status != BTR_STATUS_SUCCESS) {
    mvbtrProgressSend(progress, VV_PROGRESS_MESSAGE, "Could not drop index %d.", i);
    mvbtrBtrErrorReport(status, "mvbtrIndexDrop", TableName(file));
    return mvbtrErrorStatus();
  }
  index.bDefined = 0;
  return 0;
}

}  // namespace vv::driver
