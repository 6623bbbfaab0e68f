#include "engine/key_values.h"

namespace vv::engine {

void KeyValues::Compute(const std::vector<std::unique_ptr<KeyIndex>>& indexes,
                        const std::string& image) {
  const std::size_t n = indexes.size();
  std::size_t total = 0;
  for (const auto& index : indexes) total += index->key_length;
  // Allocate first: a failure leaves everything as it was.
  std::vector<uint32_t> offsets;
  std::vector<uint8_t> bytes;
  if (n > kInlineKeys) offsets.resize(n);
  if (total > kInlineBytes) bytes.resize(total);
  heap_offsets_.swap(offsets);
  heap_bytes_.swap(bytes);
  count_ = n;

  auto* out_offsets = heap_offsets_.empty() ? inline_offsets_.data() : heap_offsets_.data();
  uint8_t* out = heap_bytes_.empty() ? inline_bytes_.data() : heap_bytes_.data();
  const auto* record = reinterpret_cast<const uint8_t*>(image.data());
  uint32_t at = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const KeyIndex& index = *indexes[i];
    uint8_t* key = out + at;
    ExtractKey(index.def, record, key);
    out_offsets[i] = IsNullKey(index.def, key) ? kNullKey : at;
    at += static_cast<uint32_t>(index.key_length);
  }
}

}  // namespace vv::engine
