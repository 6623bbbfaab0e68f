// Dynamic libraries and module directories.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "tests/platform/test_util.h"

namespace vv::platform {
namespace {

TEST(LibraryTest, LoadsLibrariesAndFindsTheirSymbols) {
  std::string error;
  auto math = LoadLibrary("libm.so.6", &error);
  ASSERT_TRUE(math) << error;
  EXPECT_TRUE(error.empty());
  auto* cosine = reinterpret_cast<double (*)(double)>(math->Symbol("cos"));
  ASSERT_NE(cosine, nullptr);
  EXPECT_EQ(cosine(0.0), 1.0);
  EXPECT_EQ(math->Symbol("no_such_symbol_anywhere"), nullptr);
}

TEST(LibraryTest, ReportsWhyALibraryCannotBeLoaded) {
  std::string error;
  EXPECT_EQ(LoadLibrary("/no/such/libnothing.so", &error), nullptr);
  EXPECT_NE(error.find("libnothing"), std::string::npos) << error;
  EXPECT_EQ(LoadLibrary("libnothing-at-all.so"), nullptr);
}

TEST(LibraryTest, ModuleDirectoryIsTheAbsoluteFolderOfTheProgram) {
  const std::string dir = ModuleDirectory(reinterpret_cast<const void*>(&testing::ChildProgram));
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.front(), '/');
  EXPECT_EQ(dir.back(), '/');
  EXPECT_TRUE(FileExists(dir + "platform_tests"));
  // An address inside a shared library gives that library's folder.
  auto math = LoadLibrary("libm.so.6");
  ASSERT_TRUE(math);
  const std::string mathDir = ModuleDirectory(math->Symbol("cos"));
  EXPECT_NE(mathDir, dir);
  EXPECT_TRUE(DirectoryExists(mathDir)) << mathDir;
  EXPECT_EQ(ModuleDirectory(nullptr), "");
  EXPECT_EQ(SharedLibraryName("vvengine"), "libvvengine.so");
}

}  // namespace
}  // namespace vv::platform
