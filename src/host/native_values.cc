#include "host/native_values.h"

#include <algorithm>
#include <cstring>

#include "host/bcd.h"
#include "host/decimal.h"
#include "host/host_errors.h"

namespace vv::host {
namespace {

constexpr uint8_t kSignPositive = 0x0C;
constexpr uint8_t kSignNegative = 0x0D;
constexpr int kFraction = VV_BCD_FRACTION_DIGITS;

bool IsNumber(const NativeField& f) {
  return f.type == VV_HOST_TYPE_BCD || f.type == VV_HOST_TYPE_DATE;
}

uint8_t* At(const NativeField& f, uint8_t* record) {
  return record + f.offset - 1;
}
const uint8_t* At(const NativeField& f, const uint8_t* record) {
  return record + f.offset - 1;
}

int Nibble(const uint8_t* bytes, int k) {
  return k % 2 == 0 ? bytes[k / 2] >> 4 : bytes[k / 2] & 0x0F;
}

void SetNibble(uint8_t* bytes, int k, int v) {
  uint8_t& b = bytes[k / 2];
  b = k % 2 == 0 ? static_cast<uint8_t>((b & 0x0F) | (v << 4))
                 : static_cast<uint8_t>((b & 0xF0) | v);
}

// Packs a value that already has at most length - decimals integer digits and
// decimals fraction digits.
void Pack(const NativeField& f, const Decimal& d, uint8_t* bytes) {
  const int nibbles = 2 * f.size;
  std::memset(bytes, 0, static_cast<std::size_t>(f.size));
  SetNibble(bytes, nibbles - 1, d.negative ? kSignNegative : kSignPositive);
  for (int j = 0; j < f.length; ++j) {
    SetNibble(bytes, nibbles - 2 - j,
              d.magnitude.d[static_cast<std::size_t>(kFraction - f.decimals + j)]);
  }
}

int16_t Unpack(const NativeField& f, const uint8_t* bytes, VvBcd* out) {
  const int nibbles = 2 * f.size;
  const int sign = Nibble(bytes, nibbles - 1);
  if (sign < 0x0A) return kErrTableFormat;
  Decimal d;
  d.negative = sign == kSignNegative || sign == 0x0B;
  for (int j = 0; j < f.length; ++j) {
    const int digit = Nibble(bytes, nibbles - 2 - j);
    if (digit > 9) return kErrTableFormat;
    d.magnitude.d[static_cast<std::size_t>(kFraction - f.decimals + j)] =
        static_cast<uint8_t>(digit);
  }
  return DecimalToBcd(d, out);
}

std::string TrimBlanks(std::string_view text) {
  std::size_t b = 0;
  std::size_t e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
  return std::string(text.substr(b, e - b));
}

// A number as text without needless fraction zeros: 12.5, 7, -0.25.
int16_t NumberText(const VvBcd& value, char sep, std::string* out) {
  if (int16_t rc = BcdToText(value, 0, kFraction, sep, out)) return rc;
  const std::size_t point = out->find(sep);
  if (point != std::string::npos) {
    std::size_t end = out->find_last_not_of('0');
    if (end == point) --end;
    out->resize(end + 1);
  }
  return 0;
}

char Fold(uint8_t c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : static_cast<char>(c);
}

}  // namespace

void FieldClear(const NativeField& f, uint8_t* record) {
  uint8_t* bytes = At(f, record);
  switch (f.type) {
    case VV_HOST_TYPE_ASCII:
      std::memset(bytes, ' ', static_cast<std::size_t>(f.size));
      break;
    case VV_HOST_TYPE_BCD:
    case VV_HOST_TYPE_DATE:
      Pack(f, Decimal{}, bytes);
      break;
    case VV_HOST_TYPE_TEXT:
    case VV_HOST_TYPE_BINARY:
      std::memset(bytes, 0, static_cast<std::size_t>(f.size));
      break;
    default:
      break;
  }
}

int16_t FieldGetText(const NativeField& f, const uint8_t* record, char sep, std::string* out) {
  const uint8_t* bytes = At(f, record);
  const auto n = static_cast<std::size_t>(f.size);
  switch (f.type) {
    case VV_HOST_TYPE_ASCII:
    case VV_HOST_TYPE_OVERLAP: {
      std::size_t end = n;
      while (end > 0 && bytes[end - 1] == ' ') --end;
      out->assign(reinterpret_cast<const char*>(bytes), end);
      return 0;
    }
    case VV_HOST_TYPE_TEXT: {
      const auto* end = std::find(bytes, bytes + n, uint8_t{0});
      out->assign(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(end - bytes));
      return 0;
    }
    case VV_HOST_TYPE_BINARY:
      out->assign(reinterpret_cast<const char*>(bytes), n);
      return 0;
    default: {
      VvBcd value;
      if (int16_t rc = Unpack(f, bytes, &value)) return rc;
      return BcdToText(value, 0, f.decimals, sep, out);
    }
  }
}

int16_t FieldPutText(const NativeField& f, std::string_view text, int32_t offset, bool keepEnd,
                     char sep, uint8_t* record) {
  if (IsNumber(f)) {
    VvBcd value;
    if (int16_t rc = BcdFromText(text, sep, &value)) return rc;
    return FieldPutBcd(f, value, sep, record);
  }
  if (offset < 0) return kErrBadArgument;
  if (offset >= f.size) return 0;
  uint8_t* bytes = At(f, record) + offset;
  const auto room = static_cast<std::size_t>(f.size - offset);
  const std::size_t n = std::min(text.size(), room);
  std::memcpy(bytes, text.data(), n);
  if (!keepEnd) {
    const bool blanks = f.type == VV_HOST_TYPE_ASCII || f.type == VV_HOST_TYPE_OVERLAP;
    std::memset(bytes + n, blanks ? ' ' : 0, room - n);
  }
  return 0;
}

int16_t FieldGetBcd(const NativeField& f, const uint8_t* record, char sep, VvBcd* out) {
  if (IsNumber(f)) return Unpack(f, At(f, record), out);
  if (f.type == VV_HOST_TYPE_BINARY) return kErrFieldType;
  std::string text;
  FieldGetText(f, record, sep, &text);
  return BcdFromText(TrimBlanks(text), sep, out);
}

int16_t FieldPutBcd(const NativeField& f, const VvBcd& value, char sep, uint8_t* record) {
  if (f.type == VV_HOST_TYPE_BINARY) return kErrFieldType;
  if (!IsNumber(f)) {
    std::string text;
    if (int16_t rc = NumberText(value, sep, &text)) return rc;
    return FieldPutText(f, text, 0, false, sep, record);
  }
  VvBcd rounded;
  if (f.type == VV_HOST_TYPE_DATE) {
    int32_t day = 0;
    if (int16_t rc = BcdToInt(value, &day)) return rc;
    if (day < 0) return kErrInvalidDate;
    if (int16_t rc = BcdFromInt(day, &rounded)) return rc;
  }
  const VvBcd& source = f.type == VV_HOST_TYPE_DATE ? rounded : value;
  if (int16_t rc = BcdRound(source, f.decimals, f.length - f.decimals, &rounded)) return rc;
  Decimal d;
  if (int16_t rc = DecimalFromBcd(rounded, &d)) return rc;
  Pack(f, d, At(f, record));
  return 0;
}

int FieldCompare(const NativeField& f, bool ignoreCase, const uint8_t* a, const uint8_t* b) {
  if (IsNumber(f)) {
    VvBcd va = BcdZero();
    VvBcd vb = BcdZero();
    Unpack(f, At(f, a), &va);
    Unpack(f, At(f, b), &vb);
    return BcdCompare(va, vb);
  }
  const uint8_t* pa = At(f, a);
  const uint8_t* pb = At(f, b);
  for (int32_t i = 0; i < f.size; ++i) {
    const int ca = ignoreCase ? static_cast<uint8_t>(Fold(pa[i])) : pa[i];
    const int cb = ignoreCase ? static_cast<uint8_t>(Fold(pb[i])) : pb[i];
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return 0;
}

int32_t FieldTextCapacity(const NativeField& f) {
  // A number: sign, integer digits (at least "0"), separator and decimals.
  if (IsNumber(f)) return 3 + std::max(f.length, f.decimals + 1);
  return f.size;
}

}  // namespace vv::host
