// POSIX file-system operations on whole files and directories. Every path
// goes through NativePath first.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"
#include "platform/platform_internal.h"
#include "platform/posix/posix_util.h"

namespace vv::platform {

namespace internal {

FsResult FsResultFromErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return FsResult::kNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EBUSY:
    case ETXTBSY:
      return FsResult::kAccessDenied;
    case EEXIST:
    case ENOTEMPTY:
      return FsResult::kExists;
    default:
      return FsResult::kOther;
  }
}

}  // namespace internal

namespace {

std::optional<struct stat> Stat(std::string_view path) {
  struct stat st;
  if (stat(NativePath(path).c_str(), &st) != 0) return std::nullopt;
  return st;
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Works out the native source and target of a rename. A target that exists
// only because it resolves (case-insensitively) to the source itself is a
// change of case: the target then keeps the spelling given for its name.
// Returns kOk and fills the paths, or the failure.
FsResult RenamePaths(std::string_view from, std::string_view to, bool replace, std::string* src,
                     std::string* dst) {
  *src = NativePath(from);
  *dst = NativePath(to);
  struct stat source, target;
  if (lstat(src->c_str(), &source) != 0) return internal::FsResultFromErrno(errno);
  if (lstat(dst->c_str(), &target) == 0) {
    if (SameFile(source, target)) {
      *dst = internal::ResolvePath(to, false);
    } else if (!replace) {
      return FsResult::kExists;
    }
  }
  return FsResult::kOk;
}

bool RemoveTreeNative(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return errno == ENOENT;
  if (!S_ISDIR(st.st_mode)) return unlink(path.c_str()) == 0;
  if (DIR* d = opendir(path.c_str())) {
    while (const dirent* entry = readdir(d)) {
      const std::string_view name(entry->d_name);
      if (name == "." || name == "..") continue;
      RemoveTreeNative(path + "/" + std::string(name));
    }
    closedir(d);
  }
  return rmdir(path.c_str()) == 0;
}

}  // namespace

bool FileExists(std::string_view path) {
  const auto st = Stat(path);
  return st && S_ISREG(st->st_mode);
}

bool DirectoryExists(std::string_view path) {
  const auto st = Stat(path);
  return st && S_ISDIR(st->st_mode);
}

std::optional<uint64_t> FileWriteTime(std::string_view path) {
  const auto st = Stat(path);
  if (!st) return std::nullopt;
  const int64_t seconds = st->st_mtim.tv_sec;
  if (seconds <
      -static_cast<int64_t>(internal::kUnixEpochAsFileTime / internal::kFileTimeUnitsPerSecond)) {
    return 0;  // before 1601: not representable
  }
  return static_cast<uint64_t>(seconds * static_cast<int64_t>(internal::kFileTimeUnitsPerSecond) +
                               st->st_mtim.tv_nsec / 100) +
         internal::kUnixEpochAsFileTime;
}

std::optional<uint64_t> FileSize(std::string_view path) {
  const auto st = Stat(path);
  if (!st || S_ISDIR(st->st_mode)) return std::nullopt;
  return static_cast<uint64_t>(st->st_size);
}

FsResult DeleteFile(std::string_view path) {
  if (unlink(NativePath(path).c_str()) == 0) return FsResult::kOk;
  return internal::FsResultFromErrno(errno);
}

namespace {

// A rename survives a power loss only once the directory that holds the new
// name is on disk (the replace of the Windows side asks for the same with
// MOVEFILE_WRITE_THROUGH). A directory that cannot be synced leaves the
// rename done all the same: it has happened, only its durability is at stake.
// Allocates nothing: the rename has happened, and a failure now must not
// report it as undone.
FsResult SyncedRename(std::string& dst) {
  const std::size_t slash = dst.rfind('/');
  int fd = -1;
  if (slash == std::string::npos) {
    fd = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  } else if (slash == 0) {
    fd = open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  } else {
    dst[slash] = '\0';
    fd = open(dst.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    dst[slash] = '/';
  }
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
  return FsResult::kOk;
}

}  // namespace

FsResult RenameFile(std::string_view from, std::string_view to) {
  std::string src, dst;
  if (FsResult r = RenamePaths(from, to, false, &src, &dst); r != FsResult::kOk) return r;
  if (src == dst) return FsResult::kOk;
#ifdef RENAME_NOREPLACE
  // Refuses an existing target atomically where the file system can.
  if (renameat2(AT_FDCWD, src.c_str(), AT_FDCWD, dst.c_str(), RENAME_NOREPLACE) == 0) {
    return SyncedRename(dst);
  }
  if (errno != EINVAL && errno != ENOSYS) return internal::FsResultFromErrno(errno);
#endif
  // No atomic variant here: check, then rename (a target created in between
  // by another process is replaced).
  struct stat st;
  if (lstat(dst.c_str(), &st) == 0) return FsResult::kExists;
  if (rename(src.c_str(), dst.c_str()) == 0) return SyncedRename(dst);
  return internal::FsResultFromErrno(errno);
}

FsResult ReplaceFile(std::string_view from, std::string_view to) {
  std::string src, dst;
  if (FsResult r = RenamePaths(from, to, true, &src, &dst); r != FsResult::kOk) return r;
  if (src == dst) return FsResult::kOk;
  if (rename(src.c_str(), dst.c_str()) == 0) return SyncedRename(dst);
  return internal::FsResultFromErrno(errno);
}

FsResult CreateDirectory(std::string_view path) {
  if (mkdir(NativePath(path).c_str(), 0777) == 0) return FsResult::kOk;
  return internal::FsResultFromErrno(errno);
}

std::vector<std::string> ListFiles(std::string_view dir, std::string_view pattern) {
  std::string native = NativePath(dir);
  if (native.empty()) native = ".";
  std::vector<std::string> names;
  DIR* d = opendir(native.c_str());
  if (d == nullptr) return names;
  while (const dirent* entry = readdir(d)) {
    const std::string_view name(entry->d_name);
    if (name == "." || name == ".." || !internal::WildcardMatch(pattern, name)) continue;
    bool isDir = entry->d_type == DT_DIR;
    if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
      struct stat st;
      isDir = stat((native + "/" + std::string(name)).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    if (!isDir) names.emplace_back(name);
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

std::string CurrentDirectory() {
  std::string buf(256, '\0');
  for (;;) {
    if (getcwd(buf.data(), buf.size()) != nullptr) {
      buf.resize(std::char_traits<char>::length(buf.c_str()));
      return buf;
    }
    if (errno != ERANGE) return std::string();
    buf.resize(buf.size() * 2);
  }
}

std::optional<std::string> MakeTempDirectory(std::string_view prefix) {
  const char* base = std::getenv("TMPDIR");
  std::string path = (base != nullptr && *base != '\0') ? base : "/tmp";
  if (path.back() != '/') path += '/';
  path += prefix;
  path += "XXXXXX";
  if (mkdtemp(path.data()) == nullptr) return std::nullopt;
  return path;
}

bool RemoveTree(std::string_view path) {
  const std::string native = NativePath(path);
  if (native.empty() || native == "/") return false;
  RemoveTreeNative(native);
  struct stat st;
  return lstat(native.c_str(), &st) != 0 && errno == ENOENT;
}

}  // namespace vv::platform
