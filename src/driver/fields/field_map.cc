// btrFieldMap: a field's number from its name, compared the host's way.
#include "driver/fields/field_access.h"
#include "driver/fields/field_fill_map.h"
#include "driver/frame/entry_guard.h"
#include "driver/frame/host/host_calls.h"
#include "veverave/driver.h"

namespace vv::driver {

int32_t mvbtrFieldMap(const OpenFile* file, int32_t hFile, const char* name) {
  if (name == nullptr || file->lpFields == nullptr) return 0;
  for (int32_t i = 1; i <= file->nFields; ++i) {
    const char* fieldName = file->lpFields[i].lpszName;
    if (fieldName != nullptr && mvbtrHostNamesEqual(hFile, name, fieldName)) return i;
  }
  return 0;
}

}  // namespace vv::driver

extern "C" int32_t VV_CALL btrFieldMap(int32_t hFile, const char* name, int32_t) {
  static constexpr const char* kEntry = "btrFieldMap";
  return vv::driver::GuardValue<int32_t>(kEntry, 0, [&]() -> int32_t {
    vv::driver::OpenFile* file = vv::driver::mvbtrFieldFileGet(hFile, kEntry);
    if (file == nullptr) return 0;
    return vv::driver::mvbtrFieldMap(file, hFile, name);
  });
}
