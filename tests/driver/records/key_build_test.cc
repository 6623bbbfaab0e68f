// The Btrieve key built from a record buffer: segments in order, a null
// indicator byte in front of a segment that has one, and a key buffer that is
// never written past its end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/records/key_build.h"
#include "support/field_table.h"

namespace vv::testing {
namespace {

using driver::kHostAscii;
using driver::kHostBcd;

class KeyBuildTest : public FieldFixture {};

TEST_F(KeyBuildTest, SegmentsWithNullIndicators) {
  FieldTable& t = Table({{kHostAscii, BTR_TYPE_STRING, 3, 3},
                         {kHostBcd, BTR_TYPE_INTEGER, 2, 5, 0, true},
                         {kHostBcd, BTR_TYPE_INTEGER, 1, 3}},
                        TableOptions{.trueNull = true});
  t.SetBytes(1, Hex("41 42 43"));
  t.SetBytes(2, Hex("34 12"));
  t.SetBytes(3, Hex("07"));
  driver::SegmentDesc segments[4] = {};
  segments[1].lpField = &t.field(3);
  segments[2].lpField = &t.field(2);
  segments[2].bNullSegment = 1;
  segments[3].lpField = &t.field(1);
  driver::IndexDesc index{};
  index.nSegments = 3;
  index.lpSegments = segments;

  struct Case {
    uint8_t isNull;
    int32_t size;
    std::string key;
  };
  for (const Case& c :
       {Case{0, 8, "07 00 34 12 41 42 43 EE"}, Case{1, 8, "07 01 34 12 41 42 43 EE"},
        Case{0, 5, "07 00 34 12 EE EE EE EE"}}) {
    t.field(2).bIsNull = c.isNull;
    std::vector<uint8_t> key(8, 0xEE);
    const int32_t built = driver::mvbtrRecordKeyBuild(t.file(), &index, key.data(), c.size);
    EXPECT_EQ(HexOf(key), c.key);
    EXPECT_EQ(built, c.size == 8 ? 7 : 4) << "a segment that does not fit ends the key";
  }
}

}  // namespace
}  // namespace vv::testing
