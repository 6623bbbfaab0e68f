// btrFieldCreate: a new field in the restructure record, appended, inserted
// before a field, or as the record-number field in entry 0.
#include <cstring>

#include "driver/fields/type_map.h"
#include "driver/frame/entry_guard.h"
#include "driver/frame/errors.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "driver/restructure/arrays.h"
#include "driver/restructure/field_array.h"
#include "driver/restructure/field_edit.h"
#include "driver/restructure/index_edit.h"
#include "driver/restructure/restructure.h"
#include "driver/tables/file_open.h"
#include "driver/tables/file_record.h"

namespace vv::driver {
namespace {

constexpr const char* kEntry = "btrFieldCreate";
constexpr const char* kContext = "FieldCreate";

// The record-number field a table with RECNUM_SUPPORT keeps in entry 0: an
// AUTOINCREMENT integer at the start of the record, in front of every field.
constexpr int32_t kRecnumFieldSize = 4;
constexpr int32_t kRecnumFieldDigits = 10;
constexpr const char* kRecidNameDefault = "RECID";

// Where a new field n starts: behind the nearest field below it that takes
// bytes of its own and ends somewhere; behind the record number when there
// is none and the table keeps one in front of its fields.
int32_t NewFieldOffset(const OpenFile* file, const FieldDesc* fields, int32_t n) {
  for (int32_t j = n - 1; j >= 1; --j) {
    if (fields[j].nHostType == kHostOverlap) continue;
    const int32_t end = fields[j].nOffset + fields[j].nSize;
    if (end != 0) return end;
  }
  return file->bRecnumSupport != 0 ? kRecnumFieldSize : 0;
}

void FieldMoveBack(FieldDesc* field, int32_t delta) {
  field->nOffset += delta;
  if (field->lpData != nullptr) field->lpData += delta;
}

// Position -1: the table gets a record-number key. Entry 0 becomes an
// AUTOINCREMENT field of 4 bytes at offset 0 named RECID_NAME, every field
// moves back by 4 bytes, and the table keeps RECNUM_SUPPORT: its index 0 is
// a Btrieve key on that field from now on (one segment on field 0, made when
// the table has no index 0 yet). The field count stays; the result is the
// field's number, 0. A table that keeps a record-number key already cannot
// get a second one: error 77 "btrFieldCreate".
int32_t RecnumFieldCreate(OpenFile* file) {
  if (file->bRecnumSupport != 0) {
    mvbtrErrorReport(kErrBadFieldNumber, kEntry);
    return 0;
  }
  if (file->lpIndexes == nullptr && mvbtrIndexCreateDefault(file) != 0) return 0;
  if (file->lpIndexes[0].nSegments < 1 && mvbtrIndexSetSegmentCount(file, 0, 1) != 0) return 0;
  const int32_t count = file->nFields;
  auto* fields = ArrayNew<FieldDesc>(static_cast<std::size_t>(count) + 1, kContext);
  if (fields == nullptr) return 0;
  if (file->lpFields != nullptr) {
    std::memcpy(fields, file->lpFields, sizeof(FieldDesc) * (static_cast<std::size_t>(count) + 1));
  }
  const DriverGlobals* g = mvbtrGlobals();
  const char* recid = g->lpszRecidName != nullptr ? g->lpszRecidName : kRecidNameDefault;
  FieldDesc& field0 = fields[0];
  char* oldName = field0.lpszName;
  field0.lpszName = nullptr;
  if (mvbtrStrNewCpy(&field0.lpszName, recid) != 0) {
    mvbtrMemFree(&fields);
    return 0;
  }
  mvbtrMemFree(&oldName);
  field0.nNumber = 0;
  field0.nHostType = kHostBcd;
  field0.nBtrType = BTR_TYPE_AUTOINCREMENT;
  field0.nOffset = 0;
  field0.nSize = kRecnumFieldSize;
  field0.nHostLength = kRecnumFieldDigits;
  field0.nPrecision = 0;
  for (int32_t i = 1; i <= count; ++i) FieldMoveBack(&fields[i], kRecnumFieldSize);
  SegmentsRepoint(file, file->lpFields, count, fields, [](int32_t f) { return f; });
  FieldArrayInstall(file, fields, count);
  file->bRecnumSupport = 1;
  file->lpIndexes[0].nKeyLen = kRecnumFieldSize;
  mvbtrFileHostRecLenApply(file, file->nHostRecLen + kRecnumFieldSize);
  return 0;
}

}  // namespace

int32_t mvbtrFieldCreate(OpenFile* file, int32_t position) {
  const int32_t count = file->nFields;
  if (position < kFieldCreateRecnum || position > count + 1) {
    mvbtrErrorReport(kErrBadFieldNumber, kEntry);
    return 0;
  }
  if (position == kFieldCreateRecnum) return RecnumFieldCreate(file);

  auto* fields = ArrayNew<FieldDesc>(static_cast<std::size_t>(count) + 2, kContext);
  if (fields == nullptr) return 0;
  if (file->lpFields != nullptr) {
    std::memcpy(fields, file->lpFields, sizeof(FieldDesc) * (static_cast<std::size_t>(count) + 1));
  }
  const int32_t n = position == 0 ? count + 1 : position;
  if (position >= 1) {
    std::memmove(&fields[n + 1], &fields[n],
                 sizeof(FieldDesc) * static_cast<std::size_t>(count - n + 1));
  }
  FieldDesc& field = fields[n];
  std::memset(&field, 0, sizeof field);
  field.nNumber = n;
  field.nOffset = NewFieldOffset(file, fields, n);
  field.nHostType = kHostAscii;
  field.nHostLength = 0;
  // nFieldTag stays 0: a new field takes no data from the old table.
  if (mvbtrStrNewCpy(&field.lpszName, kNewFieldName) != 0 ||
      mvbtrFieldNameMakeUnique(file, &field.lpszName) != 0 ||
      mvbtrFieldMvTypeToBtrType(&field) != 0) {
    mvbtrMemFree(&field.lpszName);
    mvbtrMemFree(&fields);
    return 0;
  }
  if (position != 0) {
    for (int32_t j = n + 1; j <= count + 1; ++j) {
      fields[j].nNumber = j;
      FieldMoveBack(&fields[j], field.nSize);
    }
  }
  SegmentsRepoint(file, file->lpFields, count, fields,
                  [position](int32_t f) { return position != 0 && f >= position ? f + 1 : f; });
  FieldArrayInstall(file, fields, count + 1);
  if (position != 0 && file->nRecnumField >= position) ++file->nRecnumField;
  mvbtrFileHostRecLenApply(file, file->nHostRecLen + file->lpFields[n].nSize);
  return n;
}

}  // namespace vv::driver

extern "C" int32_t VV_CALL btrFieldCreate(int32_t hFile, int32_t position) {
  using namespace vv::driver;
  return GuardValue<int32_t>(kEntry, 0, [&]() -> int32_t {
    OpenFile* file = mvbtrRestructureGet(hFile, kEntry);
    return file != nullptr ? mvbtrFieldCreate(file, position) : 0;
  });
}
