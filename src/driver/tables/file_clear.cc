// btrFileClear: empties the record buffer of an open table (mvbtrFileClear).
#include "driver/fields/field_access.h"
#include "driver/frame/entry_guard.h"
#include "driver/frame/host/host_calls.h"
#include "driver/tables/file_record.h"
#include "veverave/driver.h"

extern "C" int16_t VV_CALL btrFileClear(int32_t hFile) {
  static constexpr const char* kEntry = "btrFileClear";
  return vv::driver::GuardStatus(kEntry, [&]() -> int16_t {
    vv::driver::OpenFile* file = vv::driver::mvbtrFieldFileGet(hFile, kEntry);
    if (file == nullptr) return vv::driver::mvbtrErrorStatus();
    return vv::driver::mvbtrFileClear(file);
  });
}
