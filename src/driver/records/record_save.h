// Record save: writes the record buffer of a table back to Btrieve, as an
// Update when the buffer holds a found record (bActive) and as an Insert
// otherwise, retrying while the record or file is locked.
//
//   bChanged clear .................. nothing to do, 0
//   true-null table, empty DATE ..... error 16 "table.field", nothing sent
//   found record, nFileMode 0x08 .... nothing sent
//   found record .................... Update, only inside a transaction or
//                                     with ALLOW_UNLOCKED_UPDATES (else 4155)
//   new record, nFileMode 0x40 ...... nothing sent
//   new record ...................... Insert; a MORVANTA_RECNUM_TWO value the
//                                     engine assigned is copied into
//                                     MORVANTA_RECNUM_ONE and updated once more
//
// A save that succeeded (or had nothing to send) leaves the buffer as the
// active, found record with nothing changed and its record number read. A
// failed save leaves bActive, bChanged and the buffer as they were. Either
// way no key path is current afterwards (nCurIndex -1), so the next find
// establishes its own.
#ifndef VEVERAVE_DRIVER_RECORDS_RECORD_SAVE_H_
#define VEVERAVE_DRIVER_RECORDS_RECORD_SAVE_H_

#include <cstdint>

#include "driver/tables/open_file.h"

namespace vv::driver {

// Saves the record buffer. Errors: 16, 4155 as above; 28 (duplicate key,
// the table name); 20571 (record longer than the buffer); 4106 (lock
// timeout); 21000 + status with "RecordSave (Update table)" or "RecordSave
// (Insert table)". Returns 0 or the pending error.
int16_t mvbtrRecordSave(OpenFile* file);

// The number of bytes an Insert or Update sends: nDataLen, and for
// variable-length records the used part of a trailing NOTE field and the
// data of the long-variable fields; at least nRecLen for fixed-length
// records; at least 6. A variable-length record above 64000 bytes, or above
// the host record length, reports error 20571 "table:DatalenForSave"; the
// length is still returned.
int32_t mvbtrRecordDatalenForSave(OpenFile* file);

// Tables with true nulls: every DATE field that is not null must hold a
// date; each empty one reports error 16 "table.field" (all fields are
// looked at). Returns the pending error.
int16_t mvbtrRecordCheckDates(OpenFile* file);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_RECORDS_RECORD_SAVE_H_
