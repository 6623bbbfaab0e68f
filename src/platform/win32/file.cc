// Windows open files: CreateFileA shared for reading and writing, positioned
// reads and writes, and LockFileEx byte-range locks. Windows locks belong to
// the handle: another File of the same process is refused too. They are
// mandatory: reading or writing a range another handle has locked fails.
#include "platform/win32/windows_shim.h"
// windows_shim.h first: it tames <windows.h> for platform.h.
#include <algorithm>

namespace vv::platform {

namespace {

constexpr DWORD kMaxChunk = 1u << 30;

DWORD Low(uint64_t v) {
  return static_cast<DWORD>(v & 0xFFFFFFFFu);
}
DWORD High(uint64_t v) {
  return static_cast<DWORD>(v >> 32);
}

class Win32File final : public File {
 public:
  explicit Win32File(HANDLE handle) : handle_(handle) {}
  ~Win32File() override { CloseHandle(handle_); }

  int64_t ReadAt(uint64_t offset, void* buf, std::size_t n) override {
    MutexLock lock(mu_);  // the file pointer is shared by every call
    if (!Seek(offset, FILE_BEGIN)) return -1;
    auto* p = static_cast<char*>(buf);
    std::size_t done = 0;
    while (done < n) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(n - done, kMaxChunk));
      DWORD got = 0;
      if (!ReadFile(handle_, p + done, chunk, &got, nullptr)) return -1;
      if (got == 0) break;  // end of file
      done += got;
    }
    return static_cast<int64_t>(done);
  }

  bool WriteAt(uint64_t offset, const void* buf, std::size_t n) override {
    MutexLock lock(mu_);
    return (Seek(offset, FILE_BEGIN) && WriteAll(buf, n)) || Failed();
  }

  // The end is taken at the call; writers in other processes that append
  // too must hold a lock meanwhile (the log file does).
  bool Append(const void* buf, std::size_t n) override {
    MutexLock lock(mu_);
    return (Seek(0, FILE_END) && WriteAll(buf, n)) || Failed();
  }

  bool Sync() override { return FlushFileBuffers(handle_) != 0 || Failed(); }

  bool Truncate(uint64_t size) override {
    MutexLock lock(mu_);
    return (Seek(size, FILE_BEGIN) && SetEndOfFile(handle_)) || Failed();
  }

  bool disk_full() const override { return disk_full_; }

  std::optional<uint64_t> Size() override {
    DWORD high = 0;
    SetLastError(NO_ERROR);
    const DWORD low = GetFileSize(handle_, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return std::nullopt;
    return (static_cast<uint64_t>(high) << 32) | low;
  }

  bool LockRange(uint64_t offset, uint64_t length, bool wait) override {
    if (length == 0) return false;
    OVERLAPPED at = At(offset);
    const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
    return LockFileEx(handle_, flags, 0, Low(length), High(length), &at) != 0;
  }

  bool UnlockRange(uint64_t offset, uint64_t length) override {
    if (length == 0) return false;
    OVERLAPPED at = At(offset);
    return UnlockFileEx(handle_, 0, Low(length), High(length), &at) != 0;
  }

 private:
  static OVERLAPPED At(uint64_t offset) {
    OVERLAPPED at{};
    at.Offset = Low(offset);
    at.OffsetHigh = High(offset);
    return at;
  }

  // Notes why a write failed; always false.
  bool Failed() {
    const DWORD error = GetLastError();
    disk_full_ = error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
    return false;
  }

  bool Seek(uint64_t offset, DWORD method) {
    LONG high = static_cast<LONG>(High(offset));
    SetLastError(NO_ERROR);
    const DWORD low = SetFilePointer(handle_, static_cast<LONG>(Low(offset)), &high, method);
    return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
  }

  bool WriteAll(const void* buf, std::size_t n) {
    const auto* p = static_cast<const char*>(buf);
    std::size_t done = 0;
    while (done < n) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(n - done, kMaxChunk));
      DWORD written = 0;
      if (!WriteFile(handle_, p + done, chunk, &written, nullptr) || written == 0) return false;
      done += written;
    }
    return true;
  }

  HANDLE handle_;
  Mutex mu_;
  bool disk_full_ = false;
};

}  // namespace

std::unique_ptr<File> OpenFile(std::string_view path, OpenMode mode, FsResult* error) {
  DWORD access = GENERIC_READ | GENERIC_WRITE;
  DWORD disposition = OPEN_EXISTING;
  switch (mode) {
    case OpenMode::kRead:
      access = GENERIC_READ;
      break;
    case OpenMode::kReadWrite:
      break;
    case OpenMode::kReadWriteCreate:
      disposition = OPEN_ALWAYS;
      break;
    case OpenMode::kCreateTruncate:
      disposition = CREATE_ALWAYS;
      break;
  }
  HANDLE handle = CreateFileA(std::string(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    if (error != nullptr) *error = internal::FsResultFromError(GetLastError());
    return nullptr;
  }
  if (error != nullptr) *error = FsResult::kOk;
  try {
    return std::make_unique<Win32File>(handle);
  } catch (...) {
    CloseHandle(handle);
    throw;
  }
}

}  // namespace vv::platform
