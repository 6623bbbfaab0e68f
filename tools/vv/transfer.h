// Field values as vv import and vv export carry them in a CSV file: text as
// it is (fixed-length text without its trailing blanks), numbers in the
// host's text form with the host's decimal separator, dates as YYYY-MM-DD
// (empty: no date), binary data as hex digits. A value goes into a field
// only when the field keeps it exactly: import reads every value back and
// refuses one that would be cut or rounded.
#ifndef VEVERAVE_TOOLS_VV_TRANSFER_H_
#define VEVERAVE_TOOLS_VV_TRANSFER_H_

#include <cstdint>
#include <string>
#include <vector>

#include "vv/dictionary.h"
#include "vv/session.h"

namespace vv::tools {

// The CSV value of a field whose text the driver gave as raw.
std::string CsvValueOf(const FieldInfo& field, const std::string& raw);

// Puts a CSV value into the field of the record buffer. False with the error
// pending: 14 not a number, 11 a number too large, 16 not a date, 4416 not
// hex digits, or the driver's error.
bool PutCsvValue(Session& session, int32_t handle, const FieldInfo& field, const std::string& text);

// Reads the field back after the puts of a record: false with error 4417
// pending (its text names the value given and the value kept) when the field
// does not hold text as its value.
bool CheckCsvValue(Session& session, int32_t handle, const FieldInfo& field,
                   const std::string& text);

// Whether field i of the table overlays the bytes of others: host type
// OVERLAP, or a field whose bytes meet those of a field before it (a table
// whose dictionary does not mark its overlays still has them). Import puts such fields first, so that
// the fields that own the bytes have the last word, and checks them last,
// so that a value one of those fields cannot keep is blamed on that field.
bool Overlays(const TableInfo& table, std::size_t i);

}  // namespace vv::tools

#endif  // VEVERAVE_TOOLS_VV_TRANSFER_H_
