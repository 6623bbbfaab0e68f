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

// The highest value a segment holds over all entries of its key.
int64_t Highest(const FileState& file, const KeyIndex& index, std::size_t segment) {
  const KeySegment& seg = index.def.segments[segment];
  if (segment == 0) {
    // The key is ordered by this field: its last entry (first when descending) holds the most.
    const EntryRef r = (seg.flags & BTR_KEY_DESCENDING) ? index.First() : index.Last();
    return r.valid() ? LoadSigned(index.At(r).key(), seg.length) : 0;
  }
  int64_t highest = 0;
  for (const auto& [address, record] : file.records) {
    const std::string* images[] = {&record.image,
                                   record.pending ? &record.pending->image : nullptr};
    for (const std::string* image : images) {
      if (image == nullptr ||
          image->size() < static_cast<std::size_t>(seg.position - 1 + seg.length))
        continue;
      highest = std::max(
          highest, LoadSigned(reinterpret_cast<const uint8_t*>(image->data()) + seg.position - 1,
                              seg.length));
    }
  }
  return highest;
}

}  // namespace

int16_t FillAutoincrement(const FileState& file, std::string* image) {
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
