#include "support/cache_fuzz.h"

#include <cstring>

#include "driver/fields/le_bytes.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "driver/tables/cache_image.h"
#include "driver/tables/cache_layout.h"
#include "driver/tables/file_open.h"
#include "driver/tables/file_record.h"

namespace vv::testing {

void CacheCheckFix(std::string* image) {
  if (image->size() < driver::kCacheCheckOffset + 4) return;
  auto* bytes = reinterpret_cast<uint8_t*>(image->data());
  driver::CacheCheck check;
  check.Add(bytes, image->size());
  driver::StoreLe32(bytes + driver::kCacheCheckOffset, check.Value());
}

int16_t CacheFuzzOne(const uint8_t* data, std::size_t size) {
  using namespace driver;
  auto* file = static_cast<OpenFile*>(DriverAlloc(sizeof(OpenFile)));
  if (file == nullptr) return kErrOutOfMemory;
  std::memset(file, 0, sizeof(OpenFile));
  mvbtrFileRecordInit(file, true);
  CacheSource source(data, size);
  const int16_t status = mvbtrCacheImageDecode(file, &source, "FUZZ.CCH");
  if (status == 0) {
    mvbtrFileHostRecLenSet(file);
    if (mvbtrFileCreateRecordbuffer(file) == 0 && mvbtrFieldLongvarsBuild(file) == 0 &&
        mvbtrFileKeyBufCreate(file) == 0 && mvbtrFieldMakeDepList(file) == 0) {
      mvbtrFileClear(file);
    }
  }
  mvbtrFileRecordFree(&file);
  mvbtrErrorClear();
  return status;
}

}  // namespace vv::testing
