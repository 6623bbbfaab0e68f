#include "driver/frame/files/file_ops.h"

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "driver/frame/errors.h"
#include "driver/frame/files/paths.h"
#include "driver/frame/host/host_calls.h"
#include "platform/platform.h"

namespace vv::driver {
namespace {

// The long form of a path (unchanged when it is longer than a driver path).
std::string LongForm(const char* path) {
  char buffer[platform::kMaxPath + 1];
  if (std::strlen(path) > platform::kMaxPath) return path;
  std::strcpy(buffer, path);
  mvbtrPathLong(buffer, sizeof buffer);
  return buffer;
}

int16_t DeleteError(platform::FsResult result) {
  switch (result) {
    case platform::FsResult::kNotFound:
      return kErrFileNotFound;
    case platform::FsResult::kAccessDenied:
      return kErrFileAccessDenied;
    default:
      return kErrFileDelete;
  }
}

}  // namespace

int16_t mvbtrFileDelete(const char* path, bool withExtensions) {
  const platform::FsResult result = platform::DeleteFile(path);
  if (result != platform::FsResult::kOk) {
    mvbtrErrorReport(DeleteError(result), path);
  } else if (withExtensions) {
    for (const std::string& companion : platform::CompanionFiles(LongForm(path))) {
      platform::DeleteFile(companion);
    }
  }
  return mvbtrErrorStatus();
}

int16_t mvbtrFileRename(const char* oldPath, const char* newPath) {
  if (oldPath == nullptr || newPath == nullptr ||
      platform::RenameFile(oldPath, newPath) != platform::FsResult::kOk) {
    mvbtrErrorReport(kErrFileRename, oldPath);
    return mvbtrErrorStatus();
  }
  const platform::PathParts target = platform::SplitPath(newPath);
  for (const std::string& companion : platform::CompanionFiles(LongForm(oldPath))) {
    platform::PathParts moved = target;
    moved.ext = platform::SplitPath(companion).ext;
    platform::RenameFile(companion, platform::JoinPath(moved));
  }
  return mvbtrErrorStatus();
}

int16_t mvbtrFileTime(const char* path, uint64_t* time) {
  const std::optional<uint64_t> written = platform::FileWriteTime(path);
  *time = written.value_or(0);
  return written.has_value() ? 0 : -1;
}

}  // namespace vv::driver
