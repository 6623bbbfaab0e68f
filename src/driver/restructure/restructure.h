// Restructuring a table: the restructure record that holds the new structure
// while the host edits it, and the commit that turns it into the table.
//
// btrStructureStart gives an open table (handle > 0) a second open file
// record, the restructure record, holding a copy of its structure; a new
// table (handle < 0, chosen by the host) gets a fresh restructure record
// attached to the negative handle. Field, index and attribute calls change
// the restructure record; btrStructureEnd commits it, btrStructureAbort drops
// it. Each restructure record counts as an open table (nOpenFiles) while it
// lives.
//
//   table open --btrStructureStart--> restructuring (lpNewFile, bRestructuring)
//        ^                                  |        |
//        |    btrStructureAbort             |        | btrStructureEnd
//        +----------------------------------+        v
//        |                                   commit succeeded: restructure freed,
//        +--- the host opens the table again   the host closes the table
//
// A failed commit leaves the restructure open, so the host can still drop it
// with btrStructureAbort.
#ifndef VEVERAVE_DRIVER_RESTRUCTURE_RESTRUCTURE_H_
#define VEVERAVE_DRIVER_RESTRUCTURE_RESTRUCTURE_H_

#include <cstdint>

#include "driver/tables/open_file.h"
#include "veverave/driver.h"

namespace vv::driver {

// Names a new table has until the host names it.
inline constexpr const char* kNewTableDdfName = "MVDFLT";
inline constexpr const char* kNewTableBtrFile = "MVDFLT.BTR";

// btrStructureStart's work. *hFile > 0: the open table of that handle gets a
// restructure (error 72 when the handle has no table, 4104 when the table
// has one already). *hFile < 0: a new table, its restructure record attached
// to the handle (4104 when the handle holds a record already). Handle 0 names
// neither an open table nor a new one and is refused with error 72. Out of
// memory: error 10, with no text for the record itself, "mvbtrFileStrCpy" for
// a name and "mvbtrStructureStart" for the collating sequences; the table is
// then left as it was. Returns 0 or the pending error.
int16_t mvbtrStructureStart(int32_t* hFile);

// The restructure record of a handle: the record itself for a new table
// (its hFile below 1), else the table's lpNewFile. Null after error 72 (no
// record for the handle) or 4110 (no restructure open), with entry as text.
OpenFile* mvbtrRestructureGet(int32_t hFile, const char* entry);

// Ends the restructure of an existing table without committing: the
// restructure record stops counting as an open table and is freed, the
// table's lpNewFile and bRestructuring are cleared. Nothing without one.
void mvbtrStructureDrop(OpenFile* table);

// btrStructureAbort's work: the restructure of the handle is dropped; a new
// table's handle is released as well. Reports nothing.
void mvbtrStructureAbort(int32_t hFile);

// btrStructureEnd's work (structure_end.cc). flags bit 0: rebuild the file
// even when nothing requires it. Returns the pending error when the commit
// failed (the restructure stays open); on success the result of releasing a
// new table's handle or of the host's close of an existing table.
int16_t mvbtrStructureEnd(int32_t hFile, uint32_t flags, VvProgressFn progress);
inline constexpr uint32_t kStructureEndRebuild = 0x0001;

// The comparisons of a commit (structure_compare.cc), restructure against
// the open table:
// bLayoutChanged: nFields, nHostRecLen, nRecLen, the compression bit of
// nFileFlags, or a field's nBtrType, nOffset or nSize differ.
void mvbtrFileCompareLayout(OpenFile* restructure, const OpenFile* table);
// bFieldsMapped, bHasSource and lpSource: a new field takes the data of the
// old field with its non-zero nFieldTag (the last such field); field 0 takes
// the old field 0 when the table keeps a record-number key.
void mvbtrFieldMapSources(OpenFile* restructure, OpenFile* table);
// bKeyChanged of every index and bIndexChanged: a new index number, or a
// different segment count, key length, key flags, or segment field offset,
// size or Btrieve type.
void mvbtrIndexMarkChanged(OpenFile* restructure, const OpenFile* table);
// Text and binary fields whose Btrieve type no longer suits TEXT_TYPE get
// their host type applied again (the fields behind them move). Returns the
// pending error.
int16_t mvbtrFieldCheckTextTypes(OpenFile* restructure);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_RESTRUCTURE_RESTRUCTURE_H_
