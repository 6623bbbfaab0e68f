#include "driver/frame/init.h"

#include <memory>

#include "driver/btrieve/transaction_type.h"
#include "driver/frame/entry_guard.h"
#include "driver/frame/settings/owners.h"
#include "driver/frame/settings/settings.h"
#include "driver/frame/util/memory.h"
#include "driver/frame/util/scratch.h"
#include "platform/platform.h"

namespace vv::driver {

int mvbtrDriverIsInit() { return mvbtrFuncTable()->lpGlobals != nullptr ? 1 : 0; }

namespace {

// Defaults of the settings, in the order the initialisation sets them. False
// when a default string could not be stored (error 10 is then pending).
bool DefaultsSet(DriverGlobals* g) {
  mvbtrTransactionTypeSet(kTransExclusive);
  g->bExplicitLocking = 1;
  g->nRecnumMethod = kRecnumAutoConfig;
  g->nZerofileMethod = kZerofileFallback;
  g->bUseIntFile = 1;
  g->bCacheExpiration = 1;
  g->bConvertLongNames = 1;
  g->bTransEnabled = 1;
  g->nDefaultPageSize = 4096;
  g->nMaxTextLen = 16384;
  g->nRenameRetries = 10;
  if (mvbtrStrNewCpy(&g->lpszDefaultExt, "BTR") != 0) return false;
  if (mvbtrStrNewCpy(&g->lpszRecidName, "RECID") != 0) return false;
  g->cBlankSubst = '_';
  g->nComp3SignPos = 15;
  g->nComp3SignNeg = 13;
  g->bComp3SignCheck = 1;
  g->bAutoMarkSysfile = 1;
  g->bAutoLogout = 1;
  g->nLockTimeout = -1;
  g->nLockDelay = -1;
  if (platform::GetEnv("MVREREADOPT").has_value()) g->bAllowUnlockedUpdates = 1;
  if (mvbtrDdfOwnerSet(kDefaultDdfOwner) != 0) return false;
  g->nTextType = kTextLongvar;
  return true;
}

}  // namespace

int16_t mvbtrDriverInit() {
  VvDriverFuncTable* table = mvbtrFuncTable();
  DriverGlobals* g = nullptr;
  if (mvbtrMemAlloc(&g, sizeof(DriverGlobals)) == nullptr) return -1;
  table->lpGlobals = g;
  // A default that could not be stored (no memory for its string) leaves the
  // driver unusable: the initialisation is undone, as for a failed allocation.
  int16_t result = DefaultsSet(g) ? mvbtrConfigRead(g) : int16_t{-1};
  if (result == -1 && table->lpGlobals != nullptr) mvbtrDriverRelease(g);
  return result;
}

void mvbtrDriverRelease(DriverGlobals* g) {
  mvbtrMemFree(&g->lpszDefaultExt);
  mvbtrMemFree(&g->lpszRecidName);
  mvbtrMemFree(&g->lpszLogfilePath);
  mvbtrMemFree(&g->lpszCacheDir);
  mvbtrMemFree(&g->lpszDdfDir);
  mvbtrMemFree(&g->lpszBtrDir);
  mvbtrMemFree(&g->lpszIntDir);
  mvbtrMemFree(&g->lpLockedFiles);
  mvbtrMemFree(&g->lpCacheBuf);
  g->lpCacheBufPos = g->lpCacheBufEnd = nullptr;
  mvbtrOwnerClear();
  mvbtrMemFree(&g->lpszDdfOwner);
  mvbtrMemFree(&g->lpAcsTable);
  mvbtrMemFree(&g->lpAcsUpperTable);
  mvbtrScratchRelease(g);
  // The log file is closed with the logins; one still open here is closed so
  // that nothing outlives the globals.
  std::unique_ptr<platform::File>(g->hLogFile).reset();
  g->hLogFile = nullptr;
  mvbtrMemFree(&g);
  mvbtrFuncTable()->lpGlobals = nullptr;
}

int16_t mvbtrDriverEnsureInit() {
  if (mvbtrDriverIsInit()) return 0;
  return mvbtrDriverInit();
}

}  // namespace vv::driver

extern "C" int16_t VV_CALL btrDeinitialize(void) {
  using namespace vv::driver;
  return GuardStatus("btrDeinitialize", [] {
    if (mvbtrDriverIsInit()) mvbtrDriverRelease(mvbtrGlobals());
    return int16_t{0};
  });
}
