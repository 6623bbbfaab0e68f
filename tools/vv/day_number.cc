#include "vv/day_number.h"

#include <cstdio>

namespace vv::tools {
namespace {

bool Leap(int year) {
  return year % 4 == 0;
}

// Days of the year before the first of month (1..13), by the month-length
// rule 31, 28/29, then 31, 30, 31, 30, 31 repeating from March.
int DaysBeforeMonth(int year, int month) {
  if (month <= 1) return 0;
  if (month == 2) return 31;
  return 59 + (Leap(year) ? 1 : 0) + (153 * (month - 3) + 2) / 5;
}

// Day number of 1 January of year: 365 days a year plus one for each leap
// year before it (year 0 is one).
int32_t YearStart(int year) {
  return 365 * year + (year + 3) / 4;
}

}  // namespace

int32_t DayNumber(int year, int month, int day) {
  if (year < 0 || year > kLastYear || month < 1 || month > 12 || day < 1) return 0;
  if (day > DaysBeforeMonth(year, month + 1) - DaysBeforeMonth(year, month)) return 0;
  return YearStart(year) + DaysBeforeMonth(year, month) + day - 1;
}

std::string DateText(int32_t dayNumber) {
  if (dayNumber <= 0 || dayNumber >= YearStart(kLastYear + 1)) return "";
  // Four years hold 1461 days; the estimate is at most one year late.
  int year = static_cast<int>(static_cast<int64_t>(dayNumber) * 4 / 1461);
  while (YearStart(year) > dayNumber) --year;
  while (YearStart(year + 1) <= dayNumber) ++year;
  const int dayOfYear = dayNumber - YearStart(year);
  int month = 12;
  while (DaysBeforeMonth(year, month) > dayOfYear) --month;
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month,
                dayOfYear - DaysBeforeMonth(year, month) + 1);
  return text;
}

bool ParseDate(std::string_view text, int32_t* dayNumber) {
  int parts[3] = {0, 0, 0};
  int digits[3] = {0, 0, 0};
  int part = 0;
  for (char c : text) {
    if (c == '-') {
      if (++part > 2) return false;
    } else if (c >= '0' && c <= '9') {
      if (++digits[part] > 4) return false;
      parts[part] = parts[part] * 10 + (c - '0');
    } else {
      return false;
    }
  }
  if (part != 2 || digits[0] != 4 || digits[1] == 0 || digits[1] > 2 || digits[2] == 0 ||
      digits[2] > 2) {
    return false;
  }
  const int32_t n = DayNumber(parts[0], parts[1], parts[2]);
  if (n == 0) return false;
  *dayNumber = n;
  return true;
}

}  // namespace vv::tools
