// Microsoft Binary Format floats (Btrieve BFLOAT) and their IEEE forms.
//
// 4 bytes: byte 3 is the exponent (0 = the value 0, bias 129), bit 7 of byte 2
// the sign, the remaining 23 bits the mantissa. 8 bytes: byte 7 the exponent,
// bit 7 of byte 6 the sign, a 55-bit mantissa. MBF has no infinities, no
// denormals and no NaN; values too small for the other format become 0.
#ifndef VEVERAVE_DRIVER_FIELDS_MBF_H_
#define VEVERAVE_DRIVER_FIELDS_MBF_H_

#include <cstdint>

namespace vv::driver {

float mvbtrMbf4ToIeee(const uint8_t* mbf);
double mvbtrMbf8ToIeee(const uint8_t* mbf);
// False when the value is too large for MBF, whose exponent is one byte (an
// IEEE exponent of 254 or more for 4 bytes, 1150 or more for 8 bytes,
// infinities and NaN included); mbf is then not written.
bool mvbtrIeeeToMbf4(float value, uint8_t* mbf);
bool mvbtrIeeeToMbf8(double value, uint8_t* mbf);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FIELDS_MBF_H_
