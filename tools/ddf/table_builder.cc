// A table definition into dictionary rows and a Btrieve file.
#include <algorithm>
#include <string>
#include <vector>

#include "ddf/dictionary_builder.h"
#include "platform/platform.h"
#include "veverave/ddf_layout.h"
#include "vvbutil/file_layout.h"

namespace vv::ddf {
namespace {

constexpr int32_t kLastBtrType = BTR_TYPE_LONGVAR;
constexpr uint32_t kRecordEndMax = 65535;

// The extended key type of a field type; -1 for types no key can be made of.
int KeyType(int32_t type) {
  switch (type) {
    case BTR_TYPE_NOTE:
    case BTR_TYPE_LVAR:
    case BTR_TYPE_BIT:
    case BTR_TYPE_LONGVAR:
      return -1;
    default:
      return type;
  }
}

bool HasDirectory(const std::string& path) {
  const platform::PathParts parts = platform::SplitPath(path);
  return !parts.drive.empty() || !parts.dir.empty();
}

// What AddTable writes and creates, made and checked before anything is.
struct TablePlan {
  uint16_t id = 0;
  std::vector<FieldRow> fields;
  std::vector<IndexRow> segments;
  std::vector<butil::SegmentLayout> keyLayouts;
  butil::FileLayout file;
  bool trueNull = false;
};

bool FieldsPlan(const TableDef& table, uint16_t firstId, TablePlan* plan, std::string* error) {
  uint32_t end = 0;
  uint16_t id = firstId;
  for (const FieldDef& f : table.fields) {
    if (f.name.empty() || f.name.size() > static_cast<std::size_t>(kDdfNameMax)) {
      *error = "field name \"" + f.name + "\" does not fit the dictionary";
      return false;
    }
    if (f.type < 0 || f.type > kLastBtrType) {
      *error = "field " + f.name + ": type " + std::to_string(f.type) + " is no field type";
      return false;
    }
    const uint32_t offset =
        f.offset >= 0 ? static_cast<uint32_t>(f.offset) : end + (f.nullable ? 1 : 0);
    if (offset + f.size > kRecordEndMax) {
      *error = "field " + f.name + " ends beyond the largest record";
      return false;
    }
    end = std::max(end, offset + f.size);
    const uint16_t flags = f.flags | (f.nullable ? kDdfFieldNullable : 0);
    plan->fields.push_back({id++, plan->id, f.name, static_cast<uint8_t>(f.type),
                            static_cast<uint16_t>(offset), f.size, f.decimals, flags});
    plan->trueNull = plan->trueNull || f.nullable;
    if (f.type == BTR_TYPE_LONGVAR || f.type == BTR_TYPE_NOTE)
      plan->file.flags |= BTR_FILE_VARIABLE;
  }
  plan->file.record_length = static_cast<uint16_t>(end);
  plan->file.page_size = table.page_size;
  return true;
}

// Key k of the file for index k of the definition; a segment on a nullable
// field is preceded by a null indicator segment on its null byte.
bool KeysPlan(const TableDef& table, TablePlan* plan, std::string* error) {
  for (std::size_t k = 0; k < table.indexes.size(); ++k) {
    const IndexDef& index = table.indexes[k];
    if (index.segments.empty()) {
      *error = "index " + std::to_string(k) + " has no segments";
      return false;
    }
    for (std::size_t s = 0; s < index.segments.size(); ++s) {
      const SegmentDef& segment = index.segments[s];
      auto def = std::find_if(table.fields.begin(), table.fields.end(),
                              [&](const FieldDef& f) { return f.name == segment.field; });
      if (def == table.fields.end()) {
        *error = "index " + std::to_string(k) + ": no field " + segment.field;
        return false;
      }
      const FieldRow& field = plan->fields[static_cast<std::size_t>(def - table.fields.begin())];
      if (KeyType(field.type) < 0) {
        *error = "index " + std::to_string(k) + ": field " + field.name + " cannot be a key";
        return false;
      }
      const bool last = s + 1 == index.segments.size();
      const uint16_t common = index.flags | BTR_KEY_EXTENDED_TYPE;
      if (def->nullable) {
        butil::SegmentLayout null;
        null.position = field.offset;  // the null byte, 1-based
        null.length = 1;
        null.flags = common | BTR_KEY_SEGMENTED;
        null.type = BTR_TYPE_NULL_INDICATOR;
        plan->keyLayouts.push_back(null);
      }
      butil::SegmentLayout layout;
      layout.position = static_cast<uint16_t>(field.offset + 1);
      layout.length = field.size;
      layout.flags = common | segment.flags | (last ? 0 : BTR_KEY_SEGMENTED);
      layout.type = static_cast<uint8_t>(KeyType(field.type));
      plan->keyLayouts.push_back(layout);
      plan->segments.push_back({plan->id, field.id, static_cast<uint16_t>(k),
                                static_cast<uint16_t>(s), DdfSegmentFlags(layout.flags)});
    }
  }
  plan->file.key_count = static_cast<uint8_t>(table.indexes.size());
  return true;
}

}  // namespace

bool DictionaryBuilder::AddTable(const TableDef& table) {
  if (table.name.empty() || table.name.size() > static_cast<std::size_t>(kDdfNameMax) ||
      table.file.empty() || table.file.size() > static_cast<std::size_t>(kDdfLocMax)) {
    error_ = "table name or file name does not fit the dictionary";
    return false;
  }
  std::vector<FileRow> tables;
  std::vector<FieldRow> columns;
  if (!FileRows(&tables) || !FieldRows(&columns)) return false;
  TablePlan plan;
  plan.id = table.id;
  if (plan.id == 0) {
    uint32_t highest = 0;
    for (const FileRow& row : tables) highest = std::max<uint32_t>(highest, row.id);
    plan.id = static_cast<uint16_t>(std::min<uint32_t>(highest + 1, kDdfIdMax));
  }
  uint32_t highestColumn = 0;
  for (const FieldRow& row : columns) highestColumn = std::max<uint32_t>(highestColumn, row.id);
  if (highestColumn + table.fields.size() > static_cast<uint32_t>(kDdfIdMax)) {
    error_ = "no column ids left";
    return false;
  }
  if (!FieldsPlan(table, static_cast<uint16_t>(highestColumn + 1), &plan, &error_) ||
      !KeysPlan(table, &plan, &error_)) {
    return false;
  }

  std::string path =
      HasDirectory(table.file) ? table.file : dir_ + platform::kPathSeparator + table.file;
  std::string data = butil::EncodeCreate(plan.file, plan.keyLayouts, {});
  uint32_t length = static_cast<uint32_t>(data.size());
  const int16_t status =
      Call(BTR_CREATE, nullptr, data.data(), &length, path.data(), BTR_CREATE_REPLACE);
  if (status != 0) return Fail(table.file + " create", status);

  const uint8_t flags = plan.trueNull ? kDdfTableTrueNull : 0;
  if (!AddFileRow({plan.id, table.name, table.file, flags})) return false;
  for (const FieldRow& row : plan.fields) {
    if (!AddFieldRow(row)) return false;
  }
  for (const IndexRow& row : plan.segments) {
    if (!AddIndexRow(row)) return false;
  }
  return true;
}

}  // namespace vv::ddf
