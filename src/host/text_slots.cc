// Slots 76 to 79: the driver reads and writes INT files through the host.
// One file can be open for reading and one for writing at the same time;
// opening again in a mode closes the file open in that mode first.
#include <cstring>
#include <optional>
#include <string>

#include "host/host_state.h"
#include "host/slot_guard.h"
#include "host/slots.h"
#include "platform/platform.h"

namespace vv::host {
namespace {

void CopyOut(const std::string& text, char* buffer) {
  const std::size_t n = std::min(text.size(), std::size_t{VV_HOST_TEXT_LINE_SIZE - 1});
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

// A bare file name (no drive, no directory) means the file of that name found
// along the data search path, as host programs name their files; when there is
// none, the name stands relative to the current directory (where a new file is
// then written).
std::string ResolveOnDataPath(const HostState& s, const std::string& path) {
  const platform::PathParts parts = platform::SplitPath(path);
  if (!parts.drive.empty() || !parts.dir.empty() || s.dataPath.empty()) return path;
  std::optional<std::string> found = platform::SearchPath(s.dataPath, path);
  return found ? *found : path;
}

}  // namespace

int16_t VV_CALL SlotTextOpen(const char* path, int32_t mode) {
  return Guarded<int16_t>("TextOpen", kErrInternal, [&]() -> int16_t {
    if (path == nullptr) return NullArgument("TextOpen");
    HostState& s = CurrentState();
    if (mode == VV_TEXT_MODE_READ) {
      s.textReader = TextFileReader::Open(ResolveOnDataPath(s, path));
      if (!s.textReader) return HostErrorSet(kErrTextFileOpen, path);
      return 0;
    }
    if (mode == VV_TEXT_MODE_WRITE) {
      s.textWriter = TextFileWriter::Open(ResolveOnDataPath(s, path));
      if (!s.textWriter) return HostErrorSet(kErrTextFileOpen, path);
      return 0;
    }
    return HostErrorSet(kErrBadArgument, ("TextOpen: mode " + std::to_string(mode)).c_str());
  });
}

// Closing a mode that has no open file is harmless: the driver closes on its
// failure paths without knowing how far the open got.
int16_t VV_CALL SlotTextClose(int32_t mode) {
  return Guarded<int16_t>("TextClose", kErrInternal, [&]() -> int16_t {
    HostState& s = CurrentState();
    if (mode == VV_TEXT_MODE_READ) {
      s.textReader.reset();
    } else if (mode == VV_TEXT_MODE_WRITE) {
      s.textWriter.reset();
    } else {
      return HostErrorSet(kErrBadArgument, ("TextClose: mode " + std::to_string(mode)).c_str());
    }
    return 0;
  });
}

int32_t VV_CALL SlotTextRead(char* keyword, char* value) {
  return Guarded<int32_t>("TextRead", VV_TEXT_READ_FAILED, [&]() -> int32_t {
    if (keyword == nullptr || value == nullptr) {
      NullArgument("TextRead");
      return VV_TEXT_READ_FAILED;
    }
    keyword[0] = '\0';
    value[0] = '\0';
    HostState& s = CurrentState();
    if (!s.textReader) {
      HostErrorSet(kErrTextFileNotOpen, "TextRead");
      return VV_TEXT_READ_FAILED;
    }
    const TextLine line = s.textReader->Next();
    CopyOut(line.keyword, keyword);
    CopyOut(line.value, value);
    return line.code;
  });
}

int16_t VV_CALL SlotTextWrite(const char* keyword, const char* value, int32_t code) {
  return Guarded<int16_t>("TextWrite", kErrInternal, [&]() -> int16_t {
    HostState& s = CurrentState();
    if (!s.textWriter) return HostErrorSet(kErrTextFileNotOpen, "TextWrite");
    const int16_t rc = s.textWriter->Write(keyword, value, code);
    switch (rc) {
      case 0:
        return 0;
      case kErrUnknownLineCode:
        return HostErrorSet(rc, ("TextWrite: code " + std::to_string(code)).c_str());
      case kErrBadArgument:
        return HostErrorSet(rc, "TextWrite: line end inside a line");
      default:
        return HostErrorSet(rc, s.textWriter->path().c_str());
    }
  });
}

}  // namespace vv::host
