#include "vvbutil/stat_report.h"

#include <cstdio>

#include "veverave/btrieve.h"
#include "vvbutil/btrieve_names.h"

namespace vv::butil {
namespace {

void Line(std::string* out, const char* label, const std::string& value) {
  char head[32];
  std::snprintf(head, sizeof head, "%-21s", label);
  *out += head;
  *out += value;
  *out += '\n';
}

std::string Hex2(unsigned v) {
  char s[8];
  std::snprintf(s, sizeof s, "%02X", v & 0xFF);
  return s;
}

std::string TypeText(const SegmentLayout& s) {
  if (!(s.flags & BTR_KEY_EXTENDED_TYPE)) {
    return (s.flags & BTR_KEY_BINARY) ? "binary" : "string";
  }
  const char* name = KeyTypeName(s.type);
  if (name != nullptr) return name;
  std::string text = "type ";
  text += std::to_string(s.type);
  return text;
}

std::string AcsText(const StatInfo& info, const SegmentLayout& s) {
  if (!(s.flags & BTR_KEY_ACS)) return "-";
  if (s.acs_number < info.acs.size()) {
    const std::string name = AcsName(info.acs[s.acs_number]);
    if (!name.empty()) return name;
  }
  std::string number = "#";
  number += std::to_string(s.acs_number);
  return number;
}

}  // namespace

std::string FileVersionText(uint8_t version) {
  if (version == 0) return "-";
  return std::to_string(version >> 4) + "." + std::to_string(version & 0x0F);
}

std::string FormatStat(std::string_view path, const StatInfo& info) {
  const FileLayout& f = info.file;
  std::string out;
  Line(&out, "File:", std::string(path));
  Line(&out, "File version:", FileVersionText(f.file_version));
  Line(&out, "Record length:", std::to_string(f.record_length));
  Line(&out, "Page size:", std::to_string(f.page_size));
  Line(&out, "Number of records:", std::to_string(f.record_count));
  Line(&out, "Number of keys:", std::to_string(f.key_count));
  Line(&out, "Number of segments:", std::to_string(info.segments.size()));
  Line(&out, "Variable records:", (f.flags & BTR_FILE_VARIABLE) ? "yes" : "no");
  char flags[16];
  std::snprintf(flags, sizeof flags, "0x%04X ", f.flags);
  Line(&out, "File flags:", flags + FileFlagNames(f.flags));
  Line(&out, "Unused pages:", std::to_string(f.preallocation));
  if (f.flags & BTR_FILE_DUP_POINTERS) {
    Line(&out, "Duplicate pointers:", std::to_string(f.dup_pointers));
  }
  std::string acs = std::to_string(info.acs.size());
  for (const AcsBlock& a : info.acs) {
    acs += ' ';
    acs += AcsName(a);
  }
  Line(&out, "Collating sequences:", acs);
  if (info.segments.empty()) return out;

  out += "\nKey Segment Position Length Type            Null Unique values ACS      Flags\n";
  int segment = 0;
  bool key_start = true;
  for (const SegmentLayout& s : info.segments) {
    segment = key_start ? 1 : segment + 1;
    const bool has_null = (s.flags & (BTR_KEY_NULL_ALL | BTR_KEY_NULL_ANY)) != 0;
    const uint16_t shown = static_cast<uint16_t>(s.flags & ~BTR_KEY_EXTENDED_TYPE);
    char row[160];
    std::snprintf(row, sizeof row, "%3u %7d %8u %6u %-15s %4s %13lu %-8s ", unsigned{s.key_number},
                  segment, unsigned{s.position}, unsigned{s.length}, TypeText(s).c_str(),
                  has_null ? Hex2(s.null_value).c_str() : "-",
                  static_cast<unsigned long>(s.unique_count), AcsText(info, s).c_str());
    out += row;
    out += KeyFlagNames(shown);
    out += '\n';
    key_start = !(s.flags & BTR_KEY_SEGMENTED);
  }
  return out;
}

}  // namespace vv::butil
