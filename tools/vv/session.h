// A host session: the reference host with the driver loaded beside this
// program and the host's data search path set to one directory, so that the
// driver finds its settings file, the dictionary and the tables' files
// there. Tables are opened by name through the host ("VEVERAVE:NAME").
//
// Every failure is on the host's error channel; Fail() prints it as
// "error <number>: <text>" on standard error and gives the exit code.
#ifndef VEVERAVE_TOOLS_VV_SESSION_H_
#define VEVERAVE_TOOLS_VV_SESSION_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/driver_library.h"
#include "host/host.h"

namespace vv::tools {

// Reports an error of the tool itself on the current host's error channel
// (the host's own numbers, host_errors.h) and returns the number.
int16_t ReportError(int16_t number, const std::string& text);

class Session {
 public:
  // Makes the host (one per process) with dir as its data search path.
  explicit Session(const std::string& dir);
  // Closes the tables still open, ends the driver (btrDeinitialize) and
  // unloads it.
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Checks that the data directory exists; false with error 75 pending.
  bool CheckDirectory();
  // Loads the driver beside this program and attaches it to the host; false
  // with error 75 pending.
  bool LoadDriver();
  // Both.
  bool Start() { return CheckDirectory() && LoadDriver(); }

  host::Host& host() { return *host_; }
  host::TableManager& tables() { return host_->tables(); }
  // The driver's function table; only after a successful LoadDriver().
  VvDriverFuncTable& driver() { return *driver_->table(); }
  const std::string& dir() const { return dir_; }

  // Opens the driver's table name under a new handle; 0 with the error
  // pending.
  int32_t Open(const std::string& name);
  // A field's value as the driver gives it as text; false with the error
  // pending.
  bool Get(int32_t handle, int32_t field, std::string* text);

  // The pending error as "error <number>: <text>" (an error-free channel
  // reads as an internal failure, so a failure is never silent); clears it.
  std::string TakeError();
  // Prints TakeError() on standard error; returns kExitError.
  int Fail();

 private:
  std::string dir_;
  std::unique_ptr<host::Host> host_;
  std::unique_ptr<host::DriverLibrary> driver_;
  std::vector<char> buffer_;
};

}  // namespace vv::tools

#endif  // VEVERAVE_TOOLS_VV_SESSION_H_
