// The record-number step of making a record active. The engine keeps the
// physical address of a position block's current record in bytes 41..44 of
// the block, so the number is there without a call.
#include <cstring>

#include "driver/tables/file_record.h"
#include "veverave/btrieve.h"

namespace vv::driver {

int16_t mvbtrRecordNumberRead(OpenFile* file) {
  std::memcpy(file->nRecnum, file->PosBlock + BTR_POS_BLOCK_ADDRESS_OFFSET, sizeof file->nRecnum);
  return 0;
}

}  // namespace vv::driver
