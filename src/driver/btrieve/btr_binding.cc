#include "driver/btrieve/btr_binding.h"

#ifndef _WIN32
#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"
#endif

#ifdef _WIN32

// The client library's three exports, imported by ordinal through the import
// library made from the driver's wbtrv32 definition file.
extern "C" {
int16_t VV_CALL BTRCALL(uint16_t op, void* posBlock, void* dataBuf, uint32_t* dataLen, void* keyBuf,
                        uint8_t keyLen, int8_t keyNum);
int16_t VV_CALL BTRCALLID(uint16_t op, void* posBlock, void* dataBuf, uint32_t* dataLen,
                          void* keyBuf, uint8_t keyLen, int8_t keyNum, uint8_t* clientId);
int16_t VV_CALL BTRCALLBACK(void* request);
}

namespace vv::driver {

BtrCallIdFn mvbtrBtrCallIdBound() {
  return &BTRCALLID;
}

int16_t mvbtrBtrCallNoClient(uint16_t operation, void* posBlock, void* dataBuf, uint32_t* dataLen,
                             void* keyBuf, uint8_t keyLen, int8_t keyNum) {
  return BTRCALL(operation, posBlock, dataBuf, dataLen, keyBuf, keyLen, keyNum);
}

int16_t mvbtrBtrCallPtr(void* request) {
  return BTRCALLBACK(request);
}

// The import is bound by the loader: there is nothing to forget.
void BtrBindingReset() {}

}  // namespace vv::driver

#else  // POSIX

namespace vv::driver {
namespace {

// The bound library and its call. Plain pointers: the driver keeps no objects
// with destructors in static storage, and the library stays loaded for the
// life of the process (see the header).
platform::Library* g_library = nullptr;
BtrCallIdFn g_callId = nullptr;

std::unique_ptr<platform::Library> LibraryLoad() {
  std::optional<std::string> named = platform::GetEnv(kBtrieveLibVariable);
  if (named.has_value() && !named->empty()) return platform::LoadLibrary(*named);
  const std::string file = platform::SharedLibraryName(kEngineLibraryName);
  // Any address inside the driver names the driver's own file.
  const std::string dir = platform::ModuleDirectory(&g_callId);
  if (!dir.empty()) {
    if (std::unique_ptr<platform::Library> beside = platform::LoadLibrary(dir + file))
      return beside;
  }
  return platform::LoadLibrary(file);
}

// The library, loaded on first use; null when it cannot be loaded.
platform::Library* Library() {
  if (g_library == nullptr) g_library = LibraryLoad().release();
  return g_library;
}

template <class Fn>
Fn SymbolOf(const char* name) {
  platform::Library* library = Library();
  if (library == nullptr) return nullptr;
  return reinterpret_cast<Fn>(library->Symbol(name));
}

}  // namespace

BtrCallIdFn mvbtrBtrCallIdBound() {
  if (g_callId == nullptr) g_callId = SymbolOf<BtrCallIdFn>(BTR_CALL_ID_SYMBOL);
  return g_callId;
}

int16_t mvbtrBtrCallNoClient(uint16_t operation, void* posBlock, void* dataBuf, uint32_t* dataLen,
                             void* keyBuf, uint8_t keyLen, int8_t keyNum) {
  auto call = SymbolOf<BtrCallFn>(BTR_CALL_SYMBOL);
  if (call == nullptr) return BTR_STATUS_ENGINE_INACTIVE;
  return call(operation, posBlock, dataBuf, dataLen, keyBuf, keyLen, keyNum);
}

int16_t mvbtrBtrCallPtr(void* request) {
  auto call = SymbolOf<BtrCallPtrFn>(kBtrCallPtrSymbol);
  if (call == nullptr) return BTR_STATUS_ENGINE_INACTIVE;
  return call(request);
}

void BtrBindingReset() {
  g_callId = nullptr;
  std::unique_ptr<platform::Library>(g_library).reset();
  g_library = nullptr;
}

}  // namespace vv::driver

#endif
