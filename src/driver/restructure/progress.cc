#include "driver/restructure/progress.h"

#include <cstdarg>
#include <cstdio>

#include "veverave/host_services.h"

namespace vv::driver {

int16_t mvbtrProgressSend(VvProgressFn progress, int32_t kind, const char* format, ...) {
  if (progress == nullptr) return 0;
  char text[VV_HOST_ERROR_TEXT_SIZE];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return progress(text, kind);
}

}  // namespace vv::driver
