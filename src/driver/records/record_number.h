// The record-number field: field number 0 of every table stands for the
// record number of the record in the buffer, read and written as a host BCD
// value by btrFieldGetBCD and btrFieldPutBCD.
#ifndef VEVERAVE_DRIVER_RECORDS_RECORD_NUMBER_H_
#define VEVERAVE_DRIVER_RECORDS_RECORD_NUMBER_H_

#include <cstdint>

#include "driver/tables/open_file.h"
#include "veverave/host_services.h"

namespace vv::driver {

// The record number of the record in the buffer as a host BCD value. Returns
// the host's pending error status (0 on success).
int16_t mvbtrRecordNumberGetBCD(OpenFile* file, VvBcd* value);
// Sets the record number from the value the host writes into field 0 (the
// next find on index 0 uses it). Returns the host's pending error status.
int16_t mvbtrRecordNumberPutBCD(OpenFile* file, const VvBcd* value);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_RECORDS_RECORD_NUMBER_H_
