// Opening damaged files: every truncation and every flipped byte of a
// cleanly closed file answers 2 or 30 (a flip in bytes the format does not
// use may leave the file readable, but never with other contents), every
// flipped bit of a file whose writer died keeps every commit or answers 2
// without touching the file, and a torn last record after a crash is dropped
// while everything before stays.
#include <gtest/gtest.h>

#include "engine/fault_file_system.h"
#include "engine/log_format.h"
#include "engine/test_util.h"
#include "platform/platform.h"

namespace vv::engine::testing {
namespace {

// Every record of the file through key 1, as one string; or the status.
int16_t Contents(const std::string& path, std::string* out) {
  Engine engine(DefaultOptions());
  TestClient c(&engine, "reader");
  Block pb{};
  out->clear();
  if (const int16_t s = c.Open(&pb, path); s != 0) return s;
  std::string record;
  int16_t s = c.Get(BTR_GET_FIRST, &pb, 1, "", &record);
  for (; s == 0; s = c.Get(BTR_GET_NEXT, &pb, 1, "", &record)) *out += record;
  c.Close(&pb);
  return s == BTR_STATUS_END_OF_FILE ? 0 : s;
}

class LogReplayTest : public ::testing::Test {
 protected:
  // A file with a few transactions and loose changes, closed cleanly.
  void SetUp() override {
    path_ = dir_.File("t.btr");
    Engine engine(DefaultOptions());
    TestClient c(&engine, "writer");
    ASSERT_EQ(c.Create(path_, TestTableBuffer()), 0);
    Block pb{};
    ASSERT_EQ(c.Open(&pb, path_), 0);
    for (int i = 1; i <= 6; ++i)
      ASSERT_EQ(c.Insert(&pb, TestRecord(i, "n" + std::to_string(i))), 0);
    ASSERT_EQ(c.Simple(BTR_BEGIN_TRANSACTION), 0);
    std::string r;
    ASSERT_EQ(c.GetById(&pb, 2, &r), 0);
    ASSERT_EQ(c.Update(&pb, TestRecord(2, "two")), 0);
    ASSERT_EQ(c.GetById(&pb, 3, &r), 0);
    ASSERT_EQ(c.Delete(&pb), 0);
    ASSERT_EQ(c.Simple(BTR_END_TRANSACTION), 0);
    ASSERT_EQ(c.Close(&pb), 0);
    image_ = platform::ReadFileToString(path_).value();
    ASSERT_EQ(Contents(path_, &contents_), 0);
  }

  TempDir dir_;
  std::string path_;
  std::string image_;
  std::string contents_;
};

TEST_F(LogReplayTest, EveryTruncationIsRefused) {
  const std::string cut = dir_.File("cut.btr");
  for (std::size_t n = 0; n < image_.size(); ++n) {
    ASSERT_TRUE(platform::WriteStringToFile(cut, image_.substr(0, n)));
    std::string got;
    const int16_t s = Contents(cut, &got);
    EXPECT_TRUE(s == BTR_STATUS_IO_ERROR || s == BTR_STATUS_NOT_A_BTRIEVE_FILE)
        << "cut at " << n << " of " << image_.size() << ": status " << s;
  }
}

TEST_F(LogReplayTest, EveryFlippedByteIsRefusedOrHarmless) {
  const std::string bad = dir_.File("bad.btr");
  for (std::size_t at = 0; at < image_.size(); ++at) {
    std::string damaged = image_;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x10);
    ASSERT_TRUE(platform::WriteStringToFile(bad, damaged));
    std::string got;
    const int16_t s = Contents(bad, &got);
    if (at >= kHeaderSize) {
      EXPECT_EQ(s, BTR_STATUS_IO_ERROR) << "flip at " << at;
    } else if (s == 0) {
      EXPECT_EQ(got, contents_) << "flip at " << at << " changed the contents";
    } else {
      EXPECT_TRUE(s == BTR_STATUS_IO_ERROR || s == BTR_STATUS_NOT_A_BTRIEVE_FILE)
          << "flip at " << at << ": status " << s;
    }
  }
}

TEST_F(LogReplayTest, ForeignSignatureIsNotOurs) {
  std::string other = image_;
  other[1] = 'X';
  ASSERT_TRUE(platform::WriteStringToFile(path_, other));
  std::string got;
  EXPECT_EQ(Contents(path_, &got), BTR_STATUS_NOT_A_BTRIEVE_FILE);
}

TEST_F(LogReplayTest, TornTailAfterCrashIsDropped) {
  // Changes appended after the clean close, then a crash in the middle of
  // writing one more record.
  Engine engine(DefaultOptions());
  TestClient c(&engine, "writer");
  Block pb{};
  ASSERT_EQ(c.Open(&pb, path_), 0);
  ASSERT_EQ(c.Insert(&pb, TestRecord(7, "seven")), 0);
  const std::string before_torn = platform::ReadFileToString(path_).value();
  ASSERT_EQ(c.Insert(&pb, TestRecord(8, "eight")), 0);
  const std::string after = platform::ReadFileToString(path_).value();
  ASSERT_EQ(c.Close(&pb), 0);
  for (std::size_t keep = before_torn.size() + 1; keep < after.size(); ++keep) {
    ASSERT_TRUE(platform::WriteStringToFile(path_, after.substr(0, keep)));
    std::string got;
    ASSERT_EQ(Contents(path_, &got), 0) << "torn at " << keep;
    EXPECT_NE(got.find("seven"), std::string::npos);
    EXPECT_EQ(got.find("eight"), std::string::npos);
    // The torn bytes were cut off at the open, so the file takes new records.
    Engine e2(DefaultOptions());
    TestClient c2(&e2, "again");
    Block p2{};
    ASSERT_EQ(c2.Open(&p2, path_), 0);
    ASSERT_EQ(c2.Insert(&p2, TestRecord(9, "nine")), 0);
    ASSERT_EQ(c2.Close(&p2), 0);
    ASSERT_EQ(Contents(path_, &got), 0);
    EXPECT_NE(got.find("nine"), std::string::npos);
  }
}

TEST_F(LogReplayTest, DamageBeforeTheTailIsNotMistakenForATornWrite) {
  // A record in the middle of the appended part with a bad checksum, and
  // intact records after it: damage, not a torn write.
  Engine engine(DefaultOptions());
  TestClient c(&engine, "writer");
  Block pb{};
  ASSERT_EQ(c.Open(&pb, path_), 0);
  const std::size_t start = platform::FileSize(path_).value();
  ASSERT_EQ(c.Insert(&pb, TestRecord(7, "seven")), 0);
  ASSERT_EQ(c.Insert(&pb, TestRecord(8, "eight")), 0);
  std::string bytes = platform::ReadFileToString(path_).value();
  ASSERT_EQ(c.Close(&pb), 0);
  bytes[start + kFrameHeaderSize + 3] ^= 0x01;
  ASSERT_TRUE(platform::WriteStringToFile(path_, bytes));
  std::string got;
  EXPECT_EQ(Contents(path_, &got), BTR_STATUS_IO_ERROR);
}

// A log left by a process that died after its last commit (no clean close):
// every commit was synced, so no damage to it may be taken for a torn write.
class UncleanLogTest : public LogReplayTest {
 protected:
  void SetUp() override {
    LogReplayTest::SetUp();
    clean_size_ = image_.size();
    Engine engine(DefaultOptions());
    TestClient c(&engine, "writer");
    Block pb{};
    ASSERT_EQ(c.Open(&pb, path_), 0);
    for (int i = 10; i < 40; ++i) {
      ASSERT_EQ(c.Simple(BTR_BEGIN_TRANSACTION), 0);
      ASSERT_EQ(c.Insert(&pb, TestRecord(i, "t" + std::to_string(i))), 0);
      ASSERT_EQ(c.Simple(BTR_END_TRANSACTION), 0);
    }
    // The bytes as the dead process left them.
    image_ = platform::ReadFileToString(path_).value();
    ASSERT_TRUE(platform::WriteStringToFile(path_, image_));
    ASSERT_EQ(Contents(path_, &contents_), 0);
    ASSERT_NE(contents_.find("t39"), std::string::npos);
  }

  std::size_t clean_size_ = 0;

  // Opens a damaged copy: all commits, or 2 (30 for the signature) with
  // the bytes left as they were.
  void ExpectAllOrRefused(const std::string& damaged, const std::string& what) {
    const std::string bad = dir_.File("bad.btr");
    ASSERT_TRUE(platform::WriteStringToFile(bad, damaged));
    std::string got;
    const int16_t s = Contents(bad, &got);
    if (s == 0) {
      EXPECT_EQ(got, contents_) << what << " lost committed records";
    } else {
      EXPECT_TRUE(s == BTR_STATUS_IO_ERROR || s == BTR_STATUS_NOT_A_BTRIEVE_FILE)
          << what << ": status " << s;
      EXPECT_EQ(platform::ReadFileToString(bad).value(), damaged) << what << " changed the file";
    }
  }
};

TEST_F(UncleanLogTest, FlippedLengthOfACommittedRecordIsDamage) {
  // The first commit after the clean close: its length now runs past the end.
  std::string damaged = image_;
  damaged[clean_size_ + 2] = static_cast<char>(damaged[clean_size_ + 2] ^ 0x01);
  ExpectAllOrRefused(damaged, "length flip");
  std::string got;
  EXPECT_EQ(Contents(dir_.File("bad.btr"), &got), BTR_STATUS_IO_ERROR);
}

TEST_F(UncleanLogTest, EverySingleBitFlipKeepsAllCommitsOrIsRefused) {
  for (std::size_t at = 0; at < image_.size(); ++at) {
    std::string damaged = image_;
    damaged[at] = static_cast<char>(damaged[at] ^ (1 << (at % 8)));
    ExpectAllOrRefused(damaged, "flip at " + std::to_string(at));
    if (HasFailure()) break;
  }
}

TEST_F(LogReplayTest, PowerLossKeepsCommitsAndLosesOnlyUnsyncedWrites) {
  FaultFileSystem fs;
  {
    Engine engine(DefaultOptions(), &fs);
    TestClient c(&engine, "writer");
    Block pb{};
    ASSERT_EQ(c.Open(&pb, path_), 0);
    ASSERT_EQ(c.Simple(BTR_BEGIN_TRANSACTION), 0);
    ASSERT_EQ(c.Insert(&pb, TestRecord(20, "committed")), 0);
    ASSERT_EQ(c.Simple(BTR_END_TRANSACTION), 0);
    ASSERT_EQ(c.Insert(&pb, TestRecord(21, "unsynced")), 0);
    ASSERT_EQ(c.Simple(BTR_BEGIN_TRANSACTION), 0);
    ASSERT_EQ(c.Insert(&pb, TestRecord(22, "pending")), 0);
    fs.Crash();
  }
  std::string got;
  ASSERT_EQ(Contents(path_, &got), 0);
  EXPECT_NE(got.find("committed"), std::string::npos);
  EXPECT_EQ(got.find("unsynced"), std::string::npos);
  EXPECT_EQ(got.find("pending"), std::string::npos);
  EXPECT_NE(got.find("n6"), std::string::npos);
}

}  // namespace
}  // namespace vv::engine::testing
