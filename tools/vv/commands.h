// The commands of vv. Each returns the process exit code (command_line.h);
// failures are printed on standard error as "error <number>: <text>".
#ifndef VEVERAVE_TOOLS_VV_COMMANDS_H_
#define VEVERAVE_TOOLS_VV_COMMANDS_H_

#include <string>

#include "vv/command_line.h"

namespace vv::tools {

// vv init [DIR]: an empty dictionary and a settings file.
int InitCommand(const CommandLine& line);
// vv tables: the tables of the dictionary.
int TablesCommand(const CommandLine& line);
// vv describe TABLE: fields and indexes.
int DescribeCommand(const CommandLine& line);
// vv dump TABLE: the records along an index.
int DumpCommand(const CommandLine& line);
// vv import TABLE FILE.csv: the rows of a CSV file added to the table.
int ImportCommand(const CommandLine& line);
// vv export TABLE FILE.csv: the records written to a CSV file.
int ExportCommand(const CommandLine& line);
// vv check TABLE: the indexes and the physical order of the table's file
// compared.
int CheckCommand(const CommandLine& line);
// vv demo [DIR]: a sample database and a walk through what the driver does.
int DemoCommand(const CommandLine& line);

}  // namespace vv::tools

#endif  // VEVERAVE_TOOLS_VV_COMMANDS_H_
