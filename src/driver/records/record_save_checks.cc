// What a save works out before it sends anything: how many bytes to send,
// and whether the DATE fields of a true-null table hold dates.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "driver/fields/bcd_value.h"
#include "driver/fields/field_access.h"
#include "driver/fields/field_bcd.h"
#include "driver/fields/longvar.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/records/record_save.h"
#include "driver/tables/file_record.h"
#include "veverave/btrieve.h"

namespace vv::driver {
namespace {

// The bytes of a NOTE field up to and with its 0 byte, at most its size.
int32_t NoteUsed(const FieldDesc& note) {
  if (note.lpData == nullptr || note.nSize <= 0) return 0;
  const auto size = static_cast<std::size_t>(note.nSize);
  const void* end = std::memchr(note.lpData, 0, size);
  const std::size_t used =
      end == nullptr ? size
                     : static_cast<std::size_t>(static_cast<const uint8_t*>(end) - note.lpData) + 1;
  return static_cast<int32_t>(used);
}

}  // namespace

int32_t mvbtrRecordDatalenForSave(OpenFile* file) {
  int32_t length = file->nDataLen;
  const bool variable = (file->nFileFlags & BTR_FILE_VARIABLE) != 0;
  if (variable) {
    if (file->lpFields != nullptr && file->nFields > 0 &&
        file->lpFields[file->nFields].nBtrType == BTR_TYPE_NOTE) {
      length += NoteUsed(file->lpFields[file->nFields]);
    }
    for (const FieldDesc* field = file->lpFirstLongvar; field != nullptr;
         field = field->lpNextLongvar) {
      const LongvarRef ref = mvbtrLongvarRef(field);
      if (ref.nOffset != 0 && ref.nLength != 0) length += static_cast<int32_t>(ref.nLength);
    }
  } else {
    length = std::max(length, file->nRecLen);
  }
  length = std::max(length, kRecLenMin);
  if (variable && (length > kRecBufMax || (length > file->nHostRecLen && length > kRecLenMin))) {
    char context[VV_HOST_ERROR_TEXT_SIZE];
    std::snprintf(context, sizeof context, "%s:DatalenForSave",
                  TableName(file));
    mvbtrErrorReport(kErrLongvarNoRoom, context);
  }
  return length;
}

int16_t mvbtrRecordCheckDates(OpenFile* file) {
  if (file->bTrueNull == 0 || file->lpFields == nullptr) return mvbtrErrorStatus();
  for (int32_t i = 1; i <= file->nFields; ++i) {
    FieldDesc* field = &file->lpFields[i];
    if (field->nHostType != kHostDate) continue;
    if (field->bNullAllowed != 0 && field->bIsNull != 0) continue;
    VvBcd value;
    mvbtrFieldValueGetBCD(file, field, &value);
    if (BcdIsZero(value)) mvbtrValueError(kErrInvalidDate, file, field);
  }
  return mvbtrErrorStatus();
}

}  // namespace vv::driver
