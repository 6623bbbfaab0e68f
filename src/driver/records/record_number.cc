// Field 0 and the record-number fields (record_number.h).
#include "driver/records/record_number.h"

#include <cstring>

#include "driver/fields/bcd_value.h"
#include "driver/fields/field_bcd.h"
#include "driver/fields/le_bytes.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_bcd.h"
#include "driver/frame/host/host_calls.h"
#include "driver/tables/file_record.h"

namespace vv::driver {
namespace {

// The descriptor that holds the number as field bytes: the record-number
// field, or under RECNUM_SUPPORT field 0 itself; null when the number is the
// physical address. Error 77 when the table has no such field after all.
FieldDesc* NumberField(OpenFile* file, const char* context, bool* physical) {
  *physical = file->bRecnumSupport == 0 && file->nRecnumField == 0;
  if (*physical) return nullptr;
  const int32_t number = file->nRecnumField;
  if (file->lpFields == nullptr || number < 0 || number > file->nFields ||
      file->lpFields[number].lpData == nullptr) {
    mvbtrErrorReport(kErrBadFieldNumber, context);
    return nullptr;
  }
  return &file->lpFields[number];
}

bool NameIs(const char* name, const char* recnumName) {
  return name != nullptr && std::strncmp(name, recnumName, std::strlen(recnumName)) == 0;
}

}  // namespace

uint32_t mvbtrRecordNumberShown(const OpenFile* file, uint32_t address) {
  if (file->bOldVersion == 0) return address;
  return (address << 16) | (address >> 16);
}

int16_t mvbtrRecordNumberFieldFind(OpenFile* file) {
  file->nRecnumOneField = 0;
  file->nRecnumTwoField = 0;
  for (int32_t i = file->nFields; file->lpFields != nullptr && i >= 1; --i) {
    const char* name = file->lpFields[i].lpszName;
    if (NameIs(name, kRecnumOneName)) file->nRecnumOneField = i;
    if (NameIs(name, kRecnumTwoName)) file->nRecnumTwoField = i;
  }
  file->nRecnumField = file->nRecnumTwoField != 0 ? file->nRecnumTwoField : file->nRecnumOneField;
  if (file->nRecnumField == 0) {
    mvbtrErrorReport(kErrNoRecnumField, TableName(file));
  }
  return mvbtrErrorStatus();
}

int16_t mvbtrRecordNumberGetBCD(OpenFile* file, VvBcd* value) {
  BcdClear(value);
  bool physical = false;
  FieldDesc* field = NumberField(file, "btrFieldGetBCD", &physical);
  if (field != nullptr) return mvbtrFieldValueGetBCD(file, field, value);
  if (!physical) return mvbtrErrorStatus();
  const uint32_t shown = mvbtrRecordNumberShown(file, LoadLe32(file->nRecnum));
  mvbtrIntToBcd(static_cast<int32_t>(shown), value);
  return mvbtrErrorStatus();
}

int16_t mvbtrRecordNumberPutBCD(OpenFile* file, const VvBcd* value) {
  if (BcdIsZero(*value)) mvbtrRecordMarkInactive(file);
  bool physical = false;
  FieldDesc* field = NumberField(file, "btrFieldPutBCD", &physical);
  if (field != nullptr) {
    mvbtrFieldValuePutBCD(file, field, value);
    if (file->nRecnumField != 0) {
      // Entry 0 mirrors the record-number field's state.
      FieldDesc& field0 = file->lpFields[0];
      field0.bFieldChanged = field->bFieldChanged;
      field0.bFieldTouched = field->bFieldTouched;
      field0.bIsNull = field->bIsNull;
    }
    return mvbtrErrorStatus();
  }
  if (!physical) return mvbtrErrorStatus();
  const auto number = static_cast<uint32_t>(mvbtrBcdToInt(value));
  if (mvbtrErrorStatus() != 0) return mvbtrErrorStatus();
  const uint32_t address = mvbtrRecordNumberShown(file, number);
  if (address != LoadLe32(file->nRecnum)) {
    StoreLe32(file->nRecnum, address);
    mvbtrFieldMarkChanged(file, 0);
  }
  return mvbtrErrorStatus();
}

}  // namespace vv::driver
