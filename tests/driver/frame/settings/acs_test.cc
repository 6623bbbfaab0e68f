// Alternate collating sequence files named by ACS and ACS_UPPER.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/platform.h"
#include "support/driver_fixture.h"

namespace vv::testing {
namespace {

std::string AcsImage(char fill, std::size_t size = 265, unsigned char signature = 0xAC) {
  std::string image(size, fill);
  image[0] = static_cast<char>(signature);
  return image;
}

class AcsTest : public DriverFixture {
 protected:
  int32_t InitialiseWith(const std::string& text) {
    WriteSettings(text);
    return btrDriver(0, 0, "", 0, 0, nullptr, 13);
  }
};

TEST_F(AcsTest, LoadsBothTables) {
  WriteFile("LOWER.ACS", AcsImage('l'));
  std::string sub = dir() + platform::kPathSeparator + "acs";
  ASSERT_EQ(platform::CreateDirectory(sub), platform::FsResult::kOk);
  ASSERT_TRUE(platform::WriteStringToFile(sub + platform::kPathSeparator + "UP.ACS",
                                          AcsImage('u', 300)));
  EXPECT_EQ(InitialiseWith("ACS LOWER.ACS\nACS_UPPER '" + sub + platform::kPathSeparator +
                           "UP.ACS'\n"),
            0);
  EXPECT_EQ(host_.error(), 0);
  ASSERT_NE(globals()->lpAcsTable, nullptr);
  ASSERT_NE(globals()->lpAcsUpperTable, nullptr);
  std::string expected = AcsImage('l');
  EXPECT_EQ(std::memcmp(globals()->lpAcsTable, expected.data(), 265), 0);
  EXPECT_EQ(globals()->lpAcsUpperTable[264], 'u');
}

TEST_F(AcsTest, MissingFilesEndTheReading) {
  EXPECT_EQ(InitialiseWith("ACS NOSUCH.ACS\nLOCK_DELAY 5\n"), 20523);
  EXPECT_EQ(host_.error_text(), "NOSUCH.ACS");
  EXPECT_EQ(globals()->nLockDelay, -1);
  btrDeinitialize();
  EXPECT_EQ(InitialiseWith("ACS_UPPER NOSUCH.ACS\n"), 20524);
  btrDeinitialize();
  // A name with a directory is looked for only there.
  WriteFile("HERE.ACS", AcsImage('h'));
  EXPECT_EQ(InitialiseWith("ACS elsewhere/HERE.ACS\n"), 20523);
}

TEST_F(AcsTest, ShortOrUnsignedFilesKeepTheOldTable) {
  WriteFile("GOOD.ACS", AcsImage('g'));
  WriteFile("SHORT.ACS", AcsImage('s', 264));
  WriteFile("UNSIGNED.ACS", AcsImage('n', 265, 0xAE));
  EXPECT_EQ(InitialiseWith("ACS GOOD.ACS\nACS SHORT.ACS\n"), 20526);
  EXPECT_EQ(host_.error_text(), "SHORT.ACS");
  ASSERT_NE(globals()->lpAcsTable, nullptr);
  EXPECT_EQ(globals()->lpAcsTable[1], 'g');
  btrDeinitialize();
  EXPECT_EQ(InitialiseWith("ACS GOOD.ACS\nACS UNSIGNED.ACS\n"), 20526);
  EXPECT_EQ(globals()->lpAcsTable[1], 'g');
}

}  // namespace
}  // namespace vv::testing
