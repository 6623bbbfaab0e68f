// Status store and restore: a transaction start stores the state of each
// open table of its login, an abort puts it back.
#include <algorithm>
#include <cstring>

#include "driver/btrieve/btr_call.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "driver/frame/util/scratch.h"
#include "driver/tables/file_record.h"
#include "veverave/btrieve.h"

namespace vv::driver {
namespace {

void CopiesFree(OpenFile* file) {
  mvbtrMemFree(&file->lpSavedFile);
  mvbtrMemFree(&file->lpSavedFields);
  mvbtrMemFree(&file->lpSavedData);
}

// Replaces *copy by a zero-filled block of size bytes; false after reporting
// error 10 with context.
template <class T>
bool CopyNew(T** copy, std::size_t size, const char* context) {
  void* block = DriverAlloc(size);
  if (block == nullptr) {
    mvbtrErrorReport(kErrOutOfMemory, context);
    return false;
  }
  std::memset(block, 0, size);
  mvbtrMemFree(copy);
  *copy = static_cast<T*>(block);
  return true;
}

std::size_t FieldsBytes(int32_t nFields) {
  return sizeof(FieldDesc) * static_cast<std::size_t>(std::max(nFields, 0) + 1);
}

// Makes the three copies large enough for the record as it is now. The first
// store allocates them; later ones replace a copy that has become too small
// (the saved record tells how many descriptors and buffer bytes the copies
// were last given, and they hold at least that many).
bool CopiesReady(OpenFile* file) {
  const OpenFile* saved = file->lpSavedFile;
  const bool first = saved == nullptr;
  const bool ok =
      (!first || CopyNew(&file->lpSavedFile, sizeof(OpenFile), "mvbtrFileStatusStore, File")) &&
      ((!first && file->nFields <= saved->nFields) ||
       CopyNew(&file->lpSavedFields, FieldsBytes(file->nFields), "mvbtrFileStatusStore, Fields")) &&
      ((!first && file->nRecBufSize <= saved->nRecBufSize) ||
       CopyNew(&file->lpSavedData, file->nRecBufSize, "mvbtrFileStatusStore, Data"));
  if (!ok) CopiesFree(file);
  return ok;
}

// The members restore must never bring back from the copy: what the record
// owns or links (buffers, strings, arrays, lists, the restructure record, the
// copies themselves), who it is (host handle, login, function table) and the
// engine's position block, which the reposition re-establishes. A member
// added to OpenFile that owns memory belongs here.
void OwnedMembersKeep(OpenFile* file, const OpenFile& live) {
  file->lpFuncTable = live.lpFuncTable;
  file->lpPrev = live.lpPrev;
  file->lpNext = live.lpNext;
  file->lpLogin = live.lpLogin;
  file->hFile = live.hFile;
  std::memcpy(file->PosBlock, live.PosBlock, sizeof file->PosBlock);
  file->bFileVersion = live.bFileVersion;
  file->lpszDdfName = live.lpszDdfName;
  file->lpszBtrFile = live.lpszBtrFile;
  file->lpszIntFile = live.lpszIntFile;
  file->lpszCacheFile = live.lpszCacheFile;
  file->lpszBtrPath = live.lpszBtrPath;
  file->lpszOwner = live.lpszOwner;
  file->nRecBufSize = live.nRecBufSize;
  file->nFields = live.nFields;
  file->lpFields = live.lpFields;
  file->lpDdfFields = live.lpDdfFields;
  file->nRelFields = live.nRelFields;
  file->lpRelFields = live.lpRelFields;
  file->nLongvars = live.nLongvars;
  file->lpFirstLongvar = live.lpFirstLongvar;
  file->lpLastLongvar = live.lpLastLongvar;
  file->lpLongvars = live.lpLongvars;
  file->nIndexes = live.nIndexes;
  file->lpIndexes = live.lpIndexes;
  file->lpDdfIndexes = live.lpDdfIndexes;
  file->bBtrOpen = live.bBtrOpen;
  file->bRestructuring = live.bRestructuring;
  file->lpAcs = live.lpAcs;
  file->nAcs = live.nAcs;
  file->lpKeyBuf = live.lpKeyBuf;
  file->nKeyBufSize = live.nKeyBufSize;
  file->lpRecBuf = live.lpRecBuf;
  file->lpNewFile = live.lpNewFile;
  file->lpStat = live.lpStat;
  file->nStatLen = live.nStatLen;
  file->lpSavedFile = live.lpSavedFile;
  file->lpSavedFields = live.lpSavedFields;
  file->lpSavedData = live.lpSavedData;
}

}  // namespace

int16_t mvbtrFileStatusStore(OpenFile* file) {
  if (!CopiesReady(file)) return mvbtrErrorStatus();
  std::memcpy(file->lpSavedFile, file, sizeof(OpenFile));
  if (file->lpFields != nullptr) {
    std::memcpy(file->lpSavedFields, file->lpFields, FieldsBytes(file->nFields));
  }
  if (file->lpRecBuf != nullptr) std::memcpy(file->lpSavedData, file->lpRecBuf, file->nRecBufSize);
  return 0;
}

int16_t mvbtrFileStatusRestore(OpenFile* file) {
  const OpenFile* saved = file->lpSavedFile;
  if (saved == nullptr) return 0;
  // A state stored for a structure the table no longer has (its field array
  // or record buffer was replaced since) describes nothing that is here.
  if (file->lpFields != saved->lpFields || file->nFields != saved->nFields ||
      file->lpRecBuf != saved->lpRecBuf || file->nRecBufSize != saved->nRecBufSize) {
    return 0;
  }
  const OpenFile live = *file;
  std::memcpy(file, saved, sizeof(OpenFile));
  OwnedMembersKeep(file, live);
  for (int32_t i = 0; file->lpFields != nullptr && i <= file->nFields; ++i) {
    FieldDesc& field = file->lpFields[i];
    char* name = field.lpszName;
    OverlapLink* overlaps = field.lpOverlaps;
    const int32_t nOverlaps = field.nOverlaps;
    field = file->lpSavedFields[i];
    field.lpszName = name;
    field.lpOverlaps = overlaps;
    field.nOverlaps = nOverlaps;
  }
  if (file->lpRecBuf != nullptr) std::memcpy(file->lpRecBuf, file->lpSavedData, file->nRecBufSize);
  // Back on the key path of the stored position; without it the next find
  // sets its own.
  if (file->nCurIndex != -1 && mvbtrRecordReposition(file, file->nCurIndex) != 0) {
    file->nCurIndex = -1;
  }
  return 0;
}

int16_t mvbtrRecordReposition(OpenFile* file, int16_t keyNumber) {
  const std::size_t size = std::max<std::size_t>(
      static_cast<std::size_t>(std::max(file->nRecLen, 0)), sizeof file->nRecnum);
  auto* data = static_cast<uint8_t*>(mvbtrScratchBuffer(kRecordBuffer, size));
  if (data == nullptr) return -1;
  std::memcpy(data, file->nRecnum, sizeof file->nRecnum);
  uint16_t length = static_cast<uint16_t>(file->nRecLen);
  uint8_t* clientId = file->lpLogin != nullptr ? file->lpLogin->lpClientId : nullptr;
  if (mvbtrBtrCall(BTR_GET_DIRECT, file->PosBlock, data, &length, file->lpKeyBuf, keyNumber,
                   clientId) != 0) {
    return -1;
  }
  file->nCurIndex = keyNumber;
  return 0;
}

}  // namespace vv::driver
