// The comparison shortcuts of plain keys must order exactly as the general
// comparison does, and only keys whose order they capture may take them.
#include "engine/key_order.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "veverave/btrieve.h"

namespace vv::engine {
namespace {

KeySegment Seg(uint8_t type, uint16_t length, uint16_t flags = BTR_KEY_EXTENDED_TYPE) {
  KeySegment s;
  s.position = 1;
  s.length = length;
  s.flags = flags;
  s.type = type;
  return s;
}

KeyDef Key(std::vector<KeySegment> segments) {
  uint16_t position = 1;
  for (KeySegment& s : segments) {
    s.position = position;
    position = static_cast<uint16_t>(position + s.length);
  }
  KeyDef key;
  key.segments = std::move(segments);
  return key;
}

int Sign(int v) {
  return (v > 0) - (v < 0);
}

// Values that sit on the edges of signed and unsigned orders, then random ones.
std::vector<std::vector<uint8_t>> Values(std::size_t length, std::mt19937& random) {
  std::vector<std::vector<uint8_t>> values;
  for (const uint8_t fill : {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF}) {
    values.emplace_back(length, fill);
    std::vector<uint8_t> top(length, 0);
    top[length - 1] = fill;  // the most significant byte of a little-endian number
    values.push_back(top);
    std::vector<uint8_t> low(length, fill);
    low[0] = static_cast<uint8_t>(fill ^ 1);
    values.push_back(low);
  }
  for (int i = 0; i < 200; ++i) {
    std::vector<uint8_t> v(length);
    for (uint8_t& b : v) b = static_cast<uint8_t>(random() % 4 == 0 ? 0x80 : random());
    values.push_back(v);
    // Its neighbour in the last byte only.
    v[length - 1] = static_cast<uint8_t>(v[length - 1] + 1);
    values.push_back(v);
  }
  return values;
}

TEST(KeyOrderTest, ShortcutsOrderAsTheGeneralComparison) {
  const struct {
    KeyDef key;
    KeyOrder order;
  } cases[] = {
      {Key({Seg(BTR_TYPE_STRING, 30)}), KeyOrder::kBytes},
      {Key({Seg(BTR_TYPE_STRING, 3), Seg(BTR_TYPE_STRING, 5)}), KeyOrder::kBytes},
      {Key({Seg(BTR_TYPE_STRING, 6, 0)}), KeyOrder::kBytes},  // not extended: a string
      {Key({Seg(BTR_TYPE_INTEGER, 2)}), KeyOrder::kSigned16},
      {Key({Seg(BTR_TYPE_INTEGER, 4)}), KeyOrder::kSigned32},
      {Key({Seg(BTR_TYPE_INTEGER, 8)}), KeyOrder::kSigned64},
      {Key({Seg(BTR_TYPE_AUTOINCREMENT, 4)}), KeyOrder::kSigned32},
      {Key({Seg(BTR_TYPE_CURRENCY, 8)}), KeyOrder::kSigned64},
      {Key({Seg(BTR_TYPE_UNSIGNED, 2)}), KeyOrder::kUnsigned16},
      {Key({Seg(BTR_TYPE_UNSIGNED, 4)}), KeyOrder::kUnsigned32},
      {Key({Seg(BTR_TYPE_UNSIGNED, 8)}), KeyOrder::kUnsigned64},
      {Key({Seg(BTR_TYPE_LOGICAL, 2)}), KeyOrder::kUnsigned16},
      {Key({Seg(BTR_TYPE_DATE, 4)}), KeyOrder::kUnsigned32},
      {Key({Seg(BTR_TYPE_TIME, 4)}), KeyOrder::kUnsigned32},
      {Key({Seg(BTR_TYPE_TIMESTAMP, 8)}), KeyOrder::kUnsigned64},
      // An old-style binary segment is unsigned, not a string.
      {Key({Seg(BTR_TYPE_STRING, 4, BTR_KEY_BINARY)}), KeyOrder::kUnsigned32},
  };
  std::mt19937 random(7);
  const std::vector<Acs> acs;
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << "type " << int{c.key.segments[0].type} << " length " << c.key.length());
    ASSERT_EQ(OrderOf(c.key), c.order);
    const auto values = Values(c.key.length(), random);
    for (const auto& a : values) {
      for (const auto& b : values) {
        ASSERT_EQ(Sign(CompareInOrder(c.order, c.key.length(), a.data(), b.data())),
                  Sign(CompareKeys(c.key, a.data(), b.data(), acs)));
      }
    }
  }
}

TEST(KeyOrderTest, KeysWithTheirOwnRulesTakeTheGeneralComparison) {
  const KeyDef general[] = {
      Key({Seg(BTR_TYPE_STRING, 10, BTR_KEY_EXTENDED_TYPE | BTR_KEY_DESCENDING)}),
      Key({Seg(BTR_TYPE_STRING, 10, BTR_KEY_EXTENDED_TYPE | BTR_KEY_NO_CASE)}),
      Key({Seg(BTR_TYPE_STRING, 10, BTR_KEY_EXTENDED_TYPE | BTR_KEY_ACS)}),
      Key({Seg(BTR_TYPE_STRING, 4),
           Seg(BTR_TYPE_STRING, 4, BTR_KEY_EXTENDED_TYPE | BTR_KEY_DESCENDING)}),
      Key({Seg(BTR_TYPE_STRING, 4), Seg(BTR_TYPE_INTEGER, 4)}),
      Key({Seg(BTR_TYPE_LSTRING, 10)}),
      Key({Seg(BTR_TYPE_ZSTRING, 10)}),
      Key({Seg(BTR_TYPE_INTEGER, 4, BTR_KEY_EXTENDED_TYPE | BTR_KEY_DESCENDING)}),
      Key({Seg(BTR_TYPE_INTEGER, 1)}),
      Key({Seg(BTR_TYPE_INTEGER, 4), Seg(BTR_TYPE_INTEGER, 4)}),
      Key({Seg(BTR_TYPE_UNSIGNED, 3, BTR_KEY_BINARY)}),
      Key({Seg(BTR_TYPE_FLOAT, 8)}),
      Key({Seg(BTR_TYPE_DECIMAL, 4)}),
      Key({Seg(BTR_TYPE_NULL_INDICATOR, 1), Seg(BTR_TYPE_STRING, 4)}),
  };
  for (const KeyDef& key : general) {
    EXPECT_EQ(OrderOf(key), KeyOrder::kGeneral)
        << "type " << int{key.segments[0].type} << " length " << key.length();
  }
}

}  // namespace
}  // namespace vv::engine
