// The lock wait: how callers retry an operation that meets a record or file
// locked by another client (statuses 84 and 85).
//
//   uint32_t deadline;
//   mvbtrLockWait(&deadline, 0);                        // start: no deadline yet
//   do status = mvbtrBtrCall(...);                      // the operation
//   while (mvbtrBtrStatusIsLock(status) && mvbtrLockWait(&deadline, 1) == 0);
//
// The lock timeout and delay are LOCK_TIMEOUT and LOCK_DELAY of the driver
// globals, or the host's values (host attributes 2 and 1) where those are
// negative. A timeout of 0 retries for ever. Otherwise the deadline is set at
// the first retry to the current second plus the timeout in whole seconds,
// and a retry at or past it gives up; so a timeout below 1000 ms gives up at
// the first retry.
#ifndef VEVERAVE_DRIVER_BTRIEVE_LOCK_WAIT_H_
#define VEVERAVE_DRIVER_BTRIEVE_LOCK_WAIT_H_

#include <cstdint>

namespace vv::driver {

// Text of the lock-timeout error.
inline constexpr const char* kLockTimeoutText = "Btrieve";

// retry 0: sets *deadline to 0 and returns 0. retry 1: returns 0 after
// sleeping the lock delay when the operation may be tried again; at or past
// the deadline reports error 4106 "Btrieve" and returns the pending error.
// *deadline holds wall-clock seconds (0 = not set yet).
int16_t mvbtrLockWait(uint32_t* deadline, int retry);

// True for the statuses the lock wait retries: record locked, file locked.
bool mvbtrBtrStatusIsLock(int16_t status);

// The loop above around one mvbtrBtrCall. Returns the status of the last
// call; when the wait gave up, the pending error (4106) instead.
int16_t mvbtrBtrCallLockWait(uint16_t operation, void* posBlock, void* dataBuf, uint16_t* dataLen,
                             void* keyBuf, int32_t keyNum, uint8_t* clientId);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_BTRIEVE_LOCK_WAIT_H_
