// Durability against kill -9: a child process runs committed transactions
// and non-transactional inserts (durability_child.h) and is killed at random
// moments; after each kill the file must hold every acknowledged change and
// the state of one whole commit, never part of one. Also: a second process
// cannot open a file that one process holds.
//
// VV_DURABILITY_CYCLES sets the number of kills (200 by default).
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <set>
#include <sstream>

#include "engine/durability_child.h"
#include "engine/test_util.h"
#include "platform/platform.h"

namespace vv::engine::testing {
namespace {

std::string ChildProgram() {
  const std::string dir = platform::ModuleDirectory(reinterpret_cast<const void*>(&ChildProgram));
  return dir + "engine_durability_child";
}

struct Acks {
  int32_t last_commit = 0;
  std::vector<int32_t> loose;
  std::size_t bytes = 0;
};

// Reads the complete lines of the acknowledgement file.
Acks ReadAcks(const std::string& path) {
  Acks acks;
  const std::string text = platform::ReadFileToString(path).value_or("");
  std::size_t start = 0;
  for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1) {
    std::istringstream line(text.substr(start, nl - start));
    char kind = 0;
    long value = 0;
    line >> kind >> value;
    if (kind == 'T') acks.last_commit = static_cast<int32_t>(value);
    if (kind == 'N') acks.loose.push_back(static_cast<int32_t>(value));
  }
  acks.bytes = start;
  return acks;
}

int32_t Counter(const std::string& record) {
  uint32_t v = 0;
  for (int i = 17; i >= 14; --i) v = (v << 8) | static_cast<uint8_t>(record[i]);
  return static_cast<int32_t>(v);
}

// Checks the file against the acknowledgements; returns the commit it holds.
int32_t CheckFile(const std::string& path, const Acks& acks) {
  Engine engine(DefaultOptions());
  TestClient c(&engine, "checker");
  Block pb{};
  EXPECT_EQ(c.Open(&pb, path), 0);
  std::string record;
  EXPECT_EQ(c.GetById(&pb, 0, &record), 0);
  const int32_t k = Counter(record);
  // The last acknowledged commit, or the one after it whose
  // acknowledgement the kill cut off.
  EXPECT_TRUE(k == acks.last_commit || k == acks.last_commit + 1)
      << "commit " << k << " after acknowledged " << acks.last_commit;

  // The records of exactly commit k, by key 0, in order.
  std::set<int32_t> loose;
  std::vector<int32_t> txn_ids;
  int16_t s = c.Get(BTR_GET_FIRST, &pb, 0, "", &record);
  for (; s == 0; s = c.Get(BTR_GET_NEXT, &pb, 0, "", &record)) {
    const int32_t id = RecordId(record);
    if (id >= kNonTxnBase) {
      loose.insert(id);
    } else if (id > 0) {
      txn_ids.push_back(id);
      const std::string name = record.substr(4, 3);
      EXPECT_EQ(name, id == k ? "txn" : "upd") << "record " << id << " at commit " << k;
    }
  }
  EXPECT_EQ(s, BTR_STATUS_END_OF_FILE);
  std::vector<int32_t> want;
  for (int32_t id = std::max(1, k - kKeepRecords + 1); id <= k; ++id) want.push_back(id);
  EXPECT_EQ(txn_ids, want) << "at commit " << k;
  for (const int32_t id : acks.loose) EXPECT_TRUE(loose.count(id)) << "lost insert " << id;
  if (!loose.empty()) {
    EXPECT_LE(*loose.rbegin(), kNonTxnBase + k + 1);
  }

  // Key 1 and the physical order hold the same records.
  std::size_t by_name = 0;
  for (s = c.Get(BTR_GET_FIRST, &pb, 1, "", &record); s == 0;
       s = c.Get(BTR_GET_NEXT, &pb, 1, "", &record)) {
    ++by_name;
  }
  std::size_t physical = 0;
  for (s = c.Step(BTR_STEP_FIRST, &pb, &record); s == 0; s = c.Step(BTR_STEP_NEXT, &pb, &record)) {
    ++physical;
  }
  const std::size_t total = 1 + txn_ids.size() + loose.size();
  EXPECT_EQ(by_name, total);
  EXPECT_EQ(physical, total);
  EXPECT_EQ(c.RecordCount(&pb), total);
  EXPECT_EQ(c.Close(&pb), 0);
  return k;
}

// Waits until the acknowledgement file grew past size; false on timeout.
bool WaitForProgress(const std::string& path, std::size_t size) {
  for (int i = 0; i < 20000; ++i) {
    if (platform::FileSize(path).value_or(0) > size) return true;
    platform::SleepMs(1);
  }
  return false;
}

int Cycles() {
  const auto text = platform::GetEnv("VV_DURABILITY_CYCLES");
  const int n = text ? std::atoi(text->c_str()) : 0;
  return n > 0 ? n : 200;
}

TEST(DurabilityTest, KilledWriterNeverLosesAcknowledgedChanges) {
  TempDir dir;
  const std::string data = dir.File("durable.btr");
  const std::string ack_path = dir.File("acks.txt");
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> delay(0, 12);
  int32_t previous = 0;
  const int cycles = Cycles();
  for (int cycle = 0; cycle < cycles; ++cycle) {
    const std::size_t before = platform::FileSize(ack_path).value_or(0);
    auto child = platform::SpawnProcess(ChildProgram(), {data, ack_path});
    ASSERT_NE(child, nullptr) << ChildProgram();
    ASSERT_TRUE(WaitForProgress(ack_path, before)) << "child made no progress in cycle " << cycle;
    platform::SleepMs(static_cast<uint32_t>(delay(random)));
    ASSERT_TRUE(child->Kill());
    EXPECT_EQ(child->Wait(), -1) << "the child ended on its own";
    const Acks acks = ReadAcks(ack_path);
    const int32_t k = CheckFile(data, acks);
    ASSERT_GE(k, previous);
    previous = k;
    if (::testing::Test::HasFailure()) break;
  }
  EXPECT_GT(previous, cycles);
}

TEST(DurabilityTest, SecondProcessGetsFileLocked) {
  TempDir dir;
  const std::string data = dir.File("held.btr");
  const std::string ack_path = dir.File("acks.txt");
  auto child = platform::SpawnProcess(ChildProgram(), {data, ack_path});
  ASSERT_NE(child, nullptr);
  ASSERT_TRUE(WaitForProgress(ack_path, 0));
  {
    Engine engine(DefaultOptions());
    TestClient c(&engine, "other");
    Block pb{};
    EXPECT_EQ(c.Open(&pb, data), BTR_STATUS_FILE_LOCKED);
    EXPECT_EQ(c.Create(data, TestTableBuffer(), BTR_CREATE_REPLACE), BTR_STATUS_FILE_LOCKED);
  }
  child->Kill();
  child->Wait();
  Engine engine(DefaultOptions());
  TestClient c(&engine, "other");
  Block pb{};
  EXPECT_EQ(c.Open(&pb, data), 0);
}

}  // namespace
}  // namespace vv::engine::testing
