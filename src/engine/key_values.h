// The key values of one record image on every index of its file, extracted
// once per change and kept in one buffer. Keys of the usual sizes fit the
// buffer inside the object, so a change needs no allocation for them.
#ifndef VEVERAVE_ENGINE_KEY_VALUES_H_
#define VEVERAVE_ENGINE_KEY_VALUES_H_

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/key_index.h"

namespace vv::engine {

class KeyValues {
 public:
  // The keys of image on each of indexes (may throw std::bad_alloc when they
  // do not fit inside, with the values as they were).
  void Compute(const std::vector<std::unique_ptr<KeyIndex>>& indexes, const std::string& image);

  std::size_t size() const { return count_; }
  // Whether the image is left out of index i (a null key).
  bool null(std::size_t i) const { return offsets()[i] == kNullKey; }
  // The key on index i (not null).
  const uint8_t* key(std::size_t i) const { return bytes() + offsets()[i]; }

 private:
  static constexpr std::size_t kInlineKeys = 8;
  static constexpr std::size_t kInlineBytes = 512;
  static constexpr uint32_t kNullKey = UINT32_MAX;

  const uint32_t* offsets() const {
    return heap_offsets_.empty() ? inline_offsets_.data() : heap_offsets_.data();
  }
  const uint8_t* bytes() const {
    return heap_bytes_.empty() ? inline_bytes_.data() : heap_bytes_.data();
  }

  std::size_t count_ = 0;
  std::array<uint32_t, kInlineKeys> inline_offsets_;
  std::array<uint8_t, kInlineBytes> inline_bytes_;
  std::vector<uint32_t> heap_offsets_;  // when the keys are more than kInlineKeys
  std::vector<uint8_t> heap_bytes_;     // when they take more than kInlineBytes
};

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_KEY_VALUES_H_
