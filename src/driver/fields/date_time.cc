#include "driver/fields/date_time.h"

#include <cstdio>
#include <cstring>

#include "driver/fields/le_bytes.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"

namespace vv::driver {
namespace {

// Days before each month (index = month), then the bounds the month search
// runs into.
constexpr int32_t kCumulativeDays[] = {0,   0,   31,  59,  90,  120, 151, 181,
                                       212, 243, 273, 304, 334, 366, 397, 1000};

constexpr int32_t DateNumber(int32_t day, int32_t month, int32_t year) {
  int32_t n = static_cast<int32_t>(((static_cast<int64_t>(kCumulativeDays[month] + day - 1) * 100) +
                                    int64_t{year} * 36525 + 75) /
                                   100);
  if (month > 2 && year % 4 == 0) ++n;
  return n;
}

static_assert(DateNumber(1, 1, 2000) == 730500);
static_assert(DateNumber(2, 1, 0) == 1);

}  // namespace

int32_t mvbtrBtrDateToJulian(const uint8_t* date) {
  int32_t day = date[0];
  int32_t month = date[1];
  int32_t year = static_cast<int32_t>(LoadLe(date + 2, 2));
  if (day + month + year == 0) return 0;
  if (month > 12 || day > 31 || year > kBtrDateMaxYear || (month >= 1 && day == 0)) {
    mvbtrErrorReport(kErrInvalidDate, "mvbtrBtrDateToJulian");
    return 0;
  }
  return DateNumber(day, month, year);
}

int32_t mvbtrJulianMax() {
  return DateNumber(31, 12, kBtrDateMaxYear);
}

void mvbtrJulianToBtrDate(int32_t number, uint8_t* date) {
  std::memset(date, 0, kBtrDateSize);
  if (number < 1) return;
  int64_t n = number;
  int64_t year = n * 100 / 36525;
  int64_t base = (year * 36525 - 25) / 100;
  if (year == 0) ++n;
  int64_t dayOfYear = n - base;
  bool leap = year % 4 == 0 && dayOfYear > 59;
  if (leap) --dayOfYear;
  int month = 12;
  for (int k = 2; k <= 13; ++k) {
    if (dayOfYear <= kCumulativeDays[k]) {
      month = k - 1;
      break;
    }
  }
  if (leap && dayOfYear == 59) dayOfYear = 60;  // 29 February
  date[0] = static_cast<uint8_t>(dayOfYear - kCumulativeDays[month]);
  date[1] = static_cast<uint8_t>(month);
  StoreLe(date + 2, static_cast<uint64_t>(year), 2);
}

int32_t mvbtrBtrTimeToNumber(const uint8_t* time) {
  return time[3] * 360000 + time[2] * 6000 + time[1] * 100 + time[0];
}

void mvbtrNumberToBtrTime(int32_t number, uint8_t* time) {
  time[3] = static_cast<uint8_t>(number / 360000);
  number %= 360000;
  time[2] = static_cast<uint8_t>(number / 6000);
  number %= 6000;
  time[1] = static_cast<uint8_t>(number / 100);
  time[0] = static_cast<uint8_t>(number % 100);
}

int16_t mvbtrBtrTimeToText(char* dest, int32_t destLen, const uint8_t* time) {
  if (destLen < 9) {
    mvbtrErrorReport(kErrBufferTooSmall, "Time needs len of 8!");
    return kErrBufferTooSmall;
  }
  // Bytes beyond a valid time print with three digits; the text is cut to
  // the destination.
  char text[20];
  std::snprintf(text, sizeof text, "%02d%02d%02d,%02d", time[3], time[2], time[1], time[0]);
  std::size_t n = std::strlen(text);
  if (n > static_cast<std::size_t>(destLen)) n = static_cast<std::size_t>(destLen);
  std::memcpy(dest, text, n);
  dest[n] = '\0';
  return 0;
}

void mvbtrBtrDateText(const uint8_t* date, char* text) {
  std::snprintf(text, kBtrDateTextSize, "%04d%02d%02d", static_cast<int>(LoadLe(date + 2, 2)),
                date[1], date[0]);
}

void mvbtrBtrTimeText(const uint8_t* time, char* text) {
  std::snprintf(text, kBtrTimeTextSize, "%02d:%02d'%02d\"%02d", static_cast<int8_t>(time[3]),
                static_cast<int8_t>(time[2]), static_cast<int8_t>(time[1]),
                static_cast<int8_t>(time[0]));
}

}  // namespace vv::driver
