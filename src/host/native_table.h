// Native tables: the reference host's own table format (docs/host.md has
// the file layout). A native table has numbered fields of the host types,
// index 0 in record-number order and up to kMaxNativeIndexes unique indexes
// of up to kMaxNativeSegments segments each.
//
// While open, the whole table is held in memory; every save and delete is
// written to the file at once. A table is meant for one program at a time:
// there are no record locks.
//
// Record buffer states (VV_ATTR_FILE_RECORD_STATE):
//
//   cleared --find--> FOUND --put--> CHANGED --save--> FOUND
//   (NONE)  <--clear, failed find, delete, state set to 0--+
//
// Finds: a buffer that nothing was put into since the last clear finds from
// an end of the index (GE and GT the first record, LE and LT the last).
// Otherwise the key is built from the buffer and compared with the records'
// keys: GE past the last key finds the last record, GT past it is error 42,
// LE and LT before the first key error 41, EQ without an equal key error 25.
// Saving a buffer with a found record updates that record, otherwise it
// inserts a new record with the next record number; a key that another
// record has already is kErrDuplicateKey and nothing is written.
#ifndef VEVERAVE_HOST_NATIVE_TABLE_H_
#define VEVERAVE_HOST_NATIVE_TABLE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/host_api.h"
#include "platform/platform.h"
#include "veverave/host_services.h"

namespace vv::host {

inline constexpr int32_t kMaxNativeFields = 255;
inline constexpr int32_t kMaxNativeIndexes = 15;
inline constexpr int32_t kMaxNativeSegments = 16;
inline constexpr int32_t kMaxNativeRecordLength = 65000;
inline constexpr int32_t kMaxNativeAsciiLength = 255;
inline constexpr int32_t kMaxNativeTextLength = 16384;
inline constexpr int32_t kNativeDateDigits = 6;
// The extension of native table files.
inline constexpr const char* kNativeExtension = ".VVT";

struct NativeField {
  std::string name;                   // 1 to 20 characters, unique without regard to case
  int32_t type = VV_HOST_TYPE_ASCII;  // any VvHostType but RESERVE1
  int32_t length = 0;                 // characters; digits of a number (decimals included); DATE: 6
  int32_t decimals = 0;   // BCD: 0 to 8, at most length, and length - decimals at most 14
  int32_t mainIndex = 0;  // 0: worked out at creation (the first index in which the
                          // field stands at the smallest segment position)
  int32_t relatedFile = 0;
  int32_t relatedField = 0;
  int32_t offset = 0;  // from 1; given for OVERLAP fields, worked out for the others
  int32_t size = 0;    // bytes in the record; worked out
};

struct NativeSegment {
  int32_t field = 0;  // 0 is the record number
  bool descending = false;
  bool ignoreCase = false;  // text fields compare without regard to ASCII case
};

struct NativeIndex {
  std::vector<NativeSegment> segments;
};

struct NativeTableDef {
  std::vector<NativeField> fields;   // field 1 first
  std::vector<NativeIndex> indexes;  // index 1 first
  bool compressed = false;           // a hint carried into conversion
  bool systemFile = false;
};

// Checks a definition and works out offsets, sizes and main indexes. On
// failure returns kErrBadDefinition with *why saying what is wrong.
VV_HOST_API int16_t NativeLayout(NativeTableDef* def, std::string* why);

// Creates a native table without records at path (used as given). An
// existing file is kErrTableExists unless replace is set. Errors are
// reported on the host's error channel.
VV_HOST_API int16_t CreateNativeTable(const std::string& path, const NativeTableDef& def,
                                      bool replace = false);

class VV_HOST_API NativeTable {
 public:
  // Opens the table at path; errors are reported (75 cannot open,
  // kErrTableFormat, kErrTableIo).
  static int16_t Open(const std::string& path, std::unique_ptr<NativeTable>* out);
  ~NativeTable();
  NativeTable(const NativeTable&) = delete;
  NativeTable& operator=(const NativeTable&) = delete;

  const NativeTableDef& def() const { return def_; }
  const std::string& path() const { return path_; }
  // The file's base name: the table's name in error texts.
  const std::string& name() const { return name_; }
  int32_t record_count() const { return liveCount_; }
  int32_t record_state() const { return state_; }
  int32_t record_length() const { return recordLength_; }

  // Record buffer. Every routine reports its errors and returns the error.
  void Clear();
  void DropFound();
  int16_t Find(int32_t index, int32_t mode);
  int16_t Save();
  int16_t Delete();

  // Field values; field 0 is the record number. Text: offset and length
  // select characters of the field's text (length 0: to the end); a put
  // without keepEnd fills the rest of the field (blanks in ASCII fields,
  // zero bytes in TEXT and BINARY fields); a value longer than the field is
  // cut. Numbers and dates take their text through the BCD text rules.
  int16_t GetText(int32_t field, int32_t offset, int32_t length, std::string* out);
  int16_t PutText(int32_t field, std::string_view text, int32_t offset, bool keepEnd);
  int16_t GetBcd(int32_t field, VvBcd* out);
  int16_t PutBcd(int32_t field, const VvBcd& value);
  // Longest text GetText can give for the field.
  int32_t TextCapacity(int32_t field) const;

  // Attributes of the table, its fields, indexes and segments (the numbers
  // of VvFileAttribute). Unknown numbers are kErrNotSupported.
  int16_t AttrGetNumeric(int32_t n1, int32_t n2, int32_t attr, int32_t* out) const;
  int16_t AttrGetString(int32_t n1, int32_t n2, int32_t attr, std::string* out) const;
  // Settable: the record state (to 0) and conversion forbidden (10).
  int16_t AttrSetNumeric(int32_t n1, int32_t n2, int32_t attr, int32_t value);
  bool conversion_forbidden() const { return conversionForbidden_; }

 private:
  NativeTable() = default;
  int32_t SlotLength() const { return recordLength_ + 1; }
  uint8_t* RecordBytes(int32_t recnum);
  const uint8_t* RecordBytes(int32_t recnum) const;
  const NativeIndex& IndexDef(int32_t index) const;
  int CompareKeys(int32_t index, const uint8_t* a, int32_t recA, const uint8_t* b,
                  int32_t recB) const;
  std::size_t LowerBound(int32_t index, const uint8_t* bytes, int32_t recnum) const;
  std::size_t UpperBound(int32_t index, const uint8_t* bytes, int32_t recnum) const;
  void IndexInsert(int32_t recnum);
  void IndexRemove(int32_t recnum);
  int32_t DuplicateIn(const uint8_t* bytes, int32_t recnum) const;
  int16_t WriteSlot(int32_t recnum, uint8_t status);
  int16_t WriteCounts();
  int16_t Found(int32_t recnum);
  int16_t CheckField(int32_t field) const;

  NativeTableDef def_;
  NativeIndex recnumIndex_;
  std::string path_;
  std::string name_;
  std::unique_ptr<platform::File> file_;
  int32_t recordLength_ = 0;
  int64_t dataOffset_ = 0;
  int32_t slots_ = 0;
  int32_t liveCount_ = 0;
  std::vector<uint8_t> data_;                 // slots_ records of recordLength_ bytes
  std::vector<uint8_t> live_;                 // 1 per live record
  std::vector<std::vector<int32_t>> orders_;  // per index (0 first): record numbers in key order

  std::vector<uint8_t> buffer_;
  int32_t bufferRecnum_ = 0;
  int32_t found_ = 0;  // record number of the found record, 0 when none
  int32_t state_ = VV_RECORD_NONE;
  bool touched_ = false;
  bool conversionForbidden_ = false;
};

}  // namespace vv::host

#endif  // VEVERAVE_HOST_NATIVE_TABLE_H_
