#include "driver/fields/bcd_value.h"

#include <cstring>

namespace vv::driver {
namespace {

constexpr uint64_t kPow10[] = {
    1ULL,           10ULL,           100ULL,           1000ULL,           10000ULL,
    100000ULL,      1000000ULL,      10000000ULL,      100000000ULL,      1000000000ULL,
    10000000000ULL, 100000000000ULL, 1000000000000ULL, 10000000000000ULL, 100000000000000ULL};

}  // namespace

int BcdDigit(const VvBcd& value, int index) {
  uint8_t b = value.b[index / 2];
  return (index % 2 == 0) ? (b >> 4) : (b & 0x0F);
}

void BcdDigitSet(VvBcd* value, int index, int digit) {
  uint8_t& b = value->b[index / 2];
  if (index % 2 == 0) {
    b = static_cast<uint8_t>((b & 0x0F) | (digit << 4));
  } else {
    b = static_cast<uint8_t>((b & 0xF0) | digit);
  }
}

void BcdClear(VvBcd* value) {
  std::memset(value->b, 0, sizeof value->b);
}

bool BcdIsZero(const VvBcd& value) {
  for (int i = 0; i < VV_BCD_SIGN_BYTE; ++i) {
    if (value.b[i] != 0) return false;
  }
  return true;
}

bool BcdIsNegative(const VvBcd& value) {
  return value.b[VV_BCD_SIGN_BYTE] != 0 && !BcdIsZero(value);
}

void BcdSignSet(VvBcd* value, bool negative) {
  value->b[VV_BCD_SIGN_BYTE] = (negative && !BcdIsZero(*value)) ? VV_BCD_SIGN_NEGATIVE : 0;
}

uint64_t BcdIntegerPart(const VvBcd& value) {
  uint64_t n = 0;
  for (int i = 0; i < kBcdIntDigits; ++i) n = n * 10 + static_cast<uint64_t>(BcdDigit(value, i));
  return n;
}

uint32_t BcdFraction(const VvBcd& value, int count) {
  uint32_t n = 0;
  for (int i = 0; i < count; ++i) {
    n = n * 10 + static_cast<uint32_t>(BcdDigit(value, kBcdIntDigits + i));
  }
  return n;
}

bool BcdFractionBeyond(const VvBcd& value, int count) {
  for (int i = kBcdIntDigits + count; i < kBcdDigits; ++i) {
    if (BcdDigit(value, i) != 0) return true;
  }
  return false;
}

int64_t BcdToInt64(const VvBcd& value) {
  int64_t n = static_cast<int64_t>(BcdIntegerPart(value));
  return BcdIsNegative(value) ? -n : n;
}

bool BcdFromScaled(uint64_t magnitude, int scale, bool negative, VvBcd* value) {
  uint64_t integer = magnitude / kPow10[scale];
  uint64_t fraction = magnitude % kPow10[scale];
  if (integer >= kPow10[kBcdIntDigits]) return false;
  BcdClear(value);
  for (int i = kBcdUnits; i >= 0 && integer != 0; --i) {
    BcdDigitSet(value, i, static_cast<int>(integer % 10));
    integer /= 10;
  }
  for (int i = kBcdIntDigits + scale - 1; i >= kBcdIntDigits; --i) {
    BcdDigitSet(value, i, static_cast<int>(fraction % 10));
    fraction /= 10;
  }
  BcdSignSet(value, negative);
  return true;
}

bool BcdFromInt64(int64_t number, VvBcd* value) {
  // The magnitude of the smallest int64 does not fit an int64, so it is made
  // in unsigned arithmetic.
  uint64_t magnitude =
      number < 0 ? ~static_cast<uint64_t>(number) + 1 : static_cast<uint64_t>(number);
  return BcdFromScaled(magnitude, 0, number < 0, value);
}

void mvbtrUlongToBcd(uint32_t number, VvBcd* value) {
  BcdClear(value);
  for (int byte = kBcdUnits / 2; byte >= 0 && number != 0; --byte) {
    uint32_t pair = number % 100;
    number /= 100;
    value->b[byte] = static_cast<uint8_t>(((pair / 10) << 4) | (pair % 10));
  }
}

uint32_t mvbtrBcdToUlong(const VvBcd& value) {
  uint32_t n = 0;
  for (int i = 0; i < kBcdIntDigits; ++i) n = n * 10 + static_cast<uint32_t>(BcdDigit(value, i));
  return n;
}

}  // namespace vv::driver
