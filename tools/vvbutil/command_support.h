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

// "1 record", "2 records".
std::string RecordCount(uint64_t n);

// Prints "vvbutil: <message>" to err and returns kExitIncomplete.
int Fail(std::FILE* err, std::string_view message);

// Prints "vvbutil: error N: meaning (what)", N the Btrieve status, and returns kExitIncomplete.
int FailStatus(std::FILE* err, int status, std::string_view what);

// Stat of an open file; a Btrieve status, or BTR_STATUS_IO_ERROR with
// *error set when the answer cannot be read.
int16_t StatFile(OpenFile& file, StatInfo* info, std::string* error);

// Opens command.file with command.owner, reporting a failure; true when open.
bool OpenForCommand(OpenFile& file, const CommandLine& command, int8_t mode, std::FILE* err);

// Inserts records into an open file; the first failures are reported on err
// one by one ("insert of record N"), the rest counted by Finish().
class Inserter {
 public:
  Inserter(OpenFile& file, std::FILE* err) : file_(file), err_(err) {}
  // number names the record in a failure report. The engine may write the
  // record (an autoincrement value), so it is taken by reference.
  void Insert(std::string& record, uint64_t number);
  void Finish();
  uint64_t inserted() const { return inserted_; }
  uint64_t failed() const { return failed_; }
  // 0 when every record was read and inserted, 1 when some were, else 2.
  int ExitCode(bool readAll) const;

 private:
  OpenFile& file_;
  std::FILE* err_;
  uint64_t inserted_ = 0;
  uint64_t failed_ = 0;
};

int RunLoad(const CommandLine& command, Client& client, std::FILE* out, std::FILE* err);
int RunSave(const CommandLine& command, Client& client, std::FILE* out, std::FILE* err);
int RunCheck(const CommandLine& command, Client& client, std::FILE* out, std::FILE* err);
int RunCopy(const CommandLine& command, Client& client, std::FILE* out, std::FILE* err);
int RunClone(const CommandLine& command, Client& client, std::FILE* out, std::FILE* err);
int RunRecover(const CommandLine& command, Client& client, std::FILE* out, std::FILE* err);

}  // namespace vv::butil

#endif  // VEVERAVE_TOOLS_VVBUTIL_COMMAND_SUPPORT_H_
