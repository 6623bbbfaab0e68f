// BCD values against exact decimal expectations: the routines of bcd.h and
// the slots that report their errors.
#include "host/bcd.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "host/host.h"

namespace vv::host {
namespace {

// Parses with '.' as separator; the test fails on a parse error.
VvBcd B(const std::string& text) {
  VvBcd v{};
  EXPECT_EQ(BcdFromText(text, '.', &v), 0) << text;
  return v;
}

// All 8 decimals, so that every digit is visible.
std::string T(const VvBcd& v) {
  std::string s;
  EXPECT_EQ(BcdToText(v, 0, 8, '.', &s), 0);
  return s;
}

std::string Hex(const VvBcd& v) {
  static const char* digits = "0123456789ABCDEF";
  std::string s;
  for (uint8_t b : v.b) {
    s += digits[b >> 4];
    s += digits[b & 15];
  }
  return s;
}

template <class Fn>
Fn Slot(const Host& host, int slot) {
  return reinterpret_cast<Fn>(host.services()->slot[slot]);
}
#define CALL(host, Name, ...) Slot<VvHost_##Name>(host, VV_HOST_SLOT_##Name)(__VA_ARGS__)

TEST(BcdTest, LayoutOfDigitsAndSign) {
  EXPECT_EQ(Hex(B("12345678901234.56789012")), "123456789012345678901200");
  EXPECT_EQ(Hex(B("-1.5")), "0000000000000150000000FF");
  EXPECT_EQ(Hex(B("0.00000001")), "000000000000000000000100");
  EXPECT_EQ(Hex(BcdZero()), "000000000000000000000000");
  EXPECT_EQ(Hex(B("-0")), Hex(BcdZero())) << "never a negative zero";
  EXPECT_EQ(Hex(B("-0.000000001")), Hex(BcdZero())) << "rounds to zero, not to minus zero";
}

TEST(BcdTest, IntegersIncludingTheInt32Limits) {
  VvBcd v;
  ASSERT_EQ(BcdFromInt(2147483647, &v), 0);
  EXPECT_EQ(T(v), "2147483647.00000000");
  ASSERT_EQ(BcdFromInt(INT32_MIN, &v), 0);
  EXPECT_EQ(T(v), "-2147483648.00000000");
  ASSERT_EQ(BcdFromInt(0, &v), 0);
  EXPECT_EQ(Hex(v), Hex(BcdZero()));

  int32_t i = 0;
  EXPECT_EQ(BcdToInt(B("2147483647.99999999"), &i), 0);
  EXPECT_EQ(i, 2147483647) << "the fraction is cut off";
  EXPECT_EQ(BcdToInt(B("-2147483648.9"), &i), 0);
  EXPECT_EQ(i, INT32_MIN);
  EXPECT_EQ(BcdToInt(B("-7.9"), &i), 0);
  EXPECT_EQ(i, -7) << "toward zero";
  i = 5;
  EXPECT_EQ(BcdToInt(B("2147483648"), &i), kErrOverflow);
  EXPECT_EQ(BcdToInt(B("-2147483649"), &i), kErrOverflow);
  EXPECT_EQ(BcdToInt(B("99999999999999"), &i), kErrOverflow);
  EXPECT_EQ(i, 5) << "unchanged after a failure";
}

TEST(BcdTest, TextWithSignsSeparatorsAndBlanks) {
  VvBcd v;
  EXPECT_EQ(T(B("  +12.5  ")), "12.50000000");
  EXPECT_EQ(T(B("- 3")), "-3.00000000");
  EXPECT_EQ(T(B(".25")), "0.25000000");
  EXPECT_EQ(T(B("7.")), "7.00000000");
  EXPECT_EQ(T(B("1,234,567.5")), "1234567.50000000") << "grouping commas";
  EXPECT_EQ(T(B("")), "0.00000000") << "empty text is 0";
  EXPECT_EQ(T(B("   ")), "0.00000000");
  EXPECT_EQ(T(B("00000000000000000099999999999999")), "99999999999999.00000000")
      << "leading zeros do not count";
  ASSERT_EQ(BcdFromText("1.234,5", ',', &v), 0) << "decimal comma, dots group";
  EXPECT_EQ(T(v), "1234.50000000");

  for (const char* bad : {"abc", "1.2.3", "12a", "+", "-", ".", "1,,2", ",5", "1 2", "1e5", "--1",
                          "5-", "0x10", "1.5,"}) {
    EXPECT_EQ(BcdFromText(bad, '.', &v), kErrNotANumber) << bad;
  }
  EXPECT_EQ(BcdFromText("100000000000000", '.', &v), kErrOverflow) << "15 integer digits";
  EXPECT_EQ(BcdFromText("-99999999999999.999999999", '.', &v), kErrOverflow)
      << "rounding carries into a 15th digit";
}

TEST(BcdTest, TextRoundsFractionHalfAwayFromZero) {
  EXPECT_EQ(T(B("0.123456785")), "0.12345679");
  EXPECT_EQ(T(B("0.123456784999")), "0.12345678");
  EXPECT_EQ(T(B("-0.123456785")), "-0.12345679");
  EXPECT_EQ(T(B("99999999999999.99999999")), "99999999999999.99999999") << "the largest value";
  EXPECT_EQ(T(B("1.00000000000000000000000000000000000000000000000000000000009")), "1.00000000");
}

TEST(BcdTest, ToTextWithWidthAndDecimals) {
  std::string s;
  ASSERT_EQ(BcdToText(B("-1234.565"), 12, 2, '.', &s), 0);
  EXPECT_EQ(s, "    -1234.57");
  ASSERT_EQ(BcdToText(B("1234.5"), 0, 0, ',', &s), 0);
  EXPECT_EQ(s, "1235");
  ASSERT_EQ(BcdToText(B("0.5"), 0, 3, ',', &s), 0);
  EXPECT_EQ(s, "0,500");
  ASSERT_EQ(BcdToText(B("-0.004"), 0, 2, '.', &s), 0);
  EXPECT_EQ(s, "0.00") << "no minus sign for a value that rounds to zero";
  ASSERT_EQ(BcdToText(B("99999999999999.995"), 0, 2, '.', &s), 0);
  EXPECT_EQ(s, "100000000000000.00") << "rounding may add a digit to the text";
  ASSERT_EQ(BcdToText(B("1.5"), 3, 12, '.', &s), 0);
  EXPECT_EQ(s, "1.50000000") << "at most 8 decimals";
  ASSERT_EQ(BcdToText(B("12"), -5, -1, '.', &s), 0);
  EXPECT_EQ(s, "12");
  EXPECT_EQ(BcdToText(B("1"), 256, 0, '.', &s), kErrBadArgument);
}

TEST(BcdTest, AddAndSubtractExactly) {
  VvBcd r;
  ASSERT_EQ(BcdAdd(B("0.1"), B("0.2"), &r), 0);
  EXPECT_EQ(T(r), "0.30000000");
  ASSERT_EQ(BcdAdd(B("-5.25"), B("2.75"), &r), 0);
  EXPECT_EQ(T(r), "-2.50000000");
  ASSERT_EQ(BcdAdd(B("-5.25"), B("5.25"), &r), 0);
  EXPECT_EQ(Hex(r), Hex(BcdZero())) << "a zero sum is not negative";
  ASSERT_EQ(BcdAdd(B("99999999999999.99999998"), B("0.00000001"), &r), 0);
  EXPECT_EQ(T(r), "99999999999999.99999999");
  ASSERT_EQ(BcdSubtract(B("1"), B("0.00000001"), &r), 0);
  EXPECT_EQ(T(r), "0.99999999");
  const VvBcd before = r;
  EXPECT_EQ(BcdAdd(B("99999999999999.99999999"), B("0.00000001"), &r), kErrOverflow);
  EXPECT_EQ(BcdAdd(B("-99999999999999"), B("-1"), &r), kErrOverflow);
  EXPECT_EQ(Hex(r), Hex(before)) << "the result is untouched after an overflow";
}

TEST(BcdTest, MultiplyRoundsToEightDecimals) {
  VvBcd r;
  ASSERT_EQ(BcdMultiply(B("1.5"), B("-2"), &r), 0);
  EXPECT_EQ(T(r), "-3.00000000");
  ASSERT_EQ(BcdMultiply(B("0.00000001"), B("0.5"), &r), 0);
  EXPECT_EQ(T(r), "0.00000001") << "0.000000005 rounds away from zero";
  ASSERT_EQ(BcdMultiply(B("-0.00000001"), B("0.4"), &r), 0);
  EXPECT_EQ(Hex(r), Hex(BcdZero())) << "-0.000000004 rounds to zero, not minus zero";
  ASSERT_EQ(BcdMultiply(B("12345678.12345678"), B("1000000"), &r), 0);
  EXPECT_EQ(T(r), "12345678123456.78000000");
  ASSERT_EQ(BcdMultiply(B("99999999999999.99999999"), B("1"), &r), 0);
  EXPECT_EQ(T(r), "99999999999999.99999999");
  EXPECT_EQ(BcdMultiply(B("10000000"), B("10000000"), &r), kErrOverflow) << "10^14";
  EXPECT_EQ(BcdMultiply(B("99999999999999.99999999"), B("99999999999999.99999999"), &r),
            kErrOverflow);
}

TEST(BcdTest, DivideRoundsToEightDecimals) {
  VvBcd r;
  ASSERT_EQ(BcdDivide(B("1"), B("3"), &r), 0);
  EXPECT_EQ(T(r), "0.33333333");
  ASSERT_EQ(BcdDivide(B("2"), B("3"), &r), 0);
  EXPECT_EQ(T(r), "0.66666667");
  ASSERT_EQ(BcdDivide(B("-2"), B("3"), &r), 0);
  EXPECT_EQ(T(r), "-0.66666667");
  ASSERT_EQ(BcdDivide(B("5"), B("-0.00000002"), &r), 0);
  EXPECT_EQ(T(r), "-250000000.00000000");
  ASSERT_EQ(BcdDivide(B("15000000"), B("10000000"), &r), 0) << "a timestamp's fraction";
  EXPECT_EQ(T(r), "1.50000000");
  ASSERT_EQ(BcdDivide(B("0.00000001"), B("2"), &r), 0);
  EXPECT_EQ(T(r), "0.00000001") << "half rounds away from zero";
  ASSERT_EQ(BcdDivide(B("-0.00000001"), B("3"), &r), 0);
  EXPECT_EQ(Hex(r), Hex(BcdZero()));
  ASSERT_EQ(BcdDivide(B("99999999999999.99999999"), B("99999999999999.99999999"), &r), 0);
  EXPECT_EQ(T(r), "1.00000000");
  EXPECT_EQ(BcdDivide(B("1"), B("0"), &r), kErrDivideByZero);
  EXPECT_EQ(BcdDivide(B("1"), B("-0"), &r), kErrDivideByZero);
  EXPECT_EQ(BcdDivide(B("1000000"), B("0.00000001"), &r), kErrOverflow) << "10^14";
}

TEST(BcdTest, DoublesRoundTheirDecimalForm) {
  VvBcd r;
  ASSERT_EQ(BcdFromDouble(0.1 + 0.2, &r), 0);
  EXPECT_EQ(T(r), "0.30000000");
  ASSERT_EQ(BcdFromDouble(2.675, &r), 0);
  EXPECT_EQ(T(r), "2.67500000");
  ASSERT_EQ(BcdFromDouble(1.5e-8, &r), 0);
  EXPECT_EQ(T(r), "0.00000002") << "as written, not as stored in binary";
  ASSERT_EQ(BcdFromDouble(-1.234567895, &r), 0);
  EXPECT_EQ(T(r), "-1.23456790");
  ASSERT_EQ(BcdFromDouble(-4e-9, &r), 0);
  EXPECT_EQ(Hex(r), Hex(BcdZero()));
  ASSERT_EQ(BcdFromDouble(12345678901234.0, &r), 0);
  EXPECT_EQ(T(r), "12345678901234.00000000");
  ASSERT_EQ(BcdFromDouble(1e-300, &r), 0);
  EXPECT_EQ(Hex(r), Hex(BcdZero()));
  EXPECT_EQ(BcdFromDouble(1e14, &r), kErrOverflow);
  EXPECT_EQ(BcdFromDouble(99999999999999.999, &r), kErrOverflow) << "is 10^14 as a double";
  EXPECT_EQ(BcdFromDouble(std::nan(""), &r), kErrNotANumber);
  EXPECT_EQ(BcdFromDouble(-INFINITY, &r), kErrOverflow);

  double d = 0;
  ASSERT_EQ(BcdToDouble(B("-1234.5"), &d), 0);
  EXPECT_EQ(d, -1234.5);
  ASSERT_EQ(BcdToDouble(B("0.1"), &d), 0);
  EXPECT_EQ(d, 0.1) << "the nearest double";
  ASSERT_EQ(BcdToDouble(B("12345678901234.56789012"), &d), 0);
  EXPECT_EQ(d, 12345678901234.56789012);
}

TEST(BcdTest, MalformedValuesAreRefused) {
  VvBcd bad = B("1");
  bad.b[3] = 0x1A;  // a nibble above 9
  VvBcd r;
  int32_t i;
  EXPECT_EQ(BcdCheck(bad), kErrInvalidBcd);
  EXPECT_EQ(BcdAdd(bad, B("1"), &r), kErrInvalidBcd);
  EXPECT_EQ(BcdToInt(bad, &i), kErrInvalidBcd);
  VvBcd sign = B("1");
  sign.b[VV_BCD_SIGN_BYTE] = 0x01;
  EXPECT_EQ(BcdCheck(sign), kErrInvalidBcd);
  VvBcd minusZero = BcdZero();
  minusZero.b[VV_BCD_SIGN_BYTE] = VV_BCD_SIGN_NEGATIVE;
  ASSERT_EQ(BcdAdd(minusZero, BcdZero(), &r), 0) << "a negative zero is read as zero";
  EXPECT_EQ(Hex(r), Hex(BcdZero()));
  EXPECT_EQ(BcdCompare(minusZero, BcdZero()), 0);
  EXPECT_EQ(BcdCompare(B("-2"), B("1")), -1);
  EXPECT_EQ(BcdCompare(B("-2"), B("-3")), 1);
}

TEST(BcdTest, SlotsReportOnTheErrorChannel) {
  Host host;
  VvBcd a = B("10");
  VvBcd zero = BcdZero();
  VvBcd r = B("7");
  EXPECT_EQ(CALL(host, BcdDivide, &a, &zero, &r), kErrDivideByZero);
  EXPECT_EQ(host.error(), kErrDivideByZero);
  EXPECT_EQ(host.error_text(), "BcdDivide: division by zero");
  EXPECT_EQ(T(r), "7.00000000");
  host.ClearError();

  EXPECT_EQ(CALL(host, TextToBcd, "12x", &r), VV_HOST_ERR_NOT_A_NUMBER);
  EXPECT_EQ(host.error_text(), "not a number: 12x");
  host.ClearError();

  host.set_decimal_separator(',');
  ASSERT_EQ(CALL(host, TextToBcd, " -1.234,5 ", &r), 0);
  char text[40];
  ASSERT_EQ(CALL(host, BcdToText, &r, text, 10, 2), 0);
  EXPECT_STREQ(text, "  -1234,50") << "the host's decimal separator both ways";

  VvBcd big = B("99999999999999");
  EXPECT_EQ(CALL(host, BcdToInt, &big), 0);
  EXPECT_EQ(host.error(), kErrOverflow);
  host.ClearError();
  ASSERT_EQ(CALL(host, IntToBcd, -42, &r), 0);
  EXPECT_EQ(CALL(host, BcdToInt, &r), -42);
  ASSERT_EQ(CALL(host, DoubleToBcd, 0.125, &r), 0);
  EXPECT_EQ(CALL(host, BcdToDouble, &r), 0.125);
  EXPECT_EQ(CALL(host, BcdMultiply, &r, nullptr, &r), kErrBadArgument) << "null operand";
  EXPECT_EQ(host.error(), 0 + kErrBadArgument);
}

}  // namespace
}  // namespace vv::host
