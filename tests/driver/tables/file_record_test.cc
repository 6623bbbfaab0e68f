// Creating and freeing open file records: whole, with a restructure record,
// and never built.
#include "driver/tables/file_record.h"

#include <gtest/gtest.h>

#include "driver/frame/util/memory.h"
#include "driver/tables/ddf_rows.h"
#include "support/driver_fixture.h"
#include "support/open_file_builder.h"

namespace vv::testing {
namespace {

using driver::OpenFile;

class FileRecordTest : public DriverFixture {
 protected:
  void SetUp() override {
    DriverFixture::SetUp();
    ASSERT_EQ(Initialise(), 1);
    baseline_ = driver::AllocLive();
  }
  long baseline_ = 0;
};

TEST_F(FileRecordTest, InitTakesTheDriverDefaults) {
  globals()->nRecnumMethod = driver::kRecnumPositionBlock;
  globals()->nCharSet = driver::kCharSetChar;
  OpenFile file{};
  file.nFirstIndex = 3;
  EXPECT_EQ(driver::mvbtrFileRecordInit(&file, false), 0);
  EXPECT_EQ(file.lpFuncTable, table());
  EXPECT_EQ(file.nCurIndex, -1);
  EXPECT_EQ(file.nFirstIndex, 3) << "kept unless asked";
  EXPECT_EQ(file.nRecnumMethod, driver::kRecnumPositionBlock);
  EXPECT_EQ(file.nCharSet, driver::kCharSetChar);
  driver::mvbtrFileRecordInit(&file, true);
  EXPECT_EQ(file.nFirstIndex, -1);
}

// Everything a record can own, each piece allocated as the driver does.
OpenFile* FullRecord() {
  OpenFile* file = OpenFileBuild({{"NAME", driver::kHostAscii, BTR_TYPE_STRING, 0, 10, 10},
                                  {"NOTES", driver::kHostText, BTR_TYPE_LONGVAR, 10, 8, 100},
                                  {"CODE", driver::kHostOverlap, BTR_TYPE_STRING, 0, 4, 4}});
  for (char* OpenFile::*member :
       {&OpenFile::lpszDdfName, &OpenFile::lpszBtrFile, &OpenFile::lpszIntFile,
        &OpenFile::lpszCacheFile, &OpenFile::lpszBtrPath, &OpenFile::lpszOwner}) {
    driver::mvbtrStrNewCpy(&(file->*member), "text");
  }
  driver::mvbtrMemAlloc(&file->lpFields[1].lpOverlaps, sizeof(driver::OverlapLink));
  file->lpFields[1].lpOverlaps->lpField = &file->lpFields[3];
  IndexesAdd(file, {0, 10, 14});
  driver::mvbtrMemAlloc(&file->lpIndexes[1].lpSegments, 2 * sizeof(driver::SegmentDesc));
  // Dictionary rows still attached, as after an open that failed half way.
  driver::mvbtrMemAlloc(&file->lpDdfFields, sizeof(driver::DdfFieldRow));
  driver::mvbtrStrNewCpy(&file->lpDdfFields->field.lpszName, "NAME");
  for (int i = 0; i < 2; ++i) {
    driver::DdfIndexRow* row = nullptr;
    driver::mvbtrMemAlloc(&row, sizeof *row);
    row->segment.lpField = &file->lpDdfFields->field;
    row->lpNext = file->lpDdfIndexes;
    file->lpDdfIndexes = row;
  }
  driver::mvbtrMemAlloc(&file->lpAcs, BTR_ACS_SIZE);
  driver::mvbtrMemAlloc(&file->lpStat, 100);
  driver::mvbtrFileCreateRecordbuffer(file);
  driver::mvbtrFileKeyBufCreate(file);
  driver::mvbtrFieldLongvarsBuild(file);
  driver::mvbtrFileBuildRelFields(file);
  driver::mvbtrFileStatusStore(file);
  return file;
}

TEST_F(FileRecordTest, FreeFreesWhateverTheRecordOwns) {
  OpenFile* file = FullRecord();
  file->lpNewFile = FullRecord();  // a restructure record is a whole record too
  OpenFile* bare = nullptr;
  driver::mvbtrMemAlloc(&bare, sizeof(OpenFile));  // never built
  EXPECT_EQ(host_.error(), 0);
  driver::mvbtrFileRecordFree(&file);
  driver::mvbtrFileRecordFree(&bare);
  driver::mvbtrFileRecordFree(&bare);  // null: nothing to free
  EXPECT_EQ(file, nullptr);
  EXPECT_EQ(driver::AllocLive(), baseline_);
}

}  // namespace
}  // namespace vv::testing
