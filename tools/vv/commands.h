// Commands of the vv tool. Each returns the process exit code; errors are
// printed as "error <number>: <text>".
#ifndef VEVERAVE_TOOLS_VV_COMMANDS_H_
#define VEVERAVE_TOOLS_VV_COMMANDS_H_

#include <string>
#include <vector>

namespace vv::tools {

int DemoCommand(const std::vector<std::string>& args);

}  // namespace vv::tools

#endif  // VEVERAVE_TOOLS_VV_COMMANDS_H_
