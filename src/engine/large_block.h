// Raw memory for the engine's large structures: B+tree nodes and the batches
// of transactions. A block of the huge page size or more comes aligned to it
// and advised for huge pages, so that filling megabytes of nodes or changes
// costs a page fault per huge page instead of one per small page, which on
// some machines is most of the time a large transaction takes.
#ifndef VEVERAVE_ENGINE_LARGE_BLOCK_H_
#define VEVERAVE_ENGINE_LARGE_BLOCK_H_

#include <cstddef>
#include <cstdint>

namespace vv::engine {

class LargeBlock {
 public:
  LargeBlock() = default;
  // At least size bytes (a huge block is rounded up to whole huge pages);
  // may throw std::bad_alloc.
  explicit LargeBlock(std::size_t size);
  ~LargeBlock();
  LargeBlock(LargeBlock&& other) noexcept;
  LargeBlock& operator=(LargeBlock&& other) noexcept;
  LargeBlock(const LargeBlock&) = delete;
  LargeBlock& operator=(const LargeBlock&) = delete;

  uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  void Release();

  uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_LARGE_BLOCK_H_
