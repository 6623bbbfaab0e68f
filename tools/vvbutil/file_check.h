// The consistency check of a Btrieve file, through the Btrieve call alone:
// one walk in physical order, then one along every key, compared with each
// other and with the key rules (key_order.h).
//
// Problems found:
//   - a walk that stops on an error before its end (the walks after it go on);
//   - the file's record count (Stat) against the records of the physical walk;
//   - per key: an entry whose value is not its record's, an entry out of
//     order, a repeated value in a key without duplicates, a record the key
//     holds twice, a record it holds that the physical order does not, a
//     record it holds that its null-key rule leaves out, every record of the
//     physical order it misses, and its entry count against the number of
//     records that belong in it.
// Comparisons with the physical order are made only when that walk reached
// its end. Records are named by their address (the 4-byte physical position,
// which is also the host's record number of a table without a record-number
// key), as an unsigned decimal number.
#ifndef VEVERAVE_TOOLS_VVBUTIL_FILE_CHECK_H_
#define VEVERAVE_TOOLS_VVBUTIL_FILE_CHECK_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "vvbutil/btrieve_client.h"
#include "vvbutil/file_layout.h"

namespace vv::butil {

struct CheckResult {
  uint64_t records = 0;  // read in physical order
  std::size_t keys = 0;
  uint64_t problems = 0;
};

// The name of a walk in problem lines: the key number, or kPhysicalOrder.
using WalkNameFn = std::function<std::string(int key)>;
// Receives each problem as one line (without a line end).
using ProblemFn = std::function<void(const std::string& line)>;

// "key 2", "physical order".
std::string KeyWalkName(int key);

// At most this many lines per walk; the rest of its problems are counted in
// one more line.
inline constexpr uint64_t kProblemLinesPerWalk = 20;

// Checks the file open in file, whose Stat answer is info.
CheckResult CheckFile(OpenFile& file, const StatInfo& info, const WalkNameFn& name,
                      const ProblemFn& problem);

}  // namespace vv::butil

#endif  // VEVERAVE_TOOLS_VVBUTIL_FILE_CHECK_H_
