// btrRecordSave on engine files: when it updates, inserts or sends nothing,
// the rule for updates outside a transaction, duplicate keys, how many bytes
// it sends, and the DATE check of true-null tables.
#include <gtest/gtest.h>

#include <string>

#include "driver/records/record_save.h"
#include "driver/tables/file_record.h"
#include "support/engine_table.h"

namespace vv::testing {
namespace {

using driver::kHostAscii;
using driver::kHostBcd;
using driver::kHostDate;

class RecordSaveTest : public EngineFixture {
 protected:
  EngineTable& Table() {
    return Engine({{kHostBcd, BTR_TYPE_INTEGER, 4, 10, 0, false, "ID"},
                   {kHostAscii, BTR_TYPE_STRING, 8, 8, 0, false, "NAME"}},
                  {{{1}}});
  }
  int16_t Insert(EngineTable& t, int id, const std::string& name) {
    driver::mvbtrFileClear(t.file());
    Put(t, 1, std::to_string(id));
    PutText(t, 2, name);
    return btrRecordSave(t.handle());
  }
  // The name of the record with this id, or "-" when there is none.
  std::string NameOf(EngineTable& t, int id) {
    driver::mvbtrFileClear(t.file());
    Put(t, 1, std::to_string(id));
    if (btrRecordFind(t.handle(), 1, VV_FIND_EQ) != 0) {
      TakeError();
      return "-";
    }
    return GetText(t, 2);
  }
};

TEST_F(RecordSaveTest, UpdatesOnlyInsideATransactionOrWhenAllowed) {
  EngineTable& t = Table();
  globals()->bAllowUnlockedUpdates = 1;
  ASSERT_EQ(Insert(t, 1, "ONE"), 0);
  struct Case {
    uint8_t allow;
    int32_t depth;
    uint32_t fileMode;
    std::string name;
    int16_t error;
    bool sent;
    std::string stored;
  };
  for (const Case& c : {Case{0, 0, 0, "A", 4155, false, "ONE"}, Case{1, 0, 0, "B", 0, true, "B"},
                        Case{0, 1, 0, "C", 0, true, "C"},
                        Case{1, 0, driver::kFileModeNoUpdate, "D", 0, false, "C"}}) {
    ASSERT_NE(NameOf(t, 1), "-");
    globals()->bAllowUnlockedUpdates = c.allow;
    globals()->nTransDepth = c.depth;
    t.file()->nFileMode = c.fileMode;
    PutText(t, 2, c.name);
    EngineTrace trace;
    EXPECT_EQ(btrRecordSave(t.handle()), c.error) << c.name;
    if (c.error != 0) {
      EXPECT_EQ(TakeErrorText(), "TABLE");
      EXPECT_EQ(t.file()->bActive + t.file()->bChanged, 2) << "a failed save changes nothing";
    } else {
      EXPECT_EQ(t.file()->bActive + t.file()->bFound, 2);
      EXPECT_EQ(t.file()->bChanged, 0);
    }
    const auto calls = trace.TakeCalls();
    ASSERT_EQ(calls.size(), c.sent ? 1u : 0u) << c.name;
    if (c.sent) {
      EXPECT_EQ(calls[0].op, BTR_UPDATE);
      EXPECT_EQ(calls[0].dataLen, static_cast<uint32_t>(t.file()->nRecLen));
      EXPECT_EQ(calls[0].keyNum, 0) << "the first index";
    }
    EXPECT_EQ(t.file()->nCurIndex, -1);
    globals()->nTransDepth = 0;
    t.file()->nFileMode = 0;
    EXPECT_EQ(NameOf(t, 1), c.stored);
  }
}

TEST_F(RecordSaveTest, InsertsNewRecordsAndRefusesDuplicates) {
  EngineTable& t = Table();
  EngineTrace trace;
  EXPECT_EQ(btrRecordSave(t.handle()), 0) << "nothing changed";
  EXPECT_EQ(trace.Take(), "");
  ASSERT_EQ(Insert(t, 1, "ONE"), 0);
  EXPECT_EQ(trace.Take(), "2 22") << "the first save settles the record-number method";
  EXPECT_EQ(t.file()->bActive, 1);
  EXPECT_EQ(Insert(t, 1, "AGAIN"), 28);
  EXPECT_EQ(TakeErrorText(), "TABLE");
  EXPECT_EQ(trace.Take(), "2");
  EXPECT_EQ(t.file()->bActive, 0);
  EXPECT_EQ(t.file()->bChanged, 1);
  t.file()->nFileMode = driver::kFileModeNoInsert;
  EXPECT_EQ(Insert(t, 2, "TWO"), 0);
  EXPECT_EQ(trace.Take(), "");
  t.file()->nFileMode = 0;
  EXPECT_EQ(NameOf(t, 1), "ONE");
  EXPECT_EQ(NameOf(t, 2), "-") << "inserts switched off send nothing";
}

TEST_F(RecordSaveTest, VariableRecordsSendTheUsedPartOfATrailingNote) {
  EngineTable& t = Engine({{kHostBcd, BTR_TYPE_INTEGER, 4, 10, 0, false, "ID"},
                           {kHostAscii, BTR_TYPE_NOTE, 10, 10, 0, false, "MEMO"}},
                          {{{1}}}, EngineTableOptions{.variable = true});
  EngineTrace trace;
  ASSERT_EQ(Insert(t, 1, "abc"), 0);
  EXPECT_EQ(trace.TakeCalls().front().dataLen, 4u + 4u);
  EXPECT_EQ(NameOf(t, 1), "abc");
  PutText(t, 2, "abcdefghij");  // no room for the 0 byte: the whole field
  EXPECT_EQ(driver::mvbtrRecordDatalenForSave(t.file()), 14);
  t.file()->nHostRecLen = 10;
  EXPECT_EQ(btrRecordSave(t.handle()), 20571);
  EXPECT_EQ(TakeErrorText(), "TABLE:DatalenForSave");
  EXPECT_EQ(trace.Take(), "5") << "only the find: nothing sent beyond the buffer";
}

TEST_F(RecordSaveTest, TrueNullTablesNeedTheirDates) {
  EngineTable& t = Engine({{kHostBcd, BTR_TYPE_INTEGER, 4, 10, 0, false, "ID"},
                           {kHostDate, BTR_TYPE_DATE, 4, 4, 0, false, "DUE"},
                           {kHostDate, BTR_TYPE_DATE, 4, 4, 0, true, "PAID"}},
                          {{{1}}}, EngineTableOptions{.trueNull = true});
  EngineTrace trace;
  driver::mvbtrFileClear(t.file());
  Put(t, 1, "1");
  EXPECT_EQ(btrRecordSave(t.handle()), 16);
  EXPECT_EQ(TakeErrorText(), "TABLE.DUE") << "PAID is null, so only DUE is empty";
  Put(t, 2, "730500");
  Put(t, 3, "730501");
  Put(t, 3, "0");  // null again
  EXPECT_EQ(btrRecordSave(t.handle()), 0);
  EXPECT_EQ(trace.Take(), "2 22");
  t.field(3).bIsNull = 0;  // not null, but empty
  t.file()->bChanged = 1;
  EXPECT_EQ(btrRecordSave(t.handle()), 16);
  EXPECT_EQ(TakeErrorText(), "TABLE.PAID");
  EXPECT_EQ(trace.Take(), "");
}

}  // namespace
}  // namespace vv::testing
