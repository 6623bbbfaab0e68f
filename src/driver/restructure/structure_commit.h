// The state of one commit of a restructure (btrStructureEnd), shared by its
// steps, so that a failure undoes exactly what was done.
//
//   decide      text types, layout, field sources, changed keys, nulls
//   rebuild     a new file under a BNEW name, records copied, keys built
//   or in place changed keys dropped and created in the open file
//   swap        (rebuild) old file to a BOLD name, new file to the table's
//   dictionary  the new definition into FILE/FIELD/INDEX.DDF, then the INT file
//   finish      (rebuild) the BOLD file deleted
//   undo        on failure: the rebuild's files put back, the old definition
//               written again where the new one was written
//
// The rebuild (file creation and record copy) lives in structure_rebuild.cc.
#ifndef VEVERAVE_DRIVER_RESTRUCTURE_STRUCTURE_COMMIT_H_
#define VEVERAVE_DRIVER_RESTRUCTURE_STRUCTURE_COMMIT_H_

#include <cstdint>

#include "driver/tables/open_file.h"
#include "veverave/driver.h"

namespace vv::driver {

struct StructureCommit {
  OpenFile* lpTable;      // the open table; null for a new table
  OpenFile* lpNew;        // the restructure record
  VvProgressFn progress;  // may be null
  bool bRebuild;          // the file is rebuilt (forced, new table, layout changed)
  bool bCreated;          // the new file exists
  bool bNewOpen;          // the new file is open under lpNew's position block
  bool bOldAside;         // the table's file lies under its BOLD name
  bool bNewIn;            // the new file lies under the table's file name
  bool bOldDeleted;       // the BOLD file is gone: no file step is undone
  bool bDdfWritten;       // the new definition is in the dictionary
  bool bIntWritten;       // the new INT file is written
  int16_t nIndexResult;   // result of the last key the commit created
  char* lpszTableFile;    // the table's file name while the new file has a BNEW name
  char* lpszOldFile;      // the BOLD name the table's file is moved to
};

// Rebuild steps: create the new file from lpNew under a BNEW name, open it,
// copy the table's records into it and build its keys (nIndexResult).
int16_t mvbtrStructureRebuild(StructureCommit* commit);
// Close the new file and the table's, move the old file aside and the new
// one in, reopen the table's file.
int16_t mvbtrStructureRebuildSwap(StructureCommit* commit);
// Delete the old file that was moved aside.
int16_t mvbtrStructureRebuildFinish(StructureCommit* commit);
// After a failure: close and delete the new file and put the old one back.
void mvbtrStructureRebuildUndo(StructureCommit* commit);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_RESTRUCTURE_STRUCTURE_COMMIT_H_
