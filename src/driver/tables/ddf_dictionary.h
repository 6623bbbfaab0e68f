// The data dictionary of a server login: its FILE.DDF, INDEX.DDF and
// FIELD.DDF, each opened as an open file record with a built-in structure
// (veverave/ddf_layout.h), so rows are read with the ordinary record find
// and written with Btrieve Insert and Delete.
//
// A table's structure is read in four steps, which the open of a table runs
// with other steps in between:
//
//   ddfFileRead        FILE.DDF row: nDdfFileId, lpszBtrPath/lpszBtrFile, flags
//   ddfFieldsRead      FIELD.DDF rows -> lpDdfFields (ascending Xe$Id)
//   ddfIndexesRead     INDEX.DDF rows -> lpDdfIndexes (by Xi$Number, Xi$Part)
//   mvbtrCopyDdfFields, then mvbtrIndexCreateFromDdfSegments: the descriptors
//
// Every routine reports its failures to the host and returns the host's
// pending error (0 on success). Btrieve failures on the dictionary files are
// reported as 21000 + status with the contexts named below and no detail.
#ifndef VEVERAVE_DRIVER_TABLES_DDF_DICTIONARY_H_
#define VEVERAVE_DRIVER_TABLES_DDF_DICTIONARY_H_

#include <cstdint>

#include "driver/tables/open_file.h"

namespace vv::driver {

// Opens FILE.DDF, INDEX.DDF and FIELD.DDF into the login's three dictionary
// records (allocated zero-filled, initialised, lpLogin set), in that order,
// stopping at the first failure. A file is looked for in DDF_PATH when that
// is set, else along the host's data path, else by its bare name, and opened
// with the DDF owner name. A failed Btrieve open reports the status with the
// file's name as context, then error 75 "opening <path>", and leaves the
// record allocated but not open; a failure after the Btrieve open (stat,
// structure, buffers) closes the file again and frees the record (the
// login's pointer becomes null). With USE_CACHE_EXPIRATION the login's
// ftDdfTime becomes the newest last-write time of the files opened.
int16_t ddfOpen(ServerLogin* login);

// Closes the login's dictionary files and frees their records. A failing
// Btrieve close is reported with the context "Closing FILE.DDF" (for each of
// the three); its record is freed all the same, as the login's Reset that
// follows releases whatever the client still holds.
int16_t ddfClose(ServerLogin* login);

// Looks name up in FILE.DDF's Xf$Name (index 2, find mode equal), as given,
// without a change of case; the row found is in the FILE.DDF record buffer.
// A name of more than 20 characters is error 4101 with the name as text.
// Returns the find's status: 25 when no row has the name.
int16_t ddfFileFind(ServerLogin* login, const char* name);

// The table's FILE.DDF row (found by lpszDdfName) into the table record:
// nDdfFileId, lpszBtrPath and lpszBtrFile (Xf$Loc without trailing blanks;
// a blank location stays one blank), nDdfFlags, bTrueNull and bit 0 of
// nTableFlags. Out of memory: error 10 "mvbtrFileOpen".
int16_t ddfFileRead(ServerLogin* login, OpenFile* file);

// The table's FIELD.DDF rows into a new lpDdfFields list and nFields, rows
// of Xe$DataType 22 and above left out. Blanks inside a column name become
// the blank substitute. The host type and lengths follow from the Btrieve
// type (integers of a length without digits: error 20482). A nullable
// column of a true-null table must start one byte after the column before it
// (its null indicator byte between): else error 20568 with the column name.
// A NOTE column beside long-variable columns: error 20570 with the table
// name. On failure the new list is freed and lpDdfFields stays as it was.
// Field descriptors the record still has are freed first (their count is
// about to change). With bRecnumSupport and not bMvForBtrieve nFields is one
// less than the rows, as the first column becomes field 0.
int16_t ddfFieldsRead(ServerLogin* login, OpenFile* file);

// The table's INDEX.DDF rows into a new lpDdfIndexes list (after
// ddfFieldsRead: each row is linked to its column's node). A row whose
// Xi$Field names no column: error 20490 "<table>, DDF-Field <n>, DDF-Index
// <n>". On failure the new list is freed and lpDdfIndexes stays as it was.
int16_t ddfIndexesRead(ServerLogin* login, OpenFile* file);

// Field descriptors 0..nFields from lpDdfFields (nothing when it is null):
// entry 0 is the record-number field unless the table has RECNUM_SUPPORT,
// columns are numbered from 0 (RECNUM_SUPPORT without MORVANTA_FOR_BTRIEVE)
// or 1. Each descriptor and its node image point at each other through
// lpSource. A column of Btrieve type 16 sets bit 1 of nTableFlags.
// Out of memory: error 10 "mvbtrFieldCreateFromDdfFields (lpFields)" or
// "mvbtrCopyDdfFields".
int16_t mvbtrCopyDdfFields(OpenFile* file);

// Index descriptors 0..nIndexes from lpDdfIndexes (after mvbtrCopyDdfFields):
// index k + 1 for Btrieve key k, or k with RECNUM_SUPPORT; index 0 is the
// built-in record-number index when the table has neither RECNUM_SUPPORT nor
// a record-number field. The segment rows of a key must run Xi$Part 0, 1,
// 2, ... without gaps or repeats: a negative Xi$Number is error 20528 "file
// <table>, index <n>", a missing, repeated or negative part error 20529
// "file <table>, index <n>, segment <n>". Out of memory: error 10
// "mvbtrIndexCreateFromDdfSegments". On failure every index descriptor is
// freed.
int16_t mvbtrIndexCreateFromDdfSegments(OpenFile* file);

// Replaces the table's rows in all three files by rows made from the
// record's descriptors, inside one Btrieve transaction of the login (ended
// on success, aborted on failure, so a failed write leaves the old rows).
// The table keeps its Xf$Id when it had rows, else gets the lowest free id;
// its columns get ids from the first gap in FIELD.DDF's ids that holds them
// all, and each field's nFieldTag becomes its Xe$Id. lpszDdfName and the
// location written (lpszBtrFile, else lpszBtrPath) are turned to upper case
// in place. Errors: 20563 no free table id, 20564 no free column ids (both
// "(ddfFileWrite)"), 4101 a location longer than Xf$Loc holds (the
// location), and the Btrieve failures "ddfFileWrite (Insert)",
// "ddfFileWrite (FieldInsert)", "ddfFileWrite (IndexInsert)".
int16_t ddfFileWrite(ServerLogin* login, OpenFile* file);

// Removes the rows of the table called name from the three files (FILE.DDF
// "ddfFileWrite (Delete)", FIELD.DDF "... (FieldDelete)", INDEX.DDF "...
// (IndexDelete)") and sets nDdfFileId to the id it had, 0 when there was no
// such table (which is no error). Does nothing but clear nDdfFileId when an
// error is already pending.
int16_t ddfFileWriteDelete(ServerLogin* login, OpenFile* file, const char* name);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_TABLES_DDF_DICTIONARY_H_
