#include "engine/file_create.h"

#include "engine/log_format.h"
#include "veverave/btrieve.h"

namespace vv::engine {

int16_t WriteFileAtomically(FileSystem* fs, const std::string& path, const std::string& image,
                            bool replace) {
  const std::string temp = path + ".vvcreate";
  platform::FsResult error = platform::FsResult::kOk;
  std::unique_ptr<platform::File> out =
      fs->OpenFile(temp, platform::OpenMode::kReadWriteCreate, &error);
  if (!out) return BTR_STATUS_CREATE_IO_ERROR;
  // The lock keeps two processes creating the same file from writing into
  // one temporary file at once.
  if (!out->LockRange(kProcessLockOffset, 1, false)) return BTR_STATUS_FILE_LOCKED;
  const bool written =
      out->Truncate(0) && out->WriteAt(0, image.data(), image.size()) && out->Sync();
  const bool full = !written && out->disk_full();
  out.reset();
  if (!written) {
    fs->DeleteFile(temp);
    return full ? BTR_STATUS_DISK_FULL : BTR_STATUS_CREATE_IO_ERROR;
  }
  const platform::FsResult moved =
      replace ? fs->ReplaceFile(temp, path) : fs->RenameFile(temp, path);
  if (moved != platform::FsResult::kOk) {
    fs->DeleteFile(temp);
    return moved == platform::FsResult::kExists ? BTR_STATUS_FILE_EXISTS
                                                : BTR_STATUS_CREATE_IO_ERROR;
  }
  return 0;
}

}  // namespace vv::engine
