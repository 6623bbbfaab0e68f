// btrFileClose, btrFileClear and the owner of an open table (btrDriver
// functions 11 and 12) through the exported entry points.
#include <gtest/gtest.h>

#include <string>

#include "driver/frame/errors.h"
#include "support/engine_table.h"
#include "tables/file_open_fixture.h"

namespace vv::testing {
namespace {

class FileCloseTest : public FileOpenFixture {
 protected:
  void SetUp() override {
    FileOpenFixture::SetUp();
    AddCust();
  }
  int32_t OpenCust() {
    int32_t h = 0;
    EXPECT_EQ(Open("CUST", &h), 0) << TakeError();
    return h;
  }
  static int32_t Owner(int32_t h, const char* owner, int32_t mode, int32_t function) {
    return btrDriver(h, 0, owner, 0, mode, nullptr, function);
  }
};

constexpr int32_t kOwnerSet = 11;
constexpr int32_t kOwnerClear = 12;
constexpr int32_t kOwnerAdd = 10;

TEST_F(FileCloseTest, CloseReleasesTheTableAndLastCloseLogsOut) {
  const int32_t h = OpenCust();
  const int32_t h2 = OpenCust();
  EXPECT_EQ(btrFileClose(h, 1), 0);
  EXPECT_NE(File(h), nullptr) << "a non-zero flag leaves the table open";

  EXPECT_EQ(btrFileClose(h, 0), 0);
  EXPECT_EQ(File(h), nullptr);
  EXPECT_EQ(globals()->nOpenFiles, 1);
  EXPECT_EQ(File(h2)->lpLogin->lpFiles, File(h2));
  EXPECT_EQ(File(h2)->lpNext, nullptr);

  EXPECT_EQ(btrFileClose(h2, 0), 0);
  EXPECT_EQ(driver::mvbtrLoginFind(""), nullptr) << "AUTO_LOGOUT";
  EXPECT_TRUE(FileIsFree(Path("CUST.BTR")));

  globals()->bAutoLogout = 0;
  EXPECT_EQ(btrFileClose(OpenCust(), 0), 0);
  EXPECT_NE(driver::mvbtrLoginFind(""), nullptr);

  // Handles without a table.
  EXPECT_EQ(btrFileClose(h, 0), driver::kErrBadFileHandle);
  EXPECT_EQ(TakeError(), "72 btrFileClose");
  EXPECT_EQ(btrFileClear(h), driver::kErrBadFileHandle);
  EXPECT_EQ(TakeError(), "72 btrFileClear");
}

TEST_F(FileCloseTest, FailedBtrieveCloseStillClosesTheTable) {
  const int32_t h = OpenCust();
  EngineTrace trace;
  trace.Inject(BTR_CLOSE, {BTR_STATUS_FILE_NOT_OPEN});
  EXPECT_EQ(btrFileClose(h, 0), 0) << "the result of releasing the handle";
  EXPECT_EQ(TakeError(), "80 BTR:3");
  EXPECT_EQ(File(h), nullptr);
  EXPECT_EQ(globals()->nOpenFiles, 0);
}

TEST_F(FileCloseTest, ClearEmptiesTheRecordBuffer) {
  const int32_t h = OpenCust();
  ASSERT_EQ(Insert(h, {{1, "5"}, {2, "Bo"}}), 0) << TakeError();
  ASSERT_EQ(btrRecordFind(h, 1, 3), 0) << TakeError();
  EXPECT_EQ(btrFileClear(h), 0);
  EXPECT_EQ(Get(h, 2), "");
  EXPECT_EQ(File(h)->bBufferClear + File(h)->bActive, 1);
}

TEST_F(FileCloseTest, OwnerOfAnOpenTable) {
  int32_t h = OpenCust();
  globals()->bAutoLogout = 0;
  EngineTrace trace;
  // Refusals issue no Btrieve call.
  EXPECT_EQ(Owner(h, "NINECHARS", 0, kOwnerSet), driver::kErrOwnerTooLong);
  EXPECT_EQ(TakeError(), "20515 ");
  EXPECT_EQ(Owner(h, "SECRET", 4, kOwnerSet), driver::kErrOwnerAccessMode);
  EXPECT_EQ(TakeError(), "20517 SetOwner");
  File(h)->bRestructuring = 1;
  EXPECT_EQ(Owner(h, "SECRET", 0, kOwnerSet), driver::kErrOwnerWhileRestructuring);
  EXPECT_EQ(TakeError(), "20516 SetOwner");
  File(h)->bRestructuring = 0;
  EXPECT_EQ(Owner(h + 10, "SECRET", 0, kOwnerSet), driver::kErrBadFileHandle);
  EXPECT_EQ(TakeError(), "72 SetOwner");
  EXPECT_EQ(trace.Take(), "");

  // Set: later opens need the name.
  EXPECT_EQ(Owner(h, "SECRET", 0, kOwnerSet), 0) << TakeError();
  EXPECT_EQ(trace.Take(), "29");
  EXPECT_STREQ(File(h)->lpszOwner, "SECRET");
  EXPECT_EQ(Owner(h, "OTHER", 0, kOwnerSet), 21050);
  EXPECT_EQ(TakeError(), "21050 mvbtrFileOwnerSet (CUST.BTR)");
  ASSERT_EQ(btrFileClose(h, 0), 0);
  EXPECT_EQ(OpenFails("CUST"), "20566 CUST");
  EXPECT_EQ(Owner(0, "SECRET", 0, kOwnerAdd), 0);
  h = OpenCust();

  // Cleared (function 12 with an empty name): opens need none again.
  EXPECT_EQ(Owner(h, "", 0, kOwnerClear), 0) << TakeError();
  EXPECT_STREQ(File(h)->lpszOwner, "");
  ASSERT_EQ(btrFileClose(h, 0), 0);
  EXPECT_TRUE(FileIsFree(Path("CUST.BTR")));
}

}  // namespace
}  // namespace vv::testing
