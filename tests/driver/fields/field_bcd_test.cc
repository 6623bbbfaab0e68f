// What btrFieldGetBCD and btrFieldPutBCD do beyond the encodings: host types
// without numbers, field 0, bad handles and field numbers, the working copy
// of large fields, nulls, and numbers read as text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver/frame/util/memory.h"
#include "support/field_table.h"

namespace vv::testing {
namespace {

using driver::kHostAscii;
using driver::kHostBcd;
using driver::kHostDate;

enum Field {
  kText = 1,      // ASCII STRING
  kDecimal,       // BCD DECIMAL 7.2
  kStringNumber,  // BCD in a STRING: no numeric form
  kLarge,         // BCD NUMERIC of 60 digits: a working copy off the stack
  kNullInt,       // nullable BCD INTEGER of 4
  kDate,          // DATE
};

class FieldBcdTest : public FieldFixture {
 protected:
  void SetUp() override {
    FieldFixture::SetUp();
    t_ = &Table({{kHostAscii, BTR_TYPE_STRING, 6, 6},
                 {kHostBcd, BTR_TYPE_DECIMAL, 4, 7, 2},
                 {kHostBcd, BTR_TYPE_STRING, 4, 4},
                 {kHostBcd, BTR_TYPE_NUMERIC, 60, 60},
                 {kHostBcd, BTR_TYPE_INTEGER, 4, 10, 0, true},
                 {kHostDate, BTR_TYPE_DATE, 4, 4}},
                TableOptions{.trueNull = true});
  }
  FieldTable* t_ = nullptr;
};

TEST_F(FieldBcdTest, FieldsWithoutANumberReadZeroAndTakeNothing) {
  for (int32_t field : {kText, kStringNumber}) {
    t_->SetBytes(field, Hex("31 32 33 34"));
    EXPECT_EQ(GetNumber(*t_, field), "0");
    t_->ClearMarks();
    EXPECT_EQ(PutNumber(*t_, field, "5"), 0);
    EXPECT_EQ(HexOf(t_->Bytes(field)).substr(0, 11), "31 32 33 34");
    EXPECT_EQ(t_->file()->bChanged, 0);
  }
  EXPECT_EQ(host_.error(), 0);
}

TEST_F(FieldBcdTest, HandlesFieldNumbersAndFieldZero) {
  VvBcd value = Bcd("7");
  EXPECT_EQ(btrFieldGetBCD(t_->handle() + 50, kDecimal, &value), 72);
  EXPECT_EQ(BcdText(value), "0") << "a failed read delivers 0";
  EXPECT_EQ(TakeErrorText(), "btrFieldGetBCD");
  EXPECT_EQ(btrFieldPutBCD(t_->handle() + 50, kDecimal, &value), 72);
  EXPECT_EQ(TakeErrorText(), "btrFieldPutBCD");
  EXPECT_EQ(btrFieldGetBCD(t_->handle(), 7, &value), 77);
  EXPECT_EQ(TakeErrorText(), "btrFieldGetBCD");
  EXPECT_EQ(btrFieldPutBCD(t_->handle(), -1, &value), 77);
  TakeError();
  // Field 0 is the record number, kept by the records subsystem.
  EXPECT_EQ(PutNumber(*t_, 0, "7"), 0);
  EXPECT_EQ(GetNumber(*t_, 0), "7");
  EXPECT_EQ(host_.error(), 0);
}

TEST_F(FieldBcdTest, LargeFieldsNeedMemoryForTheirWorkingCopy) {
  ASSERT_EQ(PutNumber(*t_, kLarge, "-12345678901234"), 0);
  std::vector<uint8_t> before = t_->Bytes(kLarge);
  EXPECT_EQ(GetNumber(*t_, kLarge), "-12345678901234");
  t_->ClearMarks();
  driver::AllocFailureSet(1);
  EXPECT_EQ(PutNumber(*t_, kLarge, "5"), 10);
  EXPECT_EQ(TakeErrorText(), "(dbdkpbcd)");
  EXPECT_EQ(t_->Bytes(kLarge), before);
  EXPECT_EQ(t_->file()->bChanged, 0);
}

TEST_F(FieldBcdTest, AValueClearsANullAndZeroIsAValue) {
  driver::FieldDesc& f = t_->field(kNullInt);
  f.bIsNull = 1;
  f.lpData[-1] = 1;
  EXPECT_EQ(PutNumber(*t_, kNullInt, "0"), 0);
  EXPECT_EQ(f.bIsNull, 0) << "only dates become null through 0";
  EXPECT_EQ(f.lpData[-1], 0);
  EXPECT_EQ(f.bFieldChanged, 1) << "the null changed though the bytes did not";
  // A range error leaves the null as it was.
  f.bIsNull = 1;
  f.lpData[-1] = 1;
  t_->ClearMarks();
  EXPECT_EQ(PutNumber(*t_, kNullInt, "99999999999"), 11);
  TakeError();
  EXPECT_EQ(f.bIsNull, 1);
  EXPECT_EQ(f.lpData[-1], 1);
  EXPECT_EQ(t_->file()->bChanged, 0);
}

TEST_F(FieldBcdTest, NumbersAndDatesReadAsText) {
  char text[32];
  ASSERT_EQ(PutNumber(*t_, kDecimal, "-12.3"), 0);
  EXPECT_EQ(btrFieldGetString(t_->handle(), kDecimal, text, 0, 0), 24);
  EXPECT_EQ(std::string(text), std::string(18, ' ') + "-12.30");
  ASSERT_EQ(PutNumber(*t_, kDate, "730500"), 0);
  EXPECT_EQ(btrFieldGetString(t_->handle(), kDate, text, 0, 0), 24);
  EXPECT_EQ(std::string(text), std::string(18, ' ') + "730500");
  host_.set_decimal_separator(',');
  EXPECT_EQ(btrFieldGetString(t_->handle(), kDecimal, text, 0, 0), 24);
  EXPECT_EQ(std::string(text), std::string(18, ' ') + "-12,30");
  // A failed read places nothing.
  t_->SetBytes(kDate, Hex("00 05 D0 07"));
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(btrFieldGetString(t_->handle(), kDate, text, 0, 0), 0);
  EXPECT_EQ(TakeError(), 16);
  EXPECT_STREQ(text, "");
}

}  // namespace
}  // namespace vv::testing
