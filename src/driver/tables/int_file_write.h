// Writing a table's INT file, whenever its dictionary entry is written (end
// of a restructure, conversion of a native table). The host spells its own
// keywords (lines named by code) and the driver writes its keywords as text.
//
// Layout (OWNER, the record-number line and SYSTEM_FILE only when they
// apply; the host's keywords shown by code):
//
//   code 1              VEVERAVE
//   DDF_NAME            "TABLE NAME"   only when it differs from the file's base name
//   OWNER               owner
//   RECNUM_SUPPORT 1  or  MORVANTA_FOR_BTRIEVE 1
//   <blank>
//   ; Data after this point is read after the DDF's have been read
//   <blank>
//   SYSTEM_FILE         1
//   per field with lines: <blank>, "; NAME", code 18 + number, then
//                         code 23, 16, 15, 22 + 21 where they apply
//   <blank>
//
// Everything above the comment is read in the first pass (before the
// dictionary), everything below it in the second.
#ifndef VEVERAVE_DRIVER_TABLES_INT_FILE_WRITE_H_
#define VEVERAVE_DRIVER_TABLES_INT_FILE_WRITE_H_

#include <cstdint>

#include "driver/tables/open_file.h"

namespace vv::driver {

// Writes the whole INT file of the table to lpszIntFile (made by
// mvbtrFileIntMakePath when the record has none). Nothing is written, and
// the result is 0, unless USE_INT_FILE is on. When the host cannot open the
// file for writing its status is the result. Otherwise the first failing
// line, or an error pending after a field's lines, stops the writing and is
// the result; the file is closed in every case. Writing DDF_NAME turns
// lpszDdfName to upper case in place (it is compared with the file's base
// name without regard to case).
int16_t mvbtrFileIntWrite(OpenFile* file);

// Sets lpszIntFile (replacing any) from the base name of lpszBtrPath (of
// lpszBtrFile while the table has no path yet) with ".INT": the bare file
// name when the host's data search path holds that file, else the full path
// when the current directory holds it, else the bare file name. A record
// without either name gets none. Out of memory: error 10
// "mvbtrFileIntMakePath". Returns the pending error.
int16_t mvbtrFileIntMakePath(OpenFile* file);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_TABLES_INT_FILE_WRITE_H_
