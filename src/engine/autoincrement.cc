#include "engine/autoincrement.h"

#include <algorithm>
#include <limits>

#include "veverave/btrieve.h"

namespace vv::engine {

namespace {

int64_t LoadSigned(const uint8_t* p, std::size_t n) {
  uint64_t v = 0;
  for (std::size_t i = n; i-- > 0;) v = (v << 8) | p[i];
  if (n < 8 && (p[n - 1] & 0x80)) v |= ~uint64_t{0} << (8 * n);  // sign-extend
  return static_cast<int64_t>(v);
}

void StoreSigned(uint8_t* p, std::size_t n, int64_t value) {
  auto v = static_cast<uint64_t>(value);
  for (std::size_t i = 0; i < n; ++i, v >>= 8) p[i] = static_cast<uint8_t>(v);
}

int64_t MaxFor(std::size_t n) {
  return n >= 8 ? std::numeric_limits<int64_t>::max() : (int64_t{1} << (8 * n - 1)) - 1;
}

bool IsZero(const uint8_t* p, std::size_t n) {
  return std::all_of(p, p + n, [](uint8_t b) { return b == 0; });
}

int64_t ValueIn(const std::string& image, const KeySegment& seg) {
  if (image.size() < static_cast<std::size_t>(seg.position - 1 + seg.length)) return 0;
  return LoadSigned(reinterpret_cast<const uint8_t*>(image.data()) + seg.position - 1, seg.length);
}

// The highest value a segment holds over all entries of its key, those of
// transactions that have not ended included.
int64_t Highest(FileState& file, const KeyIndex& index, std::size_t segment) {
  const KeySegment& seg = index.def.segments[segment];
  if (segment == 0) {
    // The key is ordered by this field: its last entry (first when
    // descending) holds the most, in the file and in memory.
    const bool descending = (seg.flags & BTR_KEY_DESCENDING) != 0;
    int64_t highest = 0;
    const BTree::Pos p = descending ? index.tree->First() : index.tree->Last();
    if (p.valid()) highest = LoadSigned(index.tree->At(p).key, seg.length);
    const EntryRef r = descending ? index.First() : index.Last();
    if (r.valid()) highest = std::max(highest, LoadSigned(index.At(r).key(), seg.length));
    return highest;
  }
  int64_t highest = 0;
  BTree& tree = file.store->records();
  for (BTree::Pos p = tree.First(); p.valid(); p = tree.Next(p)) {
    uint32_t address = 0;
    StoredRecord r;
    file.store->RecordAt(p, &address, &r);
    highest = std::max(highest, ValueIn(r.image, seg));
  }
  for (const auto& [address, record] : file.records) {
    highest = std::max(highest, ValueIn(record.image, seg));
    if (record.pending) highest = std::max(highest, ValueIn(record.pending->image, seg));
  }
  return highest;
}

}  // namespace

int16_t FillAutoincrement(FileState& file, std::string* image) {
  auto* record = reinterpret_cast<uint8_t*>(image->data());
  for (const auto& index : file.indexes) {
    for (std::size_t s = 0; s < index->def.segments.size(); ++s) {
      const KeySegment& seg = index->def.segments[s];
      if (seg.type != BTR_TYPE_AUTOINCREMENT || !(seg.flags & BTR_KEY_EXTENDED_TYPE)) continue;
      uint8_t* field = record + seg.position - 1;
      if (!IsZero(field, seg.length)) continue;
      const int64_t highest = std::max<int64_t>(Highest(file, *index, s), 0);
      if (highest >= MaxFor(seg.length)) return BTR_STATUS_AUTOINCREMENT_ERROR;
      StoreSigned(field, seg.length, highest + 1);
    }
  }
  return 0;
}

}  // namespace vv::engine
