#include "engine/key_def.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "veverave/btrieve.h"

namespace vv::engine {
namespace {

using namespace std::string_view_literals;

using Bytes = std::vector<uint8_t>;

// A key value with its expected rank: equal ranks must compare equal, lower
// ranks lower.
struct Ranked {
  Bytes value;
  int rank;
};

Bytes Le(uint64_t v, int n) {
  Bytes b(n);
  for (int i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(v >> (8 * i));
  return b;
}

Bytes Str(std::string_view s) {
  return Bytes(s.begin(), s.end());
}

Bytes F32(float f) {
  Bytes b(4);
  std::memcpy(b.data(), &f, 4);
  return b;
}

Bytes F64(double d) {
  Bytes b(8);
  std::memcpy(b.data(), &d, 8);
  return b;
}

Bytes Date(int year, int month, int day) {
  return {static_cast<uint8_t>(day), static_cast<uint8_t>(month), static_cast<uint8_t>(year),
          static_cast<uint8_t>(year >> 8)};
}

Bytes Time(int hours, int minutes, int seconds, int hundredths) {
  return {static_cast<uint8_t>(hundredths), static_cast<uint8_t>(seconds),
          static_cast<uint8_t>(minutes), static_cast<uint8_t>(hours)};
}

// Packed BCD of `digits` (2 * n - 1 digits, zero-filled) with a sign nibble.
Bytes Bcd(std::string_view digits, int n, uint8_t sign) {
  std::string all(2 * n - 1 - digits.size(), '0');
  all += digits;
  Bytes b(n);
  for (int i = 0; i < 2 * n - 1; ++i) {
    const uint8_t d = static_cast<uint8_t>(all[i] - '0');
    b[i / 2] |= (i % 2 == 0) ? static_cast<uint8_t>(d << 4) : d;
  }
  b[n - 1] |= sign;
  return b;
}

KeySegment Seg(uint8_t type, uint16_t length, uint16_t flags = 0, uint16_t position = 1) {
  KeySegment s;
  s.position = position;
  s.length = length;
  s.flags = static_cast<uint16_t>(flags | BTR_KEY_EXTENDED_TYPE);
  s.type = type;
  return s;
}

KeyDef Key(std::vector<KeySegment> segments) {
  // Segments laid one after the other in the record, flagged as a segmented key.
  uint16_t position = 1;
  for (std::size_t i = 0; i < segments.size(); ++i) {
    segments[i].position = position;
    position = static_cast<uint16_t>(position + segments[i].length);
    if (i + 1 < segments.size()) segments[i].flags |= BTR_KEY_SEGMENTED;
  }
  KeyDef key;
  key.segments = std::move(segments);
  return key;
}

int Sign(int v) {
  return (v > 0) - (v < 0);
}

std::string Hex(const Bytes& b) {
  static const char* const kDigits = "0123456789abcdef";
  std::string s;
  for (uint8_t c : b) {
    s += kDigits[c >> 4];
    s += kDigits[c & 15];
  }
  return s;
}

// Every pair of rows compares as their ranks do; with descending set on
// every segment (null indicators excepted) the order reverses.
void ExpectOrder(const KeyDef& key, const std::vector<Ranked>& rows,
                 const std::vector<Acs>& acs = {}, bool reversed = false) {
  for (const Ranked& a : rows) {
    ASSERT_EQ(a.value.size(), key.length()) << Hex(a.value);
    for (const Ranked& b : rows) {
      const int expected = Sign(reversed ? b.rank - a.rank : a.rank - b.rank);
      EXPECT_EQ(Sign(CompareKeys(key, a.value.data(), b.value.data(), acs)), expected)
          << Hex(a.value) << " vs " << Hex(b.value);
    }
  }
}

void ExpectOrderBothWays(KeyDef key, const std::vector<Ranked>& rows,
                         const std::vector<Acs>& acs = {}) {
  {
    SCOPED_TRACE("ascending");
    ExpectOrder(key, rows, acs);
  }
  for (KeySegment& s : key.segments) s.flags |= BTR_KEY_DESCENDING;
  SCOPED_TRACE("descending");
  ExpectOrder(key, rows, acs, true);
}

TEST(KeyCompare, SignedIntegersOfEveryWidth) {
  for (uint8_t type : {uint8_t{BTR_TYPE_INTEGER}, uint8_t{BTR_TYPE_AUTOINCREMENT}}) {
    for (int n : {1, 2, 4, 8}) {
      if (type == BTR_TYPE_AUTOINCREMENT && n == 1) continue;
      SCOPED_TRACE(testing::Message() << "type " << int{type} << " length " << n);
      const int64_t min =
          n == 8 ? std::numeric_limits<int64_t>::min() : -(int64_t{1} << (8 * n - 1));
      const int64_t max = -(min + 1);
      std::vector<Ranked> rows = {{Le(min, n), 0}, {Le(min + 1, n), 1}, {Le(-256, n), 2},
                                  {Le(-1, n), 3},  {Le(0, n), 4},       {Le(1, n), 5},
                                  {Le(255, n), 6}, {Le(max, n), 8}};
      if (n == 1)
        rows = {{Le(min, n), 0}, {Le(-1, n), 3}, {Le(0, n), 4}, {Le(1, n), 5}, {Le(max, n), 8}};
      if (n >= 2) rows.push_back({Le(256, n), 7});
      ExpectOrderBothWays(Key({Seg(type, static_cast<uint16_t>(n))}), rows);
    }
  }
}

TEST(KeyCompare, CurrencyAndTimestamp) {
  ExpectOrderBothWays(Key({Seg(BTR_TYPE_CURRENCY, 8)}), {{Le(0x8000000000000000ull, 8), 0},
                                                         {Le(static_cast<uint64_t>(-10000), 8), 1},
                                                         {Le(0, 8), 2},
                                                         {Le(1, 8), 3},
                                                         {Le(0x7fffffffffffffffull, 8), 4}});
  ExpectOrderBothWays(Key({Seg(BTR_TYPE_TIMESTAMP, 8)}), {{Le(0, 8), 0},
                                                          {Le(1, 8), 1},
                                                          {Le(0x00ff, 8), 2},
                                                          {Le(0x0100, 8), 3},
                                                          {Le(0x7fffffffffffffffull, 8), 4},
                                                          {Le(0x8000000000000000ull, 8), 5},
                                                          {Le(~0ull, 8), 6}});
}

TEST(KeyCompare, UnsignedAndLogicalAreLittleEndianUnsigned) {
  for (int n : {1, 2, 4, 8}) {
    SCOPED_TRACE(n);
    const uint64_t top = uint64_t{1} << (8 * n - 1);
    std::vector<Ranked> rows = {
        {Le(0, n), 0}, {Le(1, n), 1}, {Le(0x7f, n), 2}, {Le(0x80, n), 3}, {Le(0xff, n), 4}};
    if (n > 1) {
      rows.push_back({Le(0x100, n), 5});
      rows.push_back({Le(top - 1, n), 6});
      rows.push_back({Le(top, n), 7});
      rows.push_back({Le(top | (top - 1), n), 8});
    }
    ExpectOrderBothWays(Key({Seg(BTR_TYPE_UNSIGNED, static_cast<uint16_t>(n))}), rows);
  }
  ExpectOrderBothWays(Key({Seg(BTR_TYPE_LOGICAL, 2)}),
                      {{Le(0, 2), 0}, {Le(1, 2), 1}, {Le(0xff, 2), 2}, {Le(0x100, 2), 3}});
  ExpectOrder(Key({Seg(BTR_TYPE_LOGICAL, 1)}), {{Le(0, 1), 0}, {Le(1, 1), 1}, {Le(0xff, 1), 2}});
}

TEST(KeyCompare, OldStyleBinarySegmentIsUnsignedOfAnyLength) {
  KeyDef key = Key({Seg(BTR_TYPE_STRING, 3)});
  key.segments[0].flags = BTR_KEY_BINARY;  // no extended type
  ExpectOrder(key, {{{0x00, 0x00, 0x00}, 0},
                    {{0xff, 0x00, 0x00}, 1},
                    {{0x00, 0x01, 0x00}, 2},
                    {{0x00, 0x00, 0x01}, 3},
                    {{0xff, 0xff, 0xff}, 4}});
}

TEST(KeyCompare, FloatsNumericallyWithZerosEqualAndNaNLast) {
  const float inf32 = std::numeric_limits<float>::infinity();
  const float nan32 = std::numeric_limits<float>::quiet_NaN();
  const float tiny32 = std::numeric_limits<float>::denorm_min();
  ExpectOrderBothWays(Key({Seg(BTR_TYPE_FLOAT, 4)}), {{F32(-inf32), 0},
                                                      {F32(-1e30f), 1},
                                                      {F32(-1.0f), 2},
                                                      {F32(-tiny32), 3},
                                                      {F32(-0.0f), 4},
                                                      {F32(0.0f), 4},
                                                      {F32(tiny32), 5},
                                                      {F32(0.5f), 6},
                                                      {F32(1.0f), 7},
                                                      {F32(1e30f), 8},
                                                      {F32(inf32), 9},
                                                      {F32(nan32), 10},
                                                      {F32(-nan32), 10}});
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  ExpectOrderBothWays(Key({Seg(BTR_TYPE_FLOAT, 8)}), {{F64(-inf), 0},
                                                      {F64(-1e300), 1},
                                                      {F64(-1.0), 2},
                                                      {F64(-0.0), 3},
                                                      {F64(0.0), 3},
                                                      {F64(1e-300), 4},
                                                      {F64(1.0), 5},
                                                      {F64(1.0000000000000002), 6},
                                                      {F64(inf), 7},
                                                      {F64(nan), 8},
                                                      {F64(-nan), 8}});
}

TEST(KeyCompare, BfloatByExponentThenMantissaWithSign) {
  // Microsoft Binary Format golden values: exponent last, sign in the top bit
  // of the byte before; exponent 0 is zero whatever the other bits hold.
  ExpectOrderBothWays(Key({Seg(BTR_TYPE_BFLOAT, 4)}), {{{0x00, 0x00, 0x80, 0x82}, 0},    // -2
                                                       {{0x00, 0x00, 0xc0, 0x81}, 1},    // -1.5
                                                       {{0x00, 0x00, 0x80, 0x81}, 2},    // -1
                                                       {{0x00, 0x00, 0x80, 0x80}, 3},    // -0.5
                                                       {{0x00, 0x00, 0x00, 0x00}, 4},    // 0
                                                       {{0x12, 0x34, 0xd6, 0x00}, 4},    // 0
                                                       {{0x00, 0x00, 0x00, 0x80}, 5},    // 0.5
                                                       {{0x00, 0x00, 0x00, 0x81}, 6},    // 1
                                                       {{0x01, 0x00, 0x00, 0x81}, 7},    // 1+
                                                       {{0x00, 0x00, 0x40, 0x81}, 8},    // 1.5
                                                       {{0x00, 0x00, 0x00, 0x82}, 9}});  // 2
  ExpectOrderBothWays(Key({Seg(BTR_TYPE_BFLOAT, 8)}),
                      {{{0, 0, 0, 0, 0, 0, 0x80, 0x81}, 0},  // -1
                       {{0, 0, 0, 0, 0, 0, 0x00, 0x00}, 1},  // 0
                       {{0, 0, 0, 0, 0, 0, 0x80, 0x00}, 1},  // 0
                       {{0, 0, 0, 0, 0, 0, 0x00, 0x81}, 2},  // 1
                       {{1, 0, 0, 0, 0, 0, 0x00, 0x81}, 3},
                       {{0, 0, 0, 0, 0, 0, 0x40, 0x81}, 4}});  // 1.5
}

TEST(KeyCompare, DateByYearMonthDayAndTimeByHoursFirst) {
  ExpectOrderBothWays(Key({Seg(BTR_TYPE_DATE, 4)}), {{Date(255, 12, 31), 0},
                                                     {Date(256, 1, 1), 1},
                                                     {Date(1999, 12, 31), 2},
                                                     {Date(2000, 1, 1), 3},
                                                     {Date(2000, 1, 2), 4},
                                                     {Date(2000, 2, 1), 5},
                                                     {Date(2001, 1, 1), 6},
                                                     {Date(9999, 12, 31), 7}});
  ExpectOrderBothWays(Key({Seg(BTR_TYPE_TIME, 4)}), {{Time(0, 0, 0, 0), 0},
                                                     {Time(0, 0, 0, 99), 1},
                                                     {Time(0, 0, 1, 0), 2},
                                                     {Time(0, 1, 0, 0), 3},
                                                     {Time(1, 0, 0, 0), 4},
                                                     {Time(23, 59, 59, 99), 5}});
}

TEST(KeyCompare, PackedDecimalAndMoneyBySignedValue) {
  const std::vector<Ranked> rows = {
      {Bcd("99999", 3, 0x0D), 0}, {Bcd("100", 3, 0x0D), 1}, {Bcd("99", 3, 0x0D), 2},
      {Bcd("1", 3, 0x0D), 3},     {Bcd("0", 3, 0x0D), 4},   {Bcd("0", 3, 0x0C), 4},
      {Bcd("0", 3, 0x0F), 4},     {Bcd("1", 3, 0x0C), 5},   {Bcd("1", 3, 0x0F), 5},
      {Bcd("99", 3, 0x0C), 6},    {Bcd("100", 3, 0x0F), 7}, {Bcd("10000", 3, 0x0C), 8},
      {Bcd("99999", 3, 0x0C), 9}};
  ExpectOrderBothWays(Key({Seg(BTR_TYPE_DECIMAL, 3)}), rows);
  ExpectOrderBothWays(Key({Seg(BTR_TYPE_MONEY, 3)}), rows);
  // One byte: a single digit and the sign.
  ExpectOrder(Key({Seg(BTR_TYPE_DECIMAL, 1)}),
              {{{0x9D}, 0}, {{0x1D}, 1}, {{0x0D}, 2}, {{0x0C}, 2}, {{0x1F}, 3}, {{0x9C}, 4}});
}

TEST(KeyCompare, ZonedNumericsWithOverpunchedOrSeparateSigns) {
  ExpectOrderBothWays(Key({Seg(BTR_TYPE_NUMERIC, 4)}), {{Str("999R"), 0},  // -9999
                                                        {Str("001}"), 1},  // -10
                                                        {Str("000R"), 2},  // -9
                                                        {Str("000J"), 3},  // -1
                                                        {Str("000}"), 4},  // -0
                                                        {Str("0000"), 4},
                                                        {Str("000{"), 4},
                                                        {Str("000A"), 5},  // 1
                                                        {Str("0001"), 5},
                                                        {Str("   1"), 5},  // blank fill
                                                        {Str("000I"), 6},  // 9
                                                        {Str("001{"), 7},  // 10
                                                        {Str("0010"), 7},
                                                        {Str("999I"), 8}});
  ExpectOrderBothWays(Key({Seg(BTR_TYPE_NUMERIC_SA, 3)}), {{Str("99y"), 0},  // -999
                                                           {Str("01p"), 1},  // -10
                                                           {Str("00q"), 2},  // -1
                                                           {Str("00p"), 3},  // -0
                                                           {Str("000"), 3},
                                                           {Str("001"), 4},
                                                           {Str("010"), 5},
                                                           {Str("999"), 6}});
  ExpectOrderBothWays(Key({Seg(BTR_TYPE_NUMERIC_STS, 4)}), {{Str("999-"), 0},
                                                            {Str("010-"), 1},
                                                            {Str("001-"), 2},
                                                            {Str("000-"), 3},
                                                            {Str("000+"), 3},
                                                            {Str("001+"), 4},
                                                            {Str("010+"), 5},
                                                            {Str("999+"), 6}});
}

TEST(KeyCompare, StringsAsUnsignedBytesOrFoldedOrThroughAcs) {
  const std::vector<Ranked> exact = {
      {Str("AB\x00"sv), 0},       {Str("ABC"sv), 1},    {Str("ABD"sv), 2},
      {Str("[[["sv), 3},          {Str("abc"sv), 4},    {Str("\x7f\x00\x00"sv), 5},
      {Str("\x80\x00\x00"sv), 6}, {Str("\xc4xx"sv), 7}, {Str("\xe4xx"sv), 8}};
  ExpectOrderBothWays(Key({Seg(BTR_TYPE_STRING, 3)}), exact);

  // ASCII folding only: a-z as A-Z, so "[" sorts after letters of both cases
  // and bytes above 0x7f keep their case.
  ExpectOrderBothWays(Key({Seg(BTR_TYPE_STRING, 3, BTR_KEY_NO_CASE)}), {{Str("AB\x00"sv), 0},
                                                                        {Str("abc"sv), 1},
                                                                        {Str("ABC"sv), 1},
                                                                        {Str("aBc"sv), 1},
                                                                        {Str("abd"sv), 2},
                                                                        {Str("ABE"sv), 3},
                                                                        {Str("[[["sv), 4},
                                                                        {Str("\xc4xx"sv), 5},
                                                                        {Str("\xe4XX"sv), 6},
                                                                        {Str("\xe4xx"sv), 6}});

  // An ACS that sorts digits after letters and maps lower case onto upper.
  Acs acs;
  acs.block[0] = BTR_ACS_SIGNATURE;
  uint8_t* table = acs.block.data() + 9;
  for (int i = 0; i < 256; ++i) table[i] = static_cast<uint8_t>(i);
  for (int c = 'a'; c <= 'z'; ++c) table[c] = static_cast<uint8_t>(c - 'a' + 'A');
  for (int c = '0'; c <= '9'; ++c) table[c] = static_cast<uint8_t>(0xf0 + (c - '0'));
  const std::vector<Acs> acs_list = {Acs{}, acs};
  const std::vector<Ranked> collated = {{Str("AAA"sv), 0},
                                        {Str("aaa"sv), 0},
                                        {Str("ZZZ"sv), 1},
                                        {Str("0AA"sv), 2},
                                        {Str("9AA"sv), 3}};
  KeyDef by_acs = Key({Seg(BTR_TYPE_STRING, 3, BTR_KEY_ACS)});
  by_acs.segments[0].acs_number = 1;
  ExpectOrderBothWays(by_acs, collated, acs_list);
  // ACS together with no-case selects the numbered ACS, not case folding.
  by_acs.segments[0].flags |= BTR_KEY_NO_CASE;
  ExpectOrderBothWays(by_acs, collated, acs_list);
}

TEST(KeyCompare, LstringComparesOnlyItsLengthBytes) {
  KeyDef key = Key({Seg(BTR_TYPE_LSTRING, 5)});
  const std::vector<Ranked> rows = {{{0, 'z', 'z', 'z', 'z'}, 0},   {{0, 0, 0, 0, 0}, 0},
                                    {{1, 'A', 'z', 'z', 'z'}, 1},   {{2, 'A', 0, 'q', 'q'}, 2},
                                    {{2, 'A', 'B', 'x', 'x'}, 3},   {{3, 'A', 'B', 'C', 'x'}, 4},
                                    {{3, 'A', 'B', 'C', 'y'}, 4},   {{4, 'A', 'B', 'C', 'D'}, 5},
                                    {{200, 'A', 'B', 'C', 'D'}, 5},  // length capped to the segment
                                    {{1, 'a', 0, 0, 0}, 6}};
  ExpectOrderBothWays(key, rows);
  key.segments[0].flags |= BTR_KEY_NO_CASE;
  ExpectOrder(key, {{{1, 'A', 'z', 'z', 'z'}, 1}, {{1, 'a', 0, 0, 0}, 1}, {{1, 'b', 0, 0, 0}, 2}});
}

TEST(KeyCompare, ZstringComparesUpToTheNul) {
  KeyDef key = Key({Seg(BTR_TYPE_ZSTRING, 4)});
  ExpectOrderBothWays(key, {{{0, 'x', 'x', 'x'}, 0},
                            {{0, 0, 0, 0}, 0},
                            {{'A', 0, 'q', 'q'}, 1},
                            {{'A', 0, 0, 0}, 1},
                            {{'A', 'B', 0, 'z'}, 2},
                            {{'A', 'B', 'C', 0}, 3},
                            {{'A', 'B', 'C', 'D'}, 4},  // no NUL: the whole segment
                            {{'a', 0, 0, 0}, 5}});
  key.segments[0].flags |= BTR_KEY_NO_CASE;
  ExpectOrder(key, {{{'A', 0, 'q', 'q'}, 1}, {{'a', 0, 0, 0}, 1}, {{'a', 'a', 0, 0}, 2}});
}

TEST(KeyCompare, SegmentsInTurnEachWithItsOwnDirection) {
  // STRING ascending, INTEGER descending, no-case STRING ascending.
  KeyDef key = Key({Seg(BTR_TYPE_STRING, 2), Seg(BTR_TYPE_INTEGER, 2, BTR_KEY_DESCENDING),
                    Seg(BTR_TYPE_STRING, 1, BTR_KEY_NO_CASE)});
  auto row = [](std::string_view s, int16_t i, char c, int rank) {
    Bytes b = Str(s);
    const Bytes n = Le(static_cast<uint64_t>(i), 2);
    b.insert(b.end(), n.begin(), n.end());
    b.push_back(static_cast<uint8_t>(c));
    return Ranked{b, rank};
  };
  ExpectOrder(key, {row("AA", 5, 'a', 0), row("AA", 5, 'A', 0), row("AA", 5, 'b', 1),
                    row("AA", 0, 'a', 2), row("AA", -1, 'a', 3), row("AB", 100, 'z', 4),
                    row("AB", -100, 'a', 5), row("BA", 32767, 'a', 6)});
}

TEST(KeyCompare, NullIndicatorSortsNullsFirstAndHidesTheColumn) {
  KeyDef key =
      Key({Seg(BTR_TYPE_NULL_INDICATOR, 1), Seg(BTR_TYPE_INTEGER, 2), Seg(BTR_TYPE_STRING, 1)});
  auto row = [](uint8_t indicator, int16_t v, char c, int rank) {
    Bytes b = {indicator};
    const Bytes n = Le(static_cast<uint64_t>(v), 2);
    b.insert(b.end(), n.begin(), n.end());
    b.push_back(static_cast<uint8_t>(c));
    return Ranked{b, rank};
  };
  const std::vector<Ranked> rows = {row(1, 7, 'a', 0),  row(0xff, -3, 'a', 0), row(1, 7, 'b', 1),
                                    row(0, -5, 'a', 2), row(0, 0, 'a', 3),     row(0, 0, 'b', 4),
                                    row(0, 7, 'a', 5)};
  ExpectOrder(key, rows);
  // A descending column after the indicator: nulls still come first.
  key.segments[1].flags |= BTR_KEY_DESCENDING;
  ExpectOrder(key, {row(1, 7, 'a', 0), row(3, -3, 'a', 0), row(0, 7, 'a', 1), row(0, 0, 'a', 2),
                    row(0, -5, 'a', 3)});

  const Bytes null_row = row(2, 0, 'a', 0).value;
  const Bytes value_row = row(0, 0, 'a', 0).value;
  EXPECT_TRUE(HasNullIndicatorSet(key, null_row.data()));
  EXPECT_FALSE(HasNullIndicatorSet(key, value_row.data()));
}

TEST(KeyNulls, AllSegmentsOrAnySegment) {
  KeyDef key =
      Key({Seg(BTR_TYPE_STRING, 2), Seg(BTR_TYPE_NULL_INDICATOR, 1), Seg(BTR_TYPE_STRING, 2)});
  for (KeySegment& s : key.segments) s.null_value = ' ';
  struct Case {
    const char* value;
    bool null_all;
    bool null_any;
  };
  // The middle byte is a null indicator: never part of the test.
  const Case cases[] = {{"  \x00  ", true, true},   {"  \x01  ", true, true},
                        {"  \x00 x", false, true},  {"x \x00  ", false, true},
                        {"x \x00 x", false, false}, {"\0\0\0\0\0", false, false}};
  for (const Case& c : cases) {
    const Bytes v(c.value, c.value + 5);
    KeyDef all = key;
    KeyDef any = key;
    for (KeySegment& s : all.segments) s.flags |= BTR_KEY_NULL_ALL;
    for (KeySegment& s : any.segments) s.flags |= BTR_KEY_NULL_ANY;
    EXPECT_EQ(IsNullKey(all, v.data()), c.null_all) << Hex(v);
    EXPECT_EQ(IsNullKey(any, v.data()), c.null_any) << Hex(v);
    EXPECT_FALSE(IsNullKey(key, v.data())) << "no null flag: always indexed";
  }
  // Each segment tests against its own null value.
  KeyDef zeros = key;
  zeros.segments[2].null_value = 0;
  for (KeySegment& s : zeros.segments) s.flags |= BTR_KEY_NULL_ALL;
  const Bytes mixed = {' ', ' ', 0, 0, 0};
  EXPECT_TRUE(IsNullKey(zeros, mixed.data()));
}

TEST(KeyExtract, SegmentsInKeyOrderFromTheirPositions) {
  KeyDef key;
  key.segments = {Seg(BTR_TYPE_STRING, 2, BTR_KEY_SEGMENTED, 5), Seg(BTR_TYPE_STRING, 3, 0, 1)};
  const Bytes record = Str("abcdefgh");
  Bytes out(key.length());
  ExtractKey(key, record.data(), out.data());
  EXPECT_EQ(out, Str("efabc"));
  EXPECT_EQ(key.length(), 5u);
}

TEST(KeyDefFlags, KeyWidePropertiesComeFromTheFirstSegment) {
  KeyDef key = Key({Seg(BTR_TYPE_STRING, 2, BTR_KEY_DUPLICATES | BTR_KEY_NULL_ANY),
                    Seg(BTR_TYPE_STRING, 2, BTR_KEY_DUPLICATES | BTR_KEY_NULL_ANY)});
  EXPECT_TRUE(key.duplicates());
  EXPECT_FALSE(key.modifiable());
  EXPECT_FALSE(key.null_all());
  EXPECT_TRUE(key.null_any());
  EXPECT_FALSE(KeyDef{}.duplicates());
}

TEST(KeyValidate, PublishedStatuses) {
  struct Case {
    const char* what;
    std::vector<KeySegment> segments;
    uint16_t record_length;
    std::size_t acs_count;
    int expected;
  };
  auto at = [](KeySegment s, uint16_t position) {
    s.position = position;
    return s;
  };
  auto acs = [](KeySegment s, uint8_t number) {
    s.acs_number = number;
    return s;
  };
  auto plain = [](KeySegment s) {
    s.flags &= static_cast<uint16_t>(~BTR_KEY_EXTENDED_TYPE);
    return s;
  };
  std::vector<KeySegment> too_long;
  for (int i = 0; i < 3; ++i) too_long.push_back(Seg(BTR_TYPE_STRING, 100));
  std::vector<KeySegment> longest;
  for (int i = 0; i < 3; ++i) longest.push_back(Seg(BTR_TYPE_STRING, 85));
  const std::vector<KeySegment> too_many(120, Seg(BTR_TYPE_STRING, 1));

  const Case cases[] = {
      {"string", {Seg(BTR_TYPE_STRING, 10)}, 10, 0, BTR_STATUS_SUCCESS},
      {"every fixed size",
       {Seg(BTR_TYPE_INTEGER, 1), Seg(BTR_TYPE_INTEGER, 8), Seg(BTR_TYPE_FLOAT, 4),
        Seg(BTR_TYPE_BFLOAT, 8), Seg(BTR_TYPE_DATE, 4), Seg(BTR_TYPE_TIME, 4),
        Seg(BTR_TYPE_LOGICAL, 2), Seg(BTR_TYPE_UNSIGNED, 2), Seg(BTR_TYPE_AUTOINCREMENT, 4),
        Seg(BTR_TYPE_CURRENCY, 8), Seg(BTR_TYPE_TIMESTAMP, 8), Seg(BTR_TYPE_NUMERIC_STS, 2),
        Seg(BTR_TYPE_DECIMAL, 1), Seg(BTR_TYPE_NULL_INDICATOR, 1), Seg(BTR_TYPE_ZSTRING, 1)},
       100,
       0,
       BTR_STATUS_SUCCESS},
      {"no segments", {}, 10, 0, BTR_STATUS_INVALID_KEY_COUNT},
      {"too many segments", too_many, 200, 0, BTR_STATUS_INVALID_KEY_COUNT},
      {"position 0", {at(Seg(BTR_TYPE_STRING, 4), 0)}, 10, 0, BTR_STATUS_INVALID_KEY_POSITION},
      {"ends past the record",
       {at(Seg(BTR_TYPE_STRING, 4), 8)},
       10,
       0,
       BTR_STATUS_INVALID_KEY_POSITION},
      {"ends at the record's end", {at(Seg(BTR_TYPE_STRING, 4), 7)}, 10, 0, BTR_STATUS_SUCCESS},
      {"zero length", {Seg(BTR_TYPE_STRING, 0)}, 10, 0, BTR_STATUS_INVALID_KEY_LENGTH},
      {"integer of 3", {Seg(BTR_TYPE_INTEGER, 3)}, 10, 0, BTR_STATUS_INVALID_KEY_LENGTH},
      {"float of 6", {Seg(BTR_TYPE_FLOAT, 6)}, 10, 0, BTR_STATUS_INVALID_KEY_LENGTH},
      {"bfloat of 2", {Seg(BTR_TYPE_BFLOAT, 2)}, 10, 0, BTR_STATUS_INVALID_KEY_LENGTH},
      {"date of 3", {Seg(BTR_TYPE_DATE, 3)}, 10, 0, BTR_STATUS_INVALID_KEY_LENGTH},
      {"time of 8", {Seg(BTR_TYPE_TIME, 8)}, 10, 0, BTR_STATUS_INVALID_KEY_LENGTH},
      {"logical of 4", {Seg(BTR_TYPE_LOGICAL, 4)}, 10, 0, BTR_STATUS_INVALID_KEY_LENGTH},
      {"unsigned of 3", {Seg(BTR_TYPE_UNSIGNED, 3)}, 10, 0, BTR_STATUS_INVALID_KEY_LENGTH},
      {"old-style binary of 3",
       {plain(Seg(BTR_TYPE_STRING, 3, BTR_KEY_BINARY))},
       10,
       0,
       BTR_STATUS_SUCCESS},
      {"autoincrement of 1",
       {Seg(BTR_TYPE_AUTOINCREMENT, 1)},
       10,
       0,
       BTR_STATUS_INVALID_KEY_LENGTH},
      {"currency of 4", {Seg(BTR_TYPE_CURRENCY, 4)}, 10, 0, BTR_STATUS_INVALID_KEY_LENGTH},
      {"timestamp of 4", {Seg(BTR_TYPE_TIMESTAMP, 4)}, 10, 0, BTR_STATUS_INVALID_KEY_LENGTH},
      {"null indicator of 2",
       {Seg(BTR_TYPE_NULL_INDICATOR, 2), Seg(BTR_TYPE_STRING, 2)},
       10,
       0,
       BTR_STATUS_INVALID_KEY_LENGTH},
      {"trailing sign alone", {Seg(BTR_TYPE_NUMERIC_STS, 1)}, 10, 0, BTR_STATUS_INVALID_KEY_LENGTH},
      {"255 bytes in all", longest, 255, 0, BTR_STATUS_SUCCESS},
      {"above 255 bytes in all", too_long, 300, 0, BTR_STATUS_INVALID_KEY_LENGTH},
      {"note type", {Seg(BTR_TYPE_NOTE, 4)}, 10, 0, BTR_STATUS_INVALID_KEY_TYPE},
      {"bit type", {Seg(BTR_TYPE_BIT, 1)}, 10, 0, BTR_STATUS_INVALID_KEY_TYPE},
      {"type 200", {Seg(200, 4)}, 10, 0, BTR_STATUS_INVALID_KEY_TYPE},
      {"duplicates on one segment only",
       {Seg(BTR_TYPE_STRING, 2, BTR_KEY_DUPLICATES), Seg(BTR_TYPE_STRING, 2)},
       10,
       0,
       BTR_STATUS_INCONSISTENT_KEY_FLAGS},
      {"modifiable on one segment only",
       {Seg(BTR_TYPE_STRING, 2), Seg(BTR_TYPE_STRING, 2, BTR_KEY_MODIFIABLE)},
       10,
       0,
       BTR_STATUS_INCONSISTENT_KEY_FLAGS},
      {"null flags differ",
       {Seg(BTR_TYPE_STRING, 2, BTR_KEY_NULL_ALL), Seg(BTR_TYPE_STRING, 2, BTR_KEY_NULL_ANY)},
       10,
       0,
       BTR_STATUS_INCONSISTENT_KEY_FLAGS},
      {"both null flags",
       {Seg(BTR_TYPE_STRING, 2, BTR_KEY_NULL_ALL | BTR_KEY_NULL_ANY)},
       10,
       0,
       BTR_STATUS_INCONSISTENT_KEY_FLAGS},
      {"direction and case may differ",
       {Seg(BTR_TYPE_STRING, 2, BTR_KEY_DESCENDING | BTR_KEY_DUPLICATES),
        Seg(BTR_TYPE_STRING, 2, BTR_KEY_NO_CASE | BTR_KEY_DUPLICATES)},
       10,
       0,
       BTR_STATUS_SUCCESS},
      {"acs with no-case on an integer",
       {Seg(BTR_TYPE_INTEGER, 2, BTR_KEY_ACS | BTR_KEY_NO_CASE)},
       10,
       1,
       BTR_STATUS_INCONSISTENT_KEY_FLAGS},
      {"acs with no-case on a string",
       {Seg(BTR_TYPE_ZSTRING, 2, BTR_KEY_ACS | BTR_KEY_NO_CASE)},
       10,
       1,
       BTR_STATUS_SUCCESS},
      {"descending null indicator",
       {Seg(BTR_TYPE_NULL_INDICATOR, 1, BTR_KEY_DESCENDING), Seg(BTR_TYPE_STRING, 2)},
       10,
       0,
       BTR_STATUS_INCONSISTENT_KEY_FLAGS},
      {"null indicator last",
       {Seg(BTR_TYPE_STRING, 2), Seg(BTR_TYPE_NULL_INDICATOR, 1)},
       10,
       0,
       BTR_STATUS_INCONSISTENT_KEY_FLAGS},
      {"null indicator before an indicator",
       {Seg(BTR_TYPE_NULL_INDICATOR, 1), Seg(BTR_TYPE_NULL_INDICATOR, 1), Seg(BTR_TYPE_STRING, 1)},
       10,
       0,
       BTR_STATUS_INCONSISTENT_KEY_FLAGS},
      {"acs without any", {Seg(BTR_TYPE_STRING, 2, BTR_KEY_ACS)}, 10, 0, BTR_STATUS_INVALID_ACS},
      {"acs number past the last",
       {acs(Seg(BTR_TYPE_STRING, 2, BTR_KEY_ACS), 2)},
       10,
       2,
       BTR_STATUS_INVALID_ACS},
      {"acs number in range",
       {acs(Seg(BTR_TYPE_STRING, 2, BTR_KEY_ACS), 1)},
       10,
       2,
       BTR_STATUS_SUCCESS},
  };
  for (const Case& c : cases) {
    KeyDef key = Key(c.segments);
    for (std::size_t i = 0; i < c.segments.size(); ++i) {
      if (c.segments[i].position != 1) key.segments[i].position = c.segments[i].position;
    }
    EXPECT_EQ(ValidateKey(key, c.record_length, c.acs_count), c.expected) << c.what;
  }
}

TEST(KeyValidate, AcsBlockNeedsItsSignature) {
  Acs acs;
  EXPECT_EQ(ValidateAcs(acs), BTR_STATUS_INVALID_ACS);
  acs.block[0] = BTR_ACS_SIGNATURE;
  EXPECT_EQ(ValidateAcs(acs), BTR_STATUS_SUCCESS);
}

}  // namespace
}  // namespace vv::engine
