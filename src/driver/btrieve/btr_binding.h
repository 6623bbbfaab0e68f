// Binding of the Btrieve library the gateway calls.
//
// Windows: the driver imports wbtrv32.dll by ordinal only (1, 2 and 3) through
// an import library; ordinal 2, the call with a client identifier, is the one
// the driver calls. The loader binds it with the driver DLL.
//
// POSIX: bound at first use to a shared library exporting BTRCALLID: the file
// named by VEVERAVE_BTRIEVE_LIB when that variable is set and not empty (only
// that file: a library named on purpose is never silently replaced by
// another), else the engine library beside the driver, else the engine library
// on the loader's search path. A failed binding is tried again at the next
// call. Once bound, the library stays loaded for the life of the process: the
// engine's state (clients, open files, locks) lives in it.
#ifndef VEVERAVE_DRIVER_BTRIEVE_BTR_BINDING_H_
#define VEVERAVE_DRIVER_BTRIEVE_BTR_BINDING_H_

#include <cstdint>

#include "veverave/btrieve.h"

namespace vv::driver {

// Environment variable naming the Btrieve library on POSIX.
inline constexpr const char* kBtrieveLibVariable = "VEVERAVE_BTRIEVE_LIB";
// Base name of the embedded engine library.
inline constexpr const char* kEngineLibraryName = "vvengine";
// Exported name of the one-pointer call (ordinal 3) in a POSIX library.
inline constexpr const char* kBtrCallPtrSymbol = "BTRCALLBACK";

// The bound call with a client identifier (ordinal 2); null when the library
// or its BTRCALLID cannot be bound.
BtrCallIdFn mvbtrBtrCallIdBound();

// Wrappers of ordinals 1 (the call for one default client) and 3 (the
// one-pointer call). The driver never calls them; they exist so that the
// client library's interface is imported whole. Unbound: ENGINE_INACTIVE.
int16_t mvbtrBtrCallNoClient(uint16_t operation, void* posBlock, void* dataBuf, uint32_t* dataLen,
                             void* keyBuf, uint8_t keyLen, int8_t keyNum);
int16_t mvbtrBtrCallPtr(void* request);

// Test hook (POSIX): forgets the binding and unloads the library, so that the
// next call binds again (after a test changed VEVERAVE_BTRIEVE_LIB).
void BtrBindingReset();

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_BTRIEVE_BTR_BINDING_H_
