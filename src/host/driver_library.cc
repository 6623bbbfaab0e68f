#include "host/driver_library.h"

namespace vv::host {
namespace {

using GetModuleTypeFn = int16_t(VV_CALL*)(void);
using SetLoaderGlobalsFn = int16_t(VV_CALL*)(const VvHostServices*);
using GetFuncTableFn = void(VV_CALL*)(VvDriverFuncTable**, char*);

int DefaultPathAnchor = 0;

}  // namespace

std::string DriverLibrary::DefaultPath() {
  return platform::ModuleDirectory(&DefaultPathAnchor) + platform::SharedLibraryName("veverave");
}

std::unique_ptr<DriverLibrary> DriverLibrary::Load(const Host& host, const std::string& path,
                                                   std::string* error) {
  std::unique_ptr<DriverLibrary> driver(new DriverLibrary());
  driver->path_ = path.empty() ? DefaultPath() : path;
  std::string why;
  driver->library_ = platform::LoadLibrary(driver->path_, &why);
  if (!driver->library_) {
    if (error) *error = "cannot load " + driver->path_ + ": " + why;
    return nullptr;
  }
  auto getModuleType = reinterpret_cast<GetModuleTypeFn>(driver->Export("mvDLLGetModuleType"));
  auto setGlobals = reinterpret_cast<SetLoaderGlobalsFn>(driver->Export("mvDLLSetLoaderGlobals"));
  auto getTable = reinterpret_cast<GetFuncTableFn>(driver->Export("mvDLLGetFuncTable"));
  if (getModuleType == nullptr || setGlobals == nullptr || getTable == nullptr) {
    if (error) *error = driver->path_ + " lacks the loader exports";
    return nullptr;
  }
  if (setGlobals(host.services()) != 0) {
    if (error) *error = "the driver refused the host services table";
    return nullptr;
  }
  driver->moduleType_ = getModuleType();
  char prefix[8] = {};
  getTable(&driver->table_, prefix);
  driver->prefix_ = prefix;
  if (driver->table_ == nullptr) {
    if (error) *error = "the driver handed out no function table";
    return nullptr;
  }
  return driver;
}

}  // namespace vv::host
