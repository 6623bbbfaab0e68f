// mvbtrRecordFind and the entry point btrRecordFind: the index named, the
// lock bias, the read loop with its lock wait and retries, and the host
// errors of a find that found nothing.
#include "driver/records/record_find.h"

#include "driver/btrieve/btr_call.h"
#include "driver/btrieve/lock_wait.h"
#include "driver/fields/field_access.h"
#include "driver/frame/entry_guard.h"
#include "driver/frame/errors.h"
#include "driver/frame/files/log_file.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/records/record_find_steps.h"
#include "driver/tables/file_record.h"
#include "veverave/btrieve.h"
#include "veverave/host_services.h"

namespace vv::driver {
namespace {

// The host index a find uses: a negative number names a field's main index,
// index 0 gives way to nPrimaryIndex. -1 after reporting error 79.
int32_t IndexResolve(const OpenFile* file, int32_t index) {
  if (index < 0) {
    const int32_t field = -index;
    if (file->lpFields == nullptr || field > file->nFields) {
      mvbtrErrorReport(kErrBadFieldNumber, "mvbtrRecordFind");
      return -1;
    }
    const FieldDesc& desc = file->lpFields[field];
    if (desc.nMainIndex == 0) {
      mvbtrErrorReport(kErrFieldNotIndexed, mvbtrFieldName(&desc));
      return -1;
    }
    index = desc.nMainIndex;
  }
  if (index == 0 && file->nPrimaryIndex != 0) index = file->nPrimaryIndex;
  return index;
}

// Inside a transaction reads take the transaction's read lock, except on
// tables the host marked as not locked for reading (unless LOCK_READONLY).
uint16_t LockBias(const OpenFile* file) {
  const DriverGlobals* g = mvbtrGlobals();
  if (g == nullptr || file->bInTransaction == 0) return 0;
  if (g->bLockReadOnly == 0 && (file->nFileMode & kFileModeNoLockMask) != 0) return 0;
  return g->nTranLockBias;
}

void LogNotFound(const OpenFile* file, const char* text) {
  const DriverGlobals* g = mvbtrGlobals();
  if (g != nullptr) {
    mvbtrLogWrite(g->hLogFile, file, kErrRecordNotFound, text);
  }
}

// The host error of a find that ended with a non-zero Btrieve status.
void StatusReport(const OpenFile* file, int16_t status, int32_t mode) {
  switch (status) {
    case BTR_STATUS_KEY_NOT_FOUND:
      mvbtrErrorReport(kErrRecordNotFound, TableName(file));
      LogNotFound(file, kLogKeyNotFound);
      return;
    case BTR_STATUS_INVALID_KEY_NUMBER:
      mvbtrErrorReport(kErrIndexUndefined, nullptr);
      return;
    case BTR_STATUS_END_OF_FILE:
      mvbtrErrorReport(
          mode == kFindLess || mode == kFindLessOrEqual ? kErrFindBeforeFirst : kErrFindAfterLast,
          TableName(file));
      return;
    case BTR_STATUS_INVALID_ADDRESS:
      mvbtrErrorReport(kErrRecordNotFound, TableName(file));
      LogNotFound(file, kLogInvalidAddress);
      return;
    case BTR_STATUS_DEADLOCK:
      mvbtrErrorReport(kErrDeadlock, TableName(file));
      return;
    default:
      mvbtrBtrErrorReport(status, "mvbtrRecordFind", TableName(file));
      return;
  }
}

}  // namespace

int16_t mvbtrRecordFind(OpenFile* file, int32_t index, int32_t mode) {
  const int32_t hostMode = mode;
  if (!mvbtrFindModeValid(mode)) {
    return mvbtrBtrErrorReport(BTR_STATUS_INVALID_OPERATION, "mvbtrRecordFind", TableName(file));
  }
  index = IndexResolve(file, index);
  if (index < 0) return mvbtrErrorStatus();
  const IndexDesc* desc = nullptr;
  if (file->lpIndexes != nullptr) {
    if (index > file->nIndexes || (index != 0 && file->lpIndexes[index].nSegments == 0)) {
      mvbtrErrorReport(kErrIndexUndefined, nullptr);
      return mvbtrErrorStatus();
    }
    desc = &file->lpIndexes[index];
  }

  // Index 0 without RECNUM_SUPPORT has no Btrieve key: the physical path,
  // which leaves no key path current.
  const bool keyPath = index != 0 || file->bRecnumSupport != 0;
  int16_t keyNumber = -1;
  if (keyPath) keyNumber = desc != nullptr ? desc->nKeyNumber : static_cast<int16_t>(index - 1);

  FindSituation situation = FindSituation::kFromEnd;
  if (keyPath) {
    const KeyFindPlan plan = mvbtrFindKeyPrepare(file, index, desc, keyNumber, mode);
    if (mvbtrErrorStatus() != 0) return mvbtrErrorStatus();
    situation = plan.situation;
    mode = plan.mode;
  }
  const uint16_t bias = LockBias(file);
  uint8_t* clientId = mvbtrFileClientId(file);
  const auto call = [&](uint16_t operation) {
    uint16_t length = static_cast<uint16_t>(file->nRecLen);
    return mvbtrBtrCall(static_cast<uint16_t>(operation + bias), file->PosBlock, file->lpRecBuf,
                        &length, file->lpKeyBuf, keyNumber, clientId);
  };

  uint32_t deadline = 0;
  mvbtrLockWait(&deadline, 0);
  int16_t status = 0;
  for (;;) {
    status = keyPath ? call(mvbtrFindKeyOperation(mode, situation))
                     : mvbtrFindPhysicalPass(file, mode, bias);
    // Greater or equal past the last key yields the last record.
    if (status == BTR_STATUS_END_OF_FILE && mode == kFindGreaterOrEqual &&
        hostMode != kFindGreater) {
      if (keyPath) {
        status = call(BTR_GET_LAST);
      } else {
        uint16_t length = static_cast<uint16_t>(file->nRecLen);
        status = mvbtrBtrCall(static_cast<uint16_t>(BTR_STEP_LAST + bias), file->PosBlock,
                              file->lpRecBuf, &length, file->lpKeyBuf, 0, clientId);
      }
    }
    if (mvbtrBtrStatusIsLock(status)) {
      if (mvbtrLockWait(&deadline, 1) != 0) break;
      continue;
    }
    if (status != 0) break;
    mvbtrRecordMarkActive(file);
    // The record went away between the read and its Get Position: read again.
    if (mvbtrErrorStatus() == int{kErrBtrieveBase} + int{BTR_STATUS_INVALID_ADDRESS}) {
      mvbtrErrorClear();
      continue;
    }
    break;
  }

  if (status != 0) {
    mvbtrRecordMarkInactive(file);
    if (mvbtrErrorStatus() == 0) StatusReport(file, status, hostMode);
  }
  file->nCurIndex = status == 0 ? keyNumber : static_cast<int16_t>(-1);
  return mvbtrErrorStatus();
}

}  // namespace vv::driver

extern "C" int16_t VV_CALL btrRecordFind(int32_t hFile, int32_t index, int32_t mode) {
  static constexpr const char* kEntry = "btrRecordFind";
  return vv::driver::GuardStatus(kEntry, [&] {
    vv::driver::OpenFile* file = vv::driver::mvbtrFieldFileGet(hFile, kEntry);
    if (file == nullptr || (file->nFileMode & vv::driver::kFileModeNoFind) != 0) {
      return vv::driver::mvbtrErrorStatus();
    }
    vv::driver::mvbtrRecordFind(file, index, mode);
    return vv::driver::mvbtrErrorStatus();
  });
}
