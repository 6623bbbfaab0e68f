// POSIX open files: pread/pwrite at absolute offsets, fsync, and fcntl
// byte-range locks.
//
// About the locks: fcntl (F_SETLK/F_SETLKW) record locks belong to the
// process, not to the File or the thread. LockRange therefore serialises
// processes only: a second File of the same process, or another thread,
// gets an overlapping lock at once. Closing any descriptor of a file drops
// every lock the process holds on that file, so a process that holds locks
// must not open and close the same file a second time meanwhile. Locks are
// write (exclusive) locks; on a file opened read-only they are read
// (shared) locks, the only kind POSIX grants there. A dying process loses
// its locks at once.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <limits>

#include "platform/platform.h"
#include "platform/posix/posix_util.h"

namespace vv::platform {

namespace {

constexpr uint64_t kMaxOffset = static_cast<uint64_t>(std::numeric_limits<off_t>::max());

class PosixFile final : public File {
 public:
  PosixFile(int fd, bool writable) : fd_(fd), writable_(writable) {}
  ~PosixFile() override { close(fd_); }

  int64_t ReadAt(uint64_t offset, void* buf, std::size_t n) override {
    if (offset > kMaxOffset) return -1;
    auto* p = static_cast<char*>(buf);
    std::size_t done = 0;
    while (done < n) {
      const ssize_t r = pread(fd_, p + done, n - done, static_cast<off_t>(offset + done));
      if (r < 0) {
        if (errno == EINTR) continue;
        return -1;
      }
      if (r == 0) break;  // end of file
      done += static_cast<std::size_t>(r);
    }
    return static_cast<int64_t>(done);
  }

  bool WriteAt(uint64_t offset, const void* buf, std::size_t n) override {
    if (offset > kMaxOffset || n > kMaxOffset - offset) return false;
    const auto* p = static_cast<const char*>(buf);
    std::size_t done = 0;
    while (done < n) {
      const ssize_t r = pwrite(fd_, p + done, n - done, static_cast<off_t>(offset + done));
      if (r < 0) {
        if (errno == EINTR) continue;
        return Failed();
      }
      done += static_cast<std::size_t>(r);
    }
    return true;
  }

  // The end is taken at the call; writers in other processes that append
  // too must hold a lock meanwhile (the log file does).
  bool Append(const void* buf, std::size_t n) override {
    const off_t end = lseek(fd_, 0, SEEK_END);
    return end >= 0 && WriteAt(static_cast<uint64_t>(end), buf, n);
  }

  bool Sync() override { return fsync(fd_) == 0 || Failed(); }

  bool Truncate(uint64_t size) override {
    if (size > kMaxOffset) return false;
    while (ftruncate(fd_, static_cast<off_t>(size)) != 0) {
      if (errno != EINTR) return Failed();
    }
    return true;
  }

  bool disk_full() const override { return disk_full_; }

  std::optional<uint64_t> Size() override {
    struct stat st;
    if (fstat(fd_, &st) != 0) return std::nullopt;
    return static_cast<uint64_t>(st.st_size);
  }

  bool LockRange(uint64_t offset, uint64_t length, bool wait) override {
    return SetLock(writable_ ? F_WRLCK : F_RDLCK, offset, length, wait);
  }

  bool UnlockRange(uint64_t offset, uint64_t length) override {
    return SetLock(F_UNLCK, offset, length, false);
  }

 private:
  // Notes why a write failed; always false.
  bool Failed() {
    disk_full_ = errno == ENOSPC || errno == EDQUOT;
    return false;
  }

  bool SetLock(short type, uint64_t offset, uint64_t length, bool wait) {
    // Length 0 would mean "to the end of the file and beyond" to fcntl.
    if (length == 0 || offset > kMaxOffset || length > kMaxOffset - offset) return false;
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(offset);
    lock.l_len = static_cast<off_t>(length);
    while (fcntl(fd_, wait ? F_SETLKW : F_SETLK, &lock) != 0) {
      if (errno != EINTR) return false;
    }
    return true;
  }

  int fd_;
  bool writable_;
  bool disk_full_ = false;
};

}  // namespace

std::unique_ptr<File> OpenFile(std::string_view path, OpenMode mode, FsResult* error) {
  int flags = O_CLOEXEC;
  switch (mode) {
    case OpenMode::kRead:
      flags |= O_RDONLY;
      break;
    case OpenMode::kReadWrite:
      flags |= O_RDWR;
      break;
    case OpenMode::kReadWriteCreate:
      flags |= O_RDWR | O_CREAT;
      break;
    case OpenMode::kCreateTruncate:
      flags |= O_RDWR | O_CREAT | O_TRUNC;
      break;
  }
  const std::string native = NativePath(path);
  int fd;
  do {
    fd = open(native.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    if (error != nullptr) *error = internal::FsResultFromErrno(errno);
    return nullptr;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {  // Windows opens no directories either
    close(fd);
    if (error != nullptr) *error = FsResult::kAccessDenied;
    return nullptr;
  }
  if (error != nullptr) *error = FsResult::kOk;
  try {
    return std::make_unique<PosixFile>(fd, mode != OpenMode::kRead);
  } catch (...) {
    close(fd);
    throw;
  }
}

}  // namespace vv::platform
