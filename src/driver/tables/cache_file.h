// The structure cache: with USE_CACHE on, a table's finished structure is
// kept in a file NAME.CCH (layout in cache_layout.h), so that later opens
// take it from there instead of reading the dictionary, the INT file and the
// Btrieve key definitions. An open first tries the cache
// (mvbtrCacheReadFile); when the cache is missing, stale or damaged the open
// builds the structure the long way and writes the cache afresh
// (mvbtrCacheWriteFile). A restructure that changes the table deletes its
// cache file (mvbtrCacheFileDelete).
//
//   open --> cache path --> valid? --no (20556/20557)--> long way --> write
//                             | yes
//                             v
//                           read --damaged (20540/20541/20552)--> long way --> write
//                             | whole
//                             v
//                           structure from the cache (bFromCache)
//
// Every routine reports its failures to the host and returns the host's
// pending error (0 on success); the open decides which of them it clears.
#ifndef VEVERAVE_DRIVER_TABLES_CACHE_FILE_H_
#define VEVERAVE_DRIVER_TABLES_CACHE_FILE_H_

#include <cstddef>
#include <cstdint>

#include "driver/tables/open_file.h"

namespace vv::driver {

// The path of the cache file of a table opened as openName (the host's
// name before any vertical bar), into path (size bytes):
//  - the open name with the extension ".CCH", drive and directory kept;
//  - with CACHE_PATH set, in its directory; a CACHE_PATH of "DDF:rest"
//    names the directory of the most recent login's FILE.DDF followed by
//    the rest in upper case;
//  - "?", "*", "<" and ">" become "_";
//  - without CACHE_PATH, the file found along the host's data path, else a
//    bare name is put into the first directory of the data path;
//  - with CONVERT_LONG_FILENAMES the short form.
// False (path empty) when the path does not fit.
bool mvbtrCachePathMake(const char* openName, char* path, std::size_t size);

// Takes the table's structure from its cache file. file is a record fresh
// from mvbtrFileRecordInit; lpszIntFile is the INT file found for the table
// (null when none). With USE_CACHE_EXPIRATION the cache must be newer than
// every dictionary file of the default login (ftDdfTime, taken when the
// login opened them) and, with USE_INT_FILE, than the INT file: else 20557
// no cache file, 20556
// stale (both with the path). Then: 20542 the file cannot be opened, and
// the errors of mvbtrCacheImageDecode (20540 short or damaged, 20541 header,
// 20552 version, 10 out of memory; "(mvbtrCacheReadFile)" for the read
// buffer). On success bFromCache = 1 and lpszCacheFile = the path; on
// failure the record holds a partial structure that the open frees.
int16_t mvbtrCacheReadFile(OpenFile* file, const char* openName);

// Writes the cache file of a table whose structure was just built: created
// or truncated, the whole image in one write. lpszCacheFile = the path once
// the file is open. After the image is made the record is initialised
// again as a read initialises it (nCurIndex, nRecnumMethod, nCharSet from
// the driver), so that an open from the cache and the open that wrote it
// give the same table. Errors with the path: 20538 the file cannot be
// created, 20539 the write failed; 10 "mvbtrCacheWriteFile" out of memory.
int16_t mvbtrCacheWriteFile(OpenFile* file, const char* openName);

// Deletes the table's cache file when it has one (lpszCacheFile), so that
// no open takes an old structure for a changed table. A cache file that is
// gone is error 20519, one that cannot be deleted 20518 or 4118 (the path).
int16_t mvbtrCacheFileDelete(OpenFile* file);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_TABLES_CACHE_FILE_H_
