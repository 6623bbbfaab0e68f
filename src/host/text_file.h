// Keyword text files (tables' INT files) as the host reads and writes them
// for the driver through slots 76 to 79.
//
// Line syntax. A line is a keyword (the first run of non-blank characters),
// blanks, and a value (the rest of the line without trailing blanks). Lines
// that are empty or blank and lines whose first non-blank character is ';'
// are comments: the reader skips them. Lines end with LF; a CR before it is
// dropped. Keyword and value are each cut to 255 characters.
//
// The host's standard keywords (the line codes of host_services.h) are
// spelled as in kLineKeywords and recognised without regard to case; any
// other keyword reads as code 0 with the keyword as written.
#ifndef VEVERAVE_HOST_TEXT_FILE_H_
#define VEVERAVE_HOST_TEXT_FILE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace vv::host {

struct LineKeyword {
  int32_t code;
  const char* word;
};
// The host's spelling of its standard keywords, one entry per line code.
extern const LineKeyword kLineKeywords[8];

// The keyword for a line code, null when the host has none.
const char* LineKeywordFor(int32_t code);
// The line code of a keyword, 0 when it is not one of the host's.
int32_t LineCodeFor(std::string_view keyword);

struct TextLine {
  int32_t code = 0;
  std::string keyword;
  std::string value;
};

// Splits one line; false for a blank or comment line.
bool ParseTextLine(std::string_view line, TextLine* out);

// A keyword file open for reading: the whole file is read at open.
class TextFileReader {
 public:
  // nullptr when the file cannot be read.
  static std::unique_ptr<TextFileReader> Open(const std::string& path);
  explicit TextFileReader(std::string data) : data_(std::move(data)) {}

  // The next keyword line; at the end of the file code 0 with an empty
  // keyword and value (again on every later call).
  TextLine Next();

 private:
  std::string data_;
  std::size_t pos_ = 0;
};

// A keyword file open for writing (created or emptied at open). Each line is
// written at once.
class TextFileWriter {
 public:
  // nullptr when the file cannot be created.
  static std::unique_ptr<TextFileWriter> Open(const std::string& path);

  // Writes "keyword value", or the keyword alone when value is empty (so a
  // comment keyword with an empty value is written unchanged and both empty
  // give a blank line). A null keyword stands for the host's keyword of
  // code. Returns 0, kErrUnknownLineCode, kErrBadArgument (a line end inside
  // keyword or value) or kErrTextFileWrite; the error is not reported here.
  int16_t Write(const char* keyword, const char* value, int32_t code);

  const std::string& path() const { return path_; }

 private:
  std::unique_ptr<platform::File> file_;
  std::string path_;
};

}  // namespace vv::host

#endif  // VEVERAVE_HOST_TEXT_FILE_H_
