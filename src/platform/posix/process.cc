// POSIX process services: user name, environment, child processes.
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/platform.h"

extern char** environ;

namespace vv::platform {

namespace {

class PosixProcess final : public Process {
 public:
  explicit PosixProcess(pid_t pid) : pid_(pid) {}

  // A child still running when its object goes is killed and reaped, so no
  // test leaves processes or zombies behind.
  ~PosixProcess() override {
    if (!reaped_) {
      Kill();
      Wait();
    }
  }

  int Id() const override { return static_cast<int>(pid_); }

  bool Kill() override { return !reaped_ && kill(pid_, SIGKILL) == 0; }

  int Wait() override {
    if (!reaped_) {
      int status = 0;
      pid_t r;
      do {
        r = waitpid(pid_, &status, 0);
      } while (r < 0 && errno == EINTR);
      reaped_ = true;
      exitCode_ = (r == pid_ && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
    }
    return exitCode_;
  }

 private:
  pid_t pid_;
  bool reaped_ = false;
  int exitCode_ = -1;
};

}  // namespace

std::string UserName() {
  char buf[256];
  if (getlogin_r(buf, sizeof buf) == 0 && buf[0] != '\0') return buf;
  if (const char* user = std::getenv("USER"); user != nullptr && *user != '\0') return user;
  passwd pw;
  passwd* found = nullptr;
  char pwbuf[4096];
  if (getpwuid_r(geteuid(), &pw, pwbuf, sizeof pwbuf, &found) == 0 && found != nullptr &&
      found->pw_name != nullptr && found->pw_name[0] != '\0') {
    return found->pw_name;
  }
  return std::to_string(static_cast<unsigned long>(geteuid()));
}

std::optional<std::string> GetEnv(std::string_view name) {
  const char* value = std::getenv(std::string(name).c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

bool SetEnv(std::string_view name, std::string_view value) {
  return setenv(std::string(name).c_str(), std::string(value).c_str(), 1) == 0;
}

bool UnsetEnv(std::string_view name) {
  return unsetenv(std::string(name).c_str()) == 0;
}

bool StandardErrorIsTerminal() {
  return isatty(STDERR_FILENO) == 1;
}

int ProcessId() {
  return static_cast<int>(getpid());
}

std::unique_ptr<Process> SpawnProcess(std::string_view program,
                                      const std::vector<std::string>& args) {
  // A bare name is looked up along PATH; anything with a directory is a path.
  const bool bare = std::string_view(program).find_first_of("/\\") == std::string_view::npos;
  const std::string path = bare ? std::string(program) : NativePath(program);
  std::vector<std::string> argStrings;
  argStrings.reserve(args.size() + 1);
  argStrings.push_back(path);
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  argv.reserve(argStrings.size() + 1);
  for (std::string& arg : argStrings) argv.push_back(arg.data());
  argv.push_back(nullptr);

  pid_t pid = 0;
  const int rc = bare ? posix_spawnp(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ)
                      : posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ);
  if (rc != 0) return nullptr;
  try {
    return std::make_unique<PosixProcess>(pid);
  } catch (...) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    throw;
  }
}

}  // namespace vv::platform
