// Windows file-system operations on whole files and directories.
#include "platform/win32/windows_shim.h"
// windows_shim.h first: it tames <windows.h> for platform.h.
#include <algorithm>
#include <cstdio>

#include "platform/platform_internal.h"

namespace vv::platform {

namespace internal {

FsResult FsResultFromError(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return FsResult::kNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return FsResult::kAccessDenied;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return FsResult::kExists;
    default:
      return FsResult::kOther;
  }
}

}  // namespace internal

namespace {

std::optional<WIN32_FILE_ATTRIBUTE_DATA> Attributes(std::string_view path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(std::string(path).c_str(), GetFileExInfoStandard, &data))
    return std::nullopt;
  return data;
}

FsResult LastResult() {
  return internal::FsResultFromError(GetLastError());
}

// "dir\*" for FindFirstFileA; "C:" alone stays a drive's current directory.
std::string AllEntries(std::string_view dir) {
  std::string spec(dir.empty() ? std::string_view(".") : dir);
  if (!IsSeparator(spec.back()) && spec.size() != internal::DrivePrefixLength(spec)) spec += '\\';
  spec += '*';
  return spec;
}

bool RemoveTreeEntry(const std::string& path) {
  const DWORD attrs = GetFileAttributesA(path.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }
  if (attrs & FILE_ATTRIBUTE_READONLY)
    SetFileAttributesA(path.c_str(), attrs & ~FILE_ATTRIBUTE_READONLY);
  if (!(attrs & FILE_ATTRIBUTE_DIRECTORY)) return DeleteFileA(path.c_str()) != 0;
  // A junction or directory link is removed itself, never what it points at.
  if (!(attrs & FILE_ATTRIBUTE_REPARSE_POINT)) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(AllEntries(path).c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::string_view name(data.cFileName);
        if (name == "." || name == "..") continue;
        RemoveTreeEntry(path + "\\" + std::string(name));
      } while (FindNextFileA(find, &data));
      FindClose(find);
    }
  }
  return RemoveDirectoryA(path.c_str()) != 0;
}

}  // namespace

bool FileExists(std::string_view path) {
  const DWORD attrs = GetFileAttributesA(std::string(path).c_str());
  return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(std::string_view path) {
  const DWORD attrs = GetFileAttributesA(std::string(path).c_str());
  return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<uint64_t> FileWriteTime(std::string_view path) {
  const auto data = Attributes(path);
  if (!data) return std::nullopt;
  return (static_cast<uint64_t>(data->ftLastWriteTime.dwHighDateTime) << 32) |
         data->ftLastWriteTime.dwLowDateTime;
}

std::optional<uint64_t> FileSize(std::string_view path) {
  const auto data = Attributes(path);
  if (!data || (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
  return (static_cast<uint64_t>(data->nFileSizeHigh) << 32) | data->nFileSizeLow;
}

FsResult DeleteFile(std::string_view path) {
  return DeleteFileA(std::string(path).c_str()) ? FsResult::kOk : LastResult();
}

FsResult RenameFile(std::string_view from, std::string_view to) {
  // MoveFileA refuses an existing target (ERROR_ALREADY_EXISTS).
  return MoveFileA(std::string(from).c_str(), std::string(to).c_str()) ? FsResult::kOk
                                                                       : LastResult();
}

FsResult ReplaceFile(std::string_view from, std::string_view to) {
  const std::string src(from), dst(to);
  if (MoveFileExA(src.c_str(), dst.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return FsResult::kOk;
  }
  if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return LastResult();
  // Windows 9x has no MoveFileExA: delete, then rename (not atomic there).
  if (GetFileAttributesA(src.c_str()) == INVALID_FILE_ATTRIBUTES) return LastResult();
  if (!DeleteFileA(dst.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) return LastResult();
  return MoveFileA(src.c_str(), dst.c_str()) ? FsResult::kOk : LastResult();
}

FsResult CreateDirectory(std::string_view path) {
  return CreateDirectoryA(std::string(path).c_str(), nullptr) ? FsResult::kOk : LastResult();
}

std::vector<std::string> ListFiles(std::string_view dir, std::string_view pattern) {
  // Every entry is read and matched here rather than by FindFirstFileA's own
  // pattern, whose rules differ (it also matches the short 8.3 names).
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(AllEntries(dir).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        internal::WildcardMatch(pattern, data.cFileName)) {
      names.emplace_back(data.cFileName);
    }
  } while (FindNextFileA(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

std::string CurrentDirectory() {
  return internal::CallWithBuffer(
             [](char* buf, DWORD size) { return GetCurrentDirectoryA(size, buf); })
      .value_or(std::string());
}

std::optional<std::string> MakeTempDirectory(std::string_view prefix) {
  std::optional<std::string> base =
      internal::CallWithBuffer([](char* buf, DWORD size) { return GetTempPathA(size, buf); });
  if (!base || base->empty()) return std::nullopt;
  if (!IsSeparator(base->back())) *base += '\\';
  DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
  for (int attempt = 0; attempt < 1000; ++attempt) {
    seed = seed * 1103515245u + 12345u;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08lX", static_cast<unsigned long>(seed));
    const std::string path = *base + std::string(prefix) + suffix;
    if (CreateDirectoryA(path.c_str(), nullptr)) return path;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return std::nullopt;
  }
  return std::nullopt;
}

bool RemoveTree(std::string_view path) {
  if (path.empty()) return false;
  std::string p(path);
  while (p.size() > 1 && IsSeparator(p.back()) && p.size() != 3) p.pop_back();  // keep "C:\"
  RemoveTreeEntry(p);
  return GetFileAttributesA(p.c_str()) == INVALID_FILE_ATTRIBUTES;
}

}  // namespace vv::platform
