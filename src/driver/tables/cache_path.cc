// Where a table's structure cache file lives (cache_file.h).
#include <cctype>
#include <cstring>
#include <string>

#include "driver/frame/files/paths.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/tables/cache_file.h"
#include "driver/tables/cache_layout.h"
#include "platform/platform.h"

namespace vv::driver {
namespace {

// A CACHE_PATH that starts with this names a folder below the dictionary's.
constexpr char kDdfPrefix[] = "DDF:";
constexpr std::size_t kDdfPrefixLength = sizeof kDdfPrefix - 1;

bool DdfRelative(const char* cacheDir) {
  for (std::size_t i = 0; i < kDdfPrefixLength; ++i) {
    if (std::toupper(static_cast<unsigned char>(cacheDir[i])) != kDdfPrefix[i]) return false;
  }
  return true;
}

std::string Folder(const std::string& path) {
  const platform::PathParts parts = platform::SplitPath(path);
  return parts.drive + parts.dir;
}

// "DDF:rest": the folder of the most recent login's FILE.DDF, then rest in
// upper case without a leading separator.
std::string DdfFolder(const char* cacheDir) {
  std::string rest = cacheDir + kDdfPrefixLength;
  for (char& c : rest) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (!rest.empty() && platform::IsSeparator(rest.front())) rest.erase(0, 1);
  const ServerLogin* login = mvbtrGlobals()->lpLogins;
  std::string folder;
  if (login != nullptr && login->lpFileDdf != nullptr && login->lpFileDdf->lpszBtrPath != nullptr) {
    folder = Folder(login->lpFileDdf->lpszBtrPath);
  }
  if (!folder.empty() && !platform::IsSeparator(folder.back())) folder += platform::kPathSeparator;
  return folder + rest;
}

// Without CACHE_PATH: the cache file as found along the host's data path,
// else a bare name in the data path's first folder.
std::string AlongDataPath(const std::string& path) {
  char dataPath[VV_HOST_DATA_PATH_SIZE];
  mvbtrDataPathGet(dataPath);
  char found[platform::kMaxPath + 1];
  if (mvbtrPathSearch(dataPath, path.c_str(), nullptr, sizeof found, found, nullptr) > 0) {
    return found;
  }
  if (!Folder(path).empty()) return path;
  std::string first(dataPath, std::strcspn(dataPath, ";"));
  if (!first.empty() && !platform::IsSeparator(first.back()) && first.back() != ':') {
    first += platform::kPathSeparator;
  }
  return first + path;
}

}  // namespace

bool mvbtrCachePathMake(const char* openName, char* path, std::size_t size) {
  path[0] = '\0';
  const DriverGlobals* g = mvbtrGlobals();
  const platform::PathParts parts = platform::SplitPath(openName);
  const std::string fileName = parts.name + kCacheExt;
  const char* cacheDir = g->lpszCacheDir;
  const bool cacheDirSet = cacheDir != nullptr && cacheDir[0] != '\0';

  std::string result;
  if (!cacheDirSet) {
    result = parts.drive + parts.dir + fileName;
  } else if (std::strlen(cacheDir) >= kDdfPrefixLength && DdfRelative(cacheDir)) {
    result = DdfFolder(cacheDir) + fileName;
  } else {
    result = Folder(cacheDir) + fileName;
  }
  mvbtrNameSanitize(result.data());
  if (!cacheDirSet) result = AlongDataPath(result);

  if (result.size() >= size) return false;
  std::memcpy(path, result.c_str(), result.size() + 1);
  if (g->bConvertLongNames != 0) mvbtrPathShort(path);
  return true;
}

}  // namespace vv::driver
