// Whole field arrays: the copy a restructure starts from, a new table's
// field 0, and the installation of a replaced array.
#include <cstring>

#include "driver/frame/util/memory.h"
#include "driver/restructure/arrays.h"
#include "driver/restructure/field_array.h"
#include "driver/restructure/field_edit.h"

namespace vv::driver {
namespace {

void FieldsFree(OpenFile* file) {
  for (int32_t i = 0; file->lpFields != nullptr && i <= file->nFields; ++i) {
    FieldOverlapsFree(&file->lpFields[i]);
    mvbtrMemFree(&file->lpFields[i].lpszName);
  }
  mvbtrMemFree(&file->lpFields);
  file->nFields = 0;
}

}  // namespace

void FieldOverlapsFree(FieldDesc* field) {
  while (field->lpOverlaps != nullptr) {
    OverlapLink* next = field->lpOverlaps->lpNext;
    mvbtrMemFree(&field->lpOverlaps);
    field->lpOverlaps = next;
  }
  field->nOverlaps = 0;
}

void FieldArrayInstall(OpenFile* file, FieldDesc* fields, int32_t count) {
  mvbtrMemFree(&file->lpFields);
  file->lpFields = fields;
  file->nFields = count;
  for (int32_t i = 0; i <= count; ++i) {
    FieldOverlapsFree(&fields[i]);
    fields[i].lpNextLongvar = fields[i].lpPrevLongvar = nullptr;
  }
  file->lpFirstLongvar = file->lpLastLongvar = nullptr;
  mvbtrMemFree(&file->lpLongvars);
  file->nLongvars = 0;
  mvbtrMemFree(&file->lpRelFields);
  file->nRelFields = 0;
}

int16_t mvbtrFieldCopyAll(OpenFile* target, const OpenFile* source) {
  FieldsFree(target);
  if (source->lpFields == nullptr) return 0;
  const int32_t count = source->nFields;
  auto* fields = ArrayNew<FieldDesc>(static_cast<std::size_t>(count) + 1, "mvbtrFieldCopyAll");
  if (fields == nullptr) return mvbtrErrorStatus();
  std::memcpy(fields, source->lpFields, sizeof(FieldDesc) * (static_cast<std::size_t>(count) + 1));
  for (int32_t i = 0; i <= count; ++i) {
    FieldDesc& field = fields[i];
    field.lpszName = nullptr;
    field.nOverlaps = 0;
    field.lpOverlaps = nullptr;
    // The copy has no record buffer of its own yet, and the source's
    // buffer and chains are not its to use.
    field.lpData = nullptr;
    field.lpNextLongvar = field.lpPrevLongvar = nullptr;
    field.lpSource = nullptr;
    field.bHasSource = 0;
    field.nOldNumber = source->lpFields[i].nNumber;
  }
  target->lpFields = fields;
  target->nFields = count;
  for (int32_t i = 0; i <= count; ++i) {
    if (mvbtrStrNewCpy(&fields[i].lpszName, source->lpFields[i].lpszName) != 0) {
      FieldsFree(target);
      return mvbtrErrorStatus();
    }
  }
  return 0;
}

int16_t mvbtrFieldCreateDefault(OpenFile* file) {
  if (file->lpFields == nullptr) {
    file->lpFields = ArrayNew<FieldDesc>(1, "mvbtrFieldCreateDefault");
    if (file->lpFields == nullptr) return mvbtrErrorStatus();
  }
  FieldDesc& field0 = file->lpFields[0];
  field0.nHostType = kHostBcd;
  field0.nBtrType = BTR_TYPE_INTEGER;
  field0.nHostLength = 4;
  return 0;
}

}  // namespace vv::driver
