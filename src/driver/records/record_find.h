// Record find: how the host reads records. The host names a table, an index
// and a find mode (FindMode: less, less or equal, equal, greater or equal,
// greater) and expects the record buffer to hold the record found, or an
// error. The find turns that into one Btrieve get or step operation.
//
// What the host did to the buffer since the last find picks the situation:
//
//   no key field holds a value (cleared buffer) ....... from an end of the index
//   a key field was changed, or no record was found ... key search on the key
//                                                       built from the buffer
//   otherwise ......................................... relative to the current
//                                                       record (next, previous)
//
// Index 0 is record-number order. Without RECNUM_SUPPORT the Btrieve file has
// no key for it: the record number is the physical address, and the find
// steps through the file physically and reads a record by its address with
// Get Direct.
//
// A found record becomes the active record (mvbtrRecordMarkActive) and the
// key used becomes the current key path (nCurIndex); a failed find drops the
// active record and the current key path.
#ifndef VEVERAVE_DRIVER_RECORDS_RECORD_FIND_H_
#define VEVERAVE_DRIVER_RECORDS_RECORD_FIND_H_

#include <cstdint>

#include "driver/tables/open_file.h"
#include "veverave/host_services.h"

namespace vv::driver {

// Find modes (the host's numbering).
enum FindMode : int32_t {
  kFindLess = VV_FIND_LT,
  kFindLessOrEqual = VV_FIND_LE,
  kFindEqual = VV_FIND_EQ,
  kFindGreaterOrEqual = VV_FIND_GE,
  kFindGreater = VV_FIND_GT,
};

// Text of the log line written when a find meets no record with the key or
// address asked for.
inline constexpr const char* kLogKeyNotFound = "B_KEY_VALUE_NOT_FOUND in mvbtrRecordFind";
inline constexpr const char* kLogInvalidAddress = "B_INVALID_RECORD_ADDRESS in mvbtrRecordFind";

// Finds a record of file. index: a host index number (0 = record-number
// order, nPrimaryIndex taking its place when set), or minus a field number
// for that field's main index. mode: FindMode. Returns 0 or the error
// status; failures are reported: 79 (field without an index), 4262 (index
// without segments, or Btrieve status 6), 25 (no such key or address; also
// written to the log), 41 / 42 (ran off the start / end of the index), 4202
// (deadlock), 4106 (lock timeout), 21000 + status otherwise; each failure is
// then pending on the host's error channel. A mode outside FindMode is refused as Btrieve would
// refuse the operation it names: 21001, sending nothing.
int16_t mvbtrRecordFind(OpenFile* file, int32_t index, int32_t mode);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_RECORDS_RECORD_FIND_H_
