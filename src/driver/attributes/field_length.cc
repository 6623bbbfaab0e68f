// The host length a field may take through its length attribute (203): the
// bounds of each host type and the Btrieve type that stores it.
#include "driver/attributes/field_length.h"

#include <algorithm>

#include "driver/fields/type_map.h"
#include "driver/frame/errors.h"
#include "driver/tables/file_record.h"
#include "veverave/btrieve.h"

namespace vv::driver {
namespace {

// A length must stay below these (or, marked "at most", not exceed them).
constexpr int32_t kStringBound = 256;
constexpr int32_t kLstringBound = 257;
constexpr int32_t kZstringBound = 16383;
constexpr int32_t kNoteBound = 32767;
constexpr int32_t kLongvarBound = 16385;
constexpr int32_t kIntegerBound = 11;
constexpr int32_t kPackedMax = 23;  // at most

// A length below bound, else 4097 with text (null: none).
LengthCheck Below(int32_t value, int32_t bound, const char* text = nullptr) {
  return value < bound ? LengthCheck{} : LengthCheck{kErrBadAttributeValue, false, text};
}

LengthCheck AtMost(int32_t value, int32_t max) {
  return value <= max ? LengthCheck{} : LengthCheck{kErrBadAttributeValue, false, nullptr};
}

constexpr LengthCheck kIgnored{0, true, nullptr};

bool IsBinaryLongvar(const FieldDesc& field) {
  return field.nBtrType == BTR_TYPE_LONGVAR && (field.nFieldDdfFlags & kDdfFieldBinary) != 0;
}

LengthCheck TextLength(const FieldDesc& field, int32_t value) {
  switch (field.nBtrType) {
    case BTR_TYPE_STRING:
      return Below(value, kStringBound);
    case BTR_TYPE_LSTRING:
      return Below(value, kLstringBound);
    case BTR_TYPE_ZSTRING:
      return Below(value, kZstringBound);
    case BTR_TYPE_NOTE:
      return Below(value, kNoteBound);
    case BTR_TYPE_TIMESTAMP:
      return {kErrTextTimestampLength, false, nullptr};
    case BTR_TYPE_LONGVAR:
      if (IsBinaryLongvar(field)) return kIgnored;
      return Below(value, kLongvarBound, "Length too large");
    default:
      return {kErrTypePair, false, nullptr};
  }
}

LengthCheck NumberLength(const FieldDesc& field, int32_t value) {
  switch (field.nBtrType) {
    case BTR_TYPE_INTEGER:
    case BTR_TYPE_UNSIGNED:
    case BTR_TYPE_AUTOINCREMENT:
      return Below(value, kIntegerBound);
    case BTR_TYPE_DECIMAL:
    case BTR_TYPE_MONEY:
    case BTR_TYPE_NUMERIC:
    case BTR_TYPE_NUMERIC_STS:
    case BTR_TYPE_NUMERIC_SA:
      return AtMost(value, kPackedMax);
    default:
      return {kErrTypePair, false, nullptr};
  }
}

}  // namespace

LengthCheck mvbtrFieldLengthCheck(const OpenFile* file, const FieldDesc& field, int32_t value) {
  switch (field.nHostType) {
    case kHostAscii:
    case kHostText:
      return TextLength(field, value);
    case kHostBcd:
      return NumberLength(field, value);
    case kHostDate:
      return {kErrDateLength, false, nullptr};
    case kHostOverlap:
      return AtMost(value, std::max(file->nRecLen, file->nHostRecLen));
    case kHostBinary:
      if (field.nBtrType != BTR_TYPE_LONGVAR) return AtMost(value, kRecBufMax);
      return IsBinaryLongvar(field) ? Below(value, kLongvarBound) : kIgnored;
    default:
      return kIgnored;
  }
}

}  // namespace vv::driver
