// The state of the record in the buffer: clear, changed, active.
//
//   cleared (bBufferClear) --find--> active (bActive, bFound) --field put--> changed
//        ^                               |                                     |
//        +---------- mvbtrFileClear -----+-------------------------------------+
#include <cstring>

#include "driver/fields/field_access.h"
#include "driver/fields/field_empty.h"
#include "driver/tables/file_record.h"

namespace vv::driver {
int16_t mvbtrFileClear(OpenFile* file) {
  if (file->lpRecBuf != nullptr) std::memset(file->lpRecBuf, 0, file->nRecBufSize);
  for (int32_t i = 0; file->lpFields != nullptr && i <= file->nFields; ++i) {
    FieldDesc* field = &file->lpFields[i];
    // A cleared nullable date of a true-null table is null; every other
    // field holds its empty value.
    const bool nullDate =
        file->bTrueNull != 0 && field->bNullAllowed != 0 && field->nHostType == kHostDate;
    field->bIsNull = nullDate ? 1 : 0;
    if (field->lpData != nullptr) {
      mvbtrFieldSetEmpty(file, field);
      if (nullDate) mvbtrFieldSetNullIndicator(file, field);
    }
    field->bFieldChanged = 0;
    field->bFieldTouched = 0;
  }
  std::memset(file->nRecnum, 0, sizeof file->nRecnum);
  file->nCurIndex = -1;
  mvbtrRecordMarkInactive(file);
  file->bChanged = 0;
  file->bChanged2 = 0;
  file->bFound = 0;
  file->bBufferClear = 1;
  return 0;
}

void mvbtrFieldMarkChanged(OpenFile* file, int32_t field) {
  if (file->lpFields == nullptr || field < 0 || field > file->nFields) return;
  FieldDesc* desc = &file->lpFields[field];
  desc->bFieldChanged = 1;
  desc->bFieldTouched = 1;
  for (OverlapLink* link = desc->lpOverlaps; link != nullptr; link = link->lpNext) {
    link->lpField->bFieldChanged = 1;
    link->lpField->bFieldTouched = 1;
  }
  file->bChanged = 1;
  file->bChanged2 = 1;
}

int16_t mvbtrRecordMarkActive(OpenFile* file) {
  file->bActive = 1;
  file->bFound = 1;
  file->bChanged2 = 1;
  file->bChanged = 0;
  file->bBufferClear = 0;
  for (int32_t i = 0; file->lpFields != nullptr && i <= file->nFields; ++i) {
    FieldDesc& field = file->lpFields[i];
    field.bFieldChanged = 0;
    field.bFieldTouched = 1;
    const uint8_t* indicator = mvbtrNullIndicator(file, &field);
    field.bIsNull = indicator != nullptr && *indicator != 0 ? 1 : 0;
  }
  return mvbtrRecordNumberRead(file);
}

void mvbtrRecordMarkInactive(OpenFile* file) {
  file->bActive = 0;
}

}  // namespace vv::driver
