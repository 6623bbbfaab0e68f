// btrDriver: the numbered side door through which the host reads and changes
// single driver settings and reaches a few driver functions.
#include <cstdio>

#include "driver/btrieve/transaction_type.h"
#include "driver/frame/entry_guard.h"
#include "driver/frame/errors.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/init.h"
#include "driver/frame/not_available.h"
#include "driver/frame/settings/owners.h"
#include "driver/tables/file_owner.h"
#include "veverave/driver.h"

namespace vv::driver {
namespace {

enum DriverFunction : int32_t {
  kFnFileConvert = 1,
  kFnOwnerAdd = 10,
  kFnFileOwnerSet = 11,
  kFnFileOwnerClear = 12,
  kFnOwnerClear = 13,
  kFnDdfOwnerSet = 14,
  kFnTransactionTypeSet = 20,
  kFnTransactionTypeGet = 21,
  kFnExplicitLockingSet = 22,
  kFnExplicitLockingGet = 23,
  kFnComp3SignCheckSet = 24,
  kFnComp3SignCheckGet = 25,
  kFnTestCallback = 999,
};

int32_t DriverFunctionRun(int32_t hFile, const char* text, int32_t number, void* pointer,
                          int32_t function) {
  if (text == nullptr) text = "";
  int32_t result = mvbtrDriverEnsureInit();
  if (!mvbtrDriverIsInit()) return -1;
  DriverGlobals* g = mvbtrGlobals();
  switch (function) {
    case kFnFileConvert:
      return mvbtrNotAvailable("mvbtrFileConvert");
    case kFnOwnerAdd:
      return mvbtrOwnerAdd(text);
    case kFnFileOwnerSet:
    case kFnFileOwnerClear: {
      auto* file = static_cast<OpenFile*>(mvbtrFileFromHandle(hFile));
      if (file == nullptr) {
        mvbtrErrorReport(kErrBadFileHandle, "SetOwner");
        return kErrBadFileHandle;
      }
      return mvbtrFileOwnerSet(file, text, number);
    }
    case kFnOwnerClear:
      mvbtrOwnerClear();
      return result;
    case kFnDdfOwnerSet:
      mvbtrDdfOwnerSet(text);
      return result;
    case kFnTransactionTypeSet:
      return mvbtrTransactionTypeSet(number);
    case kFnTransactionTypeGet:
      return mvbtrTransactionTypeGet();
    case kFnExplicitLockingSet:
      g->bExplicitLocking = static_cast<uint8_t>(number & 0xFF);
      return 0;
    case kFnExplicitLockingGet:
      return g->bExplicitLocking;
    case kFnComp3SignCheckSet:
      g->bComp3SignCheck = static_cast<uint8_t>(number & 0xFF);
      return 0;
    case kFnComp3SignCheckGet:
      return g->bComp3SignCheck;
    case kFnTestCallback: {
      if (pointer == nullptr) return 0;
      auto callback = reinterpret_cast<VvProgressFn>(pointer);
      return static_cast<int16_t>(callback("Test Callback", 0));
    }
    default: {
      char message[32];
      std::snprintf(message, sizeof message, "Function: %d", static_cast<int>(function));
      mvbtrErrorReport(kErrUnknownDriverFunction, message);
      return result;
    }
  }
}

}  // namespace
}  // namespace vv::driver

extern "C" int32_t VV_CALL btrDriver(int32_t hFile, int32_t, const char* text, int32_t,
                                     int32_t number, void* pointer, int32_t function) {
  using namespace vv::driver;
  return GuardValue<int32_t>("btrDriver", -1, [&] {
    return DriverFunctionRun(hFile, text, number, pointer, function);
  });
}
