// The keys of a file as Stat describes them, and the order of key values by
// the published Btrieve key rules: the check compares what an engine walks
// against this reading of the rules, written here on its own so that it does
// not share the engine's mistakes.
//
// A key value is the key's segments' bytes concatenated in segment order
// (a null indicator segment is one byte), as the key buffer holds it.
#ifndef VEVERAVE_TOOLS_VVBUTIL_KEY_ORDER_H_
#define VEVERAVE_TOOLS_VVBUTIL_KEY_ORDER_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "vvbutil/file_layout.h"

namespace vv::butil {

struct FileKey {
  int number = 0;  // the key number Stat gives
  std::vector<SegmentLayout> segments;

  std::size_t length() const;
  // Key-wide flags, as the first segment carries them.
  bool duplicates() const;
};

// The keys of a Stat answer, in the order it lists them.
std::vector<FileKey> KeysOfFile(const StatInfo& info);

// The key value of a record; false when the record is too short to hold
// every segment.
bool KeyOfRecord(const FileKey& key, std::string_view record, std::string* value);

// Whether the key leaves a record with this value out: with the null-all
// flag when every segment (null indicators aside) holds only its null value
// byte, with the null-any flag when any does.
bool LeavesOut(const FileKey& key, std::string_view value);

// Compares two values of the key: below 0, 0 or above 0. Per segment type:
//   string            unsigned bytes, through the collating sequence or
//                     with a-z folded to A-Z when the segment asks for it
//   lstring, zstring  the bytes the length byte or the first NUL bounds,
//                     the same way; a proper prefix first
//   integer, autoincrement, currency
//                     signed little-endian
//   unsigned binary, logical, timestamp, date, time
//                     unsigned little-endian (date and time keep their most
//                     significant part in the highest bytes); a segment
//                     without an extended type but with the binary flag too
//   float, bfloat     numerically; NaNs after everything, all equal
//   decimal, money    packed digits, sign nibble 0xD negative; -0 = +0
//   numeric, numericsa, numericsts
//                     zoned digits with the last one overpunched (or a
//                     trailing sign byte); a non-digit counts as 0
//   null indicator    0 not null; nulls first, and two nulls make the
//                     column segment after them equal
// A descending segment turns its own result around.
int CompareKeyValues(const FileKey& key, std::string_view a, std::string_view b,
                     const std::vector<AcsBlock>& acs);

}  // namespace vv::butil

#endif  // VEVERAVE_TOOLS_VVBUTIL_KEY_ORDER_H_
