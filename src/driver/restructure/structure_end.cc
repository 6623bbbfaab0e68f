// btrStructureEnd: the commit of a restructure. It decides whether the
// table's file keeps its records (only keys changed: they are dropped and
// created again in the open file) or must be rebuilt, writes the new
// definition into the dictionary and the INT file, and undoes what it did
// when a step fails (structure_commit.h).
#include <cstdio>
#include <cstring>

#include "driver/fields/field_access.h"
#include "driver/frame/entry_guard.h"
#include "driver/frame/errors.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/logins/login.h"
#include "driver/frame/util/memory.h"
#include "driver/restructure/index_edit.h"
#include "driver/restructure/restructure.h"
#include "driver/restructure/structure_commit.h"
#include "driver/tables/ddf_dictionary.h"
#include "driver/tables/file_record.h"
#include "driver/tables/int_file_write.h"
#include "veverave/host_services.h"

namespace vv::driver {
namespace {

constexpr const char* kEntry = "btrStructureEnd";

bool Pending() {
  return mvbtrErrorStatus() != 0;
}

// The pending error with its text, set aside while an undo step runs and
// made pending again after it.
class ErrorAside {
 public:
  ErrorAside() { mvbtrPendingErrorFetch(&code_, text_); }
  ~ErrorAside() { mvbtrErrorReport(code_, text_); }
  ErrorAside(const ErrorAside&) = delete;
  ErrorAside& operator=(const ErrorAside&) = delete;

 private:
  int16_t code_ = 0;
  char text_[VV_HOST_ERROR_TEXT_SIZE] = {};
};

// TEXT_TYPE NOTE keeps a long text that ends the record as a NOTE field.
void TrailingNoteSet(OpenFile* restructure) {
  if (mvbtrGlobals()->nTextType != kTextNote || restructure->nFields < 1) return;
  FieldDesc& last = restructure->lpFields[restructure->nFields];
  if (last.nHostType == kHostText && last.nBtrType == BTR_TYPE_ZSTRING) {
    last.nBtrType = BTR_TYPE_NOTE;
  }
}

// A table whose dictionary marks nullable or BIT fields keeps its structure:
// the driver cannot carry their values into a new layout or key.
void NullsRefuse(const OpenFile* table, const OpenFile* restructure) {
  if (table->nTableFlags == 0) return;
  if (restructure->bLayoutChanged == 0 && restructure->bIndexChanged == 0 &&
      restructure->bFieldsMapped == 0) {
    return;
  }
  char text[VV_HOST_ERROR_TEXT_SIZE];
  std::snprintf(text, sizeof text, "%s: %s%s.", TableName(table),
                (table->nTableFlags & kTableHasNulls) != 0 ? "-> Nullables exist " : "",
                (table->nTableFlags & kTableHasBits) != 0 ? "-> BIT fieldtype used " : "");
  mvbtrErrorReport(kErrRestructureNulls, text);
}

// The keys that changed, dropped from the table's open file and created in
// it again from the restructure record: the records stay where they are. A
// key that cannot be created leaves the new definition; the result of the
// last key attempted is kept for the warning at the end.
void KeysInPlace(StructureCommit* commit) {
  OpenFile* table = commit->lpTable;
  OpenFile* restructure = commit->lpNew;
  std::memcpy(restructure->PosBlock, table->PosBlock, sizeof restructure->PosBlock);
  restructure->lpLogin = table->lpLogin;
  for (int32_t i = mvbtrIndexFirst(restructure); i <= restructure->nIndexes && !Pending(); ++i) {
    if (restructure->lpIndexes[i].bKeyChanged == 0) continue;
    if (i <= table->nIndexes && table->lpIndexes != nullptr) {
      // A drop that failed, or that the host's progress answer stopped,
      // leaves the key as it is.
      commit->nIndexResult = mvbtrIndexDrop(table, i, commit->progress);
      if (commit->nIndexResult != 0) continue;
      mvbtrIndexDelete(table, i);
    }
    commit->nIndexResult = mvbtrIndexCreate(restructure, i, commit->progress);
    if (commit->nIndexResult != 0) mvbtrIndexDelete(restructure, i);
  }
}

// Steps up to the dictionary and the INT file, each only while no error is
// pending.
void CommitSteps(StructureCommit* commit, uint32_t flags) {
  OpenFile* restructure = commit->lpNew;
  OpenFile* table = commit->lpTable;
  // The table's structure cache file, once the driver keeps one, goes first:
  // it describes the old structure.
  commit->bRebuild = (flags & kStructureEndRebuild) != 0 || table == nullptr;
  if (mvbtrFieldCheckTextTypes(restructure) != 0) return;
  TrailingNoteSet(restructure);
  if (table != nullptr) {
    mvbtrFileCompareLayout(restructure, table);
    mvbtrFieldMapSources(restructure, table);
    mvbtrIndexMarkChanged(restructure, table);
    NullsRefuse(table, restructure);
    if (Pending()) return;
    commit->bRebuild = commit->bRebuild || restructure->bLayoutChanged != 0;
  }
  if (commit->bRebuild && mvbtrStructureRebuild(commit) != 0) return;
  if (table != nullptr && !commit->bCreated) KeysInPlace(commit);
  if (Pending() || mvbtrStructureRebuildSwap(commit) != 0) return;
  if (ddfFileWrite(restructure->lpLogin, restructure) != 0) return;
  commit->bDdfWritten = true;
  if (mvbtrFileIntWrite(restructure) != 0) return;
  commit->bIntWritten = true;
  mvbtrStructureRebuildFinish(commit);
}

// After a failure: the rebuild's files put back, the old definition in the
// dictionary and the INT file again (a new table's rows removed). The
// failure stays the pending error.
void CommitUndo(StructureCommit* commit) {
  mvbtrStructureRebuildUndo(commit);
  OpenFile* table = commit->lpTable;
  OpenFile* restructure = commit->lpNew;
  if (commit->bDdfWritten) {
    ErrorAside failure;
    if (table != nullptr) {
      ddfFileWrite(table->lpLogin, table);
    } else {
      ddfFileWriteDelete(restructure->lpLogin, restructure, restructure->lpszDdfName);
    }
  }
  if (commit->bIntWritten && table != nullptr) {
    ErrorAside failure;
    mvbtrFileIntWrite(table);
  }
}

// The restructure is over: it stops counting as an open table and goes; a
// new table's handle is released, an existing table is closed by the host,
// which opens it again to see the new structure.
int16_t CommitFinish(StructureCommit* commit, int32_t hFile) {
  mvbtrMemFree(&commit->lpszTableFile);
  mvbtrMemFree(&commit->lpszOldFile);
  OpenFile* table = commit->lpTable;
  if (table != nullptr) {
    mvbtrStructureDrop(table);
    return mvbtrHostFileClose(table->hFile);
  }
  mvbtrFileHandleFree(hFile);
  mvbtrFileRecordFree(&commit->lpNew);
  mvbtrOpenCountDec();
  return mvbtrErrorStatus();
}

}  // namespace

int16_t mvbtrStructureEnd(int32_t hFile, uint32_t flags, VvProgressFn progress) {
  OpenFile* record = mvbtrFieldFileGet(hFile, kEntry);
  if (record == nullptr) return mvbtrErrorStatus();
  StructureCommit commit{};
  commit.progress = progress;
  if (record->hFile < 1) {
    commit.lpNew = record;
  } else {
    commit.lpTable = record;
    commit.lpNew = record->lpNewFile;
  }
  if (commit.lpNew == nullptr) {
    mvbtrErrorReport(kErrNoRestructure, kEntry);
    return mvbtrErrorStatus();
  }
  CommitSteps(&commit, flags);
  if (Pending()) CommitUndo(&commit);
  // Only the last key counts: a key that failed and left the definition
  // while a later one was created raises no warning. A failure that is
  // pending already is the one the host learns.
  if (commit.nIndexResult != 0 && !Pending()) mvbtrErrorReport(kErrIndexNotCreated, nullptr);
  if (Pending()) {
    mvbtrMemFree(&commit.lpszTableFile);
    mvbtrMemFree(&commit.lpszOldFile);
    return mvbtrErrorStatus();
  }
  return CommitFinish(&commit, hFile);
}

}  // namespace vv::driver

extern "C" int16_t VV_CALL btrStructureEnd(int32_t hFile, uint32_t flags, int32_t,
                                           VvProgressFn progress) {
  return vv::driver::GuardStatus(
      vv::driver::kEntry, [&] { return vv::driver::mvbtrStructureEnd(hFile, flags, progress); });
}
