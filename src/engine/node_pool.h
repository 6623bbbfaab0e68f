// The memory of the nodes of one B+tree (key_index.h), all of one size,
// carved from blocks that double with the tree up to the huge page size
// (large_block.h). A freed node is kept for the next one; the blocks go back
// when the pool does.
#ifndef VEVERAVE_ENGINE_NODE_POOL_H_
#define VEVERAVE_ENGINE_NODE_POOL_H_

#include <cstddef>
#include <vector>

#include "engine/large_block.h"

namespace vv::engine {

class NodePool {
 public:
  // node_size: a multiple of 8, at least a pointer.
  explicit NodePool(std::size_t node_size) : node_size_(node_size) {}
  NodePool(const NodePool&) = delete;
  NodePool& operator=(const NodePool&) = delete;

  // Memory for one node (may throw std::bad_alloc).
  void* Allocate();
  // Takes a node back; cannot fail.
  void Free(void* node);

 private:
  std::size_t node_size_;
  std::vector<LargeBlock> blocks_;
  std::size_t carved_ = 0;  // bytes of the last block given out
  void* free_ = nullptr;    // freed nodes, each holding a pointer to the next
};

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_NODE_POOL_H_
