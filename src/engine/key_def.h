// Key definitions of the engine: how a key is laid out, validated, extracted
// from a record and compared.
//
// A key is made of segments; the key value is the segments' bytes
// concatenated in segment order (a null indicator segment is one byte). Two
// key values compare segment by segment, each by its extended type, its
// direction and its case or collating-sequence rule.
#ifndef VEVERAVE_ENGINE_KEY_DEF_H_
#define VEVERAVE_ENGINE_KEY_DEF_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vv::engine {

// One segment as given by a 16-byte key specification.
struct KeySegment {
  uint16_t position = 0;  // 1-based offset in the record
  uint16_t length = 0;
  uint16_t flags = 0;     // BTR_KEY_* of btrieve.h
  uint8_t type = 0;       // extended type (BTR_TYPE_*); BTR_TYPE_STRING when not extended
  uint8_t null_value = 0;
  uint8_t acs_number = 0; // index into the file's collating sequences
};

// An alternate collating sequence: the 265-byte block (signature, 8-byte
// name, 256-byte table).
struct Acs {
  std::array<uint8_t, 265> block{};
  const uint8_t* table() const { return block.data() + 9; }
};

// One key (index) of a file.
struct KeyDef {
  int number = 0;  // key number as callers name it
  std::vector<KeySegment> segments;

  bool duplicates() const;      // first segment's BTR_KEY_DUPLICATES
  bool modifiable() const;      // first segment's BTR_KEY_MODIFIABLE
  bool null_all() const;        // BTR_KEY_NULL_ALL
  bool null_any() const;        // BTR_KEY_NULL_ANY
  std::size_t length() const;   // sum of the segment lengths
};

// Copies the key of a record (record holds record_len bytes) into key
// (length() bytes). Segments must lie inside the record (checked at create).
void ExtractKey(const KeyDef& key, const uint8_t* record, uint8_t* out);

// True when the record has no entry in the key: for BTR_KEY_NULL_ALL when
// every segment consists only of its null value byte, for BTR_KEY_NULL_ANY
// when any segment does. Null indicator segments are not part of this test.
bool IsNullKey(const KeyDef& key, const uint8_t* key_value);

// True when a null indicator segment of the key value says null (a Get Equal
// with such a search key finds nothing: a null never equals anything).
bool HasNullIndicatorSet(const KeyDef& key, const uint8_t* key_value);

// Compares two key values laid out by ExtractKey: <0, 0 or >0. acs holds the
// file's collating sequences by number. Allocates nothing. The order of each
// type (NaN, -0.0, signs of packed and zoned decimals, null indicators) is
// described at the top of key_def.cc. A segment's type is read from `type`;
// a STRING segment that lacks BTR_KEY_EXTENDED_TYPE but has BTR_KEY_BINARY is
// an (old-style) unsigned binary segment.
int CompareKeys(const KeyDef& key, const uint8_t* a, const uint8_t* b,
                const std::vector<Acs>& acs);

// Checks the key specifications of a Create or Create Supplemental Index
// against a record length and the file's collating sequences. Returns 0 or
// the Btrieve status the operation must answer (26, 27, 29, 45, 48, 49).
// Checked per segment in this order: a known type (49); a length that suits
// the type (29); the position inside the record (27); flags (45): the
// key-wide flags (duplicates, modifiable, repeating duplicates, both null
// flags) the same on every segment, not both null flags, not ACS together
// with no-case on a type other than STRING/LSTRING/ZSTRING, a null indicator
// neither descending nor last nor followed by another indicator; an ACS
// number below acs_count when the ACS flag is set (48). Then the total
// length (29). Splitting the specifications into keys by BTR_KEY_SEGMENTED
// is the caller's.
int16_t ValidateKey(const KeyDef& key, uint16_t record_length, std::size_t acs_count);

// Checks a collating sequence block: 0, or status 48 unless it starts with
// BTR_ACS_SIGNATURE.
int16_t ValidateAcs(const Acs& acs);

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_KEY_DEF_H_
