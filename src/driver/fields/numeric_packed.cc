// Packed decimal (DECIMAL, MONEY) and MVBCD.
#include <cstring>

#include "driver/fields/bcd_value.h"
#include "driver/fields/field_access.h"
#include "driver/fields/numeric_codecs.h"
#include "driver/frame/errors.h"

namespace vv::driver {
namespace {

// A packed field of size bytes holds 2 x size - 1 digit nibbles and the sign
// nibble; nibble 0 is the high nibble of byte 0.
int Nibble(const uint8_t* bytes, int pos) {
  uint8_t b = bytes[pos / 2];
  return pos % 2 == 0 ? b >> 4 : b & 0x0F;
}

void NibbleSet(uint8_t* bytes, int pos, int value) {
  uint8_t& b = bytes[pos / 2];
  b = pos % 2 == 0 ? static_cast<uint8_t>((b & 0x0F) | (value << 4))
                   : static_cast<uint8_t>((b & 0xF0) | value);
}

struct PackedLayout {
  int size;      // bytes
  int digits;    // n, at most what the bytes hold
  int decimals;  // d
};

// The layout always ends at the field's last byte. Fields of more than 14
// integer digits or 8 decimals keep their own layout: the digits the host
// value has no room for are written as 0 and must be 0 when read.
PackedLayout Layout(const FieldDesc* field) {
  PackedLayout l{field->nSize, field->nHostLength, field->nPrecision < 0 ? 0 : field->nPrecision};
  if (l.digits > 2 * l.size - 1) l.digits = 2 * l.size - 1;
  if (l.digits < 0) l.digits = 0;
  return l;
}

// The host digit index of the field's digit t, counted from the right (0 =
// the digit before the sign nibble): below 0 an integer digit beyond 14,
// kBcdDigits or more a fraction digit beyond 8.
int HostIndex(int t, int decimals) {
  return kBcdUnits - (t - decimals);
}

}  // namespace

void mvbtrPackedGet(const OpenFile* file, const FieldDesc* field, VvBcd* value) {
  PackedLayout l = Layout(field);
  if (l.size <= 0) return;
  const uint8_t* data = field->lpData;
  bool invalid = false;
  for (int t = 0; t < l.digits; ++t) {
    int digit = Nibble(data, 2 * l.size - 2 - t);
    int index = HostIndex(t, l.decimals);
    if (digit > 9) {
      invalid = true;
    } else if (index < 0) {
      invalid = invalid || digit != 0;
    } else if (index < kBcdDigits) {
      BcdDigitSet(value, index, digit);
    }
  }
  if (invalid) mvbtrValueError(kErrValueOutOfRange, file, field);
  int sign = data[l.size - 1] & 0x0F;
  if (sign == (mvbtrComp3SignNeg() & 0x0F)) {
    BcdSignSet(value, true);  // a negative zero reads as 0
  } else if (mvbtrComp3SignCheck() && (sign == 0x0C || sign == 0x0F) &&
             sign != (mvbtrComp3SignPos() & 0x0F)) {
    mvbtrValueError(kErrComp3Sign, file, field);
  }
}

void mvbtrPackedPut(const OpenFile*, const FieldDesc* field, const VvBcd& value, uint8_t* work) {
  PackedLayout l = Layout(field);
  if (l.size <= 0) return;
  std::memset(work, 0, static_cast<std::size_t>(l.size));
  bool nonZero = false;
  for (int t = 0; t < l.digits; ++t) {
    int index = HostIndex(t, l.decimals);
    int digit = index >= 0 && index < kBcdDigits ? BcdDigit(value, index) : 0;
    NibbleSet(work, 2 * l.size - 2 - t, digit);
    nonZero = nonZero || digit != 0;
  }
  // A value whose kept digits are all 0 is stored as positive zero.
  uint8_t sign = BcdIsNegative(value) && nonZero ? mvbtrComp3SignNeg() : mvbtrComp3SignPos();
  work[l.size - 1] = static_cast<uint8_t>(work[l.size - 1] | (sign & 0x0F));
}

namespace {

struct MvbcdLayout {
  int bytes;  // (n + 1) / 2
  int start;  // first host byte stored
  bool valid;
};

MvbcdLayout Layout(const OpenFile* file, const FieldDesc* field) {
  int n = field->nHostLength;
  int d = field->nPrecision;
  MvbcdLayout l{(n + 1) / 2, 7 - (n - d + 1) / 2, true};
  l.valid = l.bytes > 0 && l.bytes <= field->nSize && l.start >= 0 &&
            l.start + l.bytes <= VV_BCD_SIGN_BYTE;
  if (!l.valid) mvbtrValueError(kErrValueOutOfRange, file, field);
  return l;
}

}  // namespace

void mvbtrMvbcdGet(const OpenFile* file, const FieldDesc* field, VvBcd* value) {
  MvbcdLayout l = Layout(file, field);
  if (!l.valid) return;
  const uint8_t* data = field->lpData;
  std::memcpy(value->b + l.start, data, static_cast<std::size_t>(l.bytes));
  bool negative = data[0] < 0x10;
  if (!negative) value->b[l.start] = static_cast<uint8_t>(data[0] - 0x10);
  BcdSignSet(value, negative);
}

void mvbtrMvbcdPut(const OpenFile* file, const FieldDesc* field, const VvBcd& value,
                   uint8_t* work) {
  MvbcdLayout l = Layout(file, field);
  if (!l.valid) return;
  bool outside = false;
  for (int i = 0; i < VV_BCD_SIGN_BYTE; ++i) {
    if ((i < l.start || i >= l.start + l.bytes) && value.b[i] != 0) outside = true;
  }
  bool negative = BcdIsNegative(value);
  if (outside || (negative && (value.b[l.start] & 0xF0) != 0)) {
    mvbtrValueError(kErrValueOutOfRange, file, field);
    return;
  }
  std::memcpy(work, value.b + l.start, static_cast<std::size_t>(l.bytes));
  if (!negative) work[0] = static_cast<uint8_t>(work[0] + 0x10);
}

}  // namespace vv::driver
