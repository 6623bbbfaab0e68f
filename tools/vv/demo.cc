// vv demo: loads the driver the way a host does and walks through what the
// driver frame offers: the loader handshake, the function table, first-call
// initialisation and the settings the host can read and change.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "host/driver_library.h"
#include "host/host.h"

namespace vv::tools {
namespace {

enum : int32_t {
  kFnTransactionTypeSet = 20,
  kFnTransactionTypeGet = 21,
  kFnExplicitLockingGet = 23,
  kFnComp3SignCheckGet = 25,
};

const char* TransactionTypeName(int32_t type) {
  switch (type) {
    case 0: return "NONE";
    case 1: return "EXCLUSIVE";
    case 2: return "CONCURRENT";
    default: return "?";
  }
}

int Fail(const host::Host& host) {
  std::printf("error %d: %s\n", host.error(), host.error_text().c_str());
  return 1;
}

}  // namespace

int DemoCommand(const std::vector<std::string>&) {
  host::Host host;
  std::string error;
  std::unique_ptr<host::DriverLibrary> driver = host::DriverLibrary::Load(host, "", &error);
  if (!driver) {
    std::fprintf(stderr, "error 75: %s\n", error.c_str());
    return 1;
  }
  VvDriverFuncTable* t = driver->table();
  std::printf("Loaded %s\n", driver->path().c_str());
  std::printf("  module type %d, prefix \"%s\", table name \"%s\", table prefix \"%s\"\n",
              driver->module_type(), driver->prefix().c_str(), t->szDriverName, t->szPrefix);
  std::printf("  driver initialised: %s\n", t->lpGlobals != nullptr ? "yes" : "no");

  int32_t type = t->btrDriver(0, 0, "", 0, 0, nullptr, kFnTransactionTypeGet);
  if (host.error() != 0) return Fail(host);
  std::printf("First call initialises the driver: %s\n",
              t->lpGlobals != nullptr ? "yes" : "no");
  std::printf("  transaction type %s, explicit locking %d, packed-decimal sign check %d\n",
              TransactionTypeName(type),
              t->btrDriver(0, 0, "", 0, 0, nullptr, kFnExplicitLockingGet),
              t->btrDriver(0, 0, "", 0, 0, nullptr, kFnComp3SignCheckGet));

  t->btrDriver(0, 0, "", 0, 2, nullptr, kFnTransactionTypeSet);
  std::printf("Transaction type set to CONCURRENT: now %s\n",
              TransactionTypeName(t->btrDriver(0, 0, "", 0, 0, nullptr, kFnTransactionTypeGet)));

  t->btrDriver(0, 0, "", 0, 7, nullptr, kFnTransactionTypeSet);
  std::printf("Transaction type 7 is refused: error %d \"%s\"\n", host.error(),
              host.error_text().c_str());
  host.ClearError();

  t->btrDeinitialize();
  std::printf("btrDeinitialize: driver initialised: %s\n",
              t->lpGlobals != nullptr ? "yes" : "no");
  return 0;
}

}  // namespace vv::tools
