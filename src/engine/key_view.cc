#include "engine/key_view.h"

#include <cstring>

#include "engine/byte_order.h"
#include "engine/record_changes.h"

namespace vv::engine {

namespace {

ViewEntry FromOverlay(const KeyIndex& index, EntryRef ref) {
  const EntrySlot& e = index.At(ref);
  ViewEntry v;
  v.valid = true;
  v.address = e.address;
  v.stamp = e.stamp;
  std::memcpy(v.key.data(), e.key(), index.key_length);
  return v;
}

// Tree entry against in-memory entry, by key, then stamp.
int CompareMixed(const KeyIndex& index, const ViewEntry& t, const EntrySlot& o) {
  if (const int c = index.Compare(t.key.data(), o.key()); c != 0) return c;
  return t.stamp < o.stamp ? -1 : t.stamp > o.stamp ? 1 : 0;
}

bool AddedBy(const EntrySlot& e, uint32_t txn) {
  return e.added_by != 0 && e.added_by == txn;
}
bool RemovedBy(const EntrySlot& e, uint32_t txn) {
  return e.removed_by != 0 && e.removed_by == txn;
}

// The first entry txn sees, from the candidates p (tree) and o (memory) on.
ViewEntry Forward(const KeyIndex& index, BTree::Pos p, EntryRef o, uint32_t txn) {
  for (;;) {
    ViewEntry t;
    if (p.valid()) t = TreeEntry(index, p);
    if (!o.valid()) return t;
    const EntrySlot& e = index.At(o);
    const int c = p.valid() ? CompareMixed(index, t, e) : 1;
    if (c < 0) return t;
    if (c > 0) {
      if (AddedBy(e, txn)) return FromOverlay(index, o);
      o = index.Next(o);
      continue;
    }
    // The in-memory copy of this committed entry: a transaction removed it.
    if (!RemovedBy(e, txn)) return t;
    p = index.tree->Next(p);
    o = index.Next(o);
  }
}

// The last entry txn sees, from the candidates p and o back.
ViewEntry Backward(const KeyIndex& index, BTree::Pos p, EntryRef o, uint32_t txn) {
  for (;;) {
    ViewEntry t;
    if (p.valid()) t = TreeEntry(index, p);
    if (!o.valid()) return t;
    const EntrySlot& e = index.At(o);
    const int c = p.valid() ? CompareMixed(index, t, e) : -1;
    if (c > 0) return t;
    if (c < 0) {
      if (AddedBy(e, txn)) return FromOverlay(index, o);
      o = index.Prev(o);
      continue;
    }
    if (!RemovedBy(e, txn)) return t;
    p = index.tree->Prev(p);
    o = index.Prev(o);
  }
}

ViewEntry ForwardFrom(const KeyIndex& index, const uint8_t* key, uint64_t stamp, uint32_t txn) {
  uint8_t probe[kMaxTreeKey];
  index.TreeKey(key, stamp, probe);
  return Forward(index, index.tree->LowerBound(probe), index.LowerBound(key, stamp), txn);
}

ViewEntry BackwardBefore(const KeyIndex& index, const uint8_t* key, uint64_t stamp, uint32_t txn) {
  uint8_t probe[kMaxTreeKey];
  index.TreeKey(key, stamp, probe);
  BTree::Pos p = index.tree->LowerBound(probe);
  p = p.valid() ? index.tree->Prev(p) : index.tree->Last();
  EntryRef o = index.LowerBound(key, stamp);
  o = o.valid() ? index.Prev(o) : index.Last();
  return Backward(index, p, o, txn);
}

}  // namespace

ViewEntry TreeEntry(const KeyIndex& index, BTree::Pos pos) {
  const BTree::Cell cell = index.tree->At(pos);
  ViewEntry v;
  v.valid = true;
  v.in_tree = true;
  v.pos = pos;
  std::memcpy(v.key.data(), cell.key, index.key_length);
  v.stamp = index.TreeStamp(cell.key);
  v.address = cell.value_size == 8 ? LoadU32(cell.value) : 0;
  if (v.address == 0) throw StorageError{BTR_STATUS_IO_ERROR};
  v.hint = LoadU32(cell.value + 4);
  return v;
}

ViewEntry SeekView(const KeyIndex& index, Seek how, const uint8_t* key, uint32_t txn) {
  switch (how) {
    case Seek::kEqual: {
      ViewEntry v = ForwardFrom(index, key, kStampBeforeAll, txn);
      if (v.valid && index.Compare(v.key.data(), key) != 0) v.valid = false;
      return v;
    }
    case Seek::kGreater:
      return ForwardFrom(index, key, kStampAfterAll, txn);
    case Seek::kGreaterOrEqual:
      return ForwardFrom(index, key, kStampBeforeAll, txn);
    case Seek::kLess:
      return BackwardBefore(index, key, kStampBeforeAll, txn);
    case Seek::kLessOrEqual:
      return BackwardBefore(index, key, kStampAfterAll, txn);
    case Seek::kFirst:
      return Forward(index, index.tree->First(), index.First(), txn);
    case Seek::kLast:
      return Backward(index, index.tree->Last(), index.Last(), txn);
  }
  return {};
}

ViewEntry StepView(const KeyIndex& index, const uint8_t* key, uint64_t stamp, bool forward,
                   uint32_t txn) {
  if (forward) return ForwardFrom(index, key, stamp + (stamp != kStampAfterAll ? 1 : 0), txn);
  return BackwardBefore(index, key, stamp, txn);
}

UniqueCheck CheckUniqueView(const KeyIndex& index, const uint8_t* key, uint32_t txn,
                            uint32_t ignore_address) {
  uint8_t probe[kMaxTreeKey];
  index.TreeKey(key, kStampBeforeAll, probe);
  for (BTree::Pos p = index.tree->LowerBound(probe); p.valid(); p = index.tree->Next(p)) {
    const ViewEntry t = TreeEntry(index, p);
    if (index.Compare(t.key.data(), key) != 0) break;
    if (t.address == ignore_address) continue;
    const EntryRef copy = index.Find(key, t.stamp);
    if (!copy.valid() || !RemovedBy(index.At(copy), txn)) return UniqueCheck::kDuplicate;
  }
  UniqueCheck result = UniqueCheck::kFree;
  for (EntryRef r = index.LowerBound(key, kStampBeforeAll);
       r.valid() && index.Compare(index.At(r).key(), key) == 0; r = index.Next(r)) {
    const EntrySlot& e = index.At(r);
    if (e.address == ignore_address || e.added_by == 0) continue;
    if (e.added_by == txn) return UniqueCheck::kDuplicate;
    result = UniqueCheck::kLocked;
  }
  return result;
}

uint32_t CountDistinctView(const KeyIndex& index, uint32_t txn) {
  uint32_t count = 0;
  ViewEntry last;
  for (ViewEntry v = SeekView(index, Seek::kFirst, nullptr, txn); v.valid;
       v = StepView(index, v.key.data(), v.stamp, true, txn)) {
    if (!last.valid || index.Compare(last.key.data(), v.key.data()) != 0) ++count;
    last = v;
  }
  return count;
}

bool ReadVisible(FileState& file, uint32_t address, uint32_t txn, std::string* image,
                 uint64_t* version, std::vector<uint64_t>* stamps, uint32_t hint) {
  const auto it = file.records.find(address);
  if (it != file.records.end()) {
    uint64_t v = 0;
    const std::string* visible = VisibleImage(it->second, txn, &v);
    if (visible == nullptr) return false;
    if (image != nullptr) *image = *visible;
    if (version != nullptr) *version = v;
    if (stamps != nullptr) {
      stamps->resize(file.indexes.size());
      for (std::size_t i = 0; i < file.indexes.size(); ++i) {
        (*stamps)[i] = SeenStamp(it->second, i, txn);
      }
    }
    return true;
  }
  std::string scratch;
  if (!file.store->ReadRecord(address, hint, image != nullptr ? image : &scratch, version,
                              stamps)) {
    return false;
  }
  if (stamps != nullptr && stamps->size() != file.indexes.size()) {
    throw StorageError{BTR_STATUS_IO_ERROR};
  }
  return true;
}

bool StepPhysical(FileState& file, bool from, uint32_t address, bool forward, uint32_t txn,
                  uint32_t* found, BTree::Pos* pos) {
  BTree& tree = file.store->records();
  if (from && pos->valid() && file.records.empty()) {
    // Nothing in memory: one step along the leaves.
    *pos = forward ? tree.Next(*pos) : tree.Prev(*pos);
    if (!pos->valid()) return false;
    *found = LoadU32(tree.At(*pos).key);
    return true;
  }
  uint8_t probe[4];
  // Committed records first, skipping those txn deleted; then the records
  // only txn's own inserts hold, whichever comes first.
  bool have_tree = false;
  uint32_t tree_address = 0;
  BTree::Pos p;
  if (forward) {
    if (!from) {
      p = tree.First();
    } else if (address != UINT32_MAX) {
      StoreU32(probe, address + 1);
      p = tree.LowerBound(probe);
    }
  } else {
    if (!from) {
      p = tree.Last();
    } else {
      StoreU32(probe, address);
      p = tree.LowerBound(probe);
      p = p.valid() ? tree.Prev(p) : tree.Last();
    }
  }
  for (; p.valid(); p = forward ? tree.Next(p) : tree.Prev(p)) {
    const uint32_t a = LoadU32(tree.At(p).key);
    const auto it = file.records.find(a);
    if (it == file.records.end() || VisibleImage(it->second, txn) != nullptr) {
      have_tree = true;
      tree_address = a;
      break;
    }
  }
  bool have_own = false;
  uint32_t own = 0;
  auto own_visible = [&](const Record& r) {
    return !r.committed && VisibleImage(r, txn) != nullptr;
  };
  if (forward) {
    for (auto it = from ? file.records.upper_bound(address) : file.records.begin();
         it != file.records.end(); ++it) {
      if (own_visible(it->second)) {
        have_own = true;
        own = it->first;
        break;
      }
    }
  } else {
    for (auto it = from ? file.records.lower_bound(address) : file.records.end();
         it != file.records.begin();) {
      --it;
      if (own_visible(it->second)) {
        have_own = true;
        own = it->first;
        break;
      }
    }
  }
  *pos = BTree::Pos{};
  if (!have_tree && !have_own) return false;
  if (!have_own || (have_tree && (forward ? tree_address < own : tree_address > own))) {
    *found = tree_address;
    *pos = p;
  } else {
    *found = own;
    *pos = BTree::Pos{};
  }
  return true;
}

}  // namespace vv::engine
