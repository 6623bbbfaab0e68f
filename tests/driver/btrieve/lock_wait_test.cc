// The lock wait under the driver's LOCK_TIMEOUT and LOCK_DELAY and under the
// host's values. Timeouts are short; the tests count tries and check the
// error (elapsed time only as a lower bound of the sleeps).
#include "driver/btrieve/lock_wait.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "driver/frame/errors.h"
#include "platform/platform.h"
#include "support/btr_recorder.h"
#include "support/driver_fixture.h"

namespace vv::testing {
namespace {

class LockWaitTest : public DriverFixture {
 protected:
  void SetUp() override {
    DriverFixture::SetUp();
    ASSERT_EQ(Initialise(), 1);
  }
  void Settings(int32_t timeout, int32_t delay) {
    globals()->nLockTimeout = timeout;
    globals()->nLockDelay = delay;
  }
  // An insert that meets statuses, then `then` for ever; its result.
  int16_t Insert(std::vector<int16_t> statuses, int16_t then) {
    recorder_.Answer(std::move(statuses), then);
    uint8_t data[16] = {};
    uint16_t length = sizeof data;
    return driver::mvbtrBtrCallLockWait(BTR_INSERT, nullptr, data, &length, nullptr, -1, nullptr);
  }
  void ExpectTimedOut(int16_t status, std::size_t calls) {
    EXPECT_EQ(status, driver::kErrLockTimeout);
    EXPECT_EQ(host_.error(), driver::kErrLockTimeout);
    EXPECT_EQ(host_.error_text(), "Btrieve");
    EXPECT_EQ(recorder_.calls().size(), calls);
    host_.ClearError();
  }
  BtrRecorder recorder_;
};

TEST_F(LockWaitTest, ZeroTimeoutRetriesUntilTheLockGoes) {
  Settings(0, 0);
  // A locked try may get another length back: each try sends the caller's.
  recorder_.onCall = [](const BtrCallRecord&, uint32_t* dataLen) { *dataLen = 3; };
  std::vector<int16_t> locked(40, BTR_STATUS_RECORD_LOCKED);
  locked.push_back(BTR_STATUS_FILE_LOCKED);
  EXPECT_EQ(Insert(locked, 0), 0);
  ASSERT_EQ(recorder_.calls().size(), 42u);
  for (const BtrCallRecord& call : recorder_.calls()) EXPECT_EQ(call.dataLenIn, 16u);
  // Other statuses are the operation's own: not retried, not reported here.
  EXPECT_EQ(Insert({84}, BTR_STATUS_DUPLICATE_KEY), BTR_STATUS_DUPLICATE_KEY);
  EXPECT_EQ(recorder_.calls().size(), 44u);
  EXPECT_EQ(host_.error(), 0);
}

TEST_F(LockWaitTest, TimeoutBelowOneSecondGivesUpAtTheFirstRetry) {
  Settings(999, 0);
  ExpectTimedOut(Insert({}, BTR_STATUS_RECORD_LOCKED), 1);
}

TEST_F(LockWaitTest, OneSecondTimeoutEndsWithinTheNextClockSecond) {
  // The deadline is the first retry's second plus one: one try at least, and
  // no more than one per delay in that second.
  Settings(1000, 100);
  const int16_t status = Insert({}, BTR_STATUS_FILE_LOCKED);
  const std::size_t calls = recorder_.calls().size();
  EXPECT_GE(calls, 1u);
  EXPECT_LE(calls, 12u);
  ExpectTimedOut(status, calls);
}

TEST_F(LockWaitTest, NegativeSettingsTakeTheHostsValues) {
  Settings(-1, -1);
  host_.set_lock_timeout(0);  // for ever
  host_.set_lock_delay(20);
  const uint64_t start = platform::MonotonicMs();
  EXPECT_EQ(Insert({84, 84, 84}, 0), 0);
  EXPECT_EQ(recorder_.calls().size(), 4u);
  EXPECT_GE(platform::MonotonicMs() - start, 60u) << "three sleeps of the host's 20 ms";
  host_.set_lock_timeout(500);
  ExpectTimedOut(Insert({}, 84), 5);
}

TEST_F(LockWaitTest, DriverSettingsOverrideTheHost) {
  host_.set_lock_timeout(300);  // would give up at once
  host_.set_lock_delay(5000);   // would sleep 5 s per try
  Settings(0, 0);
  const uint64_t start = platform::MonotonicMs();
  EXPECT_EQ(Insert({84, 85, 84}, 0), 0);
  EXPECT_EQ(recorder_.calls().size(), 4u);
  EXPECT_LT(platform::MonotonicMs() - start, 5000u);
  Settings(200, -1);
  ExpectTimedOut(Insert({}, 84), 5);
}

}  // namespace
}  // namespace vv::testing
