// A file system for tests that wraps the real one and can make writes and
// syncs fail, and simulate a power loss: Crash() takes every file back to
// what it held at its last sync, or keeps the unsynced writes up to a random
// point (the last one kept may be torn), and makes every handle opened
// before it fail from then on, as if the machine had stopped. CrashAtWrite
// stops the machine in the middle of a chosen write.
#ifndef VEVERAVE_TESTS_ENGINE_FAULT_FILE_SYSTEM_H_
#define VEVERAVE_TESTS_ENGINE_FAULT_FILE_SYSTEM_H_

#include <cstdint>
#include <random>
#include <set>

#include "engine/file_system.h"

namespace vv::engine::testing {

class FaultFile;

class FaultFileSystem final : public FileSystem {
 public:
  explicit FaultFileSystem(FileSystem* base = DefaultFileSystem()) : base_(base) {}

  // The n-th write (WriteAt, Append, Truncate) from now fails; 0: none.
  // Sticky: every write after it fails too, until FailWrite(0). Failures
  // say the disk is full while SetDiskFull(true).
  void FailWrite(int n, bool sticky = false) {
    write_countdown_ = n;
    sticky_ = sticky;
    failing_ = false;
  }
  // The n-th sync from now fails; 0: none.
  void FailSync(int n) { sync_countdown_ = n; }
  void SetDiskFull(bool full) { disk_full_ = full; }
  bool disk_full() const { return disk_full_; }
  // Renames and replacements fail while set.
  void FailRenames(bool fail) { fail_renames_ = fail; }
  // Syncs only mark what a power loss keeps; the disk is not flushed.
  void SimulateSyncs(bool simulate) { simulate_syncs_ = simulate; }
  // The machine stops in the n-th write from now (a random part of it is
  // written); every later call fails. 0: never.
  void CrashAtWrite(int n, std::mt19937* random) {
    crash_countdown_ = n;
    random_ = random;
  }
  // Power loss. random: keep a random part of what was written since the
  // last sync of each file; nullptr: keep none of it.
  void Crash(std::mt19937* random = nullptr);
  bool stopped() const { return stopped_; }
  int writes() const { return writes_; }
  int syncs() const { return syncs_; }

  std::unique_ptr<platform::File> OpenFile(std::string_view path, platform::OpenMode mode,
                                           platform::FsResult* error) override;
  bool FileExists(std::string_view path) override { return base_->FileExists(path); }
  platform::FsResult DeleteFile(std::string_view path) override {
    return stopped_ ? platform::FsResult::kOther : base_->DeleteFile(path);
  }
  platform::FsResult RenameFile(std::string_view from, std::string_view to) override;
  platform::FsResult ReplaceFile(std::string_view from, std::string_view to) override;

  // For FaultFile.
  bool TakeWriteFault();
  bool TakeSyncFault();
  // How much of an n-byte write to do before the machine stops; n: all.
  std::size_t TakeCrash(std::size_t n);
  uint64_t generation() const { return generation_; }
  bool simulate_syncs() const { return simulate_syncs_; }
  void Register(FaultFile* f) { files_.insert(f); }
  void Unregister(FaultFile* f) { files_.erase(f); }

 private:
  FileSystem* base_;
  int write_countdown_ = 0;
  bool sticky_ = false;
  bool failing_ = false;
  int sync_countdown_ = 0;
  bool fail_renames_ = false;
  bool disk_full_ = false;
  bool simulate_syncs_ = false;
  int crash_countdown_ = 0;
  std::mt19937* random_ = nullptr;
  bool stopped_ = false;
  int writes_ = 0;
  int syncs_ = 0;
  uint64_t generation_ = 0;
  std::set<FaultFile*> files_;
};

}  // namespace vv::engine::testing

#endif  // VEVERAVE_TESTS_ENGINE_FAULT_FILE_SYSTEM_H_
