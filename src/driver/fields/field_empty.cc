// The empty value of a field: what a cleared record buffer holds, and what a
// field holds while it is null.
#include "driver/fields/field_empty.h"

#include <cstring>

#include "driver/fields/field_access.h"
#include "driver/fields/longvar.h"

namespace vv::driver {

void mvbtrFieldSetEmpty(OpenFile* file, FieldDesc* field) {
  if (field->nHostType == kHostOverlap || field->lpData == nullptr || field->nSize <= 0) return;
  uint8_t* data = field->lpData;
  int32_t size = field->nSize;
  if (field->nBtrType == BTR_TYPE_LONGVAR) {
    mvbtrLongvarSetEmpty(file, field);
    return;
  }
  std::memset(data, 0, static_cast<std::size_t>(size));
  switch (field->nBtrType) {
    case BTR_TYPE_STRING:
      std::memset(data, ' ', static_cast<std::size_t>(size));
      break;
    case BTR_TYPE_DECIMAL:
    case BTR_TYPE_MONEY:
      // Positive zero: every digit 0, then the positive sign nibble.
      data[size - 1] = mvbtrComp3SignPos() & 0x0F;
      break;
    case BTR_TYPE_NUMERIC:
    case BTR_TYPE_NUMERIC_SA:
      if (field->bIsNull == 0) std::memset(data, '0', static_cast<std::size_t>(size));
      break;
    case BTR_TYPE_NUMERIC_STS:
      if (field->bIsNull == 0) {
        std::memset(data, '0', static_cast<std::size_t>(size));
        data[size - 1] = '+';
      }
      break;
    default:
      // Zero bytes are the empty value of every other type (IEEE 0.0 too).
      break;
  }
}

void mvbtrFieldSetNullIndicator(OpenFile* file, FieldDesc* field) {
  uint8_t* indicator = mvbtrNullIndicator(file, field);
  if (indicator == nullptr) return;
  bool isNull = field->bIsNull != 0;
  if ((*indicator != 0) == isNull) return;
  *indicator = isNull ? 1 : 0;
  mvbtrFieldSetEmpty(file, field);
}

}  // namespace vv::driver
