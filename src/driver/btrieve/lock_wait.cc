#include "driver/btrieve/lock_wait.h"

#include "driver/btrieve/btr_call.h"
#include "driver/frame/errors.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "platform/platform.h"
#include "veverave/btrieve.h"

namespace vv::driver {
namespace {

// A driver setting in milliseconds, or the host's value of the attribute
// when the setting is negative (the default -1).
int32_t SettingOrHost(int32_t setting, int32_t hostAttribute) {
  if (setting >= 0) return setting;
  return mvbtrHostAttrGetNumeric(0, 0, 0, hostAttribute);
}

}  // namespace

int16_t mvbtrLockWait(uint32_t* deadline, int retry) {
  if (retry == 0) {
    *deadline = 0;
    return 0;
  }
  const DriverGlobals* g = mvbtrGlobals();
  const int32_t timeout =
      SettingOrHost(g != nullptr ? g->nLockTimeout : -1, VV_HOST_ATTR_LOCK_TIMEOUT);
  if (timeout != 0) {
    const int64_t now = platform::NowSeconds();
    if (*deadline == 0) *deadline = static_cast<uint32_t>(now + timeout / 1000);
    if (now >= static_cast<int64_t>(*deadline)) {
      mvbtrErrorReport(kErrLockTimeout, kLockTimeoutText);
      // Never 0 here: 0 would mean "try again" to the caller's loop.
      const int16_t pending = mvbtrErrorStatus();
      return pending != 0 ? pending : static_cast<int16_t>(kErrLockTimeout);
    }
  }
  const int32_t delay = SettingOrHost(g != nullptr ? g->nLockDelay : -1, VV_HOST_ATTR_LOCK_DELAY);
  if (delay > 0) platform::SleepMs(static_cast<uint32_t>(delay));
  return 0;
}

bool mvbtrBtrStatusIsLock(int16_t status) {
  return status == BTR_STATUS_RECORD_LOCKED || status == BTR_STATUS_FILE_LOCKED;
}

int16_t mvbtrBtrCallLockWait(uint16_t operation, void* posBlock, void* dataBuf, uint16_t* dataLen,
                             void* keyBuf, int32_t keyNum, uint8_t* clientId) {
  uint32_t deadline = 0;
  mvbtrLockWait(&deadline, 0);
  // Each try sends the caller's length again: a locked try may have changed it.
  const uint16_t length = dataLen != nullptr ? *dataLen : 0;
  for (;;) {
    if (dataLen != nullptr) *dataLen = length;
    const int16_t status =
        mvbtrBtrCall(operation, posBlock, dataBuf, dataLen, keyBuf, keyNum, clientId);
    if (!mvbtrBtrStatusIsLock(status)) return status;
    const int16_t waited = mvbtrLockWait(&deadline, 1);
    if (waited != 0) return waited;
  }
}

}  // namespace vv::driver
