// OS-independent file helpers built on the platform interface.
#include "platform/platform.h"

namespace vv::platform {

std::vector<std::string> CompanionFiles(std::string_view path) {
  const PathParts parts = SplitPath(path);
  const std::string dir = parts.drive + parts.dir;
  std::vector<std::string> result;
  if (parts.name.empty()) return result;
  for (std::string& name : ListFiles(dir.empty() ? std::string(".") : dir, parts.name + ".^*")) {
    result.push_back(dir + name);
  }
  return result;
}

std::optional<std::string> ReadFileToString(std::string_view path) {
  std::unique_ptr<File> file = OpenFile(path, OpenMode::kRead);
  if (!file) return std::nullopt;
  std::string data;
  char buf[16384];
  for (;;) {
    const int64_t n = file->ReadAt(data.size(), buf, sizeof buf);
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    data.append(buf, static_cast<std::size_t>(n));
  }
  return data;
}

bool WriteStringToFile(std::string_view path, std::string_view data) {
  std::unique_ptr<File> file = OpenFile(path, OpenMode::kCreateTruncate);
  return file && file->WriteAt(0, data.data(), data.size());
}

}  // namespace vv::platform
