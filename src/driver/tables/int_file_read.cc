#include "driver/tables/int_file_read.h"

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

namespace vv::driver {
namespace {

constexpr int32_t kLineDdfName = kIntKeywordBase + kKwDdfName;
constexpr int32_t kLineOwner = kIntKeywordBase + kKwOwner;
constexpr int32_t kLineSystemFile = kIntKeywordBase + kKwSystemFile;
constexpr int32_t kLineRecnumSupport = kIntKeywordBase + kKwRecnumSupport;
constexpr int32_t kLineMvForBtrieve = kIntKeywordBase + kKwMorvantaForBtrieve;
constexpr int32_t kLineFieldTypeBtr = kIntKeywordBase + kKwFieldTypeBtr;
constexpr int32_t kLineFieldTypeAux = kIntKeywordBase + kKwFieldTypeAux;
constexpr int32_t kLineCharacterSet = kIntKeywordBase + kKwCharacterSet;

// Replaces *target by a copy of text; out of memory is error 10 with context
// and leaves *target as it was.
int16_t StrSet(char** target, const char* text, const char* context) {
  const std::size_t n = std::strlen(text) + 1;
  void* copy = DriverAlloc(n);
  if (copy == nullptr) {
    mvbtrErrorReport(kErrOutOfMemory, context);
    return mvbtrErrorStatus();
  }
  std::memcpy(copy, text, n);
  mvbtrMemFree(target);
  *target = static_cast<char*>(copy);
  return 0;
}

// A value as a signed decimal integer: leading blanks skipped, an optional
// sign, then digits; 0 when there are none.
int32_t ValueNumber(const char* value) {
  const char* p = value;
  while (*p == ' ' || *p == '\t') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  uint32_t n = 0;
  while (*p >= '0' && *p <= '9') n = n * 10u + static_cast<uint32_t>(*p++ - '0');
  return static_cast<int32_t>(negative ? 0u - n : n);
}

// A flag takes the low byte of the value's number.
uint8_t ValueFlag(const char* value) {
  return static_cast<uint8_t>(ValueNumber(value) & 0xFF);
}

// Reports error with text and returns the pending error (the error itself
// when the host keeps none).
int16_t Fail(int16_t error, const char* text) {
  mvbtrErrorReport(error, text);
  const int16_t pending = mvbtrErrorStatus();
  return pending != 0 ? pending : error;
}

// Reads the next line into *line and codes a driver keyword. A read failure
// returns the host's pending error, or -1 when the host reported none.
int16_t LineRead(IntFileLine* line) {
  line->szKeyword[0] = '\0';
  line->szValue[0] = '\0';
  int32_t code = mvbtrTextRead(line->szKeyword, line->szValue);
  line->szKeyword[VV_HOST_TEXT_LINE_SIZE - 1] = '\0';
  line->szValue[VV_HOST_TEXT_LINE_SIZE - 1] = '\0';
  if (code == VV_TEXT_READ_FAILED) {
    line->szValue[0] = '\0';
    const int16_t pending = mvbtrErrorStatus();
    return pending != 0 ? pending : -1;
  }
  if (code == 0) {
    // Driver keywords are compared exactly: a keyword in another case is no
    // keyword of the INT file.
    const int keyword = mvbtrKeywordFind(line->szKeyword);
    if (keyword >= 0) code = kIntKeywordBase + keyword;
  }
  line->nCode = code;
  return 0;
}

// The file-name part of a path (after the drive and directory).
const char* FileNamePart(const char* path) {
  const char* name = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (platform::IsSeparator(*p) || *p == ':') name = p + 1;
  }
  return name;
}

int32_t HostTypeFind(const char* name) {
  for (int32_t i = 0; i < kHostTypeCount; ++i) {
    if (std::strcmp(kHostTypeNames[i], name) == 0) return i;
  }
  return -1;
}

// ", field %ld: %s." for errors 20501 and 20544.
int16_t FieldFail(int16_t error, int32_t number, const FieldDesc& field) {
  char text[VV_HOST_ERROR_TEXT_SIZE];
  std::snprintf(text, sizeof text, ", field %ld: %s.", static_cast<long>(number),
                field.lpszName != nullptr ? field.lpszName : "");
  return Fail(error, text);
}

// A Btrieve or auxiliary type line of the current field.
int16_t FieldTypeBtrApply(FieldDesc* field, int32_t number, const IntFileLine& line) {
  if (line.nCode == kLineFieldTypeBtr) {
    const int32_t type = mvbtrBtrTypeNameFind(line.szValue);
    if (type < 0) return FieldFail(kErrIntBtrType, number, *field);
    field->nBtrType = type;
    return 0;
  }
  const int32_t type = mvbtrAuxTypeNameFind(line.szValue);
  // DUMMY has no storage: no field can be one.
  if (type < 0 || type == kAuxDummy) return FieldFail(kErrIntBtrType, number, *field);
  field->nBtrType = type;
  if (type == kAuxMvbcd) {
    // The host's BCD value stored byte for byte: two digits a byte.
    field->nHostLength = 2 * field->nSize;
    field->nHostType = kHostBcd;
  }
  return 0;
}

// Applies one second-pass line; *current is the current field.
int16_t SecondPassApply(OpenFile* file, const char* openName, IntFileLine* line, int32_t* current) {
  const int32_t code = line->nCode;
  switch (code) {
    case kLineSystemFile:
      file->bSystemFile = ValueNumber(line->szValue) != 0 ? 1 : 0;
      return 0;
    case kLineCharacterSet: {
      char* value = mvbtrStrRemoveQuotes(mvbtrStrUpper(line->szValue));
      const int charSet = mvbtrKeywordWordFind(kKwCharacterSet, value);
      if (charSet < 0) {
        mvbtrErrorReport(kErrCharacterSet, value);
      } else {
        file->nCharSet = static_cast<uint8_t>(charSet);
      }
      return 0;
    }
    case VV_LINE_FIELD_NUMBER: {
      const int32_t number = ValueNumber(line->szValue);
      if (number < 1 || number > file->nFields) return Fail(kErrBadFieldNumber, file->lpszDdfName);
      *current = number;
      return 0;
    }
    case VV_LINE_FIELD_INDEX:
    case VV_LINE_FIELD_LENGTH:
    case VV_LINE_FIELD_PRECISION:
    case VV_LINE_FIELD_RELATED_FIELD:
    case VV_LINE_FIELD_RELATED_FILE:
    case VV_LINE_FIELD_TYPE:
    case kLineFieldTypeBtr:
    case kLineFieldTypeAux:
      break;
    default: {
      // A keyword of the settings file, or a host keyword without meaning
      // here.
      char text[kIntPathSize + VV_HOST_TEXT_LINE_SIZE + 2];
      std::snprintf(text, sizeof text, "%s: %s", openName != nullptr ? openName : "",
                    line->szKeyword);
      return Fail(kErrIntKeyword, text);
    }
  }

  // Lines of the current field. A table without fields has no field 1.
  if (file->lpFields == nullptr || *current < 1 || *current > file->nFields) {
    return Fail(kErrBadFieldNumber, file->lpszDdfName);
  }
  FieldDesc* field = &file->lpFields[*current];
  const int32_t value = ValueNumber(line->szValue);
  switch (code) {
    case VV_LINE_FIELD_INDEX:
      field->nMainIndex = value;
      return 0;
    case VV_LINE_FIELD_LENGTH:
      field->nHostLength = value;
      return 0;
    case VV_LINE_FIELD_PRECISION:
      field->nPrecision = value;
      return 0;
    case VV_LINE_FIELD_RELATED_FIELD:
      field->nRelField = value;
      return 0;
    case VV_LINE_FIELD_RELATED_FILE:
      field->nRelFile = value;
      return 0;
    case VV_LINE_FIELD_TYPE: {
      const int32_t type = HostTypeFind(line->szValue);
      if (type < 0) return FieldFail(kErrIntHostType, *current, *field);
      field->nHostType = type;
      return 0;
    }
    default:
      return FieldTypeBtrApply(field, *current, *line);
  }
}

}  // namespace

bool mvbtrFileIntSearch(const char* rootName, char* result) {
  result[0] = '\0';
  char name[kIntPathSize];
  const std::size_t rootLength = std::strlen(rootName);
  if (rootLength == 0 || rootLength + std::strlen(kIntFileExt) >= sizeof name) return false;
  std::memcpy(name, rootName, rootLength);
  std::memcpy(name + rootLength, kIntFileExt, std::strlen(kIntFileExt) + 1);

  const DriverGlobals* g = mvbtrGlobals();
  if (g != nullptr && g->lpszIntDir != nullptr && g->lpszIntDir[0] != '\0') {
    return mvbtrPathSearch(g->lpszIntDir, name, nullptr, kIntPathSize, result, nullptr) > 0;
  }
  char dataPath[VV_HOST_DATA_PATH_SIZE];
  mvbtrDataPathGet(dataPath);
  return mvbtrPathSearch(dataPath, name, nullptr, kIntPathSize, result, nullptr) > 0;
}

bool mvbtrFileIntDefaultPath(const char* openName, char* result) {
  result[0] = '\0';
  const char* name = FileNamePart(openName);
  const char* dot = std::strrchr(name, '.');
  const std::size_t keep =
      static_cast<std::size_t>((dot != nullptr ? dot : name + std::strlen(name)) - openName);
  if (keep == static_cast<std::size_t>(name - openName)) return false;  // no file name
  const std::size_t extLength = std::strlen(kIntFileExt);
  if (keep + extLength >= kIntPathSize) return false;
  std::memcpy(result, openName, keep);
  std::memcpy(result + keep, kIntFileExt, extLength + 1);
  return true;
}

int16_t mvbtrFileIntOpen(OpenFile* file, const char* path, bool hostOpened, bool* used) {
  *used = false;
  if (!hostOpened && mvbtrTextOpen(path, VV_TEXT_MODE_READ) != 0) {
    mvbtrErrorClear();
    return 0;
  }
  IntFileLine line;
  const int32_t code = mvbtrTextRead(line.szKeyword, line.szValue);
  line.szValue[VV_HOST_TEXT_LINE_SIZE - 1] = '\0';
  bool namesDriver = false;
  if (code == VV_TEXT_READ_FAILED) {
    mvbtrErrorClear();
  } else {
    namesDriver = code == VV_LINE_DRIVER_NAME ||
                  std::strcmp(mvbtrStrUpper(line.szValue), VV_DRIVER_NAME) == 0;
  }
  if (!namesDriver) {
    mvbtrFileIntClose();
    return 0;
  }
  if (StrSet(&file->lpszIntFile, path, "mvbtrFileIntOpen") != 0) {
    mvbtrFileIntClose();
    return mvbtrErrorStatus();
  }
  *used = true;
  return 0;
}

int16_t mvbtrFileIntReadFirst(OpenFile* file, IntFileLine* line) {
  constexpr const char* kContext = "mvbtrFileIntReadFirst";
  for (;;) {
    int16_t status = LineRead(line);
    if (status != 0 || line->szValue[0] == '\0') return status;
    switch (line->nCode) {
      case kLineDdfName:
        status = StrSet(&file->lpszDdfName, mvbtrStrRemoveQuotes(line->szValue), kContext);
        break;
      case kLineOwner:
        status = StrSet(&file->lpszOwner, mvbtrStrRemoveQuotes(line->szValue), kContext);
        break;
      case kLineRecnumSupport:
        file->bRecnumSupport = ValueFlag(line->szValue);
        break;
      case kLineMvForBtrieve:
        file->bMvForBtrieve = ValueFlag(line->szValue);
        file->bRecnumSupport = file->bMvForBtrieve;
        break;
      default:
        return 0;  // the line belongs to the second pass
    }
    if (status != 0) return status;
  }
}

int16_t mvbtrFileIntReadSecond(OpenFile* file, const char* openName, IntFileLine* line) {
  int32_t current = 1;
  while (line->szValue[0] != '\0') {
    int16_t status = SecondPassApply(file, openName, line, &current);
    if (status == 0) status = LineRead(line);
    if (status != 0) return status;
  }
  return 0;
}

void mvbtrFileIntClose() {
  mvbtrTextClose(VV_TEXT_MODE_READ);
}

}  // namespace vv::driver
