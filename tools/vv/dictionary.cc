#include "vv/dictionary.h"

#include <algorithm>
#include <map>
#include <memory>

#include "ddf/dictionary_builder.h"
#include "host/host_errors.h"
#include "host/text_file.h"
#include "platform/platform.h"
#include "veverave/ddf_layout.h"
#include "vv/session.h"

namespace vv::tools {
namespace {

constexpr std::string_view kDdfPathKeyword = "DDF_PATH";
constexpr std::string_view kBtrPathKeyword = "BTR_PATH";
constexpr std::string_view kOwnerKeyword = "OWNER";

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Btrieve key flags from the flags of an INDEX.DDF row (the dictionary
// numbers some bits differently).
uint16_t KeyFlagsFromDdf(uint16_t ddfFlags) {
  uint16_t flags = 0;
  for (const DdfFlagMap& m : kDdfSegmentFlagMap) {
    if ((ddfFlags & m.nDdfFlag) != 0) flags = static_cast<uint16_t>(flags | m.nKeyFlag);
  }
  return flags;
}

void AddFields(const std::vector<ddf::FieldRow>& rows, TableInfo* table) {
  for (const ddf::FieldRow& row : rows) {
    if (row.file != table->id || row.type >= kDdfFirstNonFieldType) continue;
    FieldInfo field;
    field.number = static_cast<int32_t>(table->fields.size()) + 1;
    field.id = row.id;
    field.name = row.name;
    field.btrType = row.type;
    field.offset = row.offset;
    field.size = row.size;
    field.decimals = row.decimals;
    field.ddfFlags = row.flags;
    table->fields.push_back(field);
  }
}

void AddIndexes(const std::vector<ddf::IndexRow>& rows, TableInfo* table) {
  std::map<uint16_t, std::map<uint16_t, ddf::IndexRow>> keys;  // key -> part -> row
  for (const ddf::IndexRow& row : rows) {
    if (row.file == table->id) keys[row.number][row.part] = row;
  }
  for (const auto& [key, parts] : keys) {
    IndexInfo index;
    index.key = key;
    index.number = key + 1;
    for (const auto& [part, row] : parts) {
      SegmentInfo segment;
      segment.fieldId = row.field;
      segment.keyFlags = KeyFlagsFromDdf(row.flags);
      for (const FieldInfo& f : table->fields) {
        if (f.id == row.field) segment.field = f.number;
      }
      index.segments.push_back(segment);
    }
    table->indexes.push_back(index);
  }
}

}  // namespace

const FieldInfo* TableInfo::Field(int32_t number) const {
  if (number < 1 || number > static_cast<int32_t>(fields.size())) return nullptr;
  return &fields[static_cast<std::size_t>(number - 1)];
}

const IndexInfo* TableInfo::Index(int32_t number) const {
  for (const IndexInfo& index : indexes) {
    if (index.number == number) return &index;
  }
  return nullptr;
}

std::string SettingsPath(const std::string& dir) {
  platform::PathParts parts = platform::SplitPath(kSettingsFile);
  parts.dir = dir;
  return platform::JoinPath(parts);
}

std::vector<std::string> SettingValues(const std::string& dir, std::string_view keyword) {
  std::vector<std::string> values;
  const std::string settings = SettingsPath(dir);
  if (!platform::FileExists(settings)) return values;
  std::unique_ptr<host::TextFileReader> reader = host::TextFileReader::Open(settings);
  if (!reader) return values;
  for (host::TextLine line = reader->Next(); !line.keyword.empty(); line = reader->Next()) {
    if (!SameName(line.keyword, keyword)) continue;
    // The driver's value ends at a ';' or '^'; an empty value changes nothing.
    std::string value = line.value.substr(0, line.value.find_first_of(";^"));
    value.erase(value.find_last_not_of(' ') + 1);
    if (!value.empty()) values.push_back(value);
  }
  return values;
}

std::string DictionaryDirectory(const std::string& dir) {
  const std::vector<std::string> paths = SettingValues(dir, kDdfPathKeyword);
  return paths.empty() ? dir : paths.back();
}

std::string TableFilePath(const std::string& dir, const TableInfo& table) {
  platform::PathParts parts = platform::SplitPath(table.location);
  if (!parts.drive.empty() || !parts.dir.empty()) return table.location;
  const std::vector<std::string> btrPath = SettingValues(dir, kBtrPathKeyword);
  if (!btrPath.empty()) {
    const platform::PathParts where = platform::SplitPath(btrPath.back() + "/");
    parts.drive = where.drive;
    parts.dir = where.dir;
    return platform::JoinPath(parts);
  }
  parts.dir = dir;
  const std::string inData = platform::JoinPath(parts);
  return platform::FileExists(inData) ? inData : table.location;
}

std::vector<std::string> OwnerNames(const std::string& dir) {
  std::vector<std::string> names = SettingValues(dir, kOwnerKeyword);
  for (std::string& name : names) {
    // Surrounding quotes of either kind are dropped.
    if (name.size() >= 2 && (name[0] == '"' || name[0] == '\'') && name.back() == name[0]) {
      name = name.substr(1, name.size() - 2);
    }
  }
  names.push_back("");
  return names;
}

bool Dictionary::Read(const std::string& dir) {
  location_ = DictionaryDirectory(dir);
  tables_.clear();
  platform::PathParts file;
  file.dir = location_;
  file.name = kDdfFileName;
  if (!platform::FileExists(platform::JoinPath(file))) {
    ReportError(host::kErrCannotOpen, location_ + " holds no dictionary (no " +
                                          kDdfFileName + "); \"vv init\" makes one");
    return false;
  }
  std::string error;
  std::vector<ddf::FileRow> files;
  std::vector<ddf::FieldRow> fields;
  std::vector<ddf::IndexRow> indexes;
  {
    // The builder's files are closed again before the driver opens them.
    std::unique_ptr<ddf::DictionaryBuilder> builder =
        ddf::DictionaryBuilder::Open(location_, &error);
    if (builder && (!builder->FileRows(&files) || !builder->FieldRows(&fields) ||
                    !builder->IndexRows(&indexes))) {
      error = builder->error();
      builder.reset();
    }
    if (!builder) {
      ReportError(host::kErrCannotOpen,
                  "no dictionary readable in " + location_ + " (" + error + ")");
      return false;
    }
  }
  for (const ddf::FileRow& row : files) {
    TableInfo table;
    table.id = row.id;
    table.name = row.name;
    table.location = row.location;
    AddFields(fields, &table);
    AddIndexes(indexes, &table);
    tables_.push_back(std::move(table));
  }
  return true;
}

const TableInfo* Dictionary::Find(const std::string& name) const {
  for (const TableInfo& table : tables_) {
    if (SameName(table.name, name)) return &table;
  }
  return nullptr;
}

const TableInfo* Dictionary::Require(const std::string& name) const {
  const TableInfo* table = Find(name);
  if (table == nullptr) {
    ReportError(host::kErrCannotOpen, name + ": no such table in the dictionary in " + location_);
  }
  return table;
}

}  // namespace vv::tools
