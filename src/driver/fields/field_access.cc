#include "driver/fields/field_access.h"

#include <cstdio>

#include "driver/fields/field_empty.h"
#include "driver/frame/errors.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/init.h"

namespace vv::driver {

OpenFile* mvbtrFieldFileGet(int32_t hFile, const char* entry) {
  OpenFile* file =
      mvbtrDriverIsInit() ? static_cast<OpenFile*>(mvbtrFileFromHandle(hFile)) : nullptr;
  if (file == nullptr) mvbtrErrorReport(kErrBadFileHandle, entry);
  return file;
}

FieldDesc* mvbtrFieldDescGet(OpenFile* file, int32_t field, const char* entry) {
  bool known = field >= 1 && field <= file->nFields;
  if (field == 0) known = file->nRecnumField != 0;
  if (!known || file->lpFields == nullptr || file->lpFields[field].lpData == nullptr) {
    mvbtrErrorReport(kErrBadFieldNumber, entry);
    return nullptr;
  }
  return &file->lpFields[field];
}

const char* mvbtrFieldName(const FieldDesc* field) {
  return field->lpszName != nullptr ? field->lpszName : "";
}

void mvbtrFieldContext(const OpenFile* file, const FieldDesc* field, char* text) {
  std::snprintf(text, kFieldContextSize, "%s.%s",
                TableName(file), mvbtrFieldName(field));
}

void mvbtrValueError(int16_t error, const OpenFile* file, const FieldDesc* field) {
  char context[kFieldContextSize];
  mvbtrFieldContext(file, field, context);
  mvbtrErrorReport(error, context);
}

void mvbtrFieldError(int16_t error, const FieldDesc* field) {
  mvbtrErrorReport(error, mvbtrFieldName(field));
}

namespace {

const DriverGlobals* Settings() {
  return mvbtrDriverIsInit() ? mvbtrGlobals() : nullptr;
}

}  // namespace

uint8_t mvbtrComp3SignPos() {
  return Settings() ? Settings()->nComp3SignPos : 0x0F;
}
uint8_t mvbtrComp3SignNeg() {
  return Settings() ? Settings()->nComp3SignNeg : 0x0D;
}
bool mvbtrComp3SignCheck() {
  return Settings() ? Settings()->bComp3SignCheck != 0 : true;
}
bool mvbtrPadString() {
  return Settings() ? Settings()->bPadString != 0 : false;
}
int32_t mvbtrMaxTextLen() {
  return Settings() ? Settings()->nMaxTextLen : 16384;
}

uint8_t* mvbtrNullIndicator(const OpenFile* file, const FieldDesc* field) {
  if (file->bTrueNull == 0 || field->bNullAllowed == 0 || field->lpData == nullptr) return nullptr;
  if (field->lpData == file->lpRecBuf) return nullptr;  // no byte in front of it
  return field->lpData - 1;
}

bool mvbtrFieldNullClear(OpenFile* file, FieldDesc* field) {
  uint8_t* indicator = mvbtrNullIndicator(file, field);
  if (indicator == nullptr || field->bIsNull == 0) return false;
  field->bIsNull = 0;
  *indicator = 0;
  mvbtrFieldSetEmpty(file, field);
  return true;
}

int32_t mvbtrFieldIndex(const OpenFile* file, const FieldDesc* field) {
  if (file->lpFields != nullptr && field >= file->lpFields &&
      field <= file->lpFields + file->nFields) {
    return static_cast<int32_t>(field - file->lpFields);
  }
  return field->nNumber;
}

}  // namespace vv::driver
