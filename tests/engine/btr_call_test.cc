// The exported call: the default client of BTRCALL, the one-pointer call,
// no exception ever crossing it, and calls from several threads at once.
#include <gtest/gtest.h>

#include <thread>

#include "engine/test_util.h"
#include "veverave/engine.h"

namespace vv::engine::testing {
namespace {

TEST(BtrCallTest, BtrcallIsTheClientOfTheNullId) {
  TempDir dir;
  const std::string path = dir.File("t.btr");
  std::string spec = TestTableBuffer();
  uint32_t len = static_cast<uint32_t>(spec.size());
  char key[256] = {};
  std::copy(path.begin(), path.end(), key);
  ASSERT_EQ(BTRCALL(BTR_CREATE, nullptr, spec.data(), &len, key, 255, -1), 0);
  Block pb{};
  len = 0;
  ASSERT_EQ(BTRCALL(BTR_OPEN, pb.data(), nullptr, &len, key, 255, 0), 0);
  std::string rec = TestRecord(1, "one");
  len = static_cast<uint32_t>(rec.size());
  ASSERT_EQ(BTRCALL(BTR_INSERT, pb.data(), rec.data(), &len, key, 255, -1), 0);
  // The same block through BTRCALLID with a null id and with the all-zero id.
  char data[64] = {};
  len = sizeof data;
  EXPECT_EQ(BTRCALLID(BTR_STEP_FIRST, pb.data(), data, &len, key, 255, 0, nullptr), 0);
  uint8_t zero[BTR_CLIENT_ID_SIZE] = {};
  EXPECT_EQ(BTRCALLID(BTR_STEP_FIRST, pb.data(), data, &len, key, 255, 0, zero), 0);
  uint8_t other[BTR_CLIENT_ID_SIZE] = {1};
  EXPECT_EQ(BTRCALLID(BTR_STEP_FIRST, pb.data(), data, &len, key, 255, 0, other),
            BTR_STATUS_FILE_NOT_OPEN);
  EXPECT_EQ(BTRCALL(BTR_RESET, nullptr, nullptr, nullptr, nullptr, 0, 0), 0);
  EXPECT_EQ(BTRCALL(BTR_STEP_FIRST, pb.data(), data, &len, key, 255, 0), BTR_STATUS_FILE_NOT_OPEN);
}

TEST(BtrCallTest, OnePointerCallIsNotOffered) {
  EXPECT_EQ(BTRCALLBACK(nullptr), BTR_STATUS_INVALID_OPERATION);
}

TEST(BtrCallTest, NullBuffersAndLengthsAreStatusesNotCrashes) {
  Block pb{};
  for (uint16_t op = 0; op < 40; ++op) {
    if (op == BTR_BEGIN_TRANSACTION || op == BTR_RESET) continue;  // they need no buffers
    const int16_t s = BTRCALL(op, pb.data(), nullptr, nullptr, nullptr, 0, 0);
    EXPECT_NE(s, 0) << "operation " << op << " succeeded without buffers";
    BTRCALL(BTR_RESET, nullptr, nullptr, nullptr, nullptr, 0, 0);
  }
  EXPECT_EQ(BTRCALL(BTR_BEGIN_TRANSACTION, nullptr, nullptr, nullptr, nullptr, 0, 0), 0);
  EXPECT_EQ(BTRCALL(BTR_ABORT_TRANSACTION, nullptr, nullptr, nullptr, nullptr, 0, 0), 0);
}

TEST(BtrCallTest, ClientsOnSeveralThreadsAtOnce) {
  TempDir dir;
  const std::string path = dir.File("t.btr");
  Engine engine(DefaultOptions());
  TestClient creator(&engine, "creator");
  ASSERT_EQ(creator.Create(path, TestTableBuffer()), 0);
  constexpr int kThreads = 4;
  constexpr int kEach = 300;
  std::vector<std::thread> threads;
  std::vector<int> failures(kThreads, 0);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      TestClient c(&engine, "thread" + std::to_string(t));
      Block pb{};
      if (c.Open(&pb, path) != 0) ++failures[t];
      for (int i = 0; i < kEach; ++i) {
        const bool txn = i % 3 == 0;
        if (txn && c.Simple(BTR_BEGIN_CONCURRENT_TRANSACTION) != 0) ++failures[t];
        if (c.Insert(&pb, TestRecord(t * kEach + i, "t" + std::to_string(t))) != 0) ++failures[t];
        if (txn && c.Simple(BTR_END_TRANSACTION) != 0) ++failures[t];
        std::string r;
        if (c.Get(BTR_GET_LAST, &pb, 1, "", &r) != 0) ++failures[t];
      }
      c.Close(&pb);
    });
  }
  for (std::thread& th : threads) th.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;
  Block pb{};
  ASSERT_EQ(creator.Open(&pb, path), 0);
  EXPECT_EQ(creator.RecordCount(&pb), static_cast<uint32_t>(kThreads * kEach));
}

}  // namespace
}  // namespace vv::engine::testing
