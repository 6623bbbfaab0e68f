// Entry points of subsystems this build does not contain yet. Each keeps the
// prologue it will have (initialising entry points initialise the driver;
// those that take a handle look up its record) and then reports
// kErrNotAvailable with its name. Entries leave this file as their subsystem
// is built.
#include "driver/frame/entry_guard.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/not_available.h"
#include "veverave/driver.h"

namespace vv::driver {
namespace {

int16_t NotBuiltWithHandle(const char* name, int32_t hFile) {
  mvbtrFileFromHandle(hFile);
  return mvbtrNotAvailable(name);
}

}  // namespace
}  // namespace vv::driver

using vv::driver::GuardStatus;
using vv::driver::NotBuiltWithHandle;

#define VV_NOT_BUILT_HANDLE(name, params, ...)                                  \
  extern "C" int16_t VV_CALL name params {                                    \
    return GuardStatus(#name, [&] { return NotBuiltWithHandle(#name, hFile); }); \
  }

extern "C" {

VV_NOT_BUILT_HANDLE(btrFileDeleteAllRecords, (int32_t hFile))
VV_NOT_BUILT_HANDLE(btrFileDelete, (int32_t hFile))

}  // extern "C"
