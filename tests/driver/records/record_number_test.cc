// Record numbers: how each RECNUM_METHOD reads the number of a record made
// active, field 0 read and written under each of the three schemes (physical
// address, RECNUM_SUPPORT, record-number fields), the half-word exchange of
// files below version 7.0, and finds that use the number.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/fields/le_bytes.h"
#include "driver/records/record_number.h"
#include "driver/tables/file_record.h"
#include "support/engine_table.h"

namespace vv::testing {
namespace {

using driver::kHostAscii;
using driver::kHostBcd;

class RecordNumberTest : public EngineFixture {
 protected:
  EngineTable& Table(const EngineTableOptions& options = {}) {
    EngineTable& t =
        Engine({{kHostBcd, BTR_TYPE_INTEGER, 4, 10, 0, false, "ID"}}, {{{1}}}, options);
    globals()->bAllowUnlockedUpdates = 1;
    for (int id : {1, 2, 3}) {
      driver::mvbtrFileClear(t.file());
      Put(t, 1, std::to_string(id));
      EXPECT_EQ(btrRecordSave(t.handle()), 0);
    }
    return t;
  }
  // Walks index 1 from its start; the operations of each find.
  std::string Walk(EngineTable& t, EngineTrace& trace) {
    std::string ops;
    driver::mvbtrFileClear(t.file());
    for (int32_t mode : {VV_FIND_GE, VV_FIND_GT}) {
      btrRecordFind(t.handle(), 1, mode);
      ops += (ops.empty() ? "" : " | ") + trace.Take();
    }
    return ops;
  }
};

TEST_F(RecordNumberTest, EachMethodReadsTheNumberItsWay) {
  EngineTable& t = Table();
  EngineTrace trace;
  struct Case {
    uint8_t method;
    std::string ops;
    uint8_t settled;
  };
  for (const Case& c : {Case{driver::kRecnumGetPosition, "12 22 | 6 22", 0},
                        Case{driver::kRecnumPositionBlock, "12 | 6", 1},
                        Case{driver::kRecnumDoubleCheck, "12 22 | 6 22", 2},
                        Case{driver::kRecnumAutoConfig, "12 22 | 6", 1}}) {
    t.file()->nRecnumMethod = c.method;
    EXPECT_EQ(Walk(t, trace), c.ops);
    EXPECT_EQ(t.file()->nRecnumMethod, c.settled);
    EXPECT_EQ(driver::LoadLe32(t.file()->nRecnum),
              driver::LoadLe32(t.file()->PosBlock + BTR_POS_BLOCK_ADDRESS_OFFSET));
    EXPECT_EQ(host_.error(), 0);
  }
  // Get Position and the position block disagree.
  trace.After(BTR_GET_POSITION, [](uint8_t* data) { data[0] ^= 0x55; });
  t.file()->nRecnumMethod = driver::kRecnumDoubleCheck;
  driver::mvbtrFileClear(t.file());
  EXPECT_EQ(btrRecordFind(t.handle(), 1, VV_FIND_GE), 20549);
  EXPECT_EQ(TakeErrorText(), "TABLE");
  EXPECT_EQ(driver::LoadLe32(t.file()->nRecnum),
            driver::LoadLe32(t.file()->PosBlock + BTR_POS_BLOCK_ADDRESS_OFFSET));
  t.file()->nRecnumMethod = driver::kRecnumAutoConfig;
  EXPECT_EQ(btrRecordFind(t.handle(), 1, VV_FIND_GT), 0);
  EXPECT_EQ(t.file()->nRecnumMethod, driver::kRecnumGetPosition);
}

TEST_F(RecordNumberTest, OldFilesShowTheAddressWithItsHalvesExchanged) {
  EngineTable& t = Table(EngineTableOptions{.fileVersion = 0x60});
  ASSERT_EQ(t.file()->bOldVersion, 1);
  const uint32_t address = driver::LoadLe32(t.file()->nRecnum);
  const uint32_t shown = (address << 16) | (address >> 16);
  EXPECT_EQ(Get(t, 0), std::to_string(static_cast<int32_t>(shown)));
  driver::mvbtrFileClear(t.file());
  ASSERT_EQ(Put(t, 0, std::to_string(static_cast<int32_t>(shown))), 0);
  EXPECT_EQ(driver::LoadLe32(t.file()->nRecnum), address);
  EXPECT_EQ(btrRecordFind(t.handle(), 0, VV_FIND_EQ), 0);
  EXPECT_EQ(Get(t, 1), "3");
}

TEST_F(RecordNumberTest, FieldZeroOfAPhysicalTable) {
  FieldTable& t = FieldFixture::Table({{kHostBcd, BTR_TYPE_INTEGER, 4, 10}});
  t.file()->bOldVersion = 1;
  driver::StoreLe32(t.file()->nRecnum, 65538);  // high half 1, low half 2
  EXPECT_EQ(GetNumber(t, 0), "131073");
  EXPECT_EQ(PutNumber(t, 0, "131073"), 0);
  EXPECT_EQ(t.Marks(), "00:00 ") << "the same number changes nothing";
  EXPECT_EQ(PutNumber(t, 0, "65538"), 0);
  EXPECT_EQ(driver::LoadLe32(t.file()->nRecnum), 131073u);
  EXPECT_EQ(t.field(0).bFieldChanged + t.file()->bChanged, 2);
  t.file()->bActive = 1;
  EXPECT_EQ(PutNumber(t, 0, "0"), 0);
  EXPECT_EQ(t.file()->bActive, 0) << "record number 0 drops the found record";
  EXPECT_EQ(host_.error(), 0);
}

TEST_F(RecordNumberTest, RecordNumberFieldsAreFoundByName) {
  struct Case {
    std::vector<std::string> names;
    int32_t one, two, carrier;
  };
  for (const Case& c :
       {Case{{"MORVANTA_RECNUM_TWO_B", "X", "MORVANTA_RECNUM_ONE", "MORVANTA_RECNUM_TWO"}, 3, 1, 1},
        Case{{"X", "MORVANTA_RECNUM_ONE", "MORVANTA_RECNUM_ONE"}, 2, 0, 2},
        Case{{"X", "morvanta_recnum_one"}, 0, 0, 0}}) {
    std::vector<FieldDef> fields;
    for (const std::string& name : c.names) {
      fields.push_back({kHostBcd, BTR_TYPE_INTEGER, 4, 10, 0, false, name});
    }
    FieldTable& t = FieldFixture::Table(fields);
    EXPECT_EQ(driver::mvbtrRecordNumberFieldFind(t.file()), c.carrier == 0 ? 20537 : 0);
    EXPECT_EQ(t.file()->nRecnumOneField, c.one);
    EXPECT_EQ(t.file()->nRecnumTwoField, c.two);
    EXPECT_EQ(t.file()->nRecnumField, c.carrier);
    EXPECT_EQ(TakeErrorText(), c.carrier == 0 ? "TABLE" : "");
  }
}

TEST_F(RecordNumberTest, InsertCopiesTheAssignedNumberIntoTheOneField) {
  std::vector<FieldDef> fields(7, {kHostBcd, BTR_TYPE_INTEGER, 2, 5});
  fields[2] = {kHostBcd, BTR_TYPE_INTEGER, 4, 10, 0, false, "MORVANTA_RECNUM_ONE"};
  fields[6] = {kHostBcd, BTR_TYPE_AUTOINCREMENT, 4, 10, 0, false, "MORVANTA_RECNUM_TWO"};
  EngineTable& t =
      Engine(fields, {{{7}}, {{1, 0}, false, true}}, EngineTableOptions{.mvForBtrieve = true});
  globals()->bAllowUnlockedUpdates = 1;
  EngineTrace trace;
  for (int group : {1, 1, 2, 2, 2}) {
    driver::mvbtrFileClear(t.file());
    Put(t, 1, std::to_string(group));
    ASSERT_EQ(btrRecordSave(t.handle()), 0) << host_.error_text();
  }
  EXPECT_EQ(trace.Take(), "2 3 22 2 3 2 3 2 3 2 3");
  EXPECT_EQ(Get(t, 0), "5");
  EXPECT_EQ(Get(t, 3), "5");
  EXPECT_EQ(Get(t, 7), "5");

  // Index 2 is (field 1, record number). Less with a record number set
  // searches less or equal; greater searches greater or equal.
  driver::mvbtrFileClear(t.file());
  Put(t, 1, "2");
  Put(t, 0, "4");
  EXPECT_EQ(btrRecordFind(t.handle(), 2, VV_FIND_LT), 0);
  EXPECT_EQ(Get(t, 0), "4");
  driver::mvbtrFileClear(t.file());
  Put(t, 1, "1");
  EXPECT_EQ(btrRecordFind(t.handle(), 2, VV_FIND_GT), 0);
  EXPECT_EQ(Get(t, 0), "1");
  EXPECT_EQ(trace.Take(), "23 11 9") << "no record at number 0 to compare keys with";
  // Greater past the last key: searched as greater or equal, but still the end.
  driver::mvbtrFileClear(t.file());
  Put(t, 1, "3");
  EXPECT_EQ(btrRecordFind(t.handle(), 2, VV_FIND_GT), 42);
  EXPECT_EQ(trace.Take(), "9");
  TakeError();
  // The host names the current record again: the find moves on from it.
  driver::mvbtrFileClear(t.file());
  Put(t, 1, "1");
  ASSERT_EQ(btrRecordFind(t.handle(), 2, VV_FIND_GE), 0);
  trace.Take();
  Put(t, 0, "3");
  Put(t, 0, "1");
  EXPECT_EQ(btrRecordFind(t.handle(), 2, VV_FIND_GT), 0);
  EXPECT_EQ(Get(t, 0), "2");
  EXPECT_EQ(trace.Take(), "23 6");
}

TEST_F(RecordNumberTest, UnderRecnumSupportFieldZeroIsAKeyField) {
  EngineTable& t = Engine({{kHostAscii, BTR_TYPE_STRING, 6, 6, 0, false, "NAME"}}, {{{0}}},
                          EngineTableOptions{.recnumSupport = true});
  globals()->bAllowUnlockedUpdates = 1;
  for (const char* number : {"30", "10", "20"}) {
    driver::mvbtrFileClear(t.file());
    Put(t, 0, number);
    PutText(t, 1, std::string("N") + number);
    ASSERT_EQ(btrRecordSave(t.handle()), 0);
  }
  EngineTrace trace;
  driver::mvbtrFileClear(t.file());
  Put(t, 0, "20");
  EXPECT_EQ(btrRecordFind(t.handle(), 0, VV_FIND_EQ), 0);
  EXPECT_EQ(GetText(t, 1), "N20");
  EXPECT_EQ(btrRecordFind(t.handle(), 0, VV_FIND_GT), 0);
  EXPECT_EQ(Get(t, 0), "30");
  EXPECT_EQ(trace.Take(), "5 6");
  EXPECT_EQ(t.file()->nCurIndex, 0);
}

}  // namespace
}  // namespace vv::testing
