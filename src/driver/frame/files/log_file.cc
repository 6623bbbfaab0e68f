#include "driver/frame/files/log_file.h"

#include <memory>
#include <string>

#include "driver/frame/errors.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/tables/open_file.h"
#include "platform/platform.h"

namespace vv::driver {

int16_t mvbtrLogOpen(platform::File** handle, const char* path) {
  mvbtrLogClose(handle);
  std::unique_ptr<platform::File> file =
      platform::OpenFile(path != nullptr ? path : "", platform::OpenMode::kReadWriteCreate);
  if (!file) {
    mvbtrErrorReport(kErrLogOpen, path);
    return mvbtrErrorStatus();
  }
  *handle = file.release();
  return 0;
}

void mvbtrLogClose(platform::File** handle) {
  std::unique_ptr<platform::File>(*handle).reset();
  *handle = nullptr;
}

void mvbtrLogWrite(platform::File* file, const OpenFile* record, int32_t number, const char* text) {
  const DriverGlobals* g = mvbtrGlobals();
  if (g == nullptr || g->lpszLogfilePath == nullptr || g->lpszLogfilePath[0] == '\0' ||
      file == nullptr) {
    return;
  }
  std::string user = platform::UserName();
  if (user.size() > kLogUserNameMax) user.resize(kLogUserNameMax);
  const char* table = record != nullptr ? TableName(record) : "";
  const std::string line = std::to_string(number) + ";\"" + (text != nullptr ? text : "") +
                           "\";\"" + user + "\";\"" + table + "\"\r\n";
  const bool locked = file->LockRange(kLogLockOffset, 1, /*wait=*/true);
  file->Append(line.data(), line.size());
  if (locked) file->UnlockRange(kLogLockOffset, 1);
}

}  // namespace vv::driver
