// A builder of data dictionaries for tests and tools: it creates FILE.DDF,
// FIELD.DDF and INDEX.DDF with their key layouts, writes their rows, and
// creates the Btrieve file of a table definition with key definitions that
// match its INDEX.DDF rows, so that the driver can open the table by name.
// It reaches the engine only through the Btrieve call, as a Btrieve client
// of its own, and uses the dictionary layout of veverave/ddf_layout.h.
//
//   auto dict = DictionaryBuilder::Create(dir, &error);   // empty dictionary
//   dict->AddTable({"CUSTOMER", "CUSTOMER.BTR",
//                   {{"ID", BTR_TYPE_INTEGER, 4}, {"NAME", BTR_TYPE_STRING, 30}},
//                   {{{{"ID"}}}, {{{"NAME"}}, BTR_KEY_DUPLICATES}}});
//
// Every call returns true on success; on failure error() says what failed
// ("FIELD.DDF insert: status 5").
#ifndef VEVERAVE_TOOLS_DDF_DICTIONARY_BUILDER_H_
#define VEVERAVE_TOOLS_DDF_DICTIONARY_BUILDER_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "veverave/btrieve.h"

namespace vv::ddf {

// Rows as the three files hold them (names without their padding).
struct FileRow {
  uint16_t id = 0;
  std::string name;
  std::string location;
  uint8_t flags = 0;
};
struct FieldRow {
  uint16_t id = 0;
  uint16_t file = 0;
  std::string name;
  uint8_t type = 0;
  uint16_t offset = 0;
  uint16_t size = 0;
  uint8_t decimals = 0;
  uint16_t flags = 0;
};
struct IndexRow {
  uint16_t file = 0;
  uint16_t field = 0;
  uint16_t number = 0;
  uint16_t part = 0;
  uint16_t flags = 0;
};

// A table definition. Fields are laid out one after the other unless they
// name an offset; a nullable field gets a null indicator byte in front of
// it, and a table with a nullable field keeps true nulls.
struct FieldDef {
  std::string name;
  int32_t type = BTR_TYPE_STRING;  // Btrieve type 0..21
  uint16_t size = 0;
  uint8_t decimals = 0;
  uint16_t flags = 0;  // Xe$Flags besides the nullable bit
  bool nullable = false;
  int32_t offset = -1;  // -1: after the field before (and its null byte)
};
struct SegmentDef {
  std::string field;
  uint16_t flags = 0;  // per segment: BTR_KEY_DESCENDING, BTR_KEY_NO_CASE
};
struct IndexDef {
  std::vector<SegmentDef> segments;
  uint16_t flags = 0;  // every segment: BTR_KEY_DUPLICATES, BTR_KEY_MODIFIABLE ...
};
struct TableDef {
  std::string name;
  std::string file;  // Xf$Loc; created in the dictionary's directory unless it has one
  std::vector<FieldDef> fields;
  std::vector<IndexDef> indexes;
  uint16_t id = 0;  // 0: one above the highest id in FILE.DDF
  uint16_t page_size = 4096;
};

class DictionaryBuilder {
 public:
  // Creates the three files in dir (replacing files of those names); null
  // with *error set on failure.
  static std::unique_ptr<DictionaryBuilder> Create(const std::string& dir, std::string* error);
  // Opens the dictionary already in dir.
  static std::unique_ptr<DictionaryBuilder> Open(const std::string& dir, std::string* error);
  // Closes the files and ends the builder's Btrieve client.
  ~DictionaryBuilder();
  DictionaryBuilder(const DictionaryBuilder&) = delete;
  DictionaryBuilder& operator=(const DictionaryBuilder&) = delete;

  // Writes the table's rows and creates its Btrieve file (replacing one of
  // that name). Ids of the new columns start one above the highest Xe$Id.
  // Refused before anything is written: names too long for the dictionary,
  // a field type outside 0..21, a field that would end beyond 65535, an
  // index segment naming no field or a field whose type cannot be a key.
  bool AddTable(const TableDef& table);

  // Single rows, as given.
  bool AddFileRow(const FileRow& row);
  bool AddFieldRow(const FieldRow& row);
  bool AddIndexRow(const IndexRow& row);

  // Every row, in the order of the first key (Xf$Id, Xe$Id, Xi$File).
  bool FileRows(std::vector<FileRow>* rows);
  bool FieldRows(std::vector<FieldRow>* rows);
  bool IndexRows(std::vector<IndexRow>* rows);

  const std::string& dir() const { return dir_; }
  const std::string& error() const { return error_; }

 private:
  struct File;
  DictionaryBuilder(std::string dir);
  bool OpenAll(bool create);
  bool Insert(File& file, std::string row);
  bool ReadAll(File& file, std::vector<std::string>* rows);
  int16_t Call(uint16_t op, uint8_t* posBlock, void* data, uint32_t* length, void* key,
               int8_t keyNumber);
  bool Fail(const std::string& what, int16_t status);
  bool CreateTableFile(const TableDef& table, const std::vector<FieldRow>& fields);

  std::string dir_;
  std::string error_;
  uint8_t client_[BTR_CLIENT_ID_SIZE] = {};
  std::unique_ptr<File> files_[3];
};

}  // namespace vv::ddf

#endif  // VEVERAVE_TOOLS_DDF_DICTIONARY_BUILDER_H_
