// Entry points and driver functions whose subsystem this build does not
// contain yet report error kErrNotAvailable with their name, so a host sees a
// clear failure instead of a silent success.
#ifndef VEVERAVE_DRIVER_FRAME_PENDING_H_
#define VEVERAVE_DRIVER_FRAME_PENDING_H_

#include <cstdint>

namespace vv::driver {

int16_t mvbtrNotAvailable(const char* name);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FRAME_PENDING_H_
