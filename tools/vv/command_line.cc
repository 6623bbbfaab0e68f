#include "vv/command_line.h"

#include <cstdlib>
#include <string_view>

#include "platform/platform.h"
#include "vv/values.h"

namespace vv::tools {
namespace {

// Options a command accepts, as bits.
enum OptionBit : unsigned {
  kOptData = 1u << 0,
  kOptIndex = 1u << 1,
  kOptFrom = 1u << 2,
  kOptLimit = 1u << 3,
  kOptCsv = 1u << 4,
  kOptKeepGoing = 1u << 5,
  kOptBatch = 1u << 6,
};

struct CommandEntry {
  const char* name;
  Command command;
  std::size_t minOperands;
  std::size_t maxOperands;
  unsigned options;
};

// The demo works in a directory of its own (a fresh one unless given), so
// it takes no --data: the data directory of the other commands is never
// written by it.
constexpr CommandEntry kCommands[] = {
    {"help", Command::kHelp, 0, 0, 0},
    {"init", Command::kInit, 0, 1, kOptData},
    {"tables", Command::kTables, 0, 0, kOptData},
    {"describe", Command::kDescribe, 1, 1, kOptData},
    {"dump", Command::kDump, 1, 1, kOptData | kOptIndex | kOptFrom | kOptLimit | kOptCsv},
    {"import", Command::kImport, 2, 2, kOptData | kOptKeepGoing | kOptBatch},
    {"export", Command::kExport, 2, 2, kOptData | kOptIndex},
    {"check", Command::kCheck, 1, 1, kOptData},
    {"demo", Command::kDemo, 0, 1, 0},
};

struct OptionEntry {
  const char* name;
  OptionBit bit;
  bool takesValue;
};

constexpr OptionEntry kOptions[] = {
    {"--data", kOptData, true},   {"--index", kOptIndex, true},
    {"--from", kOptFrom, true},   {"--limit", kOptLimit, true},
    {"--csv", kOptCsv, false},    {"--keep-going", kOptKeepGoing, false},
    {"--batch", kOptBatch, true},
};

// Rows per import transaction: at most this many, so that a transaction's
// locks and the engine's memory for it stay bounded.
constexpr int64_t kMaxBatch = 100000;

// A whole decimal number in [low, high].
bool ParseNumber(std::string_view text, int64_t low, int64_t high, int64_t* out) {
  int64_t value = 0;
  if (!ParseWholeNumber(text, &value) || value < low || value > high) return false;
  *out = value;
  return true;
}

bool SetOption(const OptionEntry& option, const std::string& value, CommandLine* out,
               std::string* error) {
  int64_t number = 0;
  switch (option.bit) {
    case kOptData:
      if (value.empty()) {
        *error = "--data needs a directory";
        return false;
      }
      out->data = value;
      return true;
    case kOptIndex:
      // Index 0 is record-number order; a host table has at most 255 indexes.
      if (!ParseNumber(value, 0, 255, &number)) {
        *error = "--index needs an index number from 0 to 255, not \"" + value + "\"";
        return false;
      }
      out->index = static_cast<int32_t>(number);
      return true;
    case kOptFrom:
      out->from = value;
      return true;
    case kOptLimit:
      if (!ParseNumber(value, 0, INT32_MAX, &number)) {
        *error = "--limit needs a number of records, not \"" + value + "\"";
        return false;
      }
      out->limit = number;
      return true;
    case kOptCsv:
      out->csv = true;
      return true;
    case kOptKeepGoing:
      out->keepGoing = true;
      return true;
    case kOptBatch:
      if (!ParseNumber(value, 1, kMaxBatch, &number)) {
        *error = "--batch needs a number of rows from 1 to " + std::to_string(kMaxBatch) +
                 ", not \"" + value + "\"";
        return false;
      }
      out->batch = number;
      return true;
  }
  return false;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine* out, std::string* error) {
  *out = CommandLine();
  const CommandEntry* command = nullptr;
  unsigned given = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (arg == "-d") arg = "--data";
    if (arg.size() > 1 && arg[0] == '-' && !(arg.size() > 1 && arg[1] >= '0' && arg[1] <= '9')) {
      const std::size_t equals = arg.find('=');
      const std::string name = arg.substr(0, equals);
      const OptionEntry* option = nullptr;
      for (const OptionEntry& o : kOptions) {
        if (name == o.name) option = &o;
      }
      if (option == nullptr) {
        *error = "unknown option " + name;
        return false;
      }
      std::string value;
      if (option->takesValue) {
        if (equals != std::string::npos) {
          value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
          value = args[++i];
        } else {
          *error = name + " needs a value";
          return false;
        }
      } else if (equals != std::string::npos) {
        *error = name + " takes no value";
        return false;
      }
      if (!SetOption(*option, value, out, error)) return false;
      given |= option->bit;
      continue;
    }
    if (command == nullptr) {
      for (const CommandEntry& c : kCommands) {
        if (arg == c.name) command = &c;
      }
      if (command == nullptr) {
        *error = "unknown command " + arg;
        return false;
      }
      continue;
    }
    out->operands.push_back(arg);
  }
  if (command == nullptr) {
    *error = "no command given";
    return false;
  }
  out->command = command->command;
  if (out->operands.size() < command->minOperands) {
    *error = std::string(command->name) + " needs " +
             (command->maxOperands == 2   ? "a table name and a file name"
              : command->minOperands == 1 ? "a table name"
                                          : "more operands");
    return false;
  }
  if (out->operands.size() > command->maxOperands) {
    *error = std::string(command->name) + ": unexpected operand " + out->operands.back();
    return false;
  }
  for (const OptionEntry& o : kOptions) {
    if ((given & o.bit) != 0 && (command->options & o.bit) == 0) {
      *error = std::string(command->name) + " takes no " + o.name;
      return false;
    }
  }
  return true;
}

std::string DataDirectory(const CommandLine& line) {
  const bool takesDir = line.command == Command::kInit || line.command == Command::kDemo;
  if (takesDir && !line.operands.empty()) return line.operands[0];
  if (line.data) return *line.data;
  if (const std::optional<std::string> env = platform::GetEnv(kDataEnvironment);
      env && !env->empty())
    return *env;
  return platform::CurrentDirectory();
}

const char* UsageText() {
  return "usage: vv [--data DIR] COMMAND [operands] [options]\n"
         "commands:\n"
         "  init [DIR]        make an empty dictionary and a settings file VEVERAVE.INT\n"
         "  tables            list the tables of the dictionary\n"
         "  describe TABLE    fields (host and Btrieve types, offsets, sizes) and indexes\n"
         "  dump TABLE        the records, in the order of an index\n"
         "      --index N     host index N (default 1, or 0 without indexes: 0 is\n"
         "                    record-number order)\n"
         "      --from VALUE  start at the first record whose first key field is >= VALUE\n"
         "      --limit N     at most N records\n"
         "      --csv         comma-separated values instead of aligned columns\n"
         "  import TABLE FILE.csv  add the rows of a CSV file (a header row of field\n"
         "                    names) to the table; a bad row stops the import and\n"
         "                    leaves the table as it was\n"
         "      --keep-going  skip bad rows (each one reported) and import the rest\n"
         "      --batch N     rows per transaction (default 500)\n"
         "  export TABLE FILE.csv  write the records to a CSV file, a header row first\n"
         "      --index N     in the order of host index N (default as dump)\n"
         "  check TABLE       walk every index and the physical order of the table's\n"
         "                    Btrieve file and report where they disagree\n"
         "  demo [DIR]        build a sample database and walk through finds, saves,\n"
         "                    updates and deletes (DIR: keep it there; default: a\n"
         "                    temporary directory removed at the end)\n"
         "  help              this text\n"
         "The data directory is --data DIR (-d DIR), else $VV_DATA, else the current\n"
         "directory. Dates are written YYYY-MM-DD, numbers with the host's decimal\n"
         "separator, binary data as hex digits.\n";
}

}  // namespace vv::tools
