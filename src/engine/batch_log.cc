#include "engine/batch_log.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "engine/byte_order.h"
#include "engine/crc32c.h"
#include "platform/platform.h"

namespace vv::engine {

namespace {

// Frame header, kind, member count.
constexpr std::size_t kBatchHeadSize = kFrameHeaderSize + 1 + 4;
constexpr std::size_t kCountOffset = kFrameHeaderSize + 1;
// Chunks start small (most transactions change a few records) and double
// up to the huge page size, where one more write per chunk costs nothing.
constexpr std::size_t kFirstChunk = std::size_t{1} << 10;
constexpr std::size_t kLargestChunk = platform::kHugePageSize;
// The frame's length field is 32 bits.
constexpr uint64_t kMaxBody = UINT32_MAX;

}  // namespace

void BatchLog::Reserve(std::size_t n) {
  const std::size_t room = chunks_.empty() ? 0 : chunks_.back().block.size() - chunks_.back().used;
  if (room >= n) return;
  const std::size_t next =
      chunks_.empty() ? kFirstChunk : std::min(kLargestChunk, 2 * chunks_.back().block.size());
  chunks_.reserve(chunks_.size() + 1);
  chunks_.push_back(Chunk{LargeBlock(std::max(next, n - room)), 0});  // room reserved
}

void BatchLog::Put(const uint8_t* p, std::size_t n) {
  // Every chunk but the last is full, except when Reserve just added one:
  // then the one before it takes what fits and the new one the rest.
  const std::size_t count = chunks_.size();
  std::size_t i = count >= 2 && chunks_[count - 2].used < chunks_[count - 2].block.size()
                      ? count - 2
                      : count - 1;
  while (n > 0) {
    Chunk& c = chunks_[i++];
    const std::size_t take = std::min(n, c.block.size() - c.used);
    std::memcpy(c.block.data() + c.used, p, take);
    c.used += take;
    p += take;
    n -= take;
  }
}

void BatchLog::Add(const Change& change) {
  uint8_t head[kBatchMemberHeadMax];
  const std::size_t head_size = EncodeBatchMemberHead(change, head);
  const std::size_t image_size = change.kind == RecordKind::kDelete ? 0 : change.image_size;
  const std::size_t start = size_ == 0 ? kBatchHeadSize : 0;
  const std::size_t n = start + head_size + image_size;
  if (size_ + n - kFrameHeaderSize > kMaxBody) throw std::bad_alloc();
  Reserve(n);
  if (start > 0) {
    uint8_t batch_head[kBatchHeadSize] = {};
    batch_head[kFrameHeaderSize] = static_cast<uint8_t>(RecordKind::kBatch);
    Put(batch_head, sizeof batch_head);
  }
  Put(head, head_size);
  if (image_size > 0) Put(change.image, image_size);
  size_ += n;
  ++count_;
}

void BatchLog::Seal() {
  uint8_t* head = chunks_[0].block.data();
  StoreU32(head + kCountOffset, count_);
  StoreU32(head, static_cast<uint32_t>(size_ - kFrameHeaderSize));
  // The checksum covers the length field and the body.
  uint32_t crc = Crc32c(0, head, 4);
  for (std::size_t i = 0; i < chunks_.size(); ++i) {
    const std::size_t skip = i == 0 ? kFrameHeaderSize : 0;
    crc = Crc32c(crc, chunks_[i].block.data() + skip, chunks_[i].used - skip);
  }
  StoreU32(head + 4, crc);
}

}  // namespace vv::engine
