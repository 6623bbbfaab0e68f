// btrFieldGetString: a field's value as text.
#include <cstring>

#include "driver/fields/date_time.h"
#include "driver/fields/field_access.h"
#include "driver/fields/field_bcd.h"
#include "driver/fields/field_text.h"
#include "driver/fields/le_bytes.h"
#include "driver/fields/longvar.h"
#include "driver/frame/entry_guard.h"
#include "driver/frame/errors.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_bcd.h"
#include "driver/frame/host/host_calls.h"
#include "platform/platform.h"
#include "veverave/driver.h"

namespace vv::driver {
namespace {

int32_t Min(int32_t a, int32_t b) {
  return a < b ? a : b;
}

// Copies up to n bytes from base + offset; text stops at a 0 byte, binary
// data does not.
int32_t CopyOut(char* dest, const uint8_t* base, int32_t offset, int32_t n, bool binary) {
  if (n <= 0) return 0;
  const uint8_t* src = base + offset;
  int32_t count = n;
  if (!binary) {
    const void* nul = std::memchr(src, 0, static_cast<std::size_t>(n));
    if (nul != nullptr) count = static_cast<int32_t>(static_cast<const uint8_t*>(nul) - src);
  }
  std::memcpy(dest, src, static_cast<std::size_t>(count));
  return count;
}

// Text, overlap and binary fields. length arrives fixed to the host length
// and the offset; each encoding then cuts it to the bytes its value holds
// from offset on.
int32_t TextGet(const OpenFile* file, const FieldDesc* field, char* dest, int32_t offset,
                int32_t length) {
  const uint8_t* data = field->lpData;
  int32_t size = field->nSize;
  bool binary = field->nHostType == kHostBinary;
  switch (field->nBtrType) {
    case BTR_TYPE_STRING:
      return CopyOut(dest, data, offset, Min(length, size - offset), true);
    case BTR_TYPE_ZSTRING:
    case BTR_TYPE_NOTE: {
      const void* nul = std::memchr(data, 0, static_cast<std::size_t>(size));
      int32_t used =
          nul != nullptr ? static_cast<int32_t>(static_cast<const uint8_t*>(nul) - data) : size;
      return CopyOut(dest, data, offset, Min(length, used - offset), false);
    }
    case BTR_TYPE_LSTRING: {
      // An LSTRING whose length byte says more than the field holds is read
      // to the end of the field.
      int32_t used = Min(data[0], size - 1);
      return CopyOut(dest, data + 1, offset, Min(length, used - offset), false);
    }
    case kAuxLstring2: {
      int32_t used = static_cast<int32_t>(LoadLeSigned(data, 2));
      used = Min(used, size - 2);
      return CopyOut(dest, data + 2, offset, Min(length, used - offset), binary);
    }
    case BTR_TYPE_LONGVAR: {
      uint32_t used = 0;
      const uint8_t* value = mvbtrLongvarData(file, field, &used);
      if (value == nullptr) return 0;
      return CopyOut(dest, value, offset, Min(length, static_cast<int32_t>(used) - offset), binary);
    }
    case BTR_TYPE_TIME:
      if (size >= kBtrTimeSize) mvbtrBtrTimeToText(dest, length, data);
      return 0;
    default:
      return 0;
  }
}

// Numbers and dates: the BCD value as text of kNumberTextWidth characters.
// Entry 0 of the fields is the record number.
int32_t NumberGet(OpenFile* file, FieldDesc* field, char* dest) {
  VvBcd value;
  if (field == file->lpFields) {
    mvbtrFieldGetBCD(file, 0, &value, "btrFieldGetString");
  } else {
    mvbtrFieldValueGetBCD(file, field, &value);
  }
  if (mvbtrErrorStatus() != 0) return 0;
  mvbtrBcdToText(&value, dest, kNumberTextWidth, field->nPrecision);
  return kNumberTextWidth;
}

// Field 0 of a table without a record-number field: the record number.
int32_t RecordNumberGet(OpenFile* file, char* dest) {
  dest[0] = '\0';
  VvBcd value;
  mvbtrFieldGetBCD(file, 0, &value, "btrFieldGetString");
  if (mvbtrErrorStatus() != 0) return 0;
  mvbtrBcdToText(&value, dest, kNumberTextWidth, 0);
  return kNumberTextWidth;
}

}  // namespace

int32_t mvbtrFieldGetStringByNumber(OpenFile* file, int32_t field, char* dest, int32_t offset,
                                    int32_t length, const char* entry) {
  if (field == 0 && file->nRecnumField == 0) return RecordNumberGet(file, dest);
  FieldDesc* desc = mvbtrFieldDescGet(file, field, entry);
  if (desc == nullptr) {
    dest[0] = '\0';
    return 0;
  }
  return mvbtrFieldGetString(file, desc, dest, offset, length);
}

int32_t mvbtrFieldGetString(OpenFile* file, FieldDesc* field, char* dest, int32_t offset,
                            int32_t length) {
  dest[0] = '\0';
  int32_t placed = 0;
  switch (field->nHostType) {
    case kHostAscii:
    case kHostOverlap:
    case kHostText:
    case kHostBinary: {
      int32_t hostLength = field->nHostLength;
      // A negative offset reads nothing, like one beyond the field.
      if (offset < 0) return 0;
      if (length <= 0 || length > hostLength) length = hostLength;
      if (offset + length > hostLength) length = hostLength - offset;
      if (length <= 0 && field->nBtrType != BTR_TYPE_TIME) return 0;
      placed = TextGet(file, field, dest, offset, length);
      if (field->nBtrType != BTR_TYPE_TIME) dest[placed] = '\0';
      break;
    }
    case kHostBcd:
    case kHostDate:
      return NumberGet(file, field, dest);
    default:
      mvbtrErrorReport(kErrFieldHostType, mvbtrFieldName(field));
      return 0;
  }
  if ((field->nHostType == kHostAscii || field->nHostType == kHostText) &&
      file->nCharSet == kCharSetChar) {
    platform::AnsiToOem(dest, static_cast<std::size_t>(placed));
  }
  return placed;
}

}  // namespace vv::driver

using vv::driver::OpenFile;

extern "C" int32_t VV_CALL btrFieldGetString(int32_t hFile, int32_t field, char* buffer,
                                             int32_t offset, int32_t length) {
  static constexpr const char* kEntry = "btrFieldGetString";
  return vv::driver::GuardValue<int32_t>(kEntry, 0, [&]() -> int32_t {
    OpenFile* file = vv::driver::mvbtrFieldFileGet(hFile, kEntry);
    if (file == nullptr || buffer == nullptr) return 0;
    return vv::driver::mvbtrFieldGetStringByNumber(file, field, buffer, offset, length, kEntry);
  });
}
