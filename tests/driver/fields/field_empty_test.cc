// The empty value of each field type and the null indicator byte.
#include <gtest/gtest.h>

#include <string>

#include "driver/fields/field_empty.h"
#include "support/field_table.h"

namespace vv::testing {
namespace {

using driver::kHostAscii;
using driver::kHostBcd;
using driver::kHostOverlap;

class FieldEmptyTest : public FieldFixture {
 protected:
  std::string Empty(const FieldDef& def, bool isNull = false) {
    FieldTable& t = Table({def});
    t.SetBytes(1, std::vector<uint8_t>(static_cast<std::size_t>(def.size), 0xAA));
    t.field(1).bIsNull = isNull ? 1 : 0;
    driver::mvbtrFieldSetEmpty(t.file(), &t.field(1));
    return HexOf(t.Bytes(1));
  }
};

TEST_F(FieldEmptyTest, EmptyValueByType) {
  EXPECT_EQ(Empty({kHostAscii, BTR_TYPE_STRING, 3, 3}), "20 20 20");
  EXPECT_EQ(Empty({kHostAscii, BTR_TYPE_ZSTRING, 3, 2}), "00 00 00");
  EXPECT_EQ(Empty({kHostBcd, BTR_TYPE_FLOAT, 4, 22, 8}), "00 00 00 00");
  EXPECT_EQ(Empty({kHostBcd, BTR_TYPE_INTEGER, 2, 5}), "00 00");
  EXPECT_EQ(Empty({kHostBcd, BTR_TYPE_DECIMAL, 3, 5}), "00 00 0F");
  EXPECT_EQ(Empty({kHostBcd, BTR_TYPE_NUMERIC, 3, 3}), "30 30 30");
  EXPECT_EQ(Empty({kHostBcd, BTR_TYPE_NUMERIC_SA, 3, 3}), "30 30 30");
  EXPECT_EQ(Empty({kHostBcd, BTR_TYPE_NUMERIC_STS, 3, 2}), "30 30 2B");
  EXPECT_EQ(Empty({kHostBcd, BTR_TYPE_NUMERIC, 3, 3}, true), "00 00 00");
  EXPECT_EQ(Empty({kHostBcd, BTR_TYPE_NUMERIC_STS, 3, 2}, true), "00 00 00");
  EXPECT_EQ(Empty({kHostOverlap, BTR_TYPE_STRING, 2, 2}), "AA AA") << "overlaps are skipped";
  globals()->nComp3SignPos = 0x0C;
  EXPECT_EQ(Empty({kHostBcd, BTR_TYPE_MONEY, 2, 3}), "00 0C");
}

TEST_F(FieldEmptyTest, NullIndicatorFollowsTheNullFlag) {
  FieldTable& t =
      Table({{kHostBcd, BTR_TYPE_NUMERIC, 3, 3, 0, true}, {kHostBcd, BTR_TYPE_NUMERIC, 3, 3}},
            TableOptions{.trueNull = true});
  driver::FieldDesc& f = t.field(1);
  ASSERT_EQ(f.lpData[-1], 0);
  t.SetBytes(1, Hex("31 32 33"));
  driver::mvbtrFieldSetNullIndicator(t.file(), &f);
  EXPECT_EQ(HexOf(t.Bytes(1)), "31 32 33") << "indicator and flag agree: nothing happens";
  f.bIsNull = 1;
  driver::mvbtrFieldSetNullIndicator(t.file(), &f);
  EXPECT_EQ(f.lpData[-1], 1);
  EXPECT_EQ(HexOf(t.Bytes(1)), "00 00 00");
  f.bIsNull = 0;
  driver::mvbtrFieldSetNullIndicator(t.file(), &f);
  EXPECT_EQ(f.lpData[-1], 0);
  EXPECT_EQ(HexOf(t.Bytes(1)), "30 30 30");
  // Fields that cannot be null have no indicator byte to set.
  driver::FieldDesc& g = t.field(2);
  g.bIsNull = 1;
  uint8_t before = g.lpData[-1];
  t.SetBytes(2, Hex("31 32 33"));
  driver::mvbtrFieldSetNullIndicator(t.file(), &g);
  EXPECT_EQ(g.lpData[-1], before);
  EXPECT_EQ(HexOf(t.Bytes(2)), "31 32 33");
}

}  // namespace
}  // namespace vv::testing
