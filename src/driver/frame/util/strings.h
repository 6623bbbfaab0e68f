// String routines used across the driver. All work in place on
// NUL-terminated strings.
#ifndef VEVERAVE_DRIVER_FRAME_UTIL_STRINGS_H_
#define VEVERAVE_DRIVER_FRAME_UTIL_STRINGS_H_

#include <cstddef>

namespace vv::driver {

// Removes surrounding quotes: when the first character is a double or single
// quote and the last character is the same quote (and they are two different
// characters), both are dropped.
char* mvbtrStrRemoveQuotes(char* text);
// ASCII upper case.
char* mvbtrStrUpper(char* text);
// Removes blanks at both ends / at the end.
char* mvbtrStrTrim(char* text);
char* mvbtrStrTrimRight(char* text);
// Pads text with c up to length characters (text must hold length + 1 bytes);
// nothing when it is already that long.
char* mvbtrStrPad(char* text, char c, std::size_t length);
// Copies at most size - 1 characters of text into buffer and terminates it.
void mvbtrStrCopy(char* buffer, std::size_t size, const char* text);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FRAME_UTIL_STRINGS_H_
