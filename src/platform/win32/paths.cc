// Windows paths: the system's own path search, short, long and full names.
// Paths go to the system as they are (NativePath is the identity).
#include "platform/win32/windows_shim.h"
// windows_shim.h first: it tames <windows.h> for platform.h.
#include <objbase.h>
#include <shlobj.h>

#include <vector>

#include "platform/platform_internal.h"

namespace vv::platform {

namespace {

// How LongPathName works, decided at its first use and kept: the kernel's
// GetLongPathNameA where it exists and is implemented (Windows 98, NT 5 and
// later), else the shell's display path of the item (Windows 95, NT 4).
enum LongPathMode : LONG { kUndecided = 0, kKernel = 1, kShell = 2 };
LONG volatile g_longPathMode = kUndecided;

using GetLongPathNameFn = DWORD(WINAPI*)(LPCSTR, LPSTR, DWORD);

GetLongPathNameFn KernelGetLongPathName() {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  FARPROC proc = kernel != nullptr ? GetProcAddress(kernel, "GetLongPathNameA") : nullptr;
  // Through void(*)(void), the type GCC lets any function pointer become.
  return proc != nullptr ? reinterpret_cast<GetLongPathNameFn>(reinterpret_cast<void (*)()>(proc))
                         : nullptr;
}

LONG LongPathModeNow() {
  LONG mode = InterlockedCompareExchange(&g_longPathMode, kUndecided, kUndecided);
  if (mode == kUndecided) {
    InterlockedCompareExchange(&g_longPathMode,
                               KernelGetLongPathName() != nullptr ? kKernel : kShell, kUndecided);
    mode = InterlockedCompareExchange(&g_longPathMode, kUndecided, kUndecided);
  }
  return mode;
}

// The shell's equivalent of GetLongPathNameA: parse the path into an item
// identifier list and ask for the item's file-system path, which the shell
// builds from the long names. Relative paths are made absolute first.
std::optional<std::string> ShellLongPathName(const std::string& path) {
  const std::string full = FullPathName(path);
  const int wideLength = MultiByteToWideChar(CP_ACP, 0, full.c_str(), -1, nullptr, 0);
  if (wideLength <= 0) return std::nullopt;
  std::vector<WCHAR> wide(static_cast<std::size_t>(wideLength));
  if (MultiByteToWideChar(CP_ACP, 0, full.c_str(), -1, wide.data(), wideLength) <= 0)
    return std::nullopt;

  const HRESULT init = CoInitialize(nullptr);  // S_OK and S_FALSE both want CoUninitialize
  std::optional<std::string> result;
  IShellFolder* desktop = nullptr;
  if (SUCCEEDED(SHGetDesktopFolder(&desktop)) && desktop != nullptr) {
    LPITEMIDLIST pidl = nullptr;
    ULONG eaten = 0;
    if (SUCCEEDED(
            desktop->ParseDisplayName(nullptr, nullptr, wide.data(), &eaten, &pidl, nullptr)) &&
        pidl != nullptr) {
      char buf[MAX_PATH];
      if (SHGetPathFromIDListA(pidl, buf)) result = std::string(buf);
      CoTaskMemFree(pidl);
    }
    desktop->Release();
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return result;
}

}  // namespace

std::string NativePath(std::string_view path) {
  return std::string(path);
}

std::string FullPathName(std::string_view path) {
  const std::string in(path);
  if (in.empty()) return CurrentDirectory();
  std::optional<std::string> full = internal::CallWithBuffer(
      [&](char* buf, DWORD size) { return GetFullPathNameA(in.c_str(), size, buf, nullptr); });
  return full ? *full : in;
}

std::optional<std::string> SearchPath(std::string_view dirList, std::string_view fileName,
                                      std::string_view defaultExt) {
  const std::string name = internal::WithDefaultExtension(fileName, defaultExt);
  if (name.empty()) return std::nullopt;
  if (internal::HasDriveOrDirectory(name)) {
    if (!FileExists(name)) return std::nullopt;
    return FullPathName(name);
  }
  std::vector<std::string> dirs = internal::SplitPathList(dirList);
  if (dirs.empty()) dirs.push_back(CurrentDirectory());
  // One directory at a time, so that the first directory holding a file
  // (not a directory) of that name wins.
  for (const std::string& dir : dirs) {
    std::optional<std::string> found = internal::CallWithBuffer([&](char* buf, DWORD size) {
      return SearchPathA(dir.c_str(), name.c_str(), nullptr, size, buf, nullptr);
    });
    if (found && FileExists(*found)) return found;
  }
  return std::nullopt;
}

std::optional<std::string> ShortPathName(std::string_view path) {
  const std::string in(path);
  if (in.empty()) return std::nullopt;
  return internal::CallWithBuffer(
      [&](char* buf, DWORD size) { return GetShortPathNameA(in.c_str(), buf, size); });
}

std::optional<std::string> LongPathName(std::string_view path) {
  const std::string in(path);
  if (in.empty()) return std::nullopt;
  if (LongPathModeNow() == kKernel) {
    if (GetLongPathNameFn getLongPathName = KernelGetLongPathName()) {
      SetLastError(NO_ERROR);
      std::optional<std::string> result = internal::CallWithBuffer(
          [&](char* buf, DWORD size) { return getLongPathName(in.c_str(), buf, size); });
      if (result || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return result;
    }
    // Exported but not implemented (a stub): the shell from now on.
    InterlockedExchange(&g_longPathMode, kShell);
  }
  if (GetFileAttributesA(in.c_str()) == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return ShellLongPathName(in);
}

}  // namespace vv::platform
