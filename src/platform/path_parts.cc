// Path splitting and joining, and the small string helpers of the platform
// layer. OS-independent: both separators and a drive prefix are accepted on
// every platform.
#include "platform/platform.h"
#include "platform/platform_internal.h"

namespace vv::platform {

namespace internal {

char ToLowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) return false;
  }
  return true;
}

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  // Greedy matching with backtracking to the last '*': linear for patterns
  // with one '*', never exponential.
  std::size_t p = 0, n = 0;
  std::size_t star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || ToLowerAscii(pattern[p]) == ToLowerAscii(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::size_t DrivePrefixLength(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':') {
    const char c = path[0];
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return 2;
  }
  return 0;
}

bool HasDriveOrDirectory(std::string_view path) {
  if (DrivePrefixLength(path) != 0) return true;
  for (char c : path) {
    if (IsSeparator(c)) return true;
  }
  return false;
}

std::vector<std::string> SplitPathList(std::string_view list) {
  std::vector<std::string> entries;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(kPathListSeparator, start);
    if (end == std::string_view::npos) end = list.size();
    if (end > start) entries.emplace_back(list.substr(start, end - start));
    start = end + 1;
  }
  return entries;
}

std::string WithDefaultExtension(std::string_view fileName, std::string_view defaultExt) {
  std::string result(fileName);
  if (defaultExt.empty() || !SplitPath(fileName).ext.empty()) return result;
  if (defaultExt.front() != '.') result += '.';
  result += defaultExt;
  return result;
}

}  // namespace internal

PathParts SplitPath(std::string_view path) {
  PathParts parts;
  const std::size_t drive = internal::DrivePrefixLength(path);
  parts.drive = std::string(path.substr(0, drive));
  std::string_view rest = path.substr(drive);

  std::size_t lastSep = std::string_view::npos;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (IsSeparator(rest[i])) lastSep = i;
  }
  std::string_view file = rest;
  if (lastSep != std::string_view::npos) {
    parts.dir = std::string(rest.substr(0, lastSep + 1));
    file = rest.substr(lastSep + 1);
  }
  const std::size_t dot = file.rfind('.');
  if (dot == std::string_view::npos) {
    parts.name = std::string(file);
  } else {
    parts.name = std::string(file.substr(0, dot));
    parts.ext = std::string(file.substr(dot));
  }
  return parts;
}

std::string JoinPath(const PathParts& parts) {
  std::string path = parts.drive + parts.dir;
  // Like _makepath: a directory without a trailing separator gets one, an
  // extension without its '.' gets one. Parts from SplitPath need neither.
  if (!parts.dir.empty() && !IsSeparator(parts.dir.back())) path += kPathSeparator;
  path += parts.name;
  if (!parts.ext.empty()) {
    if (parts.ext.front() != '.') path += '.';
    path += parts.ext;
  }
  return path;
}

}  // namespace vv::platform
