#include "vv/values.h"

#include "veverave/btrieve.h"
#include "veverave/ddf_layout.h"
#include "veverave/host_services.h"
#include "vv/day_number.h"
#include "vvbutil/btrieve_names.h"

namespace vv::tools {
namespace {

// Longest fixed-length text the host shows as ASCII; longer text fields are
// long text.
constexpr int32_t kAsciiMax = 255;

std::string Trimmed(const std::string& text, bool left) {
  const std::size_t end = text.find_last_not_of(std::string(" \0", 2));
  if (end == std::string::npos) return "";
  const std::size_t begin = left ? text.find_first_not_of(' ') : 0;
  return text.substr(begin, end + 1 - begin);
}

}  // namespace

std::string HexText(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (char c : bytes) {
    text += kDigits[static_cast<unsigned char>(c) >> 4];
    text += kDigits[static_cast<unsigned char>(c) & 0xF];
  }
  return text;
}

bool ParseHex(std::string_view text, std::string* bytes) {
  const auto digit = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  if (text.size() % 2 != 0) return false;
  bytes->clear();
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const int high = digit(text[i]);
    const int low = digit(text[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes->push_back(static_cast<char>(high * 16 + low));
  }
  return true;
}

bool ParseWholeNumber(std::string_view text, int64_t* out) {
  if (text.empty() || text.size() > 12) return false;
  std::size_t i = text[0] == '-' ? 1 : 0;
  if (i == text.size()) return false;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  *out = text[0] == '-' ? -value : value;
  return true;
}

ValueKind KindOf(const FieldInfo& field) {
  switch (field.hostType) {
    case VV_HOST_TYPE_ASCII:
    case VV_HOST_TYPE_OVERLAP:
      return ValueKind::kText;
    case VV_HOST_TYPE_BCD:
      return ValueKind::kNumber;
    case VV_HOST_TYPE_DATE:
      return ValueKind::kDate;
    case VV_HOST_TYPE_TEXT:
      return ValueKind::kLongText;
    case VV_HOST_TYPE_BINARY:
      return ValueKind::kBinary;
    default:
      break;
  }
  switch (field.btrType) {
    case BTR_TYPE_STRING:
    case BTR_TYPE_LSTRING:
    case BTR_TYPE_ZSTRING:
      return field.size > kAsciiMax ? ValueKind::kLongText : ValueKind::kText;
    case BTR_TYPE_NOTE:
      return ValueKind::kLongText;
    case BTR_TYPE_LONGVAR:
      return (field.ddfFlags & kDdfFieldBinary) != 0 ? ValueKind::kBinary : ValueKind::kLongText;
    case BTR_TYPE_LVAR:
      return ValueKind::kBinary;
    case BTR_TYPE_DATE:
      return ValueKind::kDate;
    default:
      return ValueKind::kNumber;
  }
}

std::string ShowValue(const FieldInfo& field, const std::string& raw) {
  switch (KindOf(field)) {
    case ValueKind::kNumber:
      return Trimmed(raw, true);
    case ValueKind::kDate: {
      const std::string text = Trimmed(raw, true);
      int64_t day = 0;
      if (!ParseWholeNumber(text, &day) || day < 0 || day > INT32_MAX) return text;
      return DateText(static_cast<int32_t>(day));
    }
    case ValueKind::kText:
      return Trimmed(raw, false);
    default:
      return raw;
  }
}

bool ParseDayNumber(const std::string& text, int32_t* day) {
  if (ParseDate(text, day)) return true;
  int64_t number = 0;
  if (!ParseWholeNumber(text, &number) || number < 0 || number > INT32_MAX) return false;
  *day = static_cast<int32_t>(number);
  return true;
}

std::string BtrTypeName(int32_t type) {
  switch (type) {
    case BTR_TYPE_NOTE:
      return "note";
    case BTR_TYPE_LVAR:
      return "lvar";
    case BTR_TYPE_BIT:
      return "bit";
    case BTR_TYPE_LONGVAR:
      return "longvar";
    default:
      break;
  }
  const char* name =
      type >= 0 && type <= 255 ? butil::KeyTypeName(static_cast<uint8_t>(type)) : nullptr;
  return name != nullptr ? name : "type " + std::to_string(type);
}

std::string HostTypeName(int32_t type) {
  static const char* const kNames[VV_HOST_TYPE_COUNT] = {VV_HOST_TYPE_NAME_LIST};
  return type >= 0 && type < VV_HOST_TYPE_COUNT ? kNames[type] : "-";
}

}  // namespace vv::tools
