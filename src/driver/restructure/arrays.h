// Zero-filled arrays for the descriptor copies of a restructure: allocated
// through the driver's hook, and error 10 with the routine's text when
// memory runs out.
#ifndef VEVERAVE_DRIVER_RESTRUCTURE_ARRAYS_H_
#define VEVERAVE_DRIVER_RESTRUCTURE_ARRAYS_H_

#include <cstddef>
#include <cstring>

#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"

namespace vv::driver {

// count entries of T, zero-filled; null after error 10 with context (no
// text when context is null).
template <class T>
T* ArrayNew(std::size_t count, const char* context) {
  const std::size_t size = sizeof(T) * (count == 0 ? 1 : count);
  void* block = DriverAlloc(size);
  if (block == nullptr) {
    mvbtrErrorReport(kErrOutOfMemory, context);
    return nullptr;
  }
  std::memset(block, 0, size);
  return static_cast<T*>(block);
}

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_RESTRUCTURE_ARRAYS_H_
