// The per-table buffers and derived arrays built once the fields and indexes
// of a record are known: record buffer, key buffer, the long-variable field
// list, the related-field triples and the record lengths.
#include <algorithm>
#include <cstring>

#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "driver/tables/file_record.h"

namespace vv::driver {
namespace {

// Allocates size zero-filled bytes, or reports error 10 with context.
template <class T>
T* BlockNew(std::size_t size, const char* context) {
  void* block = DriverAlloc(size);
  if (block == nullptr) {
    mvbtrErrorReport(kErrOutOfMemory, context);
    return nullptr;
  }
  std::memset(block, 0, size);
  return static_cast<T*>(block);
}

int32_t FieldEnd(const FieldDesc& field) {
  return field.nOffset + field.nSize;
}

}  // namespace

int16_t mvbtrFileCreateRecordbuffer(OpenFile* file) {
  int32_t highestEnd = 0;
  int32_t longvarRoom = 0;
  for (int32_t i = 1; i <= file->nFields; ++i) {
    const FieldDesc& field = file->lpFields[i];
    // The end is taken in 16 bits, as a record offset is.
    highestEnd = std::max<int32_t>(highestEnd, static_cast<uint16_t>(FieldEnd(field)));
    if (field.nBtrType == BTR_TYPE_LONGVAR) longvarRoom += field.nHostLength + 1;
  }
  int32_t size = std::max(highestEnd + longvarRoom + kRecBufSlack, file->nRecLen);
  size = std::clamp(size, kRecBufMin, kRecBufMax);
  auto* buffer = BlockNew<uint8_t>(static_cast<std::size_t>(size), "mvbtrFileCreateRecordbuffer");
  if (buffer == nullptr) return mvbtrErrorStatus();
  mvbtrMemFree(&file->lpRecBuf);
  file->lpRecBuf = buffer;
  file->nRecBufSize = static_cast<uint16_t>(size);
  for (int32_t i = 0; file->lpFields != nullptr && i <= file->nFields; ++i) {
    FieldDesc& field = file->lpFields[i];
    // A field that lies outside the largest buffer has no bytes to point at.
    const bool inside = field.nOffset >= 0 && field.nSize >= 0 && FieldEnd(field) <= size;
    field.lpData = inside ? buffer + field.nOffset : nullptr;
  }
  return 0;
}

int16_t mvbtrFileKeyBufCreate(OpenFile* file) {
  mvbtrMemFree(&file->lpKeyBuf);
  file->nKeyBufSize = 0;
  int32_t size = kKeyBufMin;
  if (file->lpIndexes != nullptr) {
    for (int32_t i = 0; i <= file->nIndexes; ++i) size = std::max(size, file->lpIndexes[i].nKeyLen);
  }
  if (mvbtrMemAlloc(&file->lpKeyBuf, static_cast<std::size_t>(size)) == nullptr) return -1;
  file->nKeyBufSize = size;
  return 0;
}

int16_t mvbtrFieldLongvarsBuild(OpenFile* file) {
  file->nLongvars = 0;
  file->lpFirstLongvar = file->lpLastLongvar = nullptr;
  for (int32_t i = 1; i <= file->nFields; ++i) {
    FieldDesc* field = &file->lpFields[i];
    field->lpNextLongvar = field->lpPrevLongvar = nullptr;
    if (field->nBtrType != BTR_TYPE_LONGVAR) continue;
    field->lpPrevLongvar = file->lpLastLongvar;
    if (file->lpLastLongvar != nullptr) {
      file->lpLastLongvar->lpNextLongvar = field;
    } else {
      file->lpFirstLongvar = field;
    }
    file->lpLastLongvar = field;
    ++file->nLongvars;
  }
  mvbtrMemFree(&file->lpLongvars);
  // Zero long-variable fields still get an (empty) array.
  file->lpLongvars =
      BlockNew<FieldDesc*>(sizeof(FieldDesc*) * static_cast<std::size_t>(file->nLongvars),
                           "mvbtrFieldCreateFromDdfFields (lpLongvars)");
  if (file->lpLongvars == nullptr) return mvbtrErrorStatus();
  int32_t n = 0;
  for (FieldDesc* field = file->lpFirstLongvar; field != nullptr; field = field->lpNextLongvar) {
    file->lpLongvars[n++] = field;
  }
  return 0;
}

int16_t mvbtrFileBuildRelFields(OpenFile* file) {
  mvbtrMemFree(&file->lpRelFields);
  file->nRelFields = 0;
  file->lpRelFields = BlockNew<int32_t>(
      sizeof(int32_t) * kRelFieldWords * static_cast<std::size_t>(std::max(file->nFields, 0)),
      "mvbtrFileBuildRelFields");
  if (file->lpRelFields == nullptr) return mvbtrErrorStatus();
  int32_t* triple = file->lpRelFields;
  for (int32_t i = 1; i <= file->nFields; ++i) {
    const FieldDesc& field = file->lpFields[i];
    if (field.nRelFile == 0) continue;
    triple[0] = i;
    triple[1] = field.nRelFile;
    triple[2] = field.nRelField;
    triple += kRelFieldWords;
    ++file->nRelFields;
  }
  return 0;
}

int32_t mvbtrFileHostRecLenFromFields(const OpenFile* file) {
  int32_t highestEnd = 0;
  int32_t longvarLength = 0;
  for (int32_t i = 1; i <= file->nFields; ++i) {
    const FieldDesc& field = file->lpFields[i];
    highestEnd = std::max(highestEnd, FieldEnd(field));
    if (field.nBtrType == BTR_TYPE_LONGVAR) longvarLength += field.nHostLength;
  }
  return highestEnd + longvarLength;
}

void mvbtrFileHostRecLenApply(OpenFile* file, int32_t length) {
  file->nHostRecLen = length;
  if (file->nRecLen < length || (file->bRestructuring != 0 && file->nRecLen > length)) {
    file->nRecLen = length;
  }
  file->nRecLen = std::max(file->nRecLen, kRecLenMin);
  // nDataLen follows the fields alone; it is recomputed on every call so
  // that it is right whether or not nRecLen moved.
  int32_t dataLen = 0;
  for (int32_t i = 1; i <= file->nFields; ++i) {
    const FieldDesc& field = file->lpFields[i];
    const bool trailingNote = i == file->nFields && field.nBtrType == BTR_TYPE_NOTE;
    if (field.nHostType != kHostOverlap && !trailingNote)
      dataLen = std::max(dataLen, FieldEnd(field));
  }
  file->nDataLen = dataLen;
}

void mvbtrFileHostRecLenSet(OpenFile* file) {
  mvbtrFileHostRecLenApply(file, mvbtrFileHostRecLenFromFields(file));
}

}  // namespace vv::driver
