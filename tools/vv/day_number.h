// Host date numbers and calendar dates.
//
// The host keeps a date as a day number in a calendar where every fourth
// year (a year divisible by 4, centuries included) is a leap year: day 1 is
// 2 January of year 0, day 366 is 1 January of year 1, day 730500 is
// 1 January 2000; 0 is the empty date. The tool shows dates as YYYY-MM-DD
// and reads them back in that form.
#ifndef VEVERAVE_TOOLS_VV_DAY_NUMBER_H_
#define VEVERAVE_TOOLS_VV_DAY_NUMBER_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace vv::tools {

// Latest year a date may have (the latest the driver stores).
inline constexpr int kLastYear = 3000;

// The day number of a date of years 0 to kLastYear; 0 when the date is none
// (month outside 1..12, day outside the month).
int32_t DayNumber(int year, int month, int day);

// "YYYY-MM-DD" of a day number; empty for 0, negative numbers and numbers
// beyond kLastYear.
std::string DateText(int32_t dayNumber);

// Reads "YYYY-MM-DD" (one- or two-digit month and day accepted); false when
// the text is no such date.
bool ParseDate(std::string_view text, int32_t* dayNumber);

}  // namespace vv::tools

#endif  // VEVERAVE_TOOLS_VV_DAY_NUMBER_H_
