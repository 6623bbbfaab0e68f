// The Btrieve gateway: every Btrieve operation of the driver passes through
// mvbtrBtrCall. The driver keeps data lengths as unsigned 16-bit values; the
// gateway widens them to the engine's 32-bit length and stores the engine's
// answer back (its low 16 bits). The key length is always 255: the engine
// takes a key's length from the file's key definition.
//
// The gateway reports nothing: each caller decides what a status means and
// reports failures with mvbtrBtrErrorReport (error 21000 + status).
#ifndef VEVERAVE_DRIVER_BTRIEVE_BTR_CALL_H_
#define VEVERAVE_DRIVER_BTRIEVE_BTR_CALL_H_

#include <cstdint>

#include "veverave/btrieve.h"

namespace vv::driver {

// One Btrieve call. operation: the operation code with any lock bias added;
// posBlock: the file's 128-byte position block, or null for calls that need
// none (transactions, reset); dataLen: in/out, null passes 0 and receives
// nothing; keyNum: its low byte is passed as the signed key number (a mode
// for Open, Create, Insert and Set Owner); clientId: the 16-byte client
// identifier of the login. Returns the Btrieve status, 0 for success. When
// the Btrieve library cannot be bound the status is
// BTR_STATUS_ENGINE_INACTIVE, as an engine that is not running answers.
int16_t mvbtrBtrCall(uint16_t operation, void* posBlock, void* dataBuf, uint16_t* dataLen,
                     void* keyBuf, int32_t keyNum, uint8_t* clientId);

// Reports error 21000 + status with the text context, followed by " (",
// detail and ")" when detail is not null; returns the report's result.
int16_t mvbtrBtrErrorReport(int16_t status, const char* context, const char* detail);

// Test hook: while fn is not null every Btrieve call goes to fn instead of the
// bound library, so a test can record calls and inject statuses. Returns the
// function interposed before (null when none).
BtrCallIdFn BtrCallInterpose(BtrCallIdFn fn);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_BTRIEVE_BTR_CALL_H_
