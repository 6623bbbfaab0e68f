// Text values of fields: btrFieldGetString and btrFieldPutString.
//
// Encodings by Btrieve type (data = the field's bytes in the record buffer):
//   STRING    characters padded with blanks to the field length
//   LSTRING   a length byte, then the characters
//   ZSTRING, NOTE  characters ending at a 0 byte
//   LSTRING2  a 16-bit little-endian length, then the characters
//   LONGVAR   a reference to data in the variable part (longvar.h)
//   TIME      read as "hhmmss,hh"
// Numbers and dates are read as text through their BCD value and the host's
// BCD-to-text service. In a table whose character set is CHAR, text of ASCII
// and TEXT fields is converted from OEM to ANSI on the way in and back on
// the way out; BINARY and numeric fields never are.
#ifndef VEVERAVE_DRIVER_FIELDS_FIELD_TEXT_H_
#define VEVERAVE_DRIVER_FIELDS_FIELD_TEXT_H_

#include <cstdint>

#include "driver/tables/open_file.h"

namespace vv::driver {

// Width of the text of a number or date read as a string.
inline constexpr int32_t kNumberTextWidth = 24;

// Reads the field as text into dest: length characters (0 or more than the
// host length: the whole field) from offset on, cut to the field and to the
// current value, then a terminator. dest must hold the host length + 1 bytes,
// and kNumberTextWidth + 1 for numbers and dates. Returns the number of
// characters placed (0 for a TIME field, whose text is placed all the same).
// A host type without a text form is error 20547 (the field's name).
int32_t mvbtrFieldGetString(OpenFile* file, FieldDesc* field, char* dest, int32_t offset,
                            int32_t length);

// The same by field number (error 77, context entry, for a number that is no
// field). Field 0 of a table without a record-number field reads the record
// number.
int32_t mvbtrFieldGetStringByNumber(OpenFile* file, int32_t field, char* dest, int32_t offset,
                                    int32_t length, const char* entry);

// Writes text into the field from offset on. length 0 means the whole value
// (up to its first 0 byte for ASCII and TEXT fields, the host length for
// OVERLAP fields); a value longer than the field is cut to host length -
// offset; an offset at or beyond the host length changes nothing. Without
// keepEnd the value ends the field (blank padding, terminator or length are
// set after it; an LSTRING's length byte counts from the field's start, like
// an LSTRING2's length word); with keepEnd only the bytes it covers change,
// except that a ZSTRING or NOTE value is always followed by a terminator
// unless PAD_STRING pads it. PAD_STRING extends ASCII values with blanks to
// the end of the field. An LSTRING holds at most 255 characters from its
// second byte, also one of host type TEXT. A null field
// loses its null first. The field is written and marked changed only when
// its bytes change (or a null was cleared). Numbers and dates are not written
// as text: for them only the null is cleared. Returns the host's pending
// error status.
int16_t mvbtrFieldPutString(OpenFile* file, FieldDesc* field, const char* value, int32_t offset,
                            int32_t length, int32_t keepEnd);

// The same by field number (error 77, context entry, for a number that is no
// field).
int16_t mvbtrFieldPutStringByNumber(OpenFile* file, int32_t field, const char* value,
                                    int32_t offset, int32_t length, int32_t keepEnd,
                                    const char* entry);

// The put of a long-variable field (called by mvbtrFieldPutString). A value
// that would end beyond the host length or the long-variable maximum, or a
// negative offset, is error 29 (the field's name) and nothing is stored; an
// offset at or beyond the host length changes nothing. Without keepEnd the
// data end with the value (offset + length bytes), with it the longer of that
// and the old data.
int16_t mvbtrFieldPutLongvar(OpenFile* file, FieldDesc* field, const char* value, int32_t offset,
                             int32_t length, int32_t keepEnd);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FIELDS_FIELD_TEXT_H_
