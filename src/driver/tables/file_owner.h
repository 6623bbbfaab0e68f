// The Btrieve owner of an open table: set (with an access mode) or cleared
// through btrDriver functions 11 and 12 and the file owner attribute.
#ifndef VEVERAVE_DRIVER_TABLES_FILE_OWNER_H_
#define VEVERAVE_DRIVER_TABLES_FILE_OWNER_H_

#include <cstdint>

#include "driver/tables/open_file.h"

namespace vv::driver {

// Access modes of Set Owner: 0 and 2 need the owner for any access, 1 and 3
// for changes only (2 and 3 ask for encrypted data).
inline constexpr int32_t kOwnerAccessModes = 4;

// Sets the owner of the table's Btrieve file to owner (null or empty:
// clears it). Refused, in this order: a table being restructured, 20516
// "SetOwner" (result 20516); an owner of more than 8 characters, 20515 (no
// text; result 20515); an access mode outside 0..3, 20517 "SetOwner". A
// Btrieve failure is 21000 + status "mvbtrFileOwnerSet (<Btrieve file>)".
// On success the table's lpszOwner is the new owner (empty when cleared), so
// that later opens of the file by the driver (a restructure's reopen) and the
// INT file name it. Returns the pending error (0 on success).
int16_t mvbtrFileOwnerSet(OpenFile* file, const char* owner, int32_t accessMode);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_TABLES_FILE_OWNER_H_
