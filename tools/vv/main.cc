// vv: the command-line tool of veverave.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: vv <command> [arguments]\n"
               "commands:\n"
               "  demo    load the driver through the reference host and show what it does\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  std::string command = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "demo") return vv::tools::DemoCommand(args);
  std::fprintf(stderr, "vv: unknown command '%s'\n", command.c_str());
  return Usage();
}
