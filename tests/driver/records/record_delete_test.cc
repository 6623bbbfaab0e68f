// btrRecordDelete on engine files: the record last found goes, the buffer
// can be saved again as a new record, and locks, switched-off deletes and
// failures leave the record in place.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/tables/file_record.h"
#include "support/engine_table.h"

namespace vv::testing {
namespace {

class RecordDeleteTest : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    t_ = &Engine({{VV_HOST_TYPE_BCD, BTR_TYPE_INTEGER, 4, 10, 0, false, "ID"}}, {{{1}}});
    globals()->bAllowUnlockedUpdates = 1;
    for (int id : {1, 2, 3}) {
      driver::mvbtrFileClear(t_->file());
      Put(*t_, 1, std::to_string(id));
      ASSERT_EQ(btrRecordSave(t_->handle()), 0);
    }
  }
  int16_t FindId(int id) {
    driver::mvbtrFileClear(t_->file());
    Put(*t_, 1, std::to_string(id));
    return btrRecordFind(t_->handle(), 1, VV_FIND_EQ);
  }
  EngineTable* t_ = nullptr;
};

TEST_F(RecordDeleteTest, DeletesTheFoundRecordAndKeepsTheBufferForAnInsert) {
  ASSERT_EQ(FindId(2), 0);
  host_.tables().SetRecordState(t_->handle(), VV_RECORD_FOUND);
  EngineTrace trace;
  EXPECT_EQ(btrRecordDelete(t_->handle()), 0);
  EXPECT_EQ(trace.Take(), "4");
  EXPECT_EQ(host_.tables().RecordState(t_->handle()), VV_RECORD_NONE);
  const driver::OpenFile* f = t_->file();
  EXPECT_EQ(f->bActive, 0);
  EXPECT_EQ(f->bChanged, 1);
  EXPECT_EQ(f->nCurIndex, -1);
  EXPECT_EQ(Get(*t_, 0), "0");
  EXPECT_EQ(FindId(2), 25);
  TakeError();
  // The buffer of the deleted record saved again: a new record.
  ASSERT_EQ(FindId(1), 0);
  const std::string number = Get(*t_, 0);
  ASSERT_EQ(btrRecordDelete(t_->handle()), 0);
  EXPECT_EQ(btrRecordSave(t_->handle()), 0);
  EXPECT_EQ(trace.Take(), "5 5 4 2");
  EXPECT_EQ(FindId(1), 0);
  EXPECT_NE(Get(*t_, 0), number);
}

TEST_F(RecordDeleteTest, NothingGoesWithoutAFoundRecordOrWhileSwitchedOffOrLocked) {
  EngineTrace trace;
  driver::mvbtrFileClear(t_->file());
  EXPECT_EQ(btrRecordDelete(t_->handle()), 71);
  EXPECT_EQ(TakeErrorText(), "TABLE");
  ASSERT_EQ(FindId(3), 0);
  t_->file()->nFileMode = driver::kFileModeNoDelete;
  EXPECT_EQ(btrRecordDelete(t_->handle()), 0);
  t_->file()->nFileMode = 0;
  EXPECT_EQ(trace.Take(), "5");

  trace.Inject(BTR_DELETE, {BTR_STATUS_IO_ERROR});
  EXPECT_EQ(btrRecordDelete(t_->handle()), 21002);
  EXPECT_EQ(TakeErrorText(), "RecordDelete (TABLE)");

  EngineClient other;
  ASSERT_EQ(other.Open(t_->path()), 0);
  std::vector<uint8_t> record(t_->file()->nRecLen);
  uint8_t key[BTR_MAX_KEY_SIZE];
  ASSERT_EQ(other.Call(BTR_GET_LAST + BTR_BIAS_SINGLE_NOWAIT, &record, key, 0), 0);
  globals()->nLockTimeout = 1;
  globals()->nLockDelay = 0;
  EXPECT_EQ(btrRecordDelete(t_->handle()), 4106);
  EXPECT_EQ(TakeErrorText(), "Btrieve");
  // The update of a locked record waits in the same way.
  Put(*t_, 1, "33");
  EXPECT_EQ(btrRecordSave(t_->handle()), 4106);
  TakeError();
  EXPECT_EQ(trace.Take(), "4 4 3");
  EXPECT_EQ(FindId(3), 0) << "still there";
}

}  // namespace
}  // namespace vv::testing
