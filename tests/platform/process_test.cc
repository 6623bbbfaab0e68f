// Environment, user name and child processes.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "tests/platform/test_util.h"

namespace vv::platform {
namespace {

using testing::ChildProgram;

TEST(ProcessTest, EnvironmentVariablesAreSetReadAndRemoved) {
  const char* name = "VV_PLATFORM_TEST_VAR";
  ASSERT_TRUE(UnsetEnv(name));
  EXPECT_EQ(GetEnv(name), std::nullopt);
  ASSERT_TRUE(SetEnv(name, "a;b c"));
  EXPECT_EQ(GetEnv(name), "a;b c");
  ASSERT_TRUE(SetEnv(name, ""));
  EXPECT_EQ(GetEnv(name), "");
  ASSERT_TRUE(UnsetEnv(name));
  EXPECT_EQ(GetEnv(name), std::nullopt);
}

TEST(ProcessTest, UserNameAndProcessId) {
  EXPECT_FALSE(UserName().empty());
  EXPECT_GT(ProcessId(), 0);
}

TEST(ProcessTest, ChildExitCodesKillsAndFailures) {
  auto child = SpawnProcess(ChildProgram(), {"exit", "7"});
  ASSERT_TRUE(child);
  EXPECT_GT(child->Id(), 0);
  EXPECT_NE(child->Id(), ProcessId());
  EXPECT_EQ(child->Wait(), 7);
  EXPECT_EQ(child->Wait(), 7);  // the result is kept
  EXPECT_FALSE(child->Kill());  // already gone

  auto badFile = SpawnProcess(ChildProgram(), {"hold", "no such file", "0", "1", "x"});
  ASSERT_TRUE(badFile);
  EXPECT_EQ(badFile->Wait(), 3);  // arguments reach the child as given

  EXPECT_EQ(SpawnProcess(ChildProgram() + "-missing", {}), nullptr);
}

}  // namespace
}  // namespace vv::platform
