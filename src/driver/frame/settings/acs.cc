#include "driver/frame/settings/acs.h"

#include <memory>

#include "driver/frame/errors.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/settings/keywords.h"
#include "driver/frame/util/memory.h"
#include "platform/platform.h"
#include "veverave/btrieve.h"

namespace vv::driver {

int16_t mvbtrAcsRegister(int keyword, const char* fileName) {
  DriverGlobals* g = mvbtrGlobals();
  platform::PathParts parts = platform::SplitPath(fileName);
  std::string searchList;
  if (parts.drive.empty() && parts.dir.empty()) {
    char dataPath[VV_HOST_DATA_PATH_SIZE];
    mvbtrDataPathGet(dataPath);
    searchList = dataPath;
  }
  std::optional<std::string> found = platform::SearchPath(searchList, fileName);
  if (!found || found->size() > platform::kMaxPath) {
    mvbtrErrorReport(keyword == kKwAcs ? kErrAcsNotFound : kErrAcsUpperNotFound, fileName);
    return mvbtrErrorStatus();
  }
  std::unique_ptr<platform::File> file = platform::OpenFile(*found, platform::OpenMode::kRead);
  if (!file) {
    mvbtrErrorReport(kErrAcsCannotOpen, fileName);
    return mvbtrErrorStatus();
  }
  auto* table = static_cast<uint8_t*>(DriverAlloc(BTR_ACS_SIZE));
  if (table == nullptr) {
    mvbtrErrorReport(kErrOutOfMemory, "mvbtrAcsRegister");
    return mvbtrErrorStatus();
  }
  int64_t got = file->ReadAt(0, table, BTR_ACS_SIZE);
  if (got != BTR_ACS_SIZE || table[0] != BTR_ACS_SIGNATURE) {
    DriverFree(table);
    mvbtrErrorReport(kErrAcsInvalid, fileName);
    return mvbtrErrorStatus();
  }
  uint8_t** slot = keyword == kKwAcs ? &g->lpAcsTable : &g->lpAcsUpperTable;
  mvbtrMemFree(slot);
  *slot = table;
  return 0;
}

}  // namespace vv::driver
