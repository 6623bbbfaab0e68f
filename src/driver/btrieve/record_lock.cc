#include "driver/btrieve/record_lock.h"

#include <algorithm>
#include <cstring>

#include "driver/btrieve/btr_call.h"
#include "driver/btrieve/lock_wait.h"
#include "driver/frame/globals.h"
#include "driver/frame/util/scratch.h"
#include "veverave/btrieve.h"

namespace vv::driver {

uint16_t mvbtrRecordLockBias(const OpenFile* file) {
  const DriverGlobals* g = mvbtrGlobals();
  bool biased = file->bInTransaction != 0;
  if (g->nTransType == kTransConcurrent && (file->nFileMode & kFileModeNoLockMask) != 0 &&
      g->bLockReadOnly == 0) {
    biased = false;
  }
  if (g->nTransType == kTransExclusive) biased = true;
  return biased ? g->nTranLockBias : uint16_t{0};
}

int16_t mvbtrRecordLock(OpenFile* file) {
  const DriverGlobals* g = mvbtrGlobals();
  const uint16_t bias = mvbtrRecordLockBias(file);
  uint8_t* clientId = file->lpLogin != nullptr ? file->lpLogin->lpClientId : nullptr;
  const bool active = file->bActive != 0;
  if (!active && g->nTransType != kTransExclusive) return 0;

  // The record is read into the trash buffer, so the host's record buffer
  // keeps whatever the host has put into it.
  // It holds the record, and at least the 4-byte position Get Direct reads.
  const std::size_t size = std::max<std::size_t>(file->nRecBufSize, sizeof file->nRecnum);
  auto* trash = static_cast<uint8_t*>(mvbtrScratchBuffer(kTrashBuffer, size));
  if (trash == nullptr) return -1;
  uint16_t length = file->nRecBufSize;
  int16_t status;
  if (active) {
    uint8_t position[sizeof file->nRecnum] = {};
    uint16_t positionLength = sizeof position;
    status = mvbtrBtrCall(BTR_GET_POSITION, file->PosBlock, position, &positionLength, nullptr, 0,
                          clientId);
    if (status != 0) return -1;
    std::memcpy(trash, position, sizeof position);
    const int16_t keyNumber = file->nCurIndex >= 0 ? file->nCurIndex : int16_t{0};
    status = mvbtrBtrCallLockWait(static_cast<uint16_t>(BTR_GET_DIRECT + bias), file->PosBlock,
                                  trash, &length, file->lpKeyBuf, keyNumber, clientId);
  } else {
    status = mvbtrBtrCallLockWait(static_cast<uint16_t>(BTR_STEP_FIRST + bias), file->PosBlock,
                                  trash, &length, file->lpKeyBuf, 0, clientId);
  }
  return status == 0 ? 0 : -1;
}

}  // namespace vv::driver
