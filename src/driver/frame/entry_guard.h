// The one shape of every exported entry point: run the internal routine and
// return its result, with no C++ exception ever crossing into the host. Out of
// memory becomes error 10 and anything unexpected error kErrInternal, both
// with the entry point's name as text.
#ifndef VEVERAVE_DRIVER_FRAME_ENTRY_GUARD_H_
#define VEVERAVE_DRIVER_FRAME_ENTRY_GUARD_H_

#include <cstdint>
#include <new>

#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"

namespace vv::driver {

inline void ReportEscapedException(const char* entry) {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    mvbtrErrorReport(kErrOutOfMemory, entry);
  } catch (...) {
    mvbtrErrorReport(kErrInternal, entry);
  }
}

// For entry points whose result is a status: a failure returns the pending error.
template <class F>
auto GuardStatus(const char* entry, F&& body) noexcept -> decltype(body()) {
  try {
    return body();
  } catch (...) {
    ReportEscapedException(entry);
  }
  return static_cast<decltype(body())>(mvbtrErrorStatus());
}

// For entry points whose result is a value: a failure returns `failed`.
template <class R, class F>
R GuardValue(const char* entry, R failed, F&& body) noexcept {
  try {
    return body();
  } catch (...) {
    ReportEscapedException(entry);
  }
  return failed;
}

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FRAME_ENTRY_GUARD_H_
