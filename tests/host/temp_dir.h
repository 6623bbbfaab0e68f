// A fresh directory for one test, removed with everything in it afterwards.
#ifndef VEVERAVE_TESTS_HOST_TEMP_DIR_H_
#define VEVERAVE_TESTS_HOST_TEMP_DIR_H_

#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"

namespace vv::host {

class TempDir {
 public:
  TempDir() {
    std::optional<std::string> dir = platform::MakeTempDirectory("vvhost");
    EXPECT_TRUE(dir.has_value());
    path_ = dir.value_or(".");
  }
  ~TempDir() { platform::RemoveTree(path_); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // The path of a file in the directory.
  std::string File(const std::string& name) const {
    return path_ + platform::kPathSeparator + name;
  }

 private:
  std::string path_;
};

}  // namespace vv::host

#endif  // VEVERAVE_TESTS_HOST_TEMP_DIR_H_
