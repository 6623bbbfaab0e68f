// BCD integers, arithmetic, rounding and comparison.
#include "host/bcd.h"

#include "host/decimal.h"
#include "host/host_errors.h"

namespace vv::host {
namespace {

constexpr int kFraction = VV_BCD_FRACTION_DIGITS;

// Signed sum of two decimals.
Decimal SignedAdd(const Decimal& a, const Decimal& b) {
  Decimal r;
  if (a.negative == b.negative) {
    r.negative = a.negative;
    r.magnitude = WideAdd(a.magnitude, b.magnitude);
  } else if (WideCompare(a.magnitude, b.magnitude) >= 0) {
    r.negative = a.negative;
    r.magnitude = WideSubtract(a.magnitude, b.magnitude);
  } else {
    r.negative = b.negative;
    r.magnitude = WideSubtract(b.magnitude, a.magnitude);
  }
  return r;
}

int16_t Unpack2(const VvBcd& a, const VvBcd& b, Decimal* da, Decimal* db) {
  if (int16_t rc = DecimalFromBcd(a, da)) return rc;
  return DecimalFromBcd(b, db);
}

}  // namespace

VvBcd BcdZero() {
  return VvBcd{};
}

int16_t BcdFromInt(int32_t value, VvBcd* out) {
  Decimal d;
  d.negative = value < 0;
  // Through int64 so that the most negative int32 has a magnitude.
  const int64_t wide = value;
  d.magnitude = WideShiftUp(WideFromU64(static_cast<uint64_t>(wide < 0 ? -wide : wide)), kFraction);
  return DecimalToBcd(d, out);
}

int16_t BcdToInt(const VvBcd& value, int32_t* out) {
  Decimal d;
  if (int16_t rc = DecimalFromBcd(value, &d)) return rc;
  // Integer digits only: the fraction is cut off toward zero.
  Wide integer;
  for (int i = kFraction; i < Wide::kDigits; ++i) integer.d[i - kFraction] = d.magnitude.d[i];
  if (integer.Length() > 10) return kErrOverflow;
  const uint64_t magnitude = WideToU64(integer);
  const uint64_t limit = d.negative ? 2147483648u : 2147483647u;
  if (magnitude > limit) return kErrOverflow;
  *out = d.negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude))
                    : static_cast<int32_t>(magnitude);
  return 0;
}

int16_t BcdAdd(const VvBcd& a, const VvBcd& b, VvBcd* out) {
  Decimal da, db;
  if (int16_t rc = Unpack2(a, b, &da, &db)) return rc;
  return DecimalToBcd(SignedAdd(da, db), out);
}

int16_t BcdSubtract(const VvBcd& a, const VvBcd& b, VvBcd* out) {
  Decimal da, db;
  if (int16_t rc = Unpack2(a, b, &da, &db)) return rc;
  db.negative = !db.negative;
  return DecimalToBcd(SignedAdd(da, db), out);
}

int16_t BcdMultiply(const VvBcd& a, const VvBcd& b, VvBcd* out) {
  Decimal da, db;
  if (int16_t rc = Unpack2(a, b, &da, &db)) return rc;
  // Both magnitudes carry 10^8: the product carries 10^16.
  Decimal r;
  r.negative = da.negative != db.negative;
  r.magnitude = WideShiftDownRounded(WideMultiply(da.magnitude, db.magnitude), kFraction);
  return DecimalToBcd(r, out);
}

int16_t BcdDivide(const VvBcd& a, const VvBcd& b, VvBcd* out) {
  Decimal da, db;
  if (int16_t rc = Unpack2(a, b, &da, &db)) return rc;
  if (db.magnitude.IsZero()) return kErrDivideByZero;
  // (a x 10^8) / (b x 10^8) x 10^8: shift the dividend by 10^8 first.
  Decimal r;
  r.negative = da.negative != db.negative;
  r.magnitude = WideDivideRounded(WideShiftUp(da.magnitude, kFraction), db.magnitude);
  return DecimalToBcd(r, out);
}

int16_t BcdRound(const VvBcd& value, int32_t decimals, int32_t integerDigits, VvBcd* out) {
  if (decimals < 0 || decimals > kFraction || integerDigits < 0 ||
      integerDigits > VV_BCD_INTEGER_DIGITS) {
    return kErrBadArgument;
  }
  Decimal d;
  if (int16_t rc = DecimalFromBcd(value, &d)) return rc;
  const int drop = kFraction - decimals;
  d.magnitude = WideShiftUp(WideShiftDownRounded(d.magnitude, drop), drop);
  if (d.magnitude.Length() > kFraction + integerDigits) return kErrOverflow;
  return DecimalToBcd(d, out);
}

int16_t BcdCheck(const VvBcd& value) {
  Decimal d;
  return DecimalFromBcd(value, &d);
}

int BcdCompare(const VvBcd& a, const VvBcd& b) {
  Decimal da, db;
  if (DecimalFromBcd(a, &da) != 0 || DecimalFromBcd(b, &db) != 0) return 0;
  if (da.negative != db.negative) return da.negative ? -1 : 1;
  const int c = WideCompare(da.magnitude, db.magnitude);
  return da.negative ? -c : c;
}

bool BcdIsZero(const VvBcd& value) {
  for (int i = 0; i < VV_BCD_SIGN_BYTE; ++i) {
    if (value.b[i] != 0) return false;
  }
  return true;
}

bool BcdIsNegative(const VvBcd& value) {
  return value.b[VV_BCD_SIGN_BYTE] == VV_BCD_SIGN_NEGATIVE && !BcdIsZero(value);
}

}  // namespace vv::host
