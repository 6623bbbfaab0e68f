// Index attributes (301 to 399; first number: the index) and segment
// attributes (401 to 499; first number: the index, second: the segment from
// 1). Setting them builds the indexes of a restructure: indexes and segments
// named beyond the ones there are created first.
#include <algorithm>
#include <cstdint>

#include "driver/attributes/attribute.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/restructure/index_edit.h"
#include "driver/tables/file_open.h"
#include "veverave/btrieve.h"
#include "veverave/host_services.h"

namespace vv::driver {
namespace {

// Btrieve's limits by page size, indexed by the page size / 512: the number
// of keys a file can have, and of segments in all its keys. A page size
// outside the table takes the nearest entry.
constexpr int32_t kPageUnit = 512;
constexpr int32_t kKeysByPage[] = {8, 23, 24, 54, 54, 54, 54, 119};
constexpr int32_t kPageEntries = sizeof kKeysByPage / sizeof kKeysByPage[0];

int32_t KeysMax(const OpenFile* file) {
  const int32_t entry = std::clamp(file->nPageSize / kPageUnit, 1, kPageEntries);
  return kKeysByPage[entry - 1];
}

const IndexDesc* IndexAt(const OpenFile* file, int32_t i) {
  return file->lpIndexes != nullptr && i >= 0 && i <= file->nIndexes ? &file->lpIndexes[i]
                                                                     : nullptr;
}

int32_t SegmentsOf(const OpenFile* file, int32_t i) {
  const IndexDesc* index = IndexAt(file, i);
  return index != nullptr ? index->nSegments : 0;
}

// Segment s of index i (0 is the unused entry before the first); null when
// the index has no such entry.
const SegmentDesc* SegmentAt(const OpenFile* file, int32_t i, int32_t s) {
  const IndexDesc* index = IndexAt(file, i);
  if (index == nullptr || index->lpSegments == nullptr || s < 0 || s > index->nSegments) {
    return nullptr;
  }
  return &index->lpSegments[s];
}

int16_t BadNumber() {
  return mvbtrAttrFail(kErrBadIndexNumber);
}

// Index numbers 0..the count of attribute 110; the segment count of an index
// from 1 up to the largest index number may be read (0 beyond the indexes
// there are) and set (creating the indexes up to it).
int16_t IndexCheck(AttrCall* call, AttrUse) {
  const int32_t i = call->n1;
  if (i >= 0 && i <= mvbtrAttrIndexCount(call->lpTarget)) return 0;
  if (call->nAttr == VV_ATTR_INDEX_SEGMENTS && i >= 1 && i <= mvbtrIndexNumberMax(call->lpTarget)) {
    return 0;
  }
  return BadNumber();
}

// Getters: an index as for the index attributes and a segment of it (0..its
// count). Setters: an index from 1 up to the largest index number and a
// segment from 1 up to Btrieve's segment limit.
int16_t SegmentCheck(AttrCall* call, AttrUse use) {
  const OpenFile* f = call->lpTarget;
  const int32_t i = call->n1;
  const int32_t s = call->n2;
  if (use == AttrUse::kGet) {
    if (i < 0 || i > mvbtrAttrIndexCount(f) || s < 0 || s > SegmentsOf(f, i)) return BadNumber();
    return 0;
  }
  if (i < 1 || i > mvbtrIndexNumberMax(f) || s < 1 || s > KeysMax(f)) return BadNumber();
  return 0;
}

int16_t SegmentsGet(AttrCall* call, int32_t* value) {
  *value = call->n1 == 0 ? 1 : SegmentsOf(call->lpTarget, call->n1);
  return 0;
}

// The segments of index i become value: missing indexes up to i are
// created, segments on the record number are added at the end, or segments
// are removed from the end one by one.
int16_t SegmentsSet(AttrCall* call, int32_t value) {
  OpenFile* f = call->lpTarget;
  if (mvbtrAttrNeedRestructure(call) != 0) return mvbtrErrorStatus();
  if (value < 0 || value > KeysMax(f)) return mvbtrAttrFail(kErrBadAttributeValue);
  const int32_t i = call->n1;
  if (mvbtrIndexAdjustNumber(f, i) != 0) return mvbtrErrorStatus();
  if (value > f->lpIndexes[i].nSegments) return mvbtrIndexSetSegmentCount(f, i, value);
  while (f->lpIndexes[i].nSegments > value) {
    if (mvbtrSegmentDelete(f, i, f->lpIndexes[i].nSegments) != 0) return mvbtrErrorStatus();
  }
  return 0;
}

int16_t KeyLengthGet(AttrCall* call, int32_t* value) {
  const IndexDesc* index = IndexAt(call->lpTarget, call->n1);
  *value = index != nullptr ? index->nKeyLen : 0;
  return 0;
}

template <uint16_t kFlag>
int16_t KeyFlagGet(AttrCall* call, int32_t* value) {
  const SegmentDesc* segment = SegmentAt(call->lpTarget, call->n1, call->n2);
  *value = segment != nullptr && (segment->nKeyFlags & kFlag) != 0 ? 1 : 0;
  return 0;
}

// The record-number field stands in a key as field 0.
int16_t SegmentFieldGet(AttrCall* call, int32_t* value) {
  const SegmentDesc* segment = SegmentAt(call->lpTarget, call->n1, call->n2);
  const FieldDesc* field = segment != nullptr ? segment->lpField : nullptr;
  *value = field == nullptr || field->nNumber == call->lpTarget->nRecnumField ? 0 : field->nNumber;
  return 0;
}

// The segment a setter changes, created with its index when missing (on
// the record-number field until its field is set); null after an error.
SegmentDesc* SegmentMake(AttrCall* call) {
  OpenFile* f = call->lpTarget;
  if (mvbtrAttrNeedRestructure(call) != 0 || mvbtrIndexAdjustNumber(f, call->n1) != 0 ||
      mvbtrIndexSetSegmentCount(f, call->n1, call->n2) != 0) {
    return nullptr;
  }
  return &f->lpIndexes[call->n1].lpSegments[call->n2];
}

void KeyFlagPut(SegmentDesc* segment, uint16_t flag, bool on) {
  segment->nKeyFlags =
      static_cast<uint16_t>(on ? segment->nKeyFlags | flag : segment->nKeyFlags & ~flag);
}

int16_t DescendingSet(AttrCall* call, int32_t value) {
  if (value != 0 && value != 1) return mvbtrAttrFail(kErrBadAttributeValue);
  SegmentDesc* segment = SegmentMake(call);
  if (segment == nullptr) return mvbtrErrorStatus();
  KeyFlagPut(segment, BTR_KEY_DESCENDING, value == 1);
  return 0;
}

// Only text of host type ASCII compares without regard to case.
int16_t IgnoreCaseSet(AttrCall* call, int32_t value) {
  if (value != 0 && value != 1) return mvbtrAttrFail(kErrBadAttributeValue);
  SegmentDesc* segment = SegmentMake(call);
  if (segment == nullptr) return mvbtrErrorStatus();
  if (value == 1 && (segment->lpField == nullptr || segment->lpField->nHostType != kHostAscii)) {
    return mvbtrAttrFail(kErrBadAttributeValue);
  }
  KeyFlagPut(segment, BTR_KEY_NO_CASE, value == 1);
  return 0;
}

// Bit 0 of nTableFlags: true nulls, a nullable field, or a null indicator
// segment in a key.
void NullFlagsSet(OpenFile* f) {
  bool nulls = f->bTrueNull != 0;
  for (int32_t i = 1; i <= f->nFields && !nulls; ++i) nulls = f->lpFields[i].bNullAllowed != 0;
  for (int32_t i = 0; f->lpIndexes != nullptr && i <= f->nIndexes && !nulls; ++i) {
    const IndexDesc& index = f->lpIndexes[i];
    for (int32_t s = 1; index.lpSegments != nullptr && s <= index.nSegments && !nulls; ++s) {
      nulls = index.lpSegments[s].bNullSegment != 0;
    }
  }
  f->nTableFlags = static_cast<uint8_t>(nulls ? f->nTableFlags | kTableHasNulls
                                              : f->nTableFlags & ~kTableHasNulls);
}

// The key length is the sum of the segments' field sizes, with a byte for
// each null indicator.
void KeyLengthSet(IndexDesc* index) {
  index->nKeyLen = 0;
  for (int32_t s = 1; s <= index->nSegments; ++s) {
    const SegmentDesc& segment = index->lpSegments[s];
    if (segment.lpField != nullptr) index->nKeyLen += segment.lpField->nSize;
    if (segment.bNullSegment != 0) ++index->nKeyLen;
  }
}

int16_t SegmentFieldSet(AttrCall* call, int32_t value) {
  OpenFile* f = call->lpTarget;
  if (value < 0 || value > f->nFields) return mvbtrAttrFail(kErrBadFieldNumber);
  SegmentDesc* segment = SegmentMake(call);
  if (segment == nullptr) return mvbtrErrorStatus();
  FieldDesc* old = segment->lpField;
  if (old != nullptr && old->nMainIndex == call->n1) old->nMainIndex = 0;
  segment->lpField = &f->lpFields[value];
  KeyLengthSet(&f->lpIndexes[call->n1]);
  mvbtrFieldSetMainIndexes(f);
  NullFlagsSet(f);
  return 0;
}

template <int32_t kValue>
constexpr AttrNumericGet Const = &mvbtrAttrConstant<kValue>;

// 302 to 304 answer constants whose meaning is the host's.
constexpr AttrRow kIndexRows[] = {
    {VV_ATTR_INDEX_SEGMENTS, SegmentsGet, SegmentsSet, nullptr, nullptr, nullptr},
    {302, Const<-1>, &mvbtrAttrAccept<INT32_MIN, INT32_MAX>, nullptr, nullptr, nullptr},
    {303, Const<0>, &mvbtrAttrAccept<0, 1>, nullptr, nullptr, nullptr},
    {304, Const<-1>, nullptr, nullptr, nullptr, nullptr},
    {VV_ATTR_INDEX_KEY_LENGTH, KeyLengthGet, nullptr, nullptr, nullptr, nullptr},
};

constexpr AttrRow kSegmentRows[] = {
    {VV_ATTR_SEGMENT_DESCENDING, KeyFlagGet<BTR_KEY_DESCENDING>, DescendingSet, nullptr, nullptr,
     nullptr},
    {VV_ATTR_SEGMENT_IGNORE_CASE, KeyFlagGet<BTR_KEY_NO_CASE>, IgnoreCaseSet, nullptr, nullptr,
     nullptr},
    {VV_ATTR_SEGMENT_FIELD, SegmentFieldGet, SegmentFieldSet, nullptr, nullptr, nullptr},
};

}  // namespace

int32_t mvbtrIndexNumberMax(const OpenFile* file) {
  return KeysMax(file) - (file->bRecnumSupport != 0 ? 1 : 0);
}

int32_t mvbtrAttrIndexCount(const OpenFile* file) {
  return mvbtrGlobals()->nLastIndexMethod == kLastIndexMaximum ? mvbtrIndexNumberMax(file)
                                                               : file->nIndexes;
}

const AttrFamily& mvbtrAttrIndexFamily() {
  static constexpr AttrFamily kFamily{kIndexRows, sizeof kIndexRows / sizeof kIndexRows[0],
                                      IndexCheck};
  return kFamily;
}

const AttrFamily& mvbtrAttrSegmentFamily() {
  static constexpr AttrFamily kFamily{kSegmentRows, sizeof kSegmentRows / sizeof kSegmentRows[0],
                                      SegmentCheck};
  return kFamily;
}

}  // namespace vv::driver
