// A fixture for runs of one of the built programs (vv, vvbutil): a fresh
// directory per test, and runs through the shell with the output captured.
#ifndef VEVERAVE_TESTS_TOOLS_SUPPORT_PROGRAM_TEST_H_
#define VEVERAVE_TESTS_TOOLS_SUPPORT_PROGRAM_TEST_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vv::testing {

struct RunResult {
  int exit_code;
  std::string out;
  std::string err;
};

class ProgramTest : public ::testing::Test {
 protected:
  // program: the file name of a program built beside this test program.
  explicit ProgramTest(std::string program) : name_(std::move(program)) {}

  void SetUp() override;
  void TearDown() override;

  std::string Path(const std::string& name) const { return dir_ + name; }
  void Write(const std::string& name, const std::string& data);
  // The file's contents, or "<missing>".
  std::string Read(const std::string& name) const;

  // Runs the program with args from the test's directory; prefix is put
  // before the command in the shell (environment assignments).
  RunResult Run(const std::vector<std::string>& args, const std::string& prefix = "");

  // s quoted for the shell.
  static std::string Quote(const std::string& s);

 private:
  std::string name_;
  std::string program_;
  std::string dir_;
};

}  // namespace vv::testing

#endif  // VEVERAVE_TESTS_TOOLS_SUPPORT_PROGRAM_TEST_H_
