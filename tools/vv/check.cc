// vv check TABLE: the table opened through the driver (which compares the
// dictionary with the file's keys), then its Btrieve file checked as
// vvbutil -check does (vvbutil/file_check.h): the physical order and every
// key walked and compared. Problems are printed one line each, the keys
// named by their host index; then a summary line. Exit code 0 when
// everything agrees, 1 otherwise.
//
// The file is found from the dictionary and the settings file, and opened
// read-only with the settings' owner names in turn (dictionary.h).
#include <cstdio>
#include <string>

#include "veverave/btrieve.h"
#include "veverave/engine.h"
#include "vv/commands.h"
#include "vv/dictionary.h"
#include "vv/session.h"
#include "vvbutil/btrieve_names.h"
#include "vvbutil/command_support.h"
#include "vvbutil/file_check.h"
#include "vvbutil/record_walk.h"

namespace vv::tools {
namespace {

// "index 2 (key 1)"; the physical order is the host's record-number order
// of a table without a record-number key.
std::string IndexName(const TableInfo& table, int key) {
  if (key == butil::kPhysicalOrder) return "physical order";
  for (const IndexInfo& index : table.indexes) {
    if (index.key == key) {
      return "index " + std::to_string(index.number) + " (key " + std::to_string(key) + ")";
    }
  }
  return "key " + std::to_string(key) + " (no index of the dictionary)";
}

}  // namespace

int CheckCommand(const CommandLine& line) {
  Session session(DataDirectory(line));
  if (!session.CheckDirectory()) return session.Fail();
  Dictionary dictionary;
  if (!dictionary.Read(session.dir())) return session.Fail();
  const TableInfo* table = dictionary.Require(line.operands[0]);
  if (table == nullptr) return session.Fail();
  if (!session.LoadDriver()) return session.Fail();

  const auto problem = [&](const std::string& text) {
    std::printf("%s: %s\n", table->name.c_str(), text.c_str());
  };
  uint64_t problems = 0;
  if (const int32_t handle = session.Open(table->name); handle != 0) {
    session.tables().Close(handle);
  } else {
    problem("the driver cannot open the table: " + session.TakeError());
    ++problems;
  }

  const std::string path = TableFilePath(session.dir(), *table);
  butil::Client client(&BTRCALLID);
  butil::OpenFile file(client);
  int16_t status = BTR_STATUS_INVALID_OWNER;
  for (const std::string& owner : OwnerNames(session.dir())) {
    status = file.Open(path, owner, BTR_OPEN_READ_ONLY);
    if (status != BTR_STATUS_INVALID_OWNER) break;
  }
  butil::StatInfo info;
  std::string error;
  if (status == BTR_STATUS_SUCCESS) status = butil::StatFile(file, &info, &error);
  if (status != BTR_STATUS_SUCCESS) {
    problem("the file " + path +
            " cannot be checked: " + (error.empty() ? butil::StatusText(status) : error));
    return kExitError;
  }
  const butil::CheckResult result = butil::CheckFile(
      file, info, [&](int key) { return IndexName(*table, key); }, problem);
  problems += result.problems;
  std::printf("%s: %s, %s, %zu index%s: %s.\n", table->name.c_str(), path.c_str(),
              butil::RecordCount(result.records).c_str(), result.keys, result.keys == 1 ? "" : "es",
              problems == 0
                  ? "no problems"
                  : (std::to_string(problems) + " problem" + (problems == 1 ? "" : "s")).c_str());
  return problems == 0 ? kExitOk : kExitError;
}

}  // namespace vv::tools
