// CRC-32C (Castagnoli), the checksum of every record of an engine file.
#ifndef VEVERAVE_ENGINE_CRC32C_H_
#define VEVERAVE_ENGINE_CRC32C_H_

#include <cstddef>
#include <cstdint>

namespace vv::engine {

// Extends crc (0 for a fresh checksum) over n bytes.
uint32_t Crc32c(uint32_t crc, const void* data, std::size_t n);

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_CRC32C_H_
