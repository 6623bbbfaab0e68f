// Finding files along path lists and the data search path, and name
// sanitising.
#include "driver/frame/files/paths.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "support/driver_fixture.h"

namespace vv::testing {
namespace {

using driver::mvbtrFileExists;
using driver::mvbtrPathSearch;

class PathsTest : public DriverFixture {
 protected:
  std::string Sub(const std::string& name, const std::string& file) {
    const std::string path = dir() + "/" + name;
    platform::CreateDirectory(path);
    EXPECT_TRUE(platform::WriteStringToFile(path + "/" + file, "x"));
    return path;
  }
};

TEST_F(PathsTest, SearchTakesTheFirstDirectoryThatHoldsTheFile) {
  const std::string list = Sub("A", "ORDERS.DAT") + ";" + Sub("B", "ORDERS.INT");
  char result[261];
  char* filePart = nullptr;
  const int32_t n =
      mvbtrPathSearch(list.c_str(), "ORDERS", ".INT", sizeof result, result, &filePart);
  EXPECT_EQ(std::string(result), platform::FullPathName(dir() + "/B/ORDERS.INT"));
  EXPECT_EQ(n, static_cast<int32_t>(std::string(result).size()));
  EXPECT_STREQ(filePart, "ORDERS.INT");
  mvbtrPathSearch(list.c_str(), "ORDERS.DAT", ".INT", sizeof result, result, nullptr);
  EXPECT_EQ(std::string(result), platform::FullPathName(dir() + "/A/ORDERS.DAT"));

  EXPECT_EQ(mvbtrPathSearch(list.c_str(), "NONE.DAT", nullptr, sizeof result, result, &filePart),
            0);
  EXPECT_STREQ(result, "");
  EXPECT_EQ(filePart, nullptr);
  char small[8];  // a path that does not fit counts as not found
  EXPECT_EQ(mvbtrPathSearch(list.c_str(), "ORDERS.DAT", nullptr, sizeof small, small, nullptr), 0);
  EXPECT_STREQ(small, "");
}

TEST_F(PathsTest, FileExistsAlongTheDataPathOrOnlyWhereThePathSays) {
  WriteFile("CUSTOMER.BTR", "x");
  const std::string sub = Sub("SUB", "ONLYHERE.BTR");
  EXPECT_EQ(mvbtrFileExists("CUSTOMER.BTR"), 1) << "a bare name goes along the data path";
  EXPECT_EQ(mvbtrFileExists("ONLYHERE.BTR"), 0);
  EXPECT_EQ(mvbtrFileExists((sub + "/ONLYHERE.BTR").c_str()), 1);
  EXPECT_EQ(mvbtrFileExists((sub + "/CUSTOMER.BTR").c_str()), 0) << "a directory: only there";
  EXPECT_EQ(mvbtrFileExists("SUB"), 0) << "a directory is not a file";
}

TEST_F(PathsTest, SanitizeReplacesWildcardsAndAngleBrackets) {
  char name[] = "?*<>A?B.C";
  EXPECT_STREQ(driver::mvbtrNameSanitize(name), "____A_B.C");
}

}  // namespace
}  // namespace vv::testing
