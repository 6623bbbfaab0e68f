// Little-endian integers in record buffers: Btrieve keeps every binary
// integer little-endian, whatever the machine, so values are read and written
// byte by byte.
#ifndef VEVERAVE_DRIVER_FIELDS_LE_BYTES_H_
#define VEVERAVE_DRIVER_FIELDS_LE_BYTES_H_

#include <cstdint>

namespace vv::driver {

inline uint64_t LoadLe(const uint8_t* p, int bytes) {
  uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

inline void StoreLe(uint8_t* p, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    p[i] = static_cast<uint8_t>(v & 0xFF);
    v >>= 8;
  }
}

// A signed integer of 1, 2, 4 or 8 bytes.
inline int64_t LoadLeSigned(const uint8_t* p, int bytes) {
  uint64_t v = LoadLe(p, bytes);
  if (bytes < 8 && (v >> (bytes * 8 - 1)) != 0) v |= ~uint64_t{0} << (bytes * 8);
  return static_cast<int64_t>(v);
}

inline uint32_t LoadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(LoadLe(p, 4));
}
inline void StoreLe32(uint8_t* p, uint32_t v) {
  StoreLe(p, v, 4);
}

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FIELDS_LE_BYTES_H_
