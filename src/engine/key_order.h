// Shortcuts for comparing key values. Most keys are one plain string or one
// binary integer, and the B+tree compares keys at every step of every search:
// for such keys a single memcmp or load decides the order that CompareKeys
// would find going segment by segment and type by type. OrderOf tells which
// shortcut a key may take; CompareInOrder agrees with CompareKeys in sign for
// every pair of values of such a key.
#ifndef VEVERAVE_ENGINE_KEY_ORDER_H_
#define VEVERAVE_ENGINE_KEY_ORDER_H_

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/key_def.h"

namespace vv::engine {

static_assert(std::endian::native == std::endian::little,
              "integer keys are compared with native loads of their little-endian bytes");

enum class KeyOrder : uint8_t {
  kGeneral,  // CompareKeys
  kBytes,    // ascending STRING segments without ACS or case folding: memcmp of the whole key
  // One ascending little-endian integer segment.
  kSigned16,
  kSigned32,
  kSigned64,
  kUnsigned16,
  kUnsigned32,
  kUnsigned64,
};

KeyOrder OrderOf(const KeyDef& key);

namespace key_order_internal {

template <typename T>
int CompareLoaded(const uint8_t* a, const uint8_t* b) {
  T x;
  T y;
  std::memcpy(&x, a, sizeof x);
  std::memcpy(&y, b, sizeof y);
  return (x > y) - (x < y);
}

}  // namespace key_order_internal

// Compares two values of a key of length bytes whose order is not kGeneral.
inline int CompareInOrder(KeyOrder order, std::size_t length, const uint8_t* a, const uint8_t* b) {
  using key_order_internal::CompareLoaded;
  switch (order) {
    case KeyOrder::kSigned16:
      return CompareLoaded<int16_t>(a, b);
    case KeyOrder::kSigned32:
      return CompareLoaded<int32_t>(a, b);
    case KeyOrder::kSigned64:
      return CompareLoaded<int64_t>(a, b);
    case KeyOrder::kUnsigned16:
      return CompareLoaded<uint16_t>(a, b);
    case KeyOrder::kUnsigned32:
      return CompareLoaded<uint32_t>(a, b);
    case KeyOrder::kUnsigned64:
      return CompareLoaded<uint64_t>(a, b);
    case KeyOrder::kBytes:
    case KeyOrder::kGeneral:
      break;
  }
  return std::memcmp(a, b, length);
}

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_KEY_ORDER_H_
