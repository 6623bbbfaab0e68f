#include "vv/session.h"

#include <algorithm>
#include <cstdio>

#include "host/host_errors.h"
#include "platform/platform.h"
#include "veverave/driver.h"
#include "vv/command_line.h"

namespace vv::tools {
namespace {

// The longest text a field can give: a field is at most 65535 bytes long,
// and numbers and dates take a few dozen characters.
constexpr std::size_t kFieldTextMax = 65536 + 64;

}  // namespace

int16_t ReportError(int16_t number, const std::string& text) {
  return host::HostErrorSet(number, text.c_str());
}

Session::Session(const std::string& dir) : dir_(dir), host_(std::make_unique<host::Host>()) {
  host_->set_data_path(dir_);
}

Session::~Session() {
  host_->tables().CloseAll();
  if (driver_) {
    // Ends the driver's login (it closes the dictionary files; a table that
    // failed to open leaves it behind) and the driver before the library goes.
    driver_->table()->btrLogout("");
    driver_->table()->btrDeinitialize();
    driver_.reset();
  }
  host_.reset();
}

bool Session::CheckDirectory() {
  if (platform::DirectoryExists(dir_)) return true;
  ReportError(host::kErrCannotOpen, dir_ + ": no such data directory");
  return false;
}

bool Session::LoadDriver() {
  std::string why;
  driver_ = host::DriverLibrary::Load(*host_, "", &why);
  if (!driver_) {
    ReportError(host::kErrCannotOpen, "the driver cannot be loaded: " + why);
    return false;
  }
  // Like a host runtime, vv keeps the driver loaded until the process ends:
  // once bound, the driver holds the engine library for the life of the
  // process, and unloading the driver would only lose that binding. A second
  // load of the same file pins it; the plain pointer keeps it reachable.
  static platform::Library* pinned = nullptr;
  if (pinned == nullptr) pinned = platform::LoadLibrary(driver_->path()).release();
  return true;
}

int32_t Session::Open(const std::string& name) {
  int32_t handle = 0;
  const std::string prefixed = std::string(VV_DRIVER_NAME) + ":" + name;
  if (tables().Open(prefixed.c_str(), 0, &handle) != 0) return 0;
  return handle;
}

bool Session::Get(int32_t handle, int32_t field, std::string* text) {
  if (buffer_.empty()) buffer_.resize(kFieldTextMax);
  // The driver's string get tells of a failure only on the error channel.
  host_->ClearError();
  const int32_t n = tables().GetString(handle, field, buffer_.data(), 0, 0);
  if (host_->error() != 0) return false;
  const std::size_t length = n <= 0 ? 0 : std::min(static_cast<std::size_t>(n), buffer_.size() - 1);
  text->assign(buffer_.data(), length);
  return true;
}

std::string Session::TakeError() {
  int16_t number = host_->error();
  std::string text = host_->error_text();
  if (number == 0) {
    number = host::kErrInternal;
    text = "a call failed without an error";
  }
  host_->ClearError();
  return "error " + std::to_string(number) + ": " + text;
}

int Session::Fail() {
  // What the command printed comes first.
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n", TakeError().c_str());
  return kExitError;
}

}  // namespace vv::tools
