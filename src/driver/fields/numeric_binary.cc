// Binary numbers: integers of 1, 2, 4 and 8 bytes (INTEGER, AUTOINCREMENT,
// UNSIGNED), LOGICAL, bit fields, currency and timestamp.
#include <cstdint>

#include "driver/fields/bcd_value.h"
#include "driver/fields/field_access.h"
#include "driver/fields/le_bytes.h"
#include "driver/fields/numeric_codecs.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_bcd.h"
#include "driver/frame/host/host_calls.h"

namespace vv::driver {
namespace {

constexpr int64_t kCurrencyScale = 10000;  // currency counts 1/10000
constexpr int kCurrencyDecimals = 4;
constexpr int64_t kTimestampScale = 10000000;  // timestamps count 100 ns
constexpr int kTimestampDecimals = 7;
constexpr uint64_t kCurrencyLimit = 1000000000000000000ULL;  // 10^18: 14 + 4 digits

bool IsIntegerSize(int32_t size) {
  return size == 1 || size == 2 || size == 4 || size == 8;
}

// The value truncated to an integer: its magnitude and sign (-0.5 gives 0,
// not negative).
struct IntegerPart {
  uint64_t magnitude;
  bool negative;
};

IntegerPart Truncated(const VvBcd& value) {
  uint64_t magnitude = BcdIntegerPart(value);
  return IntegerPart{magnitude, magnitude != 0 && BcdIsNegative(value)};
}

// A signed 64-bit number of units of 1 / 10^decimals from the value; false
// when it does not fit.
bool Scaled(const VvBcd& value, int decimals, int64_t scale, int64_t* out) {
  uint64_t integer = BcdIntegerPart(value);
  uint64_t fraction = BcdFraction(value, decimals);
  if (integer > (static_cast<uint64_t>(INT64_MAX) - fraction) / static_cast<uint64_t>(scale)) {
    return false;
  }
  auto magnitude = static_cast<int64_t>(integer * static_cast<uint64_t>(scale) + fraction);
  *out = BcdIsNegative(value) ? -magnitude : magnitude;
  return true;
}

void IntegerGet(const OpenFile* file, const FieldDesc* field, VvBcd* value) {
  const uint8_t* data = field->lpData;
  int32_t size = field->nSize;
  if (!IsIntegerSize(size)) {
    mvbtrFieldError(kErrIntegerLength, field);
    return;
  }
  // A 1-byte INTEGER reads as unsigned, as do UNSIGNED of up to 4 bytes.
  bool isUnsigned = size == 1 || (field->nBtrType == BTR_TYPE_UNSIGNED && size < 8);
  int64_t number = isUnsigned ? static_cast<int64_t>(LoadLe(data, size)) : LoadLeSigned(data, size);
  if (!BcdFromInt64(number, value)) mvbtrValueError(kErrValueOutOfRange, file, field);
}

void IntegerPut(const OpenFile* file, const FieldDesc* field, const VvBcd& value, uint8_t* work) {
  int32_t size = field->nSize;
  IntegerPart part = Truncated(value);
  bool isUnsigned = field->nBtrType == BTR_TYPE_UNSIGNED;
  if (isUnsigned && part.negative) {
    mvbtrFieldError(kErrValueOutOfRange, field);
    return;
  }
  if (!IsIntegerSize(size)) {
    mvbtrFieldError(kErrIntegerLength, field);
    return;
  }
  if (size == 8) {
    // Eight bytes hold every integer of the host value, but no fraction.
    if (BcdFractionBeyond(value, 0)) {
      mvbtrValueError(kErrValueOutOfRange, file, field);
      return;
    }
    auto magnitude = static_cast<int64_t>(part.magnitude);
    StoreLe(work, static_cast<uint64_t>(part.negative ? -magnitude : magnitude), 8);
    return;
  }
  if (size == 1 && !isUnsigned && part.negative) {
    mvbtrFieldError(kErrNegativeByte, field);
    return;
  }
  // Ranges: a 1-byte field holds 0..255; 2 and 4 bytes their signed range,
  // or for UNSIGNED their unsigned range. The host value's integer digits
  // beyond them are refused rather than cut.
  uint64_t limit = size == 1 ? 256 : (uint64_t{1} << (size * 8 - (isUnsigned ? 0 : 1)));
  bool fits = part.negative ? part.magnitude <= limit : part.magnitude < limit;
  if (!fits) {
    mvbtrFieldError(kErrValueOutOfRange, field);
    return;
  }
  auto magnitude = static_cast<int64_t>(part.magnitude);
  StoreLe(work, static_cast<uint64_t>(part.negative ? -magnitude : magnitude), size);
}

// Timestamp: the quotient by 10^7 is the integer part, the remainder is added
// as remainder / 10^7 through the host's BCD arithmetic.
void TimestampGet(const FieldDesc* field, VvBcd* value) {
  int64_t ticks = LoadLeSigned(field->lpData, 8);
  BcdFromInt64(ticks / kTimestampScale, value);
  int64_t remainder = ticks % kTimestampScale;
  if (remainder == 0) return;
  VvBcd rest;
  VvBcd scale;
  VvBcd fraction;
  VvBcd integer = *value;
  BcdFromInt64(remainder, &rest);
  BcdFromInt64(kTimestampScale, &scale);
  mvbtrBcdDivide(&rest, &scale, &fraction);
  mvbtrBcdAdd(&integer, &fraction, value);
}

}  // namespace

void mvbtrBinaryGet(const OpenFile* file, const FieldDesc* field, VvBcd* value) {
  const uint8_t* data = field->lpData;
  switch (field->nBtrType) {
    case BTR_TYPE_INTEGER:
    case BTR_TYPE_AUTOINCREMENT:
    case BTR_TYPE_UNSIGNED:
      IntegerGet(file, field, value);
      return;
    case BTR_TYPE_LOGICAL:
      BcdFromInt64(static_cast<int8_t>(data[0]), value);
      return;
    case BTR_TYPE_BIT:
      BcdFromInt64((data[0] & field->nPrecision) != 0 ? 1 : 0, value);
      return;
    case BTR_TYPE_CURRENCY:
    case BTR_TYPE_TIMESTAMP:
      if (field->nSize != 8) {
        mvbtrFieldError(kErrIntegerLength, field);
        return;
      }
      if (field->nBtrType == BTR_TYPE_TIMESTAMP) {
        TimestampGet(field, value);
        return;
      }
      {
        int64_t units = LoadLeSigned(data, 8);
        uint64_t magnitude =
            units < 0 ? ~static_cast<uint64_t>(units) + 1 : static_cast<uint64_t>(units);
        if (magnitude >= kCurrencyLimit) {
          mvbtrValueError(kErrValueOutOfRange, file, field);
          return;
        }
        BcdFromScaled(magnitude, kCurrencyDecimals, units < 0, value);
      }
      return;
    default:
      return;
  }
}

void mvbtrBinaryPut(const OpenFile* file, const FieldDesc* field, const VvBcd& value,
                    uint8_t* work) {
  switch (field->nBtrType) {
    case BTR_TYPE_INTEGER:
    case BTR_TYPE_AUTOINCREMENT:
    case BTR_TYPE_UNSIGNED:
      IntegerPut(file, field, value, work);
      return;
    case BTR_TYPE_LOGICAL: {
      IntegerPart part = Truncated(value);
      if (part.negative || part.magnitude > 255) {
        mvbtrErrorReport(kErrLogicalRange, nullptr);
        return;
      }
      work[0] = static_cast<uint8_t>(part.magnitude);
      return;
    }
    case BTR_TYPE_BIT: {
      auto mask = static_cast<uint8_t>(field->nPrecision);
      work[0] = Truncated(value).magnitude != 0 ? static_cast<uint8_t>(work[0] | mask)
                                                : static_cast<uint8_t>(work[0] & ~mask);
      return;
    }
    case BTR_TYPE_CURRENCY:
    case BTR_TYPE_TIMESTAMP: {
      if (field->nSize != 8) {
        mvbtrFieldError(kErrIntegerLength, field);
        return;
      }
      bool currency = field->nBtrType == BTR_TYPE_CURRENCY;
      int decimals = currency ? kCurrencyDecimals : kTimestampDecimals;
      int64_t scale = currency ? kCurrencyScale : kTimestampScale;
      // Currency keeps 4 decimals and refuses more; a timestamp keeps 7 and
      // drops the eighth.
      int64_t units = 0;
      if ((currency && BcdFractionBeyond(value, decimals)) ||
          !Scaled(value, decimals, scale, &units)) {
        mvbtrValueError(kErrValueOutOfRange, file, field);
        return;
      }
      StoreLe(work, static_cast<uint64_t>(units), 8);
      return;
    }
    default:
      return;
  }
}

}  // namespace vv::driver
