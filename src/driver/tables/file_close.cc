// btrFileClose: closing an open table and releasing its handle.
#include <cstdio>

#include "driver/btrieve/btr_call.h"
#include "driver/fields/field_access.h"
#include "driver/frame/entry_guard.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/logins/login.h"
#include "driver/restructure/restructure.h"
#include "driver/tables/file_open.h"
#include "driver/tables/file_record.h"
#include "veverave/driver.h"

namespace vv::driver {

void mvbtrFileUnlink(OpenFile* file) {
  ServerLogin* login = file->lpLogin;
  if (file->lpNext != nullptr) file->lpNext->lpPrev = file->lpPrev;
  if (file->lpPrev != nullptr) {
    file->lpPrev->lpNext = file->lpNext;
  } else if (login != nullptr && login->lpFiles == file) {
    login->lpFiles = file->lpNext;
  }
  file->lpPrev = file->lpNext = nullptr;
}

int16_t mvbtrFileCloseTable(OpenFile* file) {
  const int32_t handle = file->hFile;
  uint8_t* client = file->lpLogin != nullptr ? file->lpLogin->lpClientId : nullptr;
  const int16_t status =
      mvbtrBtrCall(BTR_CLOSE, file->PosBlock, nullptr, nullptr, nullptr, 0, client);
  file->bBtrOpen = 0;
  if (status != BTR_STATUS_SUCCESS) {
    char text[24];
    std::snprintf(text, sizeof text, "BTR:%d", static_cast<int>(status));
    mvbtrErrorReport(kErrFileClose, text);
  }
  mvbtrFileUnlink(file);
  // A restructure still open on the table ends with it.
  mvbtrStructureDrop(file);
  // The count may reach 0 here and, with AUTO_LOGOUT, log every login out;
  // the table is out of its login's list already, so that leaves it alone.
  mvbtrOpenCountDec();
  mvbtrFileRecordFree(&file);
  return mvbtrFileHandleFree(handle);
}

}  // namespace vv::driver

// A non-zero flag asks for nothing: the table stays open.
extern "C" int16_t VV_CALL btrFileClose(int32_t hFile, int32_t flag) {
  static constexpr const char* kEntry = "btrFileClose";
  return vv::driver::GuardStatus(kEntry, [&]() -> int16_t {
    if (flag != 0) return 0;
    vv::driver::OpenFile* file = vv::driver::mvbtrFieldFileGet(hFile, kEntry);
    if (file == nullptr) return vv::driver::mvbtrErrorStatus();
    return vv::driver::mvbtrFileCloseTable(file);
  });
}
