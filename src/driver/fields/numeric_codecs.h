// The numeric encodings of Btrieve fields and the host's BCD value. Each
// decoder (…Get) reads the field's bytes at lpData into value, which the
// caller has set to 0; each encoder (…Put) writes value into work, a copy of
// the field's nSize bytes. Failures are reported to the host (error 11 with
// "table.field" or the field's name as context, 20482, 20503, 20562,
// 20565); an encoder that failed may have left work half written, so the
// caller writes nothing back while an error is pending.
//
// n is the field's host length (digits), d its decimals (nPrecision).
#ifndef VEVERAVE_DRIVER_FIELDS_NUMERIC_CODECS_H_
#define VEVERAVE_DRIVER_FIELDS_NUMERIC_CODECS_H_

#include <cstdint>

#include "driver/tables/open_file.h"
#include "veverave/host_services.h"

namespace vv::driver {

// Packed decimal (DECIMAL, MONEY): n digits right-aligned before a final sign
// nibble, the last d of them the fraction; sign nibbles COMP3_SIGN_NEG for
// negative values, COMP3_SIGN_POS otherwise. Digits of the value beyond the
// field's are dropped on a put. A positive sign nibble 0x0C or 0x0F other
// than COMP3_SIGN_POS is error 20562 on a get when the sign check is on (the
// value is still delivered).
void mvbtrPackedGet(const OpenFile* file, const FieldDesc* field, VvBcd* value);
void mvbtrPackedPut(const OpenFile* file, const FieldDesc* field, const VvBcd& value,
                    uint8_t* work);

// MVBCD: the host's BCD bytes themselves, the high nibble of the first byte
// carrying the sign (1 positive, 0 negative).
void mvbtrMvbcdGet(const OpenFile* file, const FieldDesc* field, VvBcd* value);
void mvbtrMvbcdPut(const OpenFile* file, const FieldDesc* field, const VvBcd& value, uint8_t* work);

// Numeric strings of n ASCII digits: NUMERIC (sign overpunched into the last
// digit), NUMERIC_SA (sign as bit 0x40 of the last digit), NUMERIC_STS (a
// sign character after the digits). A null field reads as 0.
void mvbtrNumericGet(const OpenFile* file, const FieldDesc* field, VvBcd* value);
void mvbtrNumericPut(const OpenFile* file, const FieldDesc* field, const VvBcd& value,
                     uint8_t* work);

// Binary numbers: INTEGER, AUTOINCREMENT and UNSIGNED of 1, 2, 4 or 8 bytes,
// LOGICAL, bit fields, currency (1/10000 units) and timestamp (100 ns units).
void mvbtrBinaryGet(const OpenFile* file, const FieldDesc* field, VvBcd* value);
void mvbtrBinaryPut(const OpenFile* file, const FieldDesc* field, const VvBcd& value,
                    uint8_t* work);

// Floats: IEEE and BFLOAT of 4 or 8 bytes.
void mvbtrFloatGet(const OpenFile* file, const FieldDesc* field, VvBcd* value);
void mvbtrFloatPut(const OpenFile* file, const FieldDesc* field, const VvBcd& value, uint8_t* work);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FIELDS_NUMERIC_CODECS_H_
