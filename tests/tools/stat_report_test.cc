#include "vvbutil/stat_report.h"

#include <gtest/gtest.h>

#include "veverave/btrieve.h"

namespace vv::butil {
namespace {

TEST(StatReport, FileLinesAndOneRowPerSegment) {
  StatInfo info;
  info.file.record_length = 120;
  info.file.page_size = 4096;
  info.file.key_count = 2;
  info.file.file_version = 0x95;
  info.file.record_count = 3;
  info.file.flags = BTR_FILE_VARIABLE | BTR_FILE_BLANK_TRUNCATION;
  SegmentLayout a;
  a.position = 1;
  a.length = 4;
  a.flags = BTR_KEY_EXTENDED_TYPE;
  a.type = BTR_TYPE_AUTOINCREMENT;
  a.unique_count = 3;
  SegmentLayout b;
  b.position = 5;
  b.length = 30;
  b.flags = BTR_KEY_EXTENDED_TYPE | BTR_KEY_DUPLICATES | BTR_KEY_SEGMENTED | BTR_KEY_NULL_ALL |
            BTR_KEY_ACS;
  b.type = BTR_TYPE_ZSTRING;
  b.null_value = 0x20;
  b.key_number = 1;
  b.unique_count = 2;
  SegmentLayout c = b;
  c.position = 35;
  c.length = 4;
  c.type = 77;  // a type the report has no name for
  c.flags = BTR_KEY_DUPLICATES | BTR_KEY_NULL_ALL | BTR_KEY_EXTENDED_TYPE | BTR_KEY_DESCENDING;
  info.segments = {a, b, c};
  AcsBlock acs{};
  acs[0] = BTR_ACS_SIGNATURE;
  std::copy_n("UPPER", 5, acs.begin() + 1);
  info.acs = {acs};

  const std::string report = FormatStat("cust.btr", info);
  const char* expected_lines[] = {
      "File:                cust.btr\n",
      "File version:        9.5\n",
      "Record length:       120\n",
      "Page size:           4096\n",
      "Number of records:   3\n",
      "Number of keys:      2\n",
      "Number of segments:  3\n",
      "Variable records:    yes\n",
      "File flags:          0x0003 variable blank-truncation\n",
      "Collating sequences: 1 UPPER\n",
      "  0       1        1      4 autoincrement      -             3 -        -\n",
      "  1       1        5     30 zstring           20             2 UPPER    duplicates "
      "null-all-segments segmented alternate\n",
      "  1       2       35      4 type 77           20             2 -        duplicates "
      "null-all-segments descending\n",
  };
  for (const char* line : expected_lines) {
    EXPECT_NE(report.find(line), std::string::npos) << "missing: " << line << "in\n" << report;
  }
}

TEST(StatReport, DataOnlyFileHasNoKeyTable) {
  StatInfo info;
  info.file.record_length = 10;
  const std::string report = FormatStat("x", info);
  EXPECT_EQ(report.find("Segment"), std::string::npos);
  EXPECT_NE(report.find("Number of keys:      0\n"), std::string::npos);
  EXPECT_EQ(FileVersionText(0x90), "9.0");
  EXPECT_EQ(FileVersionText(0x60), "6.0");
}

}  // namespace
}  // namespace vv::butil
