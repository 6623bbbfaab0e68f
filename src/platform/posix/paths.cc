// POSIX paths: Windows-style paths mapped onto a case-sensitive file system.
//
// NativePath drops a drive prefix "X:" (POSIX has no drives: "C:\DATA\X.BTR"
// becomes "/DATA/X.BTR" and "C:X.BTR" the relative "X.BTR"), turns '\' into
// '/', and resolves each component that does not exist under its exact name
// by comparing the directory's entries without regard to ASCII case. When
// several entries match, the first in byte order wins ("AB" before "Ab"
// before "ab"), so the choice does not depend on the directory's order. A
// component found under no spelling is kept as given, and so is everything
// after it. Separators are kept as they are (a doubled one stays doubled).
#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <optional>

#include "platform/platform.h"
#include "platform/platform_internal.h"
#include "platform/posix/posix_util.h"

namespace vv::platform {

namespace {

// The entry of dir equal to name without regard to case; the smallest in
// byte order when there are several.
std::optional<std::string> MatchNoCase(const std::string& dir, std::string_view name) {
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return std::nullopt;
  std::optional<std::string> best;
  while (const dirent* entry = readdir(d)) {
    const std::string_view candidate(entry->d_name);
    if (!internal::EqualsNoCase(candidate, name)) continue;
    if (!best || candidate < std::string_view(*best)) best = std::string(candidate);
  }
  closedir(d);
  return best;
}

std::string ToSlashes(std::string_view path) {
  std::string p(path.substr(internal::DrivePrefixLength(path)));
  for (char& c : p) {
    if (c == '\\') c = '/';
  }
  return p;
}

bool Exists(const std::string& native) {
  struct stat st;
  return lstat(native.c_str(), &st) == 0;
}

}  // namespace

namespace internal {

std::string ResolvePath(std::string_view path, bool resolveLast) {
  const std::string p = ToSlashes(path);
  if (p.empty() || (resolveLast && Exists(p))) return p;

  std::string out;
  out.reserve(p.size());
  bool resolving = true;  // false once a component exists under no spelling
  std::size_t i = 0;
  while (i < p.size()) {
    if (p[i] == '/') {
      out += '/';
      ++i;
      continue;
    }
    std::size_t end = p.find('/', i);
    if (end == std::string::npos) end = p.size();
    const std::string_view component(p.data() + i, end - i);
    const bool last = p.find_first_not_of('/', end) == std::string::npos;
    if (resolving && (resolveLast || !last) && !Exists(out + std::string(component))) {
      if (std::optional<std::string> match = MatchNoCase(out.empty() ? "." : out, component)) {
        out += *match;
        i = end;
        continue;
      }
      resolving = false;
    }
    out += component;
    i = end;
  }
  return out;
}

}  // namespace internal

std::string NativePath(std::string_view path) {
  return internal::ResolvePath(path, true);
}

std::string FullPathName(std::string_view path) {
  std::string p = ToSlashes(path);
  const bool trailingSlash = !p.empty() && p.back() == '/';
  if (p.empty() || p.front() != '/') p = CurrentDirectory() + "/" + p;

  // Lexical clean-up as GetFullPathNameA does it: no "." components, ".."
  // removes the one before it (never above the root), no doubled separators.
  std::vector<std::string_view> parts;
  std::size_t i = 0;
  while (i < p.size()) {
    std::size_t end = p.find('/', i);
    if (end == std::string::npos) end = p.size();
    const std::string_view part(p.data() + i, end - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    i = end + 1;
  }
  std::string full;
  for (std::string_view part : parts) {
    full += '/';
    full += part;
  }
  if (full.empty() || trailingSlash) full += '/';
  return full;
}

std::optional<std::string> SearchPath(std::string_view dirList, std::string_view fileName,
                                      std::string_view defaultExt) {
  const std::string name = internal::WithDefaultExtension(fileName, defaultExt);
  if (name.empty()) return std::nullopt;
  if (internal::HasDriveOrDirectory(name)) {
    if (!FileExists(name)) return std::nullopt;
    return FullPathName(NativePath(name));
  }
  std::vector<std::string> dirs = internal::SplitPathList(dirList);
  if (dirs.empty()) dirs.push_back(CurrentDirectory());
  for (std::string candidate : dirs) {
    // "C:" alone is a drive's current directory: "C:NAME", not "C:/NAME".
    if (!IsSeparator(candidate.back()) &&
        candidate.size() != internal::DrivePrefixLength(candidate)) {
      candidate += kPathSeparator;
    }
    candidate += name;
    if (FileExists(candidate)) return FullPathName(NativePath(candidate));
  }
  return std::nullopt;
}

// POSIX has no short (8.3) names: both forms are the path itself.
std::optional<std::string> ShortPathName(std::string_view path) {
  if (path.empty() || !Exists(NativePath(path))) return std::nullopt;
  return std::string(path);
}

std::optional<std::string> LongPathName(std::string_view path) {
  return ShortPathName(path);
}

}  // namespace vv::platform
