#include "vvbutil/seq_file.h"

#include <algorithm>
#include <utility>

namespace vv::butil {
namespace {

constexpr std::size_t kChunk = 64 * 1024;
constexpr int kCtrlZ = 0x1A;
constexpr int kMaxLengthDigits = 10;

}  // namespace

SeqReader::SeqReader(ReadFn read) : read_(std::move(read)) {}

bool SeqReader::Fill() {
  if (pos_ < buf_.size()) return true;
  if (failed_) return false;
  offset_ += buf_.size();
  buf_.resize(kChunk);
  pos_ = 0;
  const int64_t n = read_(buf_.data(), buf_.size());
  if (n < 0) {
    failed_ = true;
    error_ = "cannot read the sequential file";
    buf_.clear();
    return false;
  }
  buf_.resize(static_cast<std::size_t>(n));
  return n > 0;
}

int SeqReader::Peek() {
  return Fill() ? static_cast<unsigned char>(buf_[pos_]) : -1;
}

SeqReader::Result SeqReader::Fail(const std::string& what) {
  if (!failed_) {
    error_ = "record " + std::to_string(count_ + 1) + " (byte " + std::to_string(offset_ + pos_) +
             "): " + what;
  }
  failed_ = true;
  return Result::kError;
}

SeqReader::Result SeqReader::Next(std::string* record) {
  if (failed_) return Result::kError;
  // Line breaks and Ctrl-Z may only trail the last record.
  bool skipped = false;
  for (int c = Peek(); c == '\r' || c == '\n' || c == kCtrlZ; c = Peek()) {
    Skip();
    skipped = true;
  }
  int c = Peek();
  if (c < 0) return failed_ ? Result::kError : Result::kEnd;
  if (skipped) return Fail("data after the end of the records");

  uint64_t length = 0;
  int digits = 0;
  for (; c >= '0' && c <= '9'; c = Peek()) {
    if (++digits > kMaxLengthDigits) return Fail("record length too long");
    length = length * 10 + static_cast<uint64_t>(c - '0');
    Skip();
  }
  if (digits == 0) return Fail("expected a record length");
  if (c != ',') return Fail("expected a comma after the record length");
  Skip();
  if (length > kMaxSeqRecordLength)
    return Fail("record length " + std::to_string(length) + " too large");

  record->clear();
  record->reserve(static_cast<std::size_t>(length));
  while (record->size() < length) {
    if (!Fill()) return Fail("the file ends inside the record");
    const std::size_t take = std::min<std::size_t>(
        buf_.size() - pos_, static_cast<std::size_t>(length) - record->size());
    record->append(buf_, pos_, take);
    pos_ += take;
  }
  c = Peek();
  if (c == '\r') {
    Skip();
    c = Peek();
    if (c >= 0 && c != '\n') return Fail("CR without LF after the record");
  }
  if (c == '\n') {
    Skip();
  } else if (c >= 0) {
    return Fail("expected CR LF after the record's " + std::to_string(length) + " bytes");
  }
  if (failed_) return Result::kError;
  ++count_;
  return Result::kRecord;
}

void AppendSeqRecord(std::string_view record, std::string* out) {
  out->append(std::to_string(record.size()));
  out->push_back(',');
  out->append(record);
  out->append("\r\n");
}

namespace {

// Written to the file whenever this much is pending.
constexpr std::size_t kWriteChunk = 256 * 1024;

}  // namespace

bool SeqWriter::Add(std::string_view record) {
  AppendSeqRecord(record, &pending_);
  return pending_.size() < kWriteChunk || Flush();
}

bool SeqWriter::Flush() {
  const bool ok = file_->Append(pending_.data(), pending_.size());
  pending_.clear();
  return ok;
}

}  // namespace vv::butil
