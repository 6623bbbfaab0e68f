// Record numbers. The host identifies every record by a number: field 0 of
// each table holds it and index 0 orders by it. A Btrieve file has no such
// number, so each table takes it from one of three places, chosen when the
// table is opened:
//
//   a record-number field  MORVANTA_FOR_BTRIEVE: the field named
//                          MORVANTA_RECNUM_TWO (else _ONE) carries it
//                          (nRecnumField; entry 0 of lpFields is its copy)
//   RECNUM_SUPPORT         the Btrieve file has a key for index 0 and field 0
//                          is an ordinary field on it (bRecnumSupport)
//   the physical address   by default: the record's 4-byte address in the
//                          Btrieve file (nRecnum), which index 0 steps through
//                          physically; files below version 7.0 show it with
//                          its two 16-bit halves exchanged (bOldVersion)
//
// nRecnum always holds the physical address of the record in the buffer; it
// is read when a record becomes active (mvbtrRecordNumberRead).
#ifndef VEVERAVE_DRIVER_RECORDS_RECORD_NUMBER_H_
#define VEVERAVE_DRIVER_RECORDS_RECORD_NUMBER_H_

#include <cstdint>

#include "driver/tables/open_file.h"
#include "veverave/host_services.h"

namespace vv::driver {

// Names of the record-number fields; a field whose name begins with one of
// them is such a field.
inline constexpr const char* kRecnumOneName = "MORVANTA_RECNUM_ONE";
inline constexpr const char* kRecnumTwoName = "MORVANTA_RECNUM_TWO";

// Looks up the record-number fields of a MORVANTA_FOR_BTRIEVE table: the
// lowest-numbered field named like each sets nRecnumOneField and
// nRecnumTwoField, and nRecnumField becomes the TWO field, else the ONE
// field. Neither: error 20537 with the table name. Returns the pending error.
int16_t mvbtrRecordNumberFieldFind(OpenFile* file);

// The record number of the record in the buffer as a host BCD value (field
// 0 read by btrFieldGetBCD). Returns the host's pending error status.
int16_t mvbtrRecordNumberGetBCD(OpenFile* file, VvBcd* value);
// Field 0 written by btrFieldPutBCD: 0 drops the active record; the number
// goes to the record-number field, or replaces nRecnum and marks field 0
// changed when it differs (so that the next find on index 0 reads that
// record), or is written into field 0's own bytes under RECNUM_SUPPORT.
// Returns the host's pending error status.
int16_t mvbtrRecordNumberPutBCD(OpenFile* file, const VvBcd* value);

// A physical address as the host sees it, and back: the halves exchanged in
// a file below version 7.0, unchanged otherwise (the exchange is its own
// inverse).
uint32_t mvbtrRecordNumberShown(const OpenFile* file, uint32_t address);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_RECORDS_RECORD_NUMBER_H_
