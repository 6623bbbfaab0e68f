// mvbtrRecordDelete and the entry point btrRecordDelete (record_delete.h).
#include "driver/records/record_delete.h"

#include <cstring>

#include "driver/btrieve/btr_call.h"
#include "driver/btrieve/lock_wait.h"
#include "driver/fields/bcd_value.h"
#include "driver/fields/field_access.h"
#include "driver/frame/entry_guard.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/records/record_find_steps.h"
#include "driver/records/record_number.h"
#include "veverave/btrieve.h"
#include "veverave/host_services.h"

namespace vv::driver {

int16_t mvbtrRecordDelete(OpenFile* file) {
  const char* table = TableName(file);
  if (file->bFound == 0) {
    mvbtrErrorReport(kErrNoFoundRecord, table);
    return mvbtrErrorStatus();
  }
  if ((file->nFileMode & kFileModeNoDelete) != 0) return 0;
  const int16_t status = mvbtrBtrCallLockWait(BTR_DELETE, file->PosBlock, nullptr, nullptr, nullptr,
                                              0, mvbtrFileClientId(file));
  if (mvbtrErrorStatus() != 0) return mvbtrErrorStatus();
  if (status != 0) {
    mvbtrBtrErrorReport(status, "RecordDelete", table);
    return mvbtrErrorStatus();
  }
  mvbtrHostAttrSetNumeric(file->hFile, 0, 0, VV_ATTR_FILE_RECORD_STATE, VV_RECORD_NONE);
  file->bChanged = 1;
  file->nCurIndex = -1;
  std::memset(file->nRecnum, 0, sizeof file->nRecnum);
  VvBcd zero;
  BcdClear(&zero);
  mvbtrRecordNumberPutBCD(file, &zero);
  return mvbtrErrorStatus();
}

}  // namespace vv::driver

extern "C" int16_t VV_CALL btrRecordDelete(int32_t hFile) {
  static constexpr const char* kEntry = "btrRecordDelete";
  return vv::driver::GuardStatus(kEntry, [&] {
    vv::driver::OpenFile* file = vv::driver::mvbtrFieldFileGet(hFile, kEntry);
    if (file == nullptr) return vv::driver::mvbtrErrorStatus();
    return vv::driver::mvbtrRecordDelete(file);
  });
}
