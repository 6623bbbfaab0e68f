// Long-variable fields: their data in the variable part of the record buffer,
// packed in chain order, moved when an earlier field grows or shrinks, laid
// out again when out of order, and read and written through the text entry
// points.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver/fields/field_empty.h"
#include "driver/fields/le_bytes.h"
#include "driver/fields/longvar.h"
#include "support/field_table.h"

namespace vv::testing {
namespace {

using driver::kHostAscii;
using driver::kHostBinary;
using driver::kHostText;
using driver::LongvarRef;

// Fixed data end at 4 + 3 x 8 = 28: the variable part starts there.
constexpr uint32_t kVariableStart = 28;

class LongvarTest : public FieldFixture {
 protected:
  void SetUp() override {
    FieldFixture::SetUp();
    t_ = &Table({{kHostAscii, BTR_TYPE_STRING, 4, 4},
                 {kHostText, BTR_TYPE_LONGVAR, 8, 20},
                 {kHostBinary, BTR_TYPE_LONGVAR, 8, 20},
                 {kHostText, BTR_TYPE_LONGVAR, 8, 20}});
    ASSERT_EQ(t_->file()->nDataLen, static_cast<int32_t>(kVariableStart));
  }
  LongvarRef Ref(int32_t field) { return driver::mvbtrLongvarRef(&t_->field(field)); }
  std::string Layout() {
    std::string text;
    for (int32_t f = 2; f <= 4; ++f) {
      LongvarRef ref = Ref(f);
      text += std::to_string(ref.nOffset) + "+" + std::to_string(ref.nLength) + " ";
    }
    return text;
  }
  std::string Data(int32_t field) {
    LongvarRef ref = Ref(field);
    if (ref.nOffset == 0) return "-";
    const uint8_t* p = t_->file()->lpRecBuf + ref.nOffset;
    return std::string(p, p + ref.nLength);
  }
  int16_t Put(int32_t field, const std::string& value, int32_t offset = 0, int32_t keepEnd = 0) {
    return btrFieldPutString(t_->handle(), field, value.data(), offset,
                             static_cast<int32_t>(value.size()), keepEnd);
  }
  std::string Get(int32_t field, int32_t offset = 0) {
    char buffer[32] = {};
    int32_t n = btrFieldGetString(t_->handle(), field, buffer, offset, 0);
    return std::string(buffer, static_cast<std::size_t>(n));
  }
  FieldTable* t_ = nullptr;
};

TEST_F(LongvarTest, DataArePackedInChainOrderAndMoveWithEarlierFields) {
  EXPECT_EQ(Layout(), "0+0 0+0 0+0 ");
  ASSERT_EQ(Put(2, "HELLO"), 0);
  EXPECT_EQ(Layout(), "28+5 0+0 0+0 ");
  ASSERT_EQ(Put(4, "AB"), 0);
  EXPECT_EQ(Layout(), "28+5 0+0 33+2 ");
  ASSERT_EQ(Put(3, std::string("x\0y", 3)), 0);
  EXPECT_EQ(Layout(), "28+5 33+3 36+2 ") << "a field goes after the earlier fields' data";
  ASSERT_EQ(Put(2, "HELLO WORLD"), 0);
  EXPECT_EQ(Layout(), "28+11 39+3 42+2 ");
  ASSERT_EQ(Put(2, "HI"), 0);
  EXPECT_EQ(Layout(), "28+2 30+3 33+2 ");
  EXPECT_EQ(Data(3), std::string("x\0y", 3));
  EXPECT_EQ(Data(4), "AB");
  EXPECT_EQ(Get(2), "HI");
  EXPECT_EQ(Get(4), "AB");
  char binary[8] = {};
  EXPECT_EQ(btrFieldGetString(t_->handle(), 3, binary, 0, 0), 3);
  EXPECT_EQ(std::string(binary, 3), std::string("x\0y", 3));
  EXPECT_EQ(t_->file()->bChanged, 1);
  EXPECT_EQ(host_.error(), 0);
}

TEST_F(LongvarTest, OutOfOrderDataAreLaidOutAgainFirst) {
  uint8_t* buf = t_->file()->lpRecBuf;
  std::memcpy(buf + 60, "AAA", 3);
  std::memcpy(buf + 28, "BB", 2);
  driver::mvbtrLongvarRefSet(&t_->field(2), LongvarRef{3, 60});
  driver::mvbtrLongvarRefSet(&t_->field(4), LongvarRef{2, 28});
  ASSERT_EQ(Put(3, "C"), 0);
  EXPECT_EQ(Layout(), "28+3 31+1 32+2 ");
  EXPECT_EQ(Data(2) + Data(3) + Data(4), "AAACBB");
}

TEST_F(LongvarTest, OffsetsAndKeepEnd) {
  ASSERT_EQ(Put(2, "HELLO"), 0);
  EXPECT_EQ(Get(2, 2), "LLO");
  ASSERT_EQ(Put(2, "J", 0, 1), 0);
  EXPECT_EQ(Data(2), "JELLO") << "keep-end keeps the tail";
  ASSERT_EQ(Put(2, "XY", 3), 0);
  EXPECT_EQ(Data(2), "JELXY");
  ASSERT_EQ(Put(2, "Q"), 0);
  EXPECT_EQ(Data(2), "Q") << "without keep-end the value ends the data";
  // Text stops at its first 0 byte whatever length says.
  ASSERT_EQ(btrFieldPutString(t_->handle(), 2, "AB\0CD", 0, 5, 0), 0);
  EXPECT_EQ(Data(2), "AB");
}

TEST_F(LongvarTest, TooLongIsErrorTwentyNineAndStoresNothing) {
  ASSERT_EQ(Put(2, "HELLO"), 0);
  t_->ClearMarks();
  EXPECT_EQ(Put(2, std::string(21, 'x')), 29);
  EXPECT_EQ(TakeErrorText(), "F2");
  EXPECT_EQ(Put(2, std::string(6, 'x'), 15), 29);
  TakeError();
  EXPECT_EQ(Put(3, "x", -1), 29);
  TakeError();
  EXPECT_EQ(Put(2, "x", 20), 0) << "an offset at the host length changes nothing";
  EXPECT_EQ(Data(2), "HELLO");
  EXPECT_EQ(t_->file()->bChanged, 0);
  EXPECT_EQ(Put(2, std::string(20, 'x')), 0) << "exactly the host length fits";
  EXPECT_EQ(Layout(), "28+20 0+0 0+0 ");
}

TEST_F(LongvarTest, SameValueTwiceMarksOnce) {
  ASSERT_EQ(Put(2, "SAME"), 0);
  t_->ClearMarks();
  std::string marks = t_->Marks();
  ASSERT_EQ(Put(2, "SAME"), 0);
  EXPECT_EQ(t_->Marks(), marks);
  ASSERT_EQ(Put(2, "SAMe"), 0);
  EXPECT_NE(t_->Marks(), marks);
}

TEST_F(LongvarTest, StoringForOtherCallersChecksTheRoom) {
  driver::OpenFile* file = t_->file();
  const uint8_t data[30] = {};
  ASSERT_EQ(Put(3, std::string(20, 'b')), 0);
  ASSERT_EQ(Put(4, std::string(20, 'c')), 0);
  // 28 + 60 bytes is the host record length: exactly full.
  EXPECT_EQ(driver::mvbtrLongvarPutData(file, &t_->field(2), data, 20), 20);
  EXPECT_EQ(Layout(), "28+20 48+20 68+20 ");
  EXPECT_EQ(driver::mvbtrLongvarPutData(file, &t_->field(2), data, 21), -1);
  EXPECT_EQ(host_.error(), 20571);
  EXPECT_EQ(TakeErrorText(), "F2:PutData");
  EXPECT_EQ(Layout(), "28+20 48+20 68+20 ");
  EXPECT_EQ(Data(4), std::string(20, 'c'));
}

TEST_F(LongvarTest, EmptyValue) {
  ASSERT_EQ(Put(2, "HELLO"), 0);
  ASSERT_EQ(Put(3, "WORLD"), 0);
  driver::mvbtrFieldSetEmpty(t_->file(), &t_->field(2));
  driver::mvbtrFieldSetEmpty(t_->file(), &t_->field(3));
  driver::mvbtrFieldSetEmpty(t_->file(), &t_->field(4));
  EXPECT_EQ(Layout(), "28+0 33+0 0+0 ");
  EXPECT_EQ(t_->file()->lpRecBuf[28], 0) << "text data start with a terminator";
  EXPECT_EQ(t_->file()->lpRecBuf[33], 'W') << "binary data are left";
  EXPECT_EQ(HexOf(t_->Bytes(4)), "00 00 00 00 00 00 00 00");
  // The next put lays the variable part out again.
  ASSERT_EQ(Put(4, "Z"), 0);
  EXPECT_EQ(Layout(), "28+0 28+0 28+1 ");
}

TEST_F(LongvarTest, ClearingANullLeavesTheNextFieldsData) {
  FieldTable& t =
      Table({{kHostText, BTR_TYPE_LONGVAR, 8, 10, 0, true}, {kHostText, BTR_TYPE_LONGVAR, 8, 10}},
            TableOptions{.trueNull = true});
  // The null field has no bytes of its own: the next field's data begin
  // where its data would.
  uint32_t start = static_cast<uint32_t>(t.file()->nDataLen);
  std::memcpy(t.file()->lpRecBuf + start, "WORLD", 5);
  driver::mvbtrLongvarRefSet(&t.field(1), LongvarRef{0, start});
  driver::mvbtrLongvarRefSet(&t.field(2), LongvarRef{5, start});
  t.field(1).bIsNull = 1;
  t.field(1).lpData[-1] = 1;
  ASSERT_EQ(btrFieldPutString(t.handle(), 1, "X", 0, 0, 0), 0);
  char back[16] = {};
  EXPECT_EQ(btrFieldGetString(t.handle(), 2, back, 0, 0), 5);
  EXPECT_STREQ(back, "WORLD");
  EXPECT_EQ(btrFieldGetString(t.handle(), 1, back, 0, 0), 1);
  EXPECT_STREQ(back, "X");
}

TEST_F(LongvarTest, NullAndCharacterSet) {
  FieldTable& t = Table({{kHostText, BTR_TYPE_LONGVAR, 8, 10, 0, true}},
                        TableOptions{.trueNull = true, .charSet = driver::kCharSetChar});
  driver::FieldDesc& f = t.field(1);
  f.bIsNull = 1;
  f.lpData[-1] = 1;
  ASSERT_EQ(btrFieldPutString(t.handle(), 1, "\x82", 0, 0, 0), 0);
  EXPECT_EQ(f.bIsNull, 0);
  EXPECT_EQ(f.lpData[-1], 0);
  LongvarRef ref = driver::mvbtrLongvarRef(&f);
  EXPECT_EQ(ref.nLength, 1u);
  EXPECT_EQ(t.file()->lpRecBuf[ref.nOffset], 0xE9) << "stored in the ANSI code page";
  char back[4] = {};
  EXPECT_EQ(btrFieldGetString(t.handle(), 1, back, 0, 0), 1);
  EXPECT_STREQ(back, "\x82");
}

}  // namespace
}  // namespace vv::testing
