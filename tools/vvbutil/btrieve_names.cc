#include "vvbutil/btrieve_names.h"

#include <cstdio>

#include "veverave/btrieve.h"

namespace vv::butil {
namespace {

struct TypeName {
  uint8_t type;
  const char* name;
};

// Key types as description files and the stat report name them.
constexpr TypeName kTypeNames[] = {
    {BTR_TYPE_STRING, "string"},
    {BTR_TYPE_INTEGER, "integer"},
    {BTR_TYPE_FLOAT, "float"},
    {BTR_TYPE_DATE, "date"},
    {BTR_TYPE_TIME, "time"},
    {BTR_TYPE_DECIMAL, "decimal"},
    {BTR_TYPE_MONEY, "money"},
    {BTR_TYPE_LOGICAL, "logical"},
    {BTR_TYPE_NUMERIC, "numeric"},
    {BTR_TYPE_BFLOAT, "bfloat"},
    {BTR_TYPE_LSTRING, "lstring"},
    {BTR_TYPE_ZSTRING, "zstring"},
    {BTR_TYPE_UNSIGNED, "unsigned binary"},
    {BTR_TYPE_AUTOINCREMENT, "autoincrement"},
    {BTR_TYPE_NUMERIC_STS, "numericsts"},
    {BTR_TYPE_NUMERIC_SA, "numericsa"},
    {BTR_TYPE_CURRENCY, "currency"},
    {BTR_TYPE_TIMESTAMP, "timestamp"},
    {BTR_TYPE_NULL_INDICATOR, "null indicator"},
};

struct FlagName {
  uint16_t bit;
  const char* name;
};

constexpr FlagName kKeyFlagNames[] = {
    {BTR_KEY_DUPLICATES, "duplicates"},
    {BTR_KEY_MODIFIABLE, "modifiable"},
    {BTR_KEY_BINARY, "binary"},
    {BTR_KEY_NULL_ALL, "null-all-segments"},
    {BTR_KEY_SEGMENTED, "segmented"},
    {BTR_KEY_ACS, "alternate"},
    {BTR_KEY_DESCENDING, "descending"},
    {BTR_KEY_REPEAT_DUPLICATES, "repeating-duplicates"},
    {BTR_KEY_EXTENDED_TYPE, "extended-type"},
    {BTR_KEY_NULL_ANY, "null-any-segment"},
    {BTR_KEY_NO_CASE, "case-insensitive"},
};

// Free-space thresholds 10 and 20 together mean 30 percent.
constexpr FlagName kFileFlagNames[] = {
    {BTR_FILE_VARIABLE, "variable"},
    {BTR_FILE_BLANK_TRUNCATION, "blank-truncation"},
    {BTR_FILE_PREALLOCATION, "preallocation"},
    {BTR_FILE_COMPRESSION, "compression"},
    {BTR_FILE_KEY_ONLY, "key-only"},
    {BTR_FILE_BALANCED, "balanced"},
    {BTR_FILE_FREE_10 | BTR_FILE_FREE_20, "free-space-30"},
    {BTR_FILE_FREE_10, "free-space-10"},
    {BTR_FILE_FREE_20, "free-space-20"},
    {BTR_FILE_DUP_POINTERS, "duplicate-pointers"},
    {BTR_FILE_SYSTEM_DATA, "system-data"},
    {BTR_FILE_KEY_NUMBERS, "key-numbers"},
    {BTR_FILE_VATS, "vats"},
};

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// name without blanks, in lower case.
std::string Squeeze(std::string_view name) {
  std::string s;
  for (char c : name) {
    if (c != ' ' && c != '\t') s += Lower(c);
  }
  return s;
}

template <std::size_t N>
std::string FlagNames(uint16_t flags, const FlagName (&table)[N]) {
  std::string out;
  for (const FlagName& f : table) {
    if ((flags & f.bit) == f.bit) {
      if (!out.empty()) out += ' ';
      out += f.name;
      flags = static_cast<uint16_t>(flags & ~f.bit);
    }
  }
  if (flags != 0) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%04x", flags);
    if (!out.empty()) out += ' ';
    out += hex;
  }
  return out.empty() ? "-" : out;
}

}  // namespace

const char* StatusMeaning(int status) {
  switch (status) {
#define VV_STATUS_CASE(code, name, text) \
  case code:                             \
    return text;
    BTR_STATUSES(VV_STATUS_CASE)
#undef VV_STATUS_CASE
    default:
      return "unknown status";
  }
}

std::string StatusText(int status) {
  return "error " + std::to_string(status) + ": " + StatusMeaning(status);
}

const char* KeyTypeName(uint8_t type) {
  for (const TypeName& t : kTypeNames) {
    if (t.type == type) return t.name;
  }
  return nullptr;
}

std::optional<uint8_t> KeyTypeFromName(std::string_view name) {
  const std::string wanted = Squeeze(name);
  if (wanted.empty()) return std::nullopt;
  std::optional<uint8_t> found;
  int prefix_matches = 0;
  for (const TypeName& t : kTypeNames) {
    const std::string full = Squeeze(t.name);
    if (full == wanted) return t.type;  // a full name wins over longer names it prefixes
    if (full.compare(0, wanted.size(), wanted) == 0) {
      found = t.type;
      ++prefix_matches;
    }
  }
  return prefix_matches == 1 ? found : std::nullopt;
}

std::string KeyFlagNames(uint16_t flags) {
  return FlagNames(flags, kKeyFlagNames);
}

std::string FileFlagNames(uint16_t flags) {
  return FlagNames(flags, kFileFlagNames);
}

}  // namespace vv::butil
