// The reference host: a small host runtime that fills the host services
// table the driver is handed, keeps the host's side of things (the pending
// error, host attributes, file handles) and gives host programs (tests,
// tools) a C++ interface so they never handle slot numbers themselves.
//
// The slots are plain functions without a context argument, so one Host at a
// time is the process's current host; constructing a second one while the
// first lives is a programming error (it aborts).
#ifndef VEVERAVE_HOST_HOST_H_
#define VEVERAVE_HOST_HOST_H_

#include <cstdint>
#include <memory>
#include <string>

#include "veverave/host_services.h"

namespace vv::host {

struct HostState;

// Host error numbers of the host itself.
inline constexpr int16_t kHostErrNotSupported = 4285;

class Host {
 public:
  Host();
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

  // File handles: the driver attaches its open file record to a handle.
  void* FileFromHandle(int32_t hFile) const;
  // The lowest positive handle that has nothing attached.
  int32_t FreeHandle() const;

 private:
  std::unique_ptr<HostState> state_;
};

}  // namespace vv::host

#endif  // VEVERAVE_HOST_HOST_H_
