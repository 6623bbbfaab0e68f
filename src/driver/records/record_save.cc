// mvbtrRecordSave and the entry point btrRecordSave (record_save.h).
#include "driver/records/record_save.h"

#include <cstdio>

#include "driver/btrieve/btr_call.h"
#include "driver/btrieve/lock_wait.h"
#include "driver/fields/field_access.h"
#include "driver/fields/field_bcd.h"
#include "driver/frame/entry_guard.h"
#include "driver/frame/errors.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/records/record_find_steps.h"
#include "driver/tables/file_record.h"
#include "veverave/btrieve.h"

namespace vv::driver {
namespace {

constexpr const char* kEntry = "btrRecordSave";

// An existing record may be updated inside a host transaction, or outside
// one when ALLOW_UNLOCKED_UPDATES is on.
bool UpdateAllowed() {
  const DriverGlobals* g = mvbtrGlobals();
  return g != nullptr && (g->bAllowUnlockedUpdates != 0 || g->nTransDepth > 0);
}

struct SaveCall {
  OpenFile* file;
  uint16_t length;
  int16_t keyNumber;

  int16_t Send(uint16_t operation) const {
    uint16_t sent = length;
    return mvbtrBtrCallLockWait(operation, file->PosBlock, file->lpRecBuf, &sent, file->lpKeyBuf,
                                keyNumber, mvbtrFileClientId(file));
  }
};

// The engine assigned the MORVANTA_RECNUM_TWO value at the insert; the ONE
// field gets the same number, and the record is updated with it. (A table
// without a ONE field puts the number into field 0, which is the TWO field
// itself: nothing changes, and the update sends the record as it is.)
int16_t RecnumOneUpdate(const SaveCall& save) {
  OpenFile* file = save.file;
  VvBcd value;
  mvbtrFieldGetBCD(file, file->nRecnumTwoField, &value, kEntry);
  mvbtrFieldPutBCD(file, file->nRecnumOneField, &value, kEntry);
  if (mvbtrErrorStatus() != 0) return 0;
  return save.Send(BTR_UPDATE);
}

void FailureReport(const OpenFile* file, int16_t status, bool update) {
  if (status == BTR_STATUS_DUPLICATE_KEY) {
    mvbtrErrorReport(kErrDuplicateKey, TableName(file));
    return;
  }
  char context[VV_HOST_ERROR_TEXT_SIZE];
  std::snprintf(context, sizeof context,
                update ? "RecordSave (Update %s)" : "RecordSave (Insert %s)", TableName(file));
  mvbtrBtrErrorReport(status, context, nullptr);
}

}  // namespace

int16_t mvbtrRecordSave(OpenFile* file) {
  if (file->bChanged == 0) return 0;
  if (file->bTrueNull != 0 && mvbtrRecordCheckDates(file) != 0) return mvbtrErrorStatus();
  const int32_t length = mvbtrRecordDatalenForSave(file);
  // A length the buffer does not hold is never sent.
  if (mvbtrErrorStatus() != 0) {
    file->nCurIndex = -1;
    return mvbtrErrorStatus();
  }
  const SaveCall save{
      file, static_cast<uint16_t>(length),
      file->nFirstIndex < 0 ? static_cast<int16_t>(BTR_KEY_NONE) : file->nFirstIndex};
  bool update = file->bActive != 0;
  int16_t status = 0;
  if (update) {
    if ((file->nFileMode & kFileModeNoUpdate) == 0) {
      if (UpdateAllowed()) {
        status = save.Send(BTR_UPDATE);
      } else {
        mvbtrErrorReport(kErrUnlockedUpdate, TableName(file));
      }
    }
  } else if ((file->nFileMode & kFileModeNoInsert) == 0) {
    status = save.Send(BTR_INSERT);
    if (status == 0 && file->nRecnumTwoField != 0 && mvbtrErrorStatus() == 0) {
      update = true;
      status = RecnumOneUpdate(save);
    }
  }
  if (mvbtrErrorStatus() == 0) {
    if (status != 0) {
      FailureReport(file, status, update);
    } else {
      file->bActive = 1;
      file->bFound = 1;
      mvbtrRecordMarkActive(file);
    }
  }
  file->nCurIndex = -1;
  return mvbtrErrorStatus();
}

}  // namespace vv::driver

extern "C" int16_t VV_CALL btrRecordSave(int32_t hFile) {
  return vv::driver::GuardStatus(vv::driver::kEntry, [&] {
    vv::driver::OpenFile* file = vv::driver::mvbtrFieldFileGet(hFile, vv::driver::kEntry);
    if (file == nullptr) return vv::driver::mvbtrErrorStatus();
    return vv::driver::mvbtrRecordSave(file);
  });
}
