// Little-endian integer encoding for the engine's file format and the
// Btrieve buffers. Files are written field by field through these helpers,
// never by dumping a struct, so the format is the same on every platform.
#ifndef VEVERAVE_ENGINE_BYTE_ORDER_H_
#define VEVERAVE_ENGINE_BYTE_ORDER_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace vv::engine {

inline uint16_t LoadU16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t LoadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t LoadU64(const uint8_t* p) {
  return static_cast<uint64_t>(LoadU32(p)) | (static_cast<uint64_t>(LoadU32(p + 4)) << 32);
}

inline void StoreU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void StoreU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void StoreU64(uint8_t* p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Appends little-endian fields to a byte string.
inline void PutU8(std::string* s, uint8_t v) {
  s->push_back(static_cast<char>(v));
}
inline void PutU16(std::string* s, uint16_t v) {
  uint8_t b[2];
  StoreU16(b, v);
  s->append(reinterpret_cast<const char*>(b), 2);
}
inline void PutU32(std::string* s, uint32_t v) {
  uint8_t b[4];
  StoreU32(b, v);
  s->append(reinterpret_cast<const char*>(b), 4);
}
inline void PutU64(std::string* s, uint64_t v) {
  uint8_t b[8];
  StoreU64(b, v);
  s->append(reinterpret_cast<const char*>(b), 8);
}
inline void PutBytes(std::string* s, const void* p, std::size_t n) {
  s->append(static_cast<const char*>(p), n);
}

// Reads fields from a byte range with bounds checks: once a read runs past
// the end every later read returns zeros and ok() stays false, so a decoder
// checks once at the end instead of after every field.
class ByteReader {
 public:
  ByteReader(const uint8_t* p, std::size_t n) : p_(p), n_(n) {}

  uint8_t U8() { return Take(1) ? p_[pos_ - 1] : 0; }
  uint16_t U16() { return Take(2) ? LoadU16(p_ + pos_ - 2) : 0; }
  uint32_t U32() { return Take(4) ? LoadU32(p_ + pos_ - 4) : 0; }
  uint64_t U64() { return Take(8) ? LoadU64(p_ + pos_ - 8) : 0; }
  // The next n bytes, or nullptr when fewer remain.
  const uint8_t* Bytes(std::size_t n) { return Take(n) ? p_ + pos_ - n : nullptr; }

  bool ok() const { return ok_; }
  std::size_t remaining() const { return n_ - pos_; }
  bool at_end() const { return pos_ == n_; }

 private:
  bool Take(std::size_t n) {
    if (!ok_ || n > n_ - pos_) {
      ok_ = false;
      return false;
    }
    pos_ += n;
    return true;
  }

  const uint8_t* p_;
  std::size_t n_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_BYTE_ORDER_H_
