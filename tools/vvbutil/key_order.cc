#include "vvbutil/key_order.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "veverave/btrieve.h"

namespace vv::butil {
namespace {

using Bytes = const uint8_t*;

int Sign(long long v) {
  return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

// Little-endian integers of any length, most significant byte last.
int CompareUnsigned(Bytes a, Bytes b, std::size_t n) {
  for (std::size_t i = n; i-- > 0;) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return 0;
}

int CompareSigned(Bytes a, Bytes b, std::size_t n) {
  const int top = Sign(static_cast<int8_t>(a[n - 1]) - static_cast<int8_t>(b[n - 1]));
  return top != 0 ? top : CompareUnsigned(a, b, n - 1);
}

template <typename F>
int CompareFloat(Bytes a, Bytes b) {
  F x;
  F y;
  std::memcpy(&x, a, sizeof x);
  std::memcpy(&y, b, sizeof y);
  if (std::isnan(x) || std::isnan(y)) {
    return std::isnan(x) == std::isnan(y) ? 0 : (std::isnan(x) ? 1 : -1);
  }
  return x < y ? -1 : (x > y ? 1 : 0);
}

// Microsoft Binary Format: the exponent in the last byte (0: the value is
// zero), the sign in the top bit of the byte before it, the mantissa below.
// Exponent over mantissa orders the magnitudes.
long long BfloatOrder(Bytes p, std::size_t n) {
  if (p[n - 1] == 0) return 0;
  uint64_t mantissa = 0;
  for (std::size_t i = n - 1; i-- > 0;) mantissa = (mantissa << 8) | p[i];
  const unsigned bits = static_cast<unsigned>((n - 1) * 8 - 1);
  const bool negative = ((mantissa >> bits) & 1) != 0;
  mantissa &= (uint64_t{1} << bits) - 1;
  const auto magnitude = static_cast<long long>((uint64_t{p[n - 1]} << bits) | mantissa);
  return negative ? -magnitude : magnitude;
}

bool PackedNegative(Bytes p, std::size_t n) {
  if ((p[n - 1] & 0x0F) != 0x0D) return false;
  for (std::size_t i = 0; i + 1 < n; ++i) {
    if (p[i] != 0) return true;
  }
  return (p[n - 1] >> 4) != 0;
}

int ComparePacked(Bytes a, Bytes b, std::size_t n) {
  const bool negA = PackedNegative(a, n);
  if (negA != PackedNegative(b, n)) return negA ? -1 : 1;
  // The digit nibbles in the order they stand: the first n - 1 bytes, then
  // the high nibble of the last.
  int c = Sign(std::memcmp(a, b, n - 1));
  if (c == 0) c = Sign((a[n - 1] >> 4) - (b[n - 1] >> 4));
  return negA ? -c : c;
}

int Digit(uint8_t c) {
  return c >= '0' && c <= '9' ? c - '0' : 0;
}

// A zoned number: its digit positions (the last one decoded from its
// overpunch) and its sign.
struct Zoned {
  std::size_t digits = 0;
  int last = 0;
  bool negative = false;
};

Zoned DecodeZoned(Bytes p, std::size_t n, uint8_t type) {
  Zoned z{n, 0, false};
  const uint8_t c = p[n - 1];
  if (type == BTR_TYPE_NUMERIC_STS) {
    z.digits = n - 1;
    z.negative = c == '-';
    z.last = z.digits > 0 ? Digit(p[z.digits - 1]) : 0;
  } else if (c >= '0' && c <= '9') {
    z.last = c - '0';
  } else if (type == BTR_TYPE_NUMERIC) {
    if (c >= 'A' && c <= 'I') z.last = c - 'A' + 1;
    if (c == '}' || (c >= 'J' && c <= 'R')) {
      z.negative = true;
      z.last = c == '}' ? 0 : c - 'J' + 1;
    }
  } else if (c >= 'p' && c <= 'y') {
    z.negative = true;
    z.last = c - 'p';
  }
  bool zero = z.last == 0;
  for (std::size_t i = 0; zero && i + 1 < z.digits; ++i) zero = Digit(p[i]) == 0;
  if (zero) z.negative = false;
  return z;
}

int CompareZoned(Bytes a, Bytes b, std::size_t n, uint8_t type) {
  const Zoned x = DecodeZoned(a, n, type);
  const Zoned y = DecodeZoned(b, n, type);
  if (x.negative != y.negative) return x.negative ? -1 : 1;
  int c = 0;
  for (std::size_t i = 0; c == 0 && i + 1 < x.digits; ++i) c = Sign(Digit(a[i]) - Digit(b[i]));
  if (c == 0 && x.digits > 0) c = Sign(x.last - y.last);
  return x.negative ? -c : c;
}

// The byte map of a text segment: its collating sequence, else a-z folded to
// A-Z, else none (null).
const uint8_t* TextMap(const SegmentLayout& s, const std::vector<AcsBlock>& acs) {
  static const auto kUpper = [] {
    std::array<uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i) t[i] = static_cast<uint8_t>(i >= 'a' && i <= 'z' ? i - 32 : i);
    return t;
  }();
  if ((s.flags & BTR_KEY_ACS) != 0) {
    return s.acs_number < acs.size() ? acs[s.acs_number].data() + 9 : nullptr;
  }
  return (s.flags & BTR_KEY_NO_CASE) != 0 ? kUpper.data() : nullptr;
}

int CompareText(Bytes a, std::size_t na, Bytes b, std::size_t nb, const uint8_t* map) {
  for (std::size_t i = 0; i < na && i < nb; ++i) {
    const uint8_t x = map != nullptr ? map[a[i]] : a[i];
    const uint8_t y = map != nullptr ? map[b[i]] : b[i];
    if (x != y) return x < y ? -1 : 1;
  }
  return na < nb ? -1 : (na > nb ? 1 : 0);
}

std::size_t ZstringLength(Bytes p, std::size_t n) {
  const void* nul = std::memchr(p, 0, n);
  return nul == nullptr ? n : static_cast<std::size_t>(static_cast<Bytes>(nul) - p);
}

uint8_t TypeOf(const SegmentLayout& s) {
  if ((s.flags & BTR_KEY_EXTENDED_TYPE) == 0) {
    return (s.flags & BTR_KEY_BINARY) != 0 ? uint8_t{BTR_TYPE_UNSIGNED} : uint8_t{BTR_TYPE_STRING};
  }
  return s.type;
}

int CompareSegment(const SegmentLayout& s, Bytes a, Bytes b, const std::vector<AcsBlock>& acs) {
  const std::size_t n = s.length;
  const uint8_t type = TypeOf(s);
  switch (type) {
    case BTR_TYPE_STRING:
      return CompareText(a, n, b, n, TextMap(s, acs));
    case BTR_TYPE_LSTRING: {
      const std::size_t la = a[0] < n ? a[0] : n - 1;
      const std::size_t lb = b[0] < n ? b[0] : n - 1;
      return CompareText(a + 1, la, b + 1, lb, TextMap(s, acs));
    }
    case BTR_TYPE_ZSTRING:
      return CompareText(a, ZstringLength(a, n), b, ZstringLength(b, n), TextMap(s, acs));
    case BTR_TYPE_INTEGER:
    case BTR_TYPE_AUTOINCREMENT:
    case BTR_TYPE_CURRENCY:
      return CompareSigned(a, b, n);
    case BTR_TYPE_FLOAT:
      if (n == 4) return CompareFloat<float>(a, b);
      if (n == 8) return CompareFloat<double>(a, b);
      return CompareUnsigned(a, b, n);
    case BTR_TYPE_BFLOAT:
      if (n != 4 && n != 8) return CompareUnsigned(a, b, n);
      return BfloatOrder(a, n) < BfloatOrder(b, n) ? -1 : (BfloatOrder(a, n) > BfloatOrder(b, n));
    case BTR_TYPE_DECIMAL:
    case BTR_TYPE_MONEY:
      return ComparePacked(a, b, n);
    case BTR_TYPE_NUMERIC:
    case BTR_TYPE_NUMERIC_SA:
    case BTR_TYPE_NUMERIC_STS:
      return CompareZoned(a, b, n, type);
    default:
      // Unsigned binary, logical, timestamp, date, time; and types no key
      // may have, which a file cannot hold, ordered as bytes anyway.
      return CompareUnsigned(a, b, n);
  }
}

}  // namespace

std::size_t FileKey::length() const {
  std::size_t n = 0;
  for (const SegmentLayout& s : segments) n += s.length;
  return n;
}

bool FileKey::duplicates() const {
  return !segments.empty() && (segments[0].flags & BTR_KEY_DUPLICATES) != 0;
}

std::vector<FileKey> KeysOfFile(const StatInfo& info) {
  std::vector<FileKey> keys;
  bool startNew = true;
  for (const SegmentLayout& s : info.segments) {
    if (startNew) {
      keys.emplace_back();
      keys.back().number = s.key_number;
    }
    keys.back().segments.push_back(s);
    startNew = (s.flags & BTR_KEY_SEGMENTED) == 0;
  }
  return keys;
}

bool KeyOfRecord(const FileKey& key, std::string_view record, std::string* value) {
  value->clear();
  for (const SegmentLayout& s : key.segments) {
    if (s.position == 0 || s.position - 1u + s.length > record.size()) return false;
    value->append(record.substr(s.position - 1u, s.length));
  }
  return true;
}

bool LeavesOut(const FileKey& key, std::string_view value) {
  if (key.segments.empty()) return false;
  const uint16_t flags = key.segments[0].flags;
  const bool all = (flags & BTR_KEY_NULL_ALL) != 0;
  const bool any = (flags & BTR_KEY_NULL_ANY) != 0;
  if (!all && !any) return false;
  bool seen = false;
  std::size_t at = 0;
  for (const SegmentLayout& s : key.segments) {
    const std::string_view bytes = value.substr(std::min(at, value.size()), s.length);
    at += s.length;
    if (TypeOf(s) == BTR_TYPE_NULL_INDICATOR) continue;
    const bool isNull =
        bytes.find_first_not_of(static_cast<char>(s.null_value)) == std::string_view::npos;
    if (any && isNull) return true;
    if (all && !isNull) return false;
    seen = true;
  }
  return all && seen;
}

int CompareKeyValues(const FileKey& key, std::string_view a, std::string_view b,
                     const std::vector<AcsBlock>& acs) {
  if (a.size() < key.length() || b.size() < key.length()) {
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
  }
  auto pa = reinterpret_cast<Bytes>(a.data());
  auto pb = reinterpret_cast<Bytes>(b.data());
  for (std::size_t i = 0; i < key.segments.size(); ++i) {
    const SegmentLayout& s = key.segments[i];
    if (TypeOf(s) == BTR_TYPE_NULL_INDICATOR) {
      const bool nullA = pa[0] != 0;
      if (nullA != (pb[0] != 0)) return nullA ? -1 : 1;
      pa += s.length;
      pb += s.length;
      if (nullA && i + 1 < key.segments.size()) {
        ++i;
        pa += key.segments[i].length;
        pb += key.segments[i].length;
      }
      continue;
    }
    int c = CompareSegment(s, pa, pb, acs);
    if ((s.flags & BTR_KEY_DESCENDING) != 0) c = -c;
    if (c != 0) return c;
    pa += s.length;
    pb += s.length;
  }
  return 0;
}

}  // namespace vv::butil
