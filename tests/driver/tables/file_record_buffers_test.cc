// Record buffer and key buffer sizing, the long-variable field list, the
// related-field triples, the record lengths, and an allocation-failure sweep
// over these builders.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "driver/frame/errors.h"
#include "driver/frame/util/memory.h"
#include "driver/tables/file_record.h"
#include "support/driver_fixture.h"
#include "support/open_file_builder.h"

namespace vv::testing {
namespace {

using driver::kHostAscii;
using driver::kHostBcd;
using driver::kHostOverlap;
using driver::kHostText;
using driver::OpenFile;

class FileRecordBuffersTest : public DriverFixture {
 protected:
  void SetUp() override {
    DriverFixture::SetUp();
    ASSERT_EQ(Initialise(), 1);
    baseline_ = driver::AllocLive();
  }
  void TearDown() override {
    driver::mvbtrFileRecordFree(&file_);
    EXPECT_EQ(driver::AllocLive(), baseline_);
    DriverFixture::TearDown();
  }
  int32_t RecBufSize() {
    EXPECT_EQ(driver::mvbtrFileCreateRecordbuffer(file_), 0);
    return file_->nRecBufSize;
  }
  OpenFile* file_ = nullptr;
  long baseline_ = 0;
};

TEST_F(FileRecordBuffersTest, RecordBufferHoldsTheFieldsTheLongValuesAndSlack) {
  file_ = OpenFileBuild({{"A", kHostAscii, BTR_TYPE_STRING, 0, 10, 10},
                         {"T", kHostText, BTR_TYPE_LONGVAR, 30, 8, 100},
                         {"B", kHostBcd, BTR_TYPE_DECIMAL, 10, 20, 39}});
  EXPECT_EQ(RecBufSize(), 38 + 101 + 20);
  for (int32_t i = 0; i <= file_->nFields; ++i) {
    EXPECT_EQ(file_->lpFields[i].lpData, file_->lpRecBuf + file_->lpFields[i].nOffset);
  }
  file_->nRecLen = 500;
  EXPECT_EQ(RecBufSize(), 500) << "never smaller than the record length";
  file_->nRecLen = 70000;
  EXPECT_EQ(RecBufSize(), 64000) << "never larger than 64000";

  // Field ends are taken in 16 bits: one at 65540 counts as 4, and lying
  // outside any buffer it has no bytes to point at.
  file_->lpFields[2].nOffset = 65530;
  file_->lpFields[2].nSize = 10;
  file_->lpFields[3].nSize = 0;
  file_->nRecLen = 0;
  EXPECT_EQ(RecBufSize(), 10 + 101 + 20);
  EXPECT_EQ(file_->lpFields[2].lpData, nullptr);
}

TEST_F(FileRecordBuffersTest, KeyBufferIsTheLongestKeyButAtLeastFourBytes) {
  file_ = OpenFileBuild({});
  EXPECT_EQ(driver::mvbtrFileKeyBufCreate(file_), 0);
  EXPECT_EQ(file_->nKeyBufSize, 4) << "no indexes";
  IndexesAdd(file_, {0, 2, 3});
  EXPECT_EQ(driver::mvbtrFileKeyBufCreate(file_), 0);
  EXPECT_EQ(file_->nKeyBufSize, 4);
  file_->lpIndexes[1].nKeyLen = 33;
  EXPECT_EQ(driver::mvbtrFileKeyBufCreate(file_), 0);
  EXPECT_EQ(file_->nKeyBufSize, 33);
}

TEST_F(FileRecordBuffersTest, LongVariableAndRelatedFieldsAreListedInFieldOrder) {
  file_ = OpenFileBuild({{"A", kHostAscii, BTR_TYPE_STRING, 0, 10, 10},
                         {"T1", kHostText, BTR_TYPE_LONGVAR, 10, 8, 100},
                         {"B", kHostBcd, BTR_TYPE_DECIMAL, 18, 5, 9},
                         {"T2", kHostText, BTR_TYPE_LONGVAR, 23, 8, 200}});
  ASSERT_EQ(driver::mvbtrFieldLongvarsBuild(file_), 0);
  ASSERT_EQ(driver::mvbtrFileBuildRelFields(file_), 0);
  EXPECT_EQ(file_->nRelFields, 0) << "no related fields";
  ASSERT_EQ(file_->nLongvars, 2);
  driver::FieldDesc* f = file_->lpFields;
  EXPECT_EQ((std::vector<driver::FieldDesc*>{file_->lpLongvars[0], file_->lpLongvars[1],
                                             file_->lpFirstLongvar, f[2].lpNextLongvar,
                                             f[4].lpPrevLongvar, file_->lpLastLongvar}),
            (std::vector<driver::FieldDesc*>{&f[2], &f[4], &f[2], &f[4], &f[2], &f[4]}));

  f[2].nBtrType = f[4].nBtrType = BTR_TYPE_STRING;  // a table without any
  f[4].nRelFile = 7;
  f[4].nRelField = 2;
  f[1].nRelFile = 4;
  f[1].nRelField = 1;
  ASSERT_EQ(driver::mvbtrFieldLongvarsBuild(file_), 0);
  EXPECT_EQ(file_->nLongvars, 0);
  EXPECT_NE(file_->lpLongvars, nullptr) << "an empty list, not none";
  EXPECT_EQ(f[2].lpNextLongvar, nullptr);
  ASSERT_EQ(driver::mvbtrFileBuildRelFields(file_), 0);
  ASSERT_EQ(file_->nRelFields, 2);
  const int32_t* t = file_->lpRelFields;
  EXPECT_EQ((std::vector<int32_t>(t, t + 6)), (std::vector<int32_t>{1, 4, 1, 4, 7, 2}));
}

TEST_F(FileRecordBuffersTest, HostRecordLengthAndWhatFollowsIt) {
  file_ = OpenFileBuild({{"A", kHostAscii, BTR_TYPE_STRING, 0, 10, 10},
                         {"T", kHostText, BTR_TYPE_LONGVAR, 10, 8, 100},
                         {"O", kHostOverlap, BTR_TYPE_STRING, 0, 30, 30},
                         {"N", kHostText, BTR_TYPE_NOTE, 18, 50, 49}});
  file_->nRecLen = 100;
  driver::mvbtrFileHostRecLenSet(file_);
  EXPECT_EQ(file_->nHostRecLen, 68 + 100);
  EXPECT_EQ(file_->nRecLen, 168) << "raised to the host record length";
  EXPECT_EQ(file_->nDataLen, 18) << "no OVERLAP field, no trailing NOTE";
  file_->nRecLen = 400;
  driver::mvbtrFileHostRecLenSet(file_);
  EXPECT_EQ(file_->nRecLen, 400) << "a longer Btrieve record stays";
  file_->bRestructuring = 1;
  driver::mvbtrFileHostRecLenSet(file_);
  EXPECT_EQ(file_->nRecLen, 168) << "while restructuring it follows the host length down";
  for (int32_t i = 1; i <= file_->nFields; ++i) {
    file_->lpFields[i].nOffset = 0;
    file_->lpFields[i].nSize = 2;
    file_->lpFields[i].nBtrType = BTR_TYPE_STRING;
  }
  driver::mvbtrFileHostRecLenSet(file_);
  EXPECT_EQ(file_->nRecLen, 6) << "never below 6";
}

TEST_F(FileRecordBuffersTest, EveryBuilderReportsNoMemoryWithItsContext) {
  file_ = OpenFileBuild({{"A", kHostAscii, BTR_TYPE_STRING, 0, 10, 10},
                         {"T", kHostText, BTR_TYPE_LONGVAR, 10, 8, 100}});
  file_->lpFields[1].nRelFile = 3;
  driver::mvbtrStrNewCpy(&file_->lpszDdfName, "ORDERS");
  OpenFile* target = OpenFileBuild({});
  const std::pair<const char*, std::function<int16_t()>> builders[] = {
      {"mvbtrFileCreateRecordbuffer", [&] { return driver::mvbtrFileCreateRecordbuffer(file_); }},
      {"", [&] { return driver::mvbtrFileKeyBufCreate(file_); }},
      {"mvbtrFieldCreateFromDdfFields (lpLongvars)",
       [&] { return driver::mvbtrFieldLongvarsBuild(file_); }},
      {"mvbtrFileBuildRelFields", [&] { return driver::mvbtrFileBuildRelFields(file_); }},
      {"mvbtrFileStrCpy",
       [&] { return driver::mvbtrFileStrCpy(target, file_, &OpenFile::lpszDdfName); }},
  };
  for (const auto& [context, build] : builders) {
    SCOPED_TRACE(context);
    ASSERT_EQ(build(), 0);
    uint8_t* recBuf = file_->lpRecBuf;
    driver::AllocFailureSet(1);
    EXPECT_NE(build(), 0);
    EXPECT_EQ(host_.error(), driver::kErrOutOfMemory);
    EXPECT_EQ(host_.error_text(), context);
    host_.ClearError();
    // What a failed builder leaves is consistent.
    EXPECT_EQ(file_->lpRecBuf, recBuf) << "the old record buffer stays";
  }
  EXPECT_EQ(file_->nKeyBufSize, 0);
  EXPECT_EQ(file_->lpRelFields, nullptr);
  EXPECT_EQ(target->lpszDdfName, nullptr);
  driver::mvbtrFileRecordFree(&target);
}

}  // namespace
}  // namespace vv::testing
