// OEM <-> ANSI conversion with the system's own tables (the code pages of
// the installation, best fit included).
#include "platform/win32/windows_shim.h"
// windows_shim.h first: it tames <windows.h> for platform.h.
#include <algorithm>

namespace vv::platform {

// Both functions convert in place, which the "A" versions allow.
void OemToAnsi(char* text, std::size_t n) {
  while (n > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30));
    OemToCharBuffA(text, text, chunk);
    text += chunk;
    n -= chunk;
  }
}

void AnsiToOem(char* text, std::size_t n) {
  while (n > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30));
    CharToOemBuffA(text, text, chunk);
    text += chunk;
    n -= chunk;
  }
}

}  // namespace vv::platform
