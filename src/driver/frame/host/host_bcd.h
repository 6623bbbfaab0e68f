// Thin routines over the host's BCD services: conversions between the host's
// BCD value and integers, doubles and text, and BCD arithmetic. Each passes
// its arguments to one slot and returns the slot's result; the host reports
// its own failures (TextToBcd: error 14 when the text is not a number).
#ifndef VEVERAVE_DRIVER_FRAME_HOST_HOST_BCD_H_
#define VEVERAVE_DRIVER_FRAME_HOST_HOST_BCD_H_

#include <cstdint>

#include "veverave/host_services.h"

namespace vv::driver {

int32_t mvbtrBcdToInt(const VvBcd* value);
int16_t mvbtrIntToBcd(int32_t value, VvBcd* out);
double mvbtrBcdToDouble(const VvBcd* value);
int16_t mvbtrDoubleToBcd(double value, VvBcd* out);
int16_t mvbtrTextToBcd(const char* text, VvBcd* out);
// Writes the value as text of the given width with the given decimals.
int16_t mvbtrBcdToText(const VvBcd* value, char* buffer, int32_t width, int32_t decimals);
int16_t mvbtrBcdAdd(const VvBcd* a, const VvBcd* b, VvBcd* result);
// result = a / b.
int16_t mvbtrBcdDivide(const VvBcd* a, const VvBcd* b, VvBcd* result);
int16_t mvbtrBcdMultiply(const VvBcd* a, const VvBcd* b, VvBcd* result);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FRAME_HOST_HOST_BCD_H_
