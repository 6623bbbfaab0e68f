// Mutex under contention.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/platform.h"

namespace vv::platform {
namespace {

TEST(MutexTest, SerialisesIncrementsFromManyThreads) {
  Mutex mu;
  long counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 20000; ++i) {
        MutexLock lock(mu);
        counter = counter + 1;
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(counter, 80000);
}

}  // namespace
}  // namespace vv::platform
