#include "driver/btrieve/btr_call.h"

#include <cstdio>

#include "driver/btrieve/btr_binding.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"

namespace vv::driver {
namespace {

// The test interposer; null in normal operation. A plain pointer: the driver
// keeps no objects with destructors in static storage.
BtrCallIdFn g_interposer = nullptr;

}  // namespace

BtrCallIdFn BtrCallInterpose(BtrCallIdFn fn) {
  BtrCallIdFn previous = g_interposer;
  g_interposer = fn;
  return previous;
}

int16_t mvbtrBtrCall(uint16_t operation, void* posBlock, void* dataBuf, uint16_t* dataLen,
                     void* keyBuf, int32_t keyNum, uint8_t* clientId) {
  BtrCallIdFn call = g_interposer != nullptr ? g_interposer : mvbtrBtrCallIdBound();
  if (call == nullptr) return BTR_STATUS_ENGINE_INACTIVE;
  uint32_t length = dataLen != nullptr ? *dataLen : 0;
  auto keyNumber = static_cast<int8_t>(static_cast<uint8_t>(keyNum & 0xFF));
  int16_t status =
      call(operation, posBlock, dataBuf, &length, keyBuf, BTR_MAX_KEY_SIZE, keyNumber, clientId);
  if (dataLen != nullptr) *dataLen = static_cast<uint16_t>(length & 0xFFFF);
  return status;
}

int16_t mvbtrBtrErrorReport(int16_t status, const char* context, const char* detail) {
  char text[VV_HOST_ERROR_TEXT_SIZE];
  if (context == nullptr) context = "";
  if (detail != nullptr) {
    std::snprintf(text, sizeof text, "%s (%s)", context, detail);
  } else {
    std::snprintf(text, sizeof text, "%s", context);
  }
  return mvbtrErrorReport(static_cast<int16_t>(kErrBtrieveBase + status), text);
}

}  // namespace vv::driver
