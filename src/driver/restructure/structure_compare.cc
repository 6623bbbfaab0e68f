// What a commit learns by comparing the restructure record with the open
// table: whether the record layout changed (the file must be rebuilt),
// which new fields take their data from old ones, and which keys changed.
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/restructure/field_edit.h"
#include "driver/restructure/index_edit.h"
#include "driver/restructure/restructure.h"

namespace vv::driver {

void mvbtrFileCompareLayout(OpenFile* restructure, const OpenFile* table) {
  restructure->bLayoutChanged = 0;
  bool changed = restructure->nFields != table->nFields ||
                 restructure->nHostRecLen != table->nHostRecLen ||
                 restructure->nRecLen != table->nRecLen ||
                 ((restructure->nFileFlags ^ table->nFileFlags) & BTR_FILE_COMPRESSION) != 0;
  for (int32_t i = 1; !changed && i <= restructure->nFields; ++i) {
    const FieldDesc& now = restructure->lpFields[i];
    const FieldDesc& was = table->lpFields[i];
    changed = now.nBtrType != was.nBtrType || now.nOffset != was.nOffset || now.nSize != was.nSize;
  }
  restructure->bLayoutChanged = changed ? 1 : 0;
}

void mvbtrFieldMapSources(OpenFile* restructure, OpenFile* table) {
  restructure->bFieldsMapped = 0;
  if (restructure->lpFields == nullptr) return;
  if (restructure->bRecnumSupport != 0 && table->lpFields != nullptr) {
    restructure->lpFields[0].bHasSource = 1;
    restructure->lpFields[0].lpSource = &table->lpFields[0];
    restructure->bFieldsMapped = 1;
  }
  for (int32_t i = 1; i <= restructure->nFields; ++i) {
    FieldDesc& field = restructure->lpFields[i];
    field.bHasSource = 0;
    field.lpSource = nullptr;
    if (field.nFieldTag == 0) continue;
    for (int32_t j = 1; j <= table->nFields; ++j) {
      if (table->lpFields[j].nFieldTag != field.nFieldTag) continue;
      field.bHasSource = 1;
      field.lpSource = &table->lpFields[j];
      restructure->bFieldsMapped = 1;
    }
  }
}

namespace {

bool SegmentChanged(const SegmentDesc& now, const SegmentDesc& was) {
  if (now.nKeyFlags != was.nKeyFlags) return true;
  if (now.lpField == nullptr || was.lpField == nullptr) return now.lpField != was.lpField;
  return now.lpField->nOffset != was.lpField->nOffset || now.lpField->nSize != was.lpField->nSize ||
         now.lpField->nBtrType != was.lpField->nBtrType;
}

bool KeyChanged(const OpenFile* table, int32_t i, const IndexDesc& now) {
  if (i > table->nIndexes || table->lpIndexes == nullptr) return true;
  const IndexDesc& was = table->lpIndexes[i];
  if (now.nSegments != was.nSegments || now.nKeyLen != was.nKeyLen) return true;
  for (int32_t s = 1; s <= now.nSegments; ++s) {
    if (SegmentChanged(now.lpSegments[s], was.lpSegments[s])) return true;
  }
  return false;
}

}  // namespace

void mvbtrIndexMarkChanged(OpenFile* restructure, const OpenFile* table) {
  restructure->bIndexChanged = 0;
  if (restructure->lpIndexes == nullptr) return;
  // Indexes never leave the array (an index without segments keeps its
  // slot), so the restructure has at least the table's index numbers.
  for (int32_t i = mvbtrIndexFirst(restructure); i <= restructure->nIndexes; ++i) {
    IndexDesc& index = restructure->lpIndexes[i];
    index.bKeyChanged = KeyChanged(table, i, index) ? 1 : 0;
    if (index.bKeyChanged != 0) restructure->bIndexChanged = 1;
  }
}

int16_t mvbtrFieldCheckTextTypes(OpenFile* restructure) {
  const uint8_t textType = mvbtrGlobals()->nTextType;
  for (int32_t i = 1; i <= restructure->nFields; ++i) {
    const FieldDesc& field = restructure->lpFields[i];
    if (field.nHostType != kHostText && field.nHostType != kHostBinary) continue;
    const bool fits = textType == kTextNote ? field.nBtrType == BTR_TYPE_ZSTRING
                                            : field.nBtrType == BTR_TYPE_LONGVAR;
    if (!fits && mvbtrFieldSetType(restructure, i) != 0) return mvbtrErrorStatus();
  }
  return 0;
}

}  // namespace vv::driver
