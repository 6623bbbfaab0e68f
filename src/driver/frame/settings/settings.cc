#include "driver/frame/settings/settings.h"

#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "platform/platform.h"

namespace vv::driver {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool EndsValue(char c) { return c == '\n' || c == ';' || c == '^'; }

using DriverText = std::vector<char, DriverAllocator<char>>;

// The file's text with line ends as a text-mode read gives them (CR LF -> LF).
bool SettingsTextRead(const std::string& path, DriverText* text) {
  std::unique_ptr<platform::File> file = platform::OpenFile(path, platform::OpenMode::kRead);
  if (!file) return false;
  std::optional<uint64_t> size = file->Size();
  if (!size) return false;
  text->resize(static_cast<std::size_t>(*size));
  int64_t got = text->empty() ? 0 : file->ReadAt(0, text->data(), text->size());
  if (got < 0) return false;
  text->resize(static_cast<std::size_t>(got));
  std::size_t out = 0;
  for (std::size_t i = 0; i < text->size(); ++i) {
    char c = (*text)[i];
    if (c == '\r' && i + 1 < text->size() && (*text)[i + 1] == '\n') continue;
    (*text)[out++] = c;
  }
  text->resize(out);
  return true;
}

}  // namespace

bool SettingsScanner::Next(char* keyword, char* value) {
  keyword[0] = '\0';
  value[0] = '\0';
  while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  if (pos_ >= text_.size()) return false;
  std::size_t n = 0;
  while (pos_ < text_.size() && !IsBlank(text_[pos_]) && n < kSettingsItemMax) {
    keyword[n++] = text_[pos_++];
  }
  keyword[n] = '\0';
  while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  n = 0;
  while (pos_ < text_.size() && !EndsValue(text_[pos_]) && n < kSettingsItemMax) {
    value[n++] = text_[pos_++];
  }
  value[n] = '\0';
  return true;
}

int16_t mvbtrConfigRead(DriverGlobals* globals) {
  char dataPath[VV_HOST_DATA_PATH_SIZE];
  mvbtrDataPathGet(dataPath);
  std::string path = kSettingsFileName;
  std::optional<std::string> found = platform::SearchPath(dataPath, kSettingsFileName);
  if (found && found->size() <= kSettingsItemMax) path = *found;

  DriverText text;
  try {
    if (!SettingsTextRead(path, &text)) return 0;
  } catch (const std::bad_alloc&) {
    mvbtrErrorReport(kErrOutOfMemory, "mvbtrConfigRead");
    return -1;
  }

  SettingsScanner scanner(std::string_view(text.data(), text.size()));
  char keyword[kSettingsItemMax + 1];
  char value[kSettingsItemMax + 1];
  while (scanner.Next(keyword, value)) {
    int16_t status = mvbtrConfigApply(globals, keyword, value);
    if (status != 0) return status;
  }
  return 0;
}

}  // namespace vv::driver
