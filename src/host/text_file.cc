#include "host/text_file.h"

#include <cstring>

#include "host/host_errors.h"
#include "veverave/host_services.h"

namespace vv::host {
namespace {

constexpr std::size_t kMaxPart = VV_HOST_TEXT_LINE_SIZE - 1;

#ifdef _WIN32
constexpr std::string_view kLineEnd = "\r\n";
#else
constexpr std::string_view kLineEnd = "\n";
#endif

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Upper(a[i]) != Upper(b[i])) return false;
  }
  return true;
}

bool HasLineEnd(const char* text) {
  return std::strpbrk(text, "\r\n") != nullptr;
}

}  // namespace

const LineKeyword kLineKeywords[8] = {
    {VV_LINE_DRIVER_NAME, "DRIVER_NAME"},
    {VV_LINE_FIELD_INDEX, "FIELD_INDEX"},
    {VV_LINE_FIELD_LENGTH, "FIELD_LENGTH"},
    {VV_LINE_FIELD_NUMBER, "FIELD_NUMBER"},
    {VV_LINE_FIELD_PRECISION, "FIELD_PRECISION"},
    {VV_LINE_FIELD_RELATED_FIELD, "FIELD_RELATED_FIELD"},
    {VV_LINE_FIELD_RELATED_FILE, "FIELD_RELATED_FILE"},
    {VV_LINE_FIELD_TYPE, "FIELD_TYPE"},
};

const char* LineKeywordFor(int32_t code) {
  for (const LineKeyword& k : kLineKeywords) {
    if (k.code == code) return k.word;
  }
  return nullptr;
}

int32_t LineCodeFor(std::string_view keyword) {
  for (const LineKeyword& k : kLineKeywords) {
    if (EqualNoCase(keyword, k.word)) return k.code;
  }
  return 0;
}

bool ParseTextLine(std::string_view line, TextLine* out) {
  std::size_t i = 0;
  while (i < line.size() && IsBlank(line[i])) ++i;
  if (i == line.size() || line[i] == ';') return false;
  std::size_t end = i;
  while (end < line.size() && !IsBlank(line[end])) ++end;
  out->keyword.assign(line.substr(i, end - i).substr(0, kMaxPart));
  i = end;
  while (i < line.size() && IsBlank(line[i])) ++i;
  std::size_t valueEnd = line.size();
  while (valueEnd > i && IsBlank(line[valueEnd - 1])) --valueEnd;
  out->value.assign(line.substr(i, valueEnd - i).substr(0, kMaxPart));
  out->code = LineCodeFor(out->keyword);
  return true;
}

std::unique_ptr<TextFileReader> TextFileReader::Open(const std::string& path) {
  std::optional<std::string> data = platform::ReadFileToString(path);
  if (!data) return nullptr;
  return std::make_unique<TextFileReader>(std::move(*data));
}

TextLine TextFileReader::Next() {
  TextLine line;
  while (pos_ < data_.size()) {
    std::size_t end = data_.find('\n', pos_);
    if (end == std::string::npos) end = data_.size();
    std::string_view text(data_.data() + pos_, end - pos_);
    pos_ = end < data_.size() ? end + 1 : end;
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    if (ParseTextLine(text, &line)) return line;
  }
  return TextLine{};
}

std::unique_ptr<TextFileWriter> TextFileWriter::Open(const std::string& path) {
  std::unique_ptr<platform::File> file =
      platform::OpenFile(path, platform::OpenMode::kCreateTruncate);
  if (!file) return nullptr;
  auto writer = std::make_unique<TextFileWriter>();
  writer->file_ = std::move(file);
  writer->path_ = path;
  return writer;
}

int16_t TextFileWriter::Write(const char* keyword, const char* value, int32_t code) {
  if (value == nullptr) value = "";
  if (keyword == nullptr) {
    keyword = LineKeywordFor(code);
    if (keyword == nullptr) return kErrUnknownLineCode;
  }
  if (HasLineEnd(keyword) || HasLineEnd(value)) return kErrBadArgument;
  std::string line = keyword;
  if (*value != '\0') {
    if (!line.empty()) line.push_back(' ');
    line += value;
  }
  line += kLineEnd;
  return file_->Append(line.data(), line.size()) ? 0 : kErrTextFileWrite;
}

}  // namespace vv::host
