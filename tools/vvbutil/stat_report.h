// The report of the stat command: the file definition with its flags
// spelled out, then one row per key segment.
#ifndef VEVERAVE_TOOLS_VVBUTIL_STAT_REPORT_H_
#define VEVERAVE_TOOLS_VVBUTIL_STAT_REPORT_H_

#include <string>
#include <string_view>

#include "vvbutil/file_layout.h"

namespace vv::butil {

// The report for the file at path, lines ending in '\n'.
std::string FormatStat(std::string_view path, const StatInfo& info);

// A file version byte as text: 0x90 -> "9.0", 0x95 -> "9.5".
std::string FileVersionText(uint8_t version);

}  // namespace vv::butil

#endif  // VEVERAVE_TOOLS_VVBUTIL_STAT_REPORT_H_
