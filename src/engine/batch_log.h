// A transaction's changes of one file, collected as the batch record that
// End Transaction writes (kind 5 of the log, docs/engine-file-format.md).
// The record grows in chunks that never move: however large the
// transaction, each change is copied once and its memory touched once, and
// the record reaches the file chunk by chunk.
#ifndef VEVERAVE_ENGINE_BATCH_LOG_H_
#define VEVERAVE_ENGINE_BATCH_LOG_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/large_block.h"
#include "engine/log_format.h"

namespace vv::engine {

class BatchLog {
 public:
  // Adds a change as the next member (may throw std::bad_alloc, leaving the
  // batch as it was).
  void Add(const Change& change);
  uint32_t count() const { return count_; }

  // Fills in the member count and the frame's length and checksum: the
  // pieces then hold the complete record. Needs a member; cannot fail.
  void Seal();

  // The record's bytes, in order, in pieces; valid until the next Add.
  std::size_t piece_count() const { return chunks_.size(); }
  const uint8_t* piece(std::size_t i) const { return chunks_[i].block.data(); }
  std::size_t piece_size(std::size_t i) const { return chunks_[i].used; }
  std::size_t size() const { return size_; }

 private:
  struct Chunk {
    LargeBlock block;
    std::size_t used = 0;
  };
  void Reserve(std::size_t n);
  void Put(const uint8_t* p, std::size_t n);

  std::vector<Chunk> chunks_;
  std::size_t size_ = 0;
  uint32_t count_ = 0;
};

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_BATCH_LOG_H_
