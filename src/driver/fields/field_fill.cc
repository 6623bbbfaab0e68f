// btrFieldFill: sets a field to the lowest or highest value its Btrieve type
// holds in key order, so that a find can start at either end of a range.
#include <cstring>

#include "driver/fields/date_time.h"
#include "driver/fields/field_access.h"
#include "driver/fields/field_fill_map.h"
#include "driver/fields/field_text.h"
#include "driver/fields/le_bytes.h"
#include "driver/frame/entry_guard.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "veverave/driver.h"

namespace vv::driver {
namespace {

constexpr int32_t kFillLow = 1;  // any other direction fills high

// The highest DATE (31 December 3000) and TIME (23:59:59.99).
constexpr uint8_t kDateHigh[kBtrDateSize] = {31, 12, kBtrDateMaxYear & 0xFF, kBtrDateMaxYear >> 8};
constexpr uint8_t kTimeHigh[kBtrTimeSize] = {99, 59, 59, 23};
// The most negative finite IEEE numbers, little-endian.
constexpr uint8_t kFloatLow[4] = {0xFF, 0xFF, 0x7F, 0xFF};
constexpr uint8_t kDoubleLow[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xEF, 0xFF};

// Packed decimal and numeric strings are filled with nines and a sign; the
// fill uses the standard sign nibbles whatever COMP3_SIGN_POS and
// COMP3_SIGN_NEG say.
void Nines(uint8_t* data, int32_t size, uint8_t nine, uint8_t last) {
  std::memset(data, nine, static_cast<std::size_t>(size));
  data[size - 1] = last;
}

// Text fills go through the text put (keep-end set), so they follow its
// rules: the table's character set, PAD_STRING, and no change for a numeric
// host type.
void TextFill(OpenFile* file, FieldDesc* field, uint8_t* work, uint8_t fill) {
  std::memset(work, fill, static_cast<std::size_t>(field->nSize));
  work[field->nSize] = 0;
  mvbtrFieldPutString(file, field, reinterpret_cast<const char*>(work), 0, 0, 1);
}

void Fill(OpenFile* file, FieldDesc* field, bool low, uint8_t* work) {
  uint8_t* data = field->lpData;
  int32_t size = field->nSize;
  uint8_t highByte = file->nFillHigh != 0 ? file->nFillHigh : 0xFF;
  switch (field->nBtrType) {
    case BTR_TYPE_STRING:
    case BTR_TYPE_LOGICAL:
      if (!low) file->nFillHigh = highByte;
      TextFill(file, field, work, low ? file->nFillLow : highByte);
      return;
    case BTR_TYPE_LSTRING:
    case BTR_TYPE_ZSTRING:
    case BTR_TYPE_NOTE:
      if (low) {
        data[0] = 0;
      } else {
        file->nFillHigh = highByte;
        TextFill(file, field, work, highByte);
      }
      return;
    case BTR_TYPE_INTEGER:
    case BTR_TYPE_AUTOINCREMENT:
      // The smallest and largest signed numbers; 8-byte fields stay as they are.
      if (size == 1 || size == 2 || size == 4) {
        uint64_t top = uint64_t{1} << (size * 8 - 1);
        StoreLe(data, low ? top : top - 1, size);
      }
      return;
    case BTR_TYPE_UNSIGNED:
      std::memset(data, low ? 0x00 : 0xFF, static_cast<std::size_t>(size));
      return;
    case BTR_TYPE_DATE:
    case BTR_TYPE_TIME:
      if (size >= kBtrDateSize) {
        const uint8_t* high = field->nBtrType == BTR_TYPE_DATE ? kDateHigh : kTimeHigh;
        if (low) {
          std::memset(data, 0, kBtrDateSize);
        } else {
          std::memcpy(data, high, kBtrDateSize);
        }
      }
      return;
    case BTR_TYPE_DECIMAL:
    case BTR_TYPE_MONEY:
      Nines(data, size, 0x99, low ? 0x9D : 0x9F);
      return;
    case BTR_TYPE_NUMERIC:
      Nines(data, size, '9', low ? 'R' : 'I');
      return;
    case BTR_TYPE_NUMERIC_STS:
      Nines(data, size, '9', low ? '-' : '+');
      return;
    case BTR_TYPE_NUMERIC_SA:
      Nines(data, size, '9', low ? 'y' : '9');
      return;
    case BTR_TYPE_FLOAT:
    case BTR_TYPE_BFLOAT:
      if (!low) {
        std::memset(data, 0xFF, static_cast<std::size_t>(size));
      } else if (field->nBtrType == BTR_TYPE_BFLOAT) {
        // All ones is the most negative MBF number: top exponent, sign set,
        // full mantissa.
        std::memset(data, 0xFF, static_cast<std::size_t>(size));
      } else if (size == 4 || size == 8) {
        std::memcpy(data, size == 4 ? kFloatLow : kDoubleLow, static_cast<std::size_t>(size));
      }
      return;
    default:
      return;  // no order defined: unchanged
  }
}

}  // namespace

int16_t mvbtrFieldFill(OpenFile* file, FieldDesc* field, int32_t direction) {
  int32_t size = field->nSize;
  if (size <= 0) return mvbtrErrorStatus();
  auto* work = static_cast<uint8_t*>(DriverAlloc(static_cast<std::size_t>(size) + 1));
  if (work == nullptr) {
    mvbtrErrorReport(kErrOutOfMemory, "mvbtrFieldFill");
    return mvbtrErrorStatus();
  }
  Fill(file, field, direction == kFillLow, work);
  // The field counts as written even when its type left it unchanged.
  file->bChanged = 1;
  field->bFieldChanged = 1;
  DriverFree(work);
  return mvbtrErrorStatus();
}

}  // namespace vv::driver

extern "C" int16_t VV_CALL btrFieldFill(int32_t hFile, int32_t field, int32_t kind) {
  static constexpr const char* kEntry = "btrFieldFill";
  return vv::driver::GuardStatus(kEntry, [&] {
    vv::driver::OpenFile* file = vv::driver::mvbtrFieldFileGet(hFile, kEntry);
    if (file == nullptr) return vv::driver::mvbtrErrorStatus();
    vv::driver::FieldDesc* desc = vv::driver::mvbtrFieldDescGet(file, field, kEntry);
    if (desc == nullptr) return vv::driver::mvbtrErrorStatus();
    return vv::driver::mvbtrFieldFill(file, desc, kind);
  });
}
