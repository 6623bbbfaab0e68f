// The utility's command line: a command, its arguments, and the owner name
// of the file it works on (/Oowner, also -Oowner, anywhere after the
// command).
#ifndef VEVERAVE_TOOLS_VVBUTIL_COMMAND_LINE_H_
#define VEVERAVE_TOOLS_VVBUTIL_COMMAND_LINE_H_

#include <optional>
#include <string>
#include <vector>

namespace vv::butil {

// Exit codes of the utility.
enum ExitCode : int {
  kExitOk = 0,
  kExitPartial = 1,     // done in part (some records of a load failed)
  kExitIncomplete = 2,  // the operation failed
  kExitUsage = 3,       // the command line is wrong
};

enum class Command {
  kStat,
  kCreate,
  kLoad,
  kSave,
  kSindex,
  kDrop,
  kSetOwner,
  kClrOwner,
  kVer,
  kCheck,
  kCopy,
  kClone,
  kRecover,
};

struct CommandLine {
  Command command = Command::kVer;
  std::string file;             // the Btrieve file
  std::string other;            // description, sequential or other Btrieve file
  std::string owner;            // /O, or the owner of -setowner / -clrowner
  std::optional<int> key;       // -save (-1 = physical order), -sindex, -drop
  std::optional<bool> replace;  // -create Y|N
  int level = 0;                // -setowner access level 0..3
};

// Parses the arguments after the program name; false with *error set on a
// usage error.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine* out, std::string* error);

// The usage text, lines ending in '\n'.
const char* UsageText();

}  // namespace vv::butil

#endif  // VEVERAVE_TOOLS_VVBUTIL_COMMAND_LINE_H_
