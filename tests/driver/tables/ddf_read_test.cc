// Reading a table's structure from the dictionary: FILE.DDF lookup, the
// column and segment rows, and the descriptors built from them; dictionaries
// made by the builder on the embedded engine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/fields/type_map.h"
#include "driver/frame/errors.h"
#include "driver/tables/ddf_rows.h"
#include "tables/ddf_fixture.h"
#include "veverave/ddf_layout.h"

namespace vv::testing {
namespace {

using driver::FieldDesc;
using driver::IndexDesc;
using driver::OpenFile;

class DdfReadTest : public DdfFixture {};

// Every Btrieve type the dictionary can name, with the host view it maps to.
struct TypeCase {
  ddf::FieldDef def;
  int32_t hostType;
  int32_t hostLength;
  int32_t precision;
};

const std::vector<TypeCase>& TypeCases() {
  static const std::vector<TypeCase> cases = {
      {{"ID", BTR_TYPE_INTEGER, 4}, driver::kHostBcd, 10, 0},
      {{"FIRST NAME", BTR_TYPE_STRING, 20}, driver::kHostAscii, 20, 0},
      {{"BORN", BTR_TYPE_DATE, 4, 0, 0, true}, driver::kHostDate, 4, 0},
      {{"CODE", BTR_TYPE_LSTRING, 11}, driver::kHostAscii, 10, 0},
      {{"NOTES", BTR_TYPE_ZSTRING, 300}, driver::kHostText, 299, 0},
      {{"AMOUNT", BTR_TYPE_DECIMAL, 6, 2}, driver::kHostBcd, 11, 2},
      {{"PRICE", BTR_TYPE_MONEY, 5, 2}, driver::kHostBcd, 9, 2},
      {{"RATE", BTR_TYPE_FLOAT, 8}, driver::kHostBcd, 22, 8},
      {{"AT", BTR_TYPE_TIME, 4}, driver::kHostBcd, 8, 0},
      {{"OK", BTR_TYPE_LOGICAL, 1}, driver::kHostBcd, 3, 0},
      {{"NUM", BTR_TYPE_NUMERIC, 8, 2}, driver::kHostBcd, 8, 2},
      {{"OLD", BTR_TYPE_BFLOAT, 8}, driver::kHostBcd, 22, 8},
      {{"ODD", BTR_TYPE_LVAR, 4}, driver::kHostAscii, 0, 0},
      {{"U", BTR_TYPE_UNSIGNED, 2}, driver::kHostBcd, 5, 0},
      {{"SEQ", BTR_TYPE_AUTOINCREMENT, 4}, driver::kHostBcd, 10, 0},
      {{"BITS", BTR_TYPE_BIT, 1, 3}, driver::kHostBcd, 1, 3},
      {{"STS", BTR_TYPE_NUMERIC_STS, 6}, driver::kHostBcd, 5, 0},
      {{"SA", BTR_TYPE_NUMERIC_SA, 6}, driver::kHostBcd, 6, 0},
      {{"CUR", BTR_TYPE_CURRENCY, 8}, driver::kHostBcd, 18, 4},
      {{"STAMP", BTR_TYPE_TIMESTAMP, 8}, driver::kHostBcd, 18, 7},
      {{"LONG", BTR_TYPE_STRING, 300}, driver::kHostText, 298, 0},
      {{"MEMO", BTR_TYPE_LONGVAR, 8}, driver::kHostText, 16384, 0},
      {{"PHOTO", BTR_TYPE_LONGVAR, 8, 0, driver::kDdfFieldBinary}, driver::kHostBinary, 16384, 0},
  };
  return cases;
}

TEST_F(DdfReadTest, TableOfEveryTypeReadsIntoDescriptors) {
  ddf::TableDef def{"EVERY", "EVERY.BTR", {}, {}};
  for (const TypeCase& c : TypeCases()) def.fields.push_back(c.def);
  def.indexes = {{{{"ID"}}},
                 {{{"FIRST NAME"}, {"BORN"}}, BTR_KEY_DUPLICATES},
                 {{{"AMOUNT", BTR_KEY_DESCENDING}}, BTR_KEY_DUPLICATES}};
  ASSERT_TRUE(dict_->AddTable(def)) << dict_->error();
  std::vector<ddf::FieldRow> rows;
  ASSERT_TRUE(dict_->FieldRows(&rows));

  driver::ServerLogin* login = Login();
  OpenFile* file = Table("EVERY");
  ASSERT_EQ(ReadStructure(login, file), 0) << TakeError();

  EXPECT_STREQ(file->lpszBtrFile, "EVERY.BTR");
  EXPECT_EQ(file->bTrueNull, 1);
  EXPECT_EQ(file->nTableFlags, driver::kTableHasNulls | driver::kTableHasBits);
  EXPECT_EQ(file->nLongvars, 2);
  ASSERT_EQ(file->nFields, static_cast<int32_t>(TypeCases().size()));
  EXPECT_EQ(file->lpFields[0].nSize, 4);  // the record-number field
  for (int32_t n = 1; n <= file->nFields; ++n) {
    const TypeCase& c = TypeCases()[static_cast<std::size_t>(n - 1)];
    const FieldDesc& field = file->lpFields[n];
    SCOPED_TRACE(c.def.name);
    EXPECT_EQ(field.nNumber, n);
    EXPECT_EQ(field.nHostType, c.hostType);
    EXPECT_EQ(field.nHostLength, c.hostLength);
    EXPECT_EQ(field.nPrecision, c.precision);
    EXPECT_EQ(field.nOffset, rows[static_cast<std::size_t>(n - 1)].offset);
    EXPECT_EQ(field.nFieldTag, rows[static_cast<std::size_t>(n - 1)].id);
    EXPECT_EQ(field.bNullAllowed, c.def.nullable ? 1 : 0);
    ASSERT_NE(field.lpSource, nullptr);
    EXPECT_EQ(static_cast<FieldDesc*>(field.lpSource)->lpSource, &field);
  }
  EXPECT_STREQ(file->lpFields[2].lpszName, "FIRST_NAME");
  EXPECT_EQ(file->lpFields[21].nBtrType, driver::kAuxLstring2);

  ASSERT_EQ(file->nIndexes, 3);
  const IndexDesc& recnum = file->lpIndexes[0];
  EXPECT_EQ(recnum.nKeyNumber, -1);
  EXPECT_EQ(recnum.nKeyLen, 4);
  EXPECT_EQ(recnum.lpSegments[1].lpField, &file->lpFields[0]);
  const IndexDesc& byName = file->lpIndexes[2];
  EXPECT_EQ(byName.nKeyNumber, 1);
  ASSERT_EQ(byName.nSegments, 2);
  EXPECT_EQ(byName.lpSegments[1].lpField, &file->lpFields[2]);
  EXPECT_EQ(byName.lpSegments[2].lpField, &file->lpFields[3]);
  EXPECT_EQ(byName.nKeyLen, 24);
  // Segment flags stay in the dictionary's numbering until the stat is read.
  const uint16_t descending = file->lpIndexes[3].lpSegments[1].nKeyFlags;
  EXPECT_EQ(descending, DdfSegmentFlags(BTR_KEY_DUPLICATES | BTR_KEY_DESCENDING |
                                                BTR_KEY_EXTENDED_TYPE));
}

TEST_F(DdfReadTest, TableNamesAndLocations) {
  const std::string blanks(kDdfLocMax, ' ');
  ASSERT_TRUE(dict_->AddFileRow({1, "ABCDEFGHIJKLMNOPQRST", "C:\\DATA\\T20.BTR", 0}));
  ASSERT_TRUE(dict_->AddFileRow({2, "BLANK", blanks, 0}));
  driver::ServerLogin* login = Login();
  struct Case {
    const char* name;
    int16_t status;
    const char* location;
  } cases[] = {
      {"ABCDEFGHIJKLMNOPQRST", 0, "C:\\DATA\\T20.BTR"},
      {"BLANK", 0, " "},
      {"MISSING", driver::kErrRecordNotFound, nullptr},
      {"ABCDEFGHIJKLMNOPQRSTU", driver::kErrBufferTooSmall, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenFile* file = Table(c.name);
    EXPECT_EQ(driver::ddfFileRead(login, file), c.status);
    host_.ClearError();
    if (c.location == nullptr) continue;
    EXPECT_STREQ(file->lpszBtrPath, c.location);
    EXPECT_STREQ(file->lpszBtrFile, c.location);
  }
}

// Dictionaries that are refused, or read in part, built row by row: table
// T (id 1) with the columns and segment rows given.
struct RowCase {
  const char* what;
  uint8_t tableFlags;
  std::vector<ddf::FieldRow> fields;
  std::vector<ddf::IndexRow> segments;
  std::string error;         // "number text", or "0 " for success
  int32_t fields_read = -1;  // fields of a table read in full
};

TEST_F(DdfReadTest, RefusedAndSkippedRows) {
  const uint16_t nullable = kDdfFieldNullable;
  const RowCase cases[] = {
      {"segment on no column",
       0,
       {{1, 1, "A", BTR_TYPE_STRING, 0, 4}},
       {{1, 99, 0, 0, 0}},
       "20490 T, DDF-Field 99, DDF-Index 0"},
      {"nullable without its null byte",
       kDdfTableTrueNull,
       {{1, 1, "A", BTR_TYPE_STRING, 0, 4}, {2, 1, "B", BTR_TYPE_DATE, 4, 4, 0, nullable}},
       {},
       "20568 B"},
      {"NOTE beside long variable data",
       0,
       {{1, 1, "A", BTR_TYPE_LONGVAR, 0, 8}, {2, 1, "B", BTR_TYPE_NOTE, 8, 100}},
       {},
       "20570 T"},
      {"integer of three bytes", 0, {{1, 1, "A", BTR_TYPE_INTEGER, 0, 3}}, {}, "20482 A"},
      {"segment gap",
       0,
       {{1, 1, "A", BTR_TYPE_STRING, 0, 4}, {2, 1, "B", BTR_TYPE_STRING, 4, 4}},
       {{1, 1, 0, 0, 0}, {1, 2, 0, 2, 0}},
       "20529 file T, index 1, segment 2"},
      {"rows of other kinds are no columns",
       0,
       {{1, 1, "A", BTR_TYPE_STRING, 0, 4}, {2, 1, "BYNAME", 255, 0, 0}, {3, 1, "C", 22, 0, 0}},
       {},
       "0 ",
       1},
      {"nullable first column has no null byte to check",
       kDdfTableTrueNull,
       {{5, 1, "A", BTR_TYPE_DATE, 1, 4, 0, nullable},
        {6, 1, "B", BTR_TYPE_DATE, 6, 4, 0, nullable}},
       {},
       "0 ",
       2},
  };
  driver::ServerLogin* login = Login();
  for (const RowCase& c : cases) {
    SCOPED_TRACE(c.what);
    // A fresh dictionary per case; the login opens it anew.
    btrLogout("");
    dict_.reset();
    std::string error;
    dict_ = ddf::DictionaryBuilder::Create(dir(), &error);
    ASSERT_TRUE(dict_) << error;
    ASSERT_TRUE(dict_->AddFileRow({1, "T", "T.BTR", c.tableFlags}));
    for (const ddf::FieldRow& row : c.fields) ASSERT_TRUE(dict_->AddFieldRow(row));
    for (const ddf::IndexRow& row : c.segments) ASSERT_TRUE(dict_->AddIndexRow(row));
    login = Login();
    OpenFile* file = Table("T");
    ReadStructure(login, file);
    EXPECT_EQ(TakeError(), c.error);
    if (c.fields_read >= 0) {
      EXPECT_EQ(file->nFields, c.fields_read);
    }
  }
}

TEST_F(DdfReadTest, RecnumSupportMakesTheFirstColumnFieldZero) {
  ASSERT_TRUE(
      dict_->AddTable({"R",
                       "R.BTR",
                       {{"RECNO", BTR_TYPE_AUTOINCREMENT, 4}, {"NAME", BTR_TYPE_STRING, 10}},
                       {{{{"RECNO"}}}, {{{"NAME"}}, BTR_KEY_DUPLICATES}}}))
      << dict_->error();
  driver::ServerLogin* login = Login();
  OpenFile* file = Table("R");
  file->bRecnumSupport = 1;
  ASSERT_EQ(ReadStructure(login, file), 0) << TakeError();
  ASSERT_EQ(file->nFields, 1);
  EXPECT_STREQ(file->lpFields[0].lpszName, "RECNO");
  EXPECT_STREQ(file->lpFields[1].lpszName, "NAME");
  ASSERT_EQ(file->nIndexes, 1);
  EXPECT_EQ(file->lpIndexes[0].nKeyNumber, 0);
  EXPECT_EQ(file->lpIndexes[0].lpSegments[1].lpField, &file->lpFields[0]);
  EXPECT_EQ(file->lpIndexes[1].lpSegments[1].lpField, &file->lpFields[1]);
}

TEST_F(DdfReadTest, OutOfMemoryAnywhereLeavesNothingBehind) {
  ASSERT_TRUE(dict_->AddTable(
      {"M", "M.BTR", {{"A", BTR_TYPE_STRING, 4}, {"B", BTR_TYPE_INTEGER, 2}}, {{{{"A"}, {"B"}}}}}))
      << dict_->error();
  driver::ServerLogin* login = Login();
  bool failed = true;
  for (long n = 1; failed; ++n) {
    SCOPED_TRACE(n);
    OpenFile* file = Table("M");
    const long live = driver::AllocLive();
    driver::AllocFailureSet(n);
    const int16_t status = ReadStructure(login, file);
    failed = driver::AllocFailureSet(0) >= n;
    EXPECT_EQ(status, failed ? driver::kErrOutOfMemory : 0);
    host_.ClearError();
    driver::mvbtrFileRecordFree(&tables_.back());
    tables_.pop_back();
    EXPECT_LE(driver::AllocLive(), live);
  }
}

}  // namespace
}  // namespace vv::testing
