// The keyword table shared by the settings file and the per-table INT files:
// 42 keywords whose position is their number. Lines name keywords in any
// case; the lookup is by exact comparison of the upper-cased keyword.
#ifndef VEVERAVE_DRIVER_FRAME_SETTINGS_KEYWORDS_H_
#define VEVERAVE_DRIVER_FRAME_SETTINGS_KEYWORDS_H_

#include <cstdint>

namespace vv::driver {

enum Keyword : int {
  kKwDdfName = 0,
  kKwOwner = 1,
  kKwAcs = 2,
  kKwAcsUpper = 3,
  kKwSystemFile = 4,
  kKwRecnumSupport = 5,
  kKwMorvantaForBtrieve = 6,
  kKwPrimaryIndex = 7,
  kKwTransactionType = 8,
  kKwRenameRetryCount = 9,
  kKwAutoMarkSysfile = 10,
  kKwPadString = 11,
  kKwRecidName = 12,
  kKwAutoLogout = 13,
  kKwExplicitLocking = 14,
  kKwLockReadonly = 15,
  kKwLockTimeout = 16,
  kKwLockDelay = 17,
  kKwUseCache = 18,
  kKwUseCacheExpiration = 19,
  kKwConvertLongFilenames = 20,
  kKwRuntimeServerSupport = 21,
  kKwUseIntFile = 22,
  kKwReportCacheErrors = 23,
  kKwCachePath = 24,
  kKwDdfPath = 25,
  kKwBtrPath = 26,
  kKwIntPath = 27,
  kKwFieldTypeBtr = 28,
  kKwFieldTypeAux = 29,
  kKwRecnumMethod = 30,
  kKwZerofileMethod = 31,
  kKwLastIndexNumberMethod = 32,
  kKwAllowUnlockedUpdates = 33,
  kKwLogfilePath = 34,
  kKwCharacterSet = 35,
  kKwComp3SignPos = 36,
  kKwComp3SignNeg = 37,
  kKwDetectInvalidComp3SignPos = 38,
  kKwDetectIncompatibleSignPos = 39,
  kKwDdfOwner = 40,
  kKwTextType = 41,
  kKeywordCount = 42
};

// How a keyword's value is read.
enum class KeywordValue : uint8_t {
  kNumber,    // decimal integer; a flag takes its low byte
  kWord,      // one word of the keyword's list, case-insensitive; position = value
  kText,      // the rest of the line, surrounding quotes removed
  kPath,      // a directory; "\" appended unless present
  kFileName,  // a file name, surrounding quotes removed
};

struct KeywordInfo {
  const char* name;
  KeywordValue kind;
  const char* const* words;  // kWord: the list, null-terminated
  int16_t wordError;         // kWord: error when the word is not in the list
  bool refusedInSettings;    // the settings file reports error 20535 for it
};

extern const KeywordInfo kKeywords[kKeywordCount];

// Number of the keyword named upperName (already upper case), -1 when none.
int mvbtrKeywordFind(const char* upperName);
// Position of upperWord in the keyword's word list, -1 when not found (and
// for keywords without a list of their own).
int mvbtrKeywordWordFind(int keyword, const char* upperWord);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FRAME_SETTINGS_KEYWORDS_H_
