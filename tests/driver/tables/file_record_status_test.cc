// Status store and restore: the state round trip, the reposition on the
// stored key path, copies that grow with the table, and the allocation
// failures of the first store.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "driver/frame/errors.h"
#include "driver/frame/util/memory.h"
#include "driver/tables/file_record.h"
#include "support/btr_recorder.h"
#include "support/driver_fixture.h"
#include "support/open_file_builder.h"

namespace vv::testing {
namespace {

using driver::kHostAscii;

class FileRecordStatusTest : public DriverFixture {
 protected:
  void SetUp() override {
    DriverFixture::SetUp();
    ASSERT_EQ(Initialise(), 1);
    file_ = OpenFileBuild(
        {{"A", kHostAscii, BTR_TYPE_STRING, 0, 4, 4}, {"B", kHostAscii, BTR_TYPE_STRING, 4, 4, 4}});
    driver::mvbtrStrNewCpy(&file_->lpszDdfName, "ORDERS");
    ASSERT_EQ(driver::mvbtrFileCreateRecordbuffer(file_), 0);
    ASSERT_EQ(driver::mvbtrFileKeyBufCreate(file_), 0);
  }
  void TearDown() override {
    driver::mvbtrFileRecordFree(&file_);
    DriverFixture::TearDown();  // checks that nothing is left
  }
  std::string Buffer() { return std::string(reinterpret_cast<char*>(file_->lpRecBuf), 8); }
  void State(const char* bytes, uint8_t recnum, uint8_t flag) {
    std::memcpy(file_->lpRecBuf, bytes, 8);
    file_->nRecnum[0] = recnum;
    file_->bActive = file_->bFound = file_->bChanged = flag;
    file_->lpFields[2].bFieldChanged = file_->lpFields[1].bIsNull = flag;
  }
  driver::OpenFile* file_ = nullptr;
  BtrRecorder recorder_;
};

TEST_F(FileRecordStatusTest, RestorePutsTheStoredStateBack) {
  EXPECT_EQ(driver::mvbtrFileStatusRestore(file_), 0) << "nothing stored: nothing to do";
  State("AAAABBBB", 7, 1);
  ASSERT_EQ(driver::mvbtrFileStatusStore(file_), 0);
  State("xxxxyyyy", 9, 0);
  // Between store and restore the record's own memory may change hands.
  driver::mvbtrStrNewCpy(&file_->lpszDdfName, "RENAMED");
  file_->PosBlock[0] = 0x5A;
  ASSERT_EQ(driver::mvbtrFileStatusRestore(file_), 0);
  EXPECT_EQ(Buffer(), "AAAABBBB");
  EXPECT_EQ(file_->nRecnum[0], 7);
  EXPECT_EQ(file_->bActive + file_->bFound + file_->bChanged, 3);
  EXPECT_EQ(file_->lpFields[2].bFieldChanged + file_->lpFields[1].bIsNull, 2);
  EXPECT_STREQ(file_->lpszDdfName, "RENAMED") << "owned memory is never brought back";
  EXPECT_EQ(file_->PosBlock[0], 0x5A) << "the engine's position block is not rewound";
  EXPECT_TRUE(recorder_.calls().empty()) << "no key path stored: no reposition";

  // A state stored for a structure the table no longer has is not restored.
  State("xxxxyyyy", 9, 0);
  ASSERT_EQ(driver::mvbtrFileCreateRecordbuffer(file_), 0);
  ASSERT_EQ(driver::mvbtrFileStatusRestore(file_), 0);
  EXPECT_EQ(file_->nRecnum[0], 9);
}

TEST_F(FileRecordStatusTest, RestoreRepositionsOnTheStoredKeyPath) {
  file_->nCurIndex = 2;
  file_->nRecnum[0] = 0x21;
  ASSERT_EQ(driver::mvbtrFileStatusStore(file_), 0);
  file_->nCurIndex = -1;
  uint8_t sent[4] = {};
  recorder_.onCall = [&](const BtrCallRecord& call, uint32_t*) {
    std::memcpy(sent, call.dataBuf, 4);
  };
  ASSERT_EQ(driver::mvbtrFileStatusRestore(file_), 0);
  ASSERT_EQ(recorder_.calls().size(), 1u);
  const BtrCallRecord& call = recorder_.calls()[0];
  EXPECT_EQ(call.op, BTR_GET_DIRECT);
  EXPECT_EQ(call.keyNum, 2);
  EXPECT_EQ(call.posBlock, file_->PosBlock);
  EXPECT_EQ(call.keyBuf, file_->lpKeyBuf);
  EXPECT_EQ(call.dataLenIn, static_cast<uint32_t>(file_->nRecLen));
  EXPECT_EQ(std::memcmp(sent, file_->nRecnum, 4), 0) << "Get Direct on the record number";
  EXPECT_EQ(file_->nCurIndex, 2);

  recorder_.Answer({BTR_STATUS_INVALID_ADDRESS});  // the record is gone
  ASSERT_EQ(driver::mvbtrFileStatusRestore(file_), 0);
  EXPECT_EQ(file_->nCurIndex, -1) << "no key path is better than a wrong one";
  EXPECT_EQ(host_.error(), 0);
}

TEST_F(FileRecordStatusTest, CopiesGrowWithTheTable) {
  ASSERT_EQ(driver::mvbtrFileStatusStore(file_), 0);
  // More fields and a larger buffer: the next store must not write past the
  // copies made for the smaller table.
  driver::OpenFile* larger = OpenFileBuild({{"A", kHostAscii, BTR_TYPE_STRING, 0, 4, 4},
                                            {"B", kHostAscii, BTR_TYPE_STRING, 4, 4, 4},
                                            {"C", kHostAscii, BTR_TYPE_STRING, 8, 400, 400},
                                            {"D", kHostAscii, BTR_TYPE_STRING, 408, 100, 100}});
  std::swap(file_->lpFields, larger->lpFields);
  std::swap(file_->nFields, larger->nFields);
  file_->nRecLen = larger->nRecLen;
  driver::mvbtrFileRecordFree(&larger);
  ASSERT_EQ(driver::mvbtrFileCreateRecordbuffer(file_), 0);
  std::memset(file_->lpRecBuf, 'z', file_->nRecBufSize);
  file_->lpFields[4].bFieldChanged = 1;
  ASSERT_EQ(driver::mvbtrFileStatusStore(file_), 0);
  std::memset(file_->lpRecBuf, 0, file_->nRecBufSize);
  file_->lpFields[4].bFieldChanged = 0;
  ASSERT_EQ(driver::mvbtrFileStatusRestore(file_), 0);
  EXPECT_EQ(file_->lpRecBuf[file_->nRecBufSize - 1], 'z');
  EXPECT_EQ(file_->lpFields[4].bFieldChanged, 1);
}

TEST_F(FileRecordStatusTest, FirstStoreWithoutMemoryFreesAllThreeCopies) {
  const char* contexts[] = {"mvbtrFileStatusStore, File", "mvbtrFileStatusStore, Fields",
                            "mvbtrFileStatusStore, Data"};
  const long live = driver::AllocLive();
  for (long n = 1; n <= 3; ++n) {
    SCOPED_TRACE(contexts[n - 1]);
    driver::AllocFailureSet(n);
    EXPECT_EQ(driver::mvbtrFileStatusStore(file_), driver::kErrOutOfMemory);
    EXPECT_EQ(host_.error_text(), contexts[n - 1]);
    host_.ClearError();
    EXPECT_EQ(file_->lpSavedFile, nullptr);
    EXPECT_EQ(file_->lpSavedFields, nullptr);
    EXPECT_EQ(file_->lpSavedData, nullptr);
    EXPECT_EQ(driver::AllocLive(), live);
  }
  driver::AllocFailureSet(0);
  EXPECT_EQ(driver::mvbtrFileStatusStore(file_), 0);
}

}  // namespace
}  // namespace vv::testing
