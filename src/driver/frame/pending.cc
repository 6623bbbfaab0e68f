// Entry points of subsystems this build does not contain yet. Each keeps the
// prologue it will have (initialising entry points initialise the driver;
// those that take a handle look up its record) and then reports
// kErrNotAvailable with its name. Entries leave this file as their subsystem
// is built.
#include "driver/frame/pending.h"

#include "driver/frame/entry_guard.h"
#include "driver/frame/errors.h"
#include "driver/frame/host_calls.h"
#include "driver/frame/init.h"
#include "veverave/driver.h"

namespace vv::driver {

int16_t mvbtrNotAvailable(const char* name) {
  mvbtrErrorReport(kErrNotAvailable, name);
  return mvbtrErrorStatus();
}

namespace {

int16_t PendingWithHandle(const char* name, int32_t hFile) {
  mvbtrFileFromHandle(hFile);
  return mvbtrNotAvailable(name);
}

int16_t PendingInitialising(const char* name) {
  int16_t status = mvbtrDriverEnsureInit();
  if (!mvbtrDriverIsInit()) return status;
  return mvbtrNotAvailable(name);
}

}  // namespace
}  // namespace vv::driver

using vv::driver::GuardStatus;
using vv::driver::GuardValue;
using vv::driver::PendingInitialising;
using vv::driver::PendingWithHandle;

#define VV_PENDING_HANDLE(name, params, ...)                                  \
  extern "C" int16_t VV_CALL name params {                                    \
    return GuardStatus(#name, [&] { return PendingWithHandle(#name, hFile); }); \
  }

extern "C" {

VV_PENDING_HANDLE(btrFileDeleteAllRecords, (int32_t hFile))
VV_PENDING_HANDLE(btrFileDelete, (int32_t hFile))
VV_PENDING_HANDLE(btrFieldDelete, (int32_t hFile, int32_t))
VV_PENDING_HANDLE(btrIndexDelete, (int32_t hFile, int32_t))
VV_PENDING_HANDLE(btrStructureEnd, (int32_t hFile, uint32_t, int32_t, VvProgressFn))
VV_PENDING_HANDLE(btrStructureAbort, (int32_t hFile))
VV_PENDING_HANDLE(btrAttributeGetString, (int32_t hFile, int32_t, int32_t, int32_t, char*, int32_t, int32_t))
VV_PENDING_HANDLE(btrAttributeSetNumeric, (int32_t hFile, int32_t, int32_t, int32_t, int32_t, int32_t))
VV_PENDING_HANDLE(btrAttributeSetString, (int32_t hFile, int32_t, int32_t, int32_t, const char*, int32_t))

int32_t VV_CALL btrFieldCreate(int32_t hFile, int32_t) {
  return GuardValue<int32_t>("btrFieldCreate", 0,
                             [&] { PendingWithHandle("btrFieldCreate", hFile); return 0; });
}

int32_t VV_CALL btrIndexCreate(int32_t hFile) {
  return GuardValue<int32_t>("btrIndexCreate", 0,
                             [&] { PendingWithHandle("btrIndexCreate", hFile); return 0; });
}

int32_t VV_CALL btrAttributeGetNumeric(int32_t hFile, int32_t, int32_t, int32_t, int32_t) {
  return GuardValue<int32_t>("btrAttributeGetNumeric", 0, [&] {
    PendingWithHandle("btrAttributeGetNumeric", hFile);
    return 0;
  });
}

int16_t VV_CALL btrStructureStart(int32_t*, int32_t) {
  return GuardStatus("btrStructureStart", [] { return PendingInitialising("btrStructureStart"); });
}

}  // extern "C"
