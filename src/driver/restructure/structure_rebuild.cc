// The rebuild of a table's file at the end of a restructure: a new Btrieve
// file created from the restructure record, every record copied into it with
// its values converted, the files swapped. This build does not contain file
// creation and record copying yet: a commit that needs a rebuild reports
// error 20598 ("not available") before anything is touched, and the
// restructure stays open. The swap, the finish and the undo have nothing to
// do until a file can be created.
#include "driver/frame/not_available.h"
#include "driver/restructure/structure_commit.h"

namespace vv::driver {

int16_t mvbtrStructureRebuild(StructureCommit*) {
  return mvbtrNotAvailable("btrStructureEnd");
}

int16_t mvbtrStructureRebuildSwap(StructureCommit*) {
  return 0;
}

int16_t mvbtrStructureRebuildFinish(StructureCommit*) {
  return 0;
}

void mvbtrStructureRebuildUndo(StructureCommit*) {}

}  // namespace vv::driver
