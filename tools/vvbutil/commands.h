// The utility's commands, each a call sequence on the engine. Messages go
// to out; errors go to err as one line each, "vvbutil: error 12:
// file not found (open data.btr)". The result is an exit code.
#ifndef VEVERAVE_TOOLS_VVBUTIL_COMMANDS_H_
#define VEVERAVE_TOOLS_VVBUTIL_COMMANDS_H_

#include <cstdio>

#include "veverave/btrieve.h"
#include "vvbutil/command_line.h"

namespace vv::butil {

// Runs the command through call, the engine's Btrieve entry point.
int RunCommand(const CommandLine& command, BtrCallIdFn call, std::FILE* out, std::FILE* err);

}  // namespace vv::butil

#endif  // VEVERAVE_TOOLS_VVBUTIL_COMMANDS_H_
