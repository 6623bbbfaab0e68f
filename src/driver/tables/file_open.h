// Opening and closing a table by name. btrFileOpen finds the table's files,
// builds its open file record from the structure cache or from the INT
// file, the dictionary and the Btrieve file's own key definitions, opens
// the Btrieve file and attaches the record to the host's file handle;
// btrFileClose undoes it.
//
// The open, step by step (each step runs only when the steps before it
// succeeded; a failure skips to the clean-up):
//
//   login        the default login (empty server name), made when missing
//   names        open name | Btrieve name; the root name of the open name
//   INT path     the open name itself under a negative handle; searched for
//                when USE_INT_FILE, USE_CACHE and USE_CACHE_EXPIRATION are on
//   record       zero-filled, initialised ("mvbtrFileOpen")
//   cache        USE_CACHE: the structure from the table's cache file when
//                that is valid (cache_file.h); else a fresh record
//   INT pass 1   DDF_NAME, OWNER, RECNUM_SUPPORT, MORVANTA_FOR_BTRIEVE (not
//                for a structure from the cache unless the host opened the
//                INT file)
//   table name   DDF_NAME or the root name; a trailing "+" asks for RECNUM_SUPPORT
//   FILE.DDF     the table's row: its id and Btrieve location (not from the cache)
//   Btrieve path the location as given, in BTR_PATH, along the data path or
//                beside the INT file
//   Btrieve open owner names tried in order, exclusive for mode 1
//   stat         record length, page size, records, flags, version
//   structure    fields and indexes from the dictionary, checked against the
//                stat's key definitions; record number appended to
//                all-duplicate keys; main indexes; INT pass 2 (not from the
//                cache)
//   buffers      record and key buffers, long-variable chain, overlap chains
//   cache        USE_CACHE, a structure built the long way and no Btrieve
//                name after a vertical bar: the cache file written
//   attach       head of the login's table list, host handle set
//
// A failed open leaves nothing behind: the handle released, the Btrieve file
// closed again (a failing close is "Close on open error"), the record freed.
// Whatever happens, an INT file the open read is closed at its end.
//
// Cache problems do not fail the open: a missing, stale or foreign-version
// cache (20557, 20556, 20552) is always cleared, and a damaged one or one
// that cannot be read or written (20540, 20541, 20542; 20538, 20539) too
// unless REPORT_CACHE_ERRORS is on. Any other error fails the open.
#ifndef VEVERAVE_DRIVER_TABLES_FILE_OPEN_H_
#define VEVERAVE_DRIVER_TABLES_FILE_OPEN_H_

#include <cstddef>
#include <cstdint>

#include "driver/tables/open_file.h"
#include "platform/platform.h"

namespace vv::driver {

// The host's open mode that asks for exclusive access.
inline constexpr int32_t kOpenModeExclusive = 1;
// Buffers for the names and paths of an open: at most kMaxPath characters.
inline constexpr std::size_t kOpenNameSize = platform::kMaxPath + 1;

// The names an open works with.
struct OpenNames {
  char szOpenName[kOpenNameSize];  // the host's name up to a vertical bar
  char szBtrName[kOpenNameSize];   // after the bar: the Btrieve file; empty when none
  char szRootName[kOpenNameSize];  // the open name without drive, directory, extension
};

// btrFileOpen's work. *hFile is the host's handle; a negative one says the
// host has the open name open as the table's INT file, and is made positive.
// Returns 0, or the error of the first failing step (pending with the host).
int16_t mvbtrFileOpen(const char* name, int32_t mode, int32_t* hFile);

// btrFileClose's work on an open table: Btrieve Close (a failure is error 80
// "BTR:<status>" and closing goes on), out of the login's list, the count of
// open tables down (AUTO_LOGOUT may log every login out), the record freed
// and the handle released. Returns the result of releasing the handle.
int16_t mvbtrFileCloseTable(OpenFile* file);

// Takes the record out of its login's list of open tables.
void mvbtrFileUnlink(OpenFile* file);

// Splits the host's name into *names. False when a part does not fit.
bool mvbtrFileOpenNamesSplit(const char* name, OpenNames* names);
// Reports error 75 "Can't find <name>!" and returns the pending error.
int16_t mvbtrFileCantFind(const char* name);

// The path the Btrieve file is opened with, into path (kOpenNameSize
// bytes). A Btrieve name after the vertical bar replaces lpszBtrFile first.
// A location with a drive or directory is used as it is; a bare name goes
// into BTR_PATH when that is set, else is looked for along the host's data
// path and then beside the table's INT file, else stays bare. With
// CONVERT_LONG_FILENAMES the short form. A path longer than kMaxPath is error
// 75 "Can't find <location>!". Returns the pending error.
int16_t mvbtrFileBtrPathMake(OpenFile* file, const OpenNames& names, char* path);

// Opens the Btrieve file at path under the record's position block, with
// the login's client: exclusive (-4) for mode kOpenModeExclusive, else
// normal, kept in nOpenMode. Owner names are tried in order: lpszOwner when
// the INT file gave one, else the first name of the driver's owner list;
// after each refusal (status 51) the next name of the list, and last the
// empty name once. On success bBtrOpen = 1, lpszOwner = the name that opened
// the file and lpszBtrPath = path. A final failure, with the text
// "<open name>:<path>, BTR:<status>": status 51 is error 20566 (the open
// name as text), 88 error 4177, any other error 75. Returns the pending error.
int16_t mvbtrFileBtrOpen(OpenFile* file, const char* openName, const char* path, int32_t mode);

// Matches the key definitions of the stat (read when lpStat is missing)
// with the index descriptors: each segment's field must lie where the key
// segment does; the segments take their extended type and key flags from
// the stat, null indicator segments mark the segment after them, keys with
// a collating sequence take its number, the sequences are copied into lpAcs,
// and every index with segments becomes bDefined (the first one's key number
// nFirstIndex). Errors, with the table name: 20484 keys but no indexes,
// 20528 "file %s, index %d", 20529 "file %s, index %d, segment %d", 20485
// "File %s, Index %d, Segment %d, Field %s", 20530 "mvbtrIndexReadInfo"
// (collating sequences, or key definitions, not what the stat's length
// holds). Returns the pending error.
int16_t mvbtrIndexReadInfo(OpenFile* file);

// Makes index i hold count segments when it has fewer: the array grows
// (error 10, no text, when memory runs out; the old array stays) and each
// new segment is on field 0 with the key flags MODIFIABLE and EXTENDED_TYPE.
int16_t mvbtrIndexSetSegmentCount(OpenFile* file, int32_t index, int32_t count);

// Without RECNUM_SUPPORT: every index 1..nIndexes whose segments all allow
// duplicates gets the record number (field 0) as an extra last segment,
// bRecnumAppended and nKeyLen grown by field 0's size, so that the host
// sees each of its keys unique.
int16_t mvbtrIndexAppendRecnum(OpenFile* file);

// Gives every field that has none the index in which it stands at the
// earliest segment place, the lowest index number winning ties (indexes
// 1..nIndexes; index 0 is never a main index).
void mvbtrFieldSetMainIndexes(OpenFile* file);

// The chains of fields 1..nFields that share bytes: each field's lpOverlaps
// names every other field whose bytes meet its own, in field order, and
// nOverlaps counts them (a structure from the cache keeps its marks: only
// fields with nOverlaps set take part). Old chains are freed first. Out of
// memory: error 10 "mvbtrFieldMakeDepList". Returns the pending error.
int16_t mvbtrFieldMakeDepList(OpenFile* file);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_TABLES_FILE_OPEN_H_
