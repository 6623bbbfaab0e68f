// The five driver-wide scratch buffers (trash, value, sort, record, key-value).
// Each grows on demand and never shrinks: asking for n bytes returns the
// existing block when it is large enough, otherwise a new block of n bytes
// replaces it (old contents dropped).
#ifndef VEVERAVE_DRIVER_FRAME_UTIL_SCRATCH_H_
#define VEVERAVE_DRIVER_FRAME_UTIL_SCRATCH_H_

#include <cstddef>

#include "driver/frame/globals.h"

namespace vv::driver {

// A block of at least size bytes, or null after reporting error 10 with the
// buffer's own name ("mvbtrTrashBuffer", "mvbtrValueBuffer", ...).
void* mvbtrScratchBuffer(ScratchBufferId id, std::size_t size);
// Frees every scratch buffer and sets its size to 0.
void mvbtrScratchRelease(DriverGlobals* globals);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FRAME_UTIL_SCRATCH_H_
