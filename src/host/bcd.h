// The host's number: the 12-byte BCD value of host_services.h, 14 integer and
// 8 fraction digits and a sign byte. These routines are exact: they work on
// the decimal digits, never through binary floating point (except the two
// conversions to and from double, which round as stated below).
//
// Every routine returns 0 or a host error number (host_errors.h) and leaves
// the error channel alone; the slots report the errors. A result is never a
// negative zero. On failure *out is left as it was.
//
// Rounding: wherever digits are dropped (more than 8 fraction digits from
// text, a product, a quotient, fewer decimals in text), the value is rounded
// half away from zero: 0.125 to two decimals is 0.13, -0.125 is -0.13.
#ifndef VEVERAVE_HOST_BCD_H_
#define VEVERAVE_HOST_BCD_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "host/host_api.h"
#include "veverave/host_services.h"

namespace vv::host {

// The BCD value 0.
VV_HOST_API VvBcd BcdZero();

// Integers. To int truncates the fraction toward zero; a value outside the
// signed 32-bit range is kErrOverflow.
VV_HOST_API int16_t BcdFromInt(int32_t value, VvBcd* out);
VV_HOST_API int16_t BcdToInt(const VvBcd& value, int32_t* out);

// Doubles. From a double: the double's shortest decimal form that reads back
// as the same double (what a program prints for it: 0.1, 2.675,
// 1.5e-08) is rounded to 8 decimals, so 1.5e-08 gives 0.00000002. Not a
// number is kErrNotANumber; infinities and values of 10^14 or more after
// rounding are kErrOverflow. To a double: the nearest double.
VV_HOST_API int16_t BcdFromDouble(double value, VvBcd* out);
VV_HOST_API int16_t BcdToDouble(const VvBcd& value, double* out);

// Text to number. Accepted: blanks, an optional sign "+" or "-", blanks,
// digits with at most one decimal separator, blanks. The decimal separator is
// decimalSeparator; when that is '.' a ',' may group integer digits (between
// two digits), and when it is ',' a '.' may. Text that is empty or only blanks
// is 0. Anything else is kErrNotANumber; more than 14 integer digits (leading
// zeros not counted) is kErrOverflow; fraction digits beyond 8 are rounded.
VV_HOST_API int16_t BcdFromText(std::string_view text, char decimalSeparator, VvBcd* out);

// Number to text as printf's "%*.*f" would print it: decimals fraction digits
// (0 to 8; values outside are taken as the nearest of them) after
// decimalSeparator, rounded; a "-" only for a value that is not zero after
// rounding; padded on the left with blanks to width characters (0 to 255,
// below 0 taken as 0; above 255 is kErrBadArgument).
VV_HOST_API int16_t BcdToText(const VvBcd& value, int32_t width, int32_t decimals,
                              char decimalSeparator, std::string* out);

// Arithmetic. A result beyond 14 integer digits is kErrOverflow; dividing by
// zero is kErrDivideByZero. Product and quotient are rounded to 8 decimals.
VV_HOST_API int16_t BcdAdd(const VvBcd& a, const VvBcd& b, VvBcd* out);
VV_HOST_API int16_t BcdSubtract(const VvBcd& a, const VvBcd& b, VvBcd* out);
VV_HOST_API int16_t BcdMultiply(const VvBcd& a, const VvBcd& b, VvBcd* out);
VV_HOST_API int16_t BcdDivide(const VvBcd& a, const VvBcd& b, VvBcd* out);

// Rounds to decimals (0 to 8) fraction digits and checks that at most
// integerDigits (0 to 14) integer digits remain (kErrOverflow otherwise).
VV_HOST_API int16_t BcdRound(const VvBcd& value, int32_t decimals, int32_t integerDigits,
                             VvBcd* out);

// Checks the layout: every nibble 0 to 9, sign byte 0x00 or 0xFF.
// kErrInvalidBcd otherwise.
VV_HOST_API int16_t BcdCheck(const VvBcd& value);

// Compares two valid values numerically: -1, 0 or 1 (a negative zero equals
// zero).
VV_HOST_API int BcdCompare(const VvBcd& a, const VvBcd& b);

VV_HOST_API bool BcdIsZero(const VvBcd& value);
VV_HOST_API bool BcdIsNegative(const VvBcd& value);  // negative and not zero

}  // namespace vv::host

#endif  // VEVERAVE_HOST_BCD_H_
