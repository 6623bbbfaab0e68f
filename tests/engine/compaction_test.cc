// Compaction: a log that grew well beyond its live contents is rewritten;
// contents, addresses and the order of duplicates survive it; a compaction
// that cannot finish leaves the file as it was.
#include <gtest/gtest.h>

#include "engine/compaction.h"
#include "engine/fault_file_system.h"
#include "engine/test_util.h"
#include "platform/platform.h"

namespace vv::engine::testing {
namespace {

// Names by key 1 (duplicates in their order) with the addresses.
std::string ByName(TestClient& c, Block* pb) {
  std::string out;
  std::string r;
  for (int16_t s = c.Get(BTR_GET_FIRST, pb, 1, "", &r); s == 0;
       s = c.Get(BTR_GET_NEXT, pb, 1, "", &r)) {
    uint32_t address = 0;
    c.GetPosition(pb, &address);
    out += std::to_string(RecordId(r)) + "@" + std::to_string(address) + " ";
  }
  return out;
}

class CompactionTest : public ::testing::Test {
 protected:
  void SetUp() override { path_ = dir_.File("t.btr"); }

  // Records whose duplicate order on key 1 differs from address order, then
  // enough churn in one transaction to make the log outgrow them.
  void Build(TestClient& c, Block* pb) {
    ASSERT_EQ(c.Create(path_, TestTableBuffer()), 0);
    ASSERT_EQ(c.Open(pb, path_), 0);
    ASSERT_EQ(c.Insert(pb, TestRecord(1, "x")), 0);
    ASSERT_EQ(c.Insert(pb, TestRecord(2, "y")), 0);
    ASSERT_EQ(c.Insert(pb, TestRecord(3, "x")), 0);
    ASSERT_EQ(c.Insert(pb, TestRecord(4, "churn")), 0);
    std::string r;
    ASSERT_EQ(c.GetById(pb, 1, &r), 0);
    ASSERT_EQ(c.Update(pb, TestRecord(1, "y")), 0);  // joins the end of "y"
    ASSERT_EQ(c.Simple(BTR_BEGIN_TRANSACTION), 0);
    ASSERT_EQ(c.GetById(pb, 4, &r), 0);
    const uint64_t updates = kCompactMinBytes / 32;
    for (uint64_t i = 0; i < updates; ++i) {
      ASSERT_EQ(c.Update(pb, TestRecord(4, "churn", static_cast<uint8_t>(i))), 0);
    }
  }

  TempDir dir_;
  std::string path_;
};

TEST_F(CompactionTest, GrownLogIsRewrittenWithEverythingKept) {
  std::string before;
  {
    Engine engine(DefaultOptions());
    TestClient c(&engine, "c");
    Block pb{};
    Build(c, &pb);
    before = ByName(c, &pb);
    const uint64_t grown = platform::FileSize(path_).value();
    ASSERT_EQ(c.Simple(BTR_END_TRANSACTION), 0);
    const uint64_t compacted = platform::FileSize(path_).value();
    EXPECT_LT(compacted, 4096u) << "grew to " << grown;
    EXPECT_EQ(ByName(c, &pb), before);
    // Still appending to the right file.
    ASSERT_EQ(c.Insert(&pb, TestRecord(5, "x")), 0);
    before = ByName(c, &pb);
  }
  Engine engine(DefaultOptions());
  TestClient c(&engine, "c");
  Block pb{};
  ASSERT_EQ(c.Open(&pb, path_), 0);
  EXPECT_EQ(ByName(c, &pb), before);
  // Duplicates keep their order, not the order of their addresses.
  EXPECT_EQ(before, "4@4 3@3 5@5 2@2 1@1 ");
  // Addresses are not given out again after a compaction.
  ASSERT_EQ(c.Insert(&pb, TestRecord(6, "z")), 0);
  uint32_t address = 0;
  ASSERT_EQ(c.GetPosition(&pb, &address), 0);
  EXPECT_EQ(address, 6u);
}

TEST_F(CompactionTest, RefusedRenameLeavesTheLogAndIsNotRetriedAtOnce) {
  FaultFileSystem fs;
  std::string before;
  {
    Engine engine(DefaultOptions(), &fs);
    TestClient c(&engine, "c");
    Block pb{};
    Build(c, &pb);
    before = ByName(c, &pb);
    fs.FailRenames(true);
    ASSERT_EQ(c.Simple(BTR_END_TRANSACTION), 0);
    EXPECT_GT(platform::FileSize(path_).value(), kCompactMinBytes);
    EXPECT_FALSE(platform::FileExists(path_ + ".vvcompact"));
    const int writes = fs.writes();
    ASSERT_EQ(c.Insert(&pb, TestRecord(5, "x")), 0);
    EXPECT_EQ(fs.writes(), writes + 1) << "a second copy was tried at once";
    before = ByName(c, &pb);
  }
  Engine engine(DefaultOptions());
  TestClient c(&engine, "c");
  Block pb{};
  ASSERT_EQ(c.Open(&pb, path_), 0);
  EXPECT_EQ(ByName(c, &pb), before);
}

TEST_F(CompactionTest, LeftoverCopyOfADeadCompactionIsRemoved) {
  {
    Engine engine(DefaultOptions());
    TestClient c(&engine, "c");
    Block pb{};
    ASSERT_EQ(c.Create(path_, TestTableBuffer()), 0);
    ASSERT_EQ(c.Open(&pb, path_), 0);
    ASSERT_EQ(c.Insert(&pb, TestRecord(1, "x")), 0);
  }
  ASSERT_TRUE(platform::WriteStringToFile(path_ + ".vvcompact", "half a copy"));
  Engine engine(DefaultOptions());
  TestClient c(&engine, "c");
  Block pb{};
  ASSERT_EQ(c.Open(&pb, path_), 0);
  std::string r;
  EXPECT_EQ(c.GetById(&pb, 1, &r), 0);
  EXPECT_FALSE(platform::FileExists(path_ + ".vvcompact"));
}

}  // namespace
}  // namespace vv::engine::testing
