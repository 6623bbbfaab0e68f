// Reading, writing and deleting structure cache files (cache_file.h).
#include "driver/tables/cache_file.h"

#include <memory>
#include <optional>

#include "driver/frame/errors.h"
#include "driver/frame/files/file_ops.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/logins/login.h"
#include "driver/frame/util/memory.h"
#include "driver/tables/cache_image.h"
#include "driver/tables/cache_layout.h"
#include "driver/tables/file_record.h"
#include "platform/platform.h"

namespace vv::driver {
namespace {

constexpr std::size_t kPathSize = platform::kMaxPath + 1;

int16_t Report(int16_t error, const char* text) {
  mvbtrErrorReport(error, text);
  return mvbtrErrorStatus();
}

// A cache is valid only when it was written after every dictionary file of
// the default login (their newest time when the login opened them) and
// after the table's INT file was last changed.
int16_t ValidityCheck(const OpenFile* file, const char* path) {
  const std::optional<uint64_t> cacheTime = platform::FileWriteTime(path);
  if (!cacheTime) return Report(kErrCacheMissing, path);
  ServerLogin* login = mvbtrLoginDefault();
  if (login == nullptr) return mvbtrErrorStatus();
  if (*cacheTime <= login->ftDdfTime) return Report(kErrCacheExpired, path);
  if (mvbtrGlobals()->bUseIntFile != 0 && file->lpszIntFile != nullptr) {
    const std::optional<uint64_t> intTime = platform::FileWriteTime(file->lpszIntFile);
    if (!intTime || *cacheTime <= *intTime) return Report(kErrCacheExpired, path);
  }
  return 0;
}

// The image from an open cache file: a file smaller than the read buffer
// is read with one call and parsed from memory; a larger one is parsed from
// the file itself.
int16_t ImageRead(OpenFile* file, platform::File* handle, const char* path) {
  DriverGlobals* g = mvbtrGlobals();
  if (g->lpCacheBuf == nullptr) {
    g->lpCacheBuf = static_cast<char*>(DriverAlloc(kCacheBufferSize));
    if (g->lpCacheBuf == nullptr) return Report(kErrOutOfMemory, "(mvbtrCacheReadFile)");
  }
  const int64_t got = handle->ReadAt(0, g->lpCacheBuf, kCacheBufferSize);
  if (got < 0) return Report(kErrCacheRead, path);
  if (static_cast<std::size_t>(got) < kCacheBufferSize) {
    g->lpCacheBufPos = g->lpCacheBuf;
    g->lpCacheBufEnd = g->lpCacheBuf + got;
    CacheSource source(reinterpret_cast<const uint8_t*>(g->lpCacheBuf),
                       static_cast<std::size_t>(got));
    const int16_t status = mvbtrCacheImageDecode(file, &source, path);
    g->lpCacheBufPos = g->lpCacheBufEnd;
    return status;
  }
  mvbtrMemFree(&g->lpCacheBuf);
  g->lpCacheBufPos = g->lpCacheBufEnd = nullptr;
  const std::optional<uint64_t> size = handle->Size();
  if (!size) return Report(kErrCacheRead, path);
  CacheSource source(handle, *size);
  return mvbtrCacheImageDecode(file, &source, path);
}

}  // namespace

int16_t mvbtrCacheReadFile(OpenFile* file, const char* openName) {
  char path[kPathSize];
  if (!mvbtrCachePathMake(openName, path, sizeof path)) return Report(kErrCacheOpen, openName);
  if (mvbtrGlobals()->bCacheExpiration != 0 && ValidityCheck(file, path) != 0) {
    return mvbtrErrorStatus();
  }
  platform::FsResult why = platform::FsResult::kOk;
  std::unique_ptr<platform::File> handle =
      platform::OpenFile(path, platform::OpenMode::kRead, &why);
  if (handle == nullptr) {
    return Report(why == platform::FsResult::kNotFound ? kErrCacheMissing : kErrCacheOpen, path);
  }
  if (ImageRead(file, handle.get(), path) != 0) return mvbtrErrorStatus();
  file->bFromCache = 1;
  return mvbtrStrNewCpy(&file->lpszCacheFile, path) != 0 ? mvbtrErrorStatus() : 0;
}

int16_t mvbtrCacheWriteFile(OpenFile* file, const char* openName) {
  char path[kPathSize];
  if (!mvbtrCachePathMake(openName, path, sizeof path)) return Report(kErrCacheCreate, openName);
  std::unique_ptr<platform::File> handle =
      platform::OpenFile(path, platform::OpenMode::kCreateTruncate);
  if (handle == nullptr) return Report(kErrCacheCreate, path);
  if (mvbtrStrNewCpy(&file->lpszCacheFile, path) != 0) return mvbtrErrorStatus();

  const std::size_t size = mvbtrCacheImageSize(file);
  auto* image = static_cast<uint8_t*>(DriverAlloc(size));
  if (image == nullptr) return Report(kErrOutOfMemory, "mvbtrCacheWriteFile");
  mvbtrCacheImageEncode(file, image);
  // The record takes the driver's settings, as a record read from the
  // cache does, so that this open and later ones see the same table.
  mvbtrFileRecordInit(file, false);
  const bool written = handle->WriteAt(0, image, size);
  DriverFree(image);
  // A partly written file is refused by its check at the next read.
  if (!written) return Report(kErrCacheWrite, path);
  return mvbtrErrorStatus();
}

int16_t mvbtrCacheFileDelete(OpenFile* file) {
  if (file->lpszCacheFile == nullptr) return mvbtrErrorStatus();
  return mvbtrFileDelete(file->lpszCacheFile, false);
}

}  // namespace vv::driver
