// Packed decimal (DECIMAL, MONEY) and MVBCD fields through btrFieldPutBCD and
// btrFieldGetBCD.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/field_table.h"

namespace vv::testing {
namespace {

using driver::kAuxMvbcd;
using driver::kHostBcd;

enum Field {
  kDec72 = 1,  // DECIMAL, host length 7, 2 decimals: 4 bytes
  kDec50,      // DECIMAL 5.0: 3 bytes
  kMoney92,    // MONEY 9.2: 5 bytes
  kDec83,      // DECIMAL 8.3: 5 bytes, a leading unused nibble
  kWide,       // DECIMAL 19.2: 10 bytes, more integer digits than the host value
  kMvbcd,      // MVBCD 8.2: 4 bytes
};

class PackedTest : public FieldFixture {
 protected:
  void SetUp() override {
    FieldFixture::SetUp();
    t_ = &Table({{kHostBcd, BTR_TYPE_DECIMAL, 4, 7, 2},
                 {kHostBcd, BTR_TYPE_DECIMAL, 3, 5, 0},
                 {kHostBcd, BTR_TYPE_MONEY, 5, 9, 2},
                 {kHostBcd, BTR_TYPE_DECIMAL, 5, 8, 3},
                 {kHostBcd, BTR_TYPE_DECIMAL, 10, 19, 2},
                 {kHostBcd, kAuxMvbcd, 4, 8, 2}});
  }
  FieldTable* t_ = nullptr;
};

TEST_F(PackedTest, PutBytesAndReadBack) {
  struct Case {
    int32_t field;
    std::string value, bytes, readBack;
  } cases[] = {
      {kDec72, "12.34", "00 01 23 4F", "12.34"},
      {kDec72, "-12.34", "00 01 23 4D", "-12.34"},
      {kDec72, "0", "00 00 00 0F", "0"},
      {kDec72, "99999.99", "99 99 99 9F", "99999.99"},
      {kDec72, "-99999.99", "99 99 99 9D", "-99999.99"},
      {kDec72, "123456.78", "23 45 67 8F", "23456.78"},  // higher digits dropped
      {kDec72, "1.239", "00 00 12 3F", "1.23"},          // further decimals dropped
      {kDec72, "-0.001", "00 00 00 0F", "0"},            // never a negative zero
      {kDec50, "-7", "00 00 7D", "-7"},
      {kMoney92, "1234567.89", "12 34 56 78 9F", "1234567.89"},
      {kDec83, "12345.678", "01 23 45 67 8F", "12345.678"},
      {kWide, "12345678901234.56", "00 01 23 45 67 89 01 23 45 6F", "12345678901234.56"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PutNumber(*t_, c.field, c.value), 0) << c.value;
    EXPECT_EQ(HexOf(t_->Bytes(c.field)), c.bytes) << c.value;
    EXPECT_EQ(GetNumber(*t_, c.field), c.readBack) << c.value;
  }
  EXPECT_EQ(PutNumber(*t_, kWide, "-12345678901234.56"), 0);
  EXPECT_EQ(HexOf(t_->Bytes(kWide)), "00 01 23 45 67 89 01 23 45 6D");
  EXPECT_EQ(GetNumber(*t_, kWide), "-12345678901234.56");
  EXPECT_EQ(host_.error(), 0);
}

TEST_F(PackedTest, SignNibbles) {
  t_->SetBytes(kDec72, Hex("00 00 00 0D"));
  EXPECT_EQ(GetNumber(*t_, kDec72), "0") << "a negative zero reads as 0";
  t_->SetBytes(kDec72, Hex("00 01 23 4C"));
  EXPECT_EQ(GetNumber(*t_, kDec72), "12.34");
  EXPECT_EQ(host_.error(), 20562);
  EXPECT_EQ(TakeErrorText(), "TABLE.F1");
  t_->SetBytes(kDec72, Hex("00 01 23 4A"));
  EXPECT_EQ(GetNumber(*t_, kDec72), "12.34") << "other nibbles pass silently";
  EXPECT_EQ(TakeError(), 0);

  globals()->bComp3SignCheck = 0;
  t_->SetBytes(kDec72, Hex("00 01 23 4C"));
  EXPECT_EQ(GetNumber(*t_, kDec72), "12.34");
  EXPECT_EQ(TakeError(), 0);

  globals()->bComp3SignCheck = 1;
  globals()->nComp3SignPos = 0x0C;
  globals()->nComp3SignNeg = 0x0B;
  EXPECT_EQ(PutNumber(*t_, kDec72, "12.34"), 0);
  EXPECT_EQ(HexOf(t_->Bytes(kDec72)), "00 01 23 4C");
  EXPECT_EQ(PutNumber(*t_, kDec72, "-12.34"), 0);
  EXPECT_EQ(HexOf(t_->Bytes(kDec72)), "00 01 23 4B");
  EXPECT_EQ(GetNumber(*t_, kDec72), "-12.34");
  t_->SetBytes(kDec72, Hex("00 01 23 4D"));
  EXPECT_EQ(GetNumber(*t_, kDec72), "12.34") << "0xD is not the negative nibble now";
  EXPECT_EQ(TakeError(), 0);
  t_->SetBytes(kDec72, Hex("00 01 23 4F"));
  GetNumber(*t_, kDec72);
  EXPECT_EQ(TakeError(), 20562);
}

TEST_F(PackedTest, DigitsTheHostValueCannotHoldAreErrors) {
  t_->SetBytes(kDec72, Hex("00 0A 00 0F"));
  GetNumber(*t_, kDec72);
  EXPECT_EQ(host_.error(), 11);
  EXPECT_EQ(TakeErrorText(), "TABLE.F1");
  // 17 integer digits: the highest three must be 0.
  t_->SetBytes(kWide, Hex("01 00 00 00 00 00 00 00 00 0F"));
  GetNumber(*t_, kWide);
  EXPECT_EQ(TakeError(), 11);
}

TEST_F(PackedTest, MvbcdBytesAndRange) {
  struct Case {
    std::string value, bytes;
  } cases[] = {
      {"12.34", "10 00 12 34"},     {"-12.34", "00 00 12 34"},    {"0", "10 00 00 00"},
      {"123456.78", "22 34 56 78"}, {"-99999.99", "09 99 99 99"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PutNumber(*t_, kMvbcd, c.value), 0) << c.value;
    EXPECT_EQ(HexOf(t_->Bytes(kMvbcd)), c.bytes) << c.value;
    EXPECT_EQ(GetNumber(*t_, kMvbcd), c.value) << c.value;
  }
  t_->SetBytes(kMvbcd, Hex("00 00 00 00"));
  EXPECT_EQ(GetNumber(*t_, kMvbcd), "0") << "never a negative zero";
  t_->ClearMarks();
  std::string marks = t_->Marks();
  for (const char* value : {"1234567.1", "0.123", "-123456.78"}) {
    EXPECT_EQ(PutNumber(*t_, kMvbcd, value), 11) << value;
    EXPECT_EQ(TakeErrorText(), "TABLE.F6");
    EXPECT_EQ(HexOf(t_->Bytes(kMvbcd)), "00 00 00 00") << value;
  }
  EXPECT_EQ(t_->Marks(), marks);
}

TEST_F(PackedTest, RandomValuesRoundTrip) {
  std::mt19937 rng(20240605);
  struct Range {
    int32_t field;
    int integers, decimals;
    bool negative;
  } ranges[] = {{kDec72, 5, 2, true}, {kDec50, 5, 0, true}, {kMoney92, 7, 2, true},
                {kDec83, 5, 3, true}, {kWide, 14, 2, true}, {kMvbcd, 6, 2, false},
                {kMvbcd, 5, 2, true}};
  for (const Range& r : ranges) {
    for (int i = 0; i < 500; ++i) {
      std::string value = RandomDecimal(rng, r.integers, r.decimals, r.negative);
      ASSERT_EQ(PutNumber(*t_, r.field, value), 0) << value;
      ASSERT_EQ(GetNumber(*t_, r.field), value) << r.field;
    }
  }
}

}  // namespace
}  // namespace vv::testing
