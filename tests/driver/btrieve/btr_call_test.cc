// The Btrieve gateway: argument passing, the 16-bit length round trip, the
// binding of the library and the Btrieve error report.
#include "driver/btrieve/btr_call.h"

#include <gtest/gtest.h>

#include "driver/btrieve/btr_binding.h"
#include "platform/platform.h"
#include "support/btr_recorder.h"
#include "support/driver_fixture.h"

namespace vv::testing {
namespace {

using driver::mvbtrBtrCall;
using BtrCallTest = DriverFixture;

TEST_F(BtrCallTest, PassesEveryArgumentAndWidensTheLength) {
  BtrRecorder recorder;
  recorder.onCall = [](const BtrCallRecord&, uint32_t* dataLen) { *dataLen = 70000; };
  uint8_t posBlock[BTR_POS_BLOCK_SIZE] = {}, data[8] = {}, key[8] = {};
  uint8_t clientId[BTR_CLIENT_ID_SIZE] = {};
  uint16_t length = 40000;  // above 32767: reaches the engine unsigned
  recorder.Answer({84});
  EXPECT_EQ(mvbtrBtrCall(BTR_GET_EQUAL + BTR_BIAS_MULTIPLE_NOWAIT, posBlock, data, &length, key,
                         0x1FF, clientId),
            84);
  // A null length passes 0 and receives nothing.
  EXPECT_EQ(mvbtrBtrCall(BTR_RESET, nullptr, nullptr, nullptr, nullptr, -4, nullptr), 0);
  ASSERT_EQ(recorder.calls().size(), 2u);
  const BtrCallRecord& call = recorder.calls()[0];
  EXPECT_EQ(call.op, 405);
  EXPECT_EQ(call.posBlock, posBlock);
  EXPECT_EQ(call.dataBuf, data);
  EXPECT_EQ(call.dataLenIn, 40000u);
  EXPECT_EQ(call.keyBuf, key);
  EXPECT_EQ(call.keyLen, 255);
  EXPECT_EQ(call.keyNum, -1) << "the low byte of the key number, signed";
  EXPECT_EQ(call.clientId, clientId);
  EXPECT_EQ(length, 70000 & 0xFFFF) << "the engine's length comes back as its low 16 bits";
  EXPECT_EQ(recorder.calls()[1].dataLenIn, 0u);
  EXPECT_EQ(recorder.calls()[1].keyNum, -4);
}

TEST_F(BtrCallTest, ErrorReportIsBasePlusStatusWithContextAndDetail) {
  EXPECT_EQ(driver::mvbtrBtrErrorReport(43, "mvbtrRecordMarkActive", "ORDERS"), 21043);
  EXPECT_EQ(host_.error_text(), "mvbtrRecordMarkActive (ORDERS)");
  host_.ClearError();
  driver::mvbtrBtrErrorReport(39, "TransactionCommit", nullptr);
  EXPECT_EQ(host_.error(), 21039);
  EXPECT_EQ(host_.error_text(), "TransactionCommit");
}

// The library named by VEVERAVE_BTRIEVE_LIB is bound at the first call; one
// that cannot be bound answers like an engine that is not running.
class BtrBindingTest : public DriverFixture {
 protected:
  void TearDown() override {
    platform::UnsetEnv(driver::kBtrieveLibVariable);
    driver::BtrBindingReset();
    DriverFixture::TearDown();
  }
  void Library(const std::string& path) {
    ASSERT_TRUE(platform::SetEnv(driver::kBtrieveLibVariable, path));
    driver::BtrBindingReset();
  }
  int16_t Call(uint16_t* length) {
    return mvbtrBtrCall(BTR_STAT, nullptr, data_, length, nullptr, -4, nullptr);
  }
  int8_t data_[8] = {};
};

TEST_F(BtrBindingTest, FailedBindingIsEngineInactiveUntilALibraryAnswers) {
  uint16_t length = 5;
  // A named library that cannot be loaded is a failure, never a fallback to
  // another library (not even an engine beside the driver).
  for (const std::string& path : {dir() + "/no-such-library.so", dir()}) {
    Library(path);
    EXPECT_EQ(Call(&length), BTR_STATUS_ENGINE_INACTIVE) << path;
    EXPECT_EQ(length, 5) << "an unbound call leaves the length alone";
  }
  EXPECT_EQ(host_.error(), 0) << "the gateway reports nothing itself";
  // The next call binds again: now to a library that answers.
  ASSERT_TRUE(platform::SetEnv(driver::kBtrieveLibVariable, VV_FAKE_BTRIEVE_LIB));
  EXPECT_EQ(Call(&length), BTR_STAT);
  EXPECT_EQ(length, 6);
  EXPECT_EQ(data_[0], -4);
}

TEST_F(BtrBindingTest, LengthRoundTripThroughALoadedLibrary) {
  Library(VV_FAKE_BTRIEVE_LIB);
  uint16_t length = 65535;  // the library answers 65536: its low 16 bits are 0
  EXPECT_EQ(Call(&length), BTR_STAT);
  EXPECT_EQ(length, 0);
  length = 32768;
  EXPECT_EQ(Call(&length), BTR_STAT);
  EXPECT_EQ(length, 32769);
}

}  // namespace
}  // namespace vv::testing
