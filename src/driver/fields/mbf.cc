#include "driver/fields/mbf.h"

#include <cstring>

#include "driver/fields/le_bytes.h"

namespace vv::driver {
namespace {

// The MBF exponent of a value is the IEEE one plus this (4 bytes: bias 129
// against 127); for 8 bytes the IEEE one less kMbf8Shift (bias 1023 against
// 129).
constexpr int kMbf4Shift = 2;
constexpr int kMbf8Shift = 894;
constexpr int kMbfExponentMax = 0xFF;  // the exponent is one byte
constexpr uint32_t kMantissa23 = (1U << 23) - 1;
constexpr uint64_t kMantissa52 = (uint64_t{1} << 52) - 1;
constexpr uint64_t kMantissa55 = (uint64_t{1} << 55) - 1;

}  // namespace

float mvbtrMbf4ToIeee(const uint8_t* mbf) {
  uint32_t bits = LoadLe32(mbf);
  int exponent = static_cast<int>(bits >> 24);
  if (exponent <= kMbf4Shift) return 0.0f;  // 0, or below the IEEE range
  uint32_t sign = (bits >> 23) & 1;
  uint32_t ieee =
      (sign << 31) | (static_cast<uint32_t>(exponent - kMbf4Shift) << 23) | (bits & kMantissa23);
  float value;
  std::memcpy(&value, &ieee, sizeof value);
  return value;
}

bool mvbtrIeeeToMbf4(float value, uint8_t* mbf) {
  uint32_t ieee;
  std::memcpy(&ieee, &value, sizeof ieee);
  int exponent = static_cast<int>((ieee >> 23) & 0xFF);
  if (exponent + kMbf4Shift > kMbfExponentMax) return false;
  if (exponent == 0) {  // zero, or a denormal below the MBF range
    std::memset(mbf, 0, 4);
    return true;
  }
  uint32_t sign = ieee >> 31;
  uint32_t bits =
      (static_cast<uint32_t>(exponent + kMbf4Shift) << 24) | (sign << 23) | (ieee & kMantissa23);
  StoreLe32(mbf, bits);
  return true;
}

double mvbtrMbf8ToIeee(const uint8_t* mbf) {
  uint64_t bits = LoadLe(mbf, 8);
  int exponent = static_cast<int>(bits >> 56);
  if (exponent == 0) return 0.0;
  uint64_t sign = (bits >> 55) & 1;
  uint64_t ieee = (sign << 63) | (static_cast<uint64_t>(exponent + kMbf8Shift) << 52) |
                  ((bits & kMantissa55) >> 3);
  double value;
  std::memcpy(&value, &ieee, sizeof value);
  return value;
}

bool mvbtrIeeeToMbf8(double value, uint8_t* mbf) {
  uint64_t ieee;
  std::memcpy(&ieee, &value, sizeof ieee);
  int exponent = static_cast<int>((ieee >> 52) & 0x7FF);
  if (exponent - kMbf8Shift > kMbfExponentMax) return false;
  if (exponent <= kMbf8Shift) {  // zero, or below the MBF range
    std::memset(mbf, 0, 8);
    return true;
  }
  uint64_t sign = ieee >> 63;
  uint64_t bits = (static_cast<uint64_t>(exponent - kMbf8Shift) << 56) | (sign << 55) |
                  ((ieee & kMantissa52) << 3);
  StoreLe(mbf, bits, 8);
  return true;
}

}  // namespace vv::driver
