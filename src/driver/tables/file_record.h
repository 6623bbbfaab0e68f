// Routines of the open file record: building, freeing, clearing, marking and
// storing the state of a table. Each reports its own failures (error 10 with
// the context named below) and returns the host's pending error.
#ifndef VEVERAVE_DRIVER_TABLES_FILE_RECORD_H_
#define VEVERAVE_DRIVER_TABLES_FILE_RECORD_H_

#include <cstdint>

#include "driver/tables/open_file.h"

namespace vv::driver {

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

// Status store and restore: a copy of the record, its field descriptors and
// its record buffer ("mvbtrFileStatusStore, File" / ", Fields" / ", Data").
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

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_TABLES_FILE_RECORD_H_
