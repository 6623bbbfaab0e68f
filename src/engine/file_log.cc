#include "engine/file_log.h"

#include "veverave/btrieve.h"

namespace vv::engine {

int16_t WriteFailureStatus(const platform::File& file) {
  return file.disk_full() ? BTR_STATUS_DISK_FULL : BTR_STATUS_IO_ERROR;
}

int16_t AppendLog(FileState& file, const std::string& bytes) {
  return AppendLog(file, bytes.data(), bytes.size());
}

int16_t AppendLog(FileState& file, const void* bytes, std::size_t n) {
  if (file.poisoned || !file.file) return BTR_STATUS_IO_ERROR;
  if (!file.file->WriteAt(file.log_size, bytes, n)) {
    const int16_t status = WriteFailureStatus(*file.file);
    TruncateLog(file, file.log_size);
    return status;
  }
  file.log_size += n;
  return 0;
}

int16_t AppendLog(FileState& file, const BatchLog& batch) {
  if (file.poisoned || !file.file) return BTR_STATUS_IO_ERROR;
  uint64_t at = file.log_size;
  for (std::size_t i = 0; i < batch.piece_count(); ++i) {
    if (!file.file->WriteAt(at, batch.piece(i), batch.piece_size(i))) {
      const int16_t status = WriteFailureStatus(*file.file);
      TruncateLog(file, file.log_size);
      return status;
    }
    at += batch.piece_size(i);
  }
  file.log_size = at;
  return 0;
}

void TruncateLog(FileState& file, uint64_t size) {
  if (!file.file || !file.file->Truncate(size)) {
    file.poisoned = true;
    return;
  }
  file.log_size = size;
}

namespace {

// Writes the durable length into the slot that is not in force.
bool WriteDurableMark(FileState& file) {
  HeaderSlot slot;
  slot.sequence = file.header.sequence + 1;
  slot.durable_length = file.log_size;
  const int index = 1 - file.header_slot;
  uint8_t bytes[kSlotSize];
  EncodeSlot(slot, bytes);
  if (!file.file->WriteAt(kSlotOffset + kSlotSize * static_cast<uint64_t>(index), bytes,
                          sizeof bytes)) {
    return false;
  }
  file.header = slot;
  file.header_slot = index;
  file.mark_synced = false;
  return true;
}

}  // namespace

int16_t SyncLog(FileState& file) {
  if (file.poisoned || !file.file) return BTR_STATUS_IO_ERROR;
  if (!file.file->Sync()) return WriteFailureStatus(*file.file);
  file.mark_synced = true;
  // A failed mark costs nothing but the proof that these bytes were synced.
  if (file.header.durable_length != file.log_size) WriteDurableMark(file);
  return 0;
}

void MarkClean(FileState& file) {
  if (file.poisoned || !file.writable || !file.file) return;
  // A file only read since it was opened keeps its header: nothing to make
  // durable, and no syncs for readers.
  if (file.header.durable_length == file.log_size && file.mark_synced) return;
  if (file.log_size == file.opened_size && file.mark_synced) return;
  if (!file.file->Sync()) return;
  if (file.header.durable_length != file.log_size && !WriteDurableMark(file)) return;
  if (file.file->Sync()) file.mark_synced = true;
}

std::string NewFileImage(const FileDefinition& def) {
  const std::string payload = EncodeDefinition(def);
  std::string log;
  AppendFrame(&log, RecordKind::kDefinition, payload.data(), payload.size());
  HeaderSlot slot;
  slot.sequence = 1;
  slot.durable_length = kHeaderSize + log.size();
  return EncodeHeader(slot) + log;
}

std::string CompactionTempPath(const std::string& path) {
  return path + ".vvcompact";
}

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
