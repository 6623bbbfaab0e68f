// Thin routines over the host services table: each passes its arguments to
// one slot and returns the slot's result. The driver calls its host only
// through these.
#ifndef VEVERAVE_DRIVER_FRAME_HOST_HOST_CALLS_H_
#define VEVERAVE_DRIVER_FRAME_HOST_HOST_CALLS_H_

#include <cstdint>

#include "veverave/host_services.h"

namespace vv::driver {

// The table handed over by mvDLLSetLoaderGlobals; null before that.
const VvHostServices* HostServices();
void HostServicesSet(const VvHostServices* services);

template <class Fn>
Fn HostSlot(int slot) {
  return reinterpret_cast<Fn>(HostServices()->slot[slot]);
}
#define VV_HOST_CALL(Name, ...) \
  ::vv::driver::HostSlot<VvHost_##Name>(VV_HOST_SLOT_##Name)(__VA_ARGS__)

// Error channel. Without a host table (a host that broke the loading order)
// reports go nowhere and the status routines answer as if none were pending,
// so the driver never calls through a null table.
int16_t mvbtrErrorReport(int16_t error, const char* text);
int16_t mvbtrErrorStatus();
int16_t mvbtrErrorClear();
int16_t mvbtrErrorTake();
int16_t mvbtrErrorRaise(int16_t error);
int16_t mvbtrPendingErrorFetch(int16_t* code, char* text);

// Host attributes.
int32_t mvbtrHostAttrGetNumeric(int32_t hFile, int32_t n1, int32_t n2, int32_t attr);
int16_t mvbtrHostAttrGetString(int32_t hFile, int32_t n1, int32_t n2, int32_t attr, char* buffer,
                               int32_t size);
int16_t mvbtrHostAttrSetNumeric(int32_t hFile, int32_t n1, int32_t n2, int32_t attr,
                                int32_t value);
int16_t mvbtrHostAttrSetString(int32_t hFile, int32_t n1, int32_t n2, int32_t attr,
                               const char* text);

// Name comparison: true when the host finds the two names equal.
bool mvbtrHostNamesEqual(int32_t hFile, const char* a, const char* b);

// File handle to open file record.
void* mvbtrFileFromHandle(int32_t hFile);
int16_t mvbtrFileHandleSet(int32_t hFile, void* record);
int16_t mvbtrFileHandleFree(int32_t hFile);
// Asks the host to close the table under hFile (the host closes a driver
// table through btrFileClose); the host's result.
int16_t mvbtrHostFileClose(int32_t hFile);

// The host's data search path (attribute 3 of handle 0) into a buffer of
// VV_HOST_DATA_PATH_SIZE bytes; empty when the host has none.
void mvbtrDataPathGet(char* buffer);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FRAME_HOST_HOST_CALLS_H_
