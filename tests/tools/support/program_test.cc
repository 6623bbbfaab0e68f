#include "tools/support/program_test.h"

#include <memory>
#include <optional>

#include "platform/platform.h"

namespace vv::testing {

namespace {
// Anchors the lookup of the directory this test program is in.
const int kModuleAnchor = 0;
}  // namespace

void ProgramTest::SetUp() {
  const std::optional<std::string> dir = platform::MakeTempDirectory(name_ + "_test");
  ASSERT_TRUE(dir.has_value());
  dir_ = *dir + platform::kPathSeparator;
  program_ = platform::ModuleDirectory(&kModuleAnchor) + name_;
  ASSERT_TRUE(platform::FileExists(program_)) << program_;
}

void ProgramTest::TearDown() {
  platform::RemoveTree(dir_);
}

void ProgramTest::Write(const std::string& name, const std::string& data) {
  ASSERT_TRUE(platform::WriteStringToFile(Path(name), data));
}

std::string ProgramTest::Read(const std::string& name) const {
  return platform::ReadFileToString(Path(name)).value_or("<missing>");
}

RunResult ProgramTest::Run(const std::vector<std::string>& args, const std::string& prefix) {
  std::string command = "cd " + Quote(dir_) + " && " + prefix + " " + Quote(program_);
  for (const std::string& a : args) command += " " + Quote(a);
  command += " >" + Quote(Path("stdout.txt")) + " 2>" + Quote(Path("stderr.txt"));
  std::unique_ptr<platform::Process> p = platform::SpawnProcess("/bin/sh", {"-c", command});
  if (!p) return {-1, "", "cannot start the shell"};
  const int code = p->Wait();
  return {code, Read("stdout.txt"), Read("stderr.txt")};
}

std::string ProgramTest::Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

}  // namespace vv::testing
