#include "driver/tables/int_file_write.h"

#include <cstdio>
#include <cstring>

#include "driver/fields/type_map.h"
#include "driver/frame/errors.h"
#include "driver/frame/files/paths.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/host/host_text.h"
#include "driver/frame/settings/keywords.h"
#include "driver/frame/util/memory.h"
#include "driver/frame/util/strings.h"
#include "driver/tables/int_file_read.h"
#include "platform/platform.h"

namespace vv::driver {
namespace {

constexpr const char* kPassBorder =
    "; Data after this point is read after the DDF's have been read";
// A TEXT field up to this host length is stored as fixed text, which the
// dictionary reads back as ASCII: its type line keeps it TEXT. Longer ones
// come back as TEXT by themselves.
constexpr int32_t kTextTypeLineMax = 255;

// Writes lines until the first failure, whose status it keeps.
struct IntWriter {
  int16_t status = 0;

  void Line(const char* keyword, const char* value, int32_t code) {
    if (status != 0) return;
    const int16_t rc = mvbtrTextWrite(keyword, value, code);
    if (rc != 0) {
      const int16_t pending = mvbtrErrorStatus();
      status = pending != 0 ? pending : rc;
    }
  }
  void HostLine(int32_t code, const char* value) { Line(nullptr, value, code); }
  void HostNumber(int32_t code, int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%ld", static_cast<long>(value));
    HostLine(code, text);
  }
  void Keyword(int keyword, const char* value) { Line(kKeywords[keyword].name, value, 0); }
  void KeywordNumber(int keyword, int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%ld", static_cast<long>(value));
    Keyword(keyword, text);
  }
  // A keyword text with an empty value is written unchanged.
  void Comment(const char* text) { Line(text, "", 0); }
  void Blank() { Line("", "", 0); }
  // An error the host reported without failing a line also stops the writing.
  void PendingCheck() {
    if (status == 0) status = mvbtrErrorStatus();
  }
};

// The base name of a path (no drive, directory or extension), as a pointer
// into it and a length.
void BaseName(const char* path, const char** start, std::size_t* length) {
  const char* name = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (platform::IsSeparator(*p) || *p == ':') name = p + 1;
  }
  const char* dot = std::strrchr(name, '.');
  *start = name;
  *length = dot != nullptr ? static_cast<std::size_t>(dot - name) : std::strlen(name);
}

char UpperChar(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The DDF_NAME line is needed when the table name differs, ignoring case,
// from the INT file's base name; the table name is turned to upper case.
bool DdfNameNeeded(OpenFile* file) {
  if (file->lpszDdfName == nullptr || file->lpszDdfName[0] == '\0') return false;
  mvbtrStrUpper(file->lpszDdfName);
  const char* base = nullptr;
  std::size_t baseLength = 0;
  BaseName(file->lpszIntFile, &base, &baseLength);
  if (std::strlen(file->lpszDdfName) != baseLength) return true;
  for (std::size_t i = 0; i < baseLength; ++i) {
    if (file->lpszDdfName[i] != UpperChar(base[i])) return true;
  }
  return false;
}

void TableLinesWrite(OpenFile* file, IntWriter* w) {
  w->HostLine(VV_LINE_DRIVER_NAME, VV_DRIVER_NAME);
  if (DdfNameNeeded(file)) {
    char quoted[VV_HOST_TEXT_LINE_SIZE];
    std::snprintf(quoted, sizeof quoted, "\"%s\"", file->lpszDdfName);
    w->Keyword(kKwDdfName, quoted);
  }
  if (file->lpszOwner != nullptr && file->lpszOwner[0] != '\0') {
    w->Keyword(kKwOwner, file->lpszOwner);
  }
  if (file->bRecnumSupport != 0) {
    if (file->bMvForBtrieve != 0) {
      w->KeywordNumber(kKwMorvantaForBtrieve, file->bMvForBtrieve);
    } else {
      w->KeywordNumber(kKwRecnumSupport, file->bRecnumSupport);
    }
  }
  w->Blank();
  w->Comment(kPassBorder);
  w->Blank();
  if (file->bSystemFile != 0) w->KeywordNumber(kKwSystemFile, 1);
  w->PendingCheck();
}

// The lines of one field; a field with nothing to say gets none, not even
// its header.
void FieldLinesWrite(const FieldDesc& field, int32_t number, IntWriter* w) {
  const int32_t type = field.nHostType;
  const bool longvar = field.nBtrType == BTR_TYPE_LONGVAR;
  const bool typeLine = type == kHostOverlap || type == kHostBinary ||
                        (type == kHostText && !longvar && field.nHostLength <= kTextTypeLineMax);
  if (!typeLine && !longvar && field.nMainIndex == 0 && field.nRelFile == 0) {
    return;
  }
  char comment[VV_HOST_TEXT_LINE_SIZE];
  std::snprintf(comment, sizeof comment, "; %s", field.lpszName != nullptr ? field.lpszName : "");
  w->Blank();
  w->Comment(comment);
  w->HostNumber(VV_LINE_FIELD_NUMBER, number);
  if (typeLine) w->HostLine(VV_LINE_FIELD_TYPE, kHostTypeNames[type]);
  if (longvar) w->HostNumber(VV_LINE_FIELD_LENGTH, field.nHostLength);
  if (field.nMainIndex != 0) w->HostNumber(VV_LINE_FIELD_INDEX, field.nMainIndex);
  if (field.nRelFile != 0) {
    w->HostNumber(VV_LINE_FIELD_RELATED_FILE, field.nRelFile);
    w->HostNumber(VV_LINE_FIELD_RELATED_FIELD, field.nRelField);
  }
  w->PendingCheck();
}

}  // namespace

int16_t mvbtrFileIntWrite(OpenFile* file) {
  const DriverGlobals* g = mvbtrGlobals();
  if (g == nullptr || g->bUseIntFile == 0) return 0;
  if (file->lpszIntFile == nullptr) {
    const int16_t status = mvbtrFileIntMakePath(file);
    if (status != 0) return status;
    if (file->lpszIntFile == nullptr) return 0;  // a table without a file name
  }
  const int16_t opened = mvbtrTextOpen(file->lpszIntFile, VV_TEXT_MODE_WRITE);
  if (opened != 0) return opened;

  IntWriter w;
  TableLinesWrite(file, &w);
  for (int32_t i = 1; w.status == 0 && file->lpFields != nullptr && i <= file->nFields; ++i) {
    FieldLinesWrite(file->lpFields[i], i, &w);
  }
  w.Blank();
  mvbtrTextClose(VV_TEXT_MODE_WRITE);
  return w.status;
}

int16_t mvbtrFileIntMakePath(OpenFile* file) {
  const char* source = file->lpszBtrPath;
  if (source == nullptr || source[0] == '\0') source = file->lpszBtrFile;
  if (source == nullptr || source[0] == '\0') return 0;
  const char* base = nullptr;
  std::size_t baseLength = 0;
  BaseName(source, &base, &baseLength);
  const std::size_t extLength = std::strlen(kIntFileExt);
  if (baseLength == 0 || baseLength + extLength >= kIntPathSize) return 0;
  char name[kIntPathSize];
  std::memcpy(name, base, baseLength);
  std::memcpy(name + baseLength, kIntFileExt, extLength + 1);

  char dataPath[VV_HOST_DATA_PATH_SIZE];
  mvbtrDataPathGet(dataPath);
  char found[kIntPathSize];
  const char* path = name;
  // Found along the data path the bare name will find it again; found only
  // in the current directory it needs its full path.
  if (mvbtrPathSearch(dataPath, name, nullptr, sizeof found, found, nullptr) == 0 &&
      mvbtrPathSearch(nullptr, name, nullptr, sizeof found, found, nullptr) > 0) {
    path = found;
  }

  const std::size_t size = std::strlen(path) + 1;
  void* copy = DriverAlloc(size);
  if (copy == nullptr) {
    mvbtrErrorReport(kErrOutOfMemory, "mvbtrFileIntMakePath");
    return mvbtrErrorStatus();
  }
  std::memcpy(copy, path, size);
  mvbtrMemFree(&file->lpszIntFile);
  file->lpszIntFile = static_cast<char*>(copy);
  return 0;
}

}  // namespace vv::driver
