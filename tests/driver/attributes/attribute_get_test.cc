// Reading attributes of ITEM (attribute_fixture.h): every number, its value
// taken from the table's definition.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "attributes/attribute_fixture.h"
#include "support/field_table.h"

namespace vv::testing {
namespace {

using AttributeGetTest = AttributeFixture;

struct Read {
  int32_t attr, n1, n2, value;
};

TEST_F(AttributeGetTest, NumbersFollowTheDefinition) {
  int32_t h = 0;
  OpenItem(&h);
  ASSERT_EQ(Save(h, "7", "Bolt"), 0) << TakeError();
  ASSERT_EQ(Save(h, "8", "Nut"), 0) << TakeError();
  btrFileClear(h);
  // clang-format off
  const Read reads[] = {
      // The table: 42 bytes a record, 6 fields, 2 indexes, 2 records, file
      // mode and flags as opened, transactions EXCLUSIVE.
      {101, 0, 0, VV_RECORD_NONE}, {102, 0, 0, 0}, {103, 0, 0, INT_MAX}, {104, 0, 0, 2},
      {105, 0, 0, 9}, {106, 0, 0, 1}, {107, 0, 0, 1}, {108, 0, 0, h}, {109, 0, 0, 0},
      {110, 0, 0, 2}, {111, 0, 0, 6}, {114, 0, 0, 0}, {115, 0, 0, 0}, {117, 0, 0, 2},
      {124, 0, 0, 42}, {125, 0, 0, 0}, {126, 0, 0, 0}, {127, 0, 0, 1}, {129, 0, 0, 0},
      {130, 0, 0, 1}, {131, 0, 0, 0}, {133, 0, 0, 42}, {135, 0, 0, 0}, {141, 0, 0, 0},
      {143, 0, 0, 0}, {144, 0, 0, 0},
      // Field 0, the record number, and the fields.
      {201, 0, 0, 0}, {202, 0, 0, VV_HOST_TYPE_BCD}, {203, 0, 0, 10}, {204, 0, 0, 0},
      {209, 0, 0, 0}, {212, 0, 0, 4},
      {201, 1, 0, 1}, {202, 1, 0, VV_HOST_TYPE_BCD}, {203, 1, 0, 10}, {204, 1, 0, 0},
      {208, 1, 0, 1}, {209, 1, 0, 1}, {212, 1, 0, 4},
      {202, 2, 0, VV_HOST_TYPE_ASCII}, {203, 2, 0, 20}, {208, 2, 0, 2}, {209, 2, 0, 5},
      {212, 2, 0, 20},
      {202, 3, 0, VV_HOST_TYPE_BCD}, {203, 3, 0, 9}, {204, 3, 0, 2}, {208, 3, 0, 2},
      {209, 3, 0, 25}, {212, 3, 0, 5},
      {202, 4, 0, VV_HOST_TYPE_DATE}, {203, 4, 0, 4}, {208, 4, 0, 0}, {209, 4, 0, 30},
      {202, 5, 0, VV_HOST_TYPE_ASCII}, {203, 5, 0, 8}, {209, 5, 0, 34}, {212, 5, 0, 9},
      {205, 5, 0, 0}, {206, 5, 0, 0}, {704, 5, 0, 0}, {706, 5, 0, 0},
      // Shared bytes: CODE and TAIL overlap, neighbours do not; field 0 never.
      {211, 5, 6, 1}, {211, 6, 5, 1}, {211, 4, 5, 0}, {211, 1, 2, 0}, {211, 2, 2, 1},
      {211, 0, 1, 0},
      // Indexes and segments; the record number stands last in index 2.
      {301, 0, 0, 1}, {301, 1, 0, 1}, {301, 2, 0, 3}, {302, 1, 0, -1}, {303, 1, 0, 0},
      {304, 1, 0, -1}, {305, 1, 0, 4}, {305, 2, 0, 29},
      {401, 1, 1, 0}, {401, 2, 1, 0}, {401, 2, 2, 1}, {402, 2, 1, 1}, {402, 2, 2, 0},
      {403, 1, 1, 1}, {403, 2, 1, 2}, {403, 2, 2, 3}, {403, 2, 3, 0}, {403, 2, 0, 0},
  };
  // clang-format on
  for (const Read& r : reads) {
    EXPECT_EQ(btrAttributeGetNumeric(h, r.n1, r.n2, r.attr, 0), r.value)
        << r.attr << " of " << r.n1 << "," << r.n2;
    EXPECT_EQ(host_.error(), 0) << r.attr << ": " << TakeError();
  }
}

TEST_F(AttributeGetTest, TextsFollowTheDefinition) {
  int32_t h = 0;
  OpenItem(&h);
  EXPECT_EQ(Text(h, 120), "ITEM.INT");
  EXPECT_EQ(Text(h, 146), "ITEM.INT");
  EXPECT_EQ(Text(h, 128), "");
  EXPECT_EQ(Text(h, 132), "VEVERAVE");
  EXPECT_EQ(Text(h, 140), "7.0");
  EXPECT_EQ(Text(h, 207, 3), "PRICE");
  // The record-number field fits a buffer of 7 bytes, not of 6; a buffer
  // too small is left empty.
  EXPECT_EQ(Text(h, 207, 0, 0, 7), "RECNUM");
  EXPECT_EQ(Text(h, 207, 0, 0, 6), "error 4101 MV_FIELD_NAME");
  EXPECT_EQ(Text(h, 132, 0, 0, 8), "error 4101 MV_FILE_DRIVER");
  EXPECT_EQ(Text(h, 140, 0, 0, 3), "error 4101 MV_FILE_REVISION");
  EXPECT_EQ(Text(h, 120, 0, 0, 4), "error 4101 MV_FILE_PHYSICAL_NAME");
}

TEST_F(AttributeGetTest, RecordStateFollowsTheBuffer) {
  int32_t h = 0;
  OpenItem(&h);
  ASSERT_EQ(Save(h, "7", ""), 0) << TakeError();
  btrFileClear(h);
  ASSERT_EQ(btrRecordFind(h, 1, VV_FIND_GE), 0) << TakeError();
  EXPECT_EQ(btrAttributeGetNumeric(h, 0, 0, 101, 0), VV_RECORD_FOUND);
  btrFieldPutString(h, 2, "Changed", 0, 0, 0);
  EXPECT_EQ(btrAttributeGetNumeric(h, 0, 0, 101, 0), VV_RECORD_CHANGED);
  EXPECT_EQ(btrAttributeGetNumeric(h, 0, 0, 114, 0), 1);
  EXPECT_EQ(btrAttributeSetNumeric(h, 0, 0, 101, 0, 0), 0);
  EXPECT_EQ(btrAttributeGetNumeric(h, 0, 0, 101, 0), VV_RECORD_NONE);
}

TEST_F(AttributeGetTest, RelatedFieldsAreTriples) {
  int32_t h = 0;
  OpenItem(&h);
  ASSERT_EQ(btrAttributeSetNumeric(h, 2, 0, 205, 9, 0), 0) << TakeError();
  ASSERT_EQ(btrAttributeSetNumeric(h, 2, 0, 206, 3, 0), 0) << TakeError();
  EXPECT_EQ(btrAttributeGetNumeric(h, 0, 0, 141, 0), 1);
  int32_t triples[3] = {};
  EXPECT_EQ(btrAttributeGetString(h, 0, 0, 142, reinterpret_cast<char*>(triples), 12, 0), 0);
  EXPECT_EQ(triples[0] * 100 + triples[1] * 10 + triples[2], 293);
  EXPECT_EQ(btrAttributeGetString(h, 0, 0, 142, reinterpret_cast<char*>(triples), 11, 0), 4101);
  EXPECT_EQ(TakeError(), "4101 MV_FILE_RELATED_FIELDS");
}

// A nullable field of a table with true nulls takes the null through its
// attribute, and the record keeps it.
TEST_F(AttributeGetTest, NullableFieldKeepsItsNull) {
  ASSERT_TRUE(
      dict_->AddTable({"MEMO",
                       "MEMO.BTR",
                       {{"NO", BTR_TYPE_INTEGER, 4}, {"TEXT", BTR_TYPE_STRING, 10, 0, 0, true}},
                       {{{{"NO"}}}}}))
      << dict_->error();
  int32_t h = 0;
  ASSERT_EQ(Open("MEMO", &h), 0) << TakeError();
  EXPECT_EQ(btrAttributeGetNumeric(h, 2, 0, 706, 0), 1);
  EXPECT_EQ(btrAttributeGetNumeric(h, 1, 0, 706, 0), 0);
  const VvBcd one = Bcd("1");
  btrFieldPutBCD(h, 1, &one);
  btrFieldPutString(h, 2, "text", 0, 0, 0);
  ASSERT_EQ(btrAttributeSetNumeric(h, 2, 0, 704, 1, 0), 0) << TakeError();
  EXPECT_EQ(btrAttributeGetNumeric(h, 2, 0, 704, 0), 1);
  ASSERT_EQ(btrRecordSave(h), 0) << TakeError();
  btrFileClear(h);
  ASSERT_EQ(btrRecordFind(h, 1, VV_FIND_GE), 0) << TakeError();
  EXPECT_EQ(btrAttributeGetNumeric(h, 2, 0, 704, 0), 1);
  ASSERT_EQ(btrAttributeSetNumeric(h, 2, 0, 704, 0, 0), 0) << TakeError();
  EXPECT_EQ(btrAttributeGetNumeric(h, 2, 0, 704, 0), 0);
  EXPECT_EQ(btrAttributeGetNumeric(h, 0, 0, 101, 0), VV_RECORD_CHANGED);
}

// LAST_INDEX_NUMBER_METHOD MAXIMUM: as many indexes as a 4096-byte page
// allows keys, one fewer when index 0 is itself a key; indexes beyond the
// table's own have no segments.
TEST_F(AttributeGetTest, MaximumIndexMethodCountsThePageLimit) {
  WriteSettings("LAST_INDEX_NUMBER_METHOD MAXIMUM\n");
  int32_t h = 0;
  OpenItem(&h);
  EXPECT_EQ(btrAttributeGetNumeric(h, 0, 0, 110, 0), 119);
  EXPECT_EQ(btrAttributeGetNumeric(h, 50, 0, 301, 0), 0);
  EXPECT_EQ(btrAttributeGetNumeric(h, 50, 0, 305, 0), 0);
  EXPECT_EQ(btrAttributeGetNumeric(h, 120, 0, 301, 0), 0);
  EXPECT_EQ(TakeError(), "4099 ");
  File(h)->bRecnumSupport = 1;
  EXPECT_EQ(btrAttributeGetNumeric(h, 0, 0, 110, 0), 118);
  File(h)->bRecnumSupport = 0;
}

}  // namespace
}  // namespace vv::testing
