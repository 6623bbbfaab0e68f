// The names of a table being opened: the host's name with its optional
// Btrieve file after a vertical bar, the root name, and the path with which
// the Btrieve file is opened.
#include <cstdio>
#include <cstring>

#include "driver/frame/errors.h"
#include "driver/frame/files/paths.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "driver/frame/util/strings.h"
#include "driver/tables/file_open.h"

namespace vv::driver {
namespace {

constexpr char kBtrNameBar = '|';

bool IsFolderEnd(char c) {
  return platform::IsSeparator(c) || c == ':';
}

// Length of the drive and directory part of path (up to and including the
// last separator or the drive's colon); 0 for a bare name.
std::size_t FolderLength(const char* path) {
  std::size_t length = 0;
  for (std::size_t i = 0; path[i] != '\0'; ++i) {
    if (IsFolderEnd(path[i])) length = i + 1;
  }
  return length;
}

// Copies length characters of text into buffer (kOpenNameSize bytes); false
// when they do not fit.
bool PartCopy(char* buffer, const char* text, std::size_t length) {
  if (length >= kOpenNameSize) return false;
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
  return true;
}

// folder (its first folderLength characters) followed by name, into path.
bool PathJoin(char* path, const char* folder, std::size_t folderLength, const char* name) {
  const std::size_t nameLength = std::strlen(name);
  if (folderLength + nameLength >= kOpenNameSize) return false;
  std::memcpy(path, folder, folderLength);
  std::memcpy(path + folderLength, name, nameLength + 1);
  return true;
}

// A bare Btrieve name along the host's data path, then in the folder of the
// table's INT file; true and the path found in path.
bool BareNameFind(const OpenFile* file, const char* name, char* path) {
  char dataPath[VV_HOST_DATA_PATH_SIZE];
  mvbtrDataPathGet(dataPath);
  if (mvbtrPathSearch(dataPath, name, nullptr, kOpenNameSize, path, nullptr) > 0) return true;
  // An INT file known by its bare name was itself found along the data
  // path: its folder adds nothing.
  const char* intFile = file->lpszIntFile;
  const std::size_t folderLength = intFile != nullptr ? FolderLength(intFile) : 0;
  if (folderLength == 0) return false;
  char folder[kOpenNameSize];
  if (!PartCopy(folder, intFile, folderLength)) return false;
  return mvbtrPathSearch(folder, name, nullptr, kOpenNameSize, path, nullptr) > 0;
}

}  // namespace

int16_t mvbtrFileCantFind(const char* name) {
  char text[kOpenNameSize + 16];
  std::snprintf(text, sizeof text, "Can't find %s!", name);
  mvbtrErrorReport(kErrCannotOpen, text);
  return mvbtrErrorStatus();
}

bool mvbtrFileOpenNamesSplit(const char* name, OpenNames* names) {
  names->szOpenName[0] = names->szBtrName[0] = names->szRootName[0] = '\0';
  const char* bar = std::strchr(name, kBtrNameBar);
  const std::size_t openLength =
      bar != nullptr ? static_cast<std::size_t>(bar - name) : std::strlen(name);
  if (!PartCopy(names->szOpenName, name, openLength)) return false;
  if (bar != nullptr && !PartCopy(names->szBtrName, bar + 1, std::strlen(bar + 1))) return false;

  const char* root = names->szOpenName + FolderLength(names->szOpenName);
  const char* dot = std::strrchr(root, '.');
  const std::size_t rootLength =
      dot != nullptr ? static_cast<std::size_t>(dot - root) : std::strlen(root);
  return PartCopy(names->szRootName, root, rootLength);
}

int16_t mvbtrFileBtrPathMake(OpenFile* file, const OpenNames& names, char* path) {
  path[0] = '\0';
  if (names.szBtrName[0] != '\0' && mvbtrStrNewCpy(&file->lpszBtrFile, names.szBtrName) != 0) {
    return mvbtrErrorStatus();
  }
  const char* location = file->lpszBtrFile != nullptr ? file->lpszBtrFile : "";
  const DriverGlobals* g = mvbtrGlobals();
  bool made = true;
  if (FolderLength(location) > 0) {
    made = PathJoin(path, "", 0, location);
  } else if (g->lpszBtrDir != nullptr && g->lpszBtrDir[0] != '\0') {
    made = PathJoin(path, g->lpszBtrDir, FolderLength(g->lpszBtrDir), location);
  } else if (!BareNameFind(file, location, path)) {
    made = PathJoin(path, "", 0, location);
  }
  if (!made) return mvbtrFileCantFind(location);
  if (g->bConvertLongNames != 0) mvbtrPathShort(path);
  return 0;
}

}  // namespace vv::driver
