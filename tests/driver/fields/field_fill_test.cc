// btrFieldFill: the lowest and highest value of each Btrieve type.
#include <gtest/gtest.h>

#include <string>

#include "driver/frame/util/memory.h"
#include "support/field_table.h"

namespace vv::testing {
namespace {

using driver::kHostAscii;
using driver::kHostBcd;
using driver::kHostDate;

constexpr int32_t kLow = 1;
constexpr int32_t kHigh = 2;

class FieldFillTest : public FieldFixture {};

TEST_F(FieldFillTest, LowAndHighOfEachType) {
  struct Case {
    FieldDef def;
    std::string low, high;
  } cases[] = {
      {{kHostAscii, BTR_TYPE_STRING, 3, 3}, "00 00 00", "FF FF FF"},  // low: an empty put
      {{kHostBcd, BTR_TYPE_LOGICAL, 1, 3}, "00", "00"},  // numeric: the text put changes nothing
      {{kHostAscii, BTR_TYPE_LSTRING, 4, 3}, "00 00 00 00", "00 FF FF FF"},
      {{kHostAscii, BTR_TYPE_ZSTRING, 4, 3}, "00 00 00 00", "FF FF FF 00"},
      {{kHostBcd, BTR_TYPE_INTEGER, 1, 3}, "80", "7F"},
      {{kHostBcd, BTR_TYPE_INTEGER, 2, 5}, "00 80", "FF 7F"},
      {{kHostBcd, BTR_TYPE_AUTOINCREMENT, 4, 10}, "00 00 00 80", "FF FF FF 7F"},
      {{kHostBcd, BTR_TYPE_INTEGER, 8, 14}, "00 00 00 00 00 00 00 00", "00 00 00 00 00 00 00 00"},
      {{kHostBcd, BTR_TYPE_UNSIGNED, 2, 5}, "00 00", "FF FF"},
      {{kHostDate, BTR_TYPE_DATE, 4, 4}, "00 00 00 00", "1F 0C B8 0B"},
      {{kHostBcd, BTR_TYPE_TIME, 4, 8}, "00 00 00 00", "63 3B 3B 17"},
      {{kHostBcd, BTR_TYPE_DECIMAL, 3, 5}, "99 99 9D", "99 99 9F"},
      {{kHostBcd, BTR_TYPE_MONEY, 2, 3}, "99 9D", "99 9F"},
      {{kHostBcd, BTR_TYPE_NUMERIC, 3, 3}, "39 39 52", "39 39 49"},
      {{kHostBcd, BTR_TYPE_NUMERIC_STS, 3, 2}, "39 39 2D", "39 39 2B"},
      {{kHostBcd, BTR_TYPE_NUMERIC_SA, 3, 3}, "39 39 79", "39 39 39"},
      {{kHostBcd, BTR_TYPE_FLOAT, 4, 22, 8}, "FF FF 7F FF", "FF FF FF FF"},
      {{kHostBcd, BTR_TYPE_FLOAT, 8, 22, 8}, "FF FF FF FF FF FF EF FF", "FF FF FF FF FF FF FF FF"},
      {{kHostBcd, BTR_TYPE_BFLOAT, 4, 22, 8}, "FF FF FF FF", "FF FF FF FF"},
      {{kHostBcd, BTR_TYPE_CURRENCY, 8, 18, 4},
       "00 00 00 00 00 00 00 00",
       "00 00 00 00 00 00 00 00"},
  };
  for (const Case& c : cases) {
    for (int32_t direction : {kLow, kHigh}) {
      FieldTable& t = Table({c.def});
      t.SetBytes(1, std::vector<uint8_t>(static_cast<std::size_t>(c.def.size), 0));
      t.ClearMarks();
      EXPECT_EQ(btrFieldFill(t.handle(), 1, direction), 0);
      EXPECT_EQ(HexOf(t.Bytes(1)), direction == kLow ? c.low : c.high)
          << "type " << c.def.btrType << " size " << c.def.size << " direction " << direction;
      EXPECT_EQ(t.field(1).bFieldChanged, 1) << "marked even when unchanged";
      EXPECT_EQ(t.file()->bChanged, 1);
    }
  }
  EXPECT_EQ(host_.error(), 0);
}

TEST_F(FieldFillTest, FillBytesOfTheTable) {
  FieldTable& t = Table({{kHostAscii, BTR_TYPE_STRING, 4, 4}});
  t.SetBytes(1, Hex("41 42 43 44"));
  EXPECT_EQ(btrFieldFill(t.handle(), 1, kLow), 0);
  EXPECT_EQ(HexOf(t.Bytes(1)), "41 42 43 44") << "a low fill byte of 0 puts an empty value";
  EXPECT_EQ(t.field(1).bFieldChanged, 1);
  globals()->bPadString = 1;
  EXPECT_EQ(btrFieldFill(t.handle(), 1, kLow), 0);
  EXPECT_EQ(HexOf(t.Bytes(1)), "20 20 20 20") << "with PAD_STRING the empty value is blanks";
  EXPECT_EQ(t.file()->nFillHigh, 0);
  EXPECT_EQ(btrFieldFill(t.handle(), 1, 0), 0);
  EXPECT_EQ(t.file()->nFillHigh, 0xFF) << "0 becomes 0xFF at the first high fill";
  t.file()->nFillHigh = 'z';
  t.file()->nFillLow = 'a';
  EXPECT_EQ(btrFieldFill(t.handle(), 1, 7), 0);
  EXPECT_EQ(HexOf(t.Bytes(1)), "7A 7A 7A 7A");
  EXPECT_EQ(btrFieldFill(t.handle(), 1, kLow), 0);
  EXPECT_EQ(HexOf(t.Bytes(1)), "61 61 61 61");
}

TEST_F(FieldFillTest, CharTablesConvertTheFillBytes) {
  FieldTable& t =
      Table({{kHostAscii, BTR_TYPE_STRING, 2, 2}}, TableOptions{.charSet = driver::kCharSetChar});
  EXPECT_EQ(btrFieldFill(t.handle(), 1, kHigh), 0);
  EXPECT_EQ(HexOf(t.Bytes(1)), "A0 A0") << "0xFF of the OEM code page in the ANSI one";
}

TEST_F(FieldFillTest, ErrorsChangeNothing) {
  FieldTable& t = Table({{kHostBcd, BTR_TYPE_INTEGER, 2, 5}});
  t.ClearMarks();
  driver::AllocFailureSet(1);
  EXPECT_EQ(btrFieldFill(t.handle(), 1, kHigh), 10);
  EXPECT_EQ(TakeErrorText(), "mvbtrFieldFill");
  EXPECT_EQ(HexOf(t.Bytes(1)), "00 00");
  EXPECT_EQ(t.file()->bChanged, 0);
  EXPECT_EQ(btrFieldFill(t.handle(), 2, kHigh), 77);
  EXPECT_EQ(TakeErrorText(), "btrFieldFill");
  EXPECT_EQ(btrFieldFill(t.handle() + 9, 1, kHigh), 72);
  TakeError();
}

}  // namespace
}  // namespace vv::testing
