#include "driver/tables/file_owner.h"

#include <cstring>

#include "driver/btrieve/btr_call.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "driver/frame/util/strings.h"

namespace vv::driver {
namespace {

constexpr const char* kSetOwner = "SetOwner";

}  // namespace

int16_t mvbtrFileOwnerSet(OpenFile* file, const char* owner, int32_t accessMode) {
  if (owner == nullptr) owner = "";
  if (file->bRestructuring != 0) {
    mvbtrErrorReport(kErrOwnerWhileRestructuring, kSetOwner);
    return kErrOwnerWhileRestructuring;
  }
  const std::size_t length = std::strlen(owner);
  if (length > BTR_OWNER_MAX) {
    mvbtrErrorReport(kErrOwnerTooLong, nullptr);
    return kErrOwnerTooLong;
  }
  if (accessMode < 0 || accessMode >= kOwnerAccessModes) {
    mvbtrErrorReport(kErrOwnerAccessMode, kSetOwner);
    return mvbtrErrorStatus();
  }
  uint8_t* client = file->lpLogin != nullptr ? file->lpLogin->lpClientId : nullptr;
  int16_t status = BTR_STATUS_SUCCESS;
  if (length > 0) {
    // The name goes as data and as key; the engine only reads them.
    char data[BTR_OWNER_MAX + 1];
    char key[BTR_OWNER_MAX + 1];
    mvbtrStrCopy(data, sizeof data, owner);
    mvbtrStrCopy(key, sizeof key, owner);
    auto dataLength = static_cast<uint16_t>(length);
    status =
        mvbtrBtrCall(BTR_SET_OWNER, file->PosBlock, data, &dataLength, key, accessMode, client);
  } else {
    status = mvbtrBtrCall(BTR_CLEAR_OWNER, file->PosBlock, nullptr, nullptr, nullptr, 0, client);
  }
  if (status != BTR_STATUS_SUCCESS) {
    mvbtrBtrErrorReport(status, "mvbtrFileOwnerSet", file->lpszBtrFile);
    return mvbtrErrorStatus();
  }
  mvbtrStrNewCpy(&file->lpszOwner, owner);
  return mvbtrErrorStatus();
}

}  // namespace vv::driver
