// Preparing a find along a Btrieve key: the state of the key fields, the key
// built from the record buffer, and the situation it gives.
#include <cstring>

#include "driver/frame/util/scratch.h"
#include "driver/records/key_build.h"
#include "driver/records/record_find.h"
#include "driver/records/record_find_steps.h"
#include "driver/tables/file_record.h"

namespace vv::driver {
namespace {

// The record-number field (entry 0), null when the table has no fields.
FieldDesc* Field0(OpenFile* file) {
  return file->lpFields != nullptr ? &file->lpFields[0] : nullptr;
}

struct KeyState {
  bool touched = false;  // some key field holds a value
  bool changed = false;  // some key field was changed by the host
  bool hasField0 = false;
};

// A changed record number counts only when it is an ordinary field of the
// key (RECNUM_SUPPORT); otherwise the record number appended to a key is
// looked at on its own (KeyMatchesCurrent).
KeyState KeyStateOf(const OpenFile* file, const IndexDesc* desc, const FieldDesc* field0) {
  KeyState state;
  if (desc == nullptr || desc->lpSegments == nullptr) return state;
  for (int32_t s = 1; s <= desc->nSegments; ++s) {
    const FieldDesc* field = desc->lpSegments[s].lpField;
    if (field == nullptr) continue;
    const bool isField0 = field == field0;
    state.hasField0 = state.hasField0 || isField0;
    state.touched = state.touched || field->bFieldTouched != 0;
    if (field->bFieldChanged != 0 && (file->bRecnumSupport != 0 || !isField0)) {
      state.changed = true;
    }
  }
  return state;
}

void KeyBuild(OpenFile* file, const IndexDesc* desc) {
  if (file->lpKeyBuf != nullptr) {
    mvbtrRecordKeyBuild(file, desc, file->lpKeyBuf, file->nKeyBufSize);
  }
}

// The host set the record number of a key with the record number appended.
// Repositioning on the key at nRecnum makes Btrieve return that record's key
// in lpKeyBuf; when the key built from the buffer is that key, the host named
// the current record, and the find moves relative to it. Otherwise lpKeyBuf
// is built again from the buffer. The built key is laid over a copy of
// lpKeyBuf, so that bytes after the key compare equal.
bool KeyMatchesCurrent(OpenFile* file, const IndexDesc* desc, int16_t keyNumber) {
  if (mvbtrRecordReposition(file, keyNumber) == 0 && file->lpKeyBuf != nullptr) {
    const auto size = static_cast<std::size_t>(file->nKeyBufSize);
    auto* built = static_cast<uint8_t*>(mvbtrScratchBuffer(kKeyValBuffer, size));
    if (built == nullptr) return false;
    std::memcpy(built, file->lpKeyBuf, size);
    mvbtrRecordKeyBuild(file, desc, built, file->nKeyBufSize);
    if (std::memcmp(built, file->lpKeyBuf, size) == 0) return true;
  }
  KeyBuild(file, desc);
  return false;
}

}  // namespace

KeyFindPlan mvbtrFindKeyPrepare(OpenFile* file, int32_t index, const IndexDesc* desc,
                                int16_t keyNumber, int32_t mode) {
  FieldDesc* field0 = Field0(file);
  const bool field0Changed = field0 != nullptr && field0->bFieldChanged != 0;
  KeyState key = KeyStateOf(file, desc, field0);
  KeyBuild(file, desc);

  if (index != 0 && file->bRecnumSupport == 0 && field0Changed && key.hasField0 &&
      KeyMatchesCurrent(file, desc, keyNumber)) {
    key.touched = true;
    key.changed = false;
    file->bFound = 1;
  }

  KeyFindPlan plan{FindSituation::kRelative, mode};
  if (!key.touched) {
    plan.situation = FindSituation::kFromEnd;
  } else if (key.changed || file->bFound == 0) {
    plan.situation = FindSituation::kKeySearch;
  } else if (file->nCurIndex != keyNumber && mvbtrRecordReposition(file, keyNumber) != 0) {
    plan.situation = FindSituation::kKeySearch;
  }
  if (plan.situation == FindSituation::kKeySearch && desc != nullptr &&
      desc->bRecnumAppended != 0) {
    // The record number appended to the key is not part of the value the
    // host searches for: greater finds from the host's value on, and less
    // includes it when the host named a record number.
    if (mode == kFindGreater) plan.mode = kFindGreaterOrEqual;
    if (mode == kFindLess && field0Changed) plan.mode = kFindLessOrEqual;
  }
  return plan;
}

}  // namespace vv::driver
