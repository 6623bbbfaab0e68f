// BCD values to and from text and doubles.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/bcd.h"
#include "host/decimal.h"
#include "host/host_errors.h"

namespace vv::host {
namespace {

constexpr int kFraction = VV_BCD_FRACTION_DIGITS;
constexpr int32_t kMaxTextWidth = VV_HOST_TEXT_LINE_SIZE - 1;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The digits of w, most significant first, at least minDigits of them.
std::string WideDigits(const Wide& w, int minDigits) {
  int n = w.Length();
  if (n < minDigits) n = minDigits;
  std::string s;
  for (int i = n - 1; i >= 0; --i) s.push_back(static_cast<char>('0' + w.d[i]));
  return s;
}

// m x 10^exponent as a magnitude x 10^8, rounded half away from zero;
// kErrOverflow when it cannot be a BCD magnitude.
int16_t ScaleDigits(const std::string& digits, int exponent, Wide* out) {
  Wide m;
  const int n = static_cast<int>(digits.size());
  if (n > Wide::kDigits) return kErrOverflow;
  for (int i = 0; i < n; ++i) m.d[i] = static_cast<uint8_t>(digits[n - 1 - i] - '0');
  const int shift = exponent + kFraction;
  if (shift >= 0) {
    if (m.Length() + shift > kBcdDigits) return m.IsZero() ? 0 : kErrOverflow;
    *out = WideShiftUp(m, shift);
  } else {
    *out = -shift > Wide::kDigits ? Wide{} : WideShiftDownRounded(m, -shift);
  }
  return out->Length() > kBcdDigits ? kErrOverflow : 0;
}

// Splits printf's "%.*e" output ("-1.2345e+05", the point in the C
// library's locale) into sign, digits and the exponent of the last digit.
bool SplitScientific(const char* text, bool* negative, std::string* digits, int* exponent) {
  *negative = *text == '-';
  digits->clear();
  const char* p = text;
  for (; *p != '\0' && *p != 'e' && *p != 'E'; ++p) {
    if (IsDigit(*p)) digits->push_back(*p);
  }
  if (*p == '\0' || digits->empty()) return false;
  *exponent = std::atoi(p + 1) - static_cast<int>(digits->size() - 1);
  return true;
}

// Reads "[-]digitsE[-]n" back, which has no decimal point and so does not
// depend on the locale.
double ReadBack(bool negative, const std::string& digits, int exponent) {
  const std::string text = (negative ? "-" : "") + digits + "e" + std::to_string(exponent);
  return std::strtod(text.c_str(), nullptr);
}

}  // namespace

int16_t BcdFromText(std::string_view text, char decimalSeparator, VvBcd* out) {
  const char group = decimalSeparator == '.' ? ',' : decimalSeparator == ',' ? '.' : '\0';
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && IsBlank(text[i])) ++i;
  if (i == n) {
    *out = BcdZero();
    return 0;
  }
  Decimal d;
  if (text[i] == '+' || text[i] == '-') {
    d.negative = text[i] == '-';
    ++i;
    while (i < n && IsBlank(text[i])) ++i;
  }
  std::string integer, fraction;
  bool sawSeparator = false;
  for (; i < n; ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      (sawSeparator ? fraction : integer).push_back(c);
    } else if (c == decimalSeparator && !sawSeparator) {
      sawSeparator = true;
    } else if (c == group && group != '\0' && !sawSeparator && !integer.empty() && i + 1 < n &&
               IsDigit(text[i + 1])) {
      // A grouping character between two integer digits.
    } else {
      break;
    }
  }
  while (i < n && IsBlank(text[i])) ++i;
  if (i != n || (integer.empty() && fraction.empty())) return kErrNotANumber;

  // Rounding half away from zero needs only the first digit after the 8th.
  if (fraction.size() > kFraction + 1) fraction.resize(kFraction + 1);
  const std::size_t firstNonZero = integer.find_first_not_of('0');
  integer = firstNonZero == std::string::npos ? "" : integer.substr(firstNonZero);
  if (integer.size() > VV_BCD_INTEGER_DIGITS) return kErrOverflow;
  if (int16_t rc =
          ScaleDigits(integer + fraction, -static_cast<int>(fraction.size()), &d.magnitude)) {
    return rc;
  }
  return DecimalToBcd(d, out);
}

int16_t BcdToText(const VvBcd& value, int32_t width, int32_t decimals, char decimalSeparator,
                  std::string* out) {
  if (width > kMaxTextWidth) return kErrBadArgument;
  if (width < 0) width = 0;
  if (decimals < 0) decimals = 0;
  if (decimals > kFraction) decimals = kFraction;
  Decimal d;
  if (int16_t rc = DecimalFromBcd(value, &d)) return rc;
  const Wide rounded = WideShiftDownRounded(d.magnitude, kFraction - decimals);
  const std::string digits = WideDigits(rounded, decimals + 1);
  const std::size_t integerLength = digits.size() - static_cast<std::size_t>(decimals);
  std::string text;
  if (d.negative && !rounded.IsZero()) text.push_back('-');
  text.append(digits, 0, integerLength);
  if (decimals > 0) {
    text.push_back(decimalSeparator);
    text.append(digits, integerLength, std::string::npos);
  }
  if (text.size() < static_cast<std::size_t>(width)) {
    text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
  }
  *out = std::move(text);
  return 0;
}

int16_t BcdFromDouble(double value, VvBcd* out) {
  if (std::isnan(value)) return kErrNotANumber;
  if (std::isinf(value)) return kErrOverflow;
  if (value == 0) {
    *out = BcdZero();
    return 0;
  }
  // The shortest of 15, 16 and 17 significant digits that reads back as the
  // same double: the decimal form the value was most likely written in.
  bool negative = false;
  std::string digits;
  int exponent = 0;
  for (int precision = 15; precision <= 17; ++precision) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", precision - 1, value);
    if (!SplitScientific(buffer, &negative, &digits, &exponent)) return kErrNotANumber;
    if (ReadBack(negative, digits, exponent) == value) break;
  }
  Decimal d;
  d.negative = negative;
  if (int16_t rc = ScaleDigits(digits, exponent, &d.magnitude)) return rc;
  return DecimalToBcd(d, out);
}

int16_t BcdToDouble(const VvBcd& value, double* out) {
  Decimal d;
  if (int16_t rc = DecimalFromBcd(value, &d)) return rc;
  *out = ReadBack(d.negative, WideDigits(d.magnitude, 1), -kFraction);
  return 0;
}

}  // namespace vv::host
