// Helpers shared by the command units: reporting, reading the file's
// definition, and the record commands.
#ifndef VEVERAVE_TOOLS_VVBUTIL_COMMAND_SUPPORT_H_
#define VEVERAVE_TOOLS_VVBUTIL_COMMAND_SUPPORT_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "vvbutil/btrieve_client.h"
#include "vvbutil/command_line.h"
#include "vvbutil/file_layout.h"

namespace vv::butil {

// Prints "vvbutil: <message>" to err and returns kExitIncomplete.
int Fail(std::FILE* err, std::string_view message);

// Prints "vvbutil: error N: meaning (what)", N the Btrieve status, and returns kExitIncomplete.
int FailStatus(std::FILE* err, int status, std::string_view what);

// Stat of an open file; a Btrieve status, or BTR_STATUS_IO_ERROR with
// *error set when the answer cannot be read.
int16_t StatFile(OpenFile& file, StatInfo* info, std::string* error);

// Opens command.file with command.owner, reporting a failure; true when open.
bool OpenForCommand(OpenFile& file, const CommandLine& command, int8_t mode, std::FILE* err);

int RunLoad(const CommandLine& command, Client& client, std::FILE* out, std::FILE* err);
int RunSave(const CommandLine& command, Client& client, std::FILE* out, std::FILE* err);

}  // namespace vv::butil

#endif  // VEVERAVE_TOOLS_VVBUTIL_COMMAND_SUPPORT_H_
