// vv dump: the records of a table along one of its indexes, as aligned
// columns or as comma-separated values.
//
// Aligned output lines columns up over blocks of rows (the widths of the
// first block hold for the rest where values fit) and cuts long text; CSV
// gives every value whole, binary data as hex digits.
#include <cstdio>
#include <string>
#include <vector>

#include "host/host_errors.h"
#include "veverave/host_services.h"
#include "vv/commands.h"
#include "vv/csv.h"
#include "vv/dictionary.h"
#include "vv/records.h"
#include "vv/session.h"
#include "vv/text_grid.h"
#include "vv/values.h"

namespace vv::tools {
namespace {

// Rows gathered before aligned output is written.
constexpr std::size_t kBlockRows = 1000;
// Widest cell of aligned output.
constexpr std::size_t kCellWidth = 40;

// Writes records as they come.
class RecordWriter {
 public:
  RecordWriter(const TableInfo& table, bool csv) : table_(table), csv_(csv), grid_(Columns(table)) {
    if (csv_) {
      std::string header = "#";
      for (const FieldInfo& f : table_.fields) header += "," + CsvField(f.name);
      std::printf("%s\n", header.c_str());
    }
  }

  // values: the record number, then the fields.
  void Add(std::vector<std::string> values) {
    for (std::size_t i = 1; i < values.size(); ++i) {
      if (KindOf(table_.fields[i - 1]) == ValueKind::kBinary) values[i] = HexText(values[i]);
    }
    if (csv_) {
      std::string line;
      for (std::size_t i = 0; i < values.size(); ++i) line += (i ? "," : "") + CsvField(values[i]);
      std::printf("%s\n", line.c_str());
      return;
    }
    for (std::string& v : values) v = CellText(v, kCellWidth);
    grid_.Add(std::move(values));
    if (grid_.rows() >= kBlockRows) grid_.Print(stdout);
  }

  void Finish(int64_t count) {
    if (csv_) return;
    grid_.Print(stdout);
    std::printf("(%s record%s)\n", std::to_string(count).c_str(), count == 1 ? "" : "s");
  }

 private:
  static std::vector<TextGrid::Column> Columns(const TableInfo& table) {
    std::vector<TextGrid::Column> columns = {{"#", TextGrid::Align::kRight}};
    for (const FieldInfo& f : table.fields) {
      columns.push_back({f.name, KindOf(f) == ValueKind::kNumber ? TextGrid::Align::kRight
                                                                 : TextGrid::Align::kLeft});
    }
    return columns;
  }

  const TableInfo& table_;
  bool csv_;
  TextGrid grid_;
};

}  // namespace

int DumpCommand(const CommandLine& line) {
  Session session(DataDirectory(line));
  if (!session.CheckDirectory()) return session.Fail();
  Dictionary dictionary;
  if (!dictionary.Read(session.dir())) return session.Fail();
  const TableInfo* table = dictionary.Require(line.operands[0]);
  if (table == nullptr) return session.Fail();
  // Index 1 unless told otherwise; a table without indexes in record-number
  // order.
  const int32_t index = line.index.value_or(table->Index(1) != nullptr ? 1 : 0);
  if (index != 0 && table->Index(index) == nullptr) {
    ReportError(host::kErrBadIndexNumber, table->name + " has no index " + std::to_string(index) +
                                              " (it has " + std::to_string(table->indexes.size()) +
                                              "; index 0 is record-number order)");
    return session.Fail();
  }
  if (!session.LoadDriver()) return session.Fail();
  const int32_t handle = session.Open(table->name);
  if (handle == 0) return session.Fail();

  // Nothing is printed before the start is found: a bad --from value
  // prints only its error.
  int16_t rc = line.limit && *line.limit == 0
                   ? int16_t{VV_HOST_ERR_END_OF_FILE}
                   : FindFirst(session, handle, *table, index, line.from);
  if (rc != 0 && !EndOfIndex(rc)) return session.Fail();
  RecordWriter writer(*table, line.csv);
  int64_t count = 0;
  std::vector<std::string> values;
  while (rc == 0) {
    if (!ReadRecord(session, handle, *table, &values)) {
      rc = session.host().error();
      break;
    }
    writer.Add(values);
    ++count;
    if (line.limit && count >= *line.limit) break;
    rc = session.tables().Find(handle, index, VV_FIND_GT);
  }
  if (rc != 0 && !EndOfIndex(rc)) {
    writer.Finish(count);
    return session.Fail();
  }
  session.host().ClearError();
  writer.Finish(count);
  return kExitOk;
}

}  // namespace vv::tools
