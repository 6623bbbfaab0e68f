// The report of a driver function that this build does not contain yet:
// error kErrNotAvailable with the function's name, so a host sees a clear
// failure instead of a silent success.
#ifndef VEVERAVE_DRIVER_FRAME_NOT_AVAILABLE_H_
#define VEVERAVE_DRIVER_FRAME_NOT_AVAILABLE_H_

#include <cstdint>

namespace vv::driver {

// Reports kErrNotAvailable with name; returns the pending error.
int16_t mvbtrNotAvailable(const char* name);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FRAME_NOT_AVAILABLE_H_
