// Field values in a native table's record bytes.
//
// Storage by host type (offset and size from the field's layout):
//   ASCII, OVERLAP  the characters, padded with blanks; read without the
//                   trailing blanks
//   TEXT            the characters, padded with zero bytes; read up to the
//                   first zero byte
//   BINARY          the bytes as they are, padded with zero bytes
//   BCD             packed decimal: length digits, then a sign nibble (0xC
//                   positive, 0xD negative), right-aligned in length / 2 + 1
//                   bytes; the last decimals digits are the fraction
//   DATE            the day number packed as a BCD field of 6 digits
//
// These routines return 0 or a host error number and report nothing.
#ifndef VEVERAVE_HOST_NATIVE_VALUES_H_
#define VEVERAVE_HOST_NATIVE_VALUES_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "host/native_table.h"

namespace vv::host {

// Sets the field's bytes to its empty value (not for OVERLAP fields).
void FieldClear(const NativeField& f, uint8_t* record);

// The whole text of the field: numbers with the field's decimals and the
// decimal separator sep, dates as their day number.
int16_t FieldGetText(const NativeField& f, const uint8_t* record, char sep, std::string* out);
// Writes text from character offset on (text fields) or converts it (numbers,
// dates; offset and keepEnd do not apply).
int16_t FieldPutText(const NativeField& f, std::string_view text, int32_t offset, bool keepEnd,
                     char sep, uint8_t* record);

// Numbers: BCD fields round to their decimals (kErrOverflow when the integer
// digits do not fit); DATE fields take the integer part, 0 to 999999
// (negative: kErrInvalidDate); text fields take the number's text and give
// their text as a number; BINARY fields have no number (kErrFieldType).
int16_t FieldGetBcd(const NativeField& f, const uint8_t* record, char sep, VvBcd* out);
int16_t FieldPutBcd(const NativeField& f, const VvBcd& value, char sep, uint8_t* record);

// Compares the field in two records for an index segment: numbers by value,
// text and bytes byte by byte (ASCII case folded with ignoreCase).
int FieldCompare(const NativeField& f, bool ignoreCase, const uint8_t* a, const uint8_t* b);

// Longest text FieldGetText gives for the field.
int32_t FieldTextCapacity(const NativeField& f);

}  // namespace vv::host

#endif  // VEVERAVE_HOST_NATIVE_VALUES_H_
