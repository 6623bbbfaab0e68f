// Windows dynamic libraries: LoadLibraryA/GetProcAddress, and the module
// that holds an address.
#include "platform/win32/windows_shim.h"
// windows_shim.h first: it tames <windows.h> for platform.h.
#include <cstdio>

namespace vv::platform {

namespace {

class Win32Library final : public Library {
 public:
  explicit Win32Library(HMODULE module) : module_(module) {}
  ~Win32Library() override { FreeLibrary(module_); }
  void* Symbol(const char* name) override {
    return reinterpret_cast<void*>(GetProcAddress(module_, name));
  }

 private:
  HMODULE module_;
};

std::string ErrorText(DWORD error) {
  char buf[512];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           error, 0, buf, sizeof buf, nullptr);
  while (n > 0 && (buf[n - 1] == '\n' || buf[n - 1] == '\r' || buf[n - 1] == ' ')) --n;
  if (n > 0) return std::string(buf, n);
  std::snprintf(buf, sizeof buf, "error %lu", static_cast<unsigned long>(error));
  return buf;
}

}  // namespace

std::unique_ptr<Library> LoadLibrary(std::string_view path, std::string* error) {
  const std::string file(path);
  HMODULE module = LoadLibraryA(file.c_str());
  if (module == nullptr) {
    if (error != nullptr) *error = file + ": " + ErrorText(GetLastError());
    return nullptr;
  }
  if (error != nullptr) error->clear();
  try {
    return std::make_unique<Win32Library>(module);
  } catch (...) {
    FreeLibrary(module);
    throw;
  }
}

std::string ModuleDirectory(const void* address) {
  if (address == nullptr) return std::string();
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          static_cast<LPCSTR>(address), &module)) {
    return std::string();
  }
  std::string name(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = GetModuleFileNameA(module, name.data(), static_cast<DWORD>(name.size()));
    if (n == 0) return std::string();
    if (n < name.size()) {  // n == size means truncated
      name.resize(n);
      break;
    }
    name.resize(name.size() * 2);
  }
  const std::size_t sep = name.find_last_of("\\/");
  return sep == std::string::npos ? std::string() : name.substr(0, sep + 1);
}

std::string SharedLibraryName(std::string_view name) {
  return std::string(name) + ".dll";
}

}  // namespace vv::platform
