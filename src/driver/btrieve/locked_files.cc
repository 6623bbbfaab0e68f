// The locked-file list and the entry points btrFileLock and btrFileUnlock.
#include "driver/btrieve/locked_files.h"

#include <cstring>

#include "driver/frame/entry_guard.h"
#include "driver/frame/errors.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "veverave/driver.h"

namespace vv::driver {
namespace {

// Position of hFile in the list, or -1.
int32_t LockFileFind(const DriverGlobals* g, int32_t hFile) {
  for (int32_t i = 0; i < g->nLockedFiles; ++i) {
    if (g->lpLockedFiles[i] == hFile) return i;
  }
  return -1;
}

// Replaces the array by one with kLockedFilesGrowth more entries, zero-filled
// behind the copied ones. False after reporting error 10.
bool LockFilesGrow(DriverGlobals* g) {
  const int32_t max = g->nLockedFilesMax + kLockedFilesGrowth;
  const std::size_t size = sizeof(int32_t) * static_cast<std::size_t>(max);
  auto* grown = static_cast<int32_t*>(DriverAlloc(size));
  if (grown == nullptr) {
    mvbtrErrorReport(kErrOutOfMemory, "(mvbtrLockFileAdd)");
    return false;
  }
  std::memset(grown, 0, size);
  if (g->nLockedFiles > 0) {
    std::memcpy(grown, g->lpLockedFiles,
                sizeof(int32_t) * static_cast<std::size_t>(g->nLockedFiles));
  }
  mvbtrMemFree(&g->lpLockedFiles);
  g->lpLockedFiles = grown;
  g->nLockedFilesMax = max;
  return true;
}

}  // namespace

int16_t mvbtrLockFileAdd(const OpenFile* file) {
  DriverGlobals* g = mvbtrGlobals();
  if (LockFileFind(g, file->hFile) >= 0) return 0;
  if (g->nLockedFiles >= g->nLockedFilesMax && !LockFilesGrow(g)) return mvbtrErrorStatus();
  g->lpLockedFiles[g->nLockedFiles++] = file->hFile;
  return 0;
}

void mvbtrLockFileRemove(const OpenFile* file) {
  DriverGlobals* g = mvbtrGlobals();
  const int32_t at = LockFileFind(g, file->hFile);
  if (at < 0) return;
  std::memmove(g->lpLockedFiles + at, g->lpLockedFiles + at + 1,
               sizeof(int32_t) * static_cast<std::size_t>(g->nLockedFiles - at - 1));
  g->lpLockedFiles[g->nLockedFilesMax - 1] = 0;
  --g->nLockedFiles;
}

}  // namespace vv::driver

// A handle without an open file record is no table the driver has open:
// both entry points do nothing for it.
extern "C" int16_t VV_CALL btrFileLock(int32_t hFile) {
  using namespace vv::driver;
  return GuardStatus("btrFileLock", [&] {
    const auto* file = static_cast<const OpenFile*>(mvbtrFileFromHandle(hFile));
    return file != nullptr ? mvbtrLockFileAdd(file) : int16_t{0};
  });
}

extern "C" int16_t VV_CALL btrFileUnlock(int32_t hFile) {
  using namespace vv::driver;
  return GuardStatus("btrFileUnlock", [&] {
    const auto* file = static_cast<const OpenFile*>(mvbtrFileFromHandle(hFile));
    if (file != nullptr) mvbtrLockFileRemove(file);
    return int16_t{0};
  });
}
