// vv: the command-line tool of veverave. It is a host program: it runs the
// reference host, loads the driver beside itself and works on the tables of
// a data directory (command_line.h, usage text below).
#include <cstdio>
#include <string>
#include <vector>

#include "vv/command_line.h"
#include "vv/commands.h"

namespace {

int Usage(const std::string& error) {
  std::fprintf(stderr, "vv: %s\n%s", error.c_str(), vv::tools::UsageText());
  return vv::tools::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  using vv::tools::Command;
  const std::vector<std::string> args(argv + 1, argv + argc);
  for (const std::string& arg : args) {
    if (arg == "-h" || arg == "--help") {
      std::printf("%s", vv::tools::UsageText());
      return vv::tools::kExitOk;
    }
  }
  vv::tools::CommandLine line;
  std::string error;
  if (!vv::tools::ParseCommandLine(args, &line, &error)) return Usage(error);
  switch (line.command) {
    case Command::kHelp:
      std::printf("%s", vv::tools::UsageText());
      return vv::tools::kExitOk;
    case Command::kInit:
      return vv::tools::InitCommand(line);
    case Command::kTables:
      return vv::tools::TablesCommand(line);
    case Command::kDescribe:
      return vv::tools::DescribeCommand(line);
    case Command::kDump:
      return vv::tools::DumpCommand(line);
    case Command::kImport:
      return vv::tools::ImportCommand(line);
    case Command::kExport:
      return vv::tools::ExportCommand(line);
    case Command::kCheck:
      return vv::tools::CheckCommand(line);
    case Command::kDemo:
      return vv::tools::DemoCommand(line);
  }
  return Usage("unknown command");
}
