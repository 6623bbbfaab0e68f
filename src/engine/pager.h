// The pages of one engine file: read through the shared page cache, changed
// in memory, and made durable through the file's write-ahead log.
//
//   no write ──BeginWrite──▶ writing (pages change in the cache; a dirty
//                             page the cache needs back is spilled to the
//                             log as a frame that commits nothing)
//                  │
//                  ├──Commit──▶ every dirty page goes to the log, the last
//                  │            frame marked as a commit; synced on request
//                  └──Rollback─▶ dirty pages dropped, the log cut back
//
// Between writes no page is dirty: the cache always matches the committed
// state. A checkpoint copies the pages of the log to their places in the
// file, syncs the file and starts the log afresh; opening replays the log
// (bounded by the checkpoints) the same way. docs/engine-file-format.md
// describes the log.
//
// Every failure throws StorageError with the status to answer: 2 for an
// I/O error or a damaged page, 18 when the disk is full.
#ifndef VEVERAVE_ENGINE_PAGER_H_
#define VEVERAVE_ENGINE_PAGER_H_

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/file_system.h"
#include "engine/page_cache.h"
#include "engine/wal_format.h"

namespace vv::engine {

struct StorageError {
  int16_t status;
};

// A seam for transforming page contents on their way to and from the disk
// (encryption of a file's pages). Both work in place on the bytes before the
// page's checksum; page 0 (the file header) is never transformed.
class PageCodec {
 public:
  virtual ~PageCodec() = default;
  virtual void Encode(uint32_t page, uint8_t* bytes, std::size_t n) = 0;
  virtual void Decode(uint32_t page, uint8_t* bytes, std::size_t n) = 0;
};

// Seals a page for the disk: the CRC-32C of its other bytes goes into its
// last four bytes.
void SealPage(uint8_t* page);
bool PageSealOk(const uint8_t* page);

// The log written beside a file.
std::string LogPath(const std::string& path);

class Pager final : public FrameOwner {
 public:
  // Opens the file's log: replays its committed frames (the newest image of
  // each page counts) and, when the file is writable, checkpoints them.
  // main: the locked file; salt: the file's salt from its header. Returns 0
  // or 2 (damaged log, I/O error) or 18.
  static int16_t Open(FileSystem* fs, PageCache* cache, std::string path,
                      std::unique_ptr<platform::File> main, bool writable, uint64_t salt,
                      std::unique_ptr<Pager>* out);
  ~Pager();

  // The page, pinned; throws StorageError.
  PageRef Read(uint32_t page);
  // The page, pinned and dirty (inside a write).
  PageRef Write(uint32_t page);
  // A page whose old contents do not matter (a fresh page), zeroed, pinned
  // and dirty.
  PageRef Fresh(uint32_t page);

  bool writing() const { return writing_; }
  void BeginWrite();
  // Commits the pages changed since BeginWrite (at least one). sync: flush
  // the log to stable storage before returning. Throws StorageError, the
  // write still open (call Rollback).
  void Commit(bool sync);
  // Drops the write's changes. Cannot fail (a log that cannot be cut back
  // poisons the pager).
  void Rollback();

  // Copies the log into the file when it has grown past its bound; failures
  // leave the log as it is (tried again after a later commit).
  void MaybeCheckpoint();
  // At a clean close: checkpoint, sync and remove the log. Failures are
  // ignored (the log stays and is replayed at the next open).
  void CloseClean();

  bool poisoned() const { return poisoned_; }
  bool writable() const { return writable_; }
  uint64_t log_size() const { return log_size_; }
  void set_codec(PageCodec* codec) { codec_ = codec; }

  // FrameOwner.
  void Spill(Frame& frame) override;
  void Forget(Frame& frame) override;

 private:
  Pager(FileSystem* fs, PageCache* cache, std::string path, std::unique_ptr<platform::File> main,
        bool writable, uint64_t salt);
  int16_t Replay();
  void ResetLog();
  void Checkpoint();
  // Reads page bytes from the log or the file into out; throws.
  void Load(uint32_t page, uint8_t* out);
  // Appends one frame; throws.
  void AppendFrame(uint32_t page, const uint8_t* data, bool commit);
  Frame* Find(uint32_t page) const { return page < frames_.size() ? frames_[page] : nullptr; }
  [[noreturn]] void Fail(const platform::File& file);

  FileSystem* fs_;
  PageCache* cache_;
  std::string path_;
  std::unique_ptr<platform::File> main_;
  std::unique_ptr<platform::File> log_;
  bool writable_;
  bool poisoned_ = false;
  uint64_t salt_;
  LogHeader log_header_;
  int log_slot_ = 0;
  uint64_t log_size_ = 0;
  std::vector<Frame*> frames_;                     // by page number
  std::unordered_map<uint32_t, uint64_t> in_log_;  // page -> offset of its newest frame
  PageCodec* codec_ = nullptr;

  // The open write.
  bool writing_ = false;
  uint64_t write_start_ = 0;     // log size at BeginWrite
  bool appended_ = false;        // frames written (or tried) since
  std::vector<uint32_t> dirty_;  // pages made dirty (a page may appear twice)
  std::vector<std::pair<uint32_t, uint64_t>>
      displaced_;  // in_log_ entries spills replaced (0: none)
};

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_PAGER_H_
