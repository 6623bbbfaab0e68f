// A field's empty value and its null indicator.
#ifndef VEVERAVE_DRIVER_FIELDS_FIELD_EMPTY_H_
#define VEVERAVE_DRIVER_FIELDS_FIELD_EMPTY_H_

#include <cstdint>

#include "driver/tables/open_file.h"

namespace vv::driver {

// Writes the field's empty value into the record buffer at lpData (OVERLAP
// fields are skipped).
void mvbtrFieldSetEmpty(OpenFile* file, FieldDesc* field);
// For a table with true nulls (bTrueNull) and a nullable field: when the null
// indicator byte in front of lpData disagrees with bIsNull, sets it to 1 or 0
// and gives the field its empty value.
void mvbtrFieldSetNullIndicator(OpenFile* file, FieldDesc* field);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FIELDS_FIELD_EMPTY_H_
