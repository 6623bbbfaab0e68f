#include "vvbutil/command_line.h"

#include "veverave/btrieve.h"

namespace vv::butil {
namespace {

struct CommandInfo {
  const char* name;
  Command command;
  std::size_t min_args;
  std::size_t max_args;
  bool takes_owner_option;
};

constexpr CommandInfo kCommands[] = {
    {"-stat", Command::kStat, 1, 1, true},          {"-create", Command::kCreate, 2, 3, false},
    {"-load", Command::kLoad, 2, 2, true},          {"-save", Command::kSave, 2, 3, true},
    {"-sindex", Command::kSindex, 2, 3, true},      {"-drop", Command::kDrop, 2, 2, true},
    {"-setowner", Command::kSetOwner, 3, 3, false}, {"-clrowner", Command::kClrOwner, 2, 2, false},
    {"-ver", Command::kVer, 0, 0, false},           {"-check", Command::kCheck, 1, 1, true},
    {"-copy", Command::kCopy, 2, 2, true},          {"-clone", Command::kClone, 2, 2, true},
    {"-recover", Command::kRecover, 2, 2, true},
};

// Highest key number a file can have.
constexpr int kMaxKeyNumber = 118;
constexpr int kMaxOwnerLevel = 3;

std::string Lower(std::string s) {
  for (char& c : s) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return s;
}

bool ParseInt(const std::string& s, int min, int max, int* out) {
  std::size_t i = s.size() > 1 && s[0] == '-' ? 1 : 0;
  if (i == s.size()) return false;
  long v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9' || v > 100000) return false;
    v = v * 10 + (s[i] - '0');
  }
  if (s[0] == '-') v = -v;
  if (v < min || v > max) return false;
  *out = static_cast<int>(v);
  return true;
}

bool ValidOwner(const std::string& owner) {
  return !owner.empty() && owner.size() <= BTR_OWNER_MAX &&
         owner.find_first_not_of(' ') != std::string::npos;
}

}  // namespace

const char* UsageText() {
  return "usage: vvbutil -command arguments\n"
         "  -stat FILE [/Oowner]                 report the file's definition and keys\n"
         "  -create FILE DESCFILE [Y|N]          create a file from a description file\n"
         "                                       (Y: replace an existing file)\n"
         "  -load SEQFILE FILE [/Oowner]         insert the records of a sequential file\n"
         "  -save FILE SEQFILE [KEYNUM|-1] [/Oowner]\n"
         "                                       write the records in key order (default\n"
         "                                       key 0) or physical order (-1)\n"
         "  -sindex FILE DESCFILE [KEYNUM] [/Oowner]  add an index\n"
         "  -drop FILE KEYNUM [/Oowner]          drop an index (higher keys renumber)\n"
         "  -setowner FILE OWNER LEVEL           set the owner name (LEVEL 0-3)\n"
         "  -clrowner FILE OWNER                 clear the owner name\n"
         "  -ver                                 report the versions\n"
         "  -check FILE [/Oowner]                walk every key and the physical order and\n"
         "                                       report where they disagree (exit 1)\n"
         "  -copy FILE OTHERFILE [/Oowner]       insert the records of FILE into OTHERFILE\n"
         "  -clone NEWFILE FILE [/Oowner]        create NEWFILE with FILE's definition and\n"
         "                                       no records\n"
         "  -recover FILE SEQFILE [/Oowner]      write every record that can still be read\n"
         "                                       to a sequential file\n"
         "exit codes: 0 success, 1 partial, 2 incomplete, 3 usage\n";
}

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine* out, std::string* error) {
  *out = CommandLine{};
  if (args.empty()) {
    *error = "no command given";
    return false;
  }
  const std::string name = Lower(args[0]);
  const CommandInfo* info = nullptr;
  for (const CommandInfo& c : kCommands) {
    if (name == c.name) info = &c;
  }
  if (info == nullptr) {
    *error = "unknown command '" + args[0] + "'";
    return false;
  }
  out->command = info->command;

  std::vector<std::string> rest;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() >= 2 && (a[0] == '/' || a[0] == '-') && (a[1] == 'O' || a[1] == 'o')) {
      if (!info->takes_owner_option) {
        *error = args[0] + " takes no owner option";
        return false;
      }
      out->owner = a.substr(2);
      if (!ValidOwner(out->owner)) {
        *error = "owner name must have 1 to 8 characters, not all blanks";
        return false;
      }
      continue;
    }
    rest.push_back(a);
  }
  if (rest.size() < info->min_args || rest.size() > info->max_args) {
    *error = "wrong number of arguments for " + args[0];
    return false;
  }
  if (!rest.empty()) out->file = rest[0];

  switch (info->command) {
    case Command::kLoad:  // -load SEQFILE FILE
      out->other = rest[0];
      out->file = rest[1];
      break;
    case Command::kCreate:
      out->other = rest[1];
      if (rest.size() == 3) {
        const std::string yn = Lower(rest[2]);
        if (yn != "y" && yn != "n") {
          *error = "-create takes Y or N after the description file, not '" + rest[2] + "'";
          return false;
        }
        out->replace = yn == "y";
      }
      break;
    case Command::kSave:
    case Command::kSindex:
    case Command::kDrop: {
      if (info->command != Command::kDrop) out->other = rest[1];
      const std::size_t at = info->command == Command::kDrop ? 1 : 2;
      if (rest.size() > at) {
        const int min = info->command == Command::kSave ? -1 : 0;
        int key = 0;
        if (!ParseInt(rest[at], min, kMaxKeyNumber, &key)) {
          *error = "key number must be " + std::to_string(min) + " to " +
                   std::to_string(kMaxKeyNumber) + ", not '" + rest[at] + "'";
          return false;
        }
        out->key = key;
      }
      break;
    }
    case Command::kCopy:
    case Command::kClone:
    case Command::kRecover:
      out->other = rest[1];
      break;
    case Command::kSetOwner:
    case Command::kClrOwner:
      out->owner = rest[1];
      if (!ValidOwner(out->owner)) {
        *error = "owner name must have 1 to 8 characters, not all blanks";
        return false;
      }
      if (info->command == Command::kSetOwner &&
          !ParseInt(rest[2], 0, kMaxOwnerLevel, &out->level)) {
        *error = "owner level must be 0 to 3, not '" + rest[2] + "'";
        return false;
      }
      break;
    default:
      break;
  }
  return true;
}

}  // namespace vv::butil
