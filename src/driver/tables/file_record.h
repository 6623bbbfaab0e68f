// Routines of the open file record: building, freeing, clearing, marking and
// storing the state of a table. Each reports its own failures (error 10 with
// the context named below) and returns the host's pending error.
#ifndef VEVERAVE_DRIVER_TABLES_FILE_RECORD_H_
#define VEVERAVE_DRIVER_TABLES_FILE_RECORD_H_

#include <cstdint>

#include "driver/tables/open_file.h"

namespace vv::driver {

// Record buffer sizing: the highest field end plus room for the long-variable
// values plus kRecBufSlack bytes, at least nRecLen, within kRecBufMin..kRecBufMax.
inline constexpr int32_t kRecBufSlack = 20;
inline constexpr int32_t kRecBufMin = 6;
inline constexpr int32_t kRecBufMax = 64000;
// The smallest key buffer and record length.
inline constexpr int32_t kKeyBufMin = 4;
inline constexpr int32_t kRecLenMin = 6;
// lpRelFields holds triples: field number, related file, related field.
inline constexpr int32_t kRelFieldWords = 3;

// On a zero-filled record: lpFuncTable, nCurIndex = -1, nFirstIndex = -1 (when
// resetFirstIndex), nRecnumMethod and nCharSet from the driver globals. 0.
int16_t mvbtrFileRecordInit(OpenFile* file, bool resetFirstIndex);
// Frees everything the record owns, then the record; *file becomes null.
// Safe on a partly built record.
void mvbtrFileRecordFree(OpenFile** file);

// btrFileClear's work: empties the record buffer and the record's state.
int16_t mvbtrFileClear(OpenFile* file);
// Marks a field (and every field overlapping it) and the record changed.
void mvbtrFieldMarkChanged(OpenFile* file, int32_t field);
// After a record was read into lpRecBuf: active, found, fields untouched,
// null flags from the indicator bytes, then the record number.
int16_t mvbtrRecordMarkActive(OpenFile* file);
// Drops the active record (bActive = 0).
void mvbtrRecordMarkInactive(OpenFile* file);
// The record-number step of mvbtrRecordMarkActive: sets nRecnum of the record
// just read to its physical address, as nRecnumMethod (RECNUM_METHOD) says:
// Get Position, the position block, or both (record_number_read.cc). A failed
// Get Position is error 21000 + status "mvbtrRecordMarkActive (table)"; a
// DOUBLE_CHECK difference error 20549 (table). Returns the pending error.
int16_t mvbtrRecordNumberRead(OpenFile* file);
// Makes keyNumber the current key path at the record nRecnum names: Get
// Direct into the scratch record buffer. 0 and nCurIndex = keyNumber, or -1
// (nothing reported unless the scratch buffer cannot be had).
int16_t mvbtrRecordReposition(OpenFile* file, int16_t keyNumber);

// Status store and restore: a copy of the record, its field descriptors and
// its record buffer ("mvbtrFileStatusStore, File" / ", Fields" / ", Data";
// all three copies are freed when one cannot be made). Restore puts the
// record's state back and repositions the table on nCurIndex; a restore
// without an earlier store does nothing. Restore never brings back a
// pointer: the record keeps its own buffers, strings, arrays, list links
// and position block, so it stays safe to free whatever happened in between;
// when the field array or the record buffer was replaced since the store,
// nothing is restored (the stored state belongs to the old structure).
int16_t mvbtrFileStatusStore(OpenFile* file);
int16_t mvbtrFileStatusRestore(OpenFile* file);

// Key buffer: the largest nKeyLen over the indexes, at least 4 bytes; -1
// after error 10.
int16_t mvbtrFileKeyBufCreate(OpenFile* file);
// Record buffer: sized from the fields and nRecLen (6..64000), every field's
// lpData set ("mvbtrFileCreateRecordbuffer").
int16_t mvbtrFileCreateRecordbuffer(OpenFile* file);
// Chains the type-21 fields and builds lpLongvars
// ("mvbtrFieldCreateFromDdfFields (lpLongvars)").
int16_t mvbtrFieldLongvarsBuild(OpenFile* file);
// Gives target its own copy of a string member of source ("mvbtrFileStrCpy").
int16_t mvbtrFileStrCpy(OpenFile* target, const OpenFile* source, char* OpenFile::*member);
// Builds lpRelFields from the fields' related files ("mvbtrFileBuildRelFields").
int16_t mvbtrFileBuildRelFields(OpenFile* file);
// Sets nHostRecLen from the fields, and nRecLen and nDataLen after it.
void mvbtrFileHostRecLenSet(OpenFile* file);
// The host record length the fields make: the highest field end plus the
// host lengths of the long-variable fields.
int32_t mvbtrFileHostRecLenFromFields(const OpenFile* file);
// The record length rule: nHostRecLen = length; nRecLen follows it up, and
// down too while the record is being restructured, never below 6; nDataLen
// is computed again.
void mvbtrFileHostRecLenApply(OpenFile* file, int32_t length);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_TABLES_FILE_RECORD_H_
