// POSIX shared libraries: dlopen/dlsym, and dladdr for the directory of the
// module that holds an address.
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <string>

#include "platform/platform.h"

namespace vv::platform {

namespace {

class PosixLibrary final : public Library {
 public:
  explicit PosixLibrary(void* handle) : handle_(handle) {}
  ~PosixLibrary() override { dlclose(handle_); }
  void* Symbol(const char* name) override { return dlsym(handle_, name); }

 private:
  void* handle_;
};

std::string ExecutablePath() {
  std::string buf(256, '\0');
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) return std::string();
    if (static_cast<std::size_t>(n) < buf.size()) {
      buf.resize(static_cast<std::size_t>(n));
      return buf;
    }
    buf.resize(buf.size() * 2);
  }
}

}  // namespace

std::unique_ptr<Library> LoadLibrary(std::string_view path, std::string* error) {
  // A bare name goes to the loader's search; a path is resolved like any other.
  const bool bare = path.find_first_of("/\\") == std::string_view::npos;
  const std::string file = bare ? std::string(path) : NativePath(path);
  dlerror();
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    if (error != nullptr) {
      const char* text = dlerror();
      *error = text != nullptr ? text : "cannot load " + file;
    }
    return nullptr;
  }
  if (error != nullptr) error->clear();
  try {
    return std::make_unique<PosixLibrary>(handle);
  } catch (...) {
    dlclose(handle);
    throw;
  }
}

std::string ModuleDirectory(const void* address) {
  Dl_info info{};
  link_map* map = nullptr;
  if (dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0)
    return std::string();
  // The main program's link map has an empty name (dladdr then reports
  // argv[0], which may be relative or a bare name): ask the kernel instead.
  std::string file = (map != nullptr && map->l_name != nullptr && map->l_name[0] != '\0')
                         ? std::string(map->l_name)
                         : ExecutablePath();
  if (file.empty() && info.dli_fname != nullptr) file = info.dli_fname;
  if (file.empty()) return std::string();
  file = FullPathName(file);
  const std::size_t slash = file.rfind('/');
  return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

std::string SharedLibraryName(std::string_view name) {
  return "lib" + std::string(name) + ".so";
}

}  // namespace vv::platform
