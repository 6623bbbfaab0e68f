// The entries of one key: (key value, stamp) pairs with the record they
// belong to, ordered in an in-memory B+tree whose nodes hold the key bytes
// themselves, so that a search touches a few contiguous nodes. Keys compare
// by the key definition; equal keys keep the order of their stamps, which
// grow with every change, so duplicates stay in insertion order. Searches,
// inserts and erases are O(log n); stepping to a neighbour is O(1).
//
// Uncommitted changes live in the same tree: an entry added by a transaction
// that has not ended carries its id in added_by, a committed entry that such
// a transaction removed carries it in removed_by. Each client's walks skip
// what it may not see (Visible).
//
// That tree holds only what transactions have not committed yet: the
// committed entries of a key live in its tree of the file's pages (tree,
// keyed by the key bytes followed by the stamp, with the record's address as
// value), and the in-memory tree holds the entries transactions added and a
// copy of each committed entry a transaction removed, marked so (key_view.h
// merges the two).
//
// A position (EntryRef) stays valid until the next insert or erase in the
// index; epoch() tells when that happened. Records name their entries by
// stamp (the key bytes come from their image).
#ifndef VEVERAVE_ENGINE_KEY_INDEX_H_
#define VEVERAVE_ENGINE_KEY_INDEX_H_

#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "engine/btree.h"
#include "engine/key_def.h"
#include "engine/key_order.h"
#include "engine/node_pool.h"

namespace vv::engine {

struct Record;

// One entry; its key bytes (the index's key length) follow it in the node.
struct EntrySlot {
  uint64_t stamp;
  Record* record;  // map nodes of records do not move
  uint32_t address;
  uint32_t added_by;  // transaction ids; 0: none
  uint32_t removed_by;
  uint32_t reserved;
  const uint8_t* key() const { return reinterpret_cast<const uint8_t*>(this + 1); }
  uint8_t* key() { return reinterpret_cast<uint8_t*>(this + 1); }
};

inline constexpr uint64_t kStampBeforeAll = 0;
inline constexpr uint64_t kStampAfterAll = std::numeric_limits<uint64_t>::max();

// Whether the transaction txn (0 for a client outside any) sees the entry.
inline bool Visible(const EntrySlot& e, uint32_t txn) {
  if (e.added_by != 0 && e.added_by != txn) return false;
  return e.removed_by == 0 || e.removed_by != txn;
}

struct LeafNode;
struct InnerNode;

// A position in the index; !valid() past either end.
struct EntryRef {
  LeafNode* leaf = nullptr;
  int slot = 0;
  bool valid() const { return leaf != nullptr; }
  bool operator==(const EntryRef& o) const { return leaf == o.leaf && slot == o.slot; }
};

class KeyIndex {
 public:
  KeyIndex(uint32_t index_id, KeyDef key_def, const std::vector<Acs>* acs);
  ~KeyIndex();
  KeyIndex(const KeyIndex&) = delete;
  KeyIndex& operator=(const KeyIndex&) = delete;

  uint32_t id;
  KeyDef def;
  std::size_t key_length;

  int Compare(const uint8_t* a, const uint8_t* b) const {
    return order_ == KeyOrder::kGeneral ? CompareKeys(def, a, b, *acs_)
                                        : CompareInOrder(order_, key_length, a, b);
  }

  // The entry at a valid position.
  EntrySlot& At(EntryRef ref) const;

  // First entry not below (key, stamp); invalid when none.
  EntryRef LowerBound(const uint8_t* key, uint64_t stamp) const;
  // The entry (key, stamp) itself; invalid when absent.
  EntryRef Find(const uint8_t* key, uint64_t stamp) const;
  EntryRef First() const;
  EntryRef Last() const;
  // Whether (key, stamp) would sort after every entry (false when empty).
  bool AfterLast(const uint8_t* key, uint64_t stamp) const;
  EntryRef Next(EntryRef ref) const;
  EntryRef Prev(EntryRef ref) const;

  // Makes sure the next count Inserts need no memory (may throw
  // std::bad_alloc).
  void ReserveInsert(int count = 1);
  // Adds an entry; cannot fail after ReserveInsert. (key, stamp) must be new.
  void Insert(const uint8_t* key, uint64_t stamp, uint32_t address, Record* record,
              uint32_t added_by);
  // Removes the entry (key, stamp) if present; cannot fail.
  void Erase(const uint8_t* key, uint64_t stamp);
  std::size_t size() const { return size_; }
  uint64_t epoch() const { return epoch_; }

  // The committed entries in the file's pages.
  uint32_t root = 0;
  uint32_t distinct = 0;  // committed entries with different key values
  std::unique_ptr<BTree> tree;
  void AttachTree(Pager* pager, PageSpace* space);
  // A key of the tree: the key bytes and the stamp.
  void TreeKey(const uint8_t* key, uint64_t stamp, uint8_t* out) const;
  // The stamp and address of a tree entry.
  uint64_t TreeStamp(const uint8_t* tree_key) const;

 private:
  struct Path;
  bool SlotLess(const uint8_t* key, uint64_t stamp, const uint8_t* other_key,
                uint64_t other_stamp) const;
  LeafNode* Descend(const uint8_t* key, uint64_t stamp, Path* path) const;
  int LeafLowerBound(const LeafNode* leaf, const uint8_t* key, uint64_t stamp) const;
  LeafNode* NewLeaf();
  InnerNode* NewInner();
  void FreeNode(void* node, bool leaf);
  void RemoveChild(Path* path, int level);

  const std::vector<Acs>* acs_;
  KeyOrder order_;  // from the segments, which stay as they are for the life of the index
  std::size_t slot_size_;
  std::size_t separator_size_;
  int leaf_capacity_;
  int inner_capacity_;  // children
  NodePool leaf_pool_;
  NodePool inner_pool_;
  void* root_ = nullptr;
  int height_ = 0;  // levels of inner nodes above the leaves
  std::size_t size_ = 0;
  uint64_t epoch_ = 0;
  std::vector<void*> spare_leaves_;
  std::vector<void*> spare_inners_;
};

// How a Get operation searches a key (key_view.h).
enum class Seek { kEqual, kGreater, kGreaterOrEqual, kLess, kLessOrEqual, kFirst, kLast };

// Whether a key value may join a unique key (key_view.h).
enum class UniqueCheck { kFree, kDuplicate, kLocked };

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_KEY_INDEX_H_
