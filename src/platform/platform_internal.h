// Helpers shared by the OS-independent parts and both OS implementations of
// the platform layer. Private to src/platform/; includes no OS header.
#ifndef VEVERAVE_PLATFORM_PLATFORM_INTERNAL_H_
#define VEVERAVE_PLATFORM_PLATFORM_INTERNAL_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vv::platform::internal {

// Windows file times count 100-ns units from 1601-01-01; this is 1970-01-01.
inline constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ULL;
inline constexpr uint64_t kFileTimeUnitsPerSecond = 10000000ULL;

// ASCII case folding; bytes >= 0x80 compare as they are.
char ToLowerAscii(char c);
bool EqualsNoCase(std::string_view a, std::string_view b);

// '*' matches any run of characters (also none), '?' exactly one; letters
// compare without regard to ASCII case.
bool WildcardMatch(std::string_view pattern, std::string_view name);

// Length of a leading drive prefix "X:" (2) or 0.
std::size_t DrivePrefixLength(std::string_view path);
// True when the path has a drive prefix or a separator.
bool HasDriveOrDirectory(std::string_view path);

// The entries of a ';' separated list, empty entries left out.
std::vector<std::string> SplitPathList(std::string_view list);

// fileName with defaultExt added when fileName has no extension of its own
// and defaultExt is not empty (a missing leading '.' is supplied).
std::string WithDefaultExtension(std::string_view fileName, std::string_view defaultExt);

// Code page tables for bytes 0x80..0xFF (index byte - 0x80); see
// codepage_tables.cc for their derivation.
extern const unsigned char kOem850ToAnsi1252[128];
extern const unsigned char kAnsi1252ToOem850[128];

}  // namespace vv::platform::internal

#endif  // VEVERAVE_PLATFORM_PLATFORM_INTERNAL_H_
