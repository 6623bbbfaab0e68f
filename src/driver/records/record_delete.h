// Record delete: deletes the found record of a table. Afterwards no record is
// active and the record number is 0, but the buffer counts as changed, so
// that saving it again inserts it as a new record.
#ifndef VEVERAVE_DRIVER_RECORDS_RECORD_DELETE_H_
#define VEVERAVE_DRIVER_RECORDS_RECORD_DELETE_H_

#include <cstdint>

#include "driver/tables/open_file.h"

namespace vv::driver {

// Deletes the record last found (bFound), retrying while it is locked.
// nFileMode 0x10: nothing is sent, 0. Errors: 71 (no found record, the table
// name), 4106 (lock timeout), 21000 + status "RecordDelete (table)". On
// success the host's record state of the handle (file attribute 101) becomes
// "none" and record number 0 is put into field 0. Returns 0 or the pending
// error.
int16_t mvbtrRecordDelete(OpenFile* file);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_RECORDS_RECORD_DELETE_H_
