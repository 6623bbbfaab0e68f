#include "driver/fields/type_map.h"

#include <cstring>

#include "driver/fields/field_access.h"
#include "driver/fields/longvar.h"
#include "driver/frame/errors.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/settings/keywords.h"

namespace vv::driver {
namespace {

// Longest value a fixed-length text field shows the host as ASCII.
constexpr int32_t kAsciiMax = 255;

struct IntegerDigitsRow {
  int32_t bytes;
  int32_t digits;
};
constexpr IntegerDigitsRow kIntegerDigits[] = {{1, 3}, {2, 5}, {4, 10}, {8, 14}};
// Host length of an integer whose byte length has no row.
constexpr int32_t kIntegerDigitsFallback = 14;

bool TextTypeNote() {
  const DriverGlobals* g = mvbtrGlobals();
  return g != nullptr && g->nTextType == kTextNote;
}

}  // namespace

const char* const kHostTypeNames[kHostTypeCount + 1] = {VV_HOST_TYPE_NAME_LIST, ""};

const char* const kBtrTypeNames[kBtrTypeNameCount + 1] = {
    "STRING",   "INTEGER",       "IEEE",    "DATE",        "TIME",       "DECIMAL", "MONEY",
    "LOGICAL",  "NUMERIC",       "BFLOAT",  "LSTRING",     "ZSTRING",    "NOTE",    "UNKNOWN",
    "UNSIGNED", "AUTOINCREMENT", "UNKNOWN", "NUMERIC_STS", "NUMERIC_SA", nullptr};

// The auxiliary names are the words of the FIELD_TYPE_AUX keyword.
const char* const* mvbtrAuxTypeNames() {
  return kKeywords[kKwFieldTypeAux].words;
}

const char* mvbtrBtrTypeName(int32_t type) {
  if (type >= 0 && type < kBtrTypeNameCount) return kBtrTypeNames[type];
  const char* const* aux = mvbtrAuxTypeNames();
  for (int32_t i = 0; aux[i] != nullptr; ++i) {
    if (type == kAuxBase + i) return aux[i];
  }
  return nullptr;
}

int32_t mvbtrBtrTypeNameFind(const char* upperName) {
  for (int32_t i = 0; i < kBtrTypeNameCount; ++i) {
    if (std::strcmp(kBtrTypeNames[i], upperName) == 0) return i;
  }
  return -1;
}

int32_t mvbtrAuxTypeNameFind(const char* upperName) {
  const int position = mvbtrKeywordWordFind(kKwFieldTypeAux, upperName);
  return position < 0 ? -1 : kAuxBase + position;
}

int32_t mvbtrIntegerDigits(int32_t byteLength) {
  for (const IntegerDigitsRow& row : kIntegerDigits) {
    if (row.bytes == byteLength) return row.digits;
  }
  return 0;
}

int16_t mvbtrFieldMvTypeToBtrType(FieldDesc* field) {
  const int32_t hostLength = field->nHostLength;
  switch (field->nHostType) {
    case kHostAscii:
    case kHostOverlap:
      field->nBtrType = BTR_TYPE_STRING;
      field->nSize = hostLength;
      field->nPrecision = 0;
      return 0;
    case kHostBcd:
      field->nBtrType = BTR_TYPE_DECIMAL;
      field->nSize = hostLength / 2 + 1;
      return 0;
    case kHostDate:
      field->nBtrType = BTR_TYPE_DATE;
      field->nSize = 4;
      field->nHostLength = 4;
      field->nPrecision = 0;
      return 0;
    case kHostText:
      if (TextTypeNote()) {
        field->nBtrType = BTR_TYPE_ZSTRING;
        field->nSize = hostLength + 1;
      } else {
        field->nBtrType = BTR_TYPE_LONGVAR;
        field->nSize = kLongvarRefSize;
      }
      return 0;
    case kHostBinary:
      if (TextTypeNote()) {
        field->nBtrType = kAuxLstring2;
        field->nSize = hostLength + 2;
        field->nPrecision = 0;
      } else {
        field->nBtrType = BTR_TYPE_LONGVAR;
        field->nSize = kLongvarRefSize;
        field->nFieldDdfFlags |= kDdfFieldBinary;
      }
      return 0;
    default:
      mvbtrErrorReport(kErrHostType, "mvbtrFieldMvTypeToBtrType");
      return mvbtrErrorStatus();
  }
}

int16_t mvbtrFieldBtrTypeToMvType(OpenFile* file, FieldDesc* field, bool* hasNote) {
  const int32_t length = field->nSize;
  field->nHostType = kHostBcd;  // the numeric types below; the others set their own
  switch (field->nBtrType) {
    case BTR_TYPE_STRING:
      if (length <= kAsciiMax) {
        field->nHostType = kHostAscii;
        field->nHostLength = length;
      } else {
        // Long strings are stored with a 2-byte length in front.
        field->nHostType = kHostText;
        field->nBtrType = kAuxLstring2;
        field->nHostLength = length - 2;
      }
      return 0;
    case BTR_TYPE_LSTRING:
    case BTR_TYPE_ZSTRING:
      field->nHostLength = length - 1;
      field->nHostType = field->nHostLength > kAsciiMax ? kHostText : kHostAscii;
      return 0;
    case BTR_TYPE_NOTE:
      field->nHostType = kHostText;
      field->nHostLength = length - 1;
      if (hasNote != nullptr) *hasNote = true;
      return 0;
    case BTR_TYPE_INTEGER:
    case BTR_TYPE_UNSIGNED:
    case BTR_TYPE_AUTOINCREMENT:
      field->nHostLength = mvbtrIntegerDigits(length);
      if (field->nHostLength == 0) {
        field->nHostLength = kIntegerDigitsFallback;
        mvbtrErrorReport(kErrIntegerLength, mvbtrFieldName(field));
        return mvbtrErrorStatus();
      }
      return 0;
    case BTR_TYPE_FLOAT:
    case BTR_TYPE_BFLOAT:
      field->nHostLength = 22;
      field->nPrecision = 8;
      return 0;
    case BTR_TYPE_DATE:
      field->nHostType = kHostDate;
      field->nHostLength = length;
      return 0;
    case BTR_TYPE_TIME:
      field->nHostLength = 8;
      return 0;
    case BTR_TYPE_DECIMAL:
    case BTR_TYPE_MONEY:
      field->nHostLength = 2 * length - 1;
      return 0;
    case BTR_TYPE_LOGICAL:
      field->nHostLength = 3;
      return 0;
    case BTR_TYPE_NUMERIC:
    case BTR_TYPE_NUMERIC_SA:
      field->nHostLength = length;
      return 0;
    case BTR_TYPE_BIT:
      field->nHostLength = 1;
      return 0;
    case BTR_TYPE_NUMERIC_STS:
      field->nHostLength = length - 1;
      return 0;
    case BTR_TYPE_CURRENCY:
      field->nHostLength = 18;
      field->nPrecision = 4;
      return 0;
    case BTR_TYPE_TIMESTAMP:
      field->nHostLength = 18;
      field->nPrecision = 7;
      return 0;
    case BTR_TYPE_LONGVAR:
      field->nHostType = (field->nFieldDdfFlags & kDdfFieldBinary) != 0 ? kHostBinary : kHostText;
      field->nHostLength = mvbtrMaxTextLen();
      field->nSize = kLongvarRefSize;
      ++file->nLongvars;
      return 0;
    default:
      // Type 13 has no mapping (the dictionary reader skips types from 22
      // on): an ASCII field of host length 0.
      field->nHostType = kHostAscii;
      field->nHostLength = 0;
      return 0;
  }
}

int32_t mvbtrFieldDdfType(int32_t btrType) {
  return btrType == kAuxLstring2 || btrType == kAuxMvbcd ? int32_t{BTR_TYPE_STRING} : btrType;
}

}  // namespace vv::driver
