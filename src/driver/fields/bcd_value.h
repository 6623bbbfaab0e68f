// The host's BCD value, read and written by the driver itself. Layout: 22
// decimal digits packed two per byte, high nibble first: the 14 integer digits
// in bytes 0 to 6 (the low nibble of byte 6 is the units digit), the 8
// fraction digits in bytes 7 to 10 (the high nibble of byte 7 is the tenths
// digit), then a sign byte, 0x00 positive or zero, 0xFF negative.
//
// Digits are addressed by index: 0 is the highest integer digit, kBcdUnits
// (13) the units digit, 14 the tenths digit, 21 the last fraction digit. The
// routines here never produce a negative zero.
#ifndef VEVERAVE_DRIVER_FIELDS_BCD_VALUE_H_
#define VEVERAVE_DRIVER_FIELDS_BCD_VALUE_H_

#include <cstdint>

#include "veverave/host_services.h"

namespace vv::driver {

inline constexpr int kBcdIntDigits = VV_BCD_INTEGER_DIGITS;
inline constexpr int kBcdFracDigits = VV_BCD_FRACTION_DIGITS;
inline constexpr int kBcdDigits = kBcdIntDigits + kBcdFracDigits;
inline constexpr int kBcdUnits = kBcdIntDigits - 1;

int BcdDigit(const VvBcd& value, int index);
void BcdDigitSet(VvBcd* value, int index, int digit);
// Zero.
void BcdClear(VvBcd* value);
// Every digit is 0 (the sign byte is not looked at).
bool BcdIsZero(const VvBcd& value);
// The sign byte says negative and some digit is not 0.
bool BcdIsNegative(const VvBcd& value);
// Sets the sign byte; a zero value always stays positive.
void BcdSignSet(VvBcd* value, bool negative);

// The integer digits as a number (at most 14 digits), sign ignored.
uint64_t BcdIntegerPart(const VvBcd& value);
// The first count (0..8) fraction digits as a number: 0.1234 gives 12 for 2.
uint32_t BcdFraction(const VvBcd& value, int count);
// Some fraction digit after the first count is not 0.
bool BcdFractionBeyond(const VvBcd& value, int count);
// The value truncated to an integer, with its sign.
int64_t BcdToInt64(const VvBcd& value);

// Sets the value to magnitude / 10^scale (scale 0..8) with the given sign.
// False, leaving the value unchanged, when the integer part has more than 14
// digits.
bool BcdFromScaled(uint64_t magnitude, int scale, bool negative, VvBcd* value);
bool BcdFromInt64(int64_t number, VvBcd* value);

// Unsigned 32-bit numbers: digit pairs written from byte 6 backwards with a
// positive sign, and read back from the integer bytes only (an integer part
// beyond 32 bits wraps, as an unsigned number does).
void mvbtrUlongToBcd(uint32_t number, VvBcd* value);
uint32_t mvbtrBcdToUlong(const VvBcd& value);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FIELDS_BCD_VALUE_H_
