#include "engine/fault_file_system.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace vv::engine::testing {

// A file that remembers every write since its last sync, in order, with
// what it replaced, so that a power loss can take back any part of them.
class FaultFile final : public platform::File {
 public:
  FaultFile(FaultFileSystem* fs, std::unique_ptr<platform::File> base)
      : fs_(fs), base_(std::move(base)), generation_(fs->generation()) {
    fs_->Register(this);
  }
  ~FaultFile() override { fs_->Unregister(this); }

  int64_t ReadAt(uint64_t offset, void* buf, std::size_t n) override {
    return Alive() ? base_->ReadAt(offset, buf, n) : -1;
  }
  bool WriteAt(uint64_t offset, const void* buf, std::size_t n) override {
    if (!Alive() || fs_->TakeWriteFault()) return Fault();
    const std::size_t done = fs_->TakeCrash(n);
    Remember(offset, n);
    const bool ok = base_->WriteAt(offset, buf, done);
    return done == n && ok;
  }
  bool Append(const void* buf, std::size_t n) override {
    const auto size = base_->Size();
    return size && WriteAt(*size, buf, n);
  }
  bool Sync() override {
    if (!Alive() || fs_->TakeSyncFault()) return Fault();
    if (!fs_->simulate_syncs() && !base_->Sync()) return false;
    undo_.clear();
    return true;
  }
  bool Truncate(uint64_t size) override {
    if (!Alive() || fs_->TakeWriteFault() || fs_->TakeCrash(1) == 0) return Fault();
    const uint64_t now = base_->Size().value_or(0);
    Remember(std::min(size, now), static_cast<std::size_t>(now > size ? now - size : 0));
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

  // Takes back the writes since the last sync after the first keep of them.
  void Crash(std::mt19937* random) {
    std::size_t keep = 0;
    if (random != nullptr) keep = (*random)() % (undo_.size() + 1);
    for (std::size_t i = undo_.size(); i-- > keep;) {
      const Undo& u = undo_[i];
      base_->WriteAt(u.offset, u.old.data(), u.old.size());
      base_->Truncate(u.size_before);
    }
    undo_.clear();
  }

 private:
  struct Undo {
    uint64_t offset;
    std::string old;  // the bytes the write replaced (up to the old end)
    uint64_t size_before;
  };

  bool Fault() {
    full_ = fs_->disk_full();
    return false;
  }
  bool Alive() const { return generation_ == fs_->generation() && !fs_->stopped(); }

  void Remember(uint64_t offset, std::size_t n) {
    const uint64_t size = base_->Size().value_or(0);
    std::string old(
        static_cast<std::size_t>(offset < size ? std::min<uint64_t>(n, size - offset) : 0), '\0');
    const int64_t got = old.empty() ? 0 : base_->ReadAt(offset, old.data(), old.size());
    old.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    undo_.push_back(Undo{offset, std::move(old), size});
  }

  FaultFileSystem* fs_;
  std::unique_ptr<platform::File> base_;
  uint64_t generation_;
  bool full_ = false;
  std::vector<Undo> undo_;
};

std::unique_ptr<platform::File> FaultFileSystem::OpenFile(std::string_view path,
                                                          platform::OpenMode mode,
                                                          platform::FsResult* error) {
  if (stopped_) {
    if (error != nullptr) *error = platform::FsResult::kOther;
    return nullptr;
  }
  std::unique_ptr<platform::File> base = base_->OpenFile(path, mode, error);
  if (!base) return nullptr;
  return std::make_unique<FaultFile>(this, std::move(base));
}

platform::FsResult FaultFileSystem::RenameFile(std::string_view from, std::string_view to) {
  return fail_renames_ || stopped_ ? platform::FsResult::kOther : base_->RenameFile(from, to);
}

platform::FsResult FaultFileSystem::ReplaceFile(std::string_view from, std::string_view to) {
  return fail_renames_ || stopped_ ? platform::FsResult::kOther : base_->ReplaceFile(from, to);
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

std::size_t FaultFileSystem::TakeCrash(std::size_t n) {
  if (crash_countdown_ == 0 || --crash_countdown_ > 0) return n;
  stopped_ = true;
  return random_ != nullptr && n > 0 ? (*random_)() % n : 0;
}

void FaultFileSystem::Crash(std::mt19937* random) {
  for (FaultFile* f : files_) f->Crash(random);
  ++generation_;
  stopped_ = false;
  crash_countdown_ = 0;
}

}  // namespace vv::engine::testing
