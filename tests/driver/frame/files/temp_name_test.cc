// Temporary file names: their shape, and the 1000 tries that skip names
// already taken before error 20522.
#include "driver/frame/files/temp_name.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "driver/frame/errors.h"
#include "driver/frame/util/memory.h"
#include "platform/platform.h"
#include "support/driver_fixture.h"

namespace vv::testing {
namespace {

class TempNameTest : public DriverFixture {
 protected:
  void SetUp() override {
    DriverFixture::SetUp();
    template_ = dir() + "/CUSTOMER.BTR";
  }
  void TearDown() override {
    driver::mvbtrMemFree(&name_);
    driver::TempNameSeedSet(0);
    DriverFixture::TearDown();
  }
  int16_t Make() { return driver::mvbtrTempNameMake(&name_, template_.c_str(), "VV"); }
  std::string template_;
  char* name_ = nullptr;
};

TEST_F(TempNameTest, NameKeepsTheTemplatesFolderAndExtension) {
  driver::mvbtrStrNewCpy(&name_, "an older result");
  const long live = driver::AllocLive();
  ASSERT_EQ(Make(), 0);
  EXPECT_EQ(driver::AllocLive(), live) << "the old result was freed";
  const platform::PathParts parts = platform::SplitPath(name_);
  EXPECT_EQ(parts.dir, platform::SplitPath(template_).dir);
  EXPECT_EQ(parts.ext, ".BTR");
  ASSERT_EQ(parts.name.substr(0, 2), "VV");
  const std::string number = parts.name.substr(2);
  ASSERT_FALSE(number.empty());
  EXPECT_EQ(number.find_first_not_of("0123456789ABCDEF"), std::string::npos) << number;
  EXPECT_LE(std::stoul(number, nullptr, 16), 0x7FFFu);
}

TEST_F(TempNameTest, ThousandTriesThenError20522) {
  // A seed whose 1000th name differs from the 999 before it.
  uint32_t seed = 77;
  std::vector<std::string> names;
  for (;; ++seed) {
    names.clear();
    uint32_t state = seed;
    for (int i = 0; i < 1000; ++i) {
      names.push_back(driver::TempNameCandidate(&state, template_.c_str(), "VV"));
    }
    if (std::find(names.begin(), names.end() - 1, names.back()) == names.end() - 1) break;
  }
  driver::TempNameSeedSet(seed);
  for (std::size_t i = 0; i + 1 < names.size(); ++i) {
    ASSERT_TRUE(platform::WriteStringToFile(names[i], ""));
  }
  ASSERT_EQ(Make(), 0);
  EXPECT_EQ(std::string(name_), names.back()) << "taken names are skipped up to the last try";

  ASSERT_TRUE(platform::WriteStringToFile(names.back(), ""));
  EXPECT_EQ(Make(), driver::kErrTempName);
  EXPECT_EQ(host_.error_text(), "");
  EXPECT_EQ(name_, nullptr);
}

}  // namespace
}  // namespace vv::testing
