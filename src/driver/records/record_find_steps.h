// The steps of a record find (record_find.h) that have a unit of their own:
// the operation tables, the preparation of a find along a Btrieve key, and
// one pass of a physical find on index 0.
#ifndef VEVERAVE_DRIVER_RECORDS_RECORD_FIND_STEPS_H_
#define VEVERAVE_DRIVER_RECORDS_RECORD_FIND_STEPS_H_

#include <cstdint>

#include "driver/tables/open_file.h"

namespace vv::driver {

enum class FindSituation { kKeySearch, kRelative, kFromEnd };

// True for the five find modes of VvFindMode.
bool mvbtrFindModeValid(int32_t mode);

// The Btrieve operation of a find along a key (without lock bias).
uint16_t mvbtrFindKeyOperation(int32_t mode, FindSituation situation);
// The operation of a physical find: relative to the current record, or from
// an end of the file (without lock bias).
uint16_t mvbtrFindPhysicalOperation(int32_t mode, bool fromEnd);

// How a find along a key goes: the situation and the mode it searches with
// (a key with the record number appended searches greater-or-equal for
// greater, and less-or-equal for less when the host set the record number).
struct KeyFindPlan {
  FindSituation situation;
  int32_t mode;
};

// Prepares a find along the Btrieve key keyNumber of index (null when the
// table has no index descriptors): builds the key from the record buffer
// into lpKeyBuf, decides the situation and repositions on the key path when
// a relative move needs it. May set bFound (the host set the record number
// of the current record). An error is pending after it only when a scratch
// buffer could not be had.
KeyFindPlan mvbtrFindKeyPrepare(OpenFile* file, int32_t index, const IndexDesc* desc,
                                int16_t keyNumber, int32_t mode);

// One pass of a find on index 0 without a Btrieve key: Get Direct on the
// record number and physical steps. Returns the Btrieve status of the last
// operation issued.
int16_t mvbtrFindPhysicalPass(OpenFile* file, int32_t mode, uint16_t bias);

// The client identifier of the table's login (null when it has none), which
// every record operation on the table passes.
inline uint8_t* mvbtrFileClientId(const OpenFile* file) {
  return file->lpLogin != nullptr ? file->lpLogin->lpClientId : nullptr;
}

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_RECORDS_RECORD_FIND_STEPS_H_
