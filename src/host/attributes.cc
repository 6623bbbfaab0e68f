// Host attributes. File handle 0 names the host itself: lock delay and
// timeout, data search path, decimal separator, file creation forbidden and
// strict mode. Attributes the host does not keep read as 0 (or an empty text).
#include <cstring>

#include "host/host.h"
#include "host/host_state.h"
#include "host/slots.h"

namespace vv::host {

int32_t VV_CALL SlotAttrGetNumeric(int32_t hFile, int32_t, int32_t, int32_t attr) {
  const HostState& s = CurrentState();
  if (hFile != 0) return 0;
  switch (attr) {
    case VV_HOST_ATTR_LOCK_DELAY: return s.lockDelay;
    case VV_HOST_ATTR_LOCK_TIMEOUT: return s.lockTimeout;
    case VV_HOST_ATTR_DECIMAL_SEPARATOR: return static_cast<unsigned char>(s.decimalSeparator);
    case VV_HOST_ATTR_CREATE_FORBIDDEN: return s.createForbidden ? 1 : 0;
    case VV_HOST_ATTR_STRICT: return s.strict ? 1 : 0;
    default: return 0;
  }
}

int16_t VV_CALL SlotAttrGetString(int32_t hFile, int32_t, int32_t, int32_t attr, char* buffer,
                                  int32_t size) {
  if (buffer == nullptr || size <= 0) return 0;
  buffer[0] = '\0';
  const HostState& s = CurrentState();
  if (hFile == 0 && attr == VV_HOST_ATTR_DATA_PATH) {
    std::size_t n = s.dataPath.size();
    if (n > static_cast<std::size_t>(size - 1)) n = static_cast<std::size_t>(size - 1);
    std::memcpy(buffer, s.dataPath.data(), n);
    buffer[n] = '\0';
  }
  return 0;
}

int16_t VV_CALL SlotAttrSetNumeric(int32_t hFile, int32_t, int32_t, int32_t attr, int32_t value) {
  HostState& s = CurrentState();
  if (hFile == 0) {
    switch (attr) {
      case VV_HOST_ATTR_LOCK_DELAY: s.lockDelay = value; return 0;
      case VV_HOST_ATTR_LOCK_TIMEOUT: s.lockTimeout = value; return 0;
      case VV_HOST_ATTR_DECIMAL_SEPARATOR: s.decimalSeparator = static_cast<char>(value); return 0;
      case VV_HOST_ATTR_CREATE_FORBIDDEN: s.createForbidden = value != 0; return 0;
      case VV_HOST_ATTR_STRICT: s.strict = value != 0; return 0;
      default: break;
    }
  }
  return HostErrorSet(kHostErrNotSupported, "not supported");
}

int16_t VV_CALL SlotAttrSetString(int32_t hFile, int32_t, int32_t, int32_t attr,
                                  const char* text) {
  HostState& s = CurrentState();
  if (hFile == 0 && attr == VV_HOST_ATTR_DATA_PATH) {
    s.dataPath = text != nullptr ? text : "";
    return 0;
  }
  return HostErrorSet(kHostErrNotSupported, "not supported");
}

}  // namespace vv::host
