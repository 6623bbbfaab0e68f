// Shared helpers of the platform tests.
#ifndef VEVERAVE_TESTS_PLATFORM_TEST_UTIL_H_
#define VEVERAVE_TESTS_PLATFORM_TEST_UTIL_H_

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace vv::platform::testing {

// A fresh directory, removed with everything in it at the end of the test.
class TempDir {
 public:
  TempDir() : path_(MakeTempDirectory("vvplatform").value_or(std::string())) {
    EXPECT_FALSE(path_.empty());
  }
  ~TempDir() { RemoveTree(path_); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path/relative, with relative's separators kept as written.
  std::string operator/(std::string_view relative) const {
    return path_ + kPathSeparator + std::string(relative);
  }

 private:
  std::string path_;
};

inline void MakeFile(const std::string& path, std::string_view content = "x") {
  ASSERT_TRUE(WriteStringToFile(path, content)) << path;
}

// The helper program built beside the test program (lock_child.cc).
inline std::string ChildProgram() {
  return ModuleDirectory(reinterpret_cast<const void*>(&ChildProgram)) + "platform_lock_child";
}

}  // namespace vv::platform::testing

#endif  // VEVERAVE_TESTS_PLATFORM_TEST_UTIL_H_
