// Dates and times. Btrieve keeps a DATE in 4 bytes (day, month, then the year
// as a 16-bit little-endian number; all zero is the empty date) and a TIME in
// 4 bytes (hundredths, seconds, minutes, hours). The host counts days: its
// date number is a day count in which every fourth year is a leap year (no
// century exception), 0 is the empty date, 1 is 2 January of year 0, 366 is
// 1 January of year 1 and 730500 is 1 January 2000. Its time number counts
// hundredths of a second since midnight.
#ifndef VEVERAVE_DRIVER_FIELDS_DATE_TIME_H_
#define VEVERAVE_DRIVER_FIELDS_DATE_TIME_H_

#include <cstddef>
#include <cstdint>

namespace vv::driver {

inline constexpr int kBtrDateSize = 4;
inline constexpr int kBtrTimeSize = 4;
// The latest date a Btrieve DATE may hold (31 December 3000).
inline constexpr int kBtrDateMaxYear = 3000;
// Hundredths of a second in a day.
inline constexpr int32_t kTimeNumberLimit = 24 * 360000;

// The host date number of a Btrieve DATE; 0 for the empty date. A month
// above 12, a day above 31, a year above 3000 or day 0 of a month is not a
// date: error 16 ("mvbtrBtrDateToJulian") is reported and the result is 0.
// Days are not checked against the month's length (31 February counts on
// into March).
int32_t mvbtrBtrDateToJulian(const uint8_t* date);
// The Btrieve DATE of a host date number; numbers below 1 give the empty
// date. The inverse of mvbtrBtrDateToJulian for every valid date.
void mvbtrJulianToBtrDate(int32_t number, uint8_t* date);
// The host date number of 31 December 3000, the highest date a Btrieve DATE
// may hold.
int32_t mvbtrJulianMax();

// TIME <-> host time number. The number must lie below kTimeNumberLimit.
int32_t mvbtrBtrTimeToNumber(const uint8_t* time);
void mvbtrNumberToBtrTime(int32_t number, uint8_t* time);

// A TIME as text for a text read: "hhmmss,hh" (nine characters, 134502,50
// for 13:45:02.50) into dest, which holds destLen characters and a
// terminator. A destLen below 9 is error 4101 ("Time needs len of 8!"),
// returned; 0 otherwise.
int16_t mvbtrBtrTimeToText(char* dest, int32_t destLen, const uint8_t* time);

// Text forms of a DATE ("yyyymmdd") and a TIME ("hh:mm'ss\"hh", each byte
// read as a signed number) when a record's date or time goes into a text
// field. The buffers must hold kBtrDateTextSize / kBtrTimeTextSize bytes.
inline constexpr std::size_t kBtrDateTextSize = 12;
inline constexpr std::size_t kBtrTimeTextSize = 20;
void mvbtrBtrDateText(const uint8_t* date, char* text);
void mvbtrBtrTimeText(const uint8_t* time, char* text);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FIELDS_DATE_TIME_H_
