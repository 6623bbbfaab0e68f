// I/O failures while writing the log: the operation answers 2 (18 when the
// disk is full) and changes nothing, in memory or on disk; a log that cannot even be cut back is
// poisoned until the file is closed.
#include <gtest/gtest.h>

#include <functional>

#include "engine/fault_file_system.h"
#include "engine/test_util.h"

namespace vv::engine::testing {
namespace {

class FileLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.File("t.btr");
    ASSERT_EQ(c_.Create(path_, TestTableBuffer()), 0);
    ASSERT_EQ(c_.Open(&pb_, path_), 0);
    for (int i = 1; i <= 3; ++i) ASSERT_EQ(c_.Insert(&pb_, TestRecord(i, "r")), 0);
  }

  // Ids by key 0 as a fresh engine reads the file.
  std::vector<int32_t> OnDisk() {
    Engine engine(DefaultOptions());
    TestClient c(&engine, "reader");
    Block pb{};
    std::vector<int32_t> ids;
    if (c.Open(&pb, path_) != 0) return {-1};
    std::string r;
    for (int16_t s = c.Get(BTR_GET_FIRST, &pb, 0, "", &r); s == 0;
         s = c.Get(BTR_GET_NEXT, &pb, 0, "", &r)) {
      ids.push_back(RecordId(r));
    }
    return ids;
  }

  TempDir dir_;
  std::string path_;
  FaultFileSystem fs_;
  Engine engine_{DefaultOptions(), &fs_};
  TestClient c_{&engine_, "writer"};
  Block pb_{};
};

TEST_F(FileLogTest, FailedWriteOfALooseChangeChangesNothing) {
  fs_.FailWrite(1);
  EXPECT_EQ(c_.Insert(&pb_, TestRecord(4, "r")), BTR_STATUS_IO_ERROR);
  std::string r;
  EXPECT_EQ(c_.GetById(&pb_, 4, &r), BTR_STATUS_KEY_NOT_FOUND);
  EXPECT_EQ(c_.RecordCount(&pb_), 3u);
  ASSERT_EQ(c_.GetById(&pb_, 2, &r), 0);
  fs_.FailWrite(1);
  EXPECT_EQ(c_.Delete(&pb_), BTR_STATUS_IO_ERROR);
  EXPECT_EQ(c_.GetById(&pb_, 2, &r), 0);
  // The next write works and lands after the last good record.
  EXPECT_EQ(c_.Insert(&pb_, TestRecord(5, "r")), 0);
  EXPECT_EQ(c_.Close(&pb_), 0);
  EXPECT_EQ(OnDisk(), (std::vector<int32_t>{1, 2, 3, 5}));
}

TEST_F(FileLogTest, FailedCommitRollsTheTransactionBack) {
  for (const bool fail_sync : {false, true}) {
    ASSERT_EQ(c_.Simple(BTR_BEGIN_TRANSACTION), 0);
    ASSERT_EQ(c_.Insert(&pb_, TestRecord(10, "txn")), 0);
    std::string r;
    ASSERT_EQ(c_.GetById(&pb_, 1, &r), 0);
    ASSERT_EQ(c_.Delete(&pb_), 0);
    if (fail_sync) {
      fs_.FailSync(1);
    } else {
      fs_.FailWrite(1);
    }
    EXPECT_EQ(c_.Simple(BTR_END_TRANSACTION), BTR_STATUS_IO_ERROR);
    EXPECT_EQ(c_.Simple(BTR_ABORT_TRANSACTION), BTR_STATUS_NO_TRANSACTION);
    EXPECT_EQ(c_.GetById(&pb_, 10, &r), BTR_STATUS_KEY_NOT_FOUND);
    EXPECT_EQ(c_.GetById(&pb_, 1, &r), 0);
  }
  EXPECT_EQ(c_.Close(&pb_), 0);
  EXPECT_EQ(OnDisk(), (std::vector<int32_t>{1, 2, 3}));
}

TEST_F(FileLogTest, FailedWriteInsideALargeBatchTakesTheWholeBatchBack) {
  // A batch this large reaches the file in several writes; the third fails.
  ASSERT_EQ(c_.Simple(BTR_BEGIN_TRANSACTION), 0);
  for (int i = 10; i < 400; ++i) ASSERT_EQ(c_.Insert(&pb_, TestRecord(i, "txn")), 0);
  fs_.FailWrite(3);
  EXPECT_EQ(c_.Simple(BTR_END_TRANSACTION), BTR_STATUS_IO_ERROR);
  std::string r;
  EXPECT_EQ(c_.GetById(&pb_, 10, &r), BTR_STATUS_KEY_NOT_FOUND);
  EXPECT_EQ(c_.Insert(&pb_, TestRecord(4, "r")), 0);
  EXPECT_EQ(c_.Close(&pb_), 0);
  EXPECT_EQ(OnDisk(), (std::vector<int32_t>{1, 2, 3, 4}));
}

TEST_F(FileLogTest, LogThatCannotBeCutBackIsPoisonedUntilClosed) {
  fs_.FailWrite(1, true);  // the append fails, and so does cutting the log back
  EXPECT_EQ(c_.Insert(&pb_, TestRecord(4, "r")), BTR_STATUS_IO_ERROR);
  fs_.FailWrite(0);
  std::string r;
  EXPECT_EQ(c_.Insert(&pb_, TestRecord(6, "r")), BTR_STATUS_IO_ERROR);
  EXPECT_EQ(c_.GetById(&pb_, 1, &r), BTR_STATUS_IO_ERROR);
  EXPECT_EQ(c_.Close(&pb_), 0);
  fs_.FailWrite(0);
  EXPECT_EQ(c_.Open(&pb_, path_), 0);
  EXPECT_EQ(c_.GetById(&pb_, 1, &r), 0);
  EXPECT_EQ(c_.Insert(&pb_, TestRecord(7, "r")), 0);
}

TEST_F(FileLogTest, FullDiskAnswers18AndChangesNothing) {
  fs_.SetDiskFull(true);
  std::string r;
  const struct {
    const char* what;
    std::function<int16_t()> run;
  } cases[] = {
      {"insert", [&] { return c_.Insert(&pb_, TestRecord(4, "r")); }},
      {"update",
       [&] {
         EXPECT_EQ(c_.GetById(&pb_, 2, &r), 0);
         return c_.Update(&pb_, TestRecord(2, "u"));
       }},
      {"delete",
       [&] {
         EXPECT_EQ(c_.GetById(&pb_, 3, &r), 0);
         return c_.Delete(&pb_);
       }},
      {"end",
       [&] {
         EXPECT_EQ(c_.Simple(BTR_BEGIN_TRANSACTION), 0);
         EXPECT_EQ(c_.Insert(&pb_, TestRecord(5, "t")), 0);
         return c_.Simple(BTR_END_TRANSACTION);
       }},
      {"create", [&] { return c_.Create(dir_.File("new.btr"), TestTableBuffer()); }},
  };
  for (const auto& c : cases) {
    fs_.FailWrite(1);
    EXPECT_EQ(c.run(), BTR_STATUS_DISK_FULL) << c.what;
  }
  fs_.FailWrite(0);
  ASSERT_EQ(c_.Simple(BTR_BEGIN_TRANSACTION), 0);
  ASSERT_EQ(c_.Insert(&pb_, TestRecord(6, "t")), 0);
  fs_.FailSync(1);
  EXPECT_EQ(c_.Simple(BTR_END_TRANSACTION), BTR_STATUS_DISK_FULL) << "sync";
  EXPECT_EQ(c_.Close(&pb_), 0);
  EXPECT_EQ(OnDisk(), (std::vector<int32_t>{1, 2, 3}));
}

TEST_F(FileLogTest, FailedDefinitionChangeKeepsTheOldDefinition) {
  std::string spec = CreateBuffer(20, 1024, 0, {{{15, 2, BTR_KEY_DUPLICATES, BTR_TYPE_INTEGER}}})
                         .substr(BTR_FILEDEF_SIZE);
  uint32_t len = static_cast<uint32_t>(spec.size());
  char key[256] = {};
  fs_.FailWrite(1);
  EXPECT_EQ(c_.Call(BTR_CREATE_INDEX, &pb_, spec.data(), &len, key, 0), BTR_STATUS_IO_ERROR);
  std::string r;
  EXPECT_EQ(c_.Get(BTR_GET_FIRST, &pb_, 2, "", &r), BTR_STATUS_INVALID_KEY_NUMBER);
  len = static_cast<uint32_t>(spec.size());
  EXPECT_EQ(c_.Call(BTR_CREATE_INDEX, &pb_, spec.data(), &len, key, 0), 0);
  EXPECT_EQ(c_.Get(BTR_GET_FIRST, &pb_, 2, "", &r), 0);
}

}  // namespace
}  // namespace vv::engine::testing
