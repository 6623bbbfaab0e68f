#include "vvbutil/btrieve_names.h"

#include <gtest/gtest.h>

#include "veverave/btrieve.h"

namespace vv::butil {
namespace {

TEST(BtrieveNames, StatusTextNamesNumberAndMeaning) {
  EXPECT_EQ(StatusText(BTR_STATUS_FILE_NOT_FOUND), "error 12: file not found");
  EXPECT_STREQ(StatusMeaning(BTR_STATUS_DUPLICATE_KEY), "duplicate key value");
  EXPECT_STREQ(StatusMeaning(9999), "unknown status");
}

TEST(BtrieveNames, TypeNamesByFullNameOrUniquePrefix) {
  struct Case {
    const char* name;
    int type;  // -1: none
  };
  const Case cases[] = {
      {"string", BTR_TYPE_STRING},
      {"STRING", BTR_TYPE_STRING},
      {"flo", BTR_TYPE_FLOAT},
      {"z", BTR_TYPE_ZSTRING},
      {"autoinc", BTR_TYPE_AUTOINCREMENT},
      {"unsigned binary", BTR_TYPE_UNSIGNED},
      {"unsignedbinary", BTR_TYPE_UNSIGNED},
      {"unsigned", BTR_TYPE_UNSIGNED},
      {"numeric", BTR_TYPE_NUMERIC},  // a full name beats the longer names it begins
      {"numericsa", BTR_TYPE_NUMERIC_SA},
      {"numericst", BTR_TYPE_NUMERIC_STS},
      {"null indicator", BTR_TYPE_NULL_INDICATOR},
      {"time", BTR_TYPE_TIME},
      {"times", BTR_TYPE_TIMESTAMP},
      {"d", -1},    // date, decimal
      {"l", -1},    // logical, lstring
      {"num", -1},  // numeric, numericsa, numericsts
      {"", -1},
      {"note", -1},
      {"strings", -1},
  };
  for (const Case& c : cases) {
    const std::optional<uint8_t> t = KeyTypeFromName(c.name);
    if (c.type < 0) {
      EXPECT_FALSE(t.has_value()) << c.name;
    } else {
      EXPECT_EQ(t, std::optional<uint8_t>(static_cast<uint8_t>(c.type))) << c.name;
    }
  }
  EXPECT_STREQ(KeyTypeName(BTR_TYPE_UNSIGNED), "unsigned binary");
  EXPECT_EQ(KeyTypeName(BTR_TYPE_NOTE), nullptr);
}

TEST(BtrieveNames, FlagsSpelledOut) {
  EXPECT_EQ(KeyFlagNames(0), "-");
  EXPECT_EQ(KeyFlagNames(BTR_KEY_DUPLICATES | BTR_KEY_DESCENDING | BTR_KEY_NO_CASE),
            "duplicates descending case-insensitive");
  EXPECT_EQ(KeyFlagNames(0x8000 | BTR_KEY_MODIFIABLE), "modifiable 0x8000");
  EXPECT_EQ(FileFlagNames(BTR_FILE_VARIABLE | BTR_FILE_FREE_10 | BTR_FILE_FREE_20),
            "variable free-space-30");
  EXPECT_EQ(FileFlagNames(BTR_FILE_FREE_20), "free-space-20");
}

}  // namespace
}  // namespace vv::butil
