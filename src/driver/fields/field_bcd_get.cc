// btrFieldGetBCD: a field's value as the host's BCD number.
#include "driver/fields/bcd_value.h"
#include "driver/fields/date_time.h"
#include "driver/fields/field_access.h"
#include "driver/fields/field_bcd.h"
#include "driver/fields/numeric_codecs.h"
#include "driver/frame/entry_guard.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/records/record_number.h"
#include "veverave/driver.h"

namespace vv::driver {
namespace {

void DateGet(const FieldDesc* field, VvBcd* value) {
  if (field->nSize < kBtrDateSize) {
    mvbtrFieldError(kErrIntegerLength, field);
    return;
  }
  BcdFromInt64(mvbtrBtrDateToJulian(field->lpData), value);
}

void NumberGet(const OpenFile* file, const FieldDesc* field, VvBcd* value) {
  switch (field->nBtrType) {
    case BTR_TYPE_INTEGER:
    case BTR_TYPE_AUTOINCREMENT:
    case BTR_TYPE_UNSIGNED:
    case BTR_TYPE_LOGICAL:
    case BTR_TYPE_BIT:
    case BTR_TYPE_CURRENCY:
    case BTR_TYPE_TIMESTAMP:
      mvbtrBinaryGet(file, field, value);
      return;
    case BTR_TYPE_FLOAT:
    case BTR_TYPE_BFLOAT:
      mvbtrFloatGet(file, field, value);
      return;
    case BTR_TYPE_DATE:
      DateGet(field, value);
      return;
    case BTR_TYPE_TIME:
      if (field->nSize < kBtrTimeSize) {
        mvbtrFieldError(kErrIntegerLength, field);
        return;
      }
      BcdFromInt64(mvbtrBtrTimeToNumber(field->lpData), value);
      return;
    case BTR_TYPE_DECIMAL:
    case BTR_TYPE_MONEY:
      mvbtrPackedGet(file, field, value);
      return;
    case BTR_TYPE_NUMERIC:
    case BTR_TYPE_NUMERIC_SA:
    case BTR_TYPE_NUMERIC_STS:
      mvbtrNumericGet(file, field, value);
      return;
    case kAuxMvbcd:
      mvbtrMvbcdGet(file, field, value);
      return;
    default:
      return;  // no numeric form: 0
  }
}

}  // namespace

int16_t mvbtrFieldValueGetBCD(OpenFile* file, FieldDesc* field, VvBcd* value) {
  BcdClear(value);
  if (field->lpData == nullptr || field->nSize <= 0) return mvbtrErrorStatus();
  if (field->nHostType == kHostDate) {
    if (field->nBtrType == BTR_TYPE_DATE) {
      DateGet(field, value);
    } else {
      mvbtrErrorReport(kErrDateNotBtrDate, "btrFieldGetBCD MV_DATE");
    }
  } else if (field->nHostType == kHostBcd) {
    NumberGet(file, field, value);
  }
  return mvbtrErrorStatus();
}

int16_t mvbtrFieldGetBCD(OpenFile* file, int32_t field, VvBcd* value, const char* entry) {
  if (field == 0) return mvbtrRecordNumberGetBCD(file, value);
  BcdClear(value);
  FieldDesc* desc = mvbtrFieldDescGet(file, field, entry);
  if (desc == nullptr) return mvbtrErrorStatus();
  return mvbtrFieldValueGetBCD(file, desc, value);
}

}  // namespace vv::driver

extern "C" int16_t VV_CALL btrFieldGetBCD(int32_t hFile, int32_t field, VvBcd* value) {
  static constexpr const char* kEntry = "btrFieldGetBCD";
  return vv::driver::GuardStatus(kEntry, [&] {
    if (value == nullptr) return vv::driver::mvbtrErrorStatus();
    vv::driver::BcdClear(value);
    vv::driver::OpenFile* file = vv::driver::mvbtrFieldFileGet(hFile, kEntry);
    if (file == nullptr) return vv::driver::mvbtrErrorStatus();
    return vv::driver::mvbtrFieldGetBCD(file, field, value, kEntry);
  });
}
