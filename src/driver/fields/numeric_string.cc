// Numeric strings: NUMERIC, NUMERIC_SA and NUMERIC_STS. The field holds n
// ASCII digits (NUMERIC_STS then one sign character); the first n - d are
// the integer digits, the last d the fraction.
#include "driver/fields/bcd_value.h"
#include "driver/fields/field_access.h"
#include "driver/fields/numeric_codecs.h"
#include "driver/frame/errors.h"

namespace vv::driver {
namespace {

// NUMERIC: the last digit of a negative value is overpunched: 0 as '}', 1 to
// 9 as 'J' to 'R'. Positive last digits read as '{' and 'A' to 'I' too.
constexpr char kNegativeZero = '}';
constexpr char kPositiveZero = '{';
// NUMERIC_SA: a negative value's last digit carries this bit.
constexpr uint8_t kSaNegativeBit = 0x40;

struct NumericLayout {
  int digits;    // n
  int integers;  // n - d
};

NumericLayout Layout(const FieldDesc* field) {
  int n = field->nHostLength;
  int room = field->nBtrType == BTR_TYPE_NUMERIC_STS ? field->nSize - 1 : field->nSize;
  if (n > room) n = room;
  if (n < 0) n = 0;
  int d = field->nPrecision < 0 ? 0 : field->nPrecision;
  if (d > n) d = n;
  return NumericLayout{n, n - d};
}

// Host digit index of the field's digit at position i (from the left), or -1
// when the host value has no such digit (integer digits beyond 14, fraction
// digits beyond 8).
int HostIndex(const NumericLayout& l, int i) {
  if (i < l.integers) {
    int index = kBcdUnits - (l.integers - 1 - i);
    return index >= 0 ? index : -1;
  }
  int fraction = i - l.integers;
  return fraction < kBcdFracDigits ? kBcdIntDigits + fraction : -1;
}

// A digit character; anything else (blanks of a field never written) counts
// as 0.
int DigitOf(uint8_t c) {
  return c >= '0' && c <= '9' ? c - '0' : 0;
}

// The last character of a NUMERIC or NUMERIC_SA field: its digit and sign.
int LastDigit(int32_t btrType, uint8_t c, bool* negative) {
  *negative = false;
  if (btrType == BTR_TYPE_NUMERIC_SA) {
    if ((c & kSaNegativeBit) != 0) {
      *negative = true;
      return DigitOf(static_cast<uint8_t>(c & 0x3F));
    }
    return DigitOf(c);
  }
  if (c == kPositiveZero) return 0;
  if (c == kNegativeZero) {
    *negative = true;
    return 0;
  }
  if (c >= 'A' && c <= 'I') return c - 'A' + 1;
  if (c >= 'J' && c <= 'R') {
    *negative = true;
    return c - 'J' + 1;
  }
  return DigitOf(c);
}

}  // namespace

void mvbtrNumericGet(const OpenFile* file, const FieldDesc* field, VvBcd* value) {
  if (field->bIsNull != 0) return;
  NumericLayout l = Layout(field);
  if (l.digits == 0) return;
  const uint8_t* data = field->lpData;
  // Integer digits the host value cannot hold must be zeros.
  for (int i = 0; i < l.integers - kBcdIntDigits; ++i) {
    if (data[i] != '0') {
      mvbtrValueError(kErrValueOutOfRange, file, field);
      return;
    }
  }
  bool negative = false;
  for (int i = 0; i < l.digits; ++i) {
    bool last = i == l.digits - 1 && field->nBtrType != BTR_TYPE_NUMERIC_STS;
    int digit = last ? LastDigit(field->nBtrType, data[i], &negative) : DigitOf(data[i]);
    int index = HostIndex(l, i);
    if (index >= 0) BcdDigitSet(value, index, digit);
  }
  if (field->nBtrType == BTR_TYPE_NUMERIC_STS) negative = data[l.digits] == '-';
  BcdSignSet(value, negative);
}

void mvbtrNumericPut(const OpenFile* file, const FieldDesc* field, const VvBcd& value,
                     uint8_t* work) {
  NumericLayout l = Layout(field);
  if (l.digits == 0) return;
  // Integer digits the field has no room for: the value does not fit.
  for (int index = 0; index < kBcdIntDigits - l.integers; ++index) {
    if (BcdDigit(value, index) != 0) {
      mvbtrValueError(kErrValueOutOfRange, file, field);
      return;
    }
  }
  bool nonZero = false;
  for (int i = 0; i < l.digits; ++i) {
    int index = HostIndex(l, i);
    int digit = index >= 0 ? BcdDigit(value, index) : 0;
    work[i] = static_cast<uint8_t>('0' + digit);
    nonZero = nonZero || digit != 0;
  }
  bool negative = BcdIsNegative(value) && nonZero;
  uint8_t& last = work[l.digits - 1];
  switch (field->nBtrType) {
    case BTR_TYPE_NUMERIC:
      if (negative) last = last == '0' ? kNegativeZero : static_cast<uint8_t>('J' + last - '1');
      break;
    case BTR_TYPE_NUMERIC_SA:
      if (negative) last = static_cast<uint8_t>(last | kSaNegativeBit);
      break;
    default:  // NUMERIC_STS
      work[l.digits] = negative ? '-' : '+';
      break;
  }
}

}  // namespace vv::driver
