// Writing and deleting a table's dictionary rows: id choice, the rows made
// from the descriptors, the transaction around them, and failures that must
// leave the old rows; on the embedded engine.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "driver/fields/type_map.h"
#include "driver/frame/errors.h"
#include "support/open_file_builder.h"
#include "tables/ddf_fixture.h"
#include "veverave/ddf_layout.h"

namespace vv::testing {
namespace {

using driver::OpenFile;

class DdfWriteTest : public DdfFixture {
 protected:
  // A fresh dictionary holding tables with these ids and, for table 100,
  // columns with these ids; then logged in to it.
  driver::ServerLogin* Dictionary(const std::vector<uint16_t>& tableIds,
                                  const std::vector<uint16_t>& columnIds) {
    btrLogout("");
    dict_.reset();
    std::string error;
    dict_ = ddf::DictionaryBuilder::Create(dir(), &error);
    EXPECT_TRUE(dict_) << error;
    for (uint16_t id : tableIds) {
      EXPECT_TRUE(dict_->AddFileRow({id, "T" + std::to_string(id), "T.BTR", 0}));
    }
    for (uint16_t id : columnIds) {
      EXPECT_TRUE(dict_->AddFieldRow({id, 100, "C" + std::to_string(id), BTR_TYPE_STRING, 0, 4}));
    }
    return Login();
  }
  // A table record of n STRING fields of 4 bytes, as a restructure makes it.
  OpenFile* NewTable(const char* name, int n) {
    std::vector<FieldLayout> layouts;
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i) names.push_back("F" + std::to_string(i + 1));
    for (int i = 0; i < n; ++i) {
      layouts.push_back({names[static_cast<std::size_t>(i)].c_str(), driver::kHostAscii,
                         BTR_TYPE_STRING, 4 * i, 4, 4});
    }
    OpenFile* file = OpenFileBuild(layouts);
    driver::mvbtrStrNewCpy(&file->lpszDdfName, name);
    driver::mvbtrStrNewCpy(&file->lpszBtrFile, "new.btr");
    tables_.push_back(file);
    return file;
  }
  // The structure of a table the builder made, as the open leaves it.
  OpenFile* Opened(driver::ServerLogin* login, const char* name) {
    OpenFile* file = Table(name);
    EXPECT_EQ(ReadStructure(login, file), 0) << TakeError();
    for (int32_t i = 1; i <= file->nIndexes; ++i) file->lpIndexes[i].bDefined = 1;
    return file;
  }
  // Every row of the three files, as text, for before-and-after checks.
  std::string Rows() {
    std::vector<ddf::FileRow> files;
    std::vector<ddf::FieldRow> fields;
    std::vector<ddf::IndexRow> segments;
    EXPECT_TRUE(dict_->FileRows(&files) && dict_->FieldRows(&fields) && dict_->IndexRows(&segments))
        << dict_->error();
    std::string text;
    auto line = [&](std::initializer_list<std::string> values) {
      for (const std::string& v : values) text += v + " ";
      text += "\n";
    };
    using std::to_string;
    for (const auto& r : files) line({to_string(r.id), r.name, r.location, to_string(r.flags)});
    for (const auto& r : fields) {
      line({to_string(r.id), to_string(r.file), r.name, to_string(r.type), to_string(r.offset),
            to_string(r.size), to_string(r.decimals), to_string(r.flags)});
    }
    for (const auto& r : segments) {
      line({to_string(r.file), to_string(r.field), to_string(r.number), to_string(r.part),
            to_string(r.flags)});
    }
    return text;
  }
};

TEST_F(DdfWriteTest, NewTableTakesTheLowestFreeId) {
  const struct {
    std::vector<uint16_t> existing;
    uint16_t expected;
  } cases[] = {{{1, 2, 3, 5}, 4}, {{2, 3}, 1}, {{}, 1}, {{1, 2}, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    driver::ServerLogin* login = Dictionary(c.existing, {});
    OpenFile* file = NewTable("lower", 0);
    ASSERT_EQ(driver::ddfFileWrite(login, file), 0) << TakeError();
    EXPECT_EQ(file->nDdfFileId, c.expected);
    // Name and location are written, and left, in upper case.
    EXPECT_STREQ(file->lpszDdfName, "LOWER");
    std::vector<ddf::FileRow> rows;
    ASSERT_TRUE(dict_->FileRows(&rows));
    ASSERT_EQ(rows.size(), c.existing.size() + 1);
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [](const ddf::FileRow& r) { return r.name == "LOWER"; });
    ASSERT_NE(row, rows.end());
    EXPECT_EQ(row->id, c.expected);
    EXPECT_EQ(row->location, "NEW.BTR");
  }
}

TEST_F(DdfWriteTest, ColumnsTakeTheFirstGapThatHoldsThemAll) {
  std::vector<uint16_t> columns;
  for (uint16_t id = 1; id <= 10; ++id) columns.push_back(id);
  for (uint16_t id = 20; id <= 25; ++id) columns.push_back(id);
  const struct {
    int fields;
    uint16_t first;
  } cases[] = {{5, 11}, {9, 11}, {10, 26}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fields);
    driver::ServerLogin* login = Dictionary({100}, columns);
    OpenFile* file = NewTable("NEW", c.fields);
    ASSERT_EQ(driver::ddfFileWrite(login, file), 0) << TakeError();
    std::vector<ddf::FieldRow> rows;
    ASSERT_TRUE(dict_->FieldRows(&rows));
    ASSERT_EQ(rows.size(), columns.size() + static_cast<std::size_t>(c.fields));
    for (int i = 1; i <= c.fields; ++i) {
      const uint16_t id = static_cast<uint16_t>(c.first + i - 1);
      EXPECT_EQ(file->lpFields[i].nFieldTag, id);
      const auto row = std::find_if(rows.begin(), rows.end(),
                                    [&](const ddf::FieldRow& r) { return r.id == id; });
      ASSERT_NE(row, rows.end());
      EXPECT_EQ(row->file, file->nDdfFileId);
      EXPECT_EQ(row->name, "F" + std::to_string(i));
      EXPECT_EQ(row->offset, 4 * (i - 1));
    }
  }
}

TEST_F(DdfWriteTest, RewriteKeepsIdAndRowsInOneTransaction) {
  ASSERT_TRUE(dict_->AddTable({"OTHER", "OTHER.BTR", {{"X", BTR_TYPE_INTEGER, 4}}, {{{{"X"}}}}}))
      << dict_->error();
  ASSERT_TRUE(
      dict_->AddTable({"CUST",
                       "CUST.BTR",
                       {{"ID", BTR_TYPE_INTEGER, 4},
                        {"NAME", BTR_TYPE_STRING, 30},
                        {"BORN", BTR_TYPE_DATE, 4, 0, 0, true},
                        {"PHOTO", BTR_TYPE_LONGVAR, 8, 0, driver::kDdfFieldBinary}},
                       {{{{"ID"}}}, {{{"NAME", BTR_KEY_DESCENDING}, {"ID"}}, BTR_KEY_MODIFIABLE}}}))
      << dict_->error();
  const std::string before = Rows();
  driver::ServerLogin* login = Login();
  OpenFile* file = Opened(login, "CUST");
  TapCalls().clear();
  ASSERT_EQ(driver::ddfFileWrite(login, file), 0) << TakeError();
  EXPECT_EQ(file->nDdfFileId, 2);
  EXPECT_EQ(Rows(), before);
  EXPECT_EQ(Count(BTR_BEGIN_TRANSACTION + BTR_BIAS_MULTIPLE_NOWAIT), 1);
  EXPECT_EQ(Count(BTR_END_TRANSACTION), 1);
  EXPECT_EQ(Count(BTR_ABORT_TRANSACTION), 0);
  EXPECT_EQ(Count(BTR_INSERT), 1 + 4 + 3);
  EXPECT_EQ(Count(BTR_DELETE), 1 + 4 + 3);
}

TEST_F(DdfWriteTest, FailedWriteKeepsTheOldRows) {
  ASSERT_TRUE(dict_->AddTable(
      {"CUST", "CUST.BTR", {{"A", BTR_TYPE_STRING, 4}, {"B", BTR_TYPE_STRING, 4}}, {{{{"A"}}}}}))
      << dict_->error();
  const std::string before = Rows();
  driver::ServerLogin* login = Login();
  const struct {
    const char* what;
    void (*change)(OpenFile*);
    std::string error;
  } cases[] = {
      {"two columns of one name",
       [](OpenFile* f) { driver::mvbtrStrNewCpy(&f->lpFields[2].lpszName, "A"); },
       "21005 ddfFileWrite (FieldInsert)"},
      {"location longer than the column",
       [](OpenFile* f) { driver::mvbtrStrNewCpy(&f->lpszBtrFile, std::string(65, 'X').c_str()); },
       "4101 " + std::string(65, 'X')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    OpenFile* file = Opened(login, "CUST");
    c.change(file);
    TapCalls().clear();
    driver::ddfFileWrite(login, file);
    EXPECT_EQ(TakeError(), c.error);
    EXPECT_EQ(Count(BTR_ABORT_TRANSACTION), 1);
    EXPECT_EQ(Count(BTR_END_TRANSACTION), 0);
    EXPECT_EQ(Rows(), before);
  }
}

TEST_F(DdfWriteTest, DeleteRemovesOnlyTheTablesRows) {
  ASSERT_TRUE(dict_->AddTable({"KEEP", "KEEP.BTR", {{"K", BTR_TYPE_STRING, 4}}, {{{{"K"}}}}}));
  const std::string kept = Rows();
  ASSERT_TRUE(dict_->AddTable({"GONE",
                               "GONE.BTR",
                               {{"A", BTR_TYPE_STRING, 4}, {"B", BTR_TYPE_STRING, 4}},
                               {{{{"A"}, {"B"}}}, {{{"B"}}}}}))
      << dict_->error();
  driver::ServerLogin* login = Login();
  OpenFile* file = Table("X");
  ASSERT_EQ(driver::ddfFileWriteDelete(login, file, "GONE"), 0) << TakeError();
  EXPECT_EQ(file->nDdfFileId, 2);
  EXPECT_EQ(Rows(), kept);
  // A table the dictionary does not hold is no error: no id.
  ASSERT_EQ(driver::ddfFileWriteDelete(login, file, "GONE"), 0) << TakeError();
  EXPECT_EQ(file->nDdfFileId, 0);
}

}  // namespace
}  // namespace vv::testing
