// Long-variable data (Btrieve type 21). The field's 8 bytes in the fixed
// record are a reference: a 32-bit data length, then the 32-bit offset of the
// data from the start of the record buffer (0 = no data). The data of all
// such fields lie after the fixed data (from nDataLen on), one field after the
// other in the order of the chain lpFirstLongvar/lpNextLongvar:
//
//   | fixed data ... | data of longvar 1 | data of longvar 2 | ... |
//   0                nDataLen
//
// Storing a field's data keeps that packing: when the offsets are out of
// chain order or leave gaps, the variable part is first laid out again in
// chain order; a longer or shorter value moves the data of the later fields.
#ifndef VEVERAVE_DRIVER_FIELDS_LONGVAR_H_
#define VEVERAVE_DRIVER_FIELDS_LONGVAR_H_

#include <cstdint>

#include "driver/tables/open_file.h"

namespace vv::driver {

inline constexpr int kLongvarRefSize = 8;

struct LongvarRef {
  uint32_t nLength;
  uint32_t nOffset;  // from the start of the record buffer; 0 = no data
};

LongvarRef mvbtrLongvarRef(const FieldDesc* field);
void mvbtrLongvarRefSet(FieldDesc* field, LongvarRef ref);

// The field's data in the record buffer and its length; null (length 0) when
// it has none. A reference that points outside the record buffer counts as
// no data, and one that runs past its end is cut at the end.
const uint8_t* mvbtrLongvarData(const OpenFile* file, const FieldDesc* field, uint32_t* length);

// The field's empty value: length 0 (and, except for BINARY fields, a 0 in
// the first byte of its data, when it had any); a field without data gets a
// zero reference.
void mvbtrLongvarSetEmpty(OpenFile* file, FieldDesc* field);

// Stores length bytes of data (which must not lie in the record buffer) as
// the field's data. When the variable part would then end beyond nHostRecLen
// bytes from the start of the record buffer, error 20571 ("name:PutData") is
// reported and nothing is stored. Returns the stored length, or -1 after an
// error (also error 10 "mvbtrSortBuffer" when the layout needed a buffer).
int32_t mvbtrLongvarPutData(OpenFile* file, FieldDesc* field, const uint8_t* data, int32_t length);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FIELDS_LONGVAR_H_
