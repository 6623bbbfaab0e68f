// The restructure record of a handle, and dropping it: btrStructureAbort.
#include "driver/fields/field_access.h"
#include "driver/frame/entry_guard.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/init.h"
#include "driver/frame/logins/login.h"
#include "driver/restructure/restructure.h"
#include "driver/tables/file_record.h"

namespace vv::driver {

OpenFile* mvbtrRestructureGet(int32_t hFile, const char* entry) {
  OpenFile* file = mvbtrFieldFileGet(hFile, entry);
  if (file == nullptr) return nullptr;
  if (file->hFile < 1) return file;
  if (file->lpNewFile == nullptr) mvbtrErrorReport(kErrNoRestructure, entry);
  return file->lpNewFile;
}

void mvbtrStructureDrop(OpenFile* table) {
  OpenFile* restructure = table->lpNewFile;
  table->lpNewFile = nullptr;
  table->bRestructuring = 0;
  if (restructure == nullptr) return;
  restructure->lpNewFile = nullptr;
  mvbtrFileRecordFree(&restructure);
  mvbtrOpenCountDec();
}

void mvbtrStructureAbort(int32_t hFile) {
  if (!mvbtrDriverIsInit()) return;
  auto* file = static_cast<OpenFile*>(mvbtrFileFromHandle(hFile));
  if (file == nullptr) return;
  if (hFile >= 0) {
    // A record that is itself a restructure has no partner to drop.
    if (file->hFile >= 1) mvbtrStructureDrop(file);
    return;
  }
  if (file->hFile >= 1) return;
  mvbtrFileHandleFree(hFile);
  mvbtrFileRecordFree(&file);
  mvbtrOpenCountDec();
}

}  // namespace vv::driver

// Dropping a restructure reports nothing: there is nothing the host could
// do about a failure, and the table is as it was before the restructure.
extern "C" int16_t VV_CALL btrStructureAbort(int32_t hFile) {
  return vv::driver::GuardStatus("btrStructureAbort", [&] {
    vv::driver::mvbtrStructureAbort(hFile);
    return int16_t{0};
  });
}
