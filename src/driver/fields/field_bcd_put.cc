// btrFieldPutBCD: the host's BCD number into a field.
#include <cstring>

#include "driver/fields/bcd_value.h"
#include "driver/fields/date_time.h"
#include "driver/fields/field_access.h"
#include "driver/fields/field_bcd.h"
#include "driver/fields/field_empty.h"
#include "driver/fields/numeric_codecs.h"
#include "driver/frame/entry_guard.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "driver/records/record_number.h"
#include "driver/tables/file_record.h"
#include "veverave/driver.h"

namespace vv::driver {
namespace {

// Fields of up to this many bytes get their working copy on the stack.
constexpr int32_t kStackWorkSize = 50;

// A date number into a Btrieve DATE. Numbers below 1 give the empty date;
// numbers beyond 31 December 3000 are no Btrieve date.
void DatePut(const OpenFile* file, const FieldDesc* field, const VvBcd& value, uint8_t* work) {
  if (field->nSize < kBtrDateSize) {
    mvbtrErrorReport(kErrDateNotBtrDate, "btrFieldPutBCD MV_DATE");
    return;
  }
  int64_t number = BcdToInt64(value);
  if (number > mvbtrJulianMax()) {
    mvbtrValueError(kErrValueOutOfRange, file, field);
    return;
  }
  mvbtrJulianToBtrDate(static_cast<int32_t>(number < 0 ? 0 : number), work);
}

// A time number (hundredths of a second since midnight) into a Btrieve TIME.
void TimePut(const OpenFile* file, const FieldDesc* field, const VvBcd& value, uint8_t* work) {
  if (field->nSize < kBtrTimeSize) {
    mvbtrFieldError(kErrIntegerLength, field);
    return;
  }
  int64_t number = BcdToInt64(value);
  if (number < 0 || number >= kTimeNumberLimit) {
    mvbtrValueError(kErrValueOutOfRange, file, field);
    return;
  }
  mvbtrNumberToBtrTime(static_cast<int32_t>(number), work);
}

void NumberPut(const OpenFile* file, const FieldDesc* field, const VvBcd& value, uint8_t* work) {
  switch (field->nBtrType) {
    case BTR_TYPE_INTEGER:
    case BTR_TYPE_AUTOINCREMENT:
    case BTR_TYPE_UNSIGNED:
    case BTR_TYPE_LOGICAL:
    case BTR_TYPE_BIT:
    case BTR_TYPE_CURRENCY:
    case BTR_TYPE_TIMESTAMP:
      mvbtrBinaryPut(file, field, value, work);
      return;
    case BTR_TYPE_FLOAT:
    case BTR_TYPE_BFLOAT:
      mvbtrFloatPut(file, field, value, work);
      return;
    case BTR_TYPE_DATE:
      DatePut(file, field, value, work);
      return;
    case BTR_TYPE_TIME:
      TimePut(file, field, value, work);
      return;
    case BTR_TYPE_DECIMAL:
    case BTR_TYPE_MONEY:
      mvbtrPackedPut(file, field, value, work);
      return;
    case BTR_TYPE_NUMERIC:
    case BTR_TYPE_NUMERIC_SA:
    case BTR_TYPE_NUMERIC_STS:
      mvbtrNumericPut(file, field, value, work);
      return;
    case kAuxMvbcd:
      mvbtrMvbcdPut(file, field, value, work);
      return;
    default:
      return;  // no numeric form: nothing is stored
  }
}

// The working copy: on the stack for small fields, else a driver block.
class WorkBuffer {
 public:
  explicit WorkBuffer(int32_t size) {
    if (size <= kStackWorkSize) {
      bytes_ = stack_;
    } else {
      heap_ = static_cast<uint8_t*>(DriverAlloc(static_cast<std::size_t>(size)));
      bytes_ = heap_;
    }
  }
  ~WorkBuffer() { DriverFree(heap_); }
  WorkBuffer(const WorkBuffer&) = delete;
  WorkBuffer& operator=(const WorkBuffer&) = delete;
  uint8_t* bytes() const { return bytes_; }

 private:
  uint8_t stack_[kStackWorkSize];
  uint8_t* heap_ = nullptr;
  uint8_t* bytes_ = nullptr;
};

// True nulls, once the value is converted: a DATE field given 0 becomes null
// (null flag and indicator set, the empty value written); any other value
// clears the null of a null field. True when the null changed; work then
// holds the field's bytes after the change where it became null.
bool NullUpdate(OpenFile* file, FieldDesc* field, const VvBcd& value, uint8_t* work) {
  uint8_t* indicator = mvbtrNullIndicator(file, field);
  if (indicator == nullptr) return false;
  if (field->nHostType == kHostDate && BcdIsZero(value)) {
    if (field->bIsNull != 0) return false;
    field->bIsNull = 1;
    *indicator = 1;
    mvbtrFieldSetEmpty(file, field);
    std::memcpy(work, field->lpData, static_cast<std::size_t>(field->nSize));
    return true;
  }
  if (field->bIsNull == 0) return false;
  field->bIsNull = 0;
  *indicator = 0;
  return true;
}

}  // namespace

int16_t mvbtrFieldValuePutBCD(OpenFile* file, FieldDesc* field, const VvBcd* value) {
  int32_t size = field->nSize;
  if (field->lpData == nullptr || size <= 0) return mvbtrErrorStatus();
  WorkBuffer buffer(size);
  uint8_t* work = buffer.bytes();
  if (work == nullptr) {
    mvbtrErrorReport(kErrOutOfMemory, "(dbdkpbcd)");
    return mvbtrErrorStatus();
  }
  std::memcpy(work, field->lpData, static_cast<std::size_t>(size));
  if (field->nHostType == kHostBcd) {
    NumberPut(file, field, *value, work);
  } else if (field->nHostType == kHostDate) {
    DatePut(file, field, *value, work);
  }
  if (mvbtrErrorStatus() != 0) return mvbtrErrorStatus();
  bool nullChanged = NullUpdate(file, field, *value, work);
  if (nullChanged || std::memcmp(work, field->lpData, static_cast<std::size_t>(size)) != 0) {
    std::memcpy(field->lpData, work, static_cast<std::size_t>(size));
    mvbtrFieldMarkChanged(file, mvbtrFieldIndex(file, field));
  }
  return mvbtrErrorStatus();
}

int16_t mvbtrFieldPutBCD(OpenFile* file, int32_t field, const VvBcd* value, const char* entry) {
  if (field == 0) return mvbtrRecordNumberPutBCD(file, value);
  FieldDesc* desc = mvbtrFieldDescGet(file, field, entry);
  if (desc == nullptr) return mvbtrErrorStatus();
  return mvbtrFieldValuePutBCD(file, desc, value);
}

}  // namespace vv::driver

extern "C" int16_t VV_CALL btrFieldPutBCD(int32_t hFile, int32_t field, const VvBcd* value) {
  static constexpr const char* kEntry = "btrFieldPutBCD";
  return vv::driver::GuardStatus(kEntry, [&] {
    vv::driver::OpenFile* file = vv::driver::mvbtrFieldFileGet(hFile, kEntry);
    if (file == nullptr || value == nullptr) return vv::driver::mvbtrErrorStatus();
    return vv::driver::mvbtrFieldPutBCD(file, field, value, kEntry);
  });
}
