// vv tables and vv describe: the dictionary's tables and one table's
// structure.
//
// describe shows a table as the host sees it through the driver: it opens
// the table and reads every field, index and segment through the driver's
// attributes (names, host types and lengths, decimals, offsets from 1,
// sizes, main indexes, segments with their order and case), plus the table's
// record lengths, record count and file version. The dictionary adds what
// no attribute tells: the table's id and file, each field's Btrieve type and
// whether a key allows duplicates. When the driver cannot open the table,
// describe shows the dictionary's view and says why.
#include <cstdio>
#include <string>
#include <vector>

#include "veverave/btrieve.h"
#include "veverave/host_services.h"
#include "vv/commands.h"
#include "vv/dictionary.h"
#include "vv/session.h"
#include "vv/text_grid.h"
#include "vv/values.h"

namespace vv::tools {
namespace {

using Align = TextGrid::Align;

// Cells of a number the view does not know.
constexpr int32_t kUnknown = -1;

struct FieldView {
  int32_t number = 0;
  std::string name;
  int32_t hostType = kHostTypeUnknown;
  int32_t hostLength = kUnknown;
  int32_t decimals = 0;
  int32_t offset = 0;  // from 1
  int32_t size = 0;
  int32_t mainIndex = kUnknown;
  int32_t btrType = kUnknown;
};

struct SegmentView {
  std::string field;
  int32_t offset = kUnknown;  // from 1
  int32_t size = kUnknown;
  bool descending = false;
  bool noCase = false;
};

struct IndexView {
  int32_t number = 0;
  int32_t keyLength = kUnknown;
  std::string kind;  // "unique" or "duplicates", from the dictionary
  std::vector<SegmentView> segments;
};

struct TableView {
  std::string facts;  // record lengths, records, version; from the driver
  std::vector<FieldView> fields;
  std::vector<IndexView> indexes;
};

std::string Cell(int32_t value) {
  return value == kUnknown ? "-" : std::to_string(value);
}

std::string KeyKind(const IndexInfo* index) {
  if (index == nullptr || index->segments.empty()) return "";
  return (index->segments[0].keyFlags & BTR_KEY_DUPLICATES) != 0 ? "duplicates" : "unique";
}

TableView FromDictionary(const TableInfo& table) {
  TableView view;
  for (const FieldInfo& f : table.fields) {
    view.fields.push_back({f.number, f.name, kHostTypeUnknown, kUnknown, f.decimals, f.offset + 1,
                           f.size, kUnknown, f.btrType});
  }
  for (const IndexInfo& index : table.indexes) {
    IndexView iv{index.number, kUnknown, KeyKind(&index), {}};
    for (const SegmentInfo& s : index.segments) {
      const FieldInfo* field = table.Field(s.field);
      iv.segments.push_back(
          {field != nullptr ? field->name : "field id " + std::to_string(s.fieldId),
           field != nullptr ? field->offset + 1 : kUnknown,
           field != nullptr ? field->size : kUnknown, (s.keyFlags & BTR_KEY_DESCENDING) != 0,
           (s.keyFlags & BTR_KEY_NO_CASE) != 0});
    }
    view.indexes.push_back(iv);
  }
  return view;
}

// Reads a table's attributes from the driver through the host.
class DriverReader {
 public:
  DriverReader(host::Host& host, int32_t handle) : host_(host), handle_(handle) {}
  int32_t Number(int32_t attr, int32_t n1 = 0, int32_t n2 = 0) {
    return host_.error() == 0 ? host_.Attribute(handle_, attr, n1, n2) : 0;
  }
  std::string Text(int32_t attr, int32_t n1 = 0) {
    std::string text;
    if (host_.error() == 0) host_.AttributeText(handle_, attr, &text, n1);
    return text;
  }

 private:
  host::Host& host_;
  int32_t handle_;
};

void FieldsRead(DriverReader& r, const TableInfo& table, TableView* view) {
  const int32_t fields = r.Number(VV_ATTR_FILE_FIELDS);
  for (int32_t n = 1; n <= fields; ++n) {
    FieldView f;
    f.number = n;
    f.name = r.Text(VV_ATTR_FIELD_NAME, n);
    f.hostType = r.Number(VV_ATTR_FIELD_TYPE, n);
    f.hostLength = r.Number(VV_ATTR_FIELD_LENGTH, n);
    f.decimals = r.Number(VV_ATTR_FIELD_PRECISION, n);
    f.offset = r.Number(VV_ATTR_FIELD_OFFSET, n);
    f.size = r.Number(VV_ATTR_FIELD_SIZE, n);
    f.mainIndex = r.Number(VV_ATTR_FIELD_MAIN_INDEX, n);
    const FieldInfo* stored = table.Field(n);
    if (stored != nullptr) f.btrType = stored->btrType;
    view->fields.push_back(f);
  }
}

void IndexesRead(DriverReader& r, const TableInfo& table, TableView* view) {
  const int32_t indexes = r.Number(VV_ATTR_FILE_INDEXES);
  for (int32_t i = 1; i <= indexes; ++i) {
    const int32_t segments = r.Number(VV_ATTR_INDEX_SEGMENTS, i);
    if (segments <= 0) continue;
    IndexView iv{i, r.Number(VV_ATTR_INDEX_KEY_LENGTH, i), KeyKind(table.Index(i)), {}};
    for (int32_t s = 1; s <= segments; ++s) {
      const int32_t field = r.Number(VV_ATTR_SEGMENT_FIELD, i, s);
      // Field 0 is the record number the driver keeps keys unique with.
      iv.segments.push_back({r.Text(VV_ATTR_FIELD_NAME, field),
                             field == 0 ? kUnknown : r.Number(VV_ATTR_FIELD_OFFSET, field),
                             r.Number(VV_ATTR_FIELD_SIZE, field),
                             r.Number(VV_ATTR_SEGMENT_DESCENDING, i, s) == 1,
                             r.Number(VV_ATTR_SEGMENT_IGNORE_CASE, i, s) == 1});
    }
    view->indexes.push_back(iv);
  }
}

// The table as the driver shows it; empty when it did, else why not.
std::string FromDriver(Session& session, const TableInfo& table, TableView* view) {
  if (!session.LoadDriver()) return session.TakeError();
  const int32_t handle = session.Open(table.name);
  if (handle == 0) return "the driver could not open the table: " + session.TakeError();
  host::Host& host = session.host();
  host.ClearError();
  DriverReader r(host, handle);
  FieldsRead(r, table, view);
  IndexesRead(r, table, view);
  const int32_t hostLength = r.Number(VV_ATTR_FILE_HOST_RECORD_LENGTH);
  const int32_t fileLength = r.Number(VV_ATTR_FILE_RECORD_LENGTH);
  const int32_t records = r.Number(VV_ATTR_FILE_RECORDS);
  const std::string version = r.Text(VV_ATTR_FILE_REVISION);
  view->facts = "Records of " + std::to_string(hostLength) + " bytes (" +
                std::to_string(fileLength) + " in the file), " + std::to_string(records) +
                " records, file version " + version;
  std::string why;
  if (host.error() != 0)
    why = "the driver did not give the table's attributes: " + session.TakeError();
  session.tables().Close(handle);
  return why;
}

void PrintFields(const TableView& view) {
  TextGrid grid({{"no", Align::kRight},
                 {"name"},
                 {"host type"},
                 {"length", Align::kRight},
                 {"dec", Align::kRight},
                 {"offset", Align::kRight},
                 {"size", Align::kRight},
                 {"index", Align::kRight},
                 {"btrieve type"}});
  for (const FieldView& f : view.fields) {
    grid.Add({std::to_string(f.number), f.name, HostTypeName(f.hostType), Cell(f.hostLength),
              std::to_string(f.decimals), std::to_string(f.offset), std::to_string(f.size),
              Cell(f.mainIndex), f.btrType == kUnknown ? "-" : BtrTypeName(f.btrType)});
  }
  std::printf("Fields (offsets from 1):\n");
  grid.Print(stdout);
}

void PrintIndexes(const TableView& view) {
  if (view.indexes.empty()) {
    std::printf("Indexes: none besides index 0 (record-number order)\n");
    return;
  }
  TextGrid grid({{"index", Align::kRight},
                 {"key length", Align::kRight},
                 {"segment", Align::kRight},
                 {"field"},
                 {"offset", Align::kRight},
                 {"size", Align::kRight},
                 {"flags"}});
  for (const IndexView& index : view.indexes) {
    for (std::size_t s = 0; s < index.segments.size(); ++s) {
      const SegmentView& segment = index.segments[s];
      std::string flags = s == 0 ? index.kind : "";
      if (segment.descending) flags += " descending";
      if (segment.noCase) flags += " case-insensitive";
      if (!flags.empty() && flags[0] == ' ') flags.erase(0, 1);
      grid.Add({s == 0 ? std::to_string(index.number) : "", s == 0 ? Cell(index.keyLength) : "",
                std::to_string(s + 1), segment.field, Cell(segment.offset), Cell(segment.size),
                flags});
    }
  }
  std::printf("Indexes (index 0 is record-number order):\n");
  grid.Print(stdout);
}

}  // namespace

int TablesCommand(const CommandLine& line) {
  Session session(DataDirectory(line));
  if (!session.CheckDirectory()) return session.Fail();
  Dictionary dictionary;
  if (!dictionary.Read(session.dir())) return session.Fail();
  if (dictionary.tables().empty()) {
    std::printf("No tables in the dictionary in %s\n", dictionary.location().c_str());
    return kExitOk;
  }
  std::printf("Tables in the dictionary in %s:\n", dictionary.location().c_str());
  TextGrid grid({{"id", Align::kRight},
                 {"name"},
                 {"file"},
                 {"fields", Align::kRight},
                 {"indexes", Align::kRight}});
  for (const TableInfo& t : dictionary.tables()) {
    grid.Add({std::to_string(t.id), t.name, t.location, std::to_string(t.fields.size()),
              std::to_string(t.indexes.size())});
  }
  grid.Print(stdout);
  return kExitOk;
}

int DescribeCommand(const CommandLine& line) {
  Session session(DataDirectory(line));
  if (!session.CheckDirectory()) return session.Fail();
  Dictionary dictionary;
  if (!dictionary.Read(session.dir())) return session.Fail();
  const TableInfo* table = dictionary.Require(line.operands[0]);
  if (table == nullptr) return session.Fail();
  TableView view;
  const std::string why = FromDriver(session, *table, &view);
  if (!why.empty()) view = FromDictionary(*table);

  std::printf("Table %s (id %u), file %s\n", table->name.c_str(), static_cast<unsigned>(table->id),
              table->location.c_str());
  if (!view.facts.empty()) std::printf("%s\n", view.facts.c_str());
  PrintFields(view);
  PrintIndexes(view);
  if (why.empty()) {
    std::printf("As the driver shows it; Btrieve types and duplicates from the dictionary in %s.\n",
                dictionary.location().c_str());
  } else {
    std::printf("From the dictionary files in %s; the driver's view is not shown: %s\n",
                dictionary.location().c_str(), why.c_str());
  }
  return kExitOk;
}

}  // namespace vv::tools
