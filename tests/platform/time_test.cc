// Clocks and sleeping.
#include <gtest/gtest.h>

#include "platform/platform.h"

namespace vv::platform {
namespace {

TEST(TimeTest, ClocksAgreeAndSleepWaits) {
  const int64_t seconds = NowSeconds();
  const uint64_t fileTime = NowFileTime();
  EXPECT_GT(seconds, 1600000000);  // after September 2020
  EXPECT_NEAR(static_cast<double>(fileTime / 10000000 - 11644473600ULL),
              static_cast<double>(seconds), 2.0);

  const uint64_t start = MonotonicMs();
  SleepMs(50);
  const uint64_t elapsed = MonotonicMs() - start;
  EXPECT_GE(elapsed, 50u);
  EXPECT_LT(elapsed, 5000u);

  const LocalTime now = NowLocal();
  EXPECT_GE(now.year, 2020);
  EXPECT_TRUE(now.month >= 1 && now.month <= 12);
  EXPECT_TRUE(now.day >= 1 && now.day <= 31);
  EXPECT_TRUE(now.hour >= 0 && now.hour < 24);
  EXPECT_TRUE(now.minute >= 0 && now.minute < 60);
  EXPECT_TRUE(now.second >= 0 && now.second <= 60);
  EXPECT_TRUE(now.millisecond >= 0 && now.millisecond < 1000);
}

}  // namespace
}  // namespace vv::platform
