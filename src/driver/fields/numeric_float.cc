// Floats: IEEE (4 or 8 bytes) and BFLOAT (Microsoft Binary Format, 4 or 8
// bytes). A float is read by printing it with the field's decimals and having
// the host convert the text; it is written from the host's double.
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "driver/fields/field_access.h"
#include "driver/fields/le_bytes.h"
#include "driver/fields/mbf.h"
#include "driver/fields/numeric_codecs.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_bcd.h"
#include "driver/frame/host/host_calls.h"

namespace vv::driver {
namespace {

// "%*.*f" of the largest double has 309 integer digits.
constexpr int kFloatTextSize = 400;

void FloatToBcd(const FieldDesc* field, double number, VvBcd* value) {
  int decimals = field->nPrecision < 0 ? 0 : field->nPrecision;
  int width = field->nHostLength - decimals;
  if (width < 0) width = 0;
  char text[kFloatTextSize];
  std::snprintf(text, sizeof text, "%*.*f", width, decimals, number);
  // The host reads numbers with its own decimal separator.
  auto separator =
      static_cast<char>(mvbtrHostAttrGetNumeric(0, 0, 0, VV_HOST_ATTR_DECIMAL_SEPARATOR));
  if (separator != '.' && separator != '\0') {
    char* point = std::strchr(text, '.');
    if (point != nullptr) *point = separator;
  }
  mvbtrTextToBcd(text, value);
}

}  // namespace

void mvbtrFloatGet(const OpenFile*, const FieldDesc* field, VvBcd* value) {
  const uint8_t* data = field->lpData;
  bool mbf = field->nBtrType == BTR_TYPE_BFLOAT;
  if (field->nSize == 4) {
    float number;
    if (mbf) {
      number = mvbtrMbf4ToIeee(data);
    } else {
      uint32_t bits = LoadLe32(data);
      std::memcpy(&number, &bits, sizeof number);
    }
    FloatToBcd(field, number, value);
  } else if (field->nSize == 8) {
    double number;
    if (mbf) {
      number = mvbtrMbf8ToIeee(data);
    } else {
      uint64_t bits = LoadLe(data, 8);
      std::memcpy(&number, &bits, sizeof number);
    }
    FloatToBcd(field, number, value);
  }
  // Other lengths have no float form: the value stays 0.
}

void mvbtrFloatPut(const OpenFile* file, const FieldDesc* field, const VvBcd& value,
                   uint8_t* work) {
  if (field->nSize != 4 && field->nSize != 8) return;
  double number = mvbtrBcdToDouble(&value);
  if (field->nBtrType == BTR_TYPE_BFLOAT) {
    bool fits = field->nSize == 4 ? std::fabs(number) <= FLT_MAX &&
                                        mvbtrIeeeToMbf4(static_cast<float>(number), work)
                                  : mvbtrIeeeToMbf8(number, work);
    if (!fits) mvbtrErrorReport(kErrValueOutOfRange, "IEEE to MSBIN");
    return;
  }
  if (field->nSize == 4) {
    // A double beyond the range of a float would become infinite.
    if (std::fabs(number) > FLT_MAX) {
      mvbtrValueError(kErrValueOutOfRange, file, field);
      return;
    }
    auto single = static_cast<float>(number);
    uint32_t bits;
    std::memcpy(&bits, &single, sizeof bits);
    StoreLe32(work, bits);
  } else {
    uint64_t bits;
    std::memcpy(&bits, &number, sizeof bits);
    StoreLe(work, bits, 8);
  }
}

}  // namespace vv::driver
