#include "vvbutil/desc_file.h"

#include <cstdint>

#include "veverave/btrieve.h"
#include "vvbutil/btrieve_names.h"

namespace vv::butil {
namespace {

enum class Element {
  // file
  kRecord,
  kVariable,
  kTruncate,
  kCompress,
  kKey,
  kPage,
  kAllocation,
  kReplace,
  kBalance,
  kDupKey,
  kFreeThreshold,
  // segment
  kPosition,
  kLength,
  kDuplicates,
  kModifiable,
  kType,
  kDescending,
  kAlternate,
  kCaseInsensitive,
  kRepeatDup,
  kNullKey,
  kNullOld,    // null=y: null key, all segments
  kManualOld,  // manual=y: null key, any segment
  kValue,
  kSegment,
  // end
  kName,
};

enum class Part { kFile, kSegment, kEnd };

struct ElementInfo {
  const char* keyword;
  Element element;
  Part part;
};

constexpr ElementInfo kElements[] = {
    {"record", Element::kRecord, Part::kFile},
    {"variable", Element::kVariable, Part::kFile},
    {"truncate", Element::kTruncate, Part::kFile},
    {"compress", Element::kCompress, Part::kFile},
    {"key", Element::kKey, Part::kFile},
    {"page", Element::kPage, Part::kFile},
    {"allocation", Element::kAllocation, Part::kFile},
    {"replace", Element::kReplace, Part::kFile},
    {"balance", Element::kBalance, Part::kFile},
    {"dupkey", Element::kDupKey, Part::kFile},
    {"fthreshold", Element::kFreeThreshold, Part::kFile},
    {"position", Element::kPosition, Part::kSegment},
    {"length", Element::kLength, Part::kSegment},
    {"duplicates", Element::kDuplicates, Part::kSegment},
    {"modifiable", Element::kModifiable, Part::kSegment},
    {"type", Element::kType, Part::kSegment},
    {"descending", Element::kDescending, Part::kSegment},
    {"alternate", Element::kAlternate, Part::kSegment},
    {"caseinsensitive", Element::kCaseInsensitive, Part::kSegment},
    {"repeatdup", Element::kRepeatDup, Part::kSegment},
    {"nullkey", Element::kNullKey, Part::kSegment},
    {"null", Element::kNullOld, Part::kSegment},
    {"manual", Element::kManualOld, Part::kSegment},
    {"value", Element::kValue, Part::kSegment},
    {"segment", Element::kSegment, Part::kSegment},
    {"name", Element::kName, Part::kEnd},
};

constexpr uint16_t kDefaultPageSize = 4096;

struct Token {
  std::string keyword;  // lower case
  std::string value;
  int line;
};

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerString(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = Lower(c);
  return out;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

std::string At(int line) {
  return "line " + std::to_string(line) + ": ";
}

// Splits text into keyword=value tokens, skipping comments. A word without
// '=' right after a type= element continues the type name.
bool Tokenize(std::string_view text, std::vector<Token>* tokens, std::string* error) {
  int line = 1;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\n') ++line;
    if (IsBlank(c)) {
      ++i;
      continue;
    }
    if (text.compare(i, 2, "/*") == 0) {
      const std::size_t end = text.find("*/", i + 2);
      if (end == std::string_view::npos) {
        *error = At(line) + "comment without its closing */";
        return false;
      }
      for (std::size_t j = i; j < end; ++j) line += text[j] == '\n';
      i = end + 2;
      continue;
    }
    std::size_t end = i;
    while (end < text.size() && !IsBlank(text[end])) ++end;
    const std::string_view word = text.substr(i, end - i);
    i = end;
    const std::size_t eq = word.find('=');
    if (eq == std::string_view::npos) {
      if (!tokens->empty() && tokens->back().keyword == "type" && tokens->back().line == line) {
        tokens->back().value += ' ';
        tokens->back().value += word;
        continue;
      }
      *error = At(line) + "expected keyword=value, found '" + std::string(word) + "'";
      return false;
    }
    Token t{LowerString(word.substr(0, eq)), std::string(word.substr(eq + 1)), line};
    if (t.value.empty()) {
      *error = At(line) + "no value after '" + t.keyword + "='";
      return false;
    }
    tokens->push_back(std::move(t));
  }
  return true;
}

bool ParseNumber(const Token& t, uint32_t min, uint32_t max, uint32_t* out, std::string* error) {
  uint64_t v = 0;
  for (char c : t.value) {
    if (c < '0' || c > '9') {
      *error = At(t.line) + t.keyword + "=" + t.value + ": not a number";
      return false;
    }
    if (v <= max) v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  if (v < min || v > max) {
    *error = At(t.line) + t.keyword + "=" + t.value + ": must be " + std::to_string(min) + " to " +
             std::to_string(max);
    return false;
  }
  *out = static_cast<uint32_t>(v);
  return true;
}

bool ParseYesNo(const Token& t, bool* out, std::string* error) {
  const std::string v = LowerString(t.value);
  if (v == "y" || v == "yes") {
    *out = true;
  } else if (v == "n" || v == "no") {
    *out = false;
  } else {
    *error = At(t.line) + t.keyword + "=" + t.value + ": expected y or n";
    return false;
  }
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = Lower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool ParseHexByte(const Token& t, uint8_t* out, std::string* error) {
  std::string_view v = t.value;
  if (v.size() > 2 && v[0] == '0' && Lower(v[1]) == 'x') v.remove_prefix(2);
  int value = 0;
  bool ok = !v.empty() && v.size() <= 2;
  for (char c : v) {
    const int d = HexDigit(c);
    ok = ok && d >= 0;
    value = value * 16 + d;
  }
  if (!ok) {
    *error = At(t.line) + "value=" + t.value + ": expected a hexadecimal byte (00 to ff)";
    return false;
  }
  *out = static_cast<uint8_t>(value);
  return true;
}

void SetFlag(uint16_t* flags, uint16_t bit, bool on) {
  *flags = static_cast<uint16_t>(on ? (*flags | bit) : (*flags & ~bit));
}

// The elements of one segment seen so far (each may appear once).
struct SegmentState {
  SegmentLayout layout;
  uint32_t seen = 0;
  int line = 0;
};

class Parser {
 public:
  Parser(DescKind kind, Description* out, std::string* error)
      : kind_(kind), out_(out), error_(error) {}

  bool Run(const std::vector<Token>& tokens) {
    *out_ = Description{};
    out_->file.page_size = kDefaultPageSize;
    part_ = kind_ == DescKind::kCreate ? Part::kFile : Part::kSegment;
    for (const Token& t : tokens) {
      const ElementInfo* info = Find(t.keyword);
      if (info == nullptr) return Fail(t, "unknown element '" + t.keyword + "'");
      if (!Accept(t, *info)) return false;
    }
    return Finish();
  }

 private:
  static const ElementInfo* Find(const std::string& keyword) {
    for (const ElementInfo& e : kElements) {
      if (keyword == e.keyword) return &e;
    }
    return nullptr;
  }

  bool Fail(const Token& t, const std::string& what) {
    *error_ = At(t.line) + what;
    return false;
  }

  bool Accept(const Token& t, const ElementInfo& info) {
    if (part_ == Part::kEnd) return Fail(t, "'" + t.keyword + "' after name=");
    if (info.part == Part::kFile) {
      if (kind_ == DescKind::kIndex)
        return Fail(t, "'" + t.keyword + "' describes a file, not an index");
      if (part_ != Part::kFile)
        return Fail(t, "'" + t.keyword + "' belongs before the key segments");
      if (file_seen_ & Bit(info.element)) return Fail(t, "'" + t.keyword + "' given twice");
      file_seen_ |= Bit(info.element);
      return FileElement(t, info.element);
    }
    if (info.part == Part::kEnd) {
      if (!EndSegment()) return false;
      out_->acs_file = t.value;
      part_ = Part::kEnd;
      return true;
    }
    if (info.element == Element::kPosition) {
      if (!EndSegment()) return false;
      part_ = Part::kSegment;
      in_segment_ = true;
      segment_ = SegmentState{};
      segment_.line = t.line;
      segment_.layout.flags = BTR_KEY_EXTENDED_TYPE;
      segment_.layout.type = BTR_TYPE_STRING;
    } else if (!in_segment_) {
      return Fail(t, "'" + t.keyword + "' before the segment's position=");
    }
    if (segment_.seen & Bit(info.element))
      return Fail(t, "'" + t.keyword + "' given twice in a segment");
    segment_.seen |= Bit(info.element);
    return SegmentElement(t, info.element);
  }

  static uint32_t Bit(Element e) { return uint32_t{1} << static_cast<int>(e); }

  bool FileElement(const Token& t, Element e) {
    FileLayout& f = out_->file;
    uint32_t n = 0;
    bool yes = false;
    switch (e) {
      case Element::kRecord:
        if (!ParseNumber(t, 1, UINT16_MAX, &n, error_)) return false;
        f.record_length = static_cast<uint16_t>(n);
        return true;
      case Element::kKey:
        if (!ParseNumber(t, 0, UINT8_MAX, &n, error_)) return false;
        f.key_count = static_cast<uint8_t>(n);
        return true;
      case Element::kPage:
        if (!ParseNumber(t, 1, UINT16_MAX, &n, error_)) return false;
        f.page_size = static_cast<uint16_t>(n);
        return true;
      case Element::kAllocation:
        if (!ParseNumber(t, 0, UINT16_MAX, &n, error_)) return false;
        f.preallocation = static_cast<uint16_t>(n);
        SetFlag(&f.flags, BTR_FILE_PREALLOCATION, n > 0);
        return true;
      case Element::kDupKey:
        if (!ParseNumber(t, 0, UINT8_MAX, &n, error_)) return false;
        f.dup_pointers = static_cast<uint8_t>(n);
        SetFlag(&f.flags, BTR_FILE_DUP_POINTERS, n > 0);
        return true;
      case Element::kFreeThreshold:
        if (!ParseNumber(t, 5, 30, &n, error_)) return false;
        if (n != 5 && n != 10 && n != 20 && n != 30)
          return Fail(t, "fthreshold must be 5, 10, 20 or 30");
        SetFlag(&f.flags, BTR_FILE_FREE_10, n == 10 || n == 30);
        SetFlag(&f.flags, BTR_FILE_FREE_20, n == 20 || n == 30);
        return true;
      case Element::kReplace:
        if (!ParseYesNo(t, &yes, error_)) return false;
        out_->replace = yes;
        return true;
      default:
        break;
    }
    if (!ParseYesNo(t, &yes, error_)) return false;
    const uint16_t bit = e == Element::kVariable   ? BTR_FILE_VARIABLE
                         : e == Element::kTruncate ? BTR_FILE_BLANK_TRUNCATION
                         : e == Element::kCompress ? BTR_FILE_COMPRESSION
                                                   : BTR_FILE_BALANCED;
    SetFlag(&f.flags, bit, yes);
    return true;
  }

  bool SegmentElement(const Token& t, Element e) {
    SegmentLayout& s = segment_.layout;
    uint32_t n = 0;
    bool yes = false;
    switch (e) {
      case Element::kPosition:
        if (!ParseNumber(t, 1, UINT16_MAX, &n, error_)) return false;
        s.position = static_cast<uint16_t>(n);
        return true;
      case Element::kLength:
        if (!ParseNumber(t, 1, UINT16_MAX, &n, error_)) return false;
        s.length = static_cast<uint16_t>(n);
        return true;
      case Element::kType: {
        const std::optional<uint8_t> type = KeyTypeFromName(t.value);
        if (!type) return Fail(t, "type=" + t.value + ": unknown or ambiguous key type");
        s.type = *type;
        return true;
      }
      case Element::kNullKey: {
        const std::string v = LowerString(t.value);
        SetFlag(&s.flags, BTR_KEY_NULL_ALL, v.rfind("all", 0) == 0);
        SetFlag(&s.flags, BTR_KEY_NULL_ANY, v.rfind("any", 0) == 0);
        if (v.rfind("all", 0) != 0 && v.rfind("any", 0) != 0 && v != "n" && v != "no") {
          return Fail(t, "nullkey=" + t.value + ": expected allsegs, anyseg or n");
        }
        return true;
      }
      case Element::kValue:
        return ParseHexByte(t, &s.null_value, error_);
      default:
        break;
    }
    if (!ParseYesNo(t, &yes, error_)) return false;
    uint16_t bit = 0;
    switch (e) {
      case Element::kDuplicates:
        bit = BTR_KEY_DUPLICATES;
        break;
      case Element::kModifiable:
        bit = BTR_KEY_MODIFIABLE;
        break;
      case Element::kDescending:
        bit = BTR_KEY_DESCENDING;
        break;
      case Element::kAlternate:
        bit = BTR_KEY_ACS;
        break;
      case Element::kCaseInsensitive:
        bit = BTR_KEY_NO_CASE;
        break;
      case Element::kRepeatDup:
        bit = BTR_KEY_REPEAT_DUPLICATES;
        break;
      case Element::kNullOld:
        bit = BTR_KEY_NULL_ALL;
        break;
      case Element::kManualOld:
        bit = BTR_KEY_NULL_ANY;
        break;
      default:
        bit = BTR_KEY_SEGMENTED;
        break;
    }
    SetFlag(&s.flags, bit, yes);
    return true;
  }

  // Closes the open segment, if any: it needs its length.
  bool EndSegment() {
    if (!in_segment_) return true;
    in_segment_ = false;
    if (!(segment_.seen & Bit(Element::kLength))) {
      *error_ = At(segment_.line) + "segment without length=";
      return false;
    }
    if (segment_.layout.flags & BTR_KEY_ACS) out_->uses_acs = true;
    out_->segments.push_back(segment_.layout);
    if (!(segment_.layout.flags & BTR_KEY_SEGMENTED)) ++out_->key_count;
    return true;
  }

  bool Finish() {
    if (!EndSegment()) return false;
    if (!out_->segments.empty() && (out_->segments.back().flags & BTR_KEY_SEGMENTED)) {
      *error_ = "the last segment says segment=y but no segment follows";
      return false;
    }
    if (kind_ == DescKind::kIndex) {
      if (out_->key_count != 1) {
        *error_ = "an index description holds one key, this one " + std::to_string(out_->key_count);
        return false;
      }
      return true;
    }
    if (!(file_seen_ & Bit(Element::kRecord))) return Missing("record=");
    if (!(file_seen_ & Bit(Element::kKey))) return Missing("key=");
    if (out_->key_count != out_->file.key_count) {
      *error_ = "key=" + std::to_string(out_->file.key_count) + " but " +
                std::to_string(out_->key_count) + " keys are described";
      return false;
    }
    if (out_->uses_acs && out_->acs_file.empty()) {
      *error_ = "alternate=y needs a collating sequence file (name=)";
      return false;
    }
    return true;
  }

  bool Missing(const char* what) {
    *error_ = std::string("the description has no ") + what;
    return false;
  }

  DescKind kind_;
  Description* out_;
  std::string* error_;
  Part part_ = Part::kFile;
  uint32_t file_seen_ = 0;
  bool in_segment_ = false;
  SegmentState segment_;
};

}  // namespace

bool ParseDescription(std::string_view text, DescKind kind, Description* out, std::string* error) {
  std::vector<Token> tokens;
  if (!Tokenize(text, &tokens, error)) return false;
  return Parser(kind, out, error).Run(tokens);
}

}  // namespace vv::butil
