#include "engine/fault_file_system.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace vv::engine::testing {

// A file that remembers what it held at its last sync: the size, and the
// old bytes of every later write below that size.
class FaultFile final : public platform::File {
 public:
  FaultFile(FaultFileSystem* fs, std::unique_ptr<platform::File> base)
      : fs_(fs), base_(std::move(base)), generation_(fs->generation()) {
    synced_size_ = base_->Size().value_or(0);
    fs_->Register(this);
  }
  ~FaultFile() override { fs_->Unregister(this); }

  int64_t ReadAt(uint64_t offset, void* buf, std::size_t n) override {
    return Alive() ? base_->ReadAt(offset, buf, n) : -1;
  }
  bool WriteAt(uint64_t offset, const void* buf, std::size_t n) override {
    if (!Alive() || fs_->TakeWriteFault()) return Fault();
    KeepOld(offset, n);
    return base_->WriteAt(offset, buf, n);
  }
  bool Append(const void* buf, std::size_t n) override {
    const auto size = base_->Size();
    return size && WriteAt(*size, buf, n);
  }
  bool Sync() override {
    if (!Alive() || fs_->TakeSyncFault()) return Fault();
    if (!base_->Sync()) return false;
    synced_size_ = base_->Size().value_or(0);
    undo_.clear();
    return true;
  }
  bool Truncate(uint64_t size) override {
    if (!Alive() || fs_->TakeWriteFault()) return Fault();
    KeepOld(size, static_cast<std::size_t>(synced_size_ > size ? synced_size_ - size : 0));
    return base_->Truncate(size);
  }
  std::optional<uint64_t> Size() override { return Alive() ? base_->Size() : std::nullopt; }
  bool LockRange(uint64_t offset, uint64_t length, bool wait) override {
    return base_->LockRange(offset, length, wait);
  }
  bool UnlockRange(uint64_t offset, uint64_t length) override {
    return base_->UnlockRange(offset, length);
  }
  bool disk_full() const override { return full_; }

  // Puts back what the last sync left and stops working.
  void Crash() {
    for (auto it = undo_.rbegin(); it != undo_.rend(); ++it) {
      base_->WriteAt(it->first, it->second.data(), it->second.size());
    }
    base_->Truncate(synced_size_);
    undo_.clear();
  }

 private:
  bool Fault() {
    full_ = fs_->disk_full();
    return false;
  }
  bool Alive() const { return generation_ == fs_->generation(); }

  void KeepOld(uint64_t offset, std::size_t n) {
    if (offset >= synced_size_ || n == 0) return;
    const std::size_t keep = static_cast<std::size_t>(std::min<uint64_t>(n, synced_size_ - offset));
    std::string old(keep, '\0');
    const int64_t got = base_->ReadAt(offset, old.data(), keep);
    old.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    undo_.push_back({offset, std::move(old)});
  }

  FaultFileSystem* fs_;
  std::unique_ptr<platform::File> base_;
  uint64_t generation_;
  uint64_t synced_size_ = 0;
  bool full_ = false;
  std::vector<std::pair<uint64_t, std::string>> undo_;
};

std::unique_ptr<platform::File> FaultFileSystem::OpenFile(std::string_view path,
                                                          platform::OpenMode mode,
                                                          platform::FsResult* error) {
  std::unique_ptr<platform::File> base = base_->OpenFile(path, mode, error);
  if (!base) return nullptr;
  return std::make_unique<FaultFile>(this, std::move(base));
}

platform::FsResult FaultFileSystem::RenameFile(std::string_view from, std::string_view to) {
  return fail_renames_ ? platform::FsResult::kOther : base_->RenameFile(from, to);
}

platform::FsResult FaultFileSystem::ReplaceFile(std::string_view from, std::string_view to) {
  return fail_renames_ ? platform::FsResult::kOther : base_->ReplaceFile(from, to);
}

bool FaultFileSystem::TakeWriteFault() {
  ++writes_;
  if (failing_) return true;
  if (write_countdown_ > 0 && --write_countdown_ == 0) {
    failing_ = sticky_;
    return true;
  }
  return false;
}

bool FaultFileSystem::TakeSyncFault() {
  ++syncs_;
  return sync_countdown_ > 0 && --sync_countdown_ == 0;
}

void FaultFileSystem::Crash() {
  for (FaultFile* f : files_) f->Crash();
  ++generation_;
}

}  // namespace vv::engine::testing
