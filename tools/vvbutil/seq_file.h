// Sequential (unformatted) files of the load and save commands: each record
// is its length in decimal ASCII digits, a comma, the record's bytes, then
// CR LF.
//
// The reader also takes a lone LF after a record, and a last record whose
// line break is missing. The data ends at the end of the file; line breaks
// and Ctrl-Z (0x1A) bytes may stand after the last record and are ignored,
// anything else there is an error (never silently dropped). The writer
// writes CR LF after every record and no Ctrl-Z.
#ifndef VEVERAVE_TOOLS_VVBUTIL_SEQ_FILE_H_
#define VEVERAVE_TOOLS_VVBUTIL_SEQ_FILE_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace vv::butil {

// Longest record a sequential file may announce; a larger length is taken
// for damage rather than allocated.
inline constexpr uint64_t kMaxSeqRecordLength = uint64_t{64} << 20;

class SeqReader {
 public:
  // Reads up to n bytes of the input into buf: the count read, 0 at the end,
  // -1 on a read error.
  using ReadFn = std::function<int64_t(void* buf, std::size_t n)>;

  explicit SeqReader(ReadFn read);

  enum class Result { kRecord, kEnd, kError };
  // The next record into *record; kError leaves the reason in error().
  Result Next(std::string* record);

  const std::string& error() const { return error_; }
  // Records read so far.
  uint64_t count() const { return count_; }

 private:
  int Peek();  // next byte or -1 at the end (or on an error, see failed_)
  void Skip() { ++pos_; }
  bool Fill();
  Result Fail(const std::string& what);

  ReadFn read_;
  std::string buf_;
  std::size_t pos_ = 0;
  uint64_t offset_ = 0;  // of buf_[0] in the input
  uint64_t count_ = 0;
  bool failed_ = false;
  std::string error_;
};

// Appends one record in the sequential format to out.
void AppendSeqRecord(std::string_view record, std::string* out);

// Writes records to a sequential file in chunks.
class SeqWriter {
 public:
  explicit SeqWriter(std::unique_ptr<platform::File> file) : file_(std::move(file)) {}
  // False when a write failed.
  bool Add(std::string_view record);
  bool Flush();

 private:
  std::unique_ptr<platform::File> file_;
  std::string pending_;
};

}  // namespace vv::butil

#endif  // VEVERAVE_TOOLS_VVBUTIL_SEQ_FILE_H_
