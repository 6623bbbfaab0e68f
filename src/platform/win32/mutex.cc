// Mutex on a Windows critical section.
#include "platform/win32/windows_shim.h"
// windows_shim.h first: it tames <windows.h> for platform.h.
#include <new>

namespace vv::platform {

namespace {

// The storage in the header is sized for every platform we build on.
static_assert(sizeof(CRITICAL_SECTION) <= 64, "Mutex::storage_ too small");
static_assert(alignof(CRITICAL_SECTION) <= 8, "Mutex::storage_ under-aligned");

CRITICAL_SECTION* Native(unsigned char* storage) {
  return std::launder(reinterpret_cast<CRITICAL_SECTION*>(storage));
}

}  // namespace

Mutex::Mutex() {
  InitializeCriticalSection(new (storage_) CRITICAL_SECTION);
}

Mutex::~Mutex() {
  DeleteCriticalSection(Native(storage_));
}

void Mutex::Lock() {
  EnterCriticalSection(Native(storage_));
}

void Mutex::Unlock() {
  LeaveCriticalSection(Native(storage_));
}

}  // namespace vv::platform
