// The driver settings file "VEVERAVE.INT": keyword lines read once, at
// initialisation, into the driver globals.
//
// An item is a keyword (the next run of non-blank characters, at most 255),
// then, after any blanks and line ends, a value: everything up to the next
// line end, ";" or "^" (at most 255 characters; trailing blanks belong to it).
// A keyword that begins with ";" is a comment, so ";" starts a comment at the
// start of a line and after a value alike.
#ifndef VEVERAVE_DRIVER_FRAME_SETTINGS_SETTINGS_H_
#define VEVERAVE_DRIVER_FRAME_SETTINGS_SETTINGS_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "driver/frame/globals.h"

namespace vv::driver {

inline constexpr const char* kSettingsFileName = "VEVERAVE.INT";
inline constexpr std::size_t kSettingsItemMax = 255;

// Reads the settings file found along the host's data search path (else in
// the current directory). A missing file is no error: the defaults stand.
// Errors of single keywords are reported and reading goes on; a failed OWNER,
// ACS or ACS_UPPER line ends the reading and its status is the result. When
// the file cannot be read into memory, error 10 "mvbtrConfigRead" is reported
// and the result is -1, which undoes the initialisation.
int16_t mvbtrConfigRead(DriverGlobals* globals);

// Splits settings text into items as described above.
class SettingsScanner {
 public:
  explicit SettingsScanner(std::string_view text) : text_(text) {}
  // Reads the next item into keyword and value (each kSettingsItemMax + 1
  // bytes; value is empty when the line has none). False at the end.
  bool Next(char* keyword, char* value);

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// Applies one item to the globals. Returns 0, or the status of a failed
// OWNER, ACS or ACS_UPPER item, which ends the reading.
int16_t mvbtrConfigApply(DriverGlobals* globals, char* keyword, char* value);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FRAME_SETTINGS_SETTINGS_H_
