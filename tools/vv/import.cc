// vv import TABLE FILE.csv: the rows of a CSV file added to a table through
// the driver, as a host program adds records: clear the record buffer, put
// the fields, save.
//
// The first row names fields of the table (in any order and any case; a
// column "#", as dump --csv writes it, is skipped: record numbers are the
// table's to give). Fields the header does not name stay empty. Blank lines
// are skipped. Values are read as transfer.h describes and read back before
// the save, so that nothing is cut or rounded on the way in.
//
// The rows go in inside host transactions of at most --batch rows (default
// 500), so a transaction's locks stay bounded. A bad row (a value that is
// not one, a value the field cannot keep, a save the driver refuses, a row
// with the wrong number of fields) stops the import: the transaction under
// way is aborted and the rows that earlier transactions committed are
// deleted again by their record numbers, so the table is as it was before
// the import. With --keep-going a bad row is reported and skipped, and the
// import goes on (a CSV file that breaks its format still ends it there).
// The exit code is 0 when every row went in, else 1.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "host/bcd.h"
#include "host/host_errors.h"
#include "platform/platform.h"
#include "veverave/host_services.h"
#include "vv/commands.h"
#include "vv/csv.h"
#include "vv/dictionary.h"
#include "vv/progress.h"
#include "vv/records.h"
#include "vv/session.h"
#include "vv/transfer.h"

namespace vv::tools {
namespace {

constexpr int64_t kDefaultBatch = 500;
// With --keep-going, the first bad rows are reported one by one, the rest
// only counted in the summary.
constexpr uint64_t kReportedRows = 20;
// The header column that dump --csv gives the record numbers.
constexpr const char* kRecordNumberColumn = "#";

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Which field each column of the CSV file fills (npos: none).
bool MapHeader(const TableInfo& table, const std::vector<std::string>& header,
               const std::string& file, std::vector<std::size_t>* columns) {
  columns->assign(header.size(), std::string::npos);
  bool any = false;
  for (std::size_t c = 0; c < header.size(); ++c) {
    // Blanks around a name are no part of it.
    std::string name = header[c];
    name.erase(0, name.find_first_not_of(' '));
    name.erase(name.find_last_not_of(' ') + 1);
    if (name == kRecordNumberColumn) continue;
    for (std::size_t f = 0; f < table.fields.size(); ++f) {
      if (SameName(name, table.fields[f].name)) (*columns)[c] = f;
    }
    const std::string where = file + " line 1, column " + std::to_string(c + 1) + ": ";
    if ((*columns)[c] == std::string::npos) {
      ReportError(host::kErrTextFormat, where + "\"" + name + "\" is no field of " + table.name);
      return false;
    }
    for (std::size_t before = 0; before < c; ++before) {
      if ((*columns)[before] == (*columns)[c]) {
        ReportError(host::kErrTextFormat, where + "field " + name + " is named twice");
        return false;
      }
    }
    any = true;
  }
  if (!any) ReportError(host::kErrTextFormat, file + " line 1: the header names no field");
  return any;
}

class Importer {
 public:
  Importer(Session& session, int32_t handle, const TableInfo& table, std::string file)
      : session_(session), handle_(handle), table_(table), file_(std::move(file)) {}

  void SetColumns(std::vector<std::size_t> columns) {
    columns_ = std::move(columns);
    for (std::size_t f : columns_) {
      if (f == std::string::npos) continue;
      (Overlays(table_, f) ? overlays_ : owners_).push_back(f);
    }
  }

  // Adds one row; false with the row's error pending, its text naming the
  // line and, where one is to blame, the field.
  bool Row(const std::vector<std::string>& cells, uint64_t line) {
    const std::string where = file_ + " line " + std::to_string(line);
    if (cells.size() != columns_.size()) {
      ReportError(host::kErrTextFormat, where + ": " + std::to_string(cells.size()) +
                                            " fields, the header has " +
                                            std::to_string(columns_.size()));
      return false;
    }
    std::vector<std::string> values(table_.fields.size());
    for (std::size_t c = 0; c < cells.size(); ++c) {
      if (columns_[c] != std::string::npos) values[columns_[c]] = cells[c];
    }
    host::TableManager& tables = session_.tables();
    if (tables.Clear(handle_) != 0) return Blame(where, nullptr);
    for (const auto* fields : {&overlays_, &owners_}) {
      for (std::size_t f : *fields) {
        if (!PutCsvValue(session_, handle_, table_.fields[f], values[f])) {
          return Blame(where, &table_.fields[f]);
        }
      }
    }
    for (const auto* fields : {&owners_, &overlays_}) {
      for (std::size_t f : *fields) {
        if (!CheckCsvValue(session_, handle_, table_.fields[f], values[f])) {
          return Blame(where, &table_.fields[f]);
        }
      }
    }
    if (tables.Save(handle_) != 0) return Blame(where, nullptr);
    VvBcd number = host::BcdZero();
    int32_t recordNumber = 0;
    if (tables.GetBcd(handle_, 0, &number) != 0 || host::BcdToInt(number, &recordNumber) != 0) {
      return Blame(where, nullptr);
    }
    added_.push_back(recordNumber);
    return true;
  }

  // Deletes the records this import added, in transactions of batch
  // records. False with the error pending when one could not be deleted.
  bool TakeBack(int64_t batch) {
    host::TableManager& tables = session_.tables();
    while (!added_.empty()) {
      if (!Begin()) return false;
      for (int64_t n = 0; n < batch && !added_.empty(); ++n) {
        VvBcd number = host::BcdZero();
        host::BcdFromInt(added_.back(), &number);
        int16_t rc = tables.Clear(handle_);
        if (rc == 0) rc = tables.PutBcd(handle_, 0, number);
        if (rc == 0) rc = tables.Find(handle_, 0, VV_FIND_EQ);
        // A record of an aborted transaction was never there.
        if (rc == VV_HOST_ERR_NOT_FOUND) {
          session_.host().ClearError();
        } else if (rc != 0 || tables.Delete(handle_) != 0) {
          Abort();
          return false;
        }
        added_.pop_back();
      }
      if (!Commit()) return false;
    }
    return true;
  }

  bool Begin() { return Transaction(session_.driver().btrTransactionStart); }
  bool Commit() { return Transaction(session_.driver().btrTransactionCommit); }
  void Abort() {
    // The abort's own failure must not hide the error that caused it.
    const int16_t pending = session_.host().error();
    const std::string text = session_.host().error_text();
    session_.host().ClearError();
    session_.driver().btrTransactionAbort();
    if (pending != 0) ReportError(pending, text);
  }

  uint64_t added() const { return added_.size(); }
  // Forgets the rows added so far (they stay: --keep-going).
  void Keep() { added_.clear(); }

 private:
  bool Transaction(int16_t(VV_CALL* call)()) {
    session_.host().ClearError();
    call();
    return session_.host().error() == 0;
  }

  // Puts where (and the field) in front of the pending error's text.
  bool Blame(const std::string& where, const FieldInfo* field) {
    const int16_t number = session_.host().error();
    std::string text = session_.host().error_text();
    std::string prefix = where;
    if (field != nullptr) {
      prefix += ", field " + field->name;
      if (text.rfind(field->name + ": ", 0) == 0) text.erase(0, field->name.size() + 2);
    }
    ReportError(number != 0 ? number : int16_t{host::kErrInternal},
                prefix + ": " + (number != 0 ? text : "a call failed without an error"));
    return false;
  }

  Session& session_;
  int32_t handle_;
  const TableInfo& table_;
  std::string file_;
  std::vector<std::size_t> columns_;
  std::vector<std::size_t> overlays_;  // fields that overlay others (transfer.h)
  std::vector<std::size_t> owners_;    // the other fields
  std::vector<int32_t> added_;
};

std::string Rows(uint64_t n) {
  return std::to_string(n) + (n == 1 ? " row" : " rows");
}

}  // namespace

int ImportCommand(const CommandLine& line) {
  const std::string& path = line.operands[1];
  const int64_t batch = line.batch.value_or(kDefaultBatch);
  Session session(DataDirectory(line));
  if (!session.CheckDirectory()) return session.Fail();
  Dictionary dictionary;
  if (!dictionary.Read(session.dir())) return session.Fail();
  const TableInfo* found = dictionary.Require(line.operands[0]);
  if (found == nullptr) return session.Fail();
  TableInfo table = *found;
  std::unique_ptr<platform::File> csv = platform::OpenFile(path, platform::OpenMode::kRead);
  if (!csv) {
    ReportError(host::kErrTextFileOpen, path + ": cannot be opened");
    return session.Fail();
  }
  const uint64_t size = csv->Size().value_or(0);
  uint64_t offset = 0;
  CsvReader reader([&csv, &offset](void* buf, std::size_t n) {
    const int64_t got = csv->ReadAt(offset, buf, n);
    if (got > 0) offset += static_cast<uint64_t>(got);
    return got;
  });
  std::vector<std::string> cells;
  if (reader.Next(&cells) != CsvReader::Result::kRecord) {
    ReportError(host::kErrTextFormat,
                path + (reader.error().empty() ? ": no header line" : " " + reader.error()));
    return session.Fail();
  }
  std::vector<std::size_t> columns;
  if (!MapHeader(table, cells, path, &columns)) return session.Fail();
  if (!session.LoadDriver()) return session.Fail();
  const int32_t handle = session.Open(table.name);
  if (handle == 0) return session.Fail();
  HostTypesFromDriver(session, handle, &table);
  session.host().ClearError();

  Importer importer(session, handle, table, path);
  importer.SetColumns(columns);
  ProgressBar progress("Importing " + table.name, "rows");
  uint64_t imported = 0;
  uint64_t rejected = 0;
  uint64_t transactions = 0;
  int64_t inBatch = 0;
  bool failed = false;
  CsvReader::Result result = CsvReader::Result::kEnd;
  if (!importer.Begin()) return session.Fail();
  while (!failed && (result = reader.Next(&cells)) == CsvReader::Result::kRecord) {
    if (cells.size() == 1 && cells[0].empty()) continue;
    if (importer.Row(cells, reader.line())) {
      ++imported;
      if (++inBatch == batch) {
        ++transactions;
        inBatch = 0;
        failed = !importer.Commit() || !importer.Begin();
      }
    } else if (line.keepGoing) {
      if (++rejected <= kReportedRows) std::fprintf(stderr, "%s\n", session.TakeError().c_str());
      session.host().ClearError();
    } else {
      failed = true;
    }
    progress.Update(reader.offset(), size, imported);
  }
  if (result == CsvReader::Result::kError) {
    ReportError(host::kErrTextFormat, path + " " + reader.error());
    failed = true;
  }
  progress.Finish();

  if (failed && !line.keepGoing) {
    const std::string error = session.TakeError();
    importer.Abort();
    session.host().ClearError();
    const uint64_t committed = importer.added();
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", error.c_str());
    if (!importer.TakeBack(batch)) {
      std::fprintf(stderr, "%s\n", session.TakeError().c_str());
      std::printf("%s: %s of %s could not be taken back out of the table.\n", table.name.c_str(),
                  Rows(importer.added()).c_str(), path.c_str());
    } else {
      std::printf("%s: nothing imported from %s; the table is as it was%s.\n", table.name.c_str(),
                  path.c_str(), committed > 0 ? " (the rows saved before were deleted again)" : "");
    }
    return kExitError;
  }
  if (failed) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", session.TakeError().c_str());
  }
  if (!importer.Commit()) return session.Fail();
  if (inBatch > 0) ++transactions;
  importer.Keep();
  std::printf("%s: %s imported from %s", table.name.c_str(), Rows(imported).c_str(), path.c_str());
  if (rejected > 0) {
    std::printf(", %s rejected", Rows(rejected).c_str());
    if (rejected > kReportedRows)
      std::printf(" (the first %llu listed)", static_cast<unsigned long long>(kReportedRows));
  }
  std::printf(" (%llu transaction%s).\n", static_cast<unsigned long long>(transactions),
              transactions == 1 ? "" : "s");
  return rejected == 0 && !failed ? kExitOk : kExitError;
}

}  // namespace vv::tools
