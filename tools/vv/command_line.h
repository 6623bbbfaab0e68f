// The command line of vv: a command, its operands and its options.
//
//   vv [--data DIR] COMMAND [operands] [options]
//
// Options may stand anywhere after the program name, as "--name value" or
// "--name=value"; "-d" is short for "--data". Each command accepts only its
// own options and number of operands; anything else is a usage error.
#ifndef VEVERAVE_TOOLS_VV_COMMAND_LINE_H_
#define VEVERAVE_TOOLS_VV_COMMAND_LINE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vv::tools {

// Exit codes of vv.
enum ExitCode : int {
  kExitOk = 0,
  kExitError = 1,  // the command failed; "error <number>: <text>" says why
  kExitUsage = 2,  // the command line is wrong; the usage text follows
};

// The environment variable naming the data directory when --data is not given.
inline constexpr const char* kDataEnvironment = "VV_DATA";

enum class Command {
  kHelp,
  kInit,
  kTables,
  kDescribe,
  kDump,
  kImport,
  kExport,
  kCheck,
  kDemo,
};

struct CommandLine {
  Command command = Command::kHelp;
  std::vector<std::string> operands;
  std::optional<std::string> data;  // --data DIR
  std::optional<int32_t> index;     // --index N (dump, export): the host index to walk
  std::optional<std::string> from;  // --from VALUE (dump): start at this key value
  std::optional<int64_t> limit;     // --limit N (dump): at most N records
  bool csv = false;                 // --csv (dump)
  bool keepGoing = false;           // --keep-going (import): skip bad rows
  std::optional<int64_t> batch;     // --batch N (import): rows per transaction
};

// Parses the arguments after the program name; false with *error set on a
// usage error.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine* out, std::string* error);

// The data directory of a command: its operand DIR when it takes one and it
// is given, else --data, else the environment variable VV_DATA, else the
// current directory.
std::string DataDirectory(const CommandLine& line);

// The usage text, lines ending in '\n'.
const char* UsageText();

}  // namespace vv::tools

#endif  // VEVERAVE_TOOLS_VV_COMMAND_LINE_H_
