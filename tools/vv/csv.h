// Comma-separated values as RFC 4180 lays them out: fields separated by
// commas, records by line breaks; a field in double quotes may hold commas,
// line breaks and quotes (doubled). The reader also takes a lone LF or CR as
// a line break, a last record without one, and skips a UTF-8 byte order
// mark at the start. The writer quotes only where it must, and also a field
// that starts or ends with a blank (so that no program trims it away), and
// ends records with CR LF.
#ifndef VEVERAVE_TOOLS_VV_CSV_H_
#define VEVERAVE_TOOLS_VV_CSV_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vv::tools {

class CsvReader {
 public:
  // Reads up to n bytes of the input into buf: the count read, 0 at the end,
  // -1 on a read error.
  using ReadFn = std::function<int64_t(void* buf, std::size_t n)>;

  explicit CsvReader(ReadFn read);

  enum class Result { kRecord, kEnd, kError };
  // The next record's fields. kError leaves the reason in error(), which
  // names the line and the field ("line 7, field 3: a quote inside an
  // unquoted field"); the reader stops there.
  Result Next(std::vector<std::string>* fields);

  // The line the last record started on (from 1; a quoted field with line
  // breaks makes a record span lines).
  uint64_t line() const { return recordLine_; }
  // Bytes of the input consumed so far.
  uint64_t offset() const { return offset_ + pos_; }
  const std::string& error() const { return error_; }

 private:
  int Peek();  // the next byte, -1 at the end or after a read error
  bool Fill();
  Result Fail(std::size_t field, const std::string& what);

  ReadFn read_;
  std::string buf_;
  std::size_t pos_ = 0;
  uint64_t offset_ = 0;  // of buf_[0] in the input
  uint64_t line_ = 1;    // of the next byte
  uint64_t recordLine_ = 0;
  bool readFailed_ = false;
  bool started_ = false;
  std::string error_;
};

// A field as it goes into a record: quoted when it holds a comma, a quote or
// a line break, or starts or ends with a blank.
std::string CsvField(std::string_view value);

// A record: the fields joined by commas, then CR LF.
std::string CsvRecord(const std::vector<std::string>& fields);

}  // namespace vv::tools

#endif  // VEVERAVE_TOOLS_VV_CSV_H_
