// The default file system: a thin forwarding layer over vv::platform.
#include "engine/file_system.h"

namespace vv::engine {

namespace {

class PlatformFileSystem final : public FileSystem {
 public:
  std::unique_ptr<platform::File> OpenFile(std::string_view path, platform::OpenMode mode,
                                           platform::FsResult* error) override {
    return platform::OpenFile(path, mode, error);
  }
  bool FileExists(std::string_view path) override { return platform::FileExists(path); }
  platform::FsResult DeleteFile(std::string_view path) override {
    return platform::DeleteFile(path);
  }
  platform::FsResult RenameFile(std::string_view from, std::string_view to) override {
    return platform::RenameFile(from, to);
  }
  platform::FsResult ReplaceFile(std::string_view from, std::string_view to) override {
    return platform::ReplaceFile(from, to);
  }
};

}  // namespace

FileSystem* DefaultFileSystem() {
  // Created once and never destroyed: no destructor runs at process exit.
  static FileSystem* const fs = new PlatformFileSystem();
  return fs;
}

}  // namespace vv::engine
