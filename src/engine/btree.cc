#include "engine/btree.h"

#include <cstring>
#include <vector>

#include "engine/byte_order.h"
#include "veverave/btrieve.h"

namespace vv::engine {

namespace {

constexpr std::size_t kLeafHead = 16;
constexpr std::size_t kInnerHead = 8;
constexpr std::size_t kUsable = kPageSize - 4;  // the checksum takes the rest
constexpr int kMaxDepth = 32;

// Leaf fields.
uint16_t Count(const uint8_t* p) {
  return LoadU16(p + 2);
}
uint16_t CellTop(const uint8_t* p) {
  return LoadU16(p + 4);
}
uint16_t Freed(const uint8_t* p) {
  return LoadU16(p + 6);
}
uint32_t PrevLeaf(const uint8_t* p) {
  return LoadU32(p + 8);
}
uint32_t NextLeaf(const uint8_t* p) {
  return LoadU32(p + 12);
}
uint16_t SlotAt(const uint8_t* p, int i) {
  return LoadU16(p + kLeafHead + 2 * static_cast<std::size_t>(i));
}

void InitLeaf(uint8_t* p, uint8_t tag) {
  std::memset(p, 0, kLeafHead);
  p[0] = kLeafPage;
  p[1] = tag;
  StoreU16(p + 4, static_cast<uint16_t>(kUsable));
}

void CheckType(const uint8_t* p, uint8_t type) {
  if (p[0] != type) throw StorageError{BTR_STATUS_IO_ERROR};  // a page of another kind: damage
}

}  // namespace

struct BTree::Path {
  uint32_t page[kMaxDepth];
  int child[kMaxDepth];
  int depth = 0;
};

BTree::BTree(Pager* pager, PageSpace* space, uint32_t* root, std::size_t key_size,
             KeyCompare compare, const void* context, uint8_t tag)
    : pager_(pager),
      space_(space),
      root_(root),
      key_size_(key_size),
      compare_(compare),
      context_(context),
      tag_(tag) {}

namespace {

// Inner page helpers for keys of size k.
std::size_t PairSize(std::size_t k) {
  return k + 4;
}
uint8_t* PairAt(uint8_t* p, std::size_t k, int j) {
  return p + kInnerHead + PairSize(k) * static_cast<std::size_t>(j);
}
const uint8_t* PairAt(const uint8_t* p, std::size_t k, int j) {
  return p + kInnerHead + PairSize(k) * static_cast<std::size_t>(j);
}
uint32_t ChildAt(const uint8_t* p, std::size_t k, int i) {
  return i == 0 ? LoadU32(p + 4) : LoadU32(PairAt(p, k, i - 1) + k);
}
int InnerCapacity(std::size_t k) {
  return static_cast<int>((kUsable - kInnerHead) / PairSize(k));
}

std::size_t CellSize(const uint8_t* p, uint16_t offset, std::size_t k) {
  return 2 + k + LoadU16(p + offset);
}

// Rewrites a leaf's cells without gaps.
void Defragment(uint8_t* p, std::size_t k) {
  uint8_t copy[kPageSize];
  std::memcpy(copy, p, kPageSize);
  std::size_t top = kUsable;
  const int n = Count(p);
  for (int i = 0; i < n; ++i) {
    const uint16_t at = SlotAt(copy, i);
    const std::size_t size = CellSize(copy, at, k);
    top -= size;
    std::memcpy(p + top, copy + at, size);
    StoreU16(p + kLeafHead + 2 * static_cast<std::size_t>(i), static_cast<uint16_t>(top));
  }
  StoreU16(p + 4, static_cast<uint16_t>(top));
  StoreU16(p + 6, 0);
}

// Adds a cell at slot i; the room must be there (after defragmenting).
void AddCell(uint8_t* p, std::size_t k, int i, const uint8_t* key, const uint8_t* value,
             std::size_t n) {
  const int count = Count(p);
  const std::size_t size = 2 + k + n;
  const std::size_t top = CellTop(p) - size;
  StoreU16(p + top, static_cast<uint16_t>(n));
  std::memcpy(p + top + 2, key, k);
  if (n > 0) std::memcpy(p + top + 2 + k, value, n);
  uint8_t* slots = p + kLeafHead;
  std::memmove(slots + 2 * static_cast<std::size_t>(i + 1), slots + 2 * static_cast<std::size_t>(i),
               2 * static_cast<std::size_t>(count - i));
  StoreU16(slots + 2 * static_cast<std::size_t>(i), static_cast<uint16_t>(top));
  StoreU16(p + 2, static_cast<uint16_t>(count + 1));
  StoreU16(p + 4, static_cast<uint16_t>(top));
}

void RemoveCell(uint8_t* p, std::size_t k, int i) {
  const int count = Count(p);
  const uint16_t at = SlotAt(p, i);
  const std::size_t size = CellSize(p, at, k);
  uint8_t* slots = p + kLeafHead;
  std::memmove(slots + 2 * static_cast<std::size_t>(i), slots + 2 * static_cast<std::size_t>(i + 1),
               2 * static_cast<std::size_t>(count - i - 1));
  StoreU16(p + 2, static_cast<uint16_t>(count - 1));
  if (at == CellTop(p)) {
    StoreU16(p + 4, static_cast<uint16_t>(at + size));
  } else {
    StoreU16(p + 6, static_cast<uint16_t>(Freed(p) + size));
  }
}

std::size_t Gap(const uint8_t* p) {
  return CellTop(p) - (kLeafHead + 2 * static_cast<std::size_t>(Count(p)));
}

}  // namespace

uint32_t BTree::Descend(const uint8_t* key, Path* path) const {
  uint32_t page = *root_;
  int level = 0;
  for (;;) {
    PageRef ref = pager_->Read(page);
    const uint8_t* p = ref.data();
    if (p[0] == kLeafPage) break;
    CheckType(p, kInnerPage);
    if (level == kMaxDepth) throw StorageError{BTR_STATUS_IO_ERROR};
    int lo = 0;
    int hi = Count(p);
    while (lo < hi) {
      const int mid = (lo + hi) / 2;
      if (Compare(key, PairAt(p, key_size_, mid)) >= 0) {
        lo = mid + 1;
      } else {
        hi = mid;
      }
    }
    if (path != nullptr) {
      path->page[level] = page;
      path->child[level] = lo;
    }
    ++level;
    page = ChildAt(p, key_size_, lo);
  }
  if (path != nullptr) path->depth = level;
  return page;
}

int BTree::LeafLowerBound(const uint8_t* p, const uint8_t* key) const {
  int lo = 0;
  int hi = Count(p);
  while (lo < hi) {
    const int mid = (lo + hi) / 2;
    if (Compare(p + SlotAt(p, mid) + 2, key) < 0) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return lo;
}

BTree::Pos BTree::LowerBound(const uint8_t* key) const {
  if (*root_ == 0) return {};
  const uint32_t leaf = Descend(key, nullptr);
  PageRef ref = pager_->Read(leaf);
  const int i = LeafLowerBound(ref.data(), key);
  if (i < Count(ref.data())) return {leaf, i};
  if (Count(ref.data()) == 0) {
    // An empty leaf (only a root leaf can be): nothing at all.
    const uint32_t next = NextLeaf(ref.data());
    return next == 0 ? Pos{} : Next(Pos{next, -1});
  }
  return Next(Pos{leaf, i - 1});
}

BTree::Pos BTree::Find(const uint8_t* key) const {
  const Pos pos = LowerBound(key);
  if (!pos.valid()) return {};
  return Compare(At(pos).key, key) == 0 ? pos : Pos{};
}

BTree::Pos BTree::First() const {
  if (*root_ == 0) return {};
  uint32_t page = *root_;
  for (int level = 0;; ++level) {
    PageRef ref = pager_->Read(page);
    if (ref.data()[0] == kLeafPage) {
      if (Count(ref.data()) > 0) return {page, 0};
      return Next(Pos{page, -1});
    }
    CheckType(ref.data(), kInnerPage);
    if (level == kMaxDepth) throw StorageError{BTR_STATUS_IO_ERROR};
    page = ChildAt(ref.data(), key_size_, 0);
  }
}

BTree::Pos BTree::Last() const {
  if (*root_ == 0) return {};
  uint32_t page = *root_;
  for (int level = 0;; ++level) {
    PageRef ref = pager_->Read(page);
    if (ref.data()[0] == kLeafPage) {
      const int n = Count(ref.data());
      if (n > 0) return {page, n - 1};
      return Prev(Pos{page, 0});
    }
    CheckType(ref.data(), kInnerPage);
    if (level == kMaxDepth) throw StorageError{BTR_STATUS_IO_ERROR};
    page = ChildAt(ref.data(), key_size_, Count(ref.data()));
  }
}

BTree::Pos BTree::Next(Pos pos) const {
  PageRef ref = pager_->Read(pos.page);
  CheckType(ref.data(), kLeafPage);
  if (pos.slot + 1 < Count(ref.data())) return {pos.page, pos.slot + 1};
  for (uint32_t page = NextLeaf(ref.data()); page != 0;) {
    ref = pager_->Read(page);
    CheckType(ref.data(), kLeafPage);
    if (Count(ref.data()) > 0) return {page, 0};
    page = NextLeaf(ref.data());
  }
  return {};
}

BTree::Pos BTree::Prev(Pos pos) const {
  PageRef ref = pager_->Read(pos.page);
  CheckType(ref.data(), kLeafPage);
  if (pos.slot > 0) return {pos.page, pos.slot - 1};
  for (uint32_t page = PrevLeaf(ref.data()); page != 0;) {
    ref = pager_->Read(page);
    CheckType(ref.data(), kLeafPage);
    const int n = Count(ref.data());
    if (n > 0) return {page, n - 1};
    page = PrevLeaf(ref.data());
  }
  return {};
}

BTree::Cell BTree::At(Pos pos) const {
  Cell cell;
  cell.ref = pager_->Read(pos.page);
  const uint8_t* p = cell.ref.data();
  CheckType(p, kLeafPage);
  if (pos.slot < 0 || pos.slot >= Count(p)) throw StorageError{BTR_STATUS_IO_ERROR};
  const uint16_t at = SlotAt(p, pos.slot);
  if (at < kLeafHead || CellSize(p, at, key_size_) > kUsable - at) {
    throw StorageError{BTR_STATUS_IO_ERROR};
  }
  cell.key = p + at + 2;
  cell.value = cell.key + key_size_;
  cell.value_size = LoadU16(p + at);
  return cell;
}

uint32_t BTree::Put(const uint8_t* key, const uint8_t* value, std::size_t n) {
  // The last leaf is known while nothing else changed the tree since.
  const bool last_known = last_leaf_ != 0 && last_epoch_ == epoch_;
  ++epoch_;
  if (*root_ == 0) {
    const uint32_t page = space_->AllocatePage();
    PageRef ref = pager_->Fresh(page);
    InitLeaf(ref.data(), tag_);
    *root_ = page;
  }
  // Keys added in ascending order (addresses, counters) go to the end of
  // the last leaf: while it has room, no search from the root.
  if (last_known) {
    PageRef last = pager_->Read(last_leaf_);
    uint8_t* p = last.data();
    const int count = Count(p);
    const std::size_t need = 2 + 2 + key_size_ + n;
    if (p[0] == kLeafPage && p[1] == tag_ && NextLeaf(p) == 0 && count > 0 && Gap(p) >= need &&
        Compare(p + SlotAt(p, count - 1) + 2, key) < 0) {
      last.Reset();
      PageRef ref = pager_->Write(last_leaf_);
      AddCell(ref.data(), key_size_, count, key, value, n);
      last_epoch_ = epoch_;
      return last_leaf_;
    }
  }
  Path path;
  const uint32_t leaf = Descend(key, &path);
  PageRef ref = pager_->Write(leaf);
  uint8_t* p = ref.data();
  int i = LeafLowerBound(p, key);
  if (i < Count(p) && Compare(p + SlotAt(p, i) + 2, key) == 0) {
    const uint16_t at = SlotAt(p, i);
    if (LoadU16(p + at) == n) {
      if (n > 0) std::memcpy(p + at + 2 + key_size_, value, n);
      return leaf;
    }
    RemoveCell(p, key_size_, i);
  }
  const std::size_t need = 2 + 2 + key_size_ + n;
  if (Gap(p) < need && Gap(p) + Freed(p) >= need) Defragment(p, key_size_);
  if (Gap(p) >= need) {
    AddCell(p, key_size_, i, key, value, n);
    return leaf;
  }

  // Split: the cells with the new one, in order, shared between this leaf
  // and a new right neighbour. A new last entry of the last leaf (keys
  // added in ascending order) starts the new leaf alone, so that loads in
  // key order leave full leaves behind.
  uint8_t copy[kPageSize];
  std::memcpy(copy, p, kPageSize);
  const int count = Count(copy);
  std::vector<uint8_t> fresh(2 + key_size_ + n);
  StoreU16(fresh.data(), static_cast<uint16_t>(n));
  std::memcpy(fresh.data() + 2, key, key_size_);
  if (n > 0) std::memcpy(fresh.data() + 2 + key_size_, value, n);
  auto cell = [&](int j) -> const uint8_t* {
    if (j == i) return fresh.data();
    return copy + SlotAt(copy, j < i ? j : j - 1);
  };
  const int total = count + 1;
  int split = 0;
  if (i == count && NextLeaf(copy) == 0) {
    split = count;
  } else {
    std::size_t bytes = 0;
    std::size_t all = 0;
    for (int j = 0; j < total; ++j) all += 2 + CellSize(cell(j), 0, key_size_);
    while (split < total - 1 && bytes + (2 + CellSize(cell(split), 0, key_size_)) <= all / 2) {
      bytes += 2 + CellSize(cell(split), 0, key_size_);
      ++split;
    }
    if (split == 0) split = 1;
  }
  const uint32_t right_page = space_->AllocatePage();
  PageRef right_ref = pager_->Fresh(right_page);
  uint8_t* r = right_ref.data();
  InitLeaf(r, tag_);
  InitLeaf(p, tag_);
  for (int j = 0; j < total; ++j) {
    const uint8_t* c = cell(j);
    uint8_t* target = j < split ? p : r;
    AddCell(target, key_size_, Count(target), c + 2, c + 2 + key_size_, LoadU16(c));
  }
  const uint32_t old_next = NextLeaf(copy);
  StoreU32(p + 8, PrevLeaf(copy));
  StoreU32(p + 12, right_page);
  StoreU32(r + 8, leaf);
  StoreU32(r + 12, old_next);
  if (old_next != 0) {
    PageRef next = pager_->Write(old_next);
    StoreU32(next.data() + 8, right_page);
  }
  uint8_t sep[kMaxTreeKey];
  std::memcpy(sep, r + SlotAt(r, 0) + 2, key_size_);
  ref.Reset();
  right_ref.Reset();
  InsertIntoParent(&path, path.depth - 1, sep, right_page);
  if (old_next == 0) {
    last_leaf_ = right_page;
    last_epoch_ = epoch_;
  }
  return i < split ? leaf : right_page;
}

BTree::Pos BTree::FindIn(uint32_t page, const uint8_t* key) const {
  if (page == 0) return {};
  PageRef ref = pager_->Read(page);
  const uint8_t* p = ref.data();
  if (p[0] != kLeafPage || p[1] != tag_ || Count(p) == 0) return {};
  const int i = LeafLowerBound(p, key);
  if (i == Count(p) || Compare(p + SlotAt(p, i) + 2, key) != 0) return {};
  return {page, i};
}

void BTree::InsertIntoParent(Path* path, int level, const uint8_t* sep, uint32_t child) {
  const std::size_t k = key_size_;
  if (level < 0) {
    const uint32_t page = space_->AllocatePage();
    PageRef ref = pager_->Fresh(page);
    uint8_t* p = ref.data();
    p[0] = kInnerPage;
    StoreU16(p + 2, 1);
    StoreU32(p + 4, *root_);
    std::memcpy(PairAt(p, k, 0), sep, k);
    StoreU32(PairAt(p, k, 0) + k, child);
    *root_ = page;
    return;
  }
  const uint32_t page = path->page[level];
  const int at = path->child[level];  // the new pair goes right after this child
  PageRef ref = pager_->Write(page);
  uint8_t* p = ref.data();
  const int n = Count(p);
  if (n < InnerCapacity(k)) {
    std::memmove(PairAt(p, k, at + 1), PairAt(p, k, at),
                 PairSize(k) * static_cast<std::size_t>(n - at));
    std::memcpy(PairAt(p, k, at), sep, k);
    StoreU32(PairAt(p, k, at) + k, child);
    StoreU16(p + 2, static_cast<uint16_t>(n + 1));
    return;
  }
  // Full: lay out all pairs with the new one and split them; the middle
  // key moves up.
  std::vector<uint8_t> pairs(PairSize(k) * static_cast<std::size_t>(n + 1));
  std::memcpy(pairs.data(), PairAt(p, k, 0), PairSize(k) * static_cast<std::size_t>(at));
  std::memcpy(pairs.data() + PairSize(k) * static_cast<std::size_t>(at), sep, k);
  StoreU32(pairs.data() + PairSize(k) * static_cast<std::size_t>(at) + k, child);
  std::memcpy(pairs.data() + PairSize(k) * static_cast<std::size_t>(at + 1), PairAt(p, k, at),
              PairSize(k) * static_cast<std::size_t>(n - at));
  const int mid = (n + 1) / 2;
  const uint8_t* up = pairs.data() + PairSize(k) * static_cast<std::size_t>(mid);
  const uint32_t right_page = space_->AllocatePage();
  PageRef right_ref = pager_->Fresh(right_page);
  uint8_t* r = right_ref.data();
  r[0] = kInnerPage;
  StoreU32(r + 4, LoadU32(up + k));
  const int right_n = n - mid;
  std::memcpy(PairAt(r, k, 0), up + PairSize(k), PairSize(k) * static_cast<std::size_t>(right_n));
  StoreU16(r + 2, static_cast<uint16_t>(right_n));
  std::memcpy(PairAt(p, k, 0), pairs.data(), PairSize(k) * static_cast<std::size_t>(mid));
  StoreU16(p + 2, static_cast<uint16_t>(mid));
  uint8_t up_key[kMaxTreeKey];
  std::memcpy(up_key, up, k);
  ref.Reset();
  right_ref.Reset();
  InsertIntoParent(path, level - 1, up_key, right_page);
}

bool BTree::Erase(const uint8_t* key) {
  if (*root_ == 0) return false;
  Path path;
  const uint32_t leaf = Descend(key, &path);
  {
    PageRef probe = pager_->Read(leaf);
    const int i = LeafLowerBound(probe.data(), key);
    if (i == Count(probe.data()) || Compare(probe.data() + SlotAt(probe.data(), i) + 2, key) != 0) {
      return false;
    }
  }
  ++epoch_;
  PageRef ref = pager_->Write(leaf);
  uint8_t* p = ref.data();
  RemoveCell(p, key_size_, LeafLowerBound(p, key));
  if (Count(p) > 0) return true;
  // The leaf empties: out of the chain and out of the tree.
  const uint32_t prev = PrevLeaf(p);
  const uint32_t next = NextLeaf(p);
  ref.Reset();
  if (prev != 0) StoreU32(pager_->Write(prev).data() + 12, next);
  if (next != 0) StoreU32(pager_->Write(next).data() + 8, prev);
  space_->FreePage(leaf);
  if (path.depth == 0) {
    *root_ = 0;
    return true;
  }
  RemoveFromParent(&path, path.depth - 1);
  return true;
}

void BTree::RemoveFromParent(Path* path, int level) {
  const std::size_t k = key_size_;
  const uint32_t page = path->page[level];
  const int c = path->child[level];
  PageRef ref = pager_->Write(page);
  uint8_t* p = ref.data();
  const int n = Count(p);
  if (n == 0) {
    ref.Reset();
    space_->FreePage(page);
    if (level == 0) {
      *root_ = 0;
    } else {
      RemoveFromParent(path, level - 1);
    }
    return;
  }
  // Child 0 is replaced by the child of the first pair; any other child
  // goes with the key before it.
  const int pair = c == 0 ? 0 : c - 1;
  if (c == 0) StoreU32(p + 4, LoadU32(PairAt(p, k, 0) + k));
  std::memmove(PairAt(p, k, pair), PairAt(p, k, pair + 1),
               PairSize(k) * static_cast<std::size_t>(n - pair - 1));
  StoreU16(p + 2, static_cast<uint16_t>(n - 1));
  ref.Reset();
  // A root with one child gives way to it.
  while (*root_ != 0) {
    PageRef root = pager_->Read(*root_);
    if (root.data()[0] != kInnerPage || Count(root.data()) > 0) break;
    const uint32_t old = *root_;
    *root_ = LoadU32(root.data() + 4);
    root.Reset();
    space_->FreePage(old);
  }
}

void BTree::Destroy() {
  ++epoch_;
  if (*root_ != 0) DestroyPage(*root_);
  *root_ = 0;
}

void BTree::DestroyPage(uint32_t page) {
  std::vector<uint32_t> children;
  {
    PageRef ref = pager_->Read(page);
    if (ref.data()[0] == kInnerPage) {
      for (int i = 0; i <= Count(ref.data()); ++i)
        children.push_back(ChildAt(ref.data(), key_size_, i));
    }
  }
  for (const uint32_t child : children) DestroyPage(child);
  space_->FreePage(page);
}

}  // namespace vv::engine
