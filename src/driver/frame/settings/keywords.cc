#include "driver/frame/settings/keywords.h"

#include <cstring>

#include "driver/frame/errors.h"

namespace vv::driver {
namespace {

constexpr const char* kTransactionTypeWords[] = {"NONE", "EXCLUSIVE", "CONCURRENT", nullptr};
constexpr const char* kFieldTypeAuxWords[] = {"DUMMY", "LSTRING2", "MVBCD", nullptr};
constexpr const char* kRecnumMethodWords[] = {"GET_POSITION", "POSITION_BLOCK", "DOUBLE_CHECK",
                                              "AUTO_CONFIG", nullptr};
constexpr const char* kZerofileMethodWords[] = {"FALLBACK", "DELETE", "CREATE", nullptr};
constexpr const char* kLastIndexMethodWords[] = {"REAL", "MAXIMUM", nullptr};
constexpr const char* kCharacterSetWords[] = {"OEM", "CHAR", nullptr};
constexpr const char* kTextTypeWords[] = {"LONGVAR", "NOTE", nullptr};

using K = KeywordValue;

}  // namespace

// FIELD_TYPE_BTR takes the Btrieve type names of the field type table; it has
// no list here so that those names exist once.
const KeywordInfo kKeywords[kKeywordCount] = {
    {"DDF_NAME", K::kText, nullptr, 0, true},
    {"OWNER", K::kText, nullptr, 0, false},
    {"ACS", K::kFileName, nullptr, 0, false},
    {"ACS_UPPER", K::kFileName, nullptr, 0, false},
    {"SYSTEM_FILE", K::kNumber, nullptr, 0, true},
    {"RECNUM_SUPPORT", K::kNumber, nullptr, 0, true},
    {"MORVANTA_FOR_BTRIEVE", K::kNumber, nullptr, 0, true},
    {"PRIMARY_INDEX", K::kNumber, nullptr, 0, true},
    {"TRANSACTION_TYPE", K::kWord, kTransactionTypeWords, kErrTransactionType, false},
    {"RENAME_RETRY_COUNT", K::kNumber, nullptr, 0, false},
    {"AUTO_MARK_SYSFILE", K::kNumber, nullptr, 0, false},
    {"PAD_STRING", K::kNumber, nullptr, 0, false},
    {"RECID_NAME", K::kText, nullptr, 0, false},
    {"AUTO_LOGOUT", K::kNumber, nullptr, 0, false},
    {"EXPLICIT_LOCKING", K::kNumber, nullptr, 0, false},
    {"LOCK_READONLY", K::kNumber, nullptr, 0, false},
    {"LOCK_TIMEOUT", K::kNumber, nullptr, 0, false},
    {"LOCK_DELAY", K::kNumber, nullptr, 0, false},
    {"USE_CACHE", K::kNumber, nullptr, 0, false},
    {"USE_CACHE_EXPIRATION", K::kNumber, nullptr, 0, false},
    {"CONVERT_LONG_FILENAMES", K::kNumber, nullptr, 0, false},
    {"RUNTIME_SERVER_SUPPORT", K::kNumber, nullptr, 0, false},
    {"USE_INT_FILE", K::kNumber, nullptr, 0, false},
    {"REPORT_CACHE_ERRORS", K::kNumber, nullptr, 0, false},
    {"CACHE_PATH", K::kPath, nullptr, 0, false},
    {"DDF_PATH", K::kPath, nullptr, 0, false},
    {"BTR_PATH", K::kPath, nullptr, 0, false},
    {"INT_PATH", K::kPath, nullptr, 0, false},
    {"FIELD_TYPE_BTR", K::kWord, nullptr, 0, true},
    {"FIELD_TYPE_AUX", K::kWord, kFieldTypeAuxWords, 0, true},
    {"RECNUM_METHOD", K::kWord, kRecnumMethodWords, kErrRecnumMethod, false},
    {"ZEROFILE_METHOD", K::kWord, kZerofileMethodWords, kErrZerofileMethod, false},
    {"LAST_INDEX_NUMBER_METHOD", K::kWord, kLastIndexMethodWords, kErrLastIndexMethod, false},
    {"ALLOW_UNLOCKED_UPDATES", K::kNumber, nullptr, 0, false},
    {"LOGFILE_PATH", K::kText, nullptr, 0, false},
    {"CHARACTER_SET", K::kWord, kCharacterSetWords, kErrCharacterSet, false},
    {"COMP3_SIGN_POS", K::kNumber, nullptr, 0, false},
    {"COMP3_SIGN_NEG", K::kNumber, nullptr, 0, false},
    {"DETECT_INVALID_COMP3_SIGN_POS", K::kNumber, nullptr, 0, false},
    {"DETECT_INCOMPATIBLE_SIGN_POS", K::kNumber, nullptr, 0, false},
    {"DDF_OWNER", K::kText, nullptr, 0, false},
    {"TEXT_TYPE", K::kWord, kTextTypeWords, kErrTextType, false},
};

int mvbtrKeywordFind(const char* upperName) {
  for (int i = 0; i < kKeywordCount; ++i) {
    if (std::strcmp(kKeywords[i].name, upperName) == 0) return i;
  }
  return -1;
}

int mvbtrKeywordWordFind(int keyword, const char* upperWord) {
  const char* const* words = kKeywords[keyword].words;
  if (words == nullptr) return -1;
  for (int i = 0; words[i] != nullptr; ++i) {
    if (std::strcmp(words[i], upperWord) == 0) return i;
  }
  return -1;
}

}  // namespace vv::driver
