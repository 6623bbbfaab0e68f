// Finding records along an index.
#ifndef VEVERAVE_DRIVER_RECORDS_RECORD_FIND_H_
#define VEVERAVE_DRIVER_RECORDS_RECORD_FIND_H_

#include <cstdint>

#include "driver/tables/open_file.h"

namespace vv::driver {

// Find modes (the host's numbering).
enum FindMode : int32_t {
  kFindLess = VV_FIND_LT,
  kFindLessOrEqual = VV_FIND_LE,
  kFindEqual = VV_FIND_EQ,
  kFindGreaterOrEqual = VV_FIND_GE,
  kFindGreater = VV_FIND_GT,
};

// Finds a record of an open table into its record buffer and makes it
// active. index: a host index number (0 = record-number order), or minus a
// field number for that field's main index. Returns 0 or the error status,
// which is then pending on the host's error channel (25 not found, 41/42 end
// of file, 4106 lock timeout, 21000 + Btrieve status ...).
int16_t mvbtrRecordFind(OpenFile* file, int32_t index, int32_t mode);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_RECORDS_RECORD_FIND_H_
