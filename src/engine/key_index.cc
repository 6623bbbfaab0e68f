#include "engine/key_index.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

namespace vv::engine {

namespace {

constexpr std::size_t kNodeBytes = 2048;  // room for the slots or children of one node
constexpr int kMaxHeight = 40;            // far above any tree of 2^32 entries
constexpr std::size_t kMaxSeparator = 8 + 256;
constexpr int kMaxInnerCapacity = 128;

std::size_t RoundUp8(std::size_t n) {
  return (n + 7) & ~std::size_t{7};
}

}  // namespace

struct LeafNode {
  int count;
  LeafNode* prev;
  LeafNode* next;
  // Followed by the slots.
};

struct InnerNode {
  int count;  // children
  int reserved;
  // Followed by the child pointers, then count - 1 separators (u64 stamp
  // and key bytes): every entry of child i is at or above separator i - 1
  // and below separator i.
};

struct KeyIndex::Path {
  InnerNode* node[kMaxHeight];
  int child[kMaxHeight];
};

namespace {

uint8_t* Slots(LeafNode* n) {
  return reinterpret_cast<uint8_t*>(n + 1);
}
void** Children(InnerNode* n) {
  return reinterpret_cast<void**>(n + 1);
}

}  // namespace

KeyIndex::KeyIndex(uint32_t index_id, KeyDef key_def, const std::vector<Acs>* acs)
    : id(index_id),
      def(std::move(key_def)),
      key_length(def.length()),
      acs_(acs),
      order_(OrderOf(def)),
      slot_size_(RoundUp8(sizeof(EntrySlot) + key_length)),
      separator_size_(RoundUp8(8 + key_length)),
      leaf_capacity_(static_cast<int>(std::max<std::size_t>(4, kNodeBytes / slot_size_))),
      inner_capacity_(static_cast<int>(std::clamp<std::size_t>(
          kNodeBytes / (sizeof(void*) + separator_size_), 4, kMaxInnerCapacity))),
      leaf_pool_(sizeof(LeafNode) + static_cast<std::size_t>(leaf_capacity_) * slot_size_),
      inner_pool_(sizeof(InnerNode) +
                  static_cast<std::size_t>(inner_capacity_) * (sizeof(void*) + separator_size_)) {
  spare_leaves_.reserve(4);
  spare_inners_.reserve(kMaxHeight + 2);
}

// The pools hold every node.
KeyIndex::~KeyIndex() = default;

namespace {

int CompareTreeKeys(const void* context, const uint8_t* a, const uint8_t* b) {
  const auto* index = static_cast<const KeyIndex*>(context);
  if (const int c = index->Compare(a, b); c != 0) return c;
  const uint64_t x = index->TreeStamp(a);
  const uint64_t y = index->TreeStamp(b);
  return x < y ? -1 : x > y ? 1 : 0;
}

}  // namespace

void KeyIndex::AttachTree(Pager* pager, PageSpace* space) {
  tree = std::make_unique<BTree>(pager, space, &root, key_length + 8, CompareTreeKeys, this,
                                 kKeyTreeTag);
}

void KeyIndex::TreeKey(const uint8_t* key, uint64_t stamp, uint8_t* out) const {
  std::memcpy(out, key, key_length);
  std::memcpy(out + key_length, &stamp, 8);
}

uint64_t KeyIndex::TreeStamp(const uint8_t* tree_key) const {
  uint64_t stamp;
  std::memcpy(&stamp, tree_key + key_length, 8);
  return stamp;
}

EntrySlot& KeyIndex::At(EntryRef ref) const {
  return *reinterpret_cast<EntrySlot*>(Slots(ref.leaf) +
                                       static_cast<std::size_t>(ref.slot) * slot_size_);
}

bool KeyIndex::SlotLess(const uint8_t* key, uint64_t stamp, const uint8_t* other_key,
                        uint64_t other_stamp) const {
  const int c = Compare(key, other_key);
  return c < 0 || (c == 0 && stamp < other_stamp);
}

LeafNode* KeyIndex::Descend(const uint8_t* key, uint64_t stamp, Path* path) const {
  void* node = root_;
  for (int level = 0; level < height_; ++level) {
    auto* inner = static_cast<InnerNode*>(node);
    const uint8_t* seps = reinterpret_cast<const uint8_t*>(Children(inner) + inner_capacity_);
    // Children left of the first separator above the probe.
    int lo = 0;
    int hi = inner->count - 1;
    while (lo < hi) {
      const int mid = (lo + hi) / 2;
      const uint8_t* sep = seps + static_cast<std::size_t>(mid) * separator_size_;
      uint64_t sep_stamp;
      std::memcpy(&sep_stamp, sep, 8);
      if (SlotLess(key, stamp, sep + 8, sep_stamp)) {
        hi = mid;
      } else {
        lo = mid + 1;
      }
    }
    if (path != nullptr) {
      path->node[level] = inner;
      path->child[level] = lo;
    }
    node = Children(inner)[lo];
  }
  return static_cast<LeafNode*>(node);
}

int KeyIndex::LeafLowerBound(const LeafNode* leaf, const uint8_t* key, uint64_t stamp) const {
  int lo = 0;
  int hi = leaf->count;
  while (lo < hi) {
    const int mid = (lo + hi) / 2;
    const EntrySlot& s = At(EntryRef{const_cast<LeafNode*>(leaf), mid});
    if (SlotLess(s.key(), s.stamp, key, stamp)) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return lo;
}

EntryRef KeyIndex::LowerBound(const uint8_t* key, uint64_t stamp) const {
  if (root_ == nullptr) return {};
  LeafNode* leaf = Descend(key, stamp, nullptr);
  const int i = LeafLowerBound(leaf, key, stamp);
  if (i < leaf->count) return {leaf, i};
  return leaf->next != nullptr ? EntryRef{leaf->next, 0} : EntryRef{};
}

EntryRef KeyIndex::Find(const uint8_t* key, uint64_t stamp) const {
  if (root_ == nullptr) return {};
  LeafNode* leaf = Descend(key, stamp, nullptr);
  const int i = LeafLowerBound(leaf, key, stamp);
  if (i == leaf->count) return {};
  const EntrySlot& s = At({leaf, i});
  return s.stamp == stamp && Compare(s.key(), key) == 0 ? EntryRef{leaf, i} : EntryRef{};
}

bool KeyIndex::AfterLast(const uint8_t* key, uint64_t stamp) const {
  const EntryRef last = Last();
  if (!last.valid()) return false;
  const EntrySlot& s = At(last);
  return SlotLess(s.key(), s.stamp, key, stamp);
}

EntryRef KeyIndex::First() const {
  if (root_ == nullptr) return {};
  void* node = root_;
  for (int level = 0; level < height_; ++level) node = Children(static_cast<InnerNode*>(node))[0];
  return {static_cast<LeafNode*>(node), 0};
}

EntryRef KeyIndex::Last() const {
  if (root_ == nullptr || size_ == 0) return {};
  void* node = root_;
  for (int level = 0; level < height_; ++level) {
    auto* inner = static_cast<InnerNode*>(node);
    node = Children(inner)[inner->count - 1];
  }
  auto* leaf = static_cast<LeafNode*>(node);
  return {leaf, leaf->count - 1};
}

EntryRef KeyIndex::Next(EntryRef ref) const {
  if (ref.slot + 1 < ref.leaf->count) return {ref.leaf, ref.slot + 1};
  return ref.leaf->next != nullptr ? EntryRef{ref.leaf->next, 0} : EntryRef{};
}

EntryRef KeyIndex::Prev(EntryRef ref) const {
  if (ref.slot > 0) return {ref.leaf, ref.slot - 1};
  LeafNode* prev = ref.leaf->prev;
  return prev != nullptr ? EntryRef{prev, prev->count - 1} : EntryRef{};
}

void KeyIndex::ReserveInsert(int count) {
  // Each insert may add a leaf and split every level above it (and a new
  // root); the tree may have grown by one level with each.
  const auto leaves = static_cast<std::size_t>(count);
  const auto inners = static_cast<std::size_t>(count * (height_ + count));
  if (spare_leaves_.capacity() < leaves) spare_leaves_.reserve(leaves);
  if (spare_inners_.capacity() < inners) spare_inners_.reserve(inners);
  while (spare_leaves_.size() < leaves) {
    spare_leaves_.push_back(leaf_pool_.Allocate());  // capacity reserved: cannot throw
  }
  while (spare_inners_.size() < inners) {
    spare_inners_.push_back(inner_pool_.Allocate());
  }
}

LeafNode* KeyIndex::NewLeaf() {
  auto* leaf = static_cast<LeafNode*>(spare_leaves_.back());
  spare_leaves_.pop_back();
  leaf->count = 0;
  leaf->prev = leaf->next = nullptr;
  return leaf;
}

InnerNode* KeyIndex::NewInner() {
  auto* inner = static_cast<InnerNode*>(spare_inners_.back());
  spare_inners_.pop_back();
  inner->count = 0;
  return inner;
}

void KeyIndex::FreeNode(void* node, bool leaf) {
  std::vector<void*>& spares = leaf ? spare_leaves_ : spare_inners_;
  if (spares.size() < spares.capacity()) {
    spares.push_back(node);
  } else {
    (leaf ? leaf_pool_ : inner_pool_).Free(node);
  }
}

void KeyIndex::Insert(const uint8_t* key, uint64_t stamp, uint32_t address, Record* record,
                      uint32_t added_by) {
  if (root_ == nullptr) {
    root_ = NewLeaf();
    height_ = 0;
  }
  Path path;
  LeafNode* leaf = nullptr;
  int i = 0;
  if (AfterLast(key, stamp)) {
    // Ascending keys (counters, dates) keep adding at the end: the place is
    // at the end of the rightmost path, no search needed.
    void* node = root_;
    for (int level = 0; level < height_; ++level) {
      auto* inner = static_cast<InnerNode*>(node);
      path.node[level] = inner;
      path.child[level] = inner->count - 1;
      node = Children(inner)[inner->count - 1];
    }
    leaf = static_cast<LeafNode*>(node);
    i = leaf->count;
  } else {
    leaf = Descend(key, stamp, &path);
    i = LeafLowerBound(leaf, key, stamp);
  }
  if (leaf->count == leaf_capacity_) {
    // Split; entries added at the very end (ascending keys) start a new leaf
    // instead of leaving two half-empty ones behind.
    LeafNode* right = NewLeaf();
    const bool append = i == leaf->count && leaf->next == nullptr;
    const int split = append ? leaf->count : leaf->count / 2;
    std::memcpy(Slots(right), Slots(leaf) + static_cast<std::size_t>(split) * slot_size_,
                static_cast<std::size_t>(leaf->count - split) * slot_size_);
    right->count = leaf->count - split;
    leaf->count = split;
    right->next = leaf->next;
    right->prev = leaf;
    if (leaf->next != nullptr) leaf->next->prev = right;
    leaf->next = right;
    if (append || i > split) {
      i -= split;
      leaf = right;
    }
    // The separator is filled once the new entry is in place.
    std::array<uint8_t, kMaxSeparator> sep;
    uint8_t* slot_base = Slots(leaf);
    std::memmove(slot_base + static_cast<std::size_t>(i + 1) * slot_size_,
                 slot_base + static_cast<std::size_t>(i) * slot_size_,
                 static_cast<std::size_t>(leaf->count - i) * slot_size_);
    EntrySlot& s = At({leaf, i});
    s = EntrySlot{stamp, record, address, added_by, 0, 0};
    std::memcpy(s.key(), key, key_length);
    ++leaf->count;
    const EntrySlot& first = At({right, 0});
    std::memcpy(sep.data(), &first.stamp, 8);
    std::memcpy(sep.data() + 8, first.key(), key_length);
    // Hang the new leaf into the inner nodes, splitting them as needed.
    void* child = right;
    for (int level = height_ - 1;; --level) {
      if (level < 0) {
        InnerNode* new_root = NewInner();
        Children(new_root)[0] = root_;
        Children(new_root)[1] = child;
        std::memcpy(Children(new_root) + inner_capacity_, sep.data(), separator_size_);
        new_root->count = 2;
        root_ = new_root;
        ++height_;
        break;
      }
      InnerNode* inner = path.node[level];
      const int at = path.child[level] + 1;  // the new child's place
      void** children = Children(inner);
      uint8_t* seps = reinterpret_cast<uint8_t*>(children + inner_capacity_);
      if (inner->count < inner_capacity_) {
        std::memmove(children + at + 1, children + at,
                     sizeof(void*) * static_cast<std::size_t>(inner->count - at));
        children[at] = child;
        std::memmove(seps + static_cast<std::size_t>(at) * separator_size_,
                     seps + static_cast<std::size_t>(at - 1) * separator_size_,
                     separator_size_ * static_cast<std::size_t>(inner->count - at));
        std::memcpy(seps + static_cast<std::size_t>(at - 1) * separator_size_, sep.data(),
                    separator_size_);
        ++inner->count;
        break;
      }
      // Full: lay out all children and separators with the new one, then
      // split them in two; the middle separator moves up.
      std::array<void*, kMaxInnerCapacity + 1> all_children;
      std::array<uint8_t, (kMaxInnerCapacity)*kMaxSeparator> all_seps;
      const int n = inner->count;
      std::copy(children, children + at, all_children.begin());
      all_children[static_cast<std::size_t>(at)] = child;
      std::copy(children + at, children + n, all_children.begin() + at + 1);
      std::memcpy(all_seps.data(), seps, static_cast<std::size_t>(at - 1) * separator_size_);
      std::memcpy(all_seps.data() + static_cast<std::size_t>(at - 1) * separator_size_, sep.data(),
                  separator_size_);
      std::memcpy(all_seps.data() + static_cast<std::size_t>(at) * separator_size_,
                  seps + static_cast<std::size_t>(at - 1) * separator_size_,
                  static_cast<std::size_t>(n - at) * separator_size_);
      const int total = n + 1;
      const int left = total / 2;
      InnerNode* right_inner = NewInner();
      std::copy(all_children.begin(), all_children.begin() + left, children);
      std::memcpy(seps, all_seps.data(), static_cast<std::size_t>(left - 1) * separator_size_);
      inner->count = left;
      std::copy(all_children.begin() + left, all_children.begin() + total, Children(right_inner));
      std::memcpy(Children(right_inner) + inner_capacity_,
                  all_seps.data() + static_cast<std::size_t>(left) * separator_size_,
                  static_cast<std::size_t>(total - left - 1) * separator_size_);
      right_inner->count = total - left;
      std::memcpy(sep.data(),
                  all_seps.data() + static_cast<std::size_t>(left - 1) * separator_size_,
                  separator_size_);
      child = right_inner;
    }
  } else {
    uint8_t* slot_base = Slots(leaf);
    std::memmove(slot_base + static_cast<std::size_t>(i + 1) * slot_size_,
                 slot_base + static_cast<std::size_t>(i) * slot_size_,
                 static_cast<std::size_t>(leaf->count - i) * slot_size_);
    EntrySlot& s = At({leaf, i});
    s = EntrySlot{stamp, record, address, added_by, 0, 0};
    std::memcpy(s.key(), key, key_length);
    ++leaf->count;
  }
  ++size_;
  ++epoch_;
}

void KeyIndex::RemoveChild(Path* path, int level) {
  for (; level >= 0; --level) {
    InnerNode* inner = path->node[level];
    const int at = path->child[level];
    void** children = Children(inner);
    uint8_t* seps = reinterpret_cast<uint8_t*>(children + inner_capacity_);
    const int n = inner->count;
    std::memmove(children + at, children + at + 1,
                 sizeof(void*) * static_cast<std::size_t>(n - at - 1));
    // The separator below the removed child goes (above it for the first):
    // the bounds of its neighbours stay true.
    const int sep = at == 0 ? 0 : at - 1;
    if (n > 1) {
      std::memmove(seps + static_cast<std::size_t>(sep) * separator_size_,
                   seps + static_cast<std::size_t>(sep + 1) * separator_size_,
                   static_cast<std::size_t>(n - 2 - sep) * separator_size_);
    }
    inner->count = n - 1;
    if (inner->count > 0) break;
    FreeNode(inner, false);
    if (level == 0) {
      root_ = nullptr;
      height_ = 0;
      return;
    }
  }
  // A root with one child gives way to it.
  while (height_ > 0 && static_cast<InnerNode*>(root_)->count == 1) {
    auto* old = static_cast<InnerNode*>(root_);
    root_ = Children(old)[0];
    --height_;
    FreeNode(old, false);
  }
}

void KeyIndex::Erase(const uint8_t* key, uint64_t stamp) {
  if (root_ == nullptr) return;
  Path path;
  LeafNode* leaf = Descend(key, stamp, &path);
  const int i = LeafLowerBound(leaf, key, stamp);
  if (i == leaf->count) return;
  const EntrySlot& s = At({leaf, i});
  if (s.stamp != stamp || Compare(s.key(), key) != 0) return;
  uint8_t* slot_base = Slots(leaf);
  std::memmove(slot_base + static_cast<std::size_t>(i) * slot_size_,
               slot_base + static_cast<std::size_t>(i + 1) * slot_size_,
               static_cast<std::size_t>(leaf->count - i - 1) * slot_size_);
  --leaf->count;
  --size_;
  ++epoch_;
  if (leaf->count > 0) return;
  if (leaf->prev != nullptr) leaf->prev->next = leaf->next;
  if (leaf->next != nullptr) leaf->next->prev = leaf->prev;
  FreeNode(leaf, true);
  if (height_ == 0) {
    root_ = nullptr;
    return;
  }
  RemoveChild(&path, height_ - 1);
}

}  // namespace vv::engine
