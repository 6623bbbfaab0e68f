#include "driver/tables/file_read_info.h"

#include <cstring>

#include "driver/btrieve/btr_call.h"
#include "driver/fields/le_bytes.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"

namespace vv::driver {
namespace {

constexpr const char* kContext = "mvbtrFileReadInfo";

// Replaces lpStat by a zero-filled block of size bytes; false after error 10.
bool StatBufferMake(OpenFile* file, uint32_t size) {
  void* block = DriverAlloc(size);
  if (block == nullptr) {
    mvbtrErrorReport(kErrOutOfMemory, kContext);
    return false;
  }
  std::memset(block, 0, size);
  mvbtrMemFree(&file->lpStat);
  file->lpStat = static_cast<uint8_t*>(block);
  file->nStatLen = static_cast<uint16_t>(size);
  return true;
}

}  // namespace

int16_t mvbtrFileReadInfo(OpenFile* file) {
  if (file->lpStat == nullptr && !StatBufferMake(file, kStatBufStep)) return mvbtrErrorStatus();
  uint8_t key[kStatKeyBufSize];
  for (;;) {
    uint16_t length = file->nStatLen;
    const int16_t status = mvbtrBtrCall(BTR_STAT, file->PosBlock, file->lpStat, &length, key,
                                        BTR_KEY_NONE, file->lpLogin->lpClientId);
    if (status == BTR_STATUS_SUCCESS) {
      file->nStatLen = length;
      return 0;
    }
    // A buffer too short grows while its size still fits the 16-bit length.
    const uint32_t larger = uint32_t{file->nStatLen} + kStatBufStep;
    if (status != BTR_STATUS_DATA_BUFFER_TOO_SHORT || larger > UINT16_MAX) {
      return mvbtrBtrErrorReport(status, kContext, file->lpszDdfName);
    }
    if (!StatBufferMake(file, larger)) return mvbtrErrorStatus();
  }
}

int16_t mvbtrFileInfoTake(OpenFile* file) {
  if (mvbtrFileReadInfo(file) != 0) return mvbtrErrorStatus();
  if (file->nStatLen < BTR_FILEDEF_SIZE) {
    return mvbtrBtrErrorReport(BTR_STATUS_DATA_BUFFER_TOO_SHORT, kContext, file->lpszDdfName);
  }
  const uint8_t* layout = file->lpStat;
  file->nRecLen = static_cast<int32_t>(LoadLe(layout + BTR_FILEDEF_RECORD_LENGTH, 2));
  file->nPageSize = static_cast<int32_t>(LoadLe(layout + BTR_FILEDEF_PAGE_SIZE, 2));
  file->nRecords = LoadLe32(layout + BTR_FILEDEF_RECORD_COUNT);
  file->nFileFlags = static_cast<uint16_t>(LoadLe(layout + BTR_FILEDEF_FILE_FLAGS, 2));
  file->bFileVersion = layout[BTR_FILEDEF_FILE_VERSION];
  file->bOldVersion = file->bFileVersion < kFileVersion7 ? 1 : 0;
  return 0;
}

}  // namespace vv::driver
