// btrStructureEnd: a restructure that changes only keys commits in place,
// keys that cannot be built leave a warning, tables with nulls are refused,
// and a commit that needs a new file is not available yet.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "driver/frame/errors.h"
#include "platform/platform.h"
#include "restructure/restructure_fixture.h"
#include "support/field_table.h"

namespace vv::testing {
namespace {

using driver::OpenFile;

class StructureEndTest : public RestructureFixture {
 protected:
  // CUST with three records and an INT file beside it.
  void CustWithRecords(int32_t* h) {
    AddCust();
    WriteFile("CUST.INT", "DRIVER_NAME VEVERAVE\n");
    ASSERT_EQ(Open("CUST", h), 0) << TakeError();
    const char* rows[][3] = {{"1", "Cy", "Oslo"}, {"2", "Ada", "Rome"}, {"3", "Bob", "Oslo"}};
    for (const auto& row : rows) {
      const VvBcd id = Bcd(row[0]);
      btrFileClear(*h);
      btrFieldPutBCD(*h, 1, &id);
      btrFieldPutString(*h, 2, row[1], 0, 0, 0);
      btrFieldPutString(*h, 3, row[2], 0, 0, 0);
      ASSERT_EQ(btrRecordSave(*h), 0) << TakeError();
    }
  }
  int16_t Start(int32_t h) {
    int32_t handle = h;
    return btrStructureStart(&handle, 0);
  }
  // Field 2 of every record along index, from the first on.
  std::string Along(int32_t h, int32_t index) {
    std::string names;
    btrFileClear(h);
    while (btrRecordFind(h, index, 4) == 0) names += Get(h, 2) + " ";
    host_.ClearError();
    return names;
  }
};

TEST_F(StructureEndTest, OnlyKeysChangedCommitsInPlace) {
  int32_t h = 0;
  CustWithRecords(&h);
  ASSERT_EQ(Start(h), 0);
  OpenFile* r = File(h)->lpNewFile;
  // A new index on NAME, CITY descending, the key on ID dropped.
  ASSERT_EQ(btrIndexCreate(h), 3);
  SegmentSet(r, 3, 1, 2);
  r->lpIndexes[3].lpSegments[1].nKeyFlags |= BTR_KEY_DUPLICATES;
  r->lpIndexes[2].lpSegments[1].nKeyFlags |= BTR_KEY_DESCENDING;
  ASSERT_EQ(btrIndexDelete(h, 1), 0);

  ASSERT_EQ(btrStructureEnd(h, 0, 0, &ProgressRecord), 0) << TakeError();
  // The host closed the table; the file kept its records.
  EXPECT_EQ(File(h), nullptr);
  EXPECT_EQ(globals()->nOpenFiles, 0);
  EXPECT_TRUE(platform::ListFiles(dir(), "BNEW*").empty());
  const std::vector<std::pair<std::string, int32_t>> progress = {{"Dropping index 1", 0},
                                                                 {"Dropping index 2", 0},
                                                                 {"Creating index 2", 0},
                                                                 {"Creating index 3", 0}};
  EXPECT_EQ(ProgressLines(), progress);
  // The INT file is written again, field by field.
  const std::string intFile = platform::ReadFileToString(Path("CUST.INT")).value_or("");
  EXPECT_NE(intFile.find("; CITY\nFIELD_NUMBER 3\nFIELD_INDEX 2"), std::string::npos) << intFile;

  int32_t h2 = 0;
  ASSERT_EQ(Open("CUST", &h2), 0) << TakeError();
  EXPECT_EQ(File(h2)->nIndexes, 3);
  EXPECT_EQ(File(h2)->lpIndexes[1].nSegments, 0);
  EXPECT_EQ(Along(h2, 3), "Ada Bob Cy ");
  EXPECT_EQ(Along(h2, 2), "Ada Cy Bob ");
  EXPECT_EQ(Along(h2, 0), "Cy Ada Bob ");
}

TEST_F(StructureEndTest, KeyWithDuplicatesIsLeftOutWithAWarning) {
  int32_t h = 0;
  CustWithRecords(&h);
  ASSERT_EQ(Start(h), 0);
  OpenFile* r = File(h)->lpNewFile;
  ASSERT_EQ(btrIndexCreate(h), 3);
  SegmentSet(r, 3, 1, 3);  // CITY, unique: two records are in Oslo
  EXPECT_EQ(btrStructureEnd(h, 0, 0, &ProgressRecord), driver::kErrIndexNotCreated);
  EXPECT_EQ(TakeError(), "20569 ");
  EXPECT_EQ(ProgressLines().back(),
            std::make_pair(std::string("Cannot create index 3: Duplicates."), 9));
  // The restructure stays open, without the index, until the host drops it.
  ASSERT_EQ(File(h)->lpNewFile, r);
  EXPECT_EQ(r->lpIndexes[3].nSegments, 0);
  EXPECT_EQ(btrStructureAbort(h), 0);
  EXPECT_EQ(Along(h, 1), "Cy Ada Bob ");
}

TEST_F(StructureEndTest, TableWithNullableFieldsIsRefused) {
  ASSERT_TRUE(
      dict_->AddTable({"NUL",
                       "NUL.BTR",
                       {{"ID", BTR_TYPE_INTEGER, 4}, {"NOTE", BTR_TYPE_STRING, 8, 0, 0, true}},
                       {{{{"ID"}}}}}))
      << dict_->error();
  int32_t h = 0;
  ASSERT_EQ(Open("NUL", &h), 0) << TakeError();
  ASSERT_EQ(Start(h), 0);
  ASSERT_EQ(btrIndexCreate(h), 2);
  SegmentSet(File(h)->lpNewFile, 2, 1, 2);
  TapCalls().clear();
  EXPECT_EQ(btrStructureEnd(h, 0, 0, nullptr), driver::kErrRestructureNulls);
  EXPECT_EQ(TakeError(), "20567 NUL: -> Nullables exist .");
  EXPECT_EQ(Count(BTR_CREATE_INDEX) + Count(BTR_INSERT), 0);
  EXPECT_NE(File(h)->lpNewFile, nullptr);
  EXPECT_EQ(File(h)->nIndexes, 1);
}

// File creation and record copying are not part of this build: a commit
// that needs a new file reports 20598 and leaves everything as it was.
TEST_F(StructureEndTest, CommitThatNeedsANewFileIsNotAvailable) {
  int32_t h = 0;
  CustWithRecords(&h);
  ASSERT_EQ(Start(h), 0);
  ASSERT_EQ(btrFieldCreate(h, 0), 4);
  TapCalls().clear();
  EXPECT_EQ(btrStructureEnd(h, 0, 0, nullptr), driver::kErrNotAvailable);
  EXPECT_EQ(TakeError(), "20598 btrStructureEnd");
  EXPECT_EQ(Count(BTR_CREATE) + Count(BTR_INSERT) + Count(BTR_CREATE_INDEX), 0);
  EXPECT_NE(File(h)->lpNewFile, nullptr);
  EXPECT_EQ(btrStructureAbort(h), 0);
  // A forced rebuild alike.
  ASSERT_EQ(Start(h), 0);
  EXPECT_EQ(btrStructureEnd(h, 1, 0, nullptr), driver::kErrNotAvailable);
  host_.ClearError();
  btrStructureAbort(h);
}

}  // namespace
}  // namespace vv::testing
