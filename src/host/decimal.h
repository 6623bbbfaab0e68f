// Decimal digit arithmetic behind the BCD routines: a BCD value unpacked into
// its sign and 22 digits, and unsigned integers of up to 48 decimal digits for
// the intermediate results of products and quotients.
#ifndef VEVERAVE_HOST_DECIMAL_H_
#define VEVERAVE_HOST_DECIMAL_H_

#include <array>
#include <cstdint>

#include "veverave/host_services.h"

namespace vv::host {

inline constexpr int kBcdDigits = VV_BCD_INTEGER_DIGITS + VV_BCD_FRACTION_DIGITS;

// An unsigned integer as decimal digits, least significant first. A BCD value
// becomes the integer value x 10^8 (its 22 digits read as one integer).
struct Wide {
  static constexpr int kDigits = 48;
  std::array<uint8_t, kDigits> d{};

  bool IsZero() const;
  // Number of significant digits (0 for zero).
  int Length() const;
};

// -1, 0 or 1.
int WideCompare(const Wide& a, const Wide& b);
// a + b; the caller keeps both below 10^47.
Wide WideAdd(const Wide& a, const Wide& b);
// a - b for a >= b.
Wide WideSubtract(const Wide& a, const Wide& b);
// a x b; the caller keeps the product below 10^48 (22 x 22 digits fits).
Wide WideMultiply(const Wide& a, const Wide& b);
// a x 10^n, digits pushed out at the top are lost (the caller checks Length).
Wide WideShiftUp(const Wide& a, int n);
// a / 10^n rounded half away from zero (the magnitude rounds up at .5).
Wide WideShiftDownRounded(const Wide& a, int n);
// Quotient of a / b rounded half up (b not zero).
Wide WideDivideRounded(const Wide& a, const Wide& b);
// The low 64 bits' worth: the value when it has at most 19 digits.
uint64_t WideToU64(const Wide& a);
Wide WideFromU64(uint64_t v);

// A BCD value unpacked: the magnitude x 10^8 and the sign.
struct Decimal {
  bool negative = false;
  Wide magnitude;
};

// Unpacks a BCD value; kErrInvalidBcd for a nibble above 9 or a sign byte
// other than 0x00 and 0xFF.
int16_t DecimalFromBcd(const VvBcd& value, Decimal* out);
// Packs a decimal; kErrOverflow when the magnitude has more than 22 digits.
// A zero magnitude is packed as positive.
int16_t DecimalToBcd(const Decimal& value, VvBcd* out);

}  // namespace vv::host

#endif  // VEVERAVE_HOST_DECIMAL_H_
