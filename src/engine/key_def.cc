// Key layout, validation, null-key test and the key comparator.
//
// Order of each extended type (ascending; a descending segment inverts the
// result of that segment only):
//   STRING          bytes as unsigned values, through the ACS table or ASCII
//                   case folding (a-z as A-Z) when the segment asks for it.
//                   ACS together with no-case selects the numbered ACS. On
//                   the non-string types both flags leave the order alone.
//   LSTRING         the first byte n, then n bytes (n is capped at the
//                   segment length - 1); only those bytes compare, a proper
//                   prefix sorts first. Bytes after them never count.
//   ZSTRING         the bytes before the first NUL (or the whole segment when
//                   it holds none); as LSTRING otherwise.
//   INTEGER, AUTOINCREMENT, CURRENCY
//                   signed two's complement, little-endian.
//   UNSIGNED BINARY, LOGICAL, TIMESTAMP
//                   unsigned, little-endian. A segment without the extended
//                   type flag but with BTR_KEY_BINARY is an unsigned binary
//                   segment of any length.
//   DATE, TIME      their byte layouts put the most significant part (year,
//                   hours) in the highest bytes, so both compare as unsigned
//                   little-endian 32-bit numbers.
//   FLOAT           numerically; -0.0 equals +0.0; every NaN sorts after
//                   +infinity and all NaNs are equal to each other.
//   BFLOAT          numerically (Microsoft Binary Format: exponent in the
//                   last byte, 0 meaning zero; sign in the top bit of the byte
//                   before it).
//   DECIMAL, MONEY  numerically: packed BCD, low nibble of the last byte the
//                   sign (0xD negative, anything else positive); -0 equals +0.
//   NUMERIC         numerically: ASCII digits, the last one overpunched with
//                   its sign ('{' 'A'..'I' positive 0..9, '}' 'J'..'R'
//                   negative 0..9, a plain digit positive).
//   NUMERIC_SA      the same with 'p'..'y' as negative 0..9.
//   NUMERIC_STS     ASCII digits and a trailing sign byte ('-' negative).
//                   In the three zoned types a byte that is no digit (a blank
//                   fill, say) counts as 0.
//   NULL INDICATOR  0 = not null; any other value = null. Nulls sort before
//                   every non-null value whatever the direction of the next
//                   segment; two nulls are equal and the next segment (the
//                   column the indicator describes) is not compared.
#include "engine/key_def.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "veverave/btrieve.h"

namespace vv::engine {

static_assert(std::endian::native == std::endian::little,
              "key values are read with native loads of little-endian fields");

namespace {

constexpr std::array<uint8_t, 256> MakeUpperTable() {
  std::array<uint8_t, 256> t{};
  for (int i = 0; i < 256; ++i) {
    t[i] = static_cast<uint8_t>(i >= 'a' && i <= 'z' ? i - 'a' + 'A' : i);
  }
  return t;
}

// ASCII case folding of case-insensitive segments: a-z only.
constexpr std::array<uint8_t, 256> kUpper = MakeUpperTable();

// Longest key a segment list may add up to, and most segments a key may have
// (the most a file may have at all).
constexpr std::size_t kMaxKeySegments = 119;

template <typename T>
T Load(const uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

template <typename T>
int Cmp(T x, T y) {
  return x < y ? -1 : (x > y ? 1 : 0);
}

// Signed little-endian integers of any length: the top byte carries the sign.
int CompareSigned(const uint8_t* a, const uint8_t* b, std::size_t n) {
  switch (n) {
    case 1:
      return Cmp(static_cast<int8_t>(a[0]), static_cast<int8_t>(b[0]));
    case 2:
      return Cmp(Load<int16_t>(a), Load<int16_t>(b));
    case 4:
      return Cmp(Load<int32_t>(a), Load<int32_t>(b));
    case 8:
      return Cmp(Load<int64_t>(a), Load<int64_t>(b));
    default:
      break;
  }
  int c = Cmp(static_cast<int8_t>(a[n - 1]), static_cast<int8_t>(b[n - 1]));
  for (std::size_t i = n - 1; c == 0 && i-- > 0;) c = Cmp(a[i], b[i]);
  return c;
}

int CompareUnsigned(const uint8_t* a, const uint8_t* b, std::size_t n) {
  switch (n) {
    case 1:
      return Cmp(a[0], b[0]);
    case 2:
      return Cmp(Load<uint16_t>(a), Load<uint16_t>(b));
    case 4:
      return Cmp(Load<uint32_t>(a), Load<uint32_t>(b));
    case 8:
      return Cmp(Load<uint64_t>(a), Load<uint64_t>(b));
    default:
      break;
  }
  for (std::size_t i = n; i-- > 0;) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return 0;
}

template <typename F>
int CompareFloat(const uint8_t* a, const uint8_t* b) {
  const F x = Load<F>(a);
  const F y = Load<F>(b);
  const bool nx = std::isnan(x);
  const bool ny = std::isnan(y);
  if (nx || ny) return nx == ny ? 0 : (nx ? 1 : -1);
  return Cmp(x, y);
}

// Microsoft Binary Format: mapped onto a signed integer that orders like the
// value (exponent above mantissa, sign applied last).
int64_t MbfOrderValue(const uint8_t* p, std::size_t n) {
  const uint8_t exponent = p[n - 1];
  if (exponent == 0) return 0;
  uint64_t mantissa = 0;
  for (std::size_t i = n - 1; i-- > 0;) mantissa = (mantissa << 8) | p[i];
  const unsigned mantissa_bits = static_cast<unsigned>((n - 1) * 8 - 1);
  const bool negative = (mantissa >> mantissa_bits) & 1;
  mantissa &= (uint64_t{1} << mantissa_bits) - 1;
  const int64_t magnitude = static_cast<int64_t>((uint64_t{exponent} << mantissa_bits) | mantissa);
  return negative ? -magnitude : magnitude;
}

int CompareBfloat(const uint8_t* a, const uint8_t* b, std::size_t n) {
  if (n != 4 && n != 8) return CompareUnsigned(a, b, n);  // refused at create
  return Cmp(MbfOrderValue(a, n), MbfOrderValue(b, n));
}

bool BcdIsZero(const uint8_t* p, std::size_t n) {
  for (std::size_t i = 0; i + 1 < n; ++i) {
    if (p[i] != 0) return false;
  }
  return (p[n - 1] >> 4) == 0;
}

bool BcdIsNegative(const uint8_t* p, std::size_t n) {
  return (p[n - 1] & 0x0F) == 0x0D && !BcdIsZero(p, n);
}

int CompareDecimal(const uint8_t* a, const uint8_t* b, std::size_t n) {
  const bool neg_a = BcdIsNegative(a, n);
  const bool neg_b = BcdIsNegative(b, n);
  if (neg_a != neg_b) return neg_a ? -1 : 1;
  // Equal lengths: the magnitudes order like their digit nibbles.
  int c = std::memcmp(a, b, n - 1);
  c = c != 0 ? (c < 0 ? -1 : 1) : Cmp(a[n - 1] >> 4, b[n - 1] >> 4);
  return neg_a ? -c : c;
}

// Zoned decimal (NUMERIC, NUMERIC_SA, NUMERIC_STS) decoded in place.
struct Zoned {
  const uint8_t* digits;
  std::size_t count;  // digit positions
  int last;           // value of the last digit position
  bool negative;
};

int DigitValue(uint8_t c) {
  return c >= '0' && c <= '9' ? c - '0' : 0;
}

Zoned DecodeZoned(const uint8_t* p, std::size_t n, uint8_t type) {
  Zoned z{p, n, 0, false};
  const uint8_t c = p[n - 1];
  if (type == BTR_TYPE_NUMERIC_STS) {
    z.count = n > 1 ? n - 1 : 0;
    z.negative = c == '-';
    z.last = z.count > 0 ? DigitValue(p[z.count - 1]) : 0;
  } else if (c >= '0' && c <= '9') {
    z.last = c - '0';
  } else if (type == BTR_TYPE_NUMERIC) {
    if (c == '{') {
      z.last = 0;
    } else if (c >= 'A' && c <= 'I') {
      z.last = c - 'A' + 1;
    } else if (c == '}') {
      z.negative = true;
    } else if (c >= 'J' && c <= 'R') {
      z.last = c - 'J' + 1;
      z.negative = true;
    }
  } else if (c >= 'p' && c <= 'y') {  // NUMERIC_SA
    z.last = c - 'p';
    z.negative = true;
  }
  if (z.negative) {
    bool zero = z.last == 0;
    for (std::size_t i = 0; zero && i + 1 < z.count; ++i) zero = DigitValue(p[i]) == 0;
    if (zero) z.negative = false;  // -0 equals +0
  }
  return z;
}

int CompareZoned(const uint8_t* a, const uint8_t* b, std::size_t n, uint8_t type) {
  const Zoned x = DecodeZoned(a, n, type);
  const Zoned y = DecodeZoned(b, n, type);
  if (x.negative != y.negative) return x.negative ? -1 : 1;
  int c = 0;
  for (std::size_t i = 0; c == 0 && i + 1 < x.count; ++i) {
    c = Cmp(DigitValue(a[i]), DigitValue(b[i]));
  }
  if (c == 0 && x.count > 0) c = Cmp(x.last, y.last);
  return x.negative ? -c : c;
}

// Byte strings of possibly different lengths, each byte through map when
// given; a proper prefix sorts first.
int CompareMapped(const uint8_t* a, std::size_t na, const uint8_t* b, std::size_t nb,
                  const uint8_t* map) {
  const std::size_t n = na < nb ? na : nb;
  if (map == nullptr) {
    const int c = n == 0 ? 0 : std::memcmp(a, b, n);
    if (c != 0) return c < 0 ? -1 : 1;
  } else {
    for (std::size_t i = 0; i < n; ++i) {
      if (map[a[i]] != map[b[i]]) return map[a[i]] < map[b[i]] ? -1 : 1;
    }
  }
  return Cmp(na, nb);
}

// The byte map of a string segment: its ACS, else case folding, else none.
// An ACS flag with both ACS and no-case set selects the numbered ACS.
const uint8_t* StringMap(const KeySegment& s, const std::vector<Acs>& acs) {
  if (s.flags & BTR_KEY_ACS) {
    return s.acs_number < acs.size() ? acs[s.acs_number].table() : nullptr;
  }
  if (s.flags & BTR_KEY_NO_CASE) return kUpper.data();
  return nullptr;
}

std::size_t ZstringLength(const uint8_t* p, std::size_t n) {
  const void* nul = std::memchr(p, 0, n);
  return nul == nullptr ? n : static_cast<std::size_t>(static_cast<const uint8_t*>(nul) - p);
}

std::size_t LstringLength(const uint8_t* p, std::size_t n) {
  return p[0] < n ? p[0] : n - 1;
}

// The segment's effective type: the extended type, except that a segment
// without one but with the (old-style) binary flag is unsigned binary.
uint8_t SegmentType(const KeySegment& s) {
  if (s.type == BTR_TYPE_STRING && (s.flags & BTR_KEY_BINARY) &&
      !(s.flags & BTR_KEY_EXTENDED_TYPE)) {
    return BTR_TYPE_UNSIGNED;
  }
  return s.type;
}

bool IsStringType(uint8_t type) {
  return type == BTR_TYPE_STRING || type == BTR_TYPE_LSTRING || type == BTR_TYPE_ZSTRING;
}

// Ascending order of one segment (not a null indicator).
int CompareSegment(const KeySegment& s, uint8_t type, const uint8_t* a, const uint8_t* b,
                   const std::vector<Acs>& acs) {
  const std::size_t n = s.length;
  switch (type) {
    case BTR_TYPE_STRING:
      if ((s.flags & (BTR_KEY_ACS | BTR_KEY_NO_CASE)) == 0) {
        const int c = std::memcmp(a, b, n);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
      }
      return CompareMapped(a, n, b, n, StringMap(s, acs));
    case BTR_TYPE_LSTRING:
      return CompareMapped(a + 1, LstringLength(a, n), b + 1, LstringLength(b, n),
                           StringMap(s, acs));
    case BTR_TYPE_ZSTRING:
      return CompareMapped(a, ZstringLength(a, n), b, ZstringLength(b, n), StringMap(s, acs));
    case BTR_TYPE_INTEGER:
    case BTR_TYPE_AUTOINCREMENT:
    case BTR_TYPE_CURRENCY:
      return CompareSigned(a, b, n);
    case BTR_TYPE_UNSIGNED:
    case BTR_TYPE_LOGICAL:
    case BTR_TYPE_TIMESTAMP:
    case BTR_TYPE_DATE:
    case BTR_TYPE_TIME:
      return CompareUnsigned(a, b, n);
    case BTR_TYPE_FLOAT:
      if (n == 4) return CompareFloat<float>(a, b);
      if (n == 8) return CompareFloat<double>(a, b);
      return CompareUnsigned(a, b, n);  // refused at create
    case BTR_TYPE_BFLOAT:
      return CompareBfloat(a, b, n);
    case BTR_TYPE_DECIMAL:
    case BTR_TYPE_MONEY:
      return CompareDecimal(a, b, n);
    case BTR_TYPE_NUMERIC:
    case BTR_TYPE_NUMERIC_SA:
    case BTR_TYPE_NUMERIC_STS:
      return CompareZoned(a, b, n, type);
    default: {
      // Unknown types are refused at create; bytes keep the order total.
      const int c = std::memcmp(a, b, n);
      return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
  }
}

// Whether length suits the type: the fixed sizes of the binary types, at
// least one byte for the rest (two for trailing-sign numerics).
bool LengthFitsType(uint8_t type, std::size_t length, bool extended) {
  if (length == 0) return false;
  switch (type) {
    case BTR_TYPE_INTEGER:
      return length == 1 || length == 2 || length == 4 || length == 8;
    case BTR_TYPE_UNSIGNED:
      // Old-style binary segments (no extended type) may have any length.
      return !extended || length == 1 || length == 2 || length == 4 || length == 8;
    case BTR_TYPE_AUTOINCREMENT:
      return length == 2 || length == 4 || length == 8;
    case BTR_TYPE_FLOAT:
    case BTR_TYPE_BFLOAT:
      return length == 4 || length == 8;
    case BTR_TYPE_DATE:
    case BTR_TYPE_TIME:
      return length == 4;
    case BTR_TYPE_LOGICAL:
      return length == 1 || length == 2;
    case BTR_TYPE_CURRENCY:
    case BTR_TYPE_TIMESTAMP:
      return length == 8;
    case BTR_TYPE_NULL_INDICATOR:
      return length == 1;
    case BTR_TYPE_NUMERIC_STS:
      return length >= 2;
    default:
      return true;
  }
}

bool IsKnownType(uint8_t type) {
  switch (type) {
    case BTR_TYPE_STRING:
    case BTR_TYPE_INTEGER:
    case BTR_TYPE_FLOAT:
    case BTR_TYPE_DATE:
    case BTR_TYPE_TIME:
    case BTR_TYPE_DECIMAL:
    case BTR_TYPE_MONEY:
    case BTR_TYPE_LOGICAL:
    case BTR_TYPE_NUMERIC:
    case BTR_TYPE_BFLOAT:
    case BTR_TYPE_LSTRING:
    case BTR_TYPE_ZSTRING:
    case BTR_TYPE_UNSIGNED:
    case BTR_TYPE_AUTOINCREMENT:
    case BTR_TYPE_NUMERIC_STS:
    case BTR_TYPE_NUMERIC_SA:
    case BTR_TYPE_CURRENCY:
    case BTR_TYPE_TIMESTAMP:
    case BTR_TYPE_NULL_INDICATOR:
      return true;
    default:
      return false;
  }
}

// Flags that describe the key as a whole and must be the same on every segment.
constexpr uint16_t kKeyWideFlags = BTR_KEY_DUPLICATES | BTR_KEY_MODIFIABLE | BTR_KEY_NULL_ALL |
                                   BTR_KEY_NULL_ANY | BTR_KEY_REPEAT_DUPLICATES;

}  // namespace

bool KeyDef::duplicates() const {
  return !segments.empty() && (segments[0].flags & BTR_KEY_DUPLICATES);
}
bool KeyDef::modifiable() const {
  return !segments.empty() && (segments[0].flags & BTR_KEY_MODIFIABLE);
}
bool KeyDef::null_all() const {
  return !segments.empty() && (segments[0].flags & BTR_KEY_NULL_ALL);
}
bool KeyDef::null_any() const {
  return !segments.empty() && (segments[0].flags & BTR_KEY_NULL_ANY);
}

std::size_t KeyDef::length() const {
  std::size_t n = 0;
  for (const KeySegment& s : segments) n += s.length;
  return n;
}

void ExtractKey(const KeyDef& key, const uint8_t* record, uint8_t* out) {
  for (const KeySegment& s : key.segments) {
    std::memcpy(out, record + (s.position - 1), s.length);
    out += s.length;
  }
}

bool IsNullKey(const KeyDef& key, const uint8_t* key_value) {
  const bool all = key.null_all();
  const bool any = key.null_any();
  if (!all && !any) return false;
  bool seen = false;
  for (const KeySegment& s : key.segments) {
    const uint8_t* p = key_value;
    key_value += s.length;
    if (s.type == BTR_TYPE_NULL_INDICATOR) continue;
    bool is_null = true;
    for (std::size_t i = 0; is_null && i < s.length; ++i) is_null = p[i] == s.null_value;
    if (any && is_null) return true;
    if (all && !is_null) return false;
    seen = true;
  }
  return all && seen;
}

bool HasNullIndicatorSet(const KeyDef& key, const uint8_t* key_value) {
  for (const KeySegment& s : key.segments) {
    if (s.type == BTR_TYPE_NULL_INDICATOR && key_value[0] != 0) return true;
    key_value += s.length;
  }
  return false;
}

int CompareKeys(const KeyDef& key, const uint8_t* a, const uint8_t* b,
                const std::vector<Acs>& acs) {
  const KeySegment* seg = key.segments.data();
  const std::size_t count = key.segments.size();
  for (std::size_t i = 0; i < count; ++i) {
    const KeySegment& s = seg[i];
    const uint8_t type = SegmentType(s);
    if (type == BTR_TYPE_NULL_INDICATOR) {
      const bool null_a = a[0] != 0;
      const bool null_b = b[0] != 0;
      if (null_a != null_b) return null_a ? -1 : 1;
      a += s.length;
      b += s.length;
      if (null_a && i + 1 < count) {  // both null: the column's bytes do not count
        ++i;
        a += seg[i].length;
        b += seg[i].length;
      }
      continue;
    }
    const int c = CompareSegment(s, type, a, b, acs);
    if (c != 0) return (s.flags & BTR_KEY_DESCENDING) ? -c : c;
    a += s.length;
    b += s.length;
  }
  return 0;
}

int16_t ValidateKey(const KeyDef& key, uint16_t record_length, std::size_t acs_count) {
  const std::size_t count = key.segments.size();
  if (count == 0 || count > kMaxKeySegments) return BTR_STATUS_INVALID_KEY_COUNT;
  const uint16_t key_wide = key.segments[0].flags & kKeyWideFlags;
  std::size_t total = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const KeySegment& s = key.segments[i];
    const bool extended = (s.flags & BTR_KEY_EXTENDED_TYPE) != 0;
    const uint8_t type = SegmentType(s);
    if (!IsKnownType(type)) return BTR_STATUS_INVALID_KEY_TYPE;
    if (!LengthFitsType(type, s.length, extended)) return BTR_STATUS_INVALID_KEY_LENGTH;
    if (s.position < 1 || std::size_t{s.position} + s.length - 1 > record_length) {
      return BTR_STATUS_INVALID_KEY_POSITION;
    }
    total += s.length;

    if ((s.flags & kKeyWideFlags) != key_wide) return BTR_STATUS_INCONSISTENT_KEY_FLAGS;
    if ((s.flags & BTR_KEY_NULL_ALL) && (s.flags & BTR_KEY_NULL_ANY)) {
      return BTR_STATUS_INCONSISTENT_KEY_FLAGS;
    }
    // Collating sequences and case folding order characters: on other types
    // the pair of them (which would select a numbered ACS) makes no sense.
    if (!IsStringType(type) && (s.flags & BTR_KEY_ACS) && (s.flags & BTR_KEY_NO_CASE)) {
      return BTR_STATUS_INCONSISTENT_KEY_FLAGS;
    }
    if (type == BTR_TYPE_NULL_INDICATOR) {
      // Nulls always sort first, and an indicator describes the segment after
      // it: it may not be descending, last, or followed by another indicator.
      if (s.flags & BTR_KEY_DESCENDING) return BTR_STATUS_INCONSISTENT_KEY_FLAGS;
      if (i + 1 == count || SegmentType(key.segments[i + 1]) == BTR_TYPE_NULL_INDICATOR) {
        return BTR_STATUS_INCONSISTENT_KEY_FLAGS;
      }
    }
    if ((s.flags & BTR_KEY_ACS) && s.acs_number >= acs_count) return BTR_STATUS_INVALID_ACS;
  }
  if (total > BTR_MAX_KEY_SIZE) return BTR_STATUS_INVALID_KEY_LENGTH;
  return BTR_STATUS_SUCCESS;
}

int16_t ValidateAcs(const Acs& acs) {
  return acs.block[0] == BTR_ACS_SIGNATURE ? BTR_STATUS_SUCCESS : BTR_STATUS_INVALID_ACS;
}

}  // namespace vv::engine
