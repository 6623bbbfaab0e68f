// Numeric values of fields: btrFieldGetBCD and btrFieldPutBCD convert between
// the host's BCD value (bcd_value.h) and the field's Btrieve encoding. Field
// 0 stands for the record number (records/record_number.h).
//
// Errors that name a value use "table.field" as context. A put builds the new
// bytes in a working copy and writes them back, marking the field changed,
// only when no error is pending and the bytes (or the field's null) changed:
// a value out of range leaves the field and its marks as they were.
#ifndef VEVERAVE_DRIVER_FIELDS_FIELD_BCD_H_
#define VEVERAVE_DRIVER_FIELDS_FIELD_BCD_H_

#include <cstdint>

#include "driver/tables/open_file.h"
#include "veverave/host_services.h"

namespace vv::driver {

// By field number; 0 is the record number. A number that is no field of the
// table is error 77 (context entry). Return the host's pending error status.
int16_t mvbtrFieldGetBCD(OpenFile* file, int32_t field, VvBcd* value, const char* entry);
int16_t mvbtrFieldPutBCD(OpenFile* file, int32_t field, const VvBcd* value, const char* entry);

// By descriptor, whatever its number (the record-number routines read and
// write an ordinary record-number field through these). The value read is 0
// for host types other than BCD and DATE and for Btrieve types without a
// numeric form.
int16_t mvbtrFieldValueGetBCD(OpenFile* file, FieldDesc* field, VvBcd* value);
int16_t mvbtrFieldValuePutBCD(OpenFile* file, FieldDesc* field, const VvBcd* value);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FIELDS_FIELD_BCD_H_
