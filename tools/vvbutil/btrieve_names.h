// Names the maintenance utility reads and prints: statuses with their
// meanings, key types as description files spell them, and key and file
// flags spelled out.
#ifndef VEVERAVE_TOOLS_VVBUTIL_BTRIEVE_NAMES_H_
#define VEVERAVE_TOOLS_VVBUTIL_BTRIEVE_NAMES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vv::butil {

// The meaning of a Btrieve status, from the status table of btrieve.h;
// "unknown status" for a number the table does not hold.
const char* StatusMeaning(int status);

// The one-line error text of a failed call: "error 12: file not found" (12 is the Btrieve status).
std::string StatusText(int status);

// The name of an extended key type ("zstring", "unsigned binary"); nullptr
// for a type that keys cannot have.
const char* KeyTypeName(uint8_t type);

// The key type a description file names: a full name or a unique prefix of
// one, letters in any case, blanks ignored ("unsigned binary", "unsigned",
// "flo"). nullopt when it names none or more than one.
std::optional<uint8_t> KeyTypeFromName(std::string_view name);

// Key flags spelled out, blank separated ("duplicates modifiable
// descending"); "-" for none. Unknown bits print as hex.
std::string KeyFlagNames(uint16_t flags);

// File flags spelled out likewise.
std::string FileFlagNames(uint16_t flags);

}  // namespace vv::butil

#endif  // VEVERAVE_TOOLS_VVBUTIL_BTRIEVE_NAMES_H_
