// The progress callback of a commit: messages, warnings, phase titles,
// record counts and error lines for the host, whose non-zero answer stops
// the operation in progress and becomes its status.
#ifndef VEVERAVE_DRIVER_RESTRUCTURE_PROGRESS_H_
#define VEVERAVE_DRIVER_RESTRUCTURE_PROGRESS_H_

#include <cstdint>

#include "veverave/driver.h"

namespace vv::driver {

// Sends the printf-style text with kind (VV_PROGRESS_*) and returns the
// callback's answer; 0 without a callback.
int16_t mvbtrProgressSend(VvProgressFn progress, int32_t kind, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_RESTRUCTURE_PROGRESS_H_
