// A field's length and type during a restructure: its size follows its
// Btrieve type, and the fields behind it move by the change, so the record
// stays packed.
#include <algorithm>

#include "driver/fields/type_map.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/restructure/field_edit.h"
#include "driver/tables/file_record.h"

namespace vv::driver {
namespace {

// Largest sizes of the text encodings and of a packed decimal.
constexpr int32_t kStringMax = 255;
constexpr int32_t kLstringMax = 256;
constexpr int32_t kZstringMax = 16383;
constexpr int32_t kNoteMax = 32767;
constexpr int32_t kDecimalMax = 12;
// Host lengths and decimals of the numeric types whose size is fixed.
constexpr int32_t kFloatDigits = 14;
constexpr int32_t kFloatDecimals = 8;
constexpr int32_t kDecimalsMax = 8;  // beyond these a packed decimal is 8 bytes
constexpr int32_t kCurrencyDigits = 14;
constexpr int32_t kCurrencyDecimals = 4;
constexpr int32_t kTimestampDigits = 18;
constexpr int32_t kTimestampDecimals = 7;
// A date held in a numeric type: its host length by the kind of number.
constexpr int32_t kDateAsIntegerDigits = 9;
constexpr int32_t kDateAsDateDigits = 4;
constexpr int32_t kDateAsDecimalDigits = 7;
constexpr int32_t kDateSize = 4;
constexpr int32_t kEightBytes = 8;

// The Btrieve size of a field of Btrieve type `type` and host length h; 0
// and *error set when the type's size cannot be chosen.
int32_t SizeForHostLength(int32_t type, int32_t h, int16_t* error) {
  switch (type) {
    case BTR_TYPE_STRING:
    case BTR_TYPE_LOGICAL:
    case BTR_TYPE_NUMERIC:
    case BTR_TYPE_NUMERIC_SA:
      return h;
    case BTR_TYPE_INTEGER:
    case BTR_TYPE_UNSIGNED:
    case BTR_TYPE_AUTOINCREMENT:
      return h < 3 ? 1 : h <= 4 ? 2 : h <= 9 ? 4 : 8;
    case BTR_TYPE_FLOAT:
      return h <= 6 ? 4 : 8;
    case BTR_TYPE_DECIMAL:
    case BTR_TYPE_MONEY:
      return h / 2 + 1;
    case BTR_TYPE_LSTRING:
      return h < 256 ? h + 1 : h + 2;
    case BTR_TYPE_ZSTRING:
    case BTR_TYPE_NOTE:
    case BTR_TYPE_NUMERIC_STS:
      return h + 1;
    case BTR_TYPE_LONGVAR:
      return kEightBytes;
    case BTR_TYPE_DATE:
    case BTR_TYPE_TIME:
    case BTR_TYPE_CURRENCY:
    case BTR_TYPE_TIMESTAMP:
      *error = kErrLengthFixedDate;
      return 0;
    default:
      *error = kErrLengthFixed;
      return 0;
  }
}

// A text size within max; the host length follows it.
void TextFit(FieldDesc* field, int32_t max) {
  field->nSize = std::min(field->nSize, max);
  if (field->nBtrType == BTR_TYPE_LSTRING) {
    field->nHostLength = field->nSize < 256 ? field->nSize - 1 : field->nSize - 2;
  } else if (field->nBtrType == BTR_TYPE_STRING) {
    field->nHostLength = field->nSize;
  } else {
    field->nHostLength = field->nSize - 1;
  }
}

void FixedFit(FieldDesc* field, int32_t size, int32_t hostLength, int32_t decimals) {
  field->nSize = size;
  field->nHostLength = hostLength;
  field->nPrecision = decimals;
}

// The sizes of text fields and the host lengths that follow; false for a
// Btrieve type a text of that host type cannot have.
bool TextTypeFit(FieldDesc* field) {
  const int32_t type = field->nBtrType;
  const bool ascii = field->nHostType == kHostAscii;
  if (type == BTR_TYPE_LSTRING) {
    TextFit(field, kLstringMax);
  } else if (type == BTR_TYPE_ZSTRING) {
    TextFit(field, kZstringMax);
  } else if (ascii && type == BTR_TYPE_STRING) {
    TextFit(field, kStringMax);
  } else if (ascii && type == BTR_TYPE_NOTE) {
    TextFit(field, kNoteMax);
  } else if (!ascii && type == BTR_TYPE_STRING) {
    // Long text keeps its host length: the value may be longer than the field.
    field->nSize = std::min(field->nSize, kStringMax);
    field->nPrecision = 0;
  } else if (!ascii && type == BTR_TYPE_LONGVAR) {
    field->nSize = kEightBytes;
  } else {
    return false;
  }
  return true;
}

bool NumberTypeFit(FieldDesc* field) {
  switch (field->nBtrType) {
    case BTR_TYPE_INTEGER:
    case BTR_TYPE_UNSIGNED:
    case BTR_TYPE_AUTOINCREMENT: {
      const int32_t size = std::clamp(field->nSize, 1, kEightBytes);
      FixedFit(field, size, mvbtrIntegerDigits(size), 0);
      return true;
    }
    case BTR_TYPE_FLOAT: {
      int32_t size = std::max(field->nSize, 4);
      if (size > 4) size = kEightBytes;
      FixedFit(field, size, kFloatDigits, kFloatDecimals);
      return true;
    }
    case BTR_TYPE_DECIMAL:
    case BTR_TYPE_MONEY:
      field->nSize = std::clamp(field->nSize, 1, kDecimalMax);
      if (field->nPrecision > kDecimalsMax) field->nSize = kEightBytes;
      field->nHostLength = 2 * field->nSize - 1;
      return true;
    case BTR_TYPE_CURRENCY:
      FixedFit(field, kEightBytes, kCurrencyDigits, kCurrencyDecimals);
      return true;
    case BTR_TYPE_TIMESTAMP:
      FixedFit(field, kEightBytes, kTimestampDigits, kTimestampDecimals);
      return true;
    default:
      return false;
  }
}

// A date kept as a number: 4 bytes, with the host length of that number.
bool DateTypeFit(FieldDesc* field) {
  switch (field->nBtrType) {
    case BTR_TYPE_INTEGER:
    case BTR_TYPE_FLOAT:
    case BTR_TYPE_UNSIGNED:
    case BTR_TYPE_AUTOINCREMENT:
      FixedFit(field, kDateSize, kDateAsIntegerDigits, 0);
      return true;
    case BTR_TYPE_DATE:
      FixedFit(field, kDateSize, kDateAsDateDigits, 0);
      return true;
    case BTR_TYPE_DECIMAL:
    case BTR_TYPE_MONEY:
    case BTR_TYPE_NUMERIC:
    case BTR_TYPE_NUMERIC_STS:
    case BTR_TYPE_NUMERIC_SA:
      FixedFit(field, kDateSize, kDateAsDecimalDigits, 0);
      return true;
    default:
      return false;
  }
}

// Brings a field's size into the range its host and Btrieve type allow and
// sets the host length and decimals that follow. False when the two types do
// not go together.
bool TypeFit(FieldDesc* field) {
  switch (field->nHostType) {
    case kHostAscii:
    case kHostText:
      return TextTypeFit(field);
    case kHostBcd:
      return NumberTypeFit(field);
    case kHostDate:
      return DateTypeFit(field);
    case kHostOverlap:
      if (field->nBtrType != BTR_TYPE_STRING) return false;
      FixedFit(field, field->nSize, field->nSize, 0);
      return true;
    default:
      // BINARY and RESERVE1 fields keep what the type mapping gave them.
      return true;
  }
}

// Moves the other fields that start at or behind field f by offsetDelta and
// grows every key on f by keyDelta per segment. Of the fields that start
// exactly where f starts, those in front of f in field order stay: they are
// empty fields that come first (new fields start out empty).
void FieldsMove(OpenFile* file, int32_t f, int32_t offsetDelta, int32_t keyDelta) {
  FieldDesc* target = &file->lpFields[f];
  const int32_t start = target->nOffset;
  for (int32_t i = 1; offsetDelta != 0 && i <= file->nFields; ++i) {
    FieldDesc& field = file->lpFields[i];
    if (i == f || field.nOffset < start) continue;
    if (field.nOffset == start && field.nHostType != kHostOverlap && i < f) continue;
    field.nOffset += offsetDelta;
  }
  for (int32_t i = 0; keyDelta != 0 && file->lpIndexes != nullptr && i <= file->nIndexes; ++i) {
    IndexDesc& index = file->lpIndexes[i];
    for (int32_t s = 1; index.lpSegments != nullptr && s <= index.nSegments; ++s) {
      if (index.lpSegments[s].lpField == target) index.nKeyLen += keyDelta;
    }
  }
  mvbtrFileHostRecLenSet(file);
}

}  // namespace

void mvbtrFieldShift(OpenFile* file, int32_t f, int32_t delta) {
  FieldsMove(file, f, delta, delta);
}

int16_t mvbtrFieldSetLength(OpenFile* file, int32_t f) {
  FieldDesc* field = &file->lpFields[f];
  if (field->nHostType == kHostOverlap) {
    field->nSize = field->nHostLength;
    return 0;
  }
  int16_t error = 0;
  const int32_t size = SizeForHostLength(field->nBtrType, field->nHostLength, &error);
  if (error != 0) {
    mvbtrErrorReport(error, nullptr);
    return mvbtrErrorStatus();
  }
  const int32_t delta = size - field->nSize;
  field->nSize = size;
  mvbtrFieldShift(file, f, delta);
  return 0;
}

int16_t mvbtrFieldSetType(OpenFile* file, int32_t f) {
  FieldDesc* field = &file->lpFields[f];
  const int32_t oldSize = field->nSize;
  if (mvbtrFieldMvTypeToBtrType(field) != 0) return mvbtrErrorStatus();
  const int32_t chosen = field->nSize;
  if (!TypeFit(field)) {
    mvbtrErrorReport(kErrTypePair, nullptr);
    return mvbtrErrorStatus();
  }
  if (field->nHostType == kHostBinary) {
    field->nFieldDdfFlags |= kDdfFieldBinary;
  } else {
    field->nFieldDdfFlags &= static_cast<uint16_t>(~kDdfFieldBinary);
  }
  const int32_t sizeDelta = field->nSize - oldSize;
  if (field->nHostType == kHostOverlap) {
    // An OVERLAP field takes no bytes of its own: the fields behind it take
    // its place.
    FieldsMove(file, f, -field->nHostLength, sizeDelta);
  } else if (field->nSize != chosen || sizeDelta != 0) {
    mvbtrFieldShift(file, f, sizeDelta);
  }
  return 0;
}

}  // namespace vv::driver
