// One pass of a find on index 0 of a table whose Btrieve file has no key for
// it. The record number is the record's physical address: a relative find
// (or an equal find) first reads the record the number names with Get
// Direct, then, for less and greater, steps physically from it; a find from
// an end steps from the first or last record.
#include <algorithm>
#include <cstring>

#include "driver/btrieve/btr_call.h"
#include "driver/records/record_find.h"
#include "driver/records/record_find_steps.h"
#include "veverave/btrieve.h"

namespace vv::driver {
namespace {

// Bytes of the record buffer a failed Get Direct may have overwritten with
// the address it was given; they are put back.
constexpr std::size_t kKeptBytes = 8;
// Get Position asks for this many bytes (the address takes 4).
constexpr uint16_t kPositionBufferSize = 8;

bool IsStepMode(int32_t mode) {
  return mode == kFindLess || mode == kFindGreater;
}

}  // namespace

int16_t mvbtrFindPhysicalPass(OpenFile* file, int32_t mode, uint16_t bias) {
  uint8_t* clientId = mvbtrFileClientId(file);
  const std::size_t kept =
      std::min<std::size_t>(kKeptBytes, static_cast<std::size_t>(file->nRecBufSize));
  uint8_t saved[kKeptBytes];
  std::memcpy(saved, file->lpRecBuf, kept);

  const bool field0Changed = file->lpFields != nullptr && file->lpFields[0].bFieldChanged != 0;
  bool fromEnd = file->bChanged2 == 0;
  bool direct = !fromEnd || mode == kFindEqual;
  // Stepping on from the record found last needs no Get Direct, unless the
  // host named another record.
  if (direct && file->bFound != 0 && !field0Changed && IsStepMode(mode)) direct = false;
  if (direct && IsStepMode(mode)) {
    uint8_t position[kPositionBufferSize] = {};
    uint16_t length = kPositionBufferSize;
    if (mvbtrBtrCall(BTR_GET_POSITION, file->PosBlock, position, &length, nullptr, 0, clientId) ==
            0 &&
        std::memcmp(position, file->nRecnum, sizeof file->nRecnum) == 0 && file->bFound != 0) {
      direct = false;  // already there
    }
  }

  bool found = false;
  int16_t status = 0;
  if (direct) {
    std::memcpy(file->lpRecBuf, file->nRecnum, std::min(kept, sizeof file->nRecnum));
    uint16_t length = static_cast<uint16_t>(file->nRecLen);
    status = mvbtrBtrCall(static_cast<uint16_t>(BTR_GET_DIRECT + bias), file->PosBlock,
                          file->lpRecBuf, &length, file->lpKeyBuf, BTR_KEY_NONE, clientId);
    if (status == 0) {
      found = !IsStepMode(mode);
    } else {
      std::memcpy(file->lpRecBuf, saved, kept);
      fromEnd = true;
    }
  }
  if (!found && mode != kFindEqual) {
    uint16_t length = static_cast<uint16_t>(file->nRecLen);
    status = mvbtrBtrCall(static_cast<uint16_t>(mvbtrFindPhysicalOperation(mode, fromEnd) + bias),
                          file->PosBlock, file->lpRecBuf, &length, file->lpKeyBuf, 0, clientId);
  }
  return status;
}

}  // namespace vv::driver
