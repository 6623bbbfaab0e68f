// The state of the record in the buffer: clear (with true nulls), mark
// changed through overlapping fields, and make active.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver/tables/file_record.h"
#include "support/driver_fixture.h"
#include "support/open_file_builder.h"

namespace vv::testing {
namespace {

using driver::kHostAscii;
using driver::kHostDate;

class FileRecordStateTest : public DriverFixture {
 protected:
  void SetUp() override {
    DriverFixture::SetUp();
    ASSERT_EQ(Initialise(), 1);
    // A true-null table: each nullable field has its indicator byte in front.
    file_ = OpenFileBuild({{"DUE", kHostDate, BTR_TYPE_DATE, 1, 4, 4, 1},
                           {"BORN", kHostDate, BTR_TYPE_DATE, 5, 4, 4, 0},
                           {"NAME", kHostAscii, BTR_TYPE_STRING, 10, 5, 5, 1},
                           {"CODE", kHostAscii, BTR_TYPE_STRING, 15, 3, 3, 0}});
    file_->bTrueNull = 1;
    ASSERT_EQ(driver::mvbtrFileCreateRecordbuffer(file_), 0);
    // Everything set, as after a find and some field puts.
    std::memset(file_->lpRecBuf, 0xAA, file_->nRecBufSize);
    for (int32_t i = 0; i <= file_->nFields; ++i) {
      driver::FieldDesc& f = file_->lpFields[i];
      f.bFieldChanged = f.bFieldTouched = f.bIsNull = 1;
    }
    file_->nRecnum[0] = 9;
    file_->nCurIndex = 2;
    file_->bActive = file_->bChanged = file_->bChanged2 = file_->bFound = 1;
  }
  void TearDown() override {
    driver::mvbtrFileRecordFree(&file_);
    DriverFixture::TearDown();
  }
  std::string Bytes(int32_t offset, int32_t n) {
    return std::string(reinterpret_cast<char*>(file_->lpRecBuf) + offset,
                       static_cast<std::size_t>(n));
  }
  driver::OpenFile* file_ = nullptr;
};

TEST_F(FileRecordStateTest, ClearLeavesNullableDatesNullAndEveryOtherFieldEmpty) {
  EXPECT_EQ(driver::mvbtrFileClear(file_), 0);
  const driver::FieldDesc* f = file_->lpFields;
  EXPECT_EQ(f[1].bIsNull, 1);
  EXPECT_EQ(Bytes(0, 5), std::string("\1\0\0\0\0", 5)) << "indicator set, date empty";
  EXPECT_EQ(f[2].bIsNull, 0);
  EXPECT_EQ(f[3].bIsNull, 0) << "nullable, but not a date";
  EXPECT_EQ(Bytes(5, 13), std::string(5, '\0') + std::string(8, ' ')) << "BORN, NAME, CODE";
  EXPECT_EQ(file_->lpRecBuf[file_->nRecBufSize - 1], 0) << "the whole buffer is cleared";
  for (int32_t i = 0; i <= file_->nFields; ++i)
    EXPECT_EQ(f[i].bFieldChanged + f[i].bFieldTouched, 0);
  EXPECT_EQ(file_->nRecnum[0], 0);
  EXPECT_EQ(file_->nCurIndex, -1);
  EXPECT_EQ(file_->bActive + file_->bChanged + file_->bChanged2 + file_->bFound, 0);
  EXPECT_EQ(file_->bBufferClear, 1);

  file_->bTrueNull = 0;  // without true nulls nothing is null
  driver::mvbtrFileClear(file_);
  EXPECT_EQ(f[1].bIsNull, 0);
  EXPECT_EQ(file_->lpRecBuf[0], 0);
}

TEST_F(FileRecordStateTest, MarkChangedReachesEveryOverlappingField) {
  driver::mvbtrFileClear(file_);
  driver::OverlapLink second{nullptr, &file_->lpFields[2]};
  driver::OverlapLink first{&second, &file_->lpFields[4]};
  file_->lpFields[3].lpOverlaps = &first;  // NAME shares bytes with CODE and BORN
  driver::mvbtrFieldMarkChanged(file_, 3);
  file_->lpFields[3].lpOverlaps = nullptr;
  for (int32_t i : {2, 3, 4}) {
    EXPECT_EQ(file_->lpFields[i].bFieldChanged + file_->lpFields[i].bFieldTouched, 2) << i;
  }
  EXPECT_EQ(file_->lpFields[1].bFieldChanged, 0);
  EXPECT_EQ(file_->bChanged + file_->bChanged2, 2);
}

TEST_F(FileRecordStateTest, MakeActiveReadsNullsAndTheRecordNumber) {
  std::memset(file_->lpRecBuf, 0, file_->nRecBufSize);
  file_->lpRecBuf[0] = 1;  // DUE is null, NAME (indicator at 9) is not
  file_->lpRecBuf[4] = 7;  // a byte of DUE, in front of BORN, which is not nullable
  const uint8_t address[4] = {0x10, 0x20, 0x30, 0x40};
  std::memcpy(file_->PosBlock + BTR_POS_BLOCK_ADDRESS_OFFSET, address, 4);
  file_->nRecnumMethod = driver::kRecnumPositionBlock;  // no engine file behind the record
  EXPECT_EQ(driver::mvbtrRecordMarkActive(file_), 0);
  const driver::FieldDesc* f = file_->lpFields;
  EXPECT_EQ(f[1].bIsNull, 1);
  EXPECT_EQ(f[2].bIsNull + f[3].bIsNull + f[4].bIsNull, 0);
  for (int32_t i = 0; i <= file_->nFields; ++i) {
    EXPECT_EQ(f[i].bFieldChanged, 0);
    EXPECT_EQ(f[i].bFieldTouched, 1);
  }
  EXPECT_EQ(std::memcmp(file_->nRecnum, address, 4), 0);
  EXPECT_EQ(file_->bActive + file_->bFound + file_->bChanged2, 3);
  EXPECT_EQ(file_->bChanged + file_->bBufferClear, 0);
  driver::mvbtrRecordMarkInactive(file_);
  EXPECT_EQ(file_->bActive, 0);
}

}  // namespace
}  // namespace vv::testing
