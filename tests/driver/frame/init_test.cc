// First-call initialisation, its defaults, release and re-initialisation,
// and the allocation-failure sweep over all of it.
#include <gtest/gtest.h>

#include <string>

#include "driver/frame/util/memory.h"
#include "platform/platform.h"
#include "support/driver_fixture.h"

namespace vv::testing {
namespace {

using InitTest = DriverFixture;

TEST_F(InitTest, DefaultsWithoutSettingsFile) {
  ASSERT_EQ(globals(), nullptr);
  EXPECT_EQ(Initialise(), 1);
  driver::DriverGlobals* g = globals();
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(host_.error(), 0);
  EXPECT_EQ(g->lpLogins, nullptr);
  EXPECT_EQ(g->bTransEnabled, 1);
  EXPECT_EQ(g->bExplicitLocking, 1);
  EXPECT_EQ(g->bLockReadOnly, 0);
  EXPECT_EQ(g->nLockTimeout, -1);
  EXPECT_EQ(g->nLockDelay, -1);
  EXPECT_EQ(g->nLastIndexMethod, 0);
  EXPECT_EQ(g->bUseCache, 0);
  EXPECT_EQ(g->bCacheExpiration, 1);
  EXPECT_EQ(g->bConvertLongNames, 1);
  EXPECT_EQ(g->bRuntimeServer, 0);
  EXPECT_EQ(g->bUseIntFile, 1);
  EXPECT_EQ(g->nCharSet, 0);
  EXPECT_EQ(g->bReportCacheErrors, 0);
  EXPECT_EQ(g->lpszCacheDir, nullptr);
  EXPECT_EQ(g->lpszDdfDir, nullptr);
  EXPECT_EQ(g->lpszBtrDir, nullptr);
  EXPECT_EQ(g->lpszIntDir, nullptr);
  EXPECT_EQ(g->nBeginTranOp, 19);
  EXPECT_EQ(g->nTransDepth, 0);
  EXPECT_EQ(g->nTranLockBias, 400);
  EXPECT_EQ(g->nTransType, 1);
  EXPECT_EQ(g->nDefaultPageSize, 4096);
  EXPECT_EQ(g->nRenameRetries, 10);
  EXPECT_STREQ(g->lpszDefaultExt, "BTR");
  EXPECT_EQ(g->cBlankSubst, '_');
  EXPECT_EQ(g->nComp3SignPos, 15);
  EXPECT_EQ(g->nComp3SignNeg, 13);
  EXPECT_EQ(g->bComp3SignCheck, 1);
  EXPECT_EQ(g->nRecnumMethod, 3);
  EXPECT_EQ(g->nZerofileMethod, 0);
  EXPECT_STREQ(g->lpszRecidName, "RECID");
  EXPECT_EQ(g->lpszLogfilePath, nullptr);
  EXPECT_EQ(g->bAutoMarkSysfile, 1);
  EXPECT_EQ(g->bAllowUnlockedUpdates, 0);
  EXPECT_EQ(g->bPadString, 0);
  EXPECT_EQ(g->lpOwners, nullptr);
  EXPECT_EQ(g->lpAcsTable, nullptr);
  EXPECT_EQ(g->lpAcsUpperTable, nullptr);
  EXPECT_EQ(g->bAutoLogout, 1);
  EXPECT_STREQ(g->lpszDdfOwner, "..KW....");
  EXPECT_EQ(g->nMaxTextLen, 16384);
  EXPECT_EQ(g->nTextType, 0);
}

TEST_F(InitTest, RereadOptionVariableAllowsUnlockedUpdates) {
  ASSERT_TRUE(platform::SetEnv("MVREREADOPT", "0"));
  Initialise();
  platform::UnsetEnv("MVREREADOPT");
  ASSERT_NE(globals(), nullptr);
  EXPECT_EQ(globals()->bAllowUnlockedUpdates, 1) << "any value counts, even 0";
  btrDeinitialize();
  Initialise();
  EXPECT_EQ(globals()->bAllowUnlockedUpdates, 0);
}

TEST_F(InitTest, DeinitializeBeforeInitialisationDoesNothing) {
  EXPECT_EQ(btrDeinitialize(), 0);
  EXPECT_EQ(globals(), nullptr);
  EXPECT_EQ(host_.error(), 0);
}

TEST_F(InitTest, ReinitialisationStartsFromScratchAndRereadsSettings) {
  WriteSettings("LOCK_TIMEOUT 3000\n");
  Initialise();
  EXPECT_EQ(globals()->nLockTimeout, 3000);
  btrDriver(0, 0, "", 0, 0, nullptr, 22);  // EXPLICIT_LOCKING 0
  EXPECT_EQ(globals()->bExplicitLocking, 0);
  btrDeinitialize();
  EXPECT_EQ(globals(), nullptr);

  WriteSettings("LOCK_TIMEOUT 4000\n");
  // An initialising entry point of another subsystem initialises as well.
  int32_t handle = 0;
  btrFileOpen("NOSUCH", 0, &handle);
  ASSERT_NE(globals(), nullptr);
  EXPECT_EQ(globals()->nLockTimeout, 4000);
  EXPECT_EQ(globals()->bExplicitLocking, 1);
}

TEST_F(InitTest, OnlyInitialisingEntryPointsInitialise) {
  char name[32];
  btrLogout("");
  btrGetServerName(0, name, sizeof name);
  btrFileSort(5, 0, 0, 0);
  btrStructureCopy(0, 0);
  EXPECT_EQ(globals(), nullptr);
  btrTransactionCommit();
  EXPECT_NE(globals(), nullptr);
}

// Every allocation of the initialisation, the settings file's included, fails
// once in turn: each failure reports error 10, the driver is either not
// initialised or initialised without the failed piece, and nothing leaks.
TEST_F(InitTest, AllocationFailureSweep) {
  std::string acs(265, 'x');
  acs[0] = static_cast<char>(0xAC);
  WriteFile("UPPER.ACS", acs);
  WriteSettings(
      "OWNER abc\nOWNER 'def'\nDDF_PATH D:\\DATA\nBTR_PATH x\\\nCACHE_PATH c\nINT_PATH i\n"
      "RECID_NAME ID\nLOGFILE_PATH log.txt\nDDF_OWNER dd\nACS_UPPER UPPER.ACS\n");
  long total = 0;
  for (long n = 1;; ++n) {
    SCOPED_TRACE("allocation " + std::to_string(n));
    host_.ClearError();
    driver::AllocFailureSet(n);
    int32_t result = Initialise();
    long made = driver::AllocCount();
    driver::AllocFailureSet(0);
    if (made < n) {
      total = n - 1;
      EXPECT_EQ(host_.error(), 0);
      EXPECT_EQ(result, 1);
      ASSERT_NE(globals(), nullptr);
      EXPECT_NE(globals()->lpAcsUpperTable, nullptr);
      btrDeinitialize();
      break;
    }
    EXPECT_EQ(host_.error(), 10);
    if (globals() == nullptr) {
      EXPECT_EQ(result, -1);
    }
    btrDeinitialize();
    EXPECT_EQ(driver::AllocLive(), 0);
  }
  EXPECT_GE(total, 15) << "the sweep should have covered every allocation";
}

}  // namespace
}  // namespace vv::testing
