// The Btrieve stat of an open table: its file definition (record length,
// page size, record count, file flags, file version), the key
// definitions of every segment and the alternate collating sequences.
// The open of a table and of a dictionary file reads it and takes the file
// values from it; the stat buffer lives only as long as the open needs it.
#ifndef VEVERAVE_DRIVER_TABLES_FILE_READ_INFO_H_
#define VEVERAVE_DRIVER_TABLES_FILE_READ_INFO_H_

#include <cstdint>

#include "driver/tables/open_file.h"

namespace vv::driver {

// The stat buffer starts at this size and grows by it while the engine
// answers "data buffer too short".
inline constexpr uint16_t kStatBufStep = 1920;
// Size of the key buffer the stat is given.
inline constexpr uint16_t kStatKeyBufSize = 64;
// Files whose version byte is below this are of the old format.
inline constexpr uint8_t kFileVersion7 = 0x70;

// Btrieve Stat (key number -1) into lpStat, allocated when missing; nStatLen
// becomes the length returned. A failing stat is reported as 21000 + status
// with the context "mvbtrFileReadInfo" and the table name; out of memory is
// error 10 "mvbtrFileReadInfo". Returns the pending error.
int16_t mvbtrFileReadInfo(OpenFile* file);

// mvbtrFileReadInfo, then the file values from the file definition:
// nRecLen, nPageSize, nRecords, nFileFlags, bFileVersion and bOldVersion.
int16_t mvbtrFileInfoTake(OpenFile* file);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_TABLES_FILE_READ_INFO_H_
