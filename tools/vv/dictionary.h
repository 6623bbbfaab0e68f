// The tables of a data dictionary as the host sees them, read from the
// dictionary files (FILE.DDF, FIELD.DDF, INDEX.DDF) with the dictionary
// builder's reading API.
//
// Numbering follows the dictionary's rules, which the driver applies when it
// opens a table: fields are the table's FIELD.DDF rows of a column type (below
// the first non-column type) in Xe$Id order, numbered from 1 (field 0 is the
// record number); Btrieve key k is host index k + 1 (index 0 is
// record-number order).
#ifndef VEVERAVE_TOOLS_VV_DICTIONARY_H_
#define VEVERAVE_TOOLS_VV_DICTIONARY_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "veverave/driver.h"

namespace vv::tools {

// The host type of a field when the driver tells it (attribute 202), else
// unknown.
inline constexpr int32_t kHostTypeUnknown = -1;

struct FieldInfo {
  int32_t number = 0;  // host field number, from 1
  uint16_t id = 0;     // Xe$Id
  std::string name;
  int32_t btrType = 0;  // Xe$DataType
  int32_t offset = 0;   // from 0
  int32_t size = 0;
  int32_t decimals = 0;
  uint16_t ddfFlags = 0;  // Xe$Flags
  int32_t hostType = kHostTypeUnknown;
  int32_t hostLength = 0;  // when hostType is known
};

struct SegmentInfo {
  int32_t field = 0;      // host field number; 0 when the row names no field of the table
  uint16_t fieldId = 0;   // Xi$Field
  uint16_t keyFlags = 0;  // Btrieve key flags (BTR_KEY_*), from Xi$Flags
};

struct IndexInfo {
  int32_t number = 0;                 // host index number
  int32_t key = 0;                    // Btrieve key number (Xi$Number)
  std::vector<SegmentInfo> segments;  // in Xi$Part order
};

struct TableInfo {
  uint16_t id = 0;
  std::string name;
  std::string location;  // Xf$Loc: the table's Btrieve file
  std::vector<FieldInfo> fields;
  std::vector<IndexInfo> indexes;  // by host index number

  // The field of a number, null when none.
  const FieldInfo* Field(int32_t number) const;
  // The index of a host index number, null when none.
  const IndexInfo* Index(int32_t number) const;
};

class Dictionary {
 public:
  // Reads the dictionary the driver uses for data directory dir: in the
  // directory that DDF_PATH of dir's settings file names, else in dir. False
  // with the error pending on the host (75: the dictionary cannot be read).
  bool Read(const std::string& dir);

  // The directory the dictionary was read from.
  const std::string& location() const { return location_; }
  // Tables in Xf$Id order.
  const std::vector<TableInfo>& tables() const { return tables_; }
  // The table of a name, compared without regard to case as the driver's
  // name key does; null when none.
  const TableInfo* Find(const std::string& name) const;

  // A table by name; null with error 75 pending when the dictionary has no
  // such table.
  const TableInfo* Require(const std::string& name) const;

 private:
  std::string location_;
  std::vector<TableInfo> tables_;
};

// The directory the driver looks for the dictionary in: the value of
// DDF_PATH in dir's settings file VEVERAVE.INT (relative paths taken from
// dir), else dir.
std::string DictionaryDirectory(const std::string& dir);

// The values of a keyword in dir's settings file, in the order of its lines
// (each value as the driver takes it: up to a ';' or '^', without trailing
// blanks; empty values left out).
std::vector<std::string> SettingValues(const std::string& dir, std::string_view keyword);

// The path of a table's Btrieve file as the driver finds it from the
// dictionary and the settings file: Xf$Loc as it is when it names a drive
// or directory, else in the directory BTR_PATH names, else in the data
// directory dir when it is there, else Xf$Loc as it is. (A table's INT file
// may name another file; that is the driver's to read.)
std::string TableFilePath(const std::string& dir, const TableInfo& table);

// The Btrieve owner names the driver tries, in turn: the OWNER names of the
// settings file, then the empty name.
std::vector<std::string> OwnerNames(const std::string& dir);

// The driver's settings file, and its path in a data directory.
inline constexpr const char* kSettingsFile = VV_DRIVER_NAME ".INT";
std::string SettingsPath(const std::string& dir);

}  // namespace vv::tools

#endif  // VEVERAVE_TOOLS_VV_DICTIONARY_H_
