// Opening damaged files: cut or flipped bytes of a cleanly closed file answer
// 2 or 30 (or leave the contents as they were); every flipped byte of the
// log of a file whose writer died keeps every commit or answers 2 without
// touching the files; a torn last write is dropped while everything before
// stays; a power loss keeps every synced commit.
#include <gtest/gtest.h>

#include "engine/fault_file_system.h"
#include "engine/pager.h"
#include "engine/test_util.h"
#include "engine/wal_format.h"
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

std::string Read(const std::string& path) {
  return platform::ReadFileToString(path).value_or("");
}

class LogReplayTest : public ::testing::Test {
 protected:
  // A file with loose changes and transactions; its writer still has it
  // open (left_open_), or closed it cleanly.
  void Build(bool close) {
    path_ = dir_.File("t.btr");
    engine_ = std::make_unique<Engine>(DefaultOptions());
    TestClient c(engine_.get(), "writer");
    ASSERT_EQ(c.Create(path_, TestTableBuffer()), 0);
    ASSERT_EQ(c.Open(&pb_, path_), 0);
    for (int i = 1; i <= 6; ++i)
      ASSERT_EQ(c.Insert(&pb_, TestRecord(i, "n" + std::to_string(i))), 0);
    for (int i = 10; i < 16; ++i) {
      ASSERT_EQ(c.Simple(BTR_BEGIN_TRANSACTION), 0);
      ASSERT_EQ(c.Insert(&pb_, TestRecord(i, "t" + std::to_string(i))), 0);
      std::string r;
      ASSERT_EQ(c.GetById(&pb_, i - 9, &r), 0);
      ASSERT_EQ(c.Update(&pb_, TestRecord(i - 9, "u" + std::to_string(i))), 0);
      ASSERT_EQ(c.Simple(BTR_END_TRANSACTION), 0);
    }
    if (close) {
      ASSERT_EQ(c.Close(&pb_), 0);
      EXPECT_FALSE(platform::FileExists(LogPath(path_)));
    }
    main_ = Read(path_);
    log_ = Read(LogPath(path_));
    ASSERT_EQ(close, log_.empty());
    engine_.reset();  // as if the process died: the log is not copied in
    ASSERT_TRUE(platform::WriteStringToFile(path_, main_));
    if (!close) {
      ASSERT_TRUE(platform::WriteStringToFile(LogPath(path_), log_));
    }
    ASSERT_EQ(Contents(Copy(main_, log_), &contents_), 0);
    ASSERT_NE(contents_.find("t15"), std::string::npos);
  }

  // Writes a copy of the files; returns its path.
  std::string Copy(const std::string& main, const std::string& log) {
    const std::string bad = dir_.File("bad.btr");
    platform::DeleteFile(LogPath(bad));
    EXPECT_TRUE(platform::WriteStringToFile(bad, main));
    if (!log.empty()) {
      EXPECT_TRUE(platform::WriteStringToFile(LogPath(bad), log));
    }
    return bad;
  }

  // Opens a damaged copy: every commit, or 2 (30 for a file that is not
  // ours) with both files left as they were.
  void ExpectAllOrRefused(const std::string& main, const std::string& log,
                          const std::string& what) {
    const std::string bad = Copy(main, log);
    std::string got;
    const int16_t s = Contents(bad, &got);
    if (s == 0) {
      EXPECT_EQ(got, contents_) << what << " changed the contents";
      return;
    }
    EXPECT_TRUE(s == BTR_STATUS_IO_ERROR || s == BTR_STATUS_NOT_A_BTRIEVE_FILE)
        << what << ": status " << s;
    EXPECT_EQ(Read(bad), main) << what << " changed the file";
    EXPECT_EQ(Read(LogPath(bad)), log) << what << " changed the log";
  }

  TempDir dir_;
  std::string path_;
  std::unique_ptr<Engine> engine_;
  Block pb_{};
  std::string main_;
  std::string log_;
  std::string contents_;
};

TEST_F(LogReplayTest, CutOrFlippedFileIsRefusedOrHarmless) {
  Build(true);
  for (std::size_t n = 0; n < main_.size(); n += 509) {
    ExpectAllOrRefused(main_.substr(0, n), "", "cut at " + std::to_string(n));
  }
  for (std::size_t at = 0; at < main_.size(); at += 97) {
    std::string damaged = main_;
    damaged[at] = static_cast<char>(damaged[at] ^ (1 << (at % 8)));
    ExpectAllOrRefused(damaged, "", "flip at " + std::to_string(at));
    if (HasFailure()) break;
  }
  std::string other = main_;
  other[1] = 'X';
  EXPECT_EQ(Contents(Copy(other, ""), &contents_), BTR_STATUS_NOT_A_BTRIEVE_FILE);
}

TEST_F(LogReplayTest, EveryFlipInTheLogOfADeadWriterKeepsAllCommitsOrIsRefused) {
  Build(false);
  // The log's header, and the head and some page bytes of every frame.
  std::vector<std::size_t> spots;
  for (std::size_t at = 0; at < kLogHeaderSize; ++at) spots.push_back(at);
  for (std::size_t f = kLogHeaderSize; f < log_.size(); f += kLogFrameSize) {
    for (const std::size_t at : {0, 3, 4, 8, 15, 16, 20, 24, 100, 4000, 4116})
      spots.push_back(f + at);
  }
  for (const std::size_t at : spots) {
    if (at >= log_.size()) continue;
    std::string damaged = log_;
    damaged[at] = static_cast<char>(damaged[at] ^ (1 << (at % 8)));
    ExpectAllOrRefused(main_, damaged, "log flip at " + std::to_string(at));
    if (HasFailure()) break;
  }
  // A commit frame that is not the last frame marked as an ordinary one:
  // what it committed is not lost quietly.
  std::string damaged = log_;
  damaged[kLogHeaderSize + 4] = 1;
  ExpectAllOrRefused(main_, damaged, "commit mark");
}

TEST_F(LogReplayTest, TornLastWriteIsDroppedAndEverythingBeforeStays) {
  Build(false);
  // A commit whose frames did not all reach the disk: cut anywhere in the
  // last commit, the file holds the one before.
  Engine engine(DefaultOptions());
  TestClient c(&engine, "writer");
  Block pb{};
  const std::string bad = Copy(main_, log_);
  ASSERT_EQ(c.Open(&pb, bad), 0);
  const std::size_t before = Read(LogPath(bad)).size();
  ASSERT_EQ(c.Insert(&pb, TestRecord(40, "torn")), 0);
  const std::string main = Read(bad);
  const std::string log = Read(LogPath(bad));
  ASSERT_GT(log.size(), before);
  for (std::size_t keep = before + 1; keep < log.size(); keep += 1031) {
    std::string got;
    ASSERT_EQ(Contents(Copy(main, log.substr(0, keep)), &got), 0) << "torn at " << keep;
    EXPECT_EQ(got, contents_);
  }
  std::string got;
  ASSERT_EQ(Contents(Copy(main, log), &got), 0);
  EXPECT_NE(got.find("torn"), std::string::npos);
}

TEST_F(LogReplayTest, PowerLossKeepsCommitsAndLosesOnlyUnsyncedWrites) {
  Build(true);
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
  EXPECT_NE(got.find("u15"), std::string::npos);
}

}  // namespace
}  // namespace vv::engine::testing
