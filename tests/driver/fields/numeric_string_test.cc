// Numeric strings (NUMERIC, NUMERIC_SA, NUMERIC_STS) through btrFieldPutBCD
// and btrFieldGetBCD.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/field_table.h"

namespace vv::testing {
namespace {

using driver::kHostBcd;

enum Field {
  kNumeric3 = 1,  // NUMERIC of 3 digits
  kSa3,           // NUMERIC_SA of 3 digits
  kSts3,          // NUMERIC_STS of 3 digits and a sign: 4 bytes
  kNumeric72,     // NUMERIC 7.2
  kNumeric18,     // NUMERIC of 18 digits, more than the host value holds
  kNullable,      // nullable NUMERIC_STS 5.1
};

class NumericStringTest : public FieldFixture {
 protected:
  void SetUp() override {
    FieldFixture::SetUp();
    t_ = &Table({{kHostBcd, BTR_TYPE_NUMERIC, 3, 3},
                 {kHostBcd, BTR_TYPE_NUMERIC_SA, 3, 3},
                 {kHostBcd, BTR_TYPE_NUMERIC_STS, 4, 3},
                 {kHostBcd, BTR_TYPE_NUMERIC, 7, 7, 2},
                 {kHostBcd, BTR_TYPE_NUMERIC, 18, 18},
                 {kHostBcd, BTR_TYPE_NUMERIC_STS, 6, 5, 1, true}},
                TableOptions{.trueNull = true});
  }
  std::string Text(int32_t field) {
    std::vector<uint8_t> bytes = t_->Bytes(field);
    return std::string(bytes.begin(), bytes.end());
  }
  void SetText(int32_t field, const std::string& text) {
    t_->SetBytes(field, std::vector<uint8_t>(text.begin(), text.end()));
  }
  FieldTable* t_ = nullptr;
};

TEST_F(NumericStringTest, SignEncodings) {
  struct Case {
    int32_t field;
    std::string value, text;
  } cases[] = {
      {kNumeric3, "-5", "00N"},
      {kNumeric3, "5", "005"},
      {kNumeric3, "-10", "01}"},
      {kNumeric3, "-999", "99R"},
      {kNumeric3, "-1", "00J"},
      {kSa3, "-5", "00u"},
      {kSa3, "5", "005"},
      {kSa3, "-120", "12p"},
      {kSts3, "-5", "005-"},
      {kSts3, "5", "005+"},
      {kNumeric72, "-12.3", "000123}"},
      {kNumeric72, "12345.67", "1234567"},
      {kNumeric72, "1.239", "0000123"},
      {kNumeric72, "-0.001", "0000000"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PutNumber(*t_, c.field, c.value), 0) << c.value;
    EXPECT_EQ(Text(c.field), c.text) << c.value;
  }
  EXPECT_EQ(host_.error(), 0);
}

TEST_F(NumericStringTest, Decoding) {
  struct Case {
    int32_t field;
    std::string text, value;
  } cases[] = {
      {kNumeric3, "00N", "-5"},
      {kNumeric3, "00E", "5"},
      {kNumeric3, "00{", "0"},
      {kNumeric3, "01}", "-10"},
      {kNumeric3, "00}", "0"},
      {kNumeric3, "12I", "129"},
      {kSa3, "00u", "-5"},
      {kSa3, "12p", "-120"},
      {kSa3, "007", "7"},
      {kSts3, "005-", "-5"},
      {kSts3, "005+", "5"},
      {kSts3, "005 ", "5"},
      {kNumeric72, "123456R", "-12345.69"},
      {kNumeric3, "  7", "7"},
      {kNumeric18, "000012345678901234", "12345678901234"},
  };
  for (const Case& c : cases) {
    SetText(c.field, c.text);
    EXPECT_EQ(GetNumber(*t_, c.field), c.value) << c.text;
  }
  EXPECT_EQ(host_.error(), 0);
  SetText(kNumeric18, "000112345678901234");
  EXPECT_EQ(GetNumber(*t_, kNumeric18), "0");
  EXPECT_EQ(host_.error(), 11) << "integer digits beyond 14 must be zeros";
  EXPECT_EQ(TakeErrorText(), "TABLE.F5");
}

TEST_F(NumericStringTest, StsSignIsRewrittenAndTooManyDigitsAreRefused) {
  EXPECT_EQ(PutNumber(*t_, kSts3, "-5"), 0);
  EXPECT_EQ(Text(kSts3), "005-");
  EXPECT_EQ(PutNumber(*t_, kSts3, "5"), 0);
  EXPECT_EQ(Text(kSts3), "005+");
  t_->ClearMarks();
  std::string marks = t_->Marks();
  EXPECT_EQ(PutNumber(*t_, kSts3, "1000"), 11);
  EXPECT_EQ(TakeErrorText(), "TABLE.F3");
  EXPECT_EQ(Text(kSts3), "005+");
  EXPECT_EQ(t_->Marks(), marks);
}

TEST_F(NumericStringTest, NullReadsAsZeroAndAPutClearsIt) {
  driver::FieldDesc& f = t_->field(kNullable);
  f.bIsNull = 1;
  f.lpData[-1] = 1;
  SetText(kNullable, "00123+");
  EXPECT_EQ(GetNumber(*t_, kNullable), "0");
  t_->ClearMarks();
  EXPECT_EQ(PutNumber(*t_, kNullable, "-4.5"), 0);
  EXPECT_EQ(Text(kNullable), "00045-");
  EXPECT_EQ(f.bIsNull, 0);
  EXPECT_EQ(f.lpData[-1], 0);
  EXPECT_EQ(f.bFieldChanged, 1);
  EXPECT_EQ(GetNumber(*t_, kNullable), "-4.5");
}

TEST_F(NumericStringTest, RandomValuesRoundTrip) {
  std::mt19937 rng(7);
  struct Range {
    int32_t field;
    int integers, decimals;
  } ranges[] = {
      {kNumeric3, 3, 0}, {kSa3, 3, 0}, {kSts3, 3, 0}, {kNumeric72, 5, 2}, {kNumeric18, 14, 0}};
  for (const Range& r : ranges) {
    for (int i = 0; i < 500; ++i) {
      std::string value = RandomDecimal(rng, r.integers, r.decimals, true);
      ASSERT_EQ(PutNumber(*t_, r.field, value), 0) << value;
      ASSERT_EQ(GetNumber(*t_, r.field), value) << r.field;
    }
  }
}

}  // namespace
}  // namespace vv::testing
