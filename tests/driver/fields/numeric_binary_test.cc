// Binary numbers through btrFieldPutBCD and btrFieldGetBCD: integers of every
// length, UNSIGNED, AUTOINCREMENT, LOGICAL, bit fields, currency and
// timestamp, with their ranges.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/field_table.h"

namespace vv::testing {
namespace {

using driver::kHostBcd;

enum Field {
  kInt1 = 1,
  kInt2,
  kInt4,
  kInt8,
  kInt3,  // no such integer length
  kUns1,
  kUns2,
  kUns4,
  kAuto4,
  kLogical,
  kBits,  // bit field, mask 0x06
  kCurrency,
  kTimestamp,
};

class BinaryTest : public FieldFixture {
 protected:
  void SetUp() override {
    FieldFixture::SetUp();
    t_ = &Table({{kHostBcd, BTR_TYPE_INTEGER, 1, 3},
                 {kHostBcd, BTR_TYPE_INTEGER, 2, 5},
                 {kHostBcd, BTR_TYPE_INTEGER, 4, 10},
                 {kHostBcd, BTR_TYPE_INTEGER, 8, 14},
                 {kHostBcd, BTR_TYPE_INTEGER, 3, 14},
                 {kHostBcd, BTR_TYPE_UNSIGNED, 1, 3},
                 {kHostBcd, BTR_TYPE_UNSIGNED, 2, 5},
                 {kHostBcd, BTR_TYPE_UNSIGNED, 4, 10},
                 {kHostBcd, BTR_TYPE_AUTOINCREMENT, 4, 10},
                 {kHostBcd, BTR_TYPE_LOGICAL, 1, 3},
                 {kHostBcd, BTR_TYPE_BIT, 1, 1, 0x06},
                 {kHostBcd, BTR_TYPE_CURRENCY, 8, 18, 4},
                 {kHostBcd, BTR_TYPE_TIMESTAMP, 8, 18, 7}});
  }
  FieldTable* t_ = nullptr;
};

TEST_F(BinaryTest, BytesOfEachLength) {
  struct Case {
    int32_t field;
    std::string value, bytes, readBack;
  } cases[] = {
      {kInt1, "255", "FF", "255"},
      {kInt1, "0", "00", "0"},
      {kInt1, "7.9", "07", "7"},  // the host's integer value
      {kInt2, "-32768", "00 80", "-32768"},
      {kInt2, "32767", "FF 7F", "32767"},
      {kInt4, "-2147483648", "00 00 00 80", "-2147483648"},
      {kInt4, "2147483647", "FF FF FF 7F", "2147483647"},
      {kInt8, "-99999999999999", "01 C0 85 EF 0C A5 FF FF", "-99999999999999"},
      {kInt8, "1", "01 00 00 00 00 00 00 00", "1"},
      {kUns1, "255", "FF", "255"},
      {kUns2, "65535", "FF FF", "65535"},
      {kUns4, "4294967295", "FF FF FF FF", "4294967295"},
      {kAuto4, "-5", "FB FF FF FF", "-5"},
      {kLogical, "255", "FF", "-1"},  // read back as a signed byte
      {kLogical, "1", "01", "1"},
      {kCurrency, "12.3456", "40 E2 01 00 00 00 00 00", "12.3456"},
      {kCurrency, "-0.0001", "FF FF FF FF FF FF FF FF", "-0.0001"},
      {kTimestamp, "1", "80 96 98 00 00 00 00 00", "1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PutNumber(*t_, c.field, c.value), 0) << c.value;
    EXPECT_EQ(HexOf(t_->Bytes(c.field)), c.bytes) << c.value;
    EXPECT_EQ(GetNumber(*t_, c.field), c.readBack) << c.value;
  }
  EXPECT_EQ(host_.error(), 0);
}

TEST_F(BinaryTest, OutOfRangePutsLeaveTheFieldAndItsMarks) {
  struct Case {
    int32_t field;
    std::string value;
    int16_t error;
    std::string context;
  } cases[] = {
      {kInt1, "300", 11, "F1"},        {kInt1, "256", 11, "F1"},
      {kInt1, "-1", 20565, "F1"},      {kInt2, "32768", 11, "F2"},
      {kInt2, "-32769", 11, "F2"},     {kInt4, "2147483648", 11, "F3"},
      {kInt8, "1.5", 11, "TABLE.F4"},  {kInt3, "1", 20482, "F5"},
      {kUns1, "-1", 11, "F6"},         {kUns2, "65536", 11, "F7"},
      {kUns4, "4294967296", 11, "F8"}, {kLogical, "256", 20503, ""},
      {kLogical, "-1", 20503, ""},     {kCurrency, "1.00001", 11, "TABLE.F12"},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> before = t_->Bytes(c.field);
    t_->ClearMarks();
    std::string marks = t_->Marks();
    EXPECT_EQ(PutNumber(*t_, c.field, c.value), c.error) << c.value;
    EXPECT_EQ(TakeErrorText(), c.context) << c.value;
    EXPECT_EQ(t_->Bytes(c.field), before) << c.value;
    EXPECT_EQ(t_->Marks(), marks) << c.value;
  }
}

TEST_F(BinaryTest, ReadingOddPatterns) {
  t_->SetBytes(kInt1, Hex("FF"));
  EXPECT_EQ(GetNumber(*t_, kInt1), "255") << "a 1-byte INTEGER reads as unsigned";
  t_->SetBytes(kInt8, Hex("00 00 00 00 00 00 00 80"));
  EXPECT_EQ(GetNumber(*t_, kInt8), "0");
  EXPECT_EQ(host_.error(), 11) << "more than 14 digits";
  EXPECT_EQ(TakeErrorText(), "TABLE.F4");
  GetNumber(*t_, kInt3);
  EXPECT_EQ(host_.error(), 20482);
  EXPECT_EQ(TakeErrorText(), "F5");
  t_->SetBytes(kCurrency, Hex("40 E2 01 00 00 00 00 00"));  // 123456
  EXPECT_EQ(GetNumber(*t_, kCurrency), "12.3456");
  t_->SetBytes(kCurrency, Hex("00 00 64 A7 B3 B6 E0 0D"));  // 10^18
  GetNumber(*t_, kCurrency);
  EXPECT_EQ(TakeError(), 11);
}

TEST_F(BinaryTest, BitFieldsTouchOnlyTheirMask) {
  t_->SetBytes(kBits, Hex("81"));
  EXPECT_EQ(GetNumber(*t_, kBits), "0");
  EXPECT_EQ(PutNumber(*t_, kBits, "1"), 0);
  EXPECT_EQ(HexOf(t_->Bytes(kBits)), "87");
  EXPECT_EQ(GetNumber(*t_, kBits), "1");
  EXPECT_EQ(PutNumber(*t_, kBits, "0"), 0);
  EXPECT_EQ(HexOf(t_->Bytes(kBits)), "81");
}

TEST_F(BinaryTest, Timestamps) {
  t_->SetBytes(kTimestamp, Hex("80 96 98 00 00 00 00 00"));  // ten million
  EXPECT_EQ(GetNumber(*t_, kTimestamp), "1");
  t_->SetBytes(kTimestamp, Hex("C0 E1 E4 00 00 00 00 00"));  // fifteen million
  EXPECT_EQ(GetNumber(*t_, kTimestamp), "1.5");
  t_->SetBytes(kTimestamp, Hex("FF FF FF FF FF FF FF FF"));  // -1
  EXPECT_EQ(GetNumber(*t_, kTimestamp), "-0.0000001");
  EXPECT_EQ(PutNumber(*t_, kTimestamp, "-2.12345678"), 0);
  EXPECT_EQ(GetNumber(*t_, kTimestamp), "-2.1234567") << "the eighth decimal is dropped";
  EXPECT_EQ(PutNumber(*t_, kTimestamp, "99999999999999"), 11) << "beyond 64 bits";
  EXPECT_EQ(TakeErrorText(), "TABLE.F13");
  EXPECT_EQ(host_.error(), 0);
}

TEST_F(BinaryTest, RandomValuesRoundTrip) {
  std::mt19937 rng(42);
  std::uniform_int_distribution<int64_t> any32(INT32_MIN, INT32_MAX);
  std::uniform_int_distribution<int64_t> any16(-32768, 32767);
  std::uniform_int_distribution<int64_t> byte(0, 255);
  std::uniform_int_distribution<int64_t> uns32(0, UINT32_MAX);
  for (int i = 0; i < 500; ++i) {
    struct Pick {
      int32_t field;
      std::string value;
    } picks[] = {
        {kInt1, std::to_string(byte(rng))},           {kInt2, std::to_string(any16(rng))},
        {kInt4, std::to_string(any32(rng))},          {kAuto4, std::to_string(any32(rng))},
        {kUns1, std::to_string(byte(rng))},           {kUns2, std::to_string(any16(rng) + 32768)},
        {kUns4, std::to_string(uns32(rng))},          {kInt8, RandomDecimal(rng, 14, 0, true)},
        {kCurrency, RandomDecimal(rng, 14, 4, true)}, {kTimestamp, RandomDecimal(rng, 11, 7, true)},
    };
    for (const Pick& p : picks) {
      ASSERT_EQ(PutNumber(*t_, p.field, p.value), 0) << p.value;
      ASSERT_EQ(GetNumber(*t_, p.field), p.value) << p.field;
    }
  }
}

}  // namespace
}  // namespace vv::testing
