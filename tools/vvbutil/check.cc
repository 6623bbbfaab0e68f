// -check: the consistency check of a file (file_check.h). Problems go to out
// one line each, then a summary line. Exit codes: 0 when every walk agrees,
// 1 when the check found problems, 2 when the file cannot be checked at all
// (it cannot be opened, or its Stat fails).
#include <string>

#include "vvbutil/command_support.h"
#include "vvbutil/file_check.h"

namespace vv::butil {

int RunCheck(const CommandLine& c, Client& client, std::FILE* out, std::FILE* err) {
  OpenFile file(client);
  if (!OpenForCommand(file, c, BTR_OPEN_READ_ONLY, err)) return kExitIncomplete;
  StatInfo info;
  std::string error;
  const int16_t status = StatFile(file, &info, &error);
  if (status != BTR_STATUS_SUCCESS) {
    return error.empty() ? FailStatus(err, status, "stat " + c.file) : Fail(err, error);
  }
  const CheckResult result = CheckFile(file, info, KeyWalkName, [&](const std::string& line) {
    std::fprintf(out, "vvbutil: %s\n", line.c_str());
  });
  std::fprintf(out, "vvbutil: %s: %s, %zu key%s: %s.\n", c.file.c_str(),
               RecordCount(result.records).c_str(), result.keys, result.keys == 1 ? "" : "s",
               result.problems == 0 ? "no problems"
                                    : (std::to_string(result.problems) +
                                       (result.problems == 1 ? " problem" : " problems"))
                                          .c_str());
  return result.problems == 0 ? kExitOk : kExitPartial;
}

}  // namespace vv::butil
