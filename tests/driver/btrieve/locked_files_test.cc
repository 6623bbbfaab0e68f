// The locked-file list: one entry per handle in the order added, growth by
// 100 entries, removal that closes the gap, and handles without a table.
#include "driver/btrieve/locked_files.h"

#include <gtest/gtest.h>

#include <vector>

#include "driver/frame/errors.h"
#include "driver/frame/util/memory.h"
#include "support/field_table.h"

namespace vv::testing {
namespace {

class LockedFilesTest : public FieldFixture {
 protected:
  std::vector<int32_t> Listed() const {
    return std::vector<int32_t>(globals()->lpLockedFiles,
                                globals()->lpLockedFiles + globals()->nLockedFiles);
  }
  // mvbtrLockFileAdd for handle h (the list keeps handles, not records).
  int16_t Add(int32_t h) {
    file_.hFile = h;
    return driver::mvbtrLockFileAdd(&file_);
  }
  void Remove(int32_t h) {
    file_.hFile = h;
    driver::mvbtrLockFileRemove(&file_);
  }
  driver::OpenFile file_{};
};

TEST_F(LockedFilesTest, EntryPointsKeepEachOpenTableOnce) {
  FieldTable& a = Table({{VV_HOST_TYPE_ASCII, BTR_TYPE_STRING, 4, 4}});
  FieldTable& b = Table({{VV_HOST_TYPE_ASCII, BTR_TYPE_STRING, 4, 4}});
  EXPECT_EQ(btrFileLock(b.handle()), 0);
  EXPECT_EQ(btrFileLock(a.handle()), 0);
  EXPECT_EQ(btrFileLock(b.handle()), 0);
  EXPECT_EQ(btrFileLock(999), 0) << "a handle without a table is not listed";
  EXPECT_EQ(Listed(), (std::vector<int32_t>{b.handle(), a.handle()}));
  EXPECT_EQ(globals()->nLockedFilesMax, driver::kLockedFilesGrowth);
  EXPECT_EQ(btrFileUnlock(999), 0);
  EXPECT_EQ(btrFileUnlock(b.handle()), 0);
  EXPECT_EQ(btrFileUnlock(b.handle()), 0) << "no longer listed: nothing to do";
  EXPECT_EQ(Listed(), (std::vector<int32_t>{a.handle()}));
  EXPECT_EQ(host_.error(), 0);
}

TEST_F(LockedFilesTest, GrowsByAHundredAndRemovesInPlace) {
  for (int32_t h = 1; h <= 100; ++h) ASSERT_EQ(Add(h), 0);
  EXPECT_EQ(globals()->nLockedFilesMax, 100);
  driver::AllocFailureSet(1);
  EXPECT_EQ(Add(101), driver::kErrOutOfMemory);
  EXPECT_EQ(TakeErrorText(), "(mvbtrLockFileAdd)");
  EXPECT_EQ(globals()->nLockedFiles + globals()->nLockedFilesMax, 200) << "unchanged";
  ASSERT_EQ(Add(101), 0);
  EXPECT_EQ(globals()->nLockedFilesMax, 200);
  EXPECT_EQ(globals()->lpLockedFiles[101], 0) << "the new room is zero-filled";
  Remove(50);
  Remove(101);
  Remove(1);
  std::vector<int32_t> expected;
  for (int32_t h = 2; h <= 100; ++h) {
    if (h != 50) expected.push_back(h);
  }
  EXPECT_EQ(Listed(), expected);
}

}  // namespace
}  // namespace vv::testing
