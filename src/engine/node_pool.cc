#include "engine/node_pool.h"

#include <algorithm>
#include <cstring>

#include "platform/platform.h"

namespace vv::engine {

namespace {

// A tree starts with a few nodes' worth of memory.
constexpr std::size_t kFirstBlockNodes = 4;

}  // namespace

void* NodePool::Allocate() {
  if (free_ != nullptr) {
    void* node = free_;
    std::memcpy(&free_, node, sizeof free_);
    return node;
  }
  if (blocks_.empty() || blocks_.back().size() - carved_ < node_size_) {
    const std::size_t size =
        blocks_.empty()
            ? kFirstBlockNodes * node_size_
            : std::max(node_size_, std::min(2 * blocks_.back().size(), platform::kHugePageSize));
    blocks_.reserve(blocks_.size() + 1);
    blocks_.emplace_back(size);  // room reserved: only the block itself may fail
    carved_ = 0;
  }
  void* node = blocks_.back().data() + carved_;
  carved_ += node_size_;
  return node;
}

void NodePool::Free(void* node) {
  std::memcpy(node, &free_, sizeof free_);
  free_ = node;
}

}  // namespace vv::engine
