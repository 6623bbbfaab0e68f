// Server logins through the exported entry points, on the embedded engine
// with a dictionary in the host's data directory: the login list and its
// names, the client identifier, the engine version check, where the
// dictionary is found, AUTO_LOGOUT, and failures that must leave no login.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver/frame/errors.h"
#include "driver/frame/init.h"
#include "platform/platform.h"
#include "tables/ddf_fixture.h"

namespace vv::testing {
namespace {

class LoginTest : public DdfFixture {
 protected:
  std::string Name(int32_t position) {
    char buffer[32] = "untouched";
    btrGetServerName(position, buffer, sizeof buffer);
    return buffer;
  }
};

TEST_F(LoginTest, BeforeInitialisationNothingIsLoggedIn) {
  char buffer[8] = "";
  EXPECT_EQ(btrGetServerName(1, buffer, sizeof buffer), 0);
  EXPECT_EQ(TakeError(), "4099 ");
  EXPECT_EQ(btrGetServerName(0, buffer, sizeof buffer), 0);
  EXPECT_EQ(btrLogout("A"), 0);
  EXPECT_EQ(host_.error(), 0);
  EXPECT_FALSE(driver::mvbtrDriverIsInit());
}

TEST_F(LoginTest, LoginsAreListedNewestFirstAndLeaveByName) {
  for (const char* name : {"A", "B", "A"}) ASSERT_EQ(btrLogin(name, nullptr, nullptr), 0);
  // The second login to A replaced the first: one Reset, a Version each.
  EXPECT_EQ(Count(BTR_VERSION), 3);
  EXPECT_EQ(Count(BTR_RESET), 1);
  EXPECT_EQ(btrGetServerName(0, nullptr, 0), 2);
  EXPECT_EQ(Name(0), "untouched");
  EXPECT_EQ(Name(1), "A");
  EXPECT_EQ(Name(2), "B");
  EXPECT_EQ(host_.error(), 0);

  char exact[1];
  EXPECT_EQ(btrGetServerName(1, exact, sizeof exact), 2);
  EXPECT_EQ(TakeError(), "4101 GetServerName");
  for (int32_t position : {3, -1}) {
    EXPECT_EQ(btrGetServerName(position, nullptr, 0), 2);
    EXPECT_EQ(TakeError(), "4099 ");
  }

  // Names compare exactly; the empty name logs out everyone.
  btrLogout("a");
  EXPECT_EQ(btrGetServerName(0, nullptr, 0), 2);
  btrLogout("B");
  EXPECT_EQ(Name(1), "A");
  EXPECT_EQ(btrGetServerName(0, nullptr, 0), 1);
  btrLogout("");
  EXPECT_EQ(btrGetServerName(0, nullptr, 0), 0);
  EXPECT_EQ(Count(BTR_RESET), 3);
  EXPECT_EQ(host_.error(), 0);
}

TEST_F(LoginTest, EveryCallOfALoginCarriesItsClientIdentifier) {
  const int64_t before = platform::NowSeconds();
  ASSERT_NE(Login(), nullptr);
  const int64_t after = platform::NowSeconds();
  btrLogout("");
  ASSERT_FALSE(TapCalls().empty());
  const std::string id = TapCalls().front().client;
  ASSERT_EQ(id.size(), 16u);
  EXPECT_EQ(id.substr(0, 12), std::string(12, '\0'));
  EXPECT_EQ(id.substr(12, 2), "MV");
  const auto number =
      static_cast<uint16_t>(static_cast<uint8_t>(id[14]) | static_cast<uint8_t>(id[15]) << 8);
  EXPECT_TRUE(number == static_cast<uint16_t>(before) || number == static_cast<uint16_t>(after));
  for (const TapCall& call : TapCalls()) EXPECT_EQ(call.client, id) << call.op;
  EXPECT_EQ(TapCalls().back().op, BTR_RESET);
}

TEST_F(LoginTest, EngineOlderThanVersion8IsRefused) {
  const struct {
    const char* versions;
    int16_t status;
  } cases[] = {{"7.0N", driver::kErrEngineVersion},
               {"9.50N,7.0T", driver::kErrEngineVersion},
               {"7.0L", 0},
               {"8.0N", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.versions);
    ASSERT_EQ(vvEngineSetOption(VVENGINE_OPTION_VERSION, c.versions), 0);
    TapCalls().clear();
    EXPECT_EQ(btrLogin("S", "", ""), c.status);
    EXPECT_EQ(host_.error(), c.status);
    host_.ClearError();
    // A refused login is logged out again at once.
    EXPECT_EQ(btrGetServerName(0, nullptr, 0), c.status == 0 ? 1 : 0);
    EXPECT_EQ(Count(BTR_RESET), c.status == 0 ? 0 : 1);
    btrLogout("");
  }
}

TEST_F(LoginTest, DictionaryIsFoundInDdfPathOrAlongTheDataPath) {
  // Move the dictionary into a directory of its own.
  dict_.reset();
  const std::string sub = dir() + platform::kPathSeparator + "DICT";
  ASSERT_EQ(platform::CreateDirectory(sub), platform::FsResult::kOk);
  std::string error;
  dict_ = ddf::DictionaryBuilder::Create(sub, &error);
  ASSERT_TRUE(dict_) << error;
  for (const char* name : {"FILE.DDF", "FIELD.DDF", "INDEX.DDF"}) {
    ASSERT_EQ(platform::DeleteFile(dir() + platform::kPathSeparator + name),
              platform::FsResult::kOk);
  }

  EXPECT_EQ(btrLogin("", "", ""), driver::kErrCannotOpen);
  EXPECT_EQ(TakeError(), "75 ");  // the text goes with the login that failed
  EXPECT_EQ(btrGetServerName(0, nullptr, 0), 0);

  btrDeinitialize();
  WriteSettings("DDF_PATH " + sub + "\n");
  ASSERT_NE(Login(), nullptr);
  EXPECT_STREQ(driver::mvbtrLoginFind("")->lpFileDdf->lpszBtrPath, (sub + "\\FILE.DDF").c_str());
}

TEST_F(LoginTest, DictionaryOpenFailingHalfWayClosesWhatItOpened) {
  dict_.reset();
  ASSERT_EQ(platform::DeleteFile(dir() + platform::kPathSeparator + "FIELD.DDF"),
            platform::FsResult::kOk);
  EXPECT_EQ(btrLogin("", "", ""), driver::kErrCannotOpen);
  host_.ClearError();
  EXPECT_EQ(Count(BTR_OPEN), 3);
  EXPECT_EQ(Count(BTR_CLOSE), 2);
  EXPECT_EQ(Count(BTR_VERSION), 0);
  EXPECT_EQ(btrGetServerName(0, nullptr, 0), 0);
}

TEST_F(LoginTest, AutoLogoutWhenTheLastTableCloses) {
  for (int autoLogout : {1, 0}) {
    SCOPED_TRACE(autoLogout);
    btrDeinitialize();
    WriteSettings("AUTO_LOGOUT " + std::to_string(autoLogout) + "\n");
    ASSERT_EQ(btrLogin("", "", ""), 0);
    ASSERT_EQ(btrLogin("S", "", ""), 0);
    TapCalls().clear();
    driver::mvbtrOpenCountInc();
    driver::mvbtrOpenCountInc();
    driver::mvbtrOpenCountDec();
    EXPECT_EQ(btrGetServerName(0, nullptr, 0), 2);
    driver::mvbtrOpenCountDec();
    EXPECT_EQ(btrGetServerName(0, nullptr, 0), autoLogout != 0 ? 0 : 2);
    EXPECT_EQ(Count(BTR_RESET), autoLogout != 0 ? 2 : 0);
    // A close without its open counts nothing.
    driver::mvbtrOpenCountDec();
    EXPECT_EQ(globals()->nOpenFiles, 0);
    btrLogout("");
  }
}

TEST_F(LoginTest, LoginWhoseTableLostItsHandleStays) {
  driver::ServerLogin* login = Login();
  ASSERT_NE(login, nullptr);
  driver::OpenFile* file = Table("ORPHAN");
  file->hFile = 77;  // no handle of the host leads to it
  login->lpFiles = file;
  btrLogout("");
  EXPECT_EQ(TakeError(), "4282 ");
  EXPECT_EQ(btrGetServerName(0, nullptr, 0), 1);
  login->lpFiles = nullptr;
  btrLogout("");
  EXPECT_EQ(btrGetServerName(0, nullptr, 0), 0);
}

TEST_F(LoginTest, OutOfMemoryLeavesNoLogin) {
  ASSERT_NE(Login(), nullptr);
  btrLogout("");
  const long live = driver::AllocLive();
  bool failed = true;
  for (long n = 1; failed; ++n) {
    SCOPED_TRACE(n);
    driver::AllocFailureSet(n);
    const int16_t status = btrLogin("", "", "");
    failed = driver::AllocFailureSet(0) >= n;
    EXPECT_EQ(status, failed ? driver::kErrOutOfMemory : 0);
    EXPECT_EQ(btrGetServerName(0, nullptr, 0), failed ? 0 : 1);
    host_.ClearError();
    btrLogout("");
    EXPECT_EQ(driver::AllocLive(), live);
  }
}

}  // namespace
}  // namespace vv::testing
