// Field editing on a restructure: inserting and appending with renumbering
// and unique names, the record-number field, deleting with key segments and
// overlaps, the size rules of lengths and types, and allocation failures.
#include <gtest/gtest.h>

#include <string>

#include "driver/frame/errors.h"
#include "driver/frame/util/memory.h"
#include "driver/restructure/field_edit.h"
#include "restructure/restructure_fixture.h"

namespace vv::testing {
namespace {

using driver::OpenFile;

class FieldEditTest : public RestructureFixture {
 protected:
  static void Define(driver::FieldDesc* f, int32_t hostType, int32_t btrType, int32_t offset,
                     int32_t size) {
    f->nHostType = hostType;
    f->nBtrType = btrType;
    f->nOffset = offset;
    f->nSize = size;
    f->nHostLength = size;
  }
  // A new table whose field 1 is of the type and size given, with a 5-byte
  // field behind it.
  OpenFile* TwoFields(int32_t hostType, int32_t btrType, int32_t size) {
    int32_t h = kNew;
    if (File(kNew) == nullptr) btrStructureStart(&h, 0);
    while (File(kNew)->nFields < 2) btrFieldCreate(kNew, 0);
    OpenFile* r = File(kNew);
    Define(&r->lpFields[1], hostType, btrType, 0, size);
    Define(&r->lpFields[2], driver::kHostAscii, BTR_TYPE_STRING, size, 5);
    return r;
  }
  void TearDown() override {
    btrStructureAbort(kNew);
    RestructureFixture::TearDown();
  }
  static constexpr int32_t kNew = -3;
};

TEST_F(FieldEditTest, InsertRenumbersMovesAndKeepsTheKeys) {
  int32_t h = 0;
  OpenFile* r = OpenCust(&h);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(btrFieldCreate(h, 0), 4);
  // Names compare without case and trailing blanks.
  driver::mvbtrStrNewCpy(&r->lpFields[4].lpszName, "newfield  ");
  EXPECT_EQ(btrFieldCreate(h, 0), 5);
  EXPECT_EQ(btrFieldCreate(h, 2), 2);
  EXPECT_EQ(Layout(r), "ID@0+4 NewField2@4+0 NAME@4+20 CITY@24+10 newfield  @34+0 NewField1@34+0");
  // The new field's length moves the fields behind it; an empty field in
  // front of it at the same offset stays.
  r->lpFields[2].nHostLength = 6;
  ASSERT_EQ(driver::mvbtrFieldSetLength(r, 2), 0);
  r->lpFields[6].nHostLength = 3;
  ASSERT_EQ(driver::mvbtrFieldSetLength(r, 6), 0);
  EXPECT_EQ(Layout(r), "ID@0+4 NewField2@4+6 NAME@10+20 CITY@30+10 newfield  @40+0 NewField1@40+3");
  for (int32_t i = 0; i <= r->nFields; ++i) EXPECT_EQ(r->lpFields[i].nNumber, i);
  EXPECT_EQ(r->lpIndexes[1].lpSegments[1].lpField, &r->lpFields[1]);
  EXPECT_EQ(r->lpIndexes[2].lpSegments[1].lpField, &r->lpFields[4]);
  EXPECT_EQ(r->lpIndexes[2].lpSegments[2].lpField, &r->lpFields[0]);
  EXPECT_EQ(r->nRecLen, 43);

  for (int32_t position : {-2, 8}) {
    EXPECT_EQ(btrFieldCreate(h, position), 0);
    EXPECT_EQ(TakeError(), "77 btrFieldCreate");
  }
  EXPECT_EQ(r->nFields, 6);
}

TEST_F(FieldEditTest, RecordNumberFieldGoesInFrontOfTheFields) {
  int32_t h = -2;
  ASSERT_EQ(btrStructureStart(&h, 0), 0);
  EXPECT_EQ(btrFieldCreate(-2, -1), 0);
  EXPECT_EQ(host_.error(), 0);
  OpenFile* r = File(-2);
  EXPECT_EQ(r->bRecnumSupport, 1);
  EXPECT_STREQ(r->lpFields[0].lpszName, "RECID");
  EXPECT_EQ(r->lpFields[0].nBtrType, BTR_TYPE_AUTOINCREMENT);
  EXPECT_EQ(r->lpIndexes[0].nKeyLen, 4);
  // Appending behind the record number of a table without fields.
  EXPECT_EQ(btrFieldCreate(-2, 0), 1);
  EXPECT_EQ(r->lpFields[1].nOffset, 4);
  EXPECT_EQ(btrFieldCreate(-2, -1), 0);
  EXPECT_EQ(TakeError(), "77 btrFieldCreate");
  btrStructureAbort(-2);
}

TEST_F(FieldEditTest, DeleteRemovesSegmentsAndShrinksOverlaps) {
  ASSERT_TRUE(dict_->AddTable({"OV",
                               "OV.BTR",
                               {{"A", BTR_TYPE_STRING, 10},
                                {"B", BTR_TYPE_STRING, 5},
                                {"AB", BTR_TYPE_STRING, 15, 0, 0, false, 0}},
                               {{{{"A"}}}, {{{"B"}, {"A"}}}}}))
      << dict_->error();
  int32_t h = 0;
  OpenFile* r = OpenAndStart("OV", &h);
  ASSERT_NE(r, nullptr);
  r->lpFields[3].nHostType = driver::kHostOverlap;
  ASSERT_EQ(btrFieldDelete(h, 1), 0) << TakeError();
  EXPECT_EQ(Layout(r), "B@0+5 AB@0+5");
  EXPECT_EQ(r->lpIndexes[1].nSegments, 0);
  EXPECT_EQ(r->lpIndexes[1].bDefined, 0);
  EXPECT_EQ(r->lpIndexes[2].nSegments, 1);
  EXPECT_EQ(r->lpIndexes[2].nKeyLen, 5);
  EXPECT_EQ(r->lpIndexes[2].lpSegments[1].lpField, &r->lpFields[1]);
  EXPECT_EQ(r->nHostRecLen, 5);
  for (int32_t n : {0, 3}) {
    EXPECT_EQ(btrFieldDelete(h, n), driver::kErrBadFieldNumber);
    EXPECT_EQ(TakeError(), "77 btrFieldDelete");
  }
}

// The size of field 1 (of 3 bytes, a 5-byte field behind it) after its host
// length is set, by Btrieve type; or the error.
TEST_F(FieldEditTest, LengthRulesPerType) {
  const struct {
    int32_t type, hostLength, size;
  } cases[] = {
      {BTR_TYPE_INTEGER, 2, 1},    {BTR_TYPE_INTEGER, 4, 2},     {BTR_TYPE_INTEGER, 7, 4},
      {BTR_TYPE_INTEGER, 10, 8},   {BTR_TYPE_FLOAT, 6, 4},       {BTR_TYPE_FLOAT, 7, 8},
      {BTR_TYPE_DECIMAL, 9, 5},    {BTR_TYPE_LSTRING, 255, 256}, {BTR_TYPE_LSTRING, 256, 258},
      {BTR_TYPE_ZSTRING, 10, 11},  {BTR_TYPE_LONGVAR, 100, 8},   {BTR_TYPE_NUMERIC, 6, 6},
      {BTR_TYPE_DATE, 4, 20507},   {BTR_TYPE_TIME, 4, 20507},    {BTR_TYPE_TIMESTAMP, 8, 20507},
      {BTR_TYPE_BFLOAT, 4, 20508}, {BTR_TYPE_BIT, 1, 20508},     {driver::kAuxLstring2, 9, 20508},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.type) + " " + std::to_string(c.hostLength));
    OpenFile* r = TwoFields(driver::kHostAscii, c.type, 3);
    r->lpFields[1].nHostLength = c.hostLength;
    const int16_t status = driver::mvbtrFieldSetLength(r, 1);
    const bool refused = c.size > 20000;
    EXPECT_EQ(status, refused ? c.size : 0);
    EXPECT_EQ(r->lpFields[2].nOffset, refused ? 3 : c.size);
    host_.ClearError();
  }
}

// A field of 10 ASCII characters (a 5-byte field behind it) after its host
// type is set: Btrieve type, size, host length, where the next field starts.
TEST_F(FieldEditTest, TypeRulesPerHostType) {
  const struct {
    int32_t hostType;
    std::string result;
  } cases[] = {
      {driver::kHostBcd, "5 6 11 6"},
      {driver::kHostDate, "3 4 4 4"},
      {driver::kHostOverlap, "0 10 10 0"},  // takes no bytes of its own
      {driver::kHostReserve1, "20488"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hostType);
    OpenFile* r = TwoFields(driver::kHostAscii, BTR_TYPE_STRING, 10);
    r->lpFields[1].nHostType = c.hostType;
    r->lpFields[1].nPrecision = 2;
    const driver::FieldDesc& f = r->lpFields[1];
    const int16_t status = driver::mvbtrFieldSetType(r, 1);
    EXPECT_EQ(status != 0 ? std::to_string(status)
                          : std::to_string(f.nBtrType) + " " + std::to_string(f.nSize) + " " +
                                std::to_string(f.nHostLength) + " " +
                                std::to_string(r->lpFields[2].nOffset),
              c.result);
    host_.ClearError();
  }
}

TEST_F(FieldEditTest, OutOfMemoryLeavesTheFieldsAsTheyWere) {
  int32_t h = 0;
  OpenFile* r = OpenCust(&h);
  ASSERT_NE(r, nullptr);
  const std::string before = Layout(r);
  for (long n = 1;; ++n) {
    SCOPED_TRACE(n);
    const long live = driver::AllocLive();
    const driver::FieldDesc* fields = r->lpFields;
    driver::AllocFailureSet(n);
    const int32_t number = btrFieldCreate(h, 2);
    if (driver::AllocFailureSet(0) < n) {
      EXPECT_EQ(number, 2);
      break;
    }
    EXPECT_EQ(number, 0);
    EXPECT_EQ(TakeError().substr(0, 3), "10 ");
    EXPECT_EQ(r->lpFields, fields);
    EXPECT_EQ(Layout(r), before);
    EXPECT_EQ(r->lpIndexes[2].lpSegments[1].lpField, &r->lpFields[3]);
    EXPECT_EQ(driver::AllocLive(), live);
  }
}

}  // namespace
}  // namespace vv::testing
