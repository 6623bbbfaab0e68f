#include "engine/file_definition.h"

#include <algorithm>
#include <cstring>

#include "engine/byte_order.h"
#include "veverave/btrieve.h"

namespace vv::engine {

namespace {

// Per-record bytes the page must hold beside the record: the usage count,
// the variable-part pointer, and a duplicate pointer for each key whose
// duplicates are linked (not repeating).
constexpr std::size_t kRecordOverhead = 2;
constexpr std::size_t kVariablePointer = 4;
constexpr std::size_t kDuplicatePointer = 8;
constexpr std::size_t kPageHeader = 6;
constexpr uint16_t kMinRecordLength = 4;
// A runaway segment list is cut off here (far above any page's limit).
constexpr int kSegmentSanityLimit = 4 * kMaxKeys;

KeySegment ParseSegment(const uint8_t* p) {
  KeySegment s;
  s.position = LoadU16(p + BTR_KEYDEF_POSITION);
  s.length = LoadU16(p + BTR_KEYDEF_LENGTH);
  s.flags = LoadU16(p + BTR_KEYDEF_FLAGS);
  s.type = (s.flags & BTR_KEY_EXTENDED_TYPE) ? p[BTR_KEYDEF_TYPE] : uint8_t{BTR_TYPE_STRING};
  s.null_value = p[BTR_KEYDEF_NULL_VALUE];
  s.acs_number = p[BTR_KEYDEF_ACS_NUMBER];
  return s;
}

// Reads the segments of one key starting at *pos (the last segment is the
// first without BTR_KEY_SEGMENTED). False when the buffer ends first.
bool ParseKey(const uint8_t* data, std::size_t len, std::size_t* pos, KeyDef* key,
              uint8_t* key_number_byte) {
  for (;;) {
    if (len - *pos < BTR_KEYDEF_SIZE || key->segments.size() >= kSegmentSanityLimit) return false;
    const uint8_t* p = data + *pos;
    if (key->segments.empty()) *key_number_byte = p[BTR_KEYDEF_KEY_NUMBER];
    key->segments.push_back(ParseSegment(p));
    *pos += BTR_KEYDEF_SIZE;
    if (!(key->segments.back().flags & BTR_KEY_SEGMENTED)) return true;
  }
}

bool ValidPageSize(uint16_t page_size) {
  if (page_size == 8192 || page_size == 16384) return true;
  return page_size >= 512 && page_size <= 4096 && page_size % 512 == 0;
}

}  // namespace

int MaxSegments(uint16_t page_size) {
  if (page_size < 1024) return 8;
  if (page_size < 1536) return 23;
  if (page_size < 2048) return 24;
  if (page_size < 4096) return 54;
  return kMaxKeys;
}

int16_t ValidateKeys(const FileAttributes& attrs, const std::vector<DefinedKey>& keys,
                     const std::vector<Acs>& acs) {
  if (keys.size() > static_cast<std::size_t>(kMaxKeys)) return BTR_STATUS_INVALID_KEY_COUNT;
  std::size_t segments = 0;
  std::size_t linked_duplicates = 0;
  for (const DefinedKey& k : keys) {
    if (k.def.segments.empty()) return BTR_STATUS_INVALID_KEY_COUNT;
    segments += k.def.segments.size();
    if (k.def.duplicates() && !(k.def.segments[0].flags & BTR_KEY_REPEAT_DUPLICATES)) {
      ++linked_duplicates;
    }
  }
  if (segments > static_cast<std::size_t>(MaxSegments(attrs.page_size))) {
    return BTR_STATUS_INVALID_KEY_COUNT;
  }
  const std::size_t physical = attrs.record_length + kRecordOverhead +
                               ((attrs.flags & BTR_FILE_VARIABLE) ? kVariablePointer : 0) +
                               kDuplicatePointer * linked_duplicates;
  if (attrs.record_length < kMinRecordLength || physical > attrs.page_size - kPageHeader) {
    return BTR_STATUS_INVALID_RECORD_LENGTH;
  }
  for (const Acs& a : acs) {
    if (const int16_t s = ValidateAcs(a); s != 0) return s;
  }
  for (const DefinedKey& k : keys) {
    if (const int16_t s = ValidateKey(k.def, attrs.record_length, acs.size()); s != 0) return s;
  }
  return 0;
}

int16_t ParseCreateBuffer(const uint8_t* data, std::size_t len, uint8_t version,
                          FileDefinition* out) {
  if (data == nullptr || len < BTR_FILEDEF_SIZE) return BTR_STATUS_DATA_BUFFER_TOO_SHORT;
  FileDefinition def;
  def.attrs.record_length = LoadU16(data + BTR_FILEDEF_RECORD_LENGTH);
  def.attrs.page_size = LoadU16(data + BTR_FILEDEF_PAGE_SIZE);
  def.attrs.flags = LoadU16(data + BTR_FILEDEF_FILE_FLAGS);
  def.attrs.version = version;
  const unsigned key_count = data[BTR_FILEDEF_KEY_COUNT];
  if (!ValidPageSize(def.attrs.page_size)) return BTR_STATUS_INVALID_PAGE_SIZE;
  if (key_count > static_cast<unsigned>(kMaxKeys)) return BTR_STATUS_INVALID_KEY_COUNT;

  std::size_t pos = BTR_FILEDEF_SIZE;
  std::vector<uint8_t> number_bytes;
  for (unsigned i = 0; i < key_count; ++i) {
    DefinedKey k;
    k.id = i + 1;
    uint8_t number_byte = 0;
    if (!ParseKey(data, len, &pos, &k.def, &number_byte)) {
      return BTR_STATUS_DATA_BUFFER_TOO_SHORT;
    }
    k.def.number = static_cast<int>(i);
    number_bytes.push_back(number_byte);
    def.keys.push_back(std::move(k));
  }
  // Collating sequences follow the key specifications; a trailing piece
  // shorter than a block is ignored.
  while (len - pos >= BTR_ACS_SIZE) {
    Acs a;
    std::memcpy(a.block.data(), data + pos, BTR_ACS_SIZE);
    def.acs.push_back(a);
    pos += BTR_ACS_SIZE;
  }
  if (const int16_t s = ValidateKeys(def.attrs, def.keys, def.acs); s != 0) return s;

  if (def.attrs.flags & BTR_FILE_KEY_NUMBERS) {
    // Numbers chosen by the caller: below the key limit and each used once.
    std::vector<bool> used(kMaxKeys, false);
    for (std::size_t i = 0; i < def.keys.size(); ++i) {
      const int n = number_bytes[i] & ~BTR_KEY_NUMBER_BIAS;
      if (n >= kMaxKeys || used[n]) return BTR_STATUS_INVALID_KEY_NUMBER;
      used[n] = true;
      def.keys[i].def.number = n;
    }
    std::sort(def.keys.begin(), def.keys.end(),
              [](const DefinedKey& a, const DefinedKey& b) { return a.def.number < b.def.number; });
  }
  def.next_stamp = 1;
  def.next_address = 1;
  def.keys.shrink_to_fit();
  *out = std::move(def);
  return 0;
}

int16_t ParseNewKeyBuffer(const uint8_t* data, std::size_t len, NewKeySpec* out) {
  if (data == nullptr) return BTR_STATUS_DATA_BUFFER_TOO_SHORT;
  NewKeySpec spec;
  std::size_t pos = 0;
  if (!ParseKey(data, len, &pos, &spec.key, &spec.spec_key_number)) {
    return BTR_STATUS_DATA_BUFFER_TOO_SHORT;
  }
  if (len - pos >= BTR_ACS_SIZE) {
    spec.has_acs = true;
    std::memcpy(spec.acs.block.data(), data + pos, BTR_ACS_SIZE);
  }
  *out = std::move(spec);
  return 0;
}

std::size_t WriteStat(const FileAttributes& attrs, uint32_t record_count,
                      const std::vector<const KeyDef*>& keys,
                      const std::vector<uint32_t>& unique_counts, const std::vector<Acs>& acs,
                      uint8_t* out, std::size_t cap) {
  std::string s(BTR_FILEDEF_SIZE, '\0');
  auto* f = reinterpret_cast<uint8_t*>(s.data());
  StoreU16(f + BTR_FILEDEF_RECORD_LENGTH, attrs.record_length);
  StoreU16(f + BTR_FILEDEF_PAGE_SIZE, attrs.page_size);
  f[BTR_FILEDEF_KEY_COUNT] = static_cast<uint8_t>(keys.size());
  f[BTR_FILEDEF_FILE_VERSION] = attrs.version;
  StoreU32(f + BTR_FILEDEF_RECORD_COUNT, record_count);
  StoreU16(f + BTR_FILEDEF_FILE_FLAGS, attrs.flags);
  for (std::size_t k = 0; k < keys.size(); ++k) {
    for (const KeySegment& seg : keys[k]->segments) {
      uint8_t b[BTR_KEYDEF_SIZE] = {};
      StoreU16(b + BTR_KEYDEF_POSITION, seg.position);
      StoreU16(b + BTR_KEYDEF_LENGTH, seg.length);
      StoreU16(b + BTR_KEYDEF_FLAGS, seg.flags);
      StoreU32(b + BTR_KEYDEF_UNIQUE_COUNT, unique_counts[k]);
      b[BTR_KEYDEF_TYPE] = (seg.flags & BTR_KEY_EXTENDED_TYPE) ? seg.type : 0;
      b[BTR_KEYDEF_NULL_VALUE] = seg.null_value;
      b[BTR_KEYDEF_KEY_NUMBER] = static_cast<uint8_t>(keys[k]->number);
      b[BTR_KEYDEF_ACS_NUMBER] = seg.acs_number;
      PutBytes(&s, b, sizeof b);
    }
  }
  for (const Acs& a : acs) PutBytes(&s, a.block.data(), a.block.size());
  if (out != nullptr) std::memcpy(out, s.data(), std::min(cap, s.size()));
  return s.size();
}

std::string EncodeDefinition(const FileDefinition& def) {
  std::string s;
  PutU16(&s, def.attrs.record_length);
  PutU16(&s, def.attrs.page_size);
  PutU16(&s, def.attrs.flags);
  PutU8(&s, def.attrs.version);
  PutU8(&s, def.attrs.owner_mode);
  PutU8(&s, static_cast<uint8_t>(def.attrs.owner.size()));
  PutBytes(&s, def.attrs.owner.data(), def.attrs.owner.size());
  PutU32(&s, def.next_address);
  PutU64(&s, def.next_stamp);
  PutU16(&s, static_cast<uint16_t>(def.keys.size()));
  for (const DefinedKey& k : def.keys) {
    PutU32(&s, k.id);
    PutU8(&s, static_cast<uint8_t>(k.def.number));
    PutU16(&s, static_cast<uint16_t>(k.def.segments.size()));
    for (const KeySegment& seg : k.def.segments) {
      PutU16(&s, seg.position);
      PutU16(&s, seg.length);
      PutU16(&s, seg.flags);
      PutU8(&s, seg.type);
      PutU8(&s, seg.null_value);
      PutU8(&s, seg.acs_number);
    }
  }
  PutU16(&s, static_cast<uint16_t>(def.acs.size()));
  for (const Acs& a : def.acs) PutBytes(&s, a.block.data(), a.block.size());
  return s;
}

bool DecodeDefinition(const uint8_t* p, std::size_t n, FileDefinition* out) {
  ByteReader r(p, n);
  FileDefinition def;
  def.attrs.record_length = r.U16();
  def.attrs.page_size = r.U16();
  def.attrs.flags = r.U16();
  def.attrs.version = r.U8();
  def.attrs.owner_mode = r.U8();
  const uint8_t owner_len = r.U8();
  if (owner_len > BTR_OWNER_MAX) return false;
  if (const uint8_t* o = r.Bytes(owner_len))
    def.attrs.owner.assign(reinterpret_cast<const char*>(o), owner_len);
  def.next_address = r.U32();
  def.next_stamp = r.U64();
  const uint16_t key_count = r.U16();
  if (key_count > kMaxKeys) return false;
  for (uint16_t i = 0; i < key_count && r.ok(); ++i) {
    DefinedKey k;
    k.id = r.U32();
    k.def.number = r.U8();
    const uint16_t segments = r.U16();
    if (segments == 0 || segments > kSegmentSanityLimit) return false;
    for (uint16_t j = 0; j < segments && r.ok(); ++j) {
      KeySegment seg;
      seg.position = r.U16();
      seg.length = r.U16();
      seg.flags = r.U16();
      seg.type = r.U8();
      seg.null_value = r.U8();
      seg.acs_number = r.U8();
      k.def.segments.push_back(seg);
    }
    def.keys.push_back(std::move(k));
  }
  const uint16_t acs_count = r.U16();
  for (uint16_t i = 0; i < acs_count && r.ok(); ++i) {
    Acs a;
    if (const uint8_t* b = r.Bytes(BTR_ACS_SIZE)) std::memcpy(a.block.data(), b, BTR_ACS_SIZE);
    def.acs.push_back(a);
  }
  if (!r.ok() || !r.at_end()) return false;
  // A definition that its own rules refuse is damage, not a file to serve.
  if (ValidateKeys(def.attrs, def.keys, def.acs) != 0) return false;
  for (std::size_t i = 1; i < def.keys.size(); ++i) {
    if (def.keys[i].def.number <= def.keys[i - 1].def.number) return false;
  }
  *out = std::move(def);
  return true;
}

}  // namespace vv::engine
