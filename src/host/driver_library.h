// Loading the driver the way a host does: load the library, hand over the
// host services table, ask for the module type and fetch the function table.
#ifndef VEVERAVE_HOST_DRIVER_LIBRARY_H_
#define VEVERAVE_HOST_DRIVER_LIBRARY_H_

#include <memory>
#include <string>

#include "host/host.h"
#include "platform/platform.h"
#include "veverave/driver.h"

namespace vv::host {

class VV_HOST_API DriverLibrary {
 public:
  // Loads the driver library at path (empty: the driver beside this program),
  // performs the loader handshake with host and attaches the driver to host,
  // so that the host opens driver tables through it. nullptr with *error set
  // when the library or one of its loader exports is missing, or the
  // handshake fails.
  static std::unique_ptr<DriverLibrary> Load(Host& host, const std::string& path,
                                             std::string* error);
  // Detaches the driver from the host (closing its driver tables) while that
  // host lives, then unloads the library.
  ~DriverLibrary();
  DriverLibrary(const DriverLibrary&) = delete;
  DriverLibrary& operator=(const DriverLibrary&) = delete;

  // The driver function table the driver handed out.
  VvDriverFuncTable* table() const { return table_; }
  int16_t module_type() const { return moduleType_; }
  const std::string& prefix() const { return prefix_; }
  const std::string& path() const { return path_; }
  // Address of an export by name (for checks of the export list).
  void* Export(const char* name) const { return library_->Symbol(name); }

  // The driver's file name beside the running program.
  static std::string DefaultPath();

 private:
  DriverLibrary() = default;
  std::unique_ptr<platform::Library> library_;
  VvDriverFuncTable* table_ = nullptr;
  const VvHostServices* hostServices_ = nullptr;
  Host* host_ = nullptr;
  int16_t moduleType_ = 0;
  std::string prefix_;
  std::string path_;
};

}  // namespace vv::host

#endif  // VEVERAVE_HOST_DRIVER_LIBRARY_H_
