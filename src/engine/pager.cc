#include "engine/pager.h"

#include <algorithm>
#include <cstring>

#include "engine/byte_order.h"
#include "engine/crc32c.h"
#include "veverave/btrieve.h"

namespace vv::engine {

namespace {

constexpr std::size_t kSealOffset = kPageSize - 4;
// A log beyond this is copied into the file after the commit that grew it.
constexpr uint64_t kCheckpointBytes = uint64_t{8} << 20;
// Frames read at a time while replaying.
constexpr std::size_t kReplayFrames = 64;

uint64_t NextLogSalt(uint64_t previous) {
  // Any value other than the previous one will do: frames of the old log
  // must not pass as frames of the new one.
  uint64_t salt = previous * 6364136223846793005u + 1442695040888963407u;
  salt ^= platform::MonotonicMs();
  return salt == previous ? salt + 1 : salt;
}

}  // namespace

void SealPage(uint8_t* page) {
  StoreU32(page + kSealOffset, Crc32c(0, page, kSealOffset));
}

bool PageSealOk(const uint8_t* page) {
  return Crc32c(0, page, kSealOffset) == LoadU32(page + kSealOffset);
}

std::string LogPath(const std::string& path) {
  return path + ".vvwal";
}

Pager::Pager(FileSystem* fs, PageCache* cache, std::string path,
             std::unique_ptr<platform::File> main, bool writable, uint64_t salt)
    : fs_(fs),
      cache_(cache),
      path_(std::move(path)),
      main_(std::move(main)),
      writable_(writable),
      salt_(salt) {}

Pager::~Pager() {
  for (Frame* f : frames_) {
    if (f != nullptr) cache_->Release(f);
  }
}

int16_t Pager::Open(FileSystem* fs, PageCache* cache, std::string path,
                    std::unique_ptr<platform::File> main, bool writable, uint64_t salt,
                    std::unique_ptr<Pager>* out) {
  std::unique_ptr<Pager> pager(
      new Pager(fs, cache, std::move(path), std::move(main), writable, salt));
  if (const int16_t s = pager->Replay(); s != 0) return s;
  *out = std::move(pager);
  return 0;
}

void Pager::Fail(const platform::File& file) {
  throw StorageError{file.disk_full() ? int16_t{BTR_STATUS_DISK_FULL}
                                      : int16_t{BTR_STATUS_IO_ERROR}};
}

int16_t Pager::Replay() {
  const std::string log_path = LogPath(path_);
  if (!fs_->FileExists(log_path)) return 0;
  log_ = fs_->OpenFile(
      log_path, writable_ ? platform::OpenMode::kReadWrite : platform::OpenMode::kRead, nullptr);
  if (!log_) return BTR_STATUS_IO_ERROR;
  const std::optional<uint64_t> size = log_->Size();
  if (!size) return BTR_STATUS_IO_ERROR;
  uint8_t head[kLogHeaderSize];
  if (*size < kLogHeaderSize) {
    // A log whose header never reached the disk holds nothing.
    log_size_ = 0;
    return 0;
  }
  if (log_->ReadAt(0, head, sizeof head) != static_cast<int64_t>(sizeof head) ||
      !DecodeLogHeader(head, &log_header_, &log_slot_) || log_header_.file_salt != salt_ ||
      log_header_.slot.durable_length > *size) {
    return BTR_STATUS_IO_ERROR;
  }
  std::vector<uint8_t> buf(kReplayFrames * kLogFrameSize);
  std::vector<std::pair<uint32_t, uint64_t>> uncommitted;
  uint64_t offset = kLogHeaderSize;
  uint64_t committed_end = kLogHeaderSize;
  uint64_t buf_start = 0;
  std::size_t buf_len = 0;
  auto frame_at = [&](uint64_t at) -> const uint8_t* {
    if (at < buf_start || at + kLogFrameSize > buf_start + buf_len) {
      const uint64_t want = std::min<uint64_t>(buf.size(), *size - at);
      const int64_t got = log_->ReadAt(at, buf.data(), static_cast<std::size_t>(want));
      if (got != static_cast<int64_t>(want)) throw StorageError{BTR_STATUS_IO_ERROR};
      buf_start = at;
      buf_len = static_cast<std::size_t>(want);
    }
    return buf.data() + (at - buf_start);
  };
  try {
    for (; offset + kLogFrameSize <= *size; offset += kLogFrameSize) {
      const uint8_t* f = frame_at(offset);
      uint32_t page = 0;
      bool commit = false;
      if (!CheckFrame(f, f + kFrameHeadSize, log_header_.log_salt, &page, &commit)) break;
      uncommitted.emplace_back(page, offset);
      if (commit) {
        for (const auto& [p, at] : uncommitted) in_log_[p] = at;
        uncommitted.clear();
        committed_end = offset + kLogFrameSize;
      }
    }
    // Only what followed the last sync can be a torn write, and only at the
    // end: a bad frame below the durable mark, or one followed by a valid
    // frame, is damage.
    if (offset < log_header_.slot.durable_length) return BTR_STATUS_IO_ERROR;
    for (uint64_t at = offset + kLogFrameSize; at + kLogFrameSize <= *size; at += kLogFrameSize) {
      const uint8_t* f = frame_at(at);
      uint32_t page = 0;
      bool commit = false;
      if (CheckFrame(f, f + kFrameHeadSize, log_header_.log_salt, &page, &commit)) {
        return BTR_STATUS_IO_ERROR;
      }
    }
  } catch (const StorageError& e) {
    return e.status;
  }
  // Frames after the last commit belong to a write that never finished.
  if (committed_end < *size && writable_ && !log_->Truncate(committed_end)) {
    return BTR_STATUS_IO_ERROR;
  }
  log_size_ = committed_end;
  if (writable_ && !in_log_.empty()) {
    try {
      Checkpoint();
    } catch (...) {
      // Read through the log until a checkpoint succeeds.
    }
  }
  return 0;
}

void Pager::ResetLog() {
  if (!log_) {
    log_ = fs_->OpenFile(LogPath(path_), platform::OpenMode::kReadWriteCreate, nullptr);
    if (!log_) throw StorageError{BTR_STATUS_IO_ERROR};
  }
  LogHeader h;
  h.file_salt = salt_;
  h.log_salt = NextLogSalt(log_header_.log_salt);
  h.slot.sequence = 1;
  h.slot.durable_length = kLogHeaderSize;
  uint8_t head[kLogHeaderSize];
  EncodeLogHeader(h, head);
  if (!log_->Truncate(0) || !log_->WriteAt(0, head, sizeof head)) Fail(*log_);
  log_header_ = h;
  log_slot_ = 0;
  log_size_ = kLogHeaderSize;
  in_log_.clear();
}

void Pager::Checkpoint() {
  std::vector<std::pair<uint32_t, uint64_t>> pages(in_log_.begin(), in_log_.end());
  std::sort(pages.begin(), pages.end());
  std::vector<uint8_t> bytes(kPageSize);
  for (const auto& [page, at] : pages) {
    if (log_->ReadAt(at + kFrameHeadSize, bytes.data(), kPageSize) !=
        static_cast<int64_t>(kPageSize)) {
      throw StorageError{BTR_STATUS_IO_ERROR};
    }
    if (!main_->WriteAt(uint64_t{page} * kPageSize, bytes.data(), kPageSize)) Fail(*main_);
  }
  if (!main_->Sync()) Fail(*main_);
  ResetLog();
}

void Pager::MaybeCheckpoint() {
  if (writing_ || poisoned_ || !writable_ || log_size_ < kCheckpointBytes) return;
  try {
    Checkpoint();
  } catch (...) {
    // The log stays valid (whatever failed, an I/O or an allocation); the
    // next commit tries again.
  }
}

void Pager::CloseClean() {
  if (writing_ || poisoned_ || !writable_ || !log_) return;
  try {
    if (!in_log_.empty()) Checkpoint();
    log_.reset();
    fs_->DeleteFile(LogPath(path_));
  } catch (...) {
    // Replayed at the next open.
  }
}

void Pager::Load(uint32_t page, uint8_t* out) {
  const auto it = in_log_.find(page);
  int64_t got = 0;
  if (it != in_log_.end()) {
    got = log_->ReadAt(it->second + kFrameHeadSize, out, kPageSize);
  } else {
    got = main_->ReadAt(uint64_t{page} * kPageSize, out, kPageSize);
  }
  if (got != static_cast<int64_t>(kPageSize) || !PageSealOk(out)) {
    throw StorageError{BTR_STATUS_IO_ERROR};
  }
  if (codec_ != nullptr && page != 0) codec_->Decode(page, out, kSealOffset);
}

PageRef Pager::Read(uint32_t page) {
  if (poisoned_) throw StorageError{BTR_STATUS_IO_ERROR};
  if (Frame* f = Find(page)) {
    ++f->pins;
    f->referenced = true;
    return PageRef(cache_, f);
  }
  if (page >= frames_.size()) {
    frames_.resize(std::max<std::size_t>(page + 1, frames_.size() * 2), nullptr);
  }
  Frame* f = cache_->Take(this, page);
  try {
    Load(page, f->data.get());
  } catch (...) {
    cache_->Release(f);
    throw;
  }
  frames_[page] = f;
  return PageRef(cache_, f);
}

PageRef Pager::Write(uint32_t page) {
  if (!writing_) throw StorageError{BTR_STATUS_IO_ERROR};
  PageRef ref = Read(page);
  if (!ref.frame()->dirty) {
    dirty_.push_back(page);
    ref.frame()->dirty = true;
  }
  return ref;
}

PageRef Pager::Fresh(uint32_t page) {
  if (!writing_ || poisoned_) throw StorageError{BTR_STATUS_IO_ERROR};
  Frame* f = Find(page);
  if (f != nullptr) {
    ++f->pins;
  } else {
    if (page >= frames_.size()) {
      frames_.resize(std::max<std::size_t>(page + 1, frames_.size() * 2), nullptr);
    }
    f = cache_->Take(this, page);
    frames_[page] = f;
  }
  PageRef ref(cache_, f);
  if (!f->dirty) {
    try {
      dirty_.push_back(page);
    } catch (...) {
      if (f->pins == 1) {
        frames_[page] = nullptr;
        ref = PageRef();
        cache_->Release(f);
      }
      throw;
    }
    f->dirty = true;
  }
  std::memset(f->data.get(), 0, kPageSize);
  return ref;
}

void Pager::BeginWrite() {
  if (poisoned_ || !writable_) throw StorageError{BTR_STATUS_IO_ERROR};
  if (!log_ || log_size_ < kLogHeaderSize) ResetLog();
  writing_ = true;
  write_start_ = log_size_;
  appended_ = false;
  dirty_.clear();
  displaced_.clear();
}

void Pager::AppendFrame(uint32_t page, const uint8_t* data, bool commit) {
  uint8_t frame[kLogFrameSize];
  std::memcpy(frame + kFrameHeadSize, data, kPageSize);
  uint8_t* bytes = frame + kFrameHeadSize;
  if (codec_ != nullptr && page != 0) codec_->Encode(page, bytes, kSealOffset);
  SealPage(bytes);
  EncodeFrameHead(page, commit, log_header_.log_salt, bytes, frame);
  displaced_.reserve(displaced_.size() + 1);
  appended_ = true;  // even a failed write may have left bytes behind
  if (!log_->WriteAt(log_size_, frame, sizeof frame)) Fail(*log_);
  const auto it = in_log_.find(page);
  displaced_.emplace_back(page, it == in_log_.end() ? 0 : it->second);
  in_log_[page] = log_size_;
  log_size_ += kLogFrameSize;
}

void Pager::Spill(Frame& frame) {
  AppendFrame(frame.page, frame.data.get(), false);
  frame.dirty = false;
}

void Pager::Forget(Frame& frame) {
  frames_[frame.page] = nullptr;
}

void Pager::Commit(bool sync) {
  // The header page closes every commit (read first: reading may spill).
  PageRef header = Read(0);
  std::vector<uint32_t> pages;
  pages.reserve(dirty_.size());
  for (const uint32_t page : dirty_) {
    const Frame* f = Find(page);
    if (f != nullptr && f->dirty) pages.push_back(page);
  }
  std::sort(pages.begin(), pages.end());
  pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
  for (const uint32_t page : pages) {
    if (page != 0) AppendFrame(page, Find(page)->data.get(), false);
  }
  AppendFrame(0, header.data(), true);
  if (sync) {
    if (!log_->Sync()) Fail(*log_);
    // The durable mark: written after the sync, carried by the next one.
    LogSlot slot{log_header_.slot.sequence + 1, log_size_};
    uint8_t bytes[32];
    EncodeLogSlot(slot, bytes);
    const int index = 1 - log_slot_;
    if (log_->WriteAt(LogSlotOffset(index), bytes, sizeof bytes)) {
      log_header_.slot = slot;
      log_slot_ = index;
    }
  }
  for (const uint32_t page : dirty_) {
    if (Frame* f = Find(page)) f->dirty = false;
  }
  header.frame()->dirty = false;
  dirty_.clear();
  displaced_.clear();
  writing_ = false;
}

void Pager::Rollback() {
  if (!writing_) return;
  if (log_ && appended_) {
    if (!log_->Truncate(write_start_)) poisoned_ = true;
    log_size_ = write_start_;
  }
  for (auto it = displaced_.rbegin(); it != displaced_.rend(); ++it) {
    if (it->second == 0) {
      in_log_.erase(it->first);
    } else {
      in_log_[it->first] = it->second;
    }
  }
  for (const uint32_t page : dirty_) {
    Frame* f = Find(page);
    if (f != nullptr && f->dirty && f->pins == 0) {
      frames_[page] = nullptr;
      cache_->Release(f);
    } else if (f != nullptr && f->dirty) {
      // Still pinned by the caller: reload its committed image.
      f->dirty = false;
      try {
        Load(page, f->data.get());
      } catch (...) {
        poisoned_ = true;
      }
    }
  }
  dirty_.clear();
  displaced_.clear();
  writing_ = false;
}

}  // namespace vv::engine
