#include "driver/frame/host/host_calls.h"

namespace vv::driver {
namespace {

// The driver's one global for the host services table.
const VvHostServices* g_lpHostServices = nullptr;

}  // namespace

const VvHostServices* HostServices() { return g_lpHostServices; }
void HostServicesSet(const VvHostServices* services) { g_lpHostServices = services; }

int16_t mvbtrErrorReport(int16_t error, const char* text) {
  if (g_lpHostServices == nullptr) return error;
  return VV_HOST_CALL(ErrorReport, error, text);
}

int16_t mvbtrErrorStatus() {
  if (g_lpHostServices == nullptr) return 0;
  return VV_HOST_CALL(ErrorStatus);
}

int16_t mvbtrErrorClear() {
  if (g_lpHostServices == nullptr) return 0;
  return VV_HOST_CALL(ErrorClear);
}

int16_t mvbtrErrorTake() {
  if (g_lpHostServices == nullptr) return 0;
  return VV_HOST_CALL(ErrorTake);
}

int16_t mvbtrErrorRaise(int16_t error) {
  if (g_lpHostServices == nullptr) return error;
  return VV_HOST_CALL(ErrorRaise, error);
}

int16_t mvbtrPendingErrorFetch(int16_t* code, char* text) {
  return VV_HOST_CALL(PendingErrorFetch, code, text);
}

int32_t mvbtrHostAttrGetNumeric(int32_t hFile, int32_t n1, int32_t n2, int32_t attr) {
  return VV_HOST_CALL(AttrGetNumeric, hFile, n1, n2, attr);
}

int16_t mvbtrHostAttrGetString(int32_t hFile, int32_t n1, int32_t n2, int32_t attr, char* buffer,
                               int32_t size) {
  return VV_HOST_CALL(AttrGetString, hFile, n1, n2, attr, buffer, size);
}

int16_t mvbtrHostAttrSetNumeric(int32_t hFile, int32_t n1, int32_t n2, int32_t attr,
                                int32_t value) {
  return VV_HOST_CALL(AttrSetNumeric, hFile, n1, n2, attr, value);
}

int16_t mvbtrHostAttrSetString(int32_t hFile, int32_t n1, int32_t n2, int32_t attr,
                               const char* text) {
  return VV_HOST_CALL(AttrSetString, hFile, n1, n2, attr, text);
}

bool mvbtrHostNamesEqual(int32_t hFile, const char* a, const char* b) {
  return VV_HOST_CALL(NameCompare, hFile, a, b, 0) == VV_HOST_NAMES_EQUAL;
}

void* mvbtrFileFromHandle(int32_t hFile) { return VV_HOST_CALL(FileFromHandle, hFile); }

int16_t mvbtrFileHandleSet(int32_t hFile, void* record) {
  return VV_HOST_CALL(FileHandleSet, hFile, record);
}

int16_t mvbtrFileHandleFree(int32_t hFile) { return VV_HOST_CALL(FileHandleFree, hFile); }

int16_t mvbtrHostFileClose(int32_t hFile) { return VV_HOST_CALL(FileClose, hFile); }

void mvbtrDataPathGet(char* buffer) {
  buffer[0] = '\0';
  mvbtrHostAttrGetString(0, 0, 0, VV_HOST_ATTR_DATA_PATH, buffer, VV_HOST_DATA_PATH_SIZE);
  buffer[VV_HOST_DATA_PATH_SIZE - 1] = '\0';
}

}  // namespace vv::driver
