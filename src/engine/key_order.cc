#include "engine/key_order.h"

#include "veverave/btrieve.h"

namespace vv::engine {

namespace {

// The type CompareKeys orders a segment by (an old-style binary segment is
// unsigned).
uint8_t EffectiveType(const KeySegment& s) {
  if (s.type == BTR_TYPE_STRING && (s.flags & BTR_KEY_BINARY) &&
      !(s.flags & BTR_KEY_EXTENDED_TYPE)) {
    return BTR_TYPE_UNSIGNED;
  }
  return s.type;
}

KeyOrder IntegerOrder(bool is_signed, std::size_t length) {
  switch (length) {
    case 2:
      return is_signed ? KeyOrder::kSigned16 : KeyOrder::kUnsigned16;
    case 4:
      return is_signed ? KeyOrder::kSigned32 : KeyOrder::kUnsigned32;
    case 8:
      return is_signed ? KeyOrder::kSigned64 : KeyOrder::kUnsigned64;
    default:
      return KeyOrder::kGeneral;
  }
}

}  // namespace

KeyOrder OrderOf(const KeyDef& key) {
  if (key.segments.empty()) return KeyOrder::kGeneral;
  for (const KeySegment& s : key.segments) {
    if (s.flags & BTR_KEY_DESCENDING) return KeyOrder::kGeneral;
  }
  bool bytes = true;
  for (const KeySegment& s : key.segments) {
    bytes = bytes && EffectiveType(s) == BTR_TYPE_STRING &&
            (s.flags & (BTR_KEY_ACS | BTR_KEY_NO_CASE)) == 0;
  }
  if (bytes) return KeyOrder::kBytes;
  if (key.segments.size() != 1) return KeyOrder::kGeneral;
  const KeySegment& s = key.segments[0];
  switch (EffectiveType(s)) {
    case BTR_TYPE_INTEGER:
    case BTR_TYPE_AUTOINCREMENT:
    case BTR_TYPE_CURRENCY:
      return IntegerOrder(true, s.length);
    case BTR_TYPE_UNSIGNED:
    case BTR_TYPE_LOGICAL:
    case BTR_TYPE_TIMESTAMP:
    case BTR_TYPE_DATE:
    case BTR_TYPE_TIME:
      return IntegerOrder(false, s.length);
    default:
      return KeyOrder::kGeneral;
  }
}

}  // namespace vv::engine
