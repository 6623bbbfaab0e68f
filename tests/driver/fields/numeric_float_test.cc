// IEEE and BFLOAT fields through btrFieldPutBCD and btrFieldGetBCD, and the
// Microsoft Binary Format conversions themselves.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "driver/fields/mbf.h"
#include "support/field_table.h"

namespace vv::testing {
namespace {

using driver::kHostBcd;

enum Field {
  kIeee4 = 1,  // 22.8 as the dictionary maps floats
  kIeee8,
  kBfloat4,  // 10.3
  kBfloat8,  // 22.8
  kIeee4d2,  // 10.2
  kIeee3,    // no float has 3 bytes
  kIeee4d3,  // 10.3
};

class FloatTest : public FieldFixture {
 protected:
  void SetUp() override {
    FieldFixture::SetUp();
    t_ = &Table({{kHostBcd, BTR_TYPE_FLOAT, 4, 22, 8},
                 {kHostBcd, BTR_TYPE_FLOAT, 8, 22, 8},
                 {kHostBcd, BTR_TYPE_BFLOAT, 4, 10, 3},
                 {kHostBcd, BTR_TYPE_BFLOAT, 8, 22, 8},
                 {kHostBcd, BTR_TYPE_FLOAT, 4, 10, 2},
                 {kHostBcd, BTR_TYPE_FLOAT, 3, 10, 2},
                 {kHostBcd, BTR_TYPE_FLOAT, 4, 10, 3}});
  }
  FieldTable* t_ = nullptr;
};

TEST_F(FloatTest, Patterns) {
  struct Case {
    int32_t field;
    std::string value, bytes, readBack;
  } cases[] = {
      {kIeee4, "1.5", "00 00 C0 3F", "1.5"},
      {kIeee4, "0.1", "CD CC CC 3D", "0.1"},
      {kIeee8, "-123.456", "77 BE 9F 1A 2F DD 5E C0", "-123.456"},
      {kBfloat4, "0", "00 00 00 00", "0"},
      {kBfloat4, "1", "00 00 00 81", "1"},
      {kBfloat4, "-1", "00 00 80 81", "-1"},
      {kBfloat4, "0.5", "00 00 00 80", "0.5"},
      {kBfloat4, "10", "00 00 20 84", "10"},
      {kBfloat8, "1", "00 00 00 00 00 00 00 81", "1"},
      {kBfloat8, "2", "00 00 00 00 00 00 00 82", "2"},
      {kBfloat8, "-0.75", "00 00 00 00 00 00 C0 80", "-0.75"},
      {kIeee4d2, "12.345", "1F 85 45 41", "12.35"},  // printed with 2 decimals
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PutNumber(*t_, c.field, c.value), 0) << c.value;
    EXPECT_EQ(HexOf(t_->Bytes(c.field)), c.bytes) << c.value;
    EXPECT_EQ(GetNumber(*t_, c.field), c.readBack) << c.value;
  }
  EXPECT_EQ(host_.error(), 0);
}

TEST_F(FloatTest, OtherLengthsHaveNoFloatForm) {
  t_->SetBytes(kIeee3, Hex("01 02 03"));
  EXPECT_EQ(GetNumber(*t_, kIeee3), "0");
  EXPECT_EQ(PutNumber(*t_, kIeee3, "5"), 0);
  EXPECT_EQ(HexOf(t_->Bytes(kIeee3)), "01 02 03");
}

TEST_F(FloatTest, TheHostsDecimalSeparatorIsUsed) {
  host_.set_decimal_separator(',');
  EXPECT_EQ(PutNumber(*t_, kIeee8, "2.25"), 0);
  EXPECT_EQ(GetNumber(*t_, kIeee8), "2.25");
  EXPECT_EQ(host_.error(), 0);
}

TEST_F(FloatTest, RandomValuesRoundTrip) {
  std::mt19937 rng(99);
  struct Range {
    int32_t field;
    int integers, decimals;
  } ranges[] = {{kIeee8, 6, 8}, {kBfloat8, 6, 8}, {kIeee4d3, 3, 3}, {kBfloat4, 3, 3}};
  for (const Range& r : ranges) {
    for (int i = 0; i < 500; ++i) {
      std::string value = RandomDecimal(rng, r.integers, r.decimals, true);
      ASSERT_EQ(PutNumber(*t_, r.field, value), 0) << value;
      ASSERT_EQ(GetNumber(*t_, r.field), value) << r.field;
    }
  }
}

TEST(MbfTest, LimitsOfTheFormat) {
  uint8_t mbf[8];
  std::memset(mbf, 0xAA, sizeof mbf);
  EXPECT_FALSE(driver::mvbtrIeeeToMbf4(3e38f, mbf)) << "IEEE exponent 254";
  EXPECT_FALSE(driver::mvbtrIeeeToMbf4(std::numeric_limits<float>::infinity(), mbf));
  EXPECT_FALSE(driver::mvbtrIeeeToMbf8(1e300, mbf));
  EXPECT_FALSE(driver::mvbtrIeeeToMbf8(std::ldexp(1.0, 127), mbf)) << "MBF exponent 256";
  EXPECT_TRUE(driver::mvbtrIeeeToMbf8(std::ldexp(1.5, 126), mbf));
  EXPECT_EQ(driver::mvbtrMbf8ToIeee(mbf), std::ldexp(1.5, 126));
  std::memset(mbf, 0xAA, sizeof mbf);
  EXPECT_FALSE(driver::mvbtrIeeeToMbf8(std::ldexp(1.0, 200), mbf));
  EXPECT_EQ(mbf[0], 0xAA) << "nothing written on failure";
  EXPECT_TRUE(driver::mvbtrIeeeToMbf4(1e38f, mbf));
  EXPECT_EQ(driver::mvbtrMbf4ToIeee(mbf), 1e38f);
  EXPECT_TRUE(driver::mvbtrIeeeToMbf4(FLT_TRUE_MIN, mbf));
  EXPECT_EQ(HexOf({mbf, mbf + 4}), "00 00 00 00") << "denormals become 0";
  EXPECT_TRUE(driver::mvbtrIeeeToMbf8(1e-300, mbf));
  EXPECT_EQ(driver::mvbtrMbf8ToIeee(mbf), 0.0);
  const uint8_t tiny[4] = {0x12, 0x34, 0x56, 0x02};
  EXPECT_EQ(driver::mvbtrMbf4ToIeee(tiny), 0.0f) << "below the IEEE range";
}

TEST(MbfTest, RandomValuesInRangeRoundTripExactly) {
  std::mt19937_64 rng(5);
  uint8_t mbf[8];
  for (int i = 0; i < 10000; ++i) {
    uint64_t bits = rng();
    // Exponents both formats hold.
    uint32_t single =
        (static_cast<uint32_t>(bits) & 0x807FFFFF) | (static_cast<uint32_t>(1 + bits % 253) << 23);
    float f;
    std::memcpy(&f, &single, sizeof f);
    ASSERT_TRUE(driver::mvbtrIeeeToMbf4(f, mbf));
    ASSERT_EQ(driver::mvbtrMbf4ToIeee(mbf), f);
    uint64_t wide = (bits & 0x800FFFFFFFFFFFFFULL) | (uint64_t{895 + bits % 255} << 52);
    double d;
    std::memcpy(&d, &wide, sizeof d);
    ASSERT_TRUE(driver::mvbtrIeeeToMbf8(d, mbf));
    ASSERT_EQ(driver::mvbtrMbf8ToIeee(mbf), d);
  }
}

}  // namespace
}  // namespace vv::testing
