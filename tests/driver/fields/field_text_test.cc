// btrFieldGetString and btrFieldPutString on fields of the fixed record:
// every text encoding, offsets and lengths, the keep-end flag, PAD_STRING,
// true nulls and the CHAR character set.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver/frame/util/memory.h"
#include "support/field_table.h"

namespace vv::testing {
namespace {

using driver::kAuxLstring2;
using driver::kHostAscii;
using driver::kHostBcd;
using driver::kHostBinary;
using driver::kHostOverlap;
using driver::kHostReserve1;
using driver::kHostText;

enum Field {
  kString = 1,  // ASCII STRING of 10
  kZstring,     // ASCII ZSTRING of 11, host length 10
  kLstring,     // ASCII LSTRING of 11, host length 10
  kBinary2,     // BINARY LSTRING2 of 12, host length 10
  kText2,       // TEXT LSTRING2 of 12, host length 10
  kTime9,       // ASCII TIME, host length 9
  kTime8,       // ASCII TIME, host length 8
  kReserved,    // RESERVE1
  kNumber,      // BCD DECIMAL 7.2
  kOverlap,     // OVERLAP STRING of 4 over the first bytes of kString
  kNullable,    // nullable ASCII STRING of 6
};

const std::vector<FieldDef> kFields = {
    {kHostAscii, BTR_TYPE_STRING, 10, 10},
    {kHostAscii, BTR_TYPE_ZSTRING, 11, 10},
    {kHostAscii, BTR_TYPE_LSTRING, 11, 10},
    {kHostBinary, kAuxLstring2, 12, 10},
    {kHostText, kAuxLstring2, 12, 10},
    {kHostAscii, BTR_TYPE_TIME, 4, 9},
    {kHostAscii, BTR_TYPE_TIME, 4, 8},
    {kHostReserve1, BTR_TYPE_STRING, 2, 2},
    {kHostBcd, BTR_TYPE_DECIMAL, 4, 7, 2},
    {kHostOverlap, BTR_TYPE_STRING, 4, 4, 0, false, "", 0},
    {kHostAscii, BTR_TYPE_STRING, 6, 6, 0, true},
};

class FieldTextTest : public FieldFixture {
 protected:
  void SetUp() override {
    FieldFixture::SetUp();
    table_ = &Table(kFields, TableOptions{.trueNull = true});
  }
  struct Got {
    std::string text;
    int32_t result;
  };
  Got Get(int32_t field, int32_t offset = 0, int32_t length = 0) {
    char buffer[64];
    std::memset(buffer, '#', sizeof buffer);
    int32_t result = btrFieldGetString(table_->handle(), field, buffer, offset, length);
    return Got{std::string(buffer, std::strlen(buffer)), result};
  }
  int16_t Put(int32_t field, const std::string& value, int32_t offset = 0, int32_t length = 0,
              int32_t keepEnd = 0) {
    return btrFieldPutString(table_->handle(), field, value.c_str(), offset, length, keepEnd);
  }
  std::string Raw(int32_t field) {
    auto bytes = table_->Bytes(field);
    return std::string(bytes.begin(), bytes.end());
  }
  void SetRaw(int32_t field, const std::string& raw) {
    table_->SetBytes(field, std::vector<uint8_t>(raw.begin(), raw.end()));
  }
  FieldTable* table_ = nullptr;
};

TEST_F(FieldTextTest, GetCutsToOffsetLengthAndValue) {
  SetRaw(kString, "ABCDEFGHIJ");
  SetRaw(kZstring, std::string("AB\0XYZ\0\0\0\0\0", 11));
  SetRaw(kLstring, std::string("\x05HELLO#####", 11));
  struct Case {
    int32_t field, offset, length;
    std::string text;
    int32_t result;
  } cases[] = {
      {kString, 8, 0, "IJ", 2},     {kString, 2, 3, "CDE", 3},  {kString, 0, 99, "ABCDEFGHIJ", 10},
      {kString, 8, 5, "IJ", 2},     {kString, 10, 0, "", 0},    {kString, -1, 0, "", 0},
      {kZstring, 0, 10, "AB", 2},   {kZstring, 1, 0, "B", 1},   {kZstring, 3, 0, "", 0},
      {kLstring, 0, 0, "HELLO", 5}, {kLstring, 2, 0, "LLO", 3}, {kLstring, 1, 2, "EL", 2},
  };
  for (const Case& c : cases) {
    Got got = Get(c.field, c.offset, c.length);
    EXPECT_EQ(got.text, c.text) << c.field << " " << c.offset << " " << c.length;
    EXPECT_EQ(got.result, c.result) << c.field << " " << c.offset << " " << c.length;
  }
  SetRaw(kString, "AB        ");
  EXPECT_EQ(Get(kString, 8).text, "  ") << "trailing blanks are part of a STRING";
  // A length byte beyond the field reads to the end of the field.
  SetRaw(kLstring,
         "\xFF"
         "0123456789");
  EXPECT_EQ(Get(kLstring).text, "0123456789");
  EXPECT_EQ(TakeError(), 0);
}

TEST_F(FieldTextTest, Lstring2BinaryKeepsZeroBytesTextStopsAtThem) {
  SetRaw(kBinary2, std::string("\x04\x00"
                               "A\0BC"
                               "\0\0\0\0\0\0",
                               12));
  SetRaw(kText2, std::string("\x04\x00"
                             "A\0BC"
                             "\0\0\0\0\0\0",
                             12));
  char buffer[16];
  EXPECT_EQ(btrFieldGetString(table_->handle(), kBinary2, buffer, 0, 0), 4);
  EXPECT_EQ(std::string(buffer, 4), std::string("A\0BC", 4));
  EXPECT_EQ(Get(kText2).text, "A");
  EXPECT_EQ(Get(kText2).result, 1);
  // A negative length word means no value.
  SetRaw(kText2, std::string("\xFF\xFF"
                             "ABCD",
                             6));
  EXPECT_EQ(Get(kText2).result, 0);
}

TEST_F(FieldTextTest, TimeReadsAsTextAndNeedsNineCharacters) {
  SetRaw(kTime9, "\x32\x02\x2D\x0D");  // 13:45:02.50
  SetRaw(kTime8, "\x32\x02\x2D\x0D");
  Got got = Get(kTime9);
  EXPECT_EQ(got.text, "134502,50");
  EXPECT_EQ(got.result, 0) << "a TIME read reports no length";
  EXPECT_EQ(Get(kTime8).result, 0);
  EXPECT_EQ(host_.error(), 4101);
  EXPECT_EQ(TakeErrorText(), "Time needs len of 8!");
}

TEST_F(FieldTextTest, BadHandleFieldNumberAndHostType) {
  EXPECT_EQ(Get(kReserved).result, 0);
  EXPECT_EQ(host_.error(), 20547);
  EXPECT_EQ(TakeErrorText(), "F8");
  char buffer[16];
  EXPECT_EQ(btrFieldGetString(table_->handle() + 100, 1, buffer, 0, 0), 0);
  EXPECT_EQ(host_.error(), 72);
  EXPECT_EQ(TakeErrorText(), "btrFieldGetString");
  EXPECT_EQ(Get(99).result, 0);
  EXPECT_EQ(host_.error(), 77);
  EXPECT_EQ(Put(kFields.size() + 1, "X"), 77);
  EXPECT_EQ(TakeErrorText(), "btrFieldPutString");
  EXPECT_EQ(btrFieldPutString(table_->handle() + 100, 1, "X", 0, 0, 0), 72);
  TakeError();
  // Field 0 of a table without a record-number field is not a text field.
  EXPECT_EQ(Put(0, "X"), 77);
  TakeError();
}

TEST_F(FieldTextTest, StringPutPadsOrKeepsTheEnd) {
  struct Case {
    std::string before, value;
    int32_t offset, length, keepEnd;
    std::string after;
  } cases[] = {
      {"XXXXXXXXXX", "AB", 0, 0, 0, "AB        "},
      {"XXXXXXXXXX", "AB", 0, 0, 1, "ABXXXXXXXX"},
      {"XXXXXXXXXX", "ABCDEFGHIJKL", 0, 0, 0, "ABCDEFGHIJ"},
      {"XXXXXXXXXX", "ABC", 8, 0, 0, "XXXXXXXXAB"},
      {"XXXXXXXXXX", "ABCDEF", 2, 3, 1, "XXABCXXXXX"},
      {"XXXXXXXXXX", "AB", 10, 0, 0, "XXXXXXXXXX"},
      {"XXXXXXXXXX", "AB", -1, 0, 0, "XXXXXXXXXX"},
      {"XXXXXXXXXX", std::string("A\0B", 3), 0, 3, 0, "A         "},
  };
  for (const Case& c : cases) {
    SetRaw(kString, c.before);
    table_->ClearMarks();
    EXPECT_EQ(
        btrFieldPutString(table_->handle(), kString, c.value.data(), c.offset, c.length, c.keepEnd),
        0);
    EXPECT_EQ(Raw(kString), c.after) << c.value << " at " << c.offset;
    bool changed = c.after != c.before;
    EXPECT_EQ(table_->field(kString).bFieldChanged, changed ? 1 : 0) << c.value;
    EXPECT_EQ(table_->file()->bChanged, changed ? 1 : 0) << c.value;
  }
}

TEST_F(FieldTextTest, TerminatedAndCountedEncodings) {
  SetRaw(kZstring, "ABCDEFGHIJ" + std::string(1, '\0'));
  EXPECT_EQ(Put(kZstring, "XY"), 0);
  EXPECT_EQ(Raw(kZstring), std::string("XY\0DEFGHIJ\0", 11));
  // Without PAD_STRING a terminator follows the value even with keep-end.
  EXPECT_EQ(Put(kZstring, "Q", 1, 0, 1), 0);
  EXPECT_EQ(Raw(kZstring), std::string("XQ\0DEFGHIJ\0", 11));
  EXPECT_EQ(Put(kZstring, "0123456789AB"), 0);
  EXPECT_EQ(Get(kZstring).text, "0123456789");

  SetRaw(kLstring, std::string(11, '\0'));
  EXPECT_EQ(Put(kLstring, "HELLO"), 0);
  EXPECT_EQ(Raw(kLstring), std::string("\x05HELLO\0\0\0\0\0", 11));
  EXPECT_EQ(Put(kLstring, "XY", 3), 0);
  EXPECT_EQ(Get(kLstring).text, "HELXY");
  EXPECT_EQ(Put(kLstring, "Z", 0, 0, 1), 0);
  EXPECT_EQ(Get(kLstring).text, "ZELXY") << "keep-end leaves the length byte";

  // LSTRING2: the length word is offset + length with and without keep-end.
  for (int32_t keepEnd : {0, 1}) {
    SetRaw(kText2, std::string(12, '\0'));
    EXPECT_EQ(Put(kText2, "ABCDE", 3, 0, keepEnd), 0);
    EXPECT_EQ(HexOf(table_->Bytes(kText2)).substr(0, 5), "08 00") << keepEnd;
  }
  EXPECT_EQ(btrFieldPutString(table_->handle(), kBinary2, "A\0B", 0, 3, 0), 0);
  EXPECT_EQ(HexOf(table_->Bytes(kBinary2)).substr(0, 14), "03 00 41 00 42");
}

TEST_F(FieldTextTest, SameValueTwiceMarksOnce) {
  EXPECT_EQ(Put(kLstring, "SAME"), 0);
  EXPECT_EQ(table_->field(kLstring).bFieldChanged, 1);
  table_->ClearMarks();
  std::string marks = table_->Marks();
  EXPECT_EQ(Put(kLstring, "SAME"), 0);
  EXPECT_EQ(Put(kString, "          "), 0) << "a cleared STRING holds blanks already";
  EXPECT_EQ(table_->Marks(), marks);
}

TEST_F(FieldTextTest, OverlapTakesTheHostLengthAndNumbersAreNotText) {
  EXPECT_EQ(Put(kOverlap, "WXYZ"), 0);
  EXPECT_EQ(Raw(kString), "WXYZ      ");
  table_->ClearMarks();
  std::vector<uint8_t> before = table_->Bytes(kNumber);
  EXPECT_EQ(Put(kNumber, "12.34"), 0);
  EXPECT_EQ(table_->Bytes(kNumber), before);
  EXPECT_EQ(table_->file()->bChanged, 0);
}

TEST_F(FieldTextTest, PadString) {
  globals()->bPadString = 1;
  SetRaw(kZstring, "ABCDEFGHIJ" + std::string(1, '\0'));
  EXPECT_EQ(Put(kZstring, "AB"), 0);
  EXPECT_EQ(Raw(kZstring), std::string("AB        \0", 11));
  SetRaw(kString, "XXXXXXXXXX");
  EXPECT_EQ(Put(kString, "AB", 0, 0, 1), 0);
  EXPECT_EQ(Raw(kString), "AB        ") << "padding overrides keep-end";
  EXPECT_EQ(Put(kString, "CD", 4), 0);
  EXPECT_EQ(Raw(kString), "AB  CD    ");
  // No memory for the padded copy: error 10, the field keeps its bytes.
  driver::AllocFailureSet(1);
  table_->ClearMarks();
  EXPECT_EQ(Put(kString, "Q"), 10);
  EXPECT_EQ(TakeErrorText(), "FieldPutString");
  EXPECT_EQ(Raw(kString), "AB  CD    ");
  EXPECT_EQ(table_->field(kString).bFieldChanged, 0);
}

TEST_F(FieldTextTest, NoMemoryForTheWorkingCopyChangesNothing) {
  driver::AllocFailureSet(1);
  EXPECT_EQ(Put(kString, "AB"), 10);
  EXPECT_EQ(TakeErrorText(), "mvbtrTrashBuffer");
  EXPECT_EQ(Raw(kString), "          ");
  EXPECT_EQ(table_->file()->bChanged, 0);
}

TEST_F(FieldTextTest, PutClearsANull) {
  driver::FieldDesc& f = table_->field(kNullable);
  f.bIsNull = 1;
  f.lpData[-1] = 1;
  EXPECT_EQ(Put(kNullable, "AB"), 0);
  EXPECT_EQ(f.bIsNull, 0);
  EXPECT_EQ(f.lpData[-1], 0);
  EXPECT_EQ(Raw(kNullable), "AB    ");
  // A value equal to the empty value still counts as a change of a null field.
  f.bIsNull = 1;
  f.lpData[-1] = 1;
  SetRaw(kNullable, "      ");
  table_->ClearMarks();
  EXPECT_EQ(Put(kNullable, ""), 0);
  EXPECT_EQ(f.lpData[-1], 0);
  EXPECT_EQ(f.bFieldChanged, 1);
  EXPECT_EQ(table_->file()->bChanged, 1);
}

class CharSetTest : public FieldFixture {};

TEST_F(CharSetTest, TextGoesOemToAnsiAndBackBinaryDoesNot) {
  FieldTable& t = Table({{kHostAscii, BTR_TYPE_STRING, 2, 2},
                         {kHostBinary, kAuxLstring2, 4, 2},
                         {kHostText, BTR_TYPE_ZSTRING, 3, 2}},
                        TableOptions{.charSet = driver::kCharSetChar});
  const char oem[] = "\x82\x81";  // e-acute, u-umlaut in the OEM code page
  for (int32_t field : {1, 3}) {
    EXPECT_EQ(btrFieldPutString(t.handle(), field, oem, 0, 0, 0), 0);
    char back[8] = {};
    EXPECT_EQ(btrFieldGetString(t.handle(), field, back, 0, 0), 2);
    EXPECT_STREQ(back, oem) << field;
  }
  EXPECT_EQ(HexOf(t.Bytes(1)), "E9 FC") << "stored in the ANSI code page";
  EXPECT_EQ(btrFieldPutString(t.handle(), 2, oem, 0, 2, 0), 0);
  EXPECT_EQ(HexOf(t.Bytes(2)), "02 00 82 81");
  char back[8] = {};
  EXPECT_EQ(btrFieldGetString(t.handle(), 2, back, 0, 0), 2);
  EXPECT_STREQ(back, oem);
}

}  // namespace
}  // namespace vv::testing
