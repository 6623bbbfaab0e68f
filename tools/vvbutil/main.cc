// vvbutil: the maintenance utility of Btrieve files on the embedded engine.
// It reaches the engine only through the Btrieve call.
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "veverave/btrieve.h"
#include "veverave/engine.h"
#include "vvbutil/command_line.h"
#include "vvbutil/commands.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  vv::butil::CommandLine command;
  std::string error;
  if (!vv::butil::ParseCommandLine(args, &command, &error)) {
    std::fprintf(stderr, "vvbutil: %s\n%s", error.c_str(), vv::butil::UsageText());
    return vv::butil::kExitUsage;
  }
  try {
    return vv::butil::RunCommand(command, &BTRCALLID, stdout, stderr);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "vvbutil: out of memory\n");
    return vv::butil::kExitIncomplete;
  }
}
