// The one shape of every slot body: no C++ exception ever leaves a slot. Out
// of memory becomes host error 10, anything else an internal error; the text
// names the slot.
#ifndef VEVERAVE_HOST_SLOT_GUARD_H_
#define VEVERAVE_HOST_SLOT_GUARD_H_

#include <new>
#include <string>

#include "host/host_errors.h"

namespace vv::host {

template <class R, class Fn>
R Guarded(const char* slot, R failure, Fn&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    HostErrorSet(kErrOutOfMemory, slot);
  } catch (...) {
    HostErrorSet(kErrInternal, slot);
  }
  return failure;
}

template <class Fn>
void GuardedVoid(const char* slot, Fn&& body) noexcept {
  try {
    body();
  } catch (const std::bad_alloc&) {
    HostErrorSet(kErrOutOfMemory, slot);
  } catch (...) {
    HostErrorSet(kErrInternal, slot);
  }
}

// Reports a null pointer argument of a slot.
inline int16_t NullArgument(const char* slot) {
  return HostErrorSet(kErrBadArgument, (std::string(slot) + ": null pointer").c_str());
}

}  // namespace vv::host

#endif  // VEVERAVE_HOST_SLOT_GUARD_H_
