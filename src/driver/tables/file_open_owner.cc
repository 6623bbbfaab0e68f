// The Btrieve open of a table, with the owner names tried in order.
#include <cstdio>
#include <cstring>

#include "driver/btrieve/btr_call.h"
#include "driver/frame/errors.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "driver/frame/util/strings.h"
#include "driver/tables/file_open.h"
#include "veverave/host_services.h"

namespace vv::driver {
namespace {

// The owner names an open tries, in order: the table's own owner (from its
// INT file) when it has one, else the first name of the driver's list; after
// a refusal the rest of the list, and last the empty name.
class OwnerTries {
 public:
  OwnerTries(const char* tableOwner, const OwnerNode* list) : next_(list) {
    if (tableOwner != nullptr) {
      current_ = tableOwner;
    } else if (next_ != nullptr) {
      current_ = next_->lpszName;
      next_ = next_->lpNext;
    }
  }
  const char* current() const { return current_; }
  // Moves to the next name; false when none is left.
  bool Next() {
    if (next_ != nullptr) {
      current_ = next_->lpszName != nullptr ? next_->lpszName : "";
      next_ = next_->lpNext;
      return true;
    }
    if (current_[0] == '\0') return false;
    current_ = "";  // once, after the list
    return true;
  }

 private:
  const OwnerNode* next_;
  const char* current_ = "";
};

int16_t OpenFailure(const char* openName, const char* path, int16_t status) {
  char text[2 * kOpenNameSize + 16];
  std::snprintf(text, sizeof text, "%s:%s, BTR:%d", openName, path, static_cast<int>(status));
  switch (status) {
    case BTR_STATUS_INVALID_OWNER:
      mvbtrErrorReport(kErrOwnerRefused, openName);
      break;
    case BTR_STATUS_INCOMPATIBLE_MODE:
      mvbtrErrorReport(kErrIncompatibleMode, text);
      break;
    default:
      mvbtrErrorReport(kErrCannotOpen, text);
      break;
  }
  return mvbtrErrorStatus();
}

}  // namespace

int16_t mvbtrFileBtrOpen(OpenFile* file, const char* openName, const char* path, int32_t mode) {
  file->nOpenMode = mode == kOpenModeExclusive ? BTR_OPEN_EXCLUSIVE : BTR_OPEN_NORMAL;
  // The call takes writable buffers; the engine only reads them on an open.
  char key[kOpenNameSize];
  mvbtrStrCopy(key, sizeof key, path);
  char owner[VV_HOST_TEXT_LINE_SIZE];

  OwnerTries tries(file->lpszOwner, mvbtrGlobals()->lpOwners);
  int16_t status = BTR_STATUS_SUCCESS;
  do {
    mvbtrStrCopy(owner, sizeof owner, tries.current());
    // The name goes with its terminating NUL.
    auto length = static_cast<uint16_t>(std::strlen(owner) + 1);
    status = mvbtrBtrCall(BTR_OPEN, file->PosBlock, owner, &length, key, file->nOpenMode,
                          file->lpLogin->lpClientId);
  } while (status == BTR_STATUS_INVALID_OWNER && tries.Next());
  if (status != BTR_STATUS_SUCCESS) return OpenFailure(openName, path, status);

  // From here on the file is open: a failure closes it again.
  file->bBtrOpen = 1;
  if (mvbtrStrNewCpy(&file->lpszOwner, owner) != 0) return mvbtrErrorStatus();
  if (mvbtrStrNewCpy(&file->lpszBtrPath, path) != 0) return mvbtrErrorStatus();
  return 0;
}

}  // namespace vv::driver
