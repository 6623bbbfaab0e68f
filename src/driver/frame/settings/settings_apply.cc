// Applying one settings-file item to the driver globals.
#include <cstring>

#include "driver/btrieve/transaction_type.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/settings/acs.h"
#include "driver/frame/settings/keywords.h"
#include "driver/frame/settings/owners.h"
#include "driver/frame/settings/settings.h"
#include "driver/frame/util/memory.h"
#include "driver/frame/util/strings.h"

namespace vv::driver {
namespace {

// The decimal integer that the value's leading characters form (an optional
// sign, then digits); 0 when there are none.
int32_t LeadingNumber(const char* value) {
  const char* p = value;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  uint32_t n = 0;
  while (*p >= '0' && *p <= '9') n = n * 10u + static_cast<uint32_t>(*p++ - '0');
  return static_cast<int32_t>(negative ? 0u - n : n);
}

void NumberApply(DriverGlobals* g, int keyword, int32_t number) {
  const auto flag = static_cast<uint8_t>(number & 0xFF);
  switch (keyword) {
    case kKwRenameRetryCount: g->nRenameRetries = number; break;
    case kKwAutoMarkSysfile: g->bAutoMarkSysfile = flag; break;
    case kKwPadString: g->bPadString = flag; break;
    case kKwAutoLogout: g->bAutoLogout = flag; break;
    case kKwExplicitLocking: g->bExplicitLocking = flag; break;
    case kKwLockReadonly: g->bLockReadOnly = flag; break;
    case kKwLockTimeout: g->nLockTimeout = number; break;
    case kKwLockDelay: g->nLockDelay = number; break;
    case kKwUseCache: g->bUseCache = flag; break;
    case kKwUseCacheExpiration: g->bCacheExpiration = flag; break;
    case kKwConvertLongFilenames: g->bConvertLongNames = flag; break;
    case kKwRuntimeServerSupport:
      // A runtime server keeps no cache expiry and no long-name conversion;
      // later lines may switch them on again.
      g->bRuntimeServer = flag;
      if (flag != 0) g->bCacheExpiration = g->bConvertLongNames = 0;
      break;
    case kKwUseIntFile: g->bUseIntFile = flag; break;
    case kKwReportCacheErrors: g->bReportCacheErrors = flag; break;
    case kKwAllowUnlockedUpdates: g->bAllowUnlockedUpdates = flag; break;
    case kKwComp3SignPos: g->nComp3SignPos = flag; break;
    case kKwComp3SignNeg: g->nComp3SignNeg = flag; break;
    case kKwDetectInvalidComp3SignPos:
    case kKwDetectIncompatibleSignPos: g->bComp3SignCheck = flag; break;
    default: break;
  }
}

void WordApply(DriverGlobals* g, int keyword, int word) {
  switch (keyword) {
    case kKwTransactionType: mvbtrTransactionTypeSet(word); break;
    case kKwRecnumMethod: g->nRecnumMethod = static_cast<uint8_t>(word); break;
    case kKwZerofileMethod: g->nZerofileMethod = static_cast<uint8_t>(word); break;
    case kKwLastIndexNumberMethod: g->nLastIndexMethod = word; break;
    case kKwCharacterSet: g->nCharSet = static_cast<uint8_t>(word); break;
    case kKwTextType: g->nTextType = static_cast<uint8_t>(word); break;
    default: break;
  }
}

char** PathField(DriverGlobals* g, int keyword) {
  switch (keyword) {
    case kKwCachePath: return &g->lpszCacheDir;
    case kKwDdfPath: return &g->lpszDdfDir;
    case kKwBtrPath: return &g->lpszBtrDir;
    default: return &g->lpszIntDir;
  }
}

}  // namespace

int16_t mvbtrConfigApply(DriverGlobals* g, char* keyword, char* value) {
  if (keyword[0] == '\0' || keyword[0] == ';') return 0;
  mvbtrStrUpper(keyword);
  int kw = mvbtrKeywordFind(keyword);
  if (kw < 0 || kKeywords[kw].refusedInSettings) {
    mvbtrErrorReport(kErrSettingsKeyword, keyword);
    return 0;
  }
  const int32_t number = LeadingNumber(value);
  switch (kKeywords[kw].kind) {
    case KeywordValue::kNumber:
      NumberApply(g, kw, number);
      return 0;
    case KeywordValue::kWord: {
      mvbtrStrRemoveQuotes(mvbtrStrUpper(value));
      int word = mvbtrKeywordWordFind(kw, value);
      if (word < 0) {
        mvbtrErrorReport(kKeywords[kw].wordError, value);
      } else {
        WordApply(g, kw, word);
      }
      return 0;
    }
    case KeywordValue::kFileName:
      return mvbtrAcsRegister(kw, mvbtrStrRemoveQuotes(value));
    case KeywordValue::kText:
      mvbtrStrRemoveQuotes(value);
      if (value[0] == '\0') return 0;
      switch (kw) {
        case kKwOwner: return mvbtrOwnerAdd(value);
        case kKwRecidName: mvbtrStrNewCpy(&g->lpszRecidName, value); break;
        case kKwLogfilePath: mvbtrStrNewCpy(&g->lpszLogfilePath, value); break;
        case kKwDdfOwner: mvbtrDdfOwnerSet(value); break;
        default: break;
      }
      return 0;
    case KeywordValue::kPath: {
      if (value[0] == '\0') return 0;
      std::size_t n = std::strlen(value);
      char path[kSettingsItemMax + 2];
      std::memcpy(path, value, n + 1);
      if (path[n - 1] != '\\') {
        path[n] = '\\';
        path[n + 1] = '\0';
      }
      mvbtrStrNewCpy(PathField(g, kw), path);
      return 0;
    }
  }
  return 0;
}

}  // namespace vv::driver
