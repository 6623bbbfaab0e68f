// Open files: modes, positioned I/O, and byte-range locks between processes.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/platform.h"
#include "tests/platform/test_util.h"

namespace vv::platform {
namespace {

using testing::ChildProgram;
using testing::MakeFile;
using testing::TempDir;

std::string ReadAll(File& file) {
  std::string data(static_cast<std::size_t>(file.Size().value_or(0)), '\0');
  EXPECT_EQ(file.ReadAt(0, data.data(), data.size()), static_cast<int64_t>(data.size()));
  return data;
}

// Waits up to 10 s for a file to appear.
bool WaitForFile(const std::string& path) {
  for (int i = 0; i < 1000 && !FileExists(path); ++i) SleepMs(10);
  return FileExists(path);
}

TEST(FileTest, OpenModesCreateTruncateOrRequireTheFile) {
  TempDir tmp;
  const std::string path = tmp / "F.DAT";
  FsResult error = FsResult::kOk;
  EXPECT_EQ(OpenFile(path, OpenMode::kRead, &error), nullptr);
  EXPECT_EQ(error, FsResult::kNotFound);
  EXPECT_EQ(OpenFile(path, OpenMode::kReadWrite, &error), nullptr);
  EXPECT_EQ(error, FsResult::kNotFound);
  EXPECT_EQ(OpenFile(tmp.path(), OpenMode::kRead, &error), nullptr);  // a directory
  EXPECT_NE(error, FsResult::kOk);

  auto created = OpenFile(path, OpenMode::kReadWriteCreate, &error);
  ASSERT_TRUE(created);
  EXPECT_EQ(error, FsResult::kOk);
  ASSERT_TRUE(created->WriteAt(0, "hello", 5));
  created.reset();

  auto again = OpenFile(path, OpenMode::kReadWriteCreate);  // never truncates
  ASSERT_TRUE(again);
  EXPECT_EQ(ReadAll(*again), "hello");
  auto reader = OpenFile(path, OpenMode::kRead);  // shared with the writer
  ASSERT_TRUE(reader);
  EXPECT_FALSE(reader->WriteAt(0, "x", 1));
  auto emptied = OpenFile(path, OpenMode::kCreateTruncate);
  ASSERT_TRUE(emptied);
  EXPECT_EQ(emptied->Size(), 0u);
  EXPECT_EQ(reader->Size(), 0u);
}

TEST(FileTest, ReadsAndWritesAtAbsoluteOffsets) {
  TempDir tmp;
  auto file = OpenFile(tmp / "F.DAT", OpenMode::kCreateTruncate);
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->WriteAt(0, "abcdef", 6));
  ASSERT_TRUE(file->WriteAt(2, "XY", 2));
  ASSERT_TRUE(file->Append("gh", 2));
  ASSERT_TRUE(file->WriteAt(10, "!", 1));  // past the end: a zero-filled gap
  EXPECT_EQ(ReadAll(*file), std::string("abXYefgh\0\0!", 11));

  char buf[8] = {};
  EXPECT_EQ(file->ReadAt(9, buf, sizeof buf), 2);  // short at the end
  EXPECT_EQ(std::memcmp(buf, "\0!", 2), 0);
  EXPECT_EQ(file->ReadAt(100, buf, sizeof buf), 0);

  ASSERT_TRUE(file->Truncate(4));
  EXPECT_EQ(file->Size(), 4u);
  ASSERT_TRUE(file->Append("+", 1));
  EXPECT_EQ(ReadAll(*file), "abXY+");
  EXPECT_TRUE(file->Sync());
}

class FileLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeFile(path_, std::string(200, '.'));
    file_ = OpenFile(path_, OpenMode::kReadWrite);
    ASSERT_TRUE(file_);
    ASSERT_TRUE(FileExists(ChildProgram())) << ChildProgram();
  }

  // Exit code of the helper run with args.
  int RunChild(const std::vector<std::string>& args) {
    auto child = SpawnProcess(ChildProgram(), args);
    return child ? child->Wait() : -100;
  }

  TempDir tmp_;
  std::string path_ = tmp_ / "LOCKS.DAT";
  std::string marker_ = tmp_ / "MARKER";
  std::unique_ptr<File> file_;
};

TEST_F(FileLockTest, ALockedRangeIsRefusedToAnotherProcessUntilUnlocked) {
  ASSERT_TRUE(file_->LockRange(100, 1, false));
  EXPECT_EQ(RunChild({"try", path_, "100", "1"}), 1);
  EXPECT_EQ(RunChild({"try", path_, "90", "20"}), 1);  // overlapping
  EXPECT_EQ(RunChild({"try", path_, "101", "5"}), 0);  // beside it
  ASSERT_TRUE(file_->UnlockRange(100, 1));
  EXPECT_EQ(RunChild({"try", path_, "100", "1"}), 0);
}

TEST_F(FileLockTest, AWaitingLockIsGrantedWhenTheHolderUnlocks) {
  ASSERT_TRUE(file_->LockRange(100, 1, false));
  auto child = SpawnProcess(ChildProgram(), {"wait", path_, "100", "1", marker_});
  ASSERT_TRUE(child);
  SleepMs(300);
  EXPECT_FALSE(FileExists(marker_));  // still waiting
  ASSERT_TRUE(file_->UnlockRange(100, 1));
  EXPECT_EQ(child->Wait(), 0);
  EXPECT_TRUE(FileExists(marker_));
}

TEST_F(FileLockTest, AKilledHolderReleasesItsLock) {
  auto child = SpawnProcess(ChildProgram(), {"hold", path_, "100", "1", marker_});
  ASSERT_TRUE(child);
  ASSERT_TRUE(WaitForFile(marker_));
  EXPECT_FALSE(file_->LockRange(100, 1, false));
  EXPECT_TRUE(child->Kill());
  EXPECT_EQ(child->Wait(), -1);
  EXPECT_TRUE(file_->LockRange(100, 1, true));
}

TEST_F(FileLockTest, RejectsEmptyAndOverflowingRanges) {
  EXPECT_FALSE(file_->LockRange(0, 0, false));
  EXPECT_FALSE(file_->LockRange(UINT64_MAX - 1, 10, false));
}

}  // namespace
}  // namespace vv::platform
