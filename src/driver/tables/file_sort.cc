// btrFileSort: the host's sort request. Btrieve keeps every index sorted, so
// there is nothing to do beyond turning the handle into its record.
#include "driver/frame/entry_guard.h"
#include "driver/frame/host/host_calls.h"
#include "veverave/driver.h"

extern "C" int16_t VV_CALL btrFileSort(int32_t hFile, int32_t, int32_t, int32_t) {
  return vv::driver::GuardStatus("btrFileSort", [&] {
    vv::driver::mvbtrFileFromHandle(hFile);
    return int16_t{0};
  });
}
