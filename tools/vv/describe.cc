// vv tables and vv describe: the dictionary's tables and one table's
// structure.
//
// The structure (names, Btrieve types, offsets, sizes, index segments) is
// read from the dictionary files. Host types and lengths are what the driver
// makes of the fields when it opens the table, so they come from the
// driver's field attributes; when the driver cannot open the table or does
// not answer attribute requests, describe says so and shows the rest.
#include <cstdio>
#include <string>
#include <vector>

#include "veverave/btrieve.h"
#include "veverave/host_services.h"
#include "vv/commands.h"
#include "vv/dictionary.h"
#include "vv/records.h"
#include "vv/session.h"
#include "vv/text_grid.h"
#include "vv/values.h"

namespace vv::tools {
namespace {

using Align = TextGrid::Align;

// The host types of the fields as the driver gives them. Empty when it gave
// them all, else why not.
std::string HostTypesOfTable(Session& session, TableInfo* table) {
  if (!session.LoadDriver()) return session.TakeError();
  const int32_t handle = session.Open(table->name);
  if (handle == 0) return "the driver could not open the table: " + session.TakeError();
  const std::string why = HostTypesFromDriver(session, handle, table);
  session.tables().Close(handle);
  return why;
}

// Host type and length columns only when the driver gave them.
void PrintFields(const TableInfo& table) {
  const bool hostTypes = !table.fields.empty() && table.fields[0].hostType != kHostTypeUnknown;
  std::vector<TextGrid::Column> columns = {{"no", Align::kRight}, {"name"}};
  if (hostTypes) {
    columns.push_back({"host type"});
    columns.push_back({"length", Align::kRight});
  }
  for (const char* header : {"btrieve type", "offset", "size", "dec"}) {
    columns.push_back({header, header[0] == 'b' ? Align::kLeft : Align::kRight});
  }
  TextGrid grid(columns);
  for (const FieldInfo& f : table.fields) {
    std::vector<std::string> row = {std::to_string(f.number), f.name};
    if (hostTypes) {
      row.push_back(HostTypeName(f.hostType));
      row.push_back(std::to_string(f.hostLength));
    }
    for (const std::string& cell : {BtrTypeName(f.btrType), std::to_string(f.offset),
                                    std::to_string(f.size), std::to_string(f.decimals)}) {
      row.push_back(cell);
    }
    grid.Add(row);
  }
  std::printf("Fields:\n");
  grid.Print(stdout);
}

void PrintIndexes(const TableInfo& table) {
  if (table.indexes.empty()) {
    std::printf("Indexes: none besides index 0 (record-number order)\n");
    return;
  }
  TextGrid grid({{"index", Align::kRight},
                 {"key", Align::kRight},
                 {"segment", Align::kRight},
                 {"field"},
                 {"offset", Align::kRight},
                 {"size", Align::kRight},
                 {"flags"}});
  for (const IndexInfo& index : table.indexes) {
    for (std::size_t s = 0; s < index.segments.size(); ++s) {
      const SegmentInfo& segment = index.segments[s];
      const FieldInfo* field = table.Field(segment.field);
      std::string flags;
      if (s == 0) {
        flags = (segment.keyFlags & BTR_KEY_DUPLICATES) != 0 ? "duplicates" : "unique";
      }
      if ((segment.keyFlags & BTR_KEY_DESCENDING) != 0) flags += " descending";
      if ((segment.keyFlags & BTR_KEY_NO_CASE) != 0) flags += " case-insensitive";
      if (!flags.empty() && flags[0] == ' ') flags.erase(0, 1);
      grid.Add({s == 0 ? std::to_string(index.number) : "", s == 0 ? std::to_string(index.key) : "",
                std::to_string(s + 1),
                field != nullptr ? field->name : "field id " + std::to_string(segment.fieldId),
                field != nullptr ? std::to_string(field->offset) : "-",
                field != nullptr ? std::to_string(field->size) : "-", flags});
    }
  }
  std::printf("Indexes (index 0 is record-number order; index N is Btrieve key N-1):\n");
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
  const TableInfo* found = dictionary.Require(line.operands[0]);
  if (found == nullptr) return session.Fail();
  TableInfo table = *found;
  const std::string noHostTypes = HostTypesOfTable(session, &table);

  std::printf("Table %s (id %u), file %s\n", table.name.c_str(), static_cast<unsigned>(table.id),
              table.location.c_str());
  PrintFields(table);
  PrintIndexes(table);
  std::printf("Read from the dictionary files in %s", dictionary.location().c_str());
  if (noHostTypes.empty()) {
    std::printf("; host types and lengths from the driver.\n");
  } else {
    std::printf(".\nHost types are not shown: %s\n", noHostTypes.c_str());
  }
  return kExitOk;
}

}  // namespace vv::tools
