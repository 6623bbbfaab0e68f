// Text and binary values into long-variable fields: the new data are built in
// the trash buffer from the field's current data and the value, then stored
// into the variable part of the record buffer (longvar.h).
#include <cstring>

#include "driver/fields/field_access.h"
#include "driver/fields/field_text.h"
#include "driver/fields/longvar.h"
#include "driver/frame/errors.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/scratch.h"
#include "driver/tables/file_record.h"
#include "platform/platform.h"

namespace vv::driver {

int16_t mvbtrFieldPutLongvar(OpenFile* file, FieldDesc* field, const char* value, int32_t offset,
                             int32_t length, int32_t keepEnd) {
  bool text = field->nHostType != kHostBinary;
  if (length < 0) length = 0;
  if (text) {
    int32_t valueLength = static_cast<int32_t>(std::strlen(value));
    if (length == 0 || length > valueLength) length = valueLength;
  }
  // An offset at or beyond the host length changes nothing but a null.
  if (offset >= field->nHostLength) {
    if (mvbtrFieldNullClear(file, field)) mvbtrFieldMarkChanged(file, mvbtrFieldIndex(file, field));
    return mvbtrErrorStatus();
  }
  // The data end at offset + length, or later when keepEnd keeps a longer
  // tail; either way they must fit the host length and the long-variable
  // maximum. A negative offset is out of range too.
  if (offset < 0 || length > field->nHostLength || offset + length > mvbtrMaxTextLen() ||
      offset + length > field->nHostLength) {
    mvbtrErrorReport(kErrValueTooLong, mvbtrFieldName(field));
    return mvbtrErrorStatus();
  }

  // The new bytes (0-terminated for text) in the value buffer.
  auto* bytes =
      static_cast<char*>(mvbtrScratchBuffer(kValueBuffer, static_cast<std::size_t>(length) + 1));
  if (bytes == nullptr) return mvbtrErrorStatus();
  std::memcpy(bytes, value, static_cast<std::size_t>(length));
  bytes[length] = '\0';
  if (text && file->nCharSet == kCharSetChar) {
    platform::OemToAnsi(bytes, static_cast<std::size_t>(length));
  }

  // The field's current data in the trash buffer, room for the new end. A
  // null field is emptied before the put, so its current data are none.
  uint32_t oldLength = 0;
  const uint8_t* old = mvbtrLongvarData(file, field, &oldLength);
  bool wasNull = mvbtrNullIndicator(file, field) != nullptr && field->bIsNull != 0;
  int32_t current = wasNull ? 0 : static_cast<int32_t>(oldLength);
  int32_t newEnd = offset + length;
  int32_t room = (current > newEnd ? current : newEnd) + 1;
  auto* data =
      static_cast<uint8_t*>(mvbtrScratchBuffer(kTrashBuffer, static_cast<std::size_t>(room)));
  if (data == nullptr) return mvbtrErrorStatus();
  std::memset(data, 0, static_cast<std::size_t>(room));
  if (current > 0) std::memcpy(data, old, static_cast<std::size_t>(current));
  bool nullCleared = mvbtrFieldNullClear(file, field);
  if (nullCleared) old = mvbtrLongvarData(file, field, &oldLength);
  // Without keepEnd the value ends the data; with it the old tail stays.
  int32_t dataLength = keepEnd != 0 ? (current > newEnd ? current : newEnd) : newEnd;
  bool changed = old == nullptr || dataLength != current;
  if (length != 0 && length == current && offset + length <= current &&
      std::memcmp(data + offset, bytes, static_cast<std::size_t>(length)) == 0) {
    // The field holds these bytes already.
  } else {
    if (std::memcmp(data + offset, bytes, static_cast<std::size_t>(length)) != 0) changed = true;
    std::memcpy(data + offset, bytes, static_cast<std::size_t>(length));
    if (text && keepEnd == 0) data[newEnd] = 0;
  }
  if (mvbtrErrorStatus() == 0 && (changed || nullCleared)) {
    if (mvbtrLongvarPutData(file, field, data, dataLength) < 0) return mvbtrErrorStatus();
    mvbtrFieldMarkChanged(file, mvbtrFieldIndex(file, field));
  }
  return mvbtrErrorStatus();
}

}  // namespace vv::driver
