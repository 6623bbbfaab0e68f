// What the field entry points share: turning a handle and a field number into
// the open file record and the field descriptor, the settings that field
// conversions read, and the context texts of their errors.
#ifndef VEVERAVE_DRIVER_FIELDS_FIELD_ACCESS_H_
#define VEVERAVE_DRIVER_FIELDS_FIELD_ACCESS_H_

#include <cstddef>
#include <cstdint>

#include "driver/tables/open_file.h"

namespace vv::driver {

// The open file record of a handle. A handle without one (or a driver that is
// not initialised, when no handle can have one) is error 72 with the entry
// point's name as context; the result is then null.
OpenFile* mvbtrFieldFileGet(int32_t hFile, const char* entry);
// The descriptor of field 1..nFields, or null after error 77 with the entry
// point's name as context. Field 0 is accepted when the table has a
// record-number field, whose descriptor entry 0 is a copy of.
FieldDesc* mvbtrFieldDescGet(OpenFile* file, int32_t field, const char* entry);

// "table.field", the context of errors about a value.
inline constexpr std::size_t kFieldContextSize = 160;
void mvbtrFieldContext(const OpenFile* file, const FieldDesc* field, char* text);
// The field's name, or "" for a field without one.
const char* mvbtrFieldName(const FieldDesc* field);
// Reports error with "table.field" / with the field's name as context.
void mvbtrValueError(int16_t error, const OpenFile* file, const FieldDesc* field);
void mvbtrFieldError(int16_t error, const FieldDesc* field);

// Driver settings read by field conversions (their defaults before the
// driver is initialised).
uint8_t mvbtrComp3SignPos();
uint8_t mvbtrComp3SignNeg();
bool mvbtrComp3SignCheck();
bool mvbtrPadString();
int32_t mvbtrMaxTextLen();

// The null indicator byte in front of a nullable field of a table with true
// nulls; null when the field has none.
uint8_t* mvbtrNullIndicator(const OpenFile* file, const FieldDesc* field);

// Clears the null of a nullable field that is null in a table with true
// nulls: null flag and indicator byte cleared, the field set to its empty
// value. True when it did.
bool mvbtrFieldNullClear(OpenFile* file, FieldDesc* field);

// The number of a field descriptor of the table (its index in lpFields).
int32_t mvbtrFieldIndex(const OpenFile* file, const FieldDesc* field);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FIELDS_FIELD_ACCESS_H_
