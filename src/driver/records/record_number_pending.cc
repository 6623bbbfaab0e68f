// Record numbers are not part of this build yet: reading or writing field 0
// reports kErrNotAvailable with the routine's name, so the host sees a clear
// failure instead of a made-up number.
#include <cstring>

#include "driver/frame/pending.h"
#include "driver/records/record_number.h"

namespace vv::driver {

int16_t mvbtrRecordNumberGetBCD(OpenFile*, VvBcd* value) {
  std::memset(value, 0, sizeof *value);
  return mvbtrNotAvailable("mvbtrRecordNumberGetBCD");
}

int16_t mvbtrRecordNumberPutBCD(OpenFile*, const VvBcd*) {
  return mvbtrNotAvailable("mvbtrRecordNumberPutBCD");
}

}  // namespace vv::driver
