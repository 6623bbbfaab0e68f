// Field values as the tool shows and reads them. Values cross the host
// boundary as the driver's text: text fields as their bytes, numbers as
// decimal text padded with blanks, dates as day numbers. The tool shows text
// without its trailing blanks, numbers without padding and dates as
// YYYY-MM-DD, and takes dates back in that form.
#ifndef VEVERAVE_TOOLS_VV_VALUES_H_
#define VEVERAVE_TOOLS_VV_VALUES_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "vv/dictionary.h"

namespace vv::tools {

enum class ValueKind { kText, kNumber, kDate, kLongText, kBinary };

// The kind of a field's values: by its host type when the driver told it,
// else by its Btrieve type as the dictionary gives it.
ValueKind KindOf(const FieldInfo& field);

// A value as the driver gave it, made ready to show.
std::string ShowValue(const FieldInfo& field, const std::string& raw);

// Binary data as hex digits (two lower-case digits a byte), and back (digits
// in either case; false for an odd count or a non-digit).
std::string HexText(std::string_view bytes);
bool ParseHex(std::string_view text, std::string* bytes);

// A whole decimal number of at most 12 characters, with an optional '-'.
bool ParseWholeNumber(std::string_view text, int64_t* out);

// The day number a date field is given as text: a YYYY-MM-DD date, or the
// day number itself. False when the text is neither.
bool ParseDayNumber(const std::string& text, int32_t* day);

// Names of types: Btrieve types as the maintenance utility spells them
// ("string", "unsigned binary", "longvar"; "type N" for codes without a
// name), host types as INT files spell them ("ASCII", "BCD"; "-" when
// unknown).
std::string BtrTypeName(int32_t type);
std::string HostTypeName(int32_t type);

}  // namespace vv::tools

#endif  // VEVERAVE_TOOLS_VV_VALUES_H_
