#include "support/driver_fixture.h"

#include "driver/frame/util/memory.h"
#include "platform/platform.h"

namespace vv::testing {

void DriverFixture::SetUp() {
  std::optional<std::string> dir = platform::MakeTempDirectory("vvdrv");
  ASSERT_TRUE(dir.has_value());
  dir_ = *dir;
  host_.set_data_path(dir_);
  ASSERT_EQ(mvDLLSetLoaderGlobals(host_.services()), 0);
  char prefix[8];
  mvDLLGetFuncTable(&table_, prefix);
  driver::AllocFailureSet(0);
}

void DriverFixture::TearDown() {
  driver::AllocFailureSet(0);
  btrDeinitialize();
  EXPECT_EQ(driver::AllocLive(), 0) << "driver memory left after btrDeinitialize";
  platform::RemoveTree(dir_);
}

std::string DriverFixture::WriteFile(const std::string& name, const std::string& content) {
  std::string path = dir_ + platform::kPathSeparator + name;
  EXPECT_TRUE(platform::WriteStringToFile(path, content));
  return path;
}

int32_t DriverFixture::Initialise() { return btrDriver(0, 0, "", 0, 0, nullptr, 21); }

}  // namespace vv::testing
