// Locking a table's current record when a transaction starts: the tables the
// host named with btrFileLock get their record locked by reading it again
// with the transaction's lock bias.
#ifndef VEVERAVE_DRIVER_BTRIEVE_RECORD_LOCK_H_
#define VEVERAVE_DRIVER_BTRIEVE_RECORD_LOCK_H_

#include <cstdint>

#include "driver/tables/open_file.h"

namespace vv::driver {

// The lock bias the re-read takes: nTranLockBias under EXCLUSIVE always;
// under CONCURRENT only for a table in the transaction whose nFileMode has
// none of kFileModeNoLockMask, or with LOCK_READONLY on; otherwise whenever
// the table is in the transaction (under NONE the bias is 0 anyway).
uint16_t mvbtrRecordLockBias(const OpenFile* file);

// Locks the table's current record:
//   active record: Get Position, then Get Direct + bias into the trash buffer
//                  on the table's current key path (key 0 when it has none);
//   no record:     under EXCLUSIVE, Step First + bias into the trash buffer
//                  (the first touch locks the whole file); else nothing.
// Both reads retry while the record or file is locked (the lock wait). The
// record buffer and the table's state stay as they are. Returns 0, or -1
// when a read failed; nothing is reported here except what the lock wait
// (4106) or the trash buffer (10) report.
int16_t mvbtrRecordLock(OpenFile* file);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_BTRIEVE_RECORD_LOCK_H_
