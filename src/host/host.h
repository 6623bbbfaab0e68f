// The reference host: a small host runtime that fills the host services
// table the driver is handed, keeps the host's side of things (the pending
// error, host attributes, file handles and the tables open under them, INT
// text files, BCD arithmetic) and gives host programs (tests, tools) a C++
// interface so they never handle slot numbers themselves.
//
// The slots are plain functions without a context argument, so one Host at a
// time is the process's current host; constructing a second one while the
// first lives is a programming error (it aborts). The host is used from one
// thread at a time, as the driver is.
//
// docs/host.md describes every slot, the error numbers and the formats.
#ifndef VEVERAVE_HOST_HOST_H_
#define VEVERAVE_HOST_HOST_H_

#include <cstdint>
#include <memory>
#include <string>

#include "host/host_api.h"
#include "host/host_errors.h"
#include "host/native_table.h"
#include "host/table_manager.h"
#include "veverave/driver.h"
#include "veverave/host_services.h"

namespace vv::host {

struct HostState;

// The host's answer in slots and attributes it does not offer.
inline constexpr int16_t kHostErrNotSupported = kErrNotSupported;

class VV_HOST_API Host {
 public:
  Host();
  // Closes every table still open (driver tables through the driver).
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // The table to hand to mvDLLSetLoaderGlobals.
  const VvHostServices* services() const;

  // Error channel: the pending error and its text (0 and empty when none).
  int16_t error() const;
  std::string error_text() const;
  void ClearError();

  // Global host attributes (file handle 0).
  void set_lock_delay(int32_t ms);
  void set_lock_timeout(int32_t ms);
  void set_data_path(const std::string& paths);  // directories separated by ';'
  void set_decimal_separator(char c);
  void set_create_forbidden(bool forbidden);
  void set_strict(bool strict);
  int32_t lock_delay() const;
  int32_t lock_timeout() const;
  const std::string& data_path() const;
  char decimal_separator() const;
  bool create_forbidden() const;
  bool strict() const;

  // The driver that driver tables are opened through (DriverLibrary::Load
  // attaches the loaded driver). Detaching closes the driver tables first.
  void AttachDriver(VvDriverFuncTable* table);
  void DetachDriver();
  VvDriverFuncTable* driver() const;

  // File handles: the driver attaches its open file record to a handle.
  void* FileFromHandle(int32_t hFile) const;
  // The lowest positive handle that is not in use.
  int32_t FreeHandle() const;

  // Tables open under handles: open, find, save, get and put fields.
  TableManager& tables();

  // Attributes by number, as slots 41 to 44 answer them (handle 0: the
  // host's own). Errors are on the error channel.
  int32_t Attribute(int32_t handle, int32_t attr, int32_t n1 = 0, int32_t n2 = 0);
  int16_t AttributeText(int32_t handle, int32_t attr, std::string* text, int32_t n1 = 0,
                        int32_t n2 = 0);
  int16_t SetAttribute(int32_t handle, int32_t attr, int32_t value, int32_t n1 = 0, int32_t n2 = 0);
  int16_t SetAttributeText(int32_t handle, int32_t attr, const std::string& text, int32_t n1 = 0,
                           int32_t n2 = 0);

  // Creates a native table. A name without drive or directory goes into the
  // first directory of the data search path (the current directory when the
  // path is empty); a name without extension gets ".VVT".
  int16_t CreateNativeTable(const std::string& name, const NativeTableDef& def,
                            bool replace = false);

 private:
  std::unique_ptr<HostState> state_;
};

}  // namespace vv::host

#endif  // VEVERAVE_HOST_HOST_H_
