#include "driver/tables/ddf_columns.h"

#include <cstring>

#include "driver/fields/le_bytes.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "driver/records/record_find.h"
#include "driver/tables/file_record.h"

namespace vv::driver {

uint8_t* DdfColumnData(OpenFile* ddf, int32_t column) {
  return ddf->lpFields[DdfFieldNumber(column)].lpData;
}

uint32_t DdfColumnGet(OpenFile* ddf, int32_t column) {
  const FieldDesc& field = ddf->lpFields[DdfFieldNumber(column)];
  return static_cast<uint32_t>(LoadLe(field.lpData, field.nSize));
}

int32_t DdfColumnGetSigned(OpenFile* ddf, int32_t column) {
  const FieldDesc& field = ddf->lpFields[DdfFieldNumber(column)];
  return static_cast<int32_t>(LoadLeSigned(field.lpData, field.nSize));
}

void DdfColumnPut(OpenFile* ddf, int32_t column, uint32_t value) {
  const FieldDesc& field = ddf->lpFields[DdfFieldNumber(column)];
  StoreLe(field.lpData, value, field.nSize);
  mvbtrFieldMarkChanged(ddf, DdfFieldNumber(column));
}

void DdfColumnPutText(OpenFile* ddf, int32_t column, const char* text) {
  const FieldDesc& field = ddf->lpFields[DdfFieldNumber(column)];
  const std::size_t size = static_cast<std::size_t>(field.nSize);
  std::size_t length = 0;
  while (text != nullptr && length < size && text[length] != '\0') ++length;
  std::memset(field.lpData, ' ', size);
  if (length > 0) std::memcpy(field.lpData, text, length);
  mvbtrFieldMarkChanged(ddf, DdfFieldNumber(column));
}

int16_t DdfFind(OpenFile* ddf, int32_t index, int32_t mode) {
  return mvbtrRecordFind(ddf, index, mode);
}

int16_t DdfEndOfRowsClear() {
  if (mvbtrErrorStatus() == kErrFindAfterLast) mvbtrErrorClear();
  return mvbtrErrorStatus();
}

int16_t DdfStrNewCpy(char** target, const char* text, const char* context) {
  const std::size_t size = std::strlen(text) + 1;
  void* copy = DriverAlloc(size);
  if (copy == nullptr) return mvbtrErrorReport(kErrOutOfMemory, context);
  std::memcpy(copy, text, size);
  mvbtrMemFree(target);
  *target = static_cast<char*>(copy);
  return 0;
}

void DdfFieldDescsFree(OpenFile* file) {
  for (int32_t i = 0; file->lpFields != nullptr && i <= file->nFields; ++i) {
    FieldDesc* field = &file->lpFields[i];
    while (field->lpOverlaps != nullptr) {
      OverlapLink* next = field->lpOverlaps->lpNext;
      mvbtrMemFree(&field->lpOverlaps);
      field->lpOverlaps = next;
    }
    mvbtrMemFree(&field->lpszName);
  }
  mvbtrMemFree(&file->lpFields);
  file->nFields = 0;
  mvbtrMemFree(&file->lpLongvars);
  file->lpFirstLongvar = file->lpLastLongvar = nullptr;
}

}  // namespace vv::driver
