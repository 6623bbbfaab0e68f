// The settings file: its grammar, every keyword kind and each error.
#include <gtest/gtest.h>

#include <string>

#include "driver/frame/settings/settings.h"
#include "platform/platform.h"
#include "support/driver_fixture.h"

namespace vv::testing {
namespace {

class SettingsTest : public DriverFixture {
 protected:
  // Writes the settings file and initialises the driver with it; the result
  // is the initialisation status (btrDriver function 13 returns it unchanged,
  // after emptying the owner-name list).
  int32_t InitialiseWith(const std::string& text) {
    WriteSettings(text);
    int32_t status = btrDriver(0, 0, "", 0, 0, nullptr, 13);
    EXPECT_NE(globals(), nullptr);
    return status;
  }
  void ExpectError(int16_t code, const std::string& text) {
    EXPECT_EQ(host_.error(), code);
    EXPECT_EQ(host_.error_text(), text);
  }
};

TEST(SettingsScannerTest, ItemsLikeTheKeywordValueScan) {
  struct Case {
    const char* text;
    std::vector<std::pair<std::string, std::string>> items;
  };
  const Case cases[] = {
      {"A 1\nB two words  \n", {{"A", "1"}, {"B", "two words  "}}},
      {"A 1;comment here\n", {{"A", "1"}, {";comment", "here"}}},
      {"; whole line\nB 2", {{";", "whole line"}, {"B", "2"}}},
      {"A\n\n  B 2\n", {{"A", "B 2"}}},  // line ends after a keyword are skipped
      {"A x^B 3\n", {{"A", "x"}, {"^B", "3"}}},
      {"A;\n", {{"A;", ""}}},
      {"A ;x\n", {{"A", ""}, {";x", ""}}},
      {"   \n\t\n", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    driver::SettingsScanner scanner(c.text);
    char keyword[256];
    char value[256];
    std::vector<std::pair<std::string, std::string>> got;
    while (scanner.Next(keyword, value)) got.emplace_back(keyword, value);
    EXPECT_EQ(got, c.items);
  }
}

TEST(SettingsScannerTest, ItemsAreCutAt255Characters) {
  const std::string text = std::string(300, 'K') + " v\n";
  driver::SettingsScanner scanner(text);
  char keyword[256];
  char value[256];
  ASSERT_TRUE(scanner.Next(keyword, value));
  EXPECT_EQ(std::string(keyword), std::string(255, 'K'));
  EXPECT_EQ(std::string(value), std::string(45, 'K') + " v");
}

TEST_F(SettingsTest, KeywordsAreCaseInsensitive) {
  InitialiseWith("lock_timeout 3000\nLock_Delay -250\n");
  EXPECT_EQ(globals()->nLockTimeout, 3000);
  EXPECT_EQ(globals()->nLockDelay, -250);
  EXPECT_EQ(host_.error(), 0);
}

TEST_F(SettingsTest, CommentsAfterValuesAndOnTheirOwnLines) {
  InitialiseWith("; settings\r\nTRANSACTION_TYPE concurrent;the comment\r\n\r\nPAD_STRING 1\r\n");
  EXPECT_EQ(globals()->nTransType, 2);
  EXPECT_EQ(globals()->bPadString, 1);
  EXPECT_EQ(host_.error(), 0);
}

TEST_F(SettingsTest, NumbersAndFlags) {
  InitialiseWith(
      "RENAME_RETRY_COUNT 25x\nEXPLICIT_LOCKING 256\nLOCK_READONLY 3\nUSE_CACHE abc\n"
      "COMP3_SIGN_POS 12\nCOMP3_SIGN_NEG 267\nAUTO_LOGOUT 0\nUSE_INT_FILE +0\n"
      "ALLOW_UNLOCKED_UPDATES 1\nREPORT_CACHE_ERRORS 1\nAUTO_MARK_SYSFILE 0\n");
  EXPECT_EQ(globals()->nRenameRetries, 25);
  EXPECT_EQ(globals()->bExplicitLocking, 0) << "a flag takes the low byte";
  EXPECT_EQ(globals()->bLockReadOnly, 3);
  EXPECT_EQ(globals()->bUseCache, 0);
  EXPECT_EQ(globals()->nComp3SignPos, 12);
  EXPECT_EQ(globals()->nComp3SignNeg, 11);
  EXPECT_EQ(globals()->bAutoLogout, 0);
  EXPECT_EQ(globals()->bUseIntFile, 0);
  EXPECT_EQ(globals()->bAllowUnlockedUpdates, 1);
  EXPECT_EQ(globals()->bReportCacheErrors, 1);
  EXPECT_EQ(globals()->bAutoMarkSysfile, 0);
  EXPECT_EQ(host_.error(), 0);
}

TEST_F(SettingsTest, RuntimeServerSupportDependsOnOrder) {
  InitialiseWith("USE_CACHE_EXPIRATION 1\nRUNTIME_SERVER_SUPPORT 1\n");
  EXPECT_EQ(globals()->bCacheExpiration, 0);
  EXPECT_EQ(globals()->bConvertLongNames, 0);
  btrDeinitialize();
  InitialiseWith("RUNTIME_SERVER_SUPPORT 1\nUSE_CACHE_EXPIRATION 1\n");
  EXPECT_EQ(globals()->bCacheExpiration, 1);
  EXPECT_EQ(globals()->bConvertLongNames, 0);
  EXPECT_EQ(globals()->bRuntimeServer, 1);
}

TEST_F(SettingsTest, PathsEndInABackslash) {
  InitialiseWith("DDF_PATH D:\\DATA\nBTR_PATH D:\\BTR\\\nCACHE_PATH 'c'\nINT_PATH\n");
  EXPECT_STREQ(globals()->lpszDdfDir, "D:\\DATA\\");
  EXPECT_STREQ(globals()->lpszBtrDir, "D:\\BTR\\");
  EXPECT_STREQ(globals()->lpszCacheDir, "'c'\\") << "quotes stay in paths";
  EXPECT_EQ(globals()->lpszIntDir, nullptr) << "an empty path changes nothing";
}

TEST_F(SettingsTest, TextValuesLoseSurroundingQuotes) {
  InitialiseWith(
      "RECID_NAME \"MYID\"\nLOGFILE_PATH 'log file.txt'\nDDF_OWNER \"x'\nRECID_NAME ''\n");
  EXPECT_STREQ(globals()->lpszRecidName, "MYID") << "an empty text changes nothing";
  EXPECT_STREQ(globals()->lpszLogfilePath, "log file.txt");
  EXPECT_STREQ(globals()->lpszDdfOwner, "\"x'") << "different quotes are kept";
}

TEST_F(SettingsTest, WordValues) {
  InitialiseWith(
      "RECNUM_METHOD double_check\nZEROFILE_METHOD 'CREATE'\nLAST_INDEX_NUMBER_METHOD MAXIMUM\n"
      "CHARACTER_SET char\nTEXT_TYPE Note\nTRANSACTION_TYPE NONE\n");
  EXPECT_EQ(globals()->nRecnumMethod, 2);
  EXPECT_EQ(globals()->nZerofileMethod, 2);
  EXPECT_EQ(globals()->nLastIndexMethod, 1);
  EXPECT_EQ(globals()->nCharSet, 1);
  EXPECT_EQ(globals()->nTextType, 1);
  EXPECT_EQ(globals()->nTransType, 0);
  EXPECT_EQ(globals()->nBeginTranOp, 0);
  EXPECT_EQ(host_.error(), 0);
}

TEST_F(SettingsTest, EachWordErrorNamesTheValue) {
  const struct {
    const char* line;
    int16_t error;
    const char* text;
  } cases[] = {
      {"TRANSACTION_TYPE sometimes", 20531, "SOMETIMES"},
      {"RECNUM_METHOD fast", 20548, "FAST"},
      {"ZEROFILE_METHOD 'erase'", 20555, "ERASE"},
      {"LAST_INDEX_NUMBER_METHOD min", 20553, "MIN"},
      {"CHARACTER_SET utf8", 20558, "UTF8"},
      {"TEXT_TYPE blob", 20573, "BLOB"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    host_.ClearError();
    EXPECT_EQ(InitialiseWith(std::string(c.line) + "\nPAD_STRING 1\n"), 0);
    ExpectError(c.error, c.text);
    EXPECT_EQ(globals()->bPadString, 1) << "reading goes on";
    EXPECT_EQ(globals()->nTransType, 1);
    EXPECT_EQ(globals()->nRecnumMethod, 3);
    btrDeinitialize();
  }
}

TEST_F(SettingsTest, RefusedAndUnknownKeywords) {
  for (const char* keyword :
       {"DDF_NAME", "SYSTEM_FILE", "RECNUM_SUPPORT", "MORVANTA_FOR_BTRIEVE", "PRIMARY_INDEX",
        "FIELD_TYPE_BTR", "FIELD_TYPE_AUX", "NO_SUCH_KEYWORD"}) {
    SCOPED_TRACE(keyword);
    host_.ClearError();
    EXPECT_EQ(InitialiseWith(std::string(keyword) + " 1\nLOCK_DELAY 5\n"), 0);
    ExpectError(20535, keyword);
    EXPECT_EQ(globals()->nLockDelay, 5) << "reading goes on";
    btrDeinitialize();
  }
  InitialiseWith("ddf_name x\n");
  ExpectError(20535, "DDF_NAME");
}

TEST_F(SettingsTest, SignCheckHasTwoKeywords) {
  InitialiseWith("DETECT_INCOMPATIBLE_SIGN_POS 0\n");
  EXPECT_EQ(globals()->bComp3SignCheck, 0);
  btrDeinitialize();
  InitialiseWith("DETECT_INCOMPATIBLE_SIGN_POS 0\nDETECT_INVALID_COMP3_SIGN_POS 1\n");
  EXPECT_EQ(globals()->bComp3SignCheck, 1);
}

TEST_F(SettingsTest, OwnerNames) {
  WriteSettings("OWNER 'abc'\nOWNER abc\nOWNER \"xyz\"\n");
  Initialise();
  ASSERT_NE(globals()->lpOwners, nullptr);
  EXPECT_STREQ(globals()->lpOwners->lpszName, "abc");
  ASSERT_NE(globals()->lpOwners->lpNext, nullptr);
  EXPECT_STREQ(globals()->lpOwners->lpNext->lpszName, "xyz");
  EXPECT_EQ(globals()->lpOwners->lpNext->lpNext, nullptr);
}

TEST_F(SettingsTest, FailedOwnerEndsTheReading) {
  EXPECT_EQ(InitialiseWith("LOCK_DELAY 5\nOWNER ninechars\nLOCK_TIMEOUT 77\n"), 20515);
  ExpectError(20515, "");
  EXPECT_EQ(globals()->nLockDelay, 5);
  EXPECT_EQ(globals()->nLockTimeout, -1) << "lines after the failed OWNER are not applied";
}

TEST_F(SettingsTest, FoundAlongTheDataSearchPath) {
  std::string second = dir() + platform::kPathSeparator + "second";
  ASSERT_EQ(platform::CreateDirectory(second), platform::FsResult::kOk);
  ASSERT_TRUE(platform::WriteStringToFile(second + platform::kPathSeparator + "VEVERAVE.INT",
                                          "LOCK_DELAY 42\n"));
  host_.set_data_path(dir() + platform::kPathSeparator + "missing;" + second);
  btrDriver(0, 0, "", 0, 0, nullptr, 13);
  EXPECT_EQ(globals()->nLockDelay, 42);
}

}  // namespace
}  // namespace vv::testing
