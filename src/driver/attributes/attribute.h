// Attribute access: the host reads and sets properties of a table, its
// fields, its indexes and their segments by number through
// btrAttributeGetNumeric, btrAttributeGetString, btrAttributeSetNumeric and
// btrAttributeSetString. Numbers 101 to 199 describe the table, 201 to 299
// and 701 to 799 a field (first number: the field), 301 to 399 an index
// (first number: the index), 401 to 499 a segment (first number: the index,
// second: the segment from 1).
//
// Which record a call works on (its target):
//
//   getters   the record attached to the handle (for a negative handle the
//             restructure record of a new table); with selector 1 and a
//             positive handle the table's restructure record (4110 if none)
//   setters   a positive handle: the restructure record while one is open,
//             else the open table; a negative handle: the new table's
//             restructure record; string setters only ever a restructure
//             record (4110 if none); the record state (101), mode (102)
//             and attribute 115 belong to the table the host has open and
//             are always set on the handle's own record
//
// Handle 0, or a handle without record, is error 72.
//
// Each family keeps its attributes in one table of rows (number, getter,
// setter); a number without a row, or a row without the getter or setter
// asked for, is unsupported: error 4285 when the host's strict mode
// (attribute 14 of handle 0) is 1, else nothing happens (a getter then gives
// 0 or an empty text).
//
// Setters that change how records or keys are laid out or read (record
// length; a field's type, length, decimals, offset or Btrieve type; indexes
// and segments) need the target to be a restructure record: the open table's
// record buffer, keys and stored values belong to the structure it was opened
// with. On an open table without a restructure they report 4110.
//
// Every routine reports its failures and returns 0 or the pending error.
#ifndef VEVERAVE_DRIVER_ATTRIBUTES_ATTRIBUTE_H_
#define VEVERAVE_DRIVER_ATTRIBUTES_ATTRIBUTE_H_

#include <cstddef>
#include <cstdint>

#include "driver/frame/errors.h"
#include "driver/tables/open_file.h"

namespace vv::driver {

// The selector with which a getter on a positive handle reads the table's
// restructure record.
inline constexpr int32_t kAttrSelectorRestructure = 1;

// One attribute call.
struct AttrCall {
  int32_t hFile;
  int32_t n1;  // field or index number
  int32_t n2;  // segment number; the second field of attribute 211
  int32_t nAttr;
  int32_t nSelector;   // getters: 1 asks for the restructure record
  OpenFile* lpFile;    // the record attached to the handle
  OpenFile* lpTarget;  // the record read or changed
};

// A string attribute's value: text (a NUL is added when it is copied out)
// or bytes, pointing into the record or into szScratch.
struct AttrText {
  const void* lpData = nullptr;
  std::size_t nLength = 0;
  bool bBytes = false;
  char szScratch[16] = {};
};

using AttrNumericGet = int16_t (*)(AttrCall* call, int32_t* value);
using AttrNumericSet = int16_t (*)(AttrCall* call, int32_t value);
using AttrStringGet = int16_t (*)(AttrCall* call, AttrText* text);
using AttrStringSet = int16_t (*)(AttrCall* call, const char* text);

// A row of a family's table; a null routine is unsupported. lpszName names
// the attribute in the error of a buffer too small (null: no text).
struct AttrRow {
  int32_t nNumber;
  AttrNumericGet getNumeric;
  AttrNumericSet setNumeric;
  AttrStringGet getString;
  AttrStringSet setString;
  const char* lpszName;
};

// How a family checks the numbers of a call before its row runs: for a
// getter or for a setter.
enum class AttrUse { kGet, kSet };

// A family: the rows of its attribute numbers and the check of the first and
// second number (77 for a field, 4099 for an index or segment) that comes
// before any row, supported or not.
struct AttrFamily {
  const AttrRow* lpRows;
  std::size_t nRows;
  int16_t (*check)(AttrCall* call, AttrUse use);
};

const AttrFamily& mvbtrAttrTableFamily();
const AttrFamily& mvbtrAttrFieldFamily();
const AttrFamily& mvbtrAttrIndexFamily();
const AttrFamily& mvbtrAttrSegmentFamily();

// Reports an error (text may be null) and returns the pending error.
int16_t mvbtrAttrFail(int16_t error, const char* text = nullptr);
// Layout setters: 4110 unless the target is a restructure record.
int16_t mvbtrAttrNeedRestructure(const AttrCall* call);

// Rows shared by the families: a getter that answers a constant (whose
// meaning is the host's), and a setter that accepts lo..hi without effect
// (4097 for other values).
template <int32_t kValue>
int16_t mvbtrAttrConstant(AttrCall*, int32_t* value) {
  *value = kValue;
  return 0;
}
template <int32_t kLo, int32_t kHi>
int16_t mvbtrAttrAccept(AttrCall*, int32_t value) {
  return value >= kLo && value <= kHi ? 0 : mvbtrAttrFail(kErrBadAttributeValue);
}

// The largest index number the table can have: the number of Btrieve keys
// its page size allows, less 1 when index 0 is a key itself.
int32_t mvbtrIndexNumberMax(const OpenFile* file);
// The number of indexes attribute 110 reports: nIndexes, or with
// LAST_INDEX_NUMBER_METHOD MAXIMUM the largest index number.
int32_t mvbtrAttrIndexCount(const OpenFile* file);

// The four entry points' work.
int32_t mvbtrAttributeGetNumeric(int32_t hFile, int32_t n1, int32_t n2, int32_t attr,
                                 int32_t selector);
int16_t mvbtrAttributeGetString(int32_t hFile, int32_t n1, int32_t n2, int32_t attr, char* buffer,
                                int32_t size, int32_t selector);
int16_t mvbtrAttributeSetNumeric(int32_t hFile, int32_t n1, int32_t n2, int32_t attr,
                                 int32_t value);
int16_t mvbtrAttributeSetString(int32_t hFile, int32_t n1, int32_t n2, int32_t attr,
                                const char* text);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_ATTRIBUTES_ATTRIBUTE_H_
