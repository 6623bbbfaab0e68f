#include "vv/csv.h"

namespace vv::tools {
namespace {

constexpr std::size_t kChunk = 64 * 1024;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

CsvReader::CsvReader(ReadFn read) : read_(std::move(read)) {}

bool CsvReader::Fill() {
  if (readFailed_) return false;
  offset_ += pos_;
  buf_.erase(0, pos_);
  pos_ = 0;
  const std::size_t had = buf_.size();
  buf_.resize(had + kChunk);
  const int64_t got = read_(buf_.data() + had, kChunk);
  buf_.resize(had + (got > 0 ? static_cast<std::size_t>(got) : 0));
  if (got < 0) readFailed_ = true;
  return got > 0;
}

int CsvReader::Peek() {
  if (pos_ == buf_.size() && !Fill()) return -1;
  return static_cast<unsigned char>(buf_[pos_]);
}

CsvReader::Result CsvReader::Fail(std::size_t field, const std::string& what) {
  error_ = "line " + std::to_string(line_) + ", field " + std::to_string(field) + ": " + what;
  return Result::kError;
}

CsvReader::Result CsvReader::Next(std::vector<std::string>* fields) {
  fields->clear();
  if (!error_.empty()) return Result::kError;
  if (!started_) {
    started_ = true;
    while (buf_.size() < kByteOrderMark.size() && Fill()) {
    }
    if (std::string_view(buf_).substr(0, kByteOrderMark.size()) == kByteOrderMark) {
      pos_ = kByteOrderMark.size();
    }
  }
  if (Peek() < 0) {
    if (readFailed_) return Fail(1, "the file cannot be read");
    return Result::kEnd;
  }
  recordLine_ = line_;
  std::string field;
  for (;;) {
    int c = Peek();
    const std::size_t number = fields->size() + 1;
    if (c == '"') {
      const uint64_t opened = line_;
      ++pos_;
      for (;;) {
        c = Peek();
        if (c < 0) {
          if (readFailed_) return Fail(number, "the file cannot be read");
          return Fail(number, "the quoted field that starts on line " + std::to_string(opened) +
                                  " has no closing quote");
        }
        ++pos_;
        if (c == '"') {
          if (Peek() != '"') break;
          ++pos_;
        } else if (c == '\n') {
          ++line_;
        }
        field.push_back(static_cast<char>(c));
      }
      c = Peek();
      if (c >= 0 && c != ',' && c != '\r' && c != '\n') {
        return Fail(number, "text after the closing quote");
      }
    } else {
      while (c >= 0 && c != ',' && c != '\r' && c != '\n') {
        if (c == '"') return Fail(number, "a quote inside an unquoted field");
        field.push_back(static_cast<char>(c));
        ++pos_;
        c = Peek();
      }
    }
    fields->push_back(std::move(field));
    field.clear();
    if (c == ',') {
      ++pos_;
      continue;
    }
    if (c == '\r') {
      ++pos_;
      if (Peek() == '\n') ++pos_;
      ++line_;
    } else if (c == '\n') {
      ++pos_;
      ++line_;
    } else if (readFailed_) {
      return Fail(number, "the file cannot be read");
    }
    return Result::kRecord;
  }
}

std::string CsvField(std::string_view value) {
  const bool quote = value.find_first_of(",\"\r\n") != std::string_view::npos ||
                     (!value.empty() && (value.front() == ' ' || value.back() == ' '));
  if (!quote) return std::string(value);
  std::string text = "\"";
  for (char c : value) {
    if (c == '"') text += '"';
    text += c;
  }
  return text + "\"";
}

std::string CsvRecord(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += ',';
    line += CsvField(fields[i]);
  }
  return line + "\r\n";
}

}  // namespace vv::tools
