// <windows.h> for the Windows files of the platform layer, without the
// macros whose names collide with functions of platform.h (DeleteFile,
// CreateDirectory, LoadLibrary, SearchPath, ReplaceFile, and the old
// OemToAnsi/AnsiToOem aliases of OemToCharA/CharToOemA): those files call
// the "A" functions by their own names. Without this a definition such as
// vv::platform::DeleteFile would silently become vv::platform::DeleteFileA. Include this before
// platform.h.
#ifndef VEVERAVE_PLATFORM_WIN32_WINDOWS_SHIM_H_
#define VEVERAVE_PLATFORM_WIN32_WINDOWS_SHIM_H_

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef DeleteFile
#undef CreateDirectory
#undef LoadLibrary
#undef SearchPath
#undef ReplaceFile
#undef OemToAnsi
#undef AnsiToOem

#include <optional>
#include <string>

#include "platform/platform.h"

namespace vv::platform::internal {

// Win32 error code -> FsResult.
FsResult FsResultFromError(DWORD error);

// Calls fn(buffer, size) for the many Win32 functions that return the
// length written, or the size needed (terminator included) when the buffer
// is too small, or 0 on failure; nullopt on failure.
template <typename Fn>
std::optional<std::string> CallWithBuffer(Fn fn) {
  std::string buf(MAX_PATH + 1, '\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    const DWORD n = fn(buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return std::nullopt;
    if (n < buf.size()) {
      buf.resize(n);
      return buf;
    }
    buf.assign(static_cast<std::size_t>(n) + 1, '\0');
  }
  return std::nullopt;
}

}  // namespace vv::platform::internal

#endif  // VEVERAVE_PLATFORM_WIN32_WINDOWS_SHIM_H_
