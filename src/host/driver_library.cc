#include "host/driver_library.h"

#include "host/host_state.h"

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

std::unique_ptr<DriverLibrary> DriverLibrary::Load(Host& host, const std::string& path,
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
  host.AttachDriver(driver->table_);
  driver->host_ = &host;
  driver->hostServices_ = host.services();
  return driver;
}

DriverLibrary::~DriverLibrary() {
  // The host may have gone first; its services table tells whether the
  // current host is still the one the driver was attached to.
  HostState* current = CurrentStateOrNull();
  if (host_ != nullptr && current != nullptr && &current->table == hostServices_ &&
      host_->driver() == table_) {
    host_->DetachDriver();
  }
}

}  // namespace vv::host
