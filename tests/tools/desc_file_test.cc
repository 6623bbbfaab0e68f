#include "vvbutil/desc_file.h"

#include <gtest/gtest.h>

#include "veverave/btrieve.h"

namespace vv::butil {
namespace {

constexpr uint16_t kExt = BTR_KEY_EXTENDED_TYPE;

TEST(DescFile, FileAndSegmentsAsWritten) {
  const char* text =
      "/* customer file\n   two keys */\n"
      "record=120 variable=y key=2 page=2048 replace=n\n"
      "position=1 length=4 duplicates=n modifiable=n type=autoincrement descending=n\n"
      "  alternate=n segment=n\n"
      "position=5 length=30 duplicates=y modifiable=y type=zstring descending=n\n"
      "  alternate=n caseinsensitive=y nullkey=allsegs value=20 segment=y\n"
      "position=35 length=4 duplicates=y modifiable=y type=date descending=y\n"
      "  nullkey=allsegs value=0 segment=n\n";
  Description d;
  std::string error;
  ASSERT_TRUE(ParseDescription(text, DescKind::kCreate, &d, &error)) << error;
  EXPECT_EQ(d.file.record_length, 120);
  EXPECT_EQ(d.file.page_size, 2048);
  EXPECT_EQ(d.file.key_count, 2);
  EXPECT_EQ(d.file.flags, BTR_FILE_VARIABLE);
  EXPECT_EQ(d.replace, std::optional<bool>(false));
  EXPECT_EQ(d.key_count, 2);
  ASSERT_EQ(d.segments.size(), 3u);
  EXPECT_EQ(d.segments[0].flags, kExt);
  EXPECT_EQ(d.segments[0].type, BTR_TYPE_AUTOINCREMENT);
  EXPECT_EQ(d.segments[1].position, 5);
  EXPECT_EQ(d.segments[1].length, 30);
  EXPECT_EQ(d.segments[1].type, BTR_TYPE_ZSTRING);
  EXPECT_EQ(d.segments[1].flags, kExt | BTR_KEY_DUPLICATES | BTR_KEY_MODIFIABLE | BTR_KEY_NO_CASE |
                                     BTR_KEY_NULL_ALL | BTR_KEY_SEGMENTED);
  EXPECT_EQ(d.segments[1].null_value, 0x20);
  EXPECT_EQ(d.segments[2].flags,
            kExt | BTR_KEY_DUPLICATES | BTR_KEY_MODIFIABLE | BTR_KEY_DESCENDING | BTR_KEY_NULL_ALL);
  EXPECT_TRUE(d.acs_file.empty());
}

TEST(DescFile, DefaultsAbbreviationsAndOptionalFileElements) {
  Description d;
  std::string error;
  ASSERT_TRUE(ParseDescription(
      "RECORD=10 Key=1 truncate=yes compress=Y allocation=8 dupkey=2 fthreshold=30 balance=y\n"
      "position=2 length=8 type=unsigned binary nullkey=anyseg value=0xFF repeatdup=y "
      "duplicates=y\n",
      DescKind::kCreate, &d, &error))
      << error;
  EXPECT_EQ(d.file.page_size, 4096);
  EXPECT_FALSE(d.replace.has_value());
  EXPECT_EQ(d.file.flags, BTR_FILE_BLANK_TRUNCATION | BTR_FILE_COMPRESSION |
                              BTR_FILE_PREALLOCATION | BTR_FILE_DUP_POINTERS | BTR_FILE_FREE_10 |
                              BTR_FILE_FREE_20 | BTR_FILE_BALANCED);
  EXPECT_EQ(d.file.preallocation, 8);
  EXPECT_EQ(d.file.dup_pointers, 2);
  ASSERT_EQ(d.segments.size(), 1u);
  EXPECT_EQ(d.segments[0].type, BTR_TYPE_UNSIGNED);
  EXPECT_EQ(d.segments[0].null_value, 0xFF);
  EXPECT_EQ(d.segments[0].flags,
            kExt | BTR_KEY_NULL_ANY | BTR_KEY_REPEAT_DUPLICATES | BTR_KEY_DUPLICATES);

  // A segment without type= is a string; key=0 describes a data-only file.
  ASSERT_TRUE(ParseDescription("record=4 key=0", DescKind::kCreate, &d, &error)) << error;
  EXPECT_TRUE(d.segments.empty());
  ASSERT_TRUE(ParseDescription("record=8 key=1 position=1 length=2 type=flo\tsegment=n",
                               DescKind::kCreate, &d, &error))
      << error;
  EXPECT_EQ(d.segments[0].type, BTR_TYPE_FLOAT);
  ASSERT_TRUE(
      ParseDescription("record=8 key=1 position=1 length=2", DescKind::kCreate, &d, &error));
  EXPECT_EQ(d.segments[0].type, BTR_TYPE_STRING);
}

TEST(DescFile, CollatingSequenceFileAtTheEnd) {
  Description d;
  std::string error;
  ASSERT_TRUE(ParseDescription("record=8 key=1 position=1 length=8 alternate=y\nname=upper.alt\n",
                               DescKind::kCreate, &d, &error))
      << error;
  EXPECT_EQ(d.acs_file, "upper.alt");
  EXPECT_TRUE(d.uses_acs);
  EXPECT_EQ(d.segments[0].flags, kExt | BTR_KEY_ACS);
}

TEST(DescFile, IndexDescriptionHasOneKeyAndNoFileElements) {
  Description d;
  std::string error;
  ASSERT_TRUE(ParseDescription(
      "position=1 length=2 type=integer segment=y position=3 length=4 type=string alternate=y",
      DescKind::kIndex, &d, &error))
      << error;
  EXPECT_EQ(d.key_count, 1);
  ASSERT_EQ(d.segments.size(), 2u);
  EXPECT_TRUE(d.uses_acs);  // the file's own collating sequence
  EXPECT_FALSE(ParseDescription("record=10 position=1 length=2", DescKind::kIndex, &d, &error));
  EXPECT_FALSE(
      ParseDescription("position=1 length=2 position=3 length=2", DescKind::kIndex, &d, &error));
  EXPECT_NE(error.find("one key"), std::string::npos) << error;
}

TEST(DescFile, ErrorsNameTheLineAndTheProblem) {
  struct Case {
    const char* text;
    const char* error_part;
  };
  const Case cases[] = {
      {"record=10 key=1\nrecrod=5", "line 2: unknown element 'recrod'"},
      {"record=10 key=1 position=1", "line 1: segment without length="},
      {"record=10 key=1 length=4", "before the segment's position="},
      {"record=10 key=1 position=1 length=4 record=5", "belongs before the key segments"},
      {"record=10 key=1 position=1 length=4 length=5", "given twice in a segment"},
      {"record=10 record=11 key=0", "'record' given twice"},
      {"record=ten key=0", "not a number"},
      {"record=70000 key=0", "must be 1 to 65535"},
      {"record=10 key=0 variable=maybe", "expected y or n"},
      {"record=10 key=1 position=1 length=4 type=d", "unknown or ambiguous key type"},
      {"record=10 key=1 position=1 length=4 type=blob", "unknown or ambiguous key type"},
      {"record=10 key=1 position=1 length=4 value=123", "hexadecimal byte"},
      {"record=10 key=1 position=1 length=4 nullkey=some", "allsegs, anyseg or n"},
      {"record=10 key=1 position=1 length=4 segment=y", "no segment follows"},
      {"record=10 key=2 position=1 length=4", "key=2 but 1 keys are described"},
      {"key=1 position=1 length=4", "no record="},
      {"record=10 position=1 length=4", "no key="},
      {"record=10 key=1 position=1 length=4 alternate=y", "needs a collating sequence file"},
      {"record=10 key=1 position=1 length=4 name=a.alt position=5", "after name="},
      {"/* open comment\nrecord=10", "line 1: comment without its closing */"},
      {"record=10 key=0 garbage", "expected keyword=value, found 'garbage'"},
      {"record= key=0", "no value after 'record='"},
      {"record=10 key=0 fthreshold=15", "fthreshold must be 5, 10, 20 or 30"},
  };
  for (const Case& c : cases) {
    Description d;
    std::string error;
    EXPECT_FALSE(ParseDescription(c.text, DescKind::kCreate, &d, &error)) << c.text;
    EXPECT_NE(error.find(c.error_part), std::string::npos) << c.text << " -> " << error;
  }
}

}  // namespace
}  // namespace vv::butil
