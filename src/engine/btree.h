// A B+tree in pages of a file: entries of a fixed-size key and a value of
// up to kMaxTreeValue bytes, ordered by a comparison of keys. The leaves are
// linked both ways, so a walk costs O(1) per entry; searches, inserts and
// erases are O(log n). Keys are unique within a tree (the engine's key
// entries carry the record's stamp to make them so).
//
// Leaf page: u8 type 2, u8 tree tag, u16 count, u16 start of the cell area, u16 bytes
// freed inside it, u32 previous leaf, u32 next leaf, count × u16 cell
// offsets in key order; cells (u16 value length, key, value) fill the page
// from its end. Inner page: u8 type 3, u16 key count n, u32 first child,
// then n × (key, u32 child): every key of that child is at or above that
// key. The last four bytes of every page are its checksum (pager.h).
//
// Changes need an open write of the pager; the pages they free and take
// come from a PageSpace. A position (Pos) stays valid until the next change
// of the tree; epoch() tells when that happened.
#ifndef VEVERAVE_ENGINE_BTREE_H_
#define VEVERAVE_ENGINE_BTREE_H_

#include <cstdint>

#include "engine/pager.h"

namespace vv::engine {

inline constexpr uint8_t kLeafPage = 2;
inline constexpr uint8_t kInnerPage = 3;
inline constexpr uint8_t kRecordTreeTag = 1;
inline constexpr uint8_t kKeyTreeTag = 2;
inline constexpr std::size_t kMaxTreeKey = 264;
inline constexpr std::size_t kMaxTreeValue = 900;

class PageSpace {
 public:
  virtual uint32_t AllocatePage() = 0;  // a page number for a fresh page
  virtual void FreePage(uint32_t page) = 0;
  virtual ~PageSpace() = default;
};

using KeyCompare = int (*)(const void* context, const uint8_t* a, const uint8_t* b);

class BTree {
 public:
  // root: where the tree's root page number lives (0: empty tree).
  // tag: marks the tree's leaves (byte 1), so that a stale hint never
  // reads a leaf of another tree as one of this tree.
  BTree(Pager* pager, PageSpace* space, uint32_t* root, std::size_t key_size, KeyCompare compare,
        const void* context, uint8_t tag);

  struct Pos {
    uint32_t page = 0;
    int slot = 0;
    bool valid() const { return page != 0; }
    bool operator==(const Pos& o) const { return page == o.page && slot == o.slot; }
  };
  // An entry, with its page pinned while the Cell lives.
  struct Cell {
    PageRef ref;
    const uint8_t* key = nullptr;
    const uint8_t* value = nullptr;
    std::size_t value_size = 0;
  };

  Pos LowerBound(const uint8_t* key) const;  // first entry not below key
  Pos First() const;
  Pos Last() const;
  Pos Next(Pos pos) const;
  Pos Prev(Pos pos) const;
  Cell At(Pos pos) const;
  // The entry with this key; invalid when absent.
  Pos Find(const uint8_t* key) const;

  // Adds an entry, or replaces the value of the entry with this key.
  // Returns the leaf that holds it now.
  uint32_t Put(const uint8_t* key, const uint8_t* value, std::size_t value_size);
  // The entry with this key when the page is a leaf holding it (a hint
  // that may have gone stale); invalid otherwise.
  Pos FindIn(uint32_t page, const uint8_t* key) const;
  // Removes the entry with this key; false when there is none.
  bool Erase(const uint8_t* key);
  // Frees every page of the tree.
  void Destroy();

  std::size_t key_size() const { return key_size_; }
  uint64_t epoch() const { return epoch_; }
  // The pages changed under the tree (a write taken back): positions and
  // hints it holds are void.
  void Invalidate() { ++epoch_; }
  int Compare(const uint8_t* a, const uint8_t* b) const { return compare_(context_, a, b); }

 private:
  struct Path;
  uint32_t Descend(const uint8_t* key, Path* path) const;
  int LeafLowerBound(const uint8_t* leaf, const uint8_t* key) const;
  void InsertIntoParent(Path* path, int level, const uint8_t* sep, uint32_t child);
  void RemoveFromParent(Path* path, int level);
  void DestroyPage(uint32_t page);

  Pager* pager_;
  PageSpace* space_;
  uint32_t* root_;
  std::size_t key_size_;
  KeyCompare compare_;
  const void* context_;
  uint8_t tag_;
  uint64_t epoch_ = 0;
  // The last leaf as the last split left it, good while epoch_ is still
  // last_epoch_ (checked again before use).
  uint32_t last_leaf_ = 0;
  uint64_t last_epoch_ = 0;
};

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_BTREE_H_
