#include "driver/frame/files/paths.h"

#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "driver/frame/host/host_calls.h"
#include "platform/platform.h"

namespace vv::driver {
namespace {

using PathConversion = std::optional<std::string> (*)(std::string_view);

// The two-step conversion shared by the short and the long form.
std::string PathConverted(const char* path, PathConversion convert) {
  const platform::PathParts parts = platform::SplitPath(path);
  std::string folder = parts.drive + parts.dir;
  if (!folder.empty()) {
    if (std::optional<std::string> converted = convert(folder)) {
      folder = *converted;
      // A converted directory keeps its separator before the name.
      if (!parts.dir.empty() && !folder.empty() && !platform::IsSeparator(folder.back())) {
        folder += platform::kPathSeparator;
      }
    }
  }
  std::string whole = folder + parts.name + parts.ext;
  if (std::optional<std::string> converted = convert(whole)) whole = *converted;
  return whole;
}

}  // namespace

int32_t mvbtrPathSearch(const char* pathList, const char* fileName, const char* extension,
                        std::size_t resultSize, char* result, char** filePart) {
  if (resultSize > 0) result[0] = '\0';
  if (filePart != nullptr) *filePart = nullptr;
  if (fileName == nullptr || fileName[0] == '\0' || resultSize == 0) return 0;
  std::optional<std::string> found = platform::SearchPath(
      pathList != nullptr ? pathList : "", fileName, extension != nullptr ? extension : "");
  if (!found || found->size() >= resultSize) return 0;
  std::memcpy(result, found->c_str(), found->size() + 1);
  if (filePart != nullptr) {
    std::size_t name = found->size();
    while (name > 0 && !platform::IsSeparator(result[name - 1]) && result[name - 1] != ':') --name;
    *filePart = result + name;
  }
  return static_cast<int32_t>(found->size());
}

int mvbtrFileExists(const char* path) {
  if (path == nullptr || path[0] == '\0') return 0;
  // The platform's search looks a path with a drive or directory up only
  // there, and a bare name along the list.
  char dataPath[VV_HOST_DATA_PATH_SIZE];
  mvbtrDataPathGet(dataPath);
  return platform::SearchPath(dataPath, path).has_value() ? 1 : 0;
}

void mvbtrPathShort(char* path) {
  const std::string converted = PathConverted(path, &platform::ShortPathName);
  if (converted.size() <= std::strlen(path)) {
    std::memcpy(path, converted.c_str(), converted.size() + 1);
  }
}

void mvbtrPathLong(char* path, std::size_t size) {
  const std::string converted = PathConverted(path, &platform::LongPathName);
  if (converted.size() < size) std::memcpy(path, converted.c_str(), converted.size() + 1);
}

char* mvbtrNameSanitize(char* name) {
  for (char* p = name; *p != '\0'; ++p) {
    if (*p == '?' || *p == '*' || *p == '<' || *p == '>') *p = '_';
  }
  return name;
}

}  // namespace vv::driver
