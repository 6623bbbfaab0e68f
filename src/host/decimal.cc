#include "host/decimal.h"

#include "host/host_errors.h"

namespace vv::host {

bool Wide::IsZero() const {
  for (uint8_t digit : d) {
    if (digit != 0) return false;
  }
  return true;
}

int Wide::Length() const {
  for (int i = kDigits - 1; i >= 0; --i) {
    if (d[i] != 0) return i + 1;
  }
  return 0;
}

int WideCompare(const Wide& a, const Wide& b) {
  for (int i = Wide::kDigits - 1; i >= 0; --i) {
    if (a.d[i] != b.d[i]) return a.d[i] < b.d[i] ? -1 : 1;
  }
  return 0;
}

Wide WideAdd(const Wide& a, const Wide& b) {
  Wide r;
  int carry = 0;
  for (int i = 0; i < Wide::kDigits; ++i) {
    int s = a.d[i] + b.d[i] + carry;
    carry = s >= 10 ? 1 : 0;
    r.d[i] = static_cast<uint8_t>(s - 10 * carry);
  }
  return r;
}

Wide WideSubtract(const Wide& a, const Wide& b) {
  Wide r;
  int borrow = 0;
  for (int i = 0; i < Wide::kDigits; ++i) {
    int s = a.d[i] - b.d[i] - borrow;
    borrow = s < 0 ? 1 : 0;
    r.d[i] = static_cast<uint8_t>(s + 10 * borrow);
  }
  return r;
}

Wide WideMultiply(const Wide& a, const Wide& b) {
  // Column sums stay far below the int range: at most 48 products of 81.
  std::array<int, Wide::kDigits> columns{};
  const int la = a.Length();
  const int lb = b.Length();
  for (int i = 0; i < la; ++i) {
    if (a.d[i] == 0) continue;
    for (int j = 0; j < lb && i + j < Wide::kDigits; ++j) columns[i + j] += a.d[i] * b.d[j];
  }
  Wide r;
  int carry = 0;
  for (int i = 0; i < Wide::kDigits; ++i) {
    int s = columns[i] + carry;
    r.d[i] = static_cast<uint8_t>(s % 10);
    carry = s / 10;
  }
  return r;
}

Wide WideShiftUp(const Wide& a, int n) {
  Wide r;
  for (int i = Wide::kDigits - 1; i >= n; --i) r.d[i] = a.d[i - n];
  return r;
}

Wide WideShiftDownRounded(const Wide& a, int n) {
  if (n <= 0) return a;
  Wide r;
  for (int i = n; i < Wide::kDigits; ++i) r.d[i - n] = a.d[i];
  if (a.d[n - 1] >= 5) r = WideAdd(r, WideFromU64(1));
  return r;
}

Wide WideDivideRounded(const Wide& a, const Wide& b) {
  // Schoolbook long division, one quotient digit per dividend digit.
  Wide q;
  Wide rem;
  for (int i = a.Length() - 1; i >= 0; --i) {
    rem = WideShiftUp(rem, 1);
    rem.d[0] = a.d[i];
    uint8_t digit = 0;
    while (WideCompare(rem, b) >= 0) {
      rem = WideSubtract(rem, b);
      ++digit;
    }
    q.d[i] = digit;
  }
  // Half up: twice the remainder at least the divisor.
  if (WideCompare(WideAdd(rem, rem), b) >= 0) q = WideAdd(q, WideFromU64(1));
  return q;
}

uint64_t WideToU64(const Wide& a) {
  uint64_t v = 0;
  for (int i = 19; i >= 0; --i) v = v * 10 + a.d[i];
  return v;
}

Wide WideFromU64(uint64_t v) {
  Wide r;
  for (int i = 0; v != 0; ++i, v /= 10) r.d[i] = static_cast<uint8_t>(v % 10);
  return r;
}

int16_t DecimalFromBcd(const VvBcd& value, Decimal* out) {
  const uint8_t sign = value.b[VV_BCD_SIGN_BYTE];
  if (sign != 0 && sign != VV_BCD_SIGN_NEGATIVE) return kErrInvalidBcd;
  Decimal r;
  for (int byte = 0; byte < VV_BCD_SIGN_BYTE; ++byte) {
    const int hi = value.b[byte] >> 4;
    const int lo = value.b[byte] & 0x0F;
    if (hi > 9 || lo > 9) return kErrInvalidBcd;
    // Digit k of the 22 (most significant first) is Wide digit 21 - k.
    r.magnitude.d[kBcdDigits - 1 - 2 * byte] = static_cast<uint8_t>(hi);
    r.magnitude.d[kBcdDigits - 2 - 2 * byte] = static_cast<uint8_t>(lo);
  }
  r.negative = sign == VV_BCD_SIGN_NEGATIVE && !r.magnitude.IsZero();
  *out = r;
  return 0;
}

int16_t DecimalToBcd(const Decimal& value, VvBcd* out) {
  if (value.magnitude.Length() > kBcdDigits) return kErrOverflow;
  VvBcd r{};
  for (int byte = 0; byte < VV_BCD_SIGN_BYTE; ++byte) {
    const int hi = value.magnitude.d[kBcdDigits - 1 - 2 * byte];
    const int lo = value.magnitude.d[kBcdDigits - 2 - 2 * byte];
    r.b[byte] = static_cast<uint8_t>(hi << 4 | lo);
  }
  r.b[VV_BCD_SIGN_BYTE] = value.negative && !value.magnitude.IsZero() ? VV_BCD_SIGN_NEGATIVE : 0x00;
  *out = r;
  return 0;
}

}  // namespace vv::host
