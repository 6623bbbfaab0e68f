// The file-system seam of the engine: every file the engine reads or writes
// goes through a FileSystem, so that tests can put a fault-injecting one in
// its place (failed writes, failed syncs, writes lost in a simulated crash).
// The default one is the platform layer itself.
#ifndef VEVERAVE_ENGINE_FILE_SYSTEM_H_
#define VEVERAVE_ENGINE_FILE_SYSTEM_H_

#include <memory>
#include <string_view>

#include "platform/platform.h"

namespace vv::engine {

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // As vv::platform::OpenFile.
  virtual std::unique_ptr<platform::File> OpenFile(std::string_view path, platform::OpenMode mode,
                                                   platform::FsResult* error) = 0;
  virtual bool FileExists(std::string_view path) = 0;
  virtual platform::FsResult DeleteFile(std::string_view path) = 0;
  // Fails with kExists when the target exists.
  virtual platform::FsResult RenameFile(std::string_view from, std::string_view to) = 0;
  // Replaces the target atomically.
  virtual platform::FsResult ReplaceFile(std::string_view from, std::string_view to) = 0;
};

// The platform's file system; lives as long as the process.
FileSystem* DefaultFileSystem();

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_FILE_SYSTEM_H_
