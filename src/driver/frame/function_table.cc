// The driver function table and the three loader exports.
//
// The table is one static record, constant-initialised (no work at load time);
// its first word, lpGlobals, is null until the first-call initialisation and
// is the driver's one test of being initialised.
#include <cstring>

#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "veverave/driver.h"

namespace vv::driver {
namespace {

#define VV_TABLE_ENTRY(pos, ret, name, params, bytes) &::name,
VvDriverFuncTable g_funcTable = {
    nullptr, 0, VV_DRIVER_NAME, VV_DRIVER_TABLE_PREFIX,
    VV_DRIVER_ENTRY_POINTS(VV_TABLE_ENTRY)};
#undef VV_TABLE_ENTRY

}  // namespace

VvDriverFuncTable* mvbtrFuncTable() { return &g_funcTable; }

}  // namespace vv::driver

extern "C" {

int16_t VV_CALL mvDLLGetModuleType(void) { return VV_MODULE_TYPE_DATABASE_DRIVER; }

int16_t VV_CALL mvDLLSetLoaderGlobals(const VvHostServices* services) {
  if (services == nullptr) return -1;
  vv::driver::HostServicesSet(services);
  return 0;
}

void VV_CALL mvDLLGetFuncTable(VvDriverFuncTable** table, char* prefix) {
  if (table != nullptr) *table = vv::driver::mvbtrFuncTable();
  if (prefix != nullptr) std::memcpy(prefix, VV_DRIVER_PREFIX, sizeof(VV_DRIVER_PREFIX));
}

}  // extern "C"
