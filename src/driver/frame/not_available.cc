#include "driver/frame/not_available.h"

#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"

namespace vv::driver {

int16_t mvbtrNotAvailable(const char* name) {
  mvbtrErrorReport(kErrNotAvailable, name);
  return mvbtrErrorStatus();
}

}  // namespace vv::driver
