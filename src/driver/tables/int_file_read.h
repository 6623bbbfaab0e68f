// Reading a table's INT file: a keyword file beside the table that names the
// driver and carries what the dictionary cannot hold (the table's dictionary
// name, its Btrieve owner, its record-number mode and, per field, the host's
// view of it). The driver never parses the text itself: the host reads the
// lines (slots 76 to 79) and answers each with a code, the keyword text and
// the value; a keyword the host does not know (code 0) is looked up in the
// driver's keyword table and read as kIntKeywordBase + its number.
//
// A table open reads the file in steps around the dictionary:
//
//   INT path     mvbtrFileIntSearch (before the cache is tried) or
//                mvbtrFileIntDefaultPath; a negative host handle: the open
//                name itself, already open in the host
//   open         mvbtrFileIntOpen: the first line must name the driver;
//                lpszIntFile = the path
//   first pass   mvbtrFileIntReadFirst, before the dictionary is read:
//                DDF_NAME, OWNER, RECNUM_SUPPORT, MORVANTA_FOR_BTRIEVE; the
//                first other line ends it and is kept in the IntFileLine
//   (dictionary read, field and index descriptors built)
//   second pass  mvbtrFileIntReadSecond, from the kept line on: per-field
//                lines; not run when the structure came from the cache
//   close        mvbtrFileIntClose at the end of the open, failed or not
//
// A line with an empty value ends the file (the host answers the end of the
// file so); when it ends the first pass the second pass reads nothing.
#ifndef VEVERAVE_DRIVER_TABLES_INT_FILE_READ_H_
#define VEVERAVE_DRIVER_TABLES_INT_FILE_READ_H_

#include <cstddef>
#include <cstdint>

#include "driver/tables/open_file.h"
#include "platform/platform.h"
#include "veverave/host_services.h"

namespace vv::driver {

// Extension of INT files.
inline constexpr const char* kIntFileExt = ".INT";
// Buffers for INT paths: at most kMaxPath characters and the NUL.
inline constexpr std::size_t kIntPathSize = platform::kMaxPath + 1;
// Line code of a driver keyword: this base plus the keyword's number.
inline constexpr int32_t kIntKeywordBase = 1000;

// One line as the host read it, with driver keywords already coded.
struct IntFileLine {
  int32_t nCode;                           // line code, see above
  char szKeyword[VV_HOST_TEXT_LINE_SIZE];  // keyword as written
  char szValue[VV_HOST_TEXT_LINE_SIZE];    // value; empty: the file ended
};

// Looks rootName + ".INT" up along INT_PATH, or along the host's data search
// path when INT_PATH is not set. True and the full path in result
// (kIntPathSize bytes) when found; false and result empty otherwise.
bool mvbtrFileIntSearch(const char* rootName, char* result);
// The open name with its extension replaced by ".INT", drive and directory
// kept, into result (kIntPathSize bytes). False (result empty) when the
// open name has no file name or the path would be too long.
bool mvbtrFileIntDefaultPath(const char* openName, char* result);

// Opens the INT file at path for reading (hostOpened: the host has it open
// already, at its first line) and reads the first line. The file is used
// when that line has the driver-name code or its value, in upper case, is
// the driver's name: then lpszIntFile = path, *used = true, and the file
// stays open for the two passes. Otherwise *used = false and nothing is
// left open: a file that cannot be opened or read, or that names another
// driver, is no error (the host's pending error is cleared) and the table
// is opened from the dictionary alone. Out of memory: error 10
// "mvbtrFileIntOpen", the file closed again. Returns the pending error.
int16_t mvbtrFileIntOpen(OpenFile* file, const char* path, bool hostOpened, bool* used);

// First pass, right after mvbtrFileIntOpen: applies the leading DDF_NAME
// (lpszDdfName, quotes removed), OWNER (lpszOwner, quotes removed),
// RECNUM_SUPPORT (bRecnumSupport) and MORVANTA_FOR_BTRIEVE (bMvForBtrieve and
// bRecnumSupport) lines. The first line with any other code ends the pass
// and is left in *line for the second pass; at the end of the file *line has
// an empty value. A read failure returns the host's pending error (-1 when
// the host reported none); out of memory is error 10 "mvbtrFileIntReadFirst".
int16_t mvbtrFileIntReadFirst(OpenFile* file, IntFileLine* line);

// Second pass, after the dictionary was read and the descriptors built:
// applies *line and every later line until a line with an empty value. The
// current field starts at 1, so lines before any field-number line apply to
// field 1. openName is the name the host opened (the text of error 4277).
// Failures, each ending the pass with the pending error:
//   77     field number outside 1..nFields (or a field line in a table
//          without fields); the table name
//   20501  host type name not known; ", field %ld: %s." (number, name)
//   20544  Btrieve or auxiliary type name not known, or DUMMY; as 20501
//   4277   a keyword an INT file may not hold; "<openName>: <keyword>"
//   a read failure, as in the first pass.
// An unknown CHARACTER_SET is error 20558 with the value; the pass goes on
// and leaves that error pending for the host to see, and nCharSet keeps the
// driver's default.
int16_t mvbtrFileIntReadSecond(OpenFile* file, const char* openName, IntFileLine* line);

// Closes the INT file open for reading (the open's last step when
// mvbtrFileIntOpen used the file).
void mvbtrFileIntClose();

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_TABLES_INT_FILE_READ_H_
