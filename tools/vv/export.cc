// vv export TABLE FILE.csv: the records of a table, read through the driver
// along an index (as dump walks it), written to a CSV file: a header row of
// the field names, then one row per record with the values as transfer.h
// describes them, so that import takes the file back.
//
// The reads take no transaction: a read changes nothing, and a transaction
// would only lock other users out for its length. The file is written under
// a temporary name beside FILE.csv and takes its name only when every
// record is in it, so a failed export leaves no half file behind (and an
// older FILE.csv as it was).
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "host/host_errors.h"
#include "platform/platform.h"
#include "veverave/host_services.h"
#include "vv/commands.h"
#include "vv/csv.h"
#include "vv/dictionary.h"
#include "vv/progress.h"
#include "vv/records.h"
#include "vv/session.h"
#include "vv/values.h"

namespace vv::tools {
namespace {

constexpr std::size_t kWriteChunk = 256 * 1024;

// The CSV file under its temporary name, renamed when complete.
class CsvOutput {
 public:
  explicit CsvOutput(std::string path) : path_(std::move(path)), temp_(path_ + ".vvtmp") {}
  ~CsvOutput() {
    if (file_) {
      file_.reset();
      platform::DeleteFile(temp_);
    }
  }
  CsvOutput(const CsvOutput&) = delete;
  CsvOutput& operator=(const CsvOutput&) = delete;

  bool Open() {
    file_ = platform::OpenFile(temp_, platform::OpenMode::kCreateTruncate);
    if (!file_) ReportError(host::kErrTextFileWrite, temp_ + ": cannot be created");
    return file_ != nullptr;
  }
  bool Add(const std::vector<std::string>& fields) {
    pending_ += CsvRecord(fields);
    return pending_.size() < kWriteChunk || Flush();
  }
  // Writes the rest and gives the file its name.
  bool Finish() {
    if (!Flush()) return false;
    file_.reset();
    if (platform::ReplaceFile(temp_, path_) != platform::FsResult::kOk) {
      platform::DeleteFile(temp_);
      ReportError(host::kErrTextFileWrite, path_ + ": cannot be written");
      return false;
    }
    return true;
  }

 private:
  bool Flush() {
    const bool ok = file_->Append(pending_.data(), pending_.size());
    pending_.clear();
    if (!ok) ReportError(host::kErrTextFileWrite, temp_ + ": cannot be written");
    return ok;
  }

  std::string path_;
  std::string temp_;
  std::unique_ptr<platform::File> file_;
  std::string pending_;
};

}  // namespace

int ExportCommand(const CommandLine& line) {
  Session session(DataDirectory(line));
  if (!session.CheckDirectory()) return session.Fail();
  Dictionary dictionary;
  if (!dictionary.Read(session.dir())) return session.Fail();
  const TableInfo* found = dictionary.Require(line.operands[0]);
  if (found == nullptr) return session.Fail();
  TableInfo table = *found;
  const int32_t index = line.index.value_or(table.Index(1) != nullptr ? 1 : 0);
  if (index != 0 && table.Index(index) == nullptr) {
    ReportError(host::kErrBadIndexNumber, table.name + " has no index " + std::to_string(index));
    return session.Fail();
  }
  if (!session.LoadDriver()) return session.Fail();
  const int32_t handle = session.Open(table.name);
  if (handle == 0) return session.Fail();
  HostTypesFromDriver(session, handle, &table);
  session.host().ClearError();
  // The number of records, for the progress bar, when the driver tells it.
  const int32_t total = session.host().Attribute(handle, VV_ATTR_FILE_RECORDS);
  session.host().ClearError();

  CsvOutput out(line.operands[1]);
  if (!out.Open()) return session.Fail();
  std::vector<std::string> row;
  for (const FieldInfo& f : table.fields) row.push_back(f.name);
  if (!out.Add(row)) return session.Fail();

  ProgressBar progress("Exporting " + table.name, "records");
  uint64_t count = 0;
  std::vector<std::string> values;
  int16_t rc = FindFirst(session, handle, table, index, std::nullopt);
  while (rc == 0) {
    if (!ReadRecord(session, handle, table, &values)) return session.Fail();
    // values[0] is the record number, which the file does not carry.
    row.clear();
    for (std::size_t f = 0; f < table.fields.size(); ++f) {
      const FieldInfo& field = table.fields[f];
      row.push_back(KindOf(field) == ValueKind::kBinary ? HexText(values[f + 1]) : values[f + 1]);
    }
    if (!out.Add(row)) return session.Fail();
    ++count;
    progress.Update(count, total > 0 ? static_cast<uint64_t>(total) : 0, count);
    rc = session.tables().Find(handle, index, VV_FIND_GT);
  }
  progress.Finish();
  if (!EndOfIndex(rc)) return session.Fail();
  session.host().ClearError();
  if (!out.Finish()) return session.Fail();
  std::printf("%s: %s record%s exported to %s.\n", table.name.c_str(),
              std::to_string(count).c_str(), count == 1 ? "" : "s", line.operands[1].c_str());
  return kExitOk;
}

}  // namespace vv::tools
