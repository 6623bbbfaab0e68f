// The check's key order where the run of -check on a file with keys of many
// types (vvbutil_maintenance_test.cc) meets no such values, and the null-key
// rules.
#include "vvbutil/key_order.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "veverave/btrieve.h"

namespace {

using vv::butil::FileKey;
using vv::butil::SegmentLayout;

SegmentLayout Seg(uint8_t type, uint16_t length, uint16_t flags = 0) {
  SegmentLayout s;
  s.position = 1;
  s.length = length;
  s.type = type;
  s.flags = static_cast<uint16_t>(flags | BTR_KEY_EXTENDED_TYPE);
  return s;
}

FileKey Key(std::vector<SegmentLayout> segments) {
  FileKey key;
  for (std::size_t i = 0; i + 1 < segments.size(); ++i) segments[i].flags |= BTR_KEY_SEGMENTED;
  key.segments = std::move(segments);
  return key;
}

std::string B(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

TEST(KeyOrderTest, ValuesOrderByTheirTypes) {
  struct Case {
    const char* what;
    FileKey key;
    std::string a, b;
    int order;  // sign of a against b
  };
  vv::butil::AcsBlock reversed{};
  reversed[0] = BTR_ACS_SIGNATURE;
  for (int i = 0; i < 256; ++i) reversed[9 + i] = static_cast<uint8_t>(255 - i);
  SegmentLayout acs = Seg(BTR_TYPE_STRING, 1, BTR_KEY_ACS);
  const double nan = std::nan("");
  const double one = 1.0;
  std::string nanBytes(8, '\0');
  std::string oneBytes(8, '\0');
  std::memcpy(nanBytes.data(), &nan, 8);
  std::memcpy(oneBytes.data(), &one, 8);
  const Case cases[] = {
      {"no-case folds a-z only", Key({Seg(BTR_TYPE_STRING, 2, BTR_KEY_NO_CASE)}), "aB", "Ab", 0},
      {"no-case keeps other bytes", Key({Seg(BTR_TYPE_STRING, 1, BTR_KEY_NO_CASE)}), "_", "a", 1},
      {"collating sequence", Key({acs}), "a", "b", 1},
      {"zstring prefix first", Key({Seg(BTR_TYPE_ZSTRING, 3)}), B({'a', 0, 0}), B({'a', 'b', 0}),
       -1},
      {"old-style binary", Key({{1, 3, BTR_KEY_BINARY, 0, 0, 0, 0, 0}}), B({9, 0, 0}), B({0, 0, 1}),
       -1},
      {"float NaN last", Key({Seg(BTR_TYPE_FLOAT, 8)}), nanBytes, oneBytes, 1},
      {"decimal -0 equals +0", Key({Seg(BTR_TYPE_DECIMAL, 2)}), B({0, 0x0D}), B({0, 0x0F}), 0},
      {"numeric overpunch negative", Key({Seg(BTR_TYPE_NUMERIC, 3)}), "01J", "011", -1},
      {"numeric -0 equals 0", Key({Seg(BTR_TYPE_NUMERIC, 2)}), "0}", "00", 0},
      {"numericsa", Key({Seg(BTR_TYPE_NUMERIC_SA, 2)}), "1q", "11", -1},
      {"numericsts", Key({Seg(BTR_TYPE_NUMERIC_STS, 3)}), "09-", "01+", -1},
      {"bfloat negative", Key({Seg(BTR_TYPE_BFLOAT, 4)}), B({0, 0, 0x80, 0x81}), B({0, 0, 0, 0}),
       -1},
      {"bfloat exponent", Key({Seg(BTR_TYPE_BFLOAT, 4)}), B({0, 0, 0x7F, 0x81}), B({0, 0, 0, 0x82}),
       -1},
      {"second segment decides",
       Key({Seg(BTR_TYPE_STRING, 1), Seg(BTR_TYPE_INTEGER, 1, BTR_KEY_DESCENDING)}), "a\x01",
       "a\x02", 1},
      {"null indicator first", Key({Seg(BTR_TYPE_NULL_INDICATOR, 1), Seg(BTR_TYPE_STRING, 1)}),
       "\x01z", B({0, 'a'}), -1},
      {"two nulls equal", Key({Seg(BTR_TYPE_NULL_INDICATOR, 1), Seg(BTR_TYPE_STRING, 1)}),
       B({1, 'z'}), B({1, 'a'}), 0},
  };
  for (const Case& c : cases) {
    const int got = vv::butil::CompareKeyValues(c.key, c.a, c.b, {reversed});
    EXPECT_EQ((got > 0) - (got < 0), c.order) << c.what;
    const int back = vv::butil::CompareKeyValues(c.key, c.b, c.a, {reversed});
    EXPECT_EQ((back > 0) - (back < 0), -c.order) << c.what;
  }
}

TEST(KeyOrderTest, NullKeyRulesLeaveRecordsOut) {
  SegmentLayout blankA = Seg(BTR_TYPE_STRING, 2, BTR_KEY_NULL_ALL);
  blankA.null_value = ' ';
  SegmentLayout blankB = blankA;
  const FileKey all = Key({blankA, blankB});
  EXPECT_TRUE(vv::butil::LeavesOut(all, "    "));
  EXPECT_FALSE(vv::butil::LeavesOut(all, "  x "));
  blankA.flags = blankB.flags = BTR_KEY_NULL_ANY | BTR_KEY_EXTENDED_TYPE;
  const FileKey any = Key({blankA, blankB});
  EXPECT_TRUE(vv::butil::LeavesOut(any, "  x "));
  EXPECT_FALSE(vv::butil::LeavesOut(any, " xx "));
  // Without a null flag nothing is left out; null indicators do not count.
  EXPECT_FALSE(vv::butil::LeavesOut(Key({Seg(BTR_TYPE_STRING, 2)}), "\0\0"));
  SegmentLayout indicator = Seg(BTR_TYPE_NULL_INDICATOR, 1, BTR_KEY_NULL_ALL);
  indicator.null_value = 1;
  EXPECT_FALSE(
      vv::butil::LeavesOut(Key({indicator, Seg(BTR_TYPE_STRING, 1, BTR_KEY_NULL_ALL)}), "\x01x"));

  std::string value;
  FileKey split = Key({Seg(BTR_TYPE_STRING, 2), Seg(BTR_TYPE_STRING, 1)});
  split.segments[1].position = 4;
  EXPECT_TRUE(vv::butil::KeyOfRecord(split, "abcd", &value));
  EXPECT_EQ(value, "abd");
  EXPECT_FALSE(vv::butil::KeyOfRecord(split, "abc", &value));
}

}  // namespace
