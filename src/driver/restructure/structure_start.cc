// btrStructureStart: the restructure record of an open table (a copy of its
// structure) or of a new table (a default structure under a negative handle).
#include <cstring>
#include <initializer_list>

#include "driver/frame/entry_guard.h"
#include "driver/frame/errors.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/init.h"
#include "driver/frame/logins/login.h"
#include "driver/frame/util/memory.h"
#include "driver/restructure/arrays.h"
#include "driver/restructure/field_edit.h"
#include "driver/restructure/index_edit.h"
#include "driver/restructure/restructure.h"
#include "driver/tables/file_record.h"

namespace vv::driver {
namespace {

constexpr const char* kEntry = "btrStructureStart";

// The names, the structure, the collating sequences and the table settings
// of the open table, into the restructure record.
int16_t CopyFromTable(OpenFile* restructure, const OpenFile* table) {
  for (char* OpenFile::*name :
       {&OpenFile::lpszDdfName, &OpenFile::lpszBtrFile, &OpenFile::lpszCacheFile,
        &OpenFile::lpszIntFile, &OpenFile::lpszBtrPath, &OpenFile::lpszOwner}) {
    if (mvbtrFileStrCpy(restructure, table, name) != 0) return mvbtrErrorStatus();
  }
  if (mvbtrFieldCopyAll(restructure, table) != 0 || mvbtrIndexCopyAll(restructure, table) != 0) {
    return mvbtrErrorStatus();
  }
  if (table->nAcs > 0 && table->lpAcs != nullptr) {
    const std::size_t size = static_cast<std::size_t>(table->nAcs) * BTR_ACS_SIZE;
    restructure->lpAcs = ArrayNew<uint8_t>(size, "mvbtrStructureStart");
    if (restructure->lpAcs == nullptr) return mvbtrErrorStatus();
    std::memcpy(restructure->lpAcs, table->lpAcs, size);
    restructure->nAcs = table->nAcs;
  }
  restructure->bSystemFile = table->bSystemFile;
  restructure->nRecLen = table->nRecLen;
  restructure->nHostRecLen = table->nHostRecLen;
  restructure->nDataLen = table->nDataLen;
  restructure->nPageSize = table->nPageSize;
  restructure->nFillHigh = table->nFillHigh;
  restructure->nFillLow = table->nFillLow;
  restructure->nFileFlags = table->nFileFlags;
  restructure->nRecnumField = table->nRecnumField;
  restructure->nPrimaryIndex = table->nPrimaryIndex;
  restructure->bRecnumSupport = table->bRecnumSupport;
  restructure->bMvForBtrieve = table->bMvForBtrieve;
  restructure->lpLogin = table->lpLogin;
  // The table's dictionary flags go with it, so that the row the commit
  // writes describes the table as its old row did.
  restructure->nDdfFlags = table->nDdfFlags;
  return 0;
}

// A new table: named MVDFLT until the host names it, the record number as
// its only field and index, the driver's page size.
int16_t NewTableInit(OpenFile* restructure, ServerLogin* login) {
  restructure->bLayoutChanged = 1;
  restructure->bRestructuring = 1;
  restructure->nPageSize = mvbtrGlobals()->nDefaultPageSize;
  if (mvbtrStrNewCpy(&restructure->lpszBtrPath, kNewTableBtrFile) != 0 ||
      mvbtrStrNewCpy(&restructure->lpszBtrFile, kNewTableBtrFile) != 0 ||
      mvbtrStrNewCpy(&restructure->lpszDdfName, kNewTableDdfName) != 0 ||
      mvbtrFieldCreateDefault(restructure) != 0 || mvbtrIndexCreateDefault(restructure) != 0) {
    return mvbtrErrorStatus();
  }
  mvbtrFileHostRecLenApply(restructure, restructure->nHostRecLen);
  restructure->lpLogin = login;
  return 0;
}

int16_t Refuse(int16_t error, const char* text) {
  mvbtrErrorReport(error, text);
  return mvbtrErrorStatus();
}

}  // namespace

int16_t mvbtrStructureStart(int32_t* hFile) {
  // A failed initialisation, or a settings file that reported an error, ends
  // the start as it ends an open.
  mvbtrDriverEnsureInit();
  if (!mvbtrDriverIsInit() || mvbtrErrorStatus() != 0) return mvbtrErrorStatus();
  if (hFile == nullptr || *hFile == 0) return Refuse(kErrBadFileHandle, kEntry);
  const int32_t handle = *hFile;
  ServerLogin* login = mvbtrLoginDefault();
  if (login == nullptr) return mvbtrErrorStatus();

  auto* attached = static_cast<OpenFile*>(mvbtrFileFromHandle(handle));
  OpenFile* table = handle > 0 ? attached : nullptr;
  if (handle > 0 && table == nullptr) return Refuse(kErrBadFileHandle, kEntry);
  if ((table != nullptr && table->lpNewFile != nullptr) || (handle < 0 && attached != nullptr)) {
    return Refuse(kErrRestructureOpen, nullptr);
  }

  OpenFile* restructure = ArrayNew<OpenFile>(1, nullptr);
  if (restructure == nullptr) return mvbtrErrorStatus();
  mvbtrFileRecordInit(restructure, true);
  restructure->hFile = handle;
  const int16_t status =
      table != nullptr ? CopyFromTable(restructure, table) : NewTableInit(restructure, login);
  if (status == 0 && table == nullptr) mvbtrFileHandleSet(handle, restructure);
  if (status != 0 || mvbtrErrorStatus() != 0) {
    mvbtrFileRecordFree(&restructure);
    return mvbtrErrorStatus();
  }
  if (table != nullptr) {
    table->lpNewFile = restructure;
    restructure->lpNewFile = table;
    table->bRestructuring = 1;
    restructure->bRestructuring = 1;
    restructure->bLayoutChanged = 0;
  }
  mvbtrOpenCountInc();
  return 0;
}

}  // namespace vv::driver

extern "C" int16_t VV_CALL btrStructureStart(int32_t* hFile, int32_t) {
  return vv::driver::GuardStatus(vv::driver::kEntry,
                                 [&] { return vv::driver::mvbtrStructureStart(hFile); });
}
