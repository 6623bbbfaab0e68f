// What btrFileOpen derives from a table's keys: the Btrieve key
// definitions matched with the dictionary's indexes (and the open's
// errors when they differ), null indicator segments, the record number
// appended to keys that allow duplicates, main indexes, the chains of
// overlapping fields, and the record-number index of RECNUM_SUPPORT and
// MORVANTA_FOR_BTRIEVE tables.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "driver/fields/le_bytes.h"
#include "driver/tables/open_file.h"
#include "support/engine_table.h"
#include "tables/file_open_fixture.h"

namespace vv::testing {
namespace {

using driver::FieldDesc;
using driver::IndexDesc;
using driver::OpenFile;

class FileOpenKeysTest : public FileOpenFixture {
 protected:
  OpenFile* OpenTable(const std::string& name) {
    int32_t h = 0;
    EXPECT_EQ(Open(name, &h), 0) << TakeError();
    return File(h);
  }
  // The names of the fields in a field's overlap chain.
  static std::string Chain(const FieldDesc& field) {
    std::string names;
    for (const driver::OverlapLink* link = field.lpOverlaps; link != nullptr; link = link->lpNext) {
      names += std::string(names.empty() ? "" : " ") + link->lpField->lpszName;
    }
    return names;
  }
  // An index in short: "key <n> len <n>: " and per segment field/type/flags,
  // "n" in front when a null indicator precedes it, "+" after when the
  // record number was appended; "" for an undefined index.
  static std::string Describe(const IndexDesc& index) {
    if (index.bDefined == 0) return "";
    char text[64];
    std::snprintf(text, sizeof text, "key %d len %d:", index.nKeyNumber, index.nKeyLen);
    std::string out = text;
    for (int32_t s = 1; s <= index.nSegments; ++s) {
      const driver::SegmentDesc& segment = index.lpSegments[s];
      const char* name = segment.lpField->lpszName != nullptr ? segment.lpField->lpszName : "0";
      std::snprintf(text, sizeof text, " %s%s/%d/0x%x", segment.bNullSegment != 0 ? "n" : "", name,
                    segment.nExtType, segment.nKeyFlags);
      out += text;
    }
    return out + (index.bRecnumAppended != 0 ? "+" : "");
  }
  // Dictionary rows of a table that names an existing Btrieve file: columns
  // {name, offset, size} (ids from 100 + id * 10) and key segments {column,
  // key number, part}.
  struct Column {
    const char* name;
    uint16_t offset;
    uint16_t size;
  };
  struct Segment {
    int column;
    uint16_t key;
    uint16_t part;
  };
  void AddRows(uint16_t id, const std::string& name, const std::string& file,
               const std::vector<Column>& columns, const std::vector<Segment>& segments) {
    ASSERT_TRUE(dict_->AddFileRow({id, name, file})) << dict_->error();
    const auto columnId = [&](int c) { return static_cast<uint16_t>(100 + id * 10 + c); };
    for (std::size_t c = 0; c < columns.size(); ++c) {
      ASSERT_TRUE(dict_->AddFieldRow({columnId(static_cast<int>(c)), id, columns[c].name,
                                      BTR_TYPE_STRING, columns[c].offset, columns[c].size}))
          << dict_->error();
    }
    for (const Segment& s : segments) {
      ASSERT_TRUE(dict_->AddIndexRow({id, columnId(s.column), s.key, s.part})) << dict_->error();
    }
  }
};

TEST_F(FileOpenKeysTest, KeysMatchTheDictionary) {
  // A 10 bytes, B 2, a null byte, C 6, and D over bytes 4..11 of A and B.
  ASSERT_TRUE(dict_->AddTable({"K",
                               "K.BTR",
                               {{"A", BTR_TYPE_STRING, 10},
                                {"B", BTR_TYPE_INTEGER, 2},
                                {"C", BTR_TYPE_STRING, 6, 0, 0, true},
                                {"D", BTR_TYPE_STRING, 8, 0, 0, false, 4}},
                               {{{{"A"}, {"B"}}},
                                {{{"B"}}, BTR_KEY_DUPLICATES},
                                {{{"C"}}, BTR_KEY_DUPLICATES | BTR_KEY_MODIFIABLE}}}))
      << dict_->error();
  OpenFile* file = OpenTable("K");
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(file->nIndexes, 3);
  // Per index: key number, key length, then each segment as field (0: the
  // record number), extended type and key flags, "n" for a null indicator
  // in front. Keys that allow duplicates end in the record number.
  const char* expected[] = {
      "",
      "key 0 len 12: A/0/0x110 B/1/0x100",
      "key 1 len 6: B/1/0x101 0/0/0x102+",
      "key 2 len 11: nC/0/0x103 0/0/0x102+",
  };
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(Describe(file->lpIndexes[i]), expected[i]);
  EXPECT_EQ(file->nTableFlags & driver::kTableHasNulls, driver::kTableHasNulls);
  EXPECT_EQ(file->nFirstIndex, 0);

  // Main indexes: the earliest segment place wins, then the lowest index.
  // Overlap chains in field order.
  const struct {
    int32_t mainIndex;
    const char* chain;
  } fields[] = {{0, ""}, {1, "D"}, {2, "D"}, {3, ""}, {0, "A B"}};
  for (int f = 1; f <= 4; ++f) {
    EXPECT_EQ(file->lpFields[f].nMainIndex, fields[f].mainIndex) << f;
    EXPECT_EQ(Chain(file->lpFields[f]), fields[f].chain) << f;
  }
}

TEST_F(FileOpenKeysTest, KeysThatDoNotMatchFailTheOpen) {
  ASSERT_TRUE(dict_->AddTable({"BASE",
                               "BASE.BTR",
                               {{"A", BTR_TYPE_STRING, 4}, {"B", BTR_TYPE_STRING, 4}},
                               {{{{"A"}, {"B"}}}, {{{"B"}}, BTR_KEY_DUPLICATES}}}))
      << dict_->error();
  const std::vector<Column> columns = {{"A", 0, 4}, {"B", 4, 4}};
  AddRows(2, "SHIFTED", "BASE.BTR", {{"A", 1, 4}, {"B", 5, 3}}, {{0, 0, 0}, {1, 0, 1}, {1, 1, 0}});
  AddRows(3, "ONEKEY", "BASE.BTR", columns, {{0, 0, 0}, {1, 0, 1}});
  AddRows(4, "NOKEYS", "BASE.BTR", columns, {});
  AddRows(5, "SHORTKEY", "BASE.BTR", columns, {{0, 0, 0}, {1, 1, 0}});
  const struct {
    const char* name;
    std::string error;
  } cases[] = {
      {"SHIFTED", "20485 File SHIFTED, Index 1, Segment 1, Field A"},
      {"ONEKEY", "20528 file ONEKEY, index 2"},
      {"NOKEYS", "20528 file NOKEYS, index 1"},
      {"SHORTKEY", "20529 file SHORTKEY, index 1, segment 2"},
  };
  for (const auto& c : cases) EXPECT_EQ(OpenFails(c.name), c.error);

  // A key that names a collating sequence the stat does not hold.
  Login();
  EngineTrace trace;
  trace.After(BTR_STAT, [](uint8_t* stat) {
    uint8_t* flags = stat + BTR_FILEDEF_SIZE + BTR_KEYDEF_FLAGS;
    driver::StoreLe(flags, driver::LoadLe(flags, 2) | BTR_KEY_ACS, 2);
  });
  EXPECT_EQ(OpenFails("BASE"), "20530 mvbtrIndexReadInfo");
  EXPECT_TRUE(FileIsFree(Path("BASE.BTR")));
}

TEST_F(FileOpenKeysTest, RecordNumberKeys) {
  ASSERT_TRUE(dict_->AddTable({"NUM",
                               "NUM.BTR",
                               {{"NO", BTR_TYPE_INTEGER, 4}, {"NAME", BTR_TYPE_STRING, 10}},
                               {{{{"NO"}}}, {{{"NAME"}}, BTR_KEY_DUPLICATES}}}))
      << dict_->error();
  // "+": the first column is field 0 on index 0, Btrieve key 0; keys are
  // taken as they are.
  OpenFile* file = OpenTable("NUM+");
  ASSERT_NE(file, nullptr);
  EXPECT_STREQ(file->lpszDdfName, "NUM");
  EXPECT_EQ(file->bRecnumSupport, 1);
  EXPECT_EQ(file->nFields, 1);
  ASSERT_EQ(file->nIndexes, 1);
  EXPECT_EQ(file->lpIndexes[0].nKeyNumber, 0);
  EXPECT_EQ(file->lpIndexes[0].lpSegments[1].lpField, &file->lpFields[0]);
  EXPECT_EQ(file->lpIndexes[0].bDefined, 1);
  EXPECT_EQ(file->lpIndexes[1].nSegments, 1) << "no record number appended";
  EXPECT_EQ(file->lpFields[1].nMainIndex, 1);

  // MORVANTA_FOR_BTRIEVE: field 0 is a copy of the record-number field.
  ASSERT_TRUE(dict_->AddTable(
      {"MV",
       "MV.BTR",
       {{"NAME", BTR_TYPE_STRING, 10}, {"MORVANTA_RECNUM_ONE", BTR_TYPE_INTEGER, 4}},
       {{{{"MORVANTA_RECNUM_ONE"}}}, {{{"NAME"}}}}}))
      << dict_->error();
  WriteFile("MV.INT", "DRIVER_NAME VEVERAVE\nMORVANTA_FOR_BTRIEVE 1\n");
  file = OpenTable("MV");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->nFields, 2);
  EXPECT_EQ(file->nRecnumField, 2);
  const FieldDesc& field0 = file->lpFields[0];
  EXPECT_EQ(field0.nNumber, 0);
  EXPECT_EQ(field0.lpszName, nullptr);
  EXPECT_EQ(field0.nOffset, 10);
  EXPECT_EQ(field0.lpData, file->lpRecBuf + 10);
  EXPECT_EQ(file->lpIndexes[0].lpSegments[1].lpField, &file->lpFields[0]);

  ASSERT_TRUE(dict_->AddTable({"MV2", "MV2.BTR", {{"NAME", BTR_TYPE_STRING, 10}}, {}}))
      << dict_->error();
  WriteFile("MV2.INT", "DRIVER_NAME VEVERAVE\nMORVANTA_FOR_BTRIEVE 1\n");
  EXPECT_EQ(OpenFails("MV2"), "20537 MV2");
}

}  // namespace
}  // namespace vv::testing
