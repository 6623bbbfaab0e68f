#include "driver/frame/host/host_bcd.h"

#include "driver/frame/host/host_calls.h"

namespace vv::driver {

int32_t mvbtrBcdToInt(const VvBcd* value) {
  return VV_HOST_CALL(BcdToInt, value);
}

int16_t mvbtrIntToBcd(int32_t value, VvBcd* out) {
  return VV_HOST_CALL(IntToBcd, value, out);
}

double mvbtrBcdToDouble(const VvBcd* value) {
  return VV_HOST_CALL(BcdToDouble, value);
}

int16_t mvbtrDoubleToBcd(double value, VvBcd* out) {
  return VV_HOST_CALL(DoubleToBcd, value, out);
}

int16_t mvbtrTextToBcd(const char* text, VvBcd* out) {
  return VV_HOST_CALL(TextToBcd, text, out);
}

int16_t mvbtrBcdToText(const VvBcd* value, char* buffer, int32_t width, int32_t decimals) {
  return VV_HOST_CALL(BcdToText, value, buffer, width, decimals);
}

int16_t mvbtrBcdAdd(const VvBcd* a, const VvBcd* b, VvBcd* result) {
  return VV_HOST_CALL(BcdAdd, a, b, result);
}

int16_t mvbtrBcdDivide(const VvBcd* a, const VvBcd* b, VvBcd* result) {
  return VV_HOST_CALL(BcdDivide, a, b, result);
}

int16_t mvbtrBcdMultiply(const VvBcd* a, const VvBcd* b, VvBcd* result) {
  return VV_HOST_CALL(BcdMultiply, a, b, result);
}

}  // namespace vv::driver
