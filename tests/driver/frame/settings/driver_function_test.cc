// btrDriver: every function number, its arguments and its result.
#include <gtest/gtest.h>

#include <string>

#include "support/driver_fixture.h"

namespace vv::testing {
namespace {

class DriverFunctionTest : public DriverFixture {
 protected:
  int32_t Call(int32_t function, const char* text = "", int32_t number = 0,
               void* pointer = nullptr, int32_t hFile = 0) {
    return btrDriver(hFile, 0, text, 0, number, pointer, function);
  }
  std::string Owners() const {
    std::string names;
    for (auto* node = globals()->lpOwners; node != nullptr; node = node->lpNext) {
      names += std::string(node->lpszName) + ",";
    }
    return names;
  }
};

TEST_F(DriverFunctionTest, ResultStartsAsTheInitialisationStatus) {
  WriteSettings("OWNER NINECHARS\n");
  EXPECT_EQ(Call(13), 20515) << "the first call returns the settings file's status";
  EXPECT_EQ(Call(13), 0);
}

TEST_F(DriverFunctionTest, OwnerListFunctions) {
  EXPECT_EQ(Call(10, "abc"), 0);
  EXPECT_EQ(Call(10, "'q'"), 0);
  EXPECT_EQ(Call(10, "abc"), 0);
  EXPECT_EQ(Owners(), "abc,q,");
  EXPECT_EQ(Call(10, "123456789"), 20515);
  EXPECT_EQ(host_.error(), 20515);
  EXPECT_EQ(host_.error_text(), "");
  EXPECT_EQ(Owners(), "abc,q,");
  host_.ClearError();
  EXPECT_EQ(Call(13), 0);
  EXPECT_EQ(globals()->lpOwners, nullptr);
  EXPECT_EQ(Call(14, "NEWOWNER"), 0);
  EXPECT_STREQ(globals()->lpszDdfOwner, "NEWOWNER");
  EXPECT_EQ(host_.error(), 0);
}

TEST_F(DriverFunctionTest, TableOwnerNeedsAnOpenTable) {
  EXPECT_EQ(Call(11, "OWNER", 0, nullptr, 7), 72);
  EXPECT_EQ(host_.error(), 72);
  EXPECT_EQ(host_.error_text(), "SetOwner");
  host_.ClearError();
  EXPECT_EQ(Call(12, "", 0, nullptr, 7), 72);
  EXPECT_EQ(host_.error_text(), "SetOwner");
}

TEST_F(DriverFunctionTest, TransactionType) {
  EXPECT_EQ(Call(21), 1);
  EXPECT_EQ(Call(20, "", 2), 0);
  EXPECT_EQ(Call(21), 2);
  EXPECT_EQ(globals()->nBeginTranOp, 1519);
  EXPECT_EQ(globals()->nTranLockBias, 400);
  EXPECT_EQ(Call(20, "", 0), 0);
  EXPECT_EQ(Call(21), 0);
  EXPECT_EQ(globals()->nBeginTranOp, 0);
  EXPECT_EQ(globals()->nTranLockBias, 0);
  EXPECT_EQ(Call(20, "", 3), 20531);
  EXPECT_EQ(host_.error_text(), "Value = 3");
  EXPECT_EQ(Call(20, "", -1), 20531);
  EXPECT_EQ(host_.error_text(), "Value = -1");
  EXPECT_EQ(Call(21), 0) << "a refused type changes nothing";
}

TEST_F(DriverFunctionTest, TransactionTypeIsFixedInsideATransaction) {
  Call(20, "", 2);
  globals()->nTransDepth = 1;
  EXPECT_EQ(Call(20, "", 1), 20532);
  EXPECT_EQ(host_.error_text(), "");
  EXPECT_EQ(Call(21), 2);
  globals()->nTransDepth = 0;
}

TEST_F(DriverFunctionTest, SingleSettingsTakeTheLowByte) {
  EXPECT_EQ(Call(22, "", 0x100), 0);
  EXPECT_EQ(Call(23), 0);
  EXPECT_EQ(Call(22, "", 0x1FF), 0);
  EXPECT_EQ(Call(23), 255);
  EXPECT_EQ(Call(24, "", 0), 0);
  EXPECT_EQ(Call(25), 0);
  EXPECT_EQ(Call(24, "", 7), 0);
  EXPECT_EQ(Call(25), 7);
}

int16_t VV_CALL RecordingCallback(const char* text, int32_t kind);
std::string g_callbackText;
int32_t g_callbackKind = -1;
int16_t VV_CALL RecordingCallback(const char* text, int32_t kind) {
  g_callbackText = text;
  g_callbackKind = kind;
  return -2;
}

TEST_F(DriverFunctionTest, TestCallback) {
  EXPECT_EQ(Call(999), 0);
  EXPECT_EQ(Call(999, "", 0, reinterpret_cast<void*>(&RecordingCallback)), -2);
  EXPECT_EQ(g_callbackText, "Test Callback");
  EXPECT_EQ(g_callbackKind, 0);
}

TEST_F(DriverFunctionTest, UnknownFunctionsAreReported) {
  Initialise();
  for (int32_t fn : {0, 2, 3, 4, 5, 6, 7, 8, 9, 15, 16, 17, 18, 19, 26, 998, 1000, -1}) {
    SCOPED_TRACE(fn);
    host_.ClearError();
    EXPECT_EQ(Call(fn), 0);
    EXPECT_EQ(host_.error(), 20491);
    EXPECT_EQ(host_.error_text(), "Function: " + std::to_string(fn));
  }
}

}  // namespace
}  // namespace vv::testing
