#include "driver/frame/host/host_text.h"

#include "driver/frame/host/host_calls.h"

namespace vv::driver {

int16_t mvbtrTextOpen(const char* path, int32_t mode) {
  return VV_HOST_CALL(TextOpen, path, mode);
}

int16_t mvbtrTextClose(int32_t mode) {
  return VV_HOST_CALL(TextClose, mode);
}

int32_t mvbtrTextRead(char* keyword, char* value) {
  return VV_HOST_CALL(TextRead, keyword, value);
}

int16_t mvbtrTextWrite(const char* keyword, const char* value, int32_t code) {
  return VV_HOST_CALL(TextWrite, keyword, value, code);
}

}  // namespace vv::driver
