// The host's error channel (slots 30 to 36): one pending error number with
// its text. A report replaces whatever was pending; taking or clearing leaves
// nothing pending. Texts longer than 255 characters are cut when fetched.
#include <cstring>

#include "host/host_errors.h"
#include "host/host_state.h"
#include "host/slots.h"

namespace vv::host {

int16_t HostErrorSet(int16_t code, const char* text) {
  HostState& s = CurrentState();
  s.errorCode = code;
  try {
    s.errorText = text != nullptr ? text : "";
  } catch (...) {
    // Without memory for the text the number still gets through.
    s.errorText.clear();
  }
  return code;
}

int16_t VV_CALL SlotPendingErrorFetch(int16_t* code, char* text) {
  HostState& s = CurrentState();
  int16_t pending = s.errorCode;
  if (code != nullptr) *code = pending;
  if (text != nullptr) {
    std::size_t n = s.errorText.size();
    if (n > VV_HOST_ERROR_TEXT_SIZE - 1) n = VV_HOST_ERROR_TEXT_SIZE - 1;
    std::memcpy(text, s.errorText.data(), n);
    text[n] = '\0';
  }
  s.errorCode = 0;
  s.errorText.clear();
  return pending;
}

int16_t VV_CALL SlotErrorReport(int16_t error, const char* text) {
  return HostErrorSet(error, text);
}

int16_t VV_CALL SlotErrorStatus(void) {
  return CurrentState().errorCode;
}

int16_t VV_CALL SlotErrorClear(void) {
  HostErrorSet(0, nullptr);
  return 0;
}

int16_t VV_CALL SlotErrorTake(void) {
  HostState& s = CurrentState();
  int16_t pending = s.errorCode;
  s.errorCode = 0;
  s.errorText.clear();
  return pending;
}

// Raising an error again keeps its text when it is the one that was pending.
int16_t VV_CALL SlotErrorRaise(int16_t error) {
  HostState& s = CurrentState();
  if (s.errorCode != error) s.errorText.clear();
  s.errorCode = error;
  return error;
}

}  // namespace vv::host
