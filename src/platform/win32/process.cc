// Windows process services: user name, environment, child processes.
#include "platform/win32/windows_shim.h"
// windows_shim.h first: it tames <windows.h> for platform.h.
#include <cstdlib>

#include "platform/platform_internal.h"

namespace vv::platform {

namespace {

// Exit code given to a process ended by Kill.
constexpr UINT kKilledExitCode = 0xDEAD;

class Win32Process final : public Process {
 public:
  Win32Process(HANDLE process, DWORD id) : process_(process), id_(id) {}

  // A child still running when its object goes is killed first, so that no
  // test leaves processes behind.
  ~Win32Process() override {
    if (!waited_) {
      Kill();
      Wait();
    }
    CloseHandle(process_);
  }

  int Id() const override { return static_cast<int>(id_); }

  bool Kill() override {
    if (waited_ || !TerminateProcess(process_, kKilledExitCode)) return false;
    killed_ = true;
    return true;
  }

  int Wait() override {
    if (!waited_) {
      DWORD code = 0;
      const bool ok = WaitForSingleObject(process_, INFINITE) == WAIT_OBJECT_0 &&
                      GetExitCodeProcess(process_, &code);
      waited_ = true;
      exitCode_ = (!ok || killed_) ? -1 : static_cast<int>(code);
    }
    return exitCode_;
  }

 private:
  HANDLE process_;
  DWORD id_;
  bool killed_ = false;
  bool waited_ = false;
  int exitCode_ = -1;
};

// Quotes one argument so that the C runtime's parser gives it back as it is
// (backslashes are literal unless they precede a quote).
std::string QuoteArgument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  out += '"';
  return out;
}

}  // namespace

std::string UserName() {
  char buf[257];  // UNLEN + 1
  DWORD size = sizeof buf;
  return GetUserNameA(buf, &size) ? std::string(buf) : std::string();
}

std::optional<std::string> GetEnv(std::string_view name) {
  const std::string key(name);
  SetLastError(NO_ERROR);
  std::optional<std::string> value = internal::CallWithBuffer(
      [&](char* buf, DWORD size) { return GetEnvironmentVariableA(key.c_str(), buf, size); });
  if (value) return value;
  if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
  return std::string();  // set, but empty
}

// The process environment and the C runtime's copy are both updated, so that
// getenv agrees with GetEnvironmentVariableA.
bool SetEnv(std::string_view name, std::string_view value) {
  const std::string key(name), text(value);
  _putenv((key + "=" + text).c_str());
  return SetEnvironmentVariableA(key.c_str(), text.c_str()) != 0;
}

bool UnsetEnv(std::string_view name) {
  const std::string key(name);
  _putenv((key + "=").c_str());
  return SetEnvironmentVariableA(key.c_str(), nullptr) != 0 ||
         GetLastError() == ERROR_ENVVAR_NOT_FOUND;
}

bool StandardErrorIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

int ProcessId() {
  return static_cast<int>(GetCurrentProcessId());
}

std::unique_ptr<Process> SpawnProcess(std::string_view program,
                                      const std::vector<std::string>& args) {
  // A bare name is searched for by CreateProcessA (which adds ".exe"); a path
  // is taken as it is, with ".exe" added when it has no extension.
  std::string application(program);
  const bool bare = !internal::HasDriveOrDirectory(application);
  if (!bare && SplitPath(application).ext.empty()) application += ".exe";
  std::string commandLine = QuoteArgument(application);
  for (const std::string& arg : args) {
    commandLine += ' ';
    commandLine += QuoteArgument(arg);
  }

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(bare ? nullptr : application.c_str(), commandLine.data(), nullptr, nullptr,
                      FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return nullptr;
  }
  CloseHandle(info.hThread);
  try {
    return std::make_unique<Win32Process>(info.hProcess, info.dwProcessId);
  } catch (...) {
    TerminateProcess(info.hProcess, kKilledExitCode);
    CloseHandle(info.hProcess);
    throw;
  }
}

}  // namespace vv::platform
