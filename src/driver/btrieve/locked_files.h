// The locked-file list: the host file handles of the tables the host named
// with btrFileLock. A host lock is only a registration: when a transaction
// starts with EXPLICIT_LOCKING on, the current record of every table in the
// list is locked (mvbtrRecordLock), and the reads inside the transaction take
// their own locks.
//
// The list lives in the driver globals (lpLockedFiles, nLockedFiles in use,
// nLockedFilesMax allocated) as long as they do. It holds each handle at most
// once, in the order added, and grows by kLockedFilesGrowth entries at a
// time. Closing a table leaves its handle in the list; whoever walks it skips
// a handle that has no open file record.
#ifndef VEVERAVE_DRIVER_BTRIEVE_LOCKED_FILES_H_
#define VEVERAVE_DRIVER_BTRIEVE_LOCKED_FILES_H_

#include <cstdint>

#include "driver/tables/open_file.h"

namespace vv::driver {

inline constexpr int32_t kLockedFilesGrowth = 100;

// Appends the table's hFile unless it is listed already. Growing the list
// without memory reports error 10 "(mvbtrLockFileAdd)" and leaves the list as
// it was; the result is then the pending error, else 0.
int16_t mvbtrLockFileAdd(const OpenFile* file);
// Takes the table's hFile out of the list, closing the gap; nothing when it
// is not listed.
void mvbtrLockFileRemove(const OpenFile* file);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_BTRIEVE_LOCKED_FILES_H_
