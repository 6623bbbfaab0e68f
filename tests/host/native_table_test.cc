// Native tables created, filled, found and read back through the host's
// C++ API, with their file layout and the attributes that conversion reads.
#include "host/native_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/bcd.h"
#include "host/host.h"
#include "host/native_format.h"
#include "temp_dir.h"

namespace vv::host {
namespace {

enum Field { kCustNo = 1, kName, kBalance, kJoined, kNotes, kPhoto, kNamePrefix };

NativeTableDef CustomerDef() {
  NativeTableDef def;
  def.fields = {
      {"CUST_NO", VV_HOST_TYPE_BCD, 6},
      {"NAME", VV_HOST_TYPE_ASCII, 20},
      {"BALANCE", VV_HOST_TYPE_BCD, 10, 2},
      {"JOINED", VV_HOST_TYPE_DATE, 0},
      {"NOTES", VV_HOST_TYPE_TEXT, 100},
      {"PHOTO", VV_HOST_TYPE_BINARY, 8},
      {"NAME_PREFIX", VV_HOST_TYPE_OVERLAP, 3, 0, 0, 0, 0, /*offset=*/5},
  };
  def.indexes = {
      {{{kCustNo}}},
      {{{kName, false, true}, {0}}},
      {{{kBalance, true}, {0}}},
  };
  return def;
}

struct Customer {
  const char* number;
  const char* name;
  const char* balance;
};
const Customer kCustomers[] = {
    {"104", "miller", "250.5"}, {"101", "Adams", "-20"},   {"103", "Baker", "1000"},
    {"105", "Zeta", "250"},     {"102", "MILLER", "0.75"},
};

class NativeTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.set_data_path(dir_.path());
    ASSERT_EQ(host_.CreateNativeTable("CUSTOMER", CustomerDef()), 0) << host_.error_text();
    ASSERT_EQ(tables().Open("CUSTOMER", 0, &h_), 0) << host_.error_text();
    ASSERT_EQ(tables().Kind(h_), TableKind::kNative);
  }

  TableManager& tables() { return host_.tables(); }

  void Fill() {
    for (const Customer& c : kCustomers) {
      tables().Clear(h_);
      ASSERT_EQ(tables().Put(h_, kCustNo, c.number), 0);
      ASSERT_EQ(tables().Put(h_, kName, c.name), 0);
      ASSERT_EQ(tables().Put(h_, kBalance, c.balance), 0);
      ASSERT_EQ(tables().Save(h_), 0) << host_.error_text();
    }
  }

  std::string Get(int32_t field) {
    std::string text;
    EXPECT_EQ(tables().Get(h_, field, &text), 0) << host_.error_text();
    return text;
  }

  // Finds and returns the customer number found, or "error N".
  std::string FindNumber(int32_t index, int32_t mode) {
    host_.ClearError();
    if (int16_t rc = tables().Find(h_, index, mode)) return "error " + std::to_string(rc);
    return Get(kCustNo);
  }

  // Customer numbers along an index from the first record on.
  std::string Walk(int32_t index) {
    tables().Clear(h_);
    std::string order;
    while (tables().Find(h_, index, VV_FIND_GT) == 0) order += Get(kCustNo) + " ";
    EXPECT_EQ(host_.error(), kErrEndOfFile);
    host_.ClearError();
    return order;
  }

  TempDir dir_;
  Host host_;
  int32_t h_ = 0;
};

TEST_F(NativeTableTest, FilledTableIsFoundAlongEveryIndex) {
  Fill();
  EXPECT_EQ(host_.Attribute(h_, VV_ATTR_FILE_RECORDS), 5);
  EXPECT_EQ(Walk(0), "104 101 103 105 102 ") << "record number order";
  EXPECT_EQ(Walk(1), "101 102 103 104 105 ");
  EXPECT_EQ(Walk(2), "101 103 104 102 105 ") << "case ignored, then record number";
  EXPECT_EQ(Walk(3), "103 104 105 102 101 ") << "balance descending";
  EXPECT_EQ(Walk(-kBalance), Walk(3)) << "a field's main index";

  // Reopened, the records are read back from the file.
  ASSERT_EQ(tables().Close(h_), 0);
  int32_t again = 0;
  ASSERT_EQ(tables().Open("customer.vvt", 0, &again), 0) << host_.error_text();
  h_ = again;
  EXPECT_EQ(Walk(1), "101 102 103 104 105 ");
  tables().Clear(h_);
  tables().Put(h_, kCustNo, "104");
  ASSERT_EQ(tables().Find(h_, 1, VV_FIND_EQ), 0);
  EXPECT_EQ(Get(kName), "miller");
  EXPECT_EQ(Get(kBalance), "250.50");
  EXPECT_EQ(Get(0), "1");
}

// The loop with which conversion copies a native table, through the slots.
TEST_F(NativeTableTest, ReadThroughSlotsAsConversionDoes) {
  Fill();
  const VvHostServices* s = host_.services();
  auto clear = reinterpret_cast<VvHost_FileClear>(s->slot[VV_HOST_SLOT_FileClear]);
  auto find = reinterpret_cast<VvHost_RecordFind>(s->slot[VV_HOST_SLOT_RecordFind]);
  auto getText = reinterpret_cast<VvHost_FieldGetString>(s->slot[VV_HOST_SLOT_FieldGetString]);
  auto getBcd = reinterpret_cast<VvHost_FieldGetBCD>(s->slot[VV_HOST_SLOT_FieldGetBCD]);
  auto status = reinterpret_cast<VvHost_ErrorStatus>(s->slot[VV_HOST_SLOT_ErrorStatus]);
  ASSERT_EQ(clear(h_), 0);
  std::string seen;
  // The value buffer: the largest host length (at least 12) + 10 bytes.
  char buffer[100 + 10];
  while (status() == 0) {
    if (find(h_, 0, VV_FIND_GT) != 0) break;
    const int32_t n = getText(h_, kCustNo, buffer, 0, 0);
    seen += std::string(buffer, static_cast<std::size_t>(n)) + ":";
    VvBcd balance;
    getBcd(h_, kBalance, &balance);
    std::string text;
    BcdToText(balance, 0, 2, '.', &text);
    seen += text + " ";
  }
  EXPECT_EQ(status(), kErrEndOfFile);
  EXPECT_EQ(seen, "104:250.50 101:-20.00 103:1000.00 105:250.00 102:0.75 ");
}

TEST_F(NativeTableTest, FindModesAtTheEnds) {
  EXPECT_EQ(FindNumber(1, VV_FIND_GE), "error 42") << "empty table";
  EXPECT_EQ(FindNumber(1, VV_FIND_LE), "error 41");
  Fill();
  tables().Clear(h_);
  EXPECT_EQ(FindNumber(1, VV_FIND_GE), "101") << "a cleared buffer finds from an end";
  tables().Clear(h_);
  EXPECT_EQ(FindNumber(1, VV_FIND_LE), "105");
  tables().Clear(h_);
  EXPECT_EQ(FindNumber(1, VV_FIND_LT), "105");
  EXPECT_EQ(FindNumber(1, VV_FIND_LT), "104") << "steps back from the found record";

  tables().Put(h_, kCustNo, "999");
  EXPECT_EQ(FindNumber(1, VV_FIND_GE), "105") << "past the last key: the last record";
  tables().Put(h_, kCustNo, "999");
  EXPECT_EQ(FindNumber(1, VV_FIND_GT), "error 42");
  EXPECT_EQ(host_.Attribute(h_, VV_ATTR_FILE_RECORD_STATE), VV_RECORD_NONE);
  tables().Put(h_, kCustNo, "100");
  EXPECT_EQ(FindNumber(1, VV_FIND_LT), "error 41");
  tables().Put(h_, kCustNo, "101");
  EXPECT_EQ(FindNumber(1, VV_FIND_LE), "101");
  tables().Put(h_, kCustNo, "1015");
  EXPECT_EQ(FindNumber(1, VV_FIND_EQ), "error 25");
  EXPECT_EQ(host_.error_text(), "CUSTOMER, index 1");
  tables().Clear(h_);
  tables().Put(h_, kName, "BAKER");
  EXPECT_EQ(FindNumber(2, VV_FIND_GE), "103") << "record number 0 sorts before every record";
  tables().Clear(h_);
  tables().Put(h_, 0, "3");
  EXPECT_EQ(FindNumber(0, VV_FIND_EQ), "103") << "by record number";

  EXPECT_EQ(FindNumber(4, VV_FIND_GE), "error " + std::to_string(kErrBadIndexNumber));
  EXPECT_EQ(FindNumber(-kNotes, VV_FIND_GE), "error " + std::to_string(kErrBadIndexNumber));
  EXPECT_EQ(FindNumber(1, 5), "error " + std::to_string(kErrBadArgument));
}

TEST_F(NativeTableTest, SaveUpdatesDeletesAndKeepsKeysUnique) {
  Fill();
  tables().Clear(h_);
  tables().Put(h_, kCustNo, "103");
  ASSERT_EQ(tables().Find(h_, 1, VV_FIND_EQ), 0);
  EXPECT_EQ(host_.Attribute(h_, VV_ATTR_FILE_RECORD_STATE), VV_RECORD_FOUND);
  tables().Put(h_, kCustNo, "110");
  EXPECT_EQ(host_.Attribute(h_, VV_ATTR_FILE_RECORD_STATE), VV_RECORD_CHANGED);
  ASSERT_EQ(tables().Save(h_), 0);
  EXPECT_EQ(Walk(1), "101 102 104 105 110 ") << "updated in place";
  EXPECT_EQ(host_.Attribute(h_, VV_ATTR_FILE_RECORDS), 5);

  tables().Clear(h_);
  tables().Put(h_, kCustNo, "101");
  EXPECT_EQ(tables().Save(h_), kErrDuplicateKey);
  EXPECT_EQ(host_.error_text(), "CUSTOMER, index 1");
  EXPECT_EQ(host_.Attribute(h_, VV_ATTR_FILE_RECORDS), 5) << "nothing was written";

  tables().Clear(h_);
  tables().Put(h_, kCustNo, "105");
  ASSERT_EQ(tables().Find(h_, 1, VV_FIND_EQ), 0);
  ASSERT_EQ(host_.SetAttribute(h_, VV_ATTR_FILE_RECORD_STATE, VV_RECORD_NONE), 0);
  tables().Put(h_, kCustNo, "106");
  ASSERT_EQ(tables().Save(h_), 0) << "without a found record a save inserts";
  EXPECT_EQ(Get(0), "6");
  EXPECT_EQ(host_.SetAttribute(h_, VV_ATTR_FILE_RECORD_STATE, 1), kErrBadAttributeValue);

  ASSERT_EQ(tables().Delete(h_), 0);
  EXPECT_EQ(tables().Delete(h_), kErrNoRecord) << "the deleted record is no longer found";
  tables().Clear(h_);
  tables().Put(h_, kCustNo, "104");
  ASSERT_EQ(tables().Find(h_, 1, VV_FIND_EQ), 0);
  ASSERT_EQ(tables().Delete(h_), 0);
  EXPECT_EQ(Walk(0), "101 110 105 102 ");
  ASSERT_EQ(tables().Close(h_), 0);
  ASSERT_EQ(tables().Open("CUSTOMER", 0, &h_), 0);
  EXPECT_EQ(Walk(1), "101 102 105 110 ") << "deletes and updates are in the file";
  EXPECT_EQ(host_.Attribute(h_, VV_ATTR_FILE_RECORDS), 4);
}

TEST_F(NativeTableTest, FieldValuesByType) {
  tables().Clear(h_);
  EXPECT_EQ(Get(kName), "") << "an empty ASCII field reads without its blanks";
  EXPECT_EQ(Get(kBalance), "0.00");
  EXPECT_EQ(Get(kJoined), "0");
  EXPECT_EQ(tables().Put(h_, kName, "Smithson"), 0);
  EXPECT_EQ(Get(kNamePrefix), "Smi") << "the overlap reads bytes 5 to 7 of the record";
  EXPECT_EQ(tables().Put(h_, kNamePrefix, "ABC"), 0);
  EXPECT_EQ(Get(kName), "ABCthson");
  EXPECT_EQ(tables().PutString(h_, kName, "xy", 1, 0, 1), 0) << "keep the end";
  EXPECT_EQ(Get(kName), "Axythson");
  EXPECT_EQ(tables().PutString(h_, kName, "Q", 2, 0, 0), 0);
  EXPECT_EQ(Get(kName), "AxQ");
  char part[32];
  EXPECT_EQ(tables().GetString(h_, kName, part, 1, 1), 1);
  EXPECT_STREQ(part, "x");
  EXPECT_EQ(tables().Put(h_, kName, std::string(30, 'n')), 0) << "cut to the field";
  EXPECT_EQ(Get(kName), std::string(20, 'n'));

  VvBcd v;
  EXPECT_EQ(tables().Put(h_, kBalance, "12345678.125"), 0);
  EXPECT_EQ(Get(kBalance), "12345678.13") << "rounded to the field's decimals";
  EXPECT_EQ(tables().Put(h_, kBalance, "-0.004"), 0);
  ASSERT_EQ(tables().GetBcd(h_, kBalance, &v), 0);
  EXPECT_TRUE(BcdIsZero(v) && !BcdIsNegative(v));
  EXPECT_EQ(tables().Put(h_, kBalance, "123456789"), kErrOverflow) << "8 integer digits only";
  EXPECT_EQ(host_.error_text(), "CUSTOMER.BALANCE: value too large for the field");
  EXPECT_EQ(tables().Put(h_, kBalance, "twelve"), kErrNotANumber);
  ASSERT_EQ(BcdFromText("-99999999.99", '.', &v), 0);
  EXPECT_EQ(tables().PutBcd(h_, kBalance, v), 0);
  EXPECT_EQ(Get(kBalance), "-99999999.99");

  ASSERT_EQ(BcdFromInt(730500, &v), 0);
  EXPECT_EQ(tables().PutBcd(h_, kJoined, v), 0);
  EXPECT_EQ(Get(kJoined), "730500");
  ASSERT_EQ(BcdFromInt(-1, &v), 0);
  EXPECT_EQ(tables().PutBcd(h_, kJoined, v), kErrInvalidDate);
  EXPECT_EQ(tables().Put(h_, kJoined, "1000000"), kErrOverflow);

  ASSERT_EQ(BcdFromText("42.50", '.', &v), 0);
  EXPECT_EQ(tables().PutBcd(h_, kNotes, v), 0) << "a number into a text field";
  EXPECT_EQ(Get(kNotes), "42.5");
  VvBcd back;
  ASSERT_EQ(tables().GetBcd(h_, kNotes, &back), 0);
  EXPECT_EQ(BcdCompare(back, v), 0) << "and back";

  const char photo[] = {'\x01', '\0', '\x02'};
  EXPECT_EQ(tables().PutString(h_, kPhoto, photo, 0, 3, 0), 0);
  EXPECT_EQ(Get(kPhoto), std::string("\x01\0\x02\0\0\0\0\0", 8)) << "binary keeps zero bytes";
  EXPECT_EQ(tables().GetBcd(h_, kPhoto, &v), kErrFieldType);
  EXPECT_EQ(tables().Put(h_, 8, "x"), kErrBadFieldNumber);

  host_.set_decimal_separator(',');
  EXPECT_EQ(tables().Put(h_, kBalance, "1.234,5"), 0);
  EXPECT_EQ(Get(kBalance), "1234,50");
}

TEST_F(NativeTableTest, AttributesThatConversionReads) {
  Fill();
  ASSERT_EQ(host_.SetAttributeText(h_, VV_ATTR_FILE_LOGICAL_NAME, "Customers"), 0);
  struct Expect {
    int32_t attr, n1, n2, value;
  };
  const Expect numbers[] = {
      {VV_ATTR_FILE_RECORDS, 0, 0, 5},
      {VV_ATTR_FILE_COMPRESSION, 0, 0, 0},
      {VV_ATTR_FILE_INDEXES, 0, 0, 3},
      {VV_ATTR_FILE_FIELDS, 0, 0, 7},
      {VV_ATTR_FILE_SYSTEM, 0, 0, 0},
      {VV_HOST_ATTR_CREATE_FORBIDDEN, 0, 0, 0},
      {VV_ATTR_FIELD_TYPE, kBalance, 0, VV_HOST_TYPE_BCD},
      {VV_ATTR_FIELD_LENGTH, kBalance, 0, 10},
      {VV_ATTR_FIELD_PRECISION, kBalance, 0, 2},
      {VV_ATTR_FIELD_OFFSET, kBalance, 0, 25},  // after 4 + 20 bytes
      {VV_ATTR_FIELD_SIZE, kBalance, 0, 6},
      {VV_ATTR_FIELD_MAIN_INDEX, kBalance, 0, 3},
      {VV_ATTR_FIELD_MAIN_INDEX, kNotes, 0, 0},
      {VV_ATTR_FIELD_LENGTH, kJoined, 0, 6},
      {VV_ATTR_FIELD_SIZE, kJoined, 0, 4},
      {VV_ATTR_FIELD_OFFSET, kNamePrefix, 0, 5},
      {VV_ATTR_FIELD_LENGTH, kNamePrefix, 0, 3},
      {VV_ATTR_FIELD_RELATED_FILE, kName, 0, 0},
      {VV_ATTR_FIELD_TYPE, 0, 0, VV_HOST_TYPE_BCD},
      {VV_ATTR_FIELD_LENGTH, 0, 0, 10},
      {VV_ATTR_INDEX_SEGMENTS, 2, 0, 2},
      {VV_ATTR_INDEX_SEGMENTS, 0, 0, 1},
      {VV_ATTR_SEGMENT_FIELD, 2, 1, kName},
      {VV_ATTR_SEGMENT_FIELD, 2, 2, 0},
      {VV_ATTR_SEGMENT_IGNORE_CASE, 2, 1, 1},
      {VV_ATTR_SEGMENT_DESCENDING, 2, 1, 0},
      {VV_ATTR_SEGMENT_DESCENDING, 3, 1, 1},
  };
  for (const Expect& e : numbers) {
    EXPECT_EQ(host_.Attribute(h_, e.attr, e.n1, e.n2), e.value) << e.attr << " " << e.n1;
  }
  EXPECT_EQ(host_.error(), 0) << host_.error_text();
  std::string text;
  EXPECT_EQ(host_.AttributeText(h_, VV_ATTR_FIELD_NAME, &text, kJoined), 0);
  EXPECT_EQ(text, "JOINED");
  EXPECT_EQ(host_.AttributeText(h_, VV_ATTR_FIELD_NAME, &text, 0), 0);
  EXPECT_EQ(text, "RECNUM");
  EXPECT_EQ(host_.AttributeText(h_, VV_ATTR_FILE_ROOT_NAME, &text), 0);
  EXPECT_EQ(text, "CUSTOMER") << "the name it was opened by";
  EXPECT_EQ(host_.AttributeText(h_, VV_ATTR_FILE_LOGICAL_NAME, &text), 0);
  EXPECT_EQ(text, "Customers");
  EXPECT_EQ(host_.AttributeText(h_, VV_ATTR_FILE_PHYSICAL_NAME, &text), 0);
  EXPECT_EQ(platform::SplitPath(text).name + platform::SplitPath(text).ext, "CUSTOMER.VVT");

  EXPECT_EQ(host_.Attribute(h_, VV_ATTR_FIELD_TYPE, 8), 0);
  EXPECT_EQ(host_.error(), kErrBadFieldNumber);
  EXPECT_EQ(host_.Attribute(h_, VV_ATTR_SEGMENT_FIELD, 2, 3), 0);
  EXPECT_EQ(host_.error(), kErrBadIndexNumber);
  host_.ClearError();

  // Conversion is forbidden per table, or for all while files may not be
  // created.
  ASSERT_EQ(host_.SetAttribute(h_, VV_HOST_ATTR_CREATE_FORBIDDEN, 1), 0);
  EXPECT_EQ(host_.Attribute(h_, VV_HOST_ATTR_CREATE_FORBIDDEN), 1);
  ASSERT_EQ(host_.SetAttribute(h_, VV_HOST_ATTR_CREATE_FORBIDDEN, 0), 0);
  host_.set_create_forbidden(true);
  EXPECT_EQ(host_.Attribute(h_, VV_HOST_ATTR_CREATE_FORBIDDEN), 1);
}

TEST(NativeTableFormatTest, DefinitionsAreChecked) {
  auto why = [](NativeTableDef def) {
    std::string text;
    return NativeLayout(&def, &text) == kErrBadDefinition ? text : "accepted";
  };
  NativeTableDef good = CustomerDef();
  EXPECT_EQ(why(good), "accepted");
  NativeTableDef d = good;
  d.fields[1].name = "cust_no";
  EXPECT_EQ(why(d), "field name cust_no twice");
  d = good;
  d.fields[2].length = 23;
  EXPECT_EQ(why(d), "field 3 BALANCE: BCD of at most 14 integer digits and 8 decimals");
  d = good;
  d.fields[6].offset = 141;  // 3 bytes from 141 pass the record's 142
  EXPECT_EQ(why(d), "field 7 NAME_PREFIX: OVERLAP outside the record");
  d = good;
  d.indexes[0].segments[0].ignoreCase = true;
  EXPECT_EQ(why(d), "index 1: ignore case on a field that is not text");
  d = good;
  d.indexes[0].segments.push_back({kCustNo});
  EXPECT_EQ(why(d), "index 1: field 1 twice");
  d = good;
  d.fields[3].type = VV_HOST_TYPE_RESERVE1;
  EXPECT_EQ(why(d), "field 4 JOINED: host type 4 has no storage");
  d = good;
  d.indexes.resize(16, good.indexes[0]);
  EXPECT_EQ(why(d), "at most 15 indexes");
  EXPECT_EQ(why(NativeTableDef{}), "1 to 255 fields needed");
}

TEST(NativeTableFormatTest, FileLayoutAndDamage) {
  Host host;
  TempDir dir;
  const std::string path = dir.File("T.VVT");
  NativeTableDef def;
  def.fields = {{"A", VV_HOST_TYPE_ASCII, 3}, {"N", VV_HOST_TYPE_BCD, 5, 1}};
  def.indexes = {{{{2, true}, {0}}}};
  def.systemFile = true;
  ASSERT_EQ(CreateNativeTable(path, def), 0);
  EXPECT_EQ(CreateNativeTable(path, def), kErrTableExists);
  std::unique_ptr<NativeTable> t;
  ASSERT_EQ(NativeTable::Open(path, &t), 0);
  t->PutText(1, "ab", 0, false);
  t->PutText(2, "-12.3", 0, false);
  ASSERT_EQ(t->Save(), 0);
  t.reset();

  const std::string bytes = platform::ReadFileToString(path).value_or("");
  const int32_t dataOffset = kNativeHeaderSize + 2 * kNativeFieldEntrySize + 2 + 2 * 4;
  ASSERT_EQ(bytes.size(), static_cast<std::size_t>(dataOffset + 1 + 3 + 3));
  EXPECT_EQ(bytes.substr(0, 16), std::string("VVNATIVE\x01\x00\x02\x00\x01\x00\x02\x00", 16));
  EXPECT_EQ(bytes.substr(16, 16), std::string("\x06\0\0\0", 4) + char(dataOffset) +
                                      std::string("\0\0\0\x01\0\0\0\x01\0\0\0", 11));
  EXPECT_EQ(bytes.substr(kNativeHeaderSize + kNativeFieldEntrySize, 4), std::string("N\0\0\0", 4));
  EXPECT_EQ(bytes.substr(static_cast<std::size_t>(dataOffset)), std::string("\x01"
                                                                            "ab "
                                                                            "\x00\x12\x3D",
                                                                            7))
      << "status byte, blank-padded text, packed 5 digits and the sign";

  platform::WriteStringToFile(path, bytes.substr(0, bytes.size() - 1));
  EXPECT_EQ(NativeTable::Open(path, &t), kErrTableFormat);
  EXPECT_EQ(host.error_text(), path + ": records cut short");
  std::string damaged = bytes;
  damaged[kNativeHeaderSize + kFldLength] = 9;  // field A longer than the stored layout
  platform::WriteStringToFile(path, damaged);
  EXPECT_EQ(NativeTable::Open(path, &t), kErrTableFormat);
  platform::WriteStringToFile(path, "not a table at all");
  EXPECT_EQ(NativeTable::Open(path, &t), kErrTableFormat);
  EXPECT_EQ(NativeTable::Open(dir.File("NONE.VVT"), &t), kErrCannotOpen);
}

}  // namespace
}  // namespace vv::host
