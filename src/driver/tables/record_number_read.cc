// The record-number step of making a record active: the physical address of
// the record just read or written becomes nRecnum. The engine keeps the
// address of a position block's current record in bytes 41..44 of the block,
// and Get Position asks for it; RECNUM_METHOD (nRecnumMethod) says which the
// table trusts:
//
//   GET_POSITION    Get Position
//   POSITION_BLOCK  the position block, no call
//   DOUBLE_CHECK    both; a difference is error 20549, the block's bytes win
//   AUTO_CONFIG     Get Position, compared once: equal settles the table on
//                   POSITION_BLOCK, different on GET_POSITION
#include <cstring>

#include "driver/btrieve/btr_call.h"
#include "driver/frame/errors.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/tables/file_record.h"
#include "veverave/btrieve.h"

namespace vv::driver {
namespace {

constexpr std::size_t kAddressSize = sizeof(OpenFile::nRecnum);

// Get Position into address; false after reporting a failure.
bool PositionGet(OpenFile* file, uint8_t* address) {
  uint16_t length = kAddressSize;
  uint8_t* clientId = file->lpLogin != nullptr ? file->lpLogin->lpClientId : nullptr;
  const int16_t status =
      mvbtrBtrCall(BTR_GET_POSITION, file->PosBlock, address, &length, nullptr, 0, clientId);
  if (status == 0) return true;
  mvbtrBtrErrorReport(status, "mvbtrRecordMarkActive", TableName(file));
  return false;
}

const uint8_t* BlockAddress(const OpenFile* file) {
  return file->PosBlock + BTR_POS_BLOCK_ADDRESS_OFFSET;
}

}  // namespace

int16_t mvbtrRecordNumberRead(OpenFile* file) {
  uint8_t address[kAddressSize];
  switch (file->nRecnumMethod) {
    case kRecnumPositionBlock:
      std::memcpy(file->nRecnum, BlockAddress(file), kAddressSize);
      return 0;
    case kRecnumDoubleCheck:
      if (!PositionGet(file, address)) return mvbtrErrorStatus();
      if (std::memcmp(address, BlockAddress(file), kAddressSize) != 0) {
        mvbtrErrorReport(kErrRecnumMismatch, TableName(file));
      }
      std::memcpy(file->nRecnum, BlockAddress(file), kAddressSize);
      return mvbtrErrorStatus();
    case kRecnumAutoConfig:
      if (!PositionGet(file, address)) return mvbtrErrorStatus();
      file->nRecnumMethod = std::memcmp(address, BlockAddress(file), kAddressSize) == 0
                                ? kRecnumPositionBlock
                                : kRecnumGetPosition;
      std::memcpy(file->nRecnum, address, kAddressSize);
      return 0;
    case kRecnumGetPosition:
    default:
      if (!PositionGet(file, address)) return mvbtrErrorStatus();
      std::memcpy(file->nRecnum, address, kAddressSize);
      return 0;
  }
}

}  // namespace vv::driver
