// The log file: the line format byte for byte, appending without
// truncating, and when nothing is written.
#include "driver/frame/files/log_file.h"

#include <gtest/gtest.h>

#include <string>

#include "driver/frame/errors.h"
#include "driver/frame/util/memory.h"
#include "driver/tables/open_file.h"
#include "platform/platform.h"
#include "support/driver_fixture.h"

namespace vv::testing {
namespace {

class LogFileTest : public DriverFixture {
 protected:
  void SetUp() override {
    DriverFixture::SetUp();
    ASSERT_EQ(Initialise(), 1);
    path_ = dir() + "/DRIVER.LOG";
    driver::mvbtrStrNewCpy(&globals()->lpszLogfilePath, path_.c_str());
  }
  void TearDown() override {
    driver::mvbtrLogClose(&log_);
    DriverFixture::TearDown();
  }
  std::string Content() { return platform::ReadFileToString(path_).value_or("<none>"); }
  std::string path_;
  platform::File* log_ = nullptr;
};

TEST_F(LogFileTest, EntriesAreAppendedLineByLine) {
  WriteFile("DRIVER.LOG", "earlier line\r\n");
  ASSERT_EQ(driver::mvbtrLogOpen(&log_, path_.c_str()), 0);
  driver::OpenFile table{};
  char name[] = "ORDERS";
  table.lpszDdfName = name;
  driver::mvbtrLogWrite(log_, &table, 25, "B_KEY_VALUE_NOT_FOUND");
  ASSERT_EQ(driver::mvbtrLogOpen(&log_, path_.c_str()), 0) << "the next login opens it again";
  driver::mvbtrLogWrite(log_, nullptr, -3, "no table");
  const std::string user = platform::UserName();
  EXPECT_EQ(Content(), "earlier line\r\n25;\"B_KEY_VALUE_NOT_FOUND\";\"" + user +
                           "\";\"ORDERS\"\r\n-3;\"no table\";\"" + user + "\";\"\"\r\n");
}

TEST_F(LogFileTest, NothingIsWrittenWithoutLogfilePathOrOpenFile) {
  ASSERT_EQ(driver::mvbtrLogOpen(&log_, path_.c_str()), 0);
  driver::mvbtrMemFree(&globals()->lpszLogfilePath);
  driver::mvbtrLogWrite(log_, nullptr, 25, "not written");
  driver::mvbtrStrNewCpy(&globals()->lpszLogfilePath, path_.c_str());
  driver::mvbtrLogClose(&log_);
  driver::mvbtrLogWrite(log_, nullptr, 25, "not written either");
  EXPECT_EQ(Content(), "");

  const std::string bad = dir() + "/NO/SUCH/DRIVER.LOG";
  EXPECT_EQ(driver::mvbtrLogOpen(&log_, bad.c_str()), driver::kErrLogOpen);
  EXPECT_EQ(host_.error_text(), bad);
  EXPECT_EQ(log_, nullptr);
}

}  // namespace
}  // namespace vv::testing
