// A stand-in Btrieve library for the driver's binding tests, loaded by path
// through VEVERAVE_BTRIEVE_LIB. It answers every call with the operation code
// as status and the data length plus one, so a test can see that a call
// reached it and how the length travelled; a key length other than 255 is
// answered with status 1.
#include <stdint.h>

#include "veverave/engine.h"

extern "C" int16_t VV_CALL BTRCALLID(uint16_t op, void*, void* dataBuf, uint32_t* dataLen, void*,
                                     uint8_t keyLen, int8_t keyNum, uint8_t*) {
  if (keyLen != 255) return 1;
  if (dataBuf != nullptr && dataLen != nullptr && *dataLen > 0) {
    *static_cast<int8_t*>(dataBuf) = keyNum;
  }
  if (dataLen != nullptr) *dataLen += 1;
  return static_cast<int16_t>(op);
}
