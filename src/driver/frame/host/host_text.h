// Thin routines over the host's text-file services (slots 76 to 79), through
// which the driver reads and writes tables' INT files. The host parses and
// spells the lines; the driver sees line codes, keyword texts and values.
#ifndef VEVERAVE_DRIVER_FRAME_HOST_HOST_TEXT_H_
#define VEVERAVE_DRIVER_FRAME_HOST_HOST_TEXT_H_

#include <cstdint>

#include "veverave/host_services.h"

namespace vv::driver {

// Opens path for reading (VV_TEXT_MODE_READ) or writing (VV_TEXT_MODE_WRITE);
// 0, or the host's error status.
int16_t mvbtrTextOpen(const char* path, int32_t mode);
// Closes the file open in that mode.
int16_t mvbtrTextClose(int32_t mode);
// Reads the next line into keyword and value (each VV_HOST_TEXT_LINE_SIZE
// bytes): the line's code, 0 for a keyword the host does not know and at the
// end of the file (then both texts are empty), VV_TEXT_READ_FAILED on failure.
int32_t mvbtrTextRead(char* keyword, char* value);
// Writes one line: with a null keyword the host's own keyword for code; a
// keyword text with an empty value is written unchanged (comments, and blank
// lines when both are empty). 0, or the host's error status.
int16_t mvbtrTextWrite(const char* keyword, const char* value, int32_t code);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FRAME_HOST_HOST_TEXT_H_
