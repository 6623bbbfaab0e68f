// Power loss at a random moment: a client commits transactions of random
// inserts, updates and deletes through a file layer that stops the machine
// in the middle of a random write, then keeps a random part of what each
// file had written since its last sync (the pager's spills, commits and
// checkpoints included: the page cache is tiny). After each loss the file
// must hold the last acknowledged commit, or the commit in flight whole,
// never a part of one, with both keys and Stat agreeing.
//
// VV_POWER_LOSS_CYCLES sets the number of losses (150 by default, so that
// the suite stays quick; a release is checked with 1000 or more).
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>

#include "engine/fault_file_system.h"
#include "engine/test_util.h"
#include "platform/platform.h"

namespace vv::engine::testing {
namespace {

using State = std::map<int32_t, std::string>;  // id -> name

int Cycles() {
  const auto text = platform::GetEnv("VV_POWER_LOSS_CYCLES");
  const int n = text ? std::atoi(text->c_str()) : 0;
  return n > 0 ? n : 150;
}

std::string Name(const std::string& record) {
  std::string name = record.substr(4, 10);
  return name.substr(0, name.find_last_not_of(' ') + 1);
}

// The file as a fresh engine reads it; the walks and Stat must agree.
State Read(const std::string& path) {
  Engine engine(DefaultOptions());
  TestClient c(&engine, "reader");
  Block pb{};
  State state;
  EXPECT_EQ(c.Open(&pb, path), 0);
  std::string r;
  for (int16_t s = c.Get(BTR_GET_FIRST, &pb, 0, "", &r); s == 0;
       s = c.Get(BTR_GET_NEXT, &pb, 0, "", &r)) {
    state[RecordId(r)] = Name(r);
  }
  std::size_t by_name = 0;
  for (int16_t s = c.Get(BTR_GET_FIRST, &pb, 1, "", &r); s == 0;
       s = c.Get(BTR_GET_NEXT, &pb, 1, "", &r)) {
    ++by_name;
    EXPECT_EQ(state[RecordId(r)], Name(r));
  }
  EXPECT_EQ(by_name, state.size());
  EXPECT_EQ(c.RecordCount(&pb), state.size());
  return state;
}

TEST(PowerLossTest, NoAcknowledgedCommitLostAndNoPartialOneSeen) {
  TempDir dir;
  const std::string path = dir.File("p.btr");
  {
    Engine engine(DefaultOptions());
    TestClient c(&engine, "creator");
    ASSERT_EQ(c.Create(path, TestTableBuffer()), 0);
  }
  Options options = DefaultOptions();
  options.cache_bytes = 0;
  std::mt19937 random(2024);
  State acked;
  int interrupted = 0;  // losses in the middle of a commit
  const int cycles = Cycles();
  for (int cycle = 0; cycle < cycles; ++cycle) {
    FaultFileSystem fs;
    fs.SimulateSyncs(true);
    fs.CrashAtWrite(1 + static_cast<int>(random() % 120), &random);
    State in_flight;
    bool flying = false;
    {
      Engine engine(options, &fs);
      TestClient c(&engine, "writer");
      Block pb{};
      ASSERT_EQ(c.Open(&pb, path), 0) << "cycle " << cycle;
      for (int t = 0; t < 20 && !fs.stopped(); ++t) {
        if (c.Simple(BTR_BEGIN_TRANSACTION) != 0) break;
        State next = acked;
        const int changes = 1 + static_cast<int>(random() % 40);
        bool ok = true;
        for (int i = 0; i < changes && ok; ++i) {
          const int32_t id = 1 + static_cast<int32_t>(random() % 300);
          const std::string name = "n" + std::to_string(random() % 50);
          std::string r;
          const bool exists = next.count(id) > 0;
          if (!exists) {
            ok = c.Insert(&pb, TestRecord(id, name, static_cast<uint8_t>(cycle))) == 0;
            if (ok) next[id] = name;
          } else if (c.GetById(&pb, id, &r) != 0) {
            ok = false;
          } else if (random() % 3 == 0) {
            ok = c.Delete(&pb) == 0;
            if (ok) next.erase(id);
          } else {
            ok = c.Update(&pb, TestRecord(id, name)) == 0;
            if (ok) next[id] = name;
          }
        }
        if (!ok) break;
        in_flight = next;
        flying = true;
        if (c.Simple(BTR_END_TRANSACTION) != 0) break;
        acked = next;
        flying = false;
      }
      fs.Crash(&random);
    }
    const State got = Read(path);
    if (flying) ++interrupted;
    if (flying && got == in_flight) acked = got;  // the commit in flight reached the disk whole
    ASSERT_EQ(got, acked) << "cycle " << cycle;
  }
  // Most losses hit a commit on its way.
  EXPECT_GT(interrupted, cycles / 2);
}

}  // namespace
}  // namespace vv::engine::testing
