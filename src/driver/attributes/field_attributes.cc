// Field attributes (201 to 299, 701 to 799; first number: the field, 0 for
// the record-number field): the host's view of a field, its place in the
// record, its relations and its null state. Type, length, decimals, offset
// and Btrieve type are set only in a restructure, where the fields behind a
// field that grows or shrinks move with it.
#include <cstring>
#include <string>

#include "driver/attributes/attribute.h"
#include "driver/attributes/field_length.h"
#include "driver/fields/field_empty.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "driver/restructure/field_edit.h"
#include "driver/tables/file_record.h"
#include "veverave/host_services.h"

namespace vv::driver {
namespace {

// What the record-number field (field 0) shows the host: a BCD number of
// 10 digits in 4 bytes, named "RECNUM". Its other attributes are 0.
constexpr int32_t kField0Length = 10;
constexpr int32_t kField0Size = 4;
constexpr const char* kField0Name = "RECNUM";

FieldDesc& Field(AttrCall* call) {
  return call->lpTarget->lpFields[call->n1];
}

// A getter of a member of the field; field 0 answers kField0.
template <int32_t FieldDesc::*kMember, int32_t kField0 = 0>
int16_t MemberGet(AttrCall* call, int32_t* value) {
  *value = call->n1 == 0 ? kField0 : Field(call).*kMember;
  return 0;
}

template <uint8_t FieldDesc::*kMember>
int16_t FlagGet(AttrCall* call, int32_t* value) {
  *value = call->n1 == 0 ? 0 : Field(call).*kMember;
  return 0;
}

int16_t OffsetGet(AttrCall* call, int32_t* value) {
  *value = call->n1 == 0 ? 0 : Field(call).nOffset + 1;
  return 0;
}

// The old number exists only in a restructure record.
int16_t OldNumberGet(AttrCall* call, int32_t* value) {
  if (call->hFile > 0 && call->nSelector != kAttrSelectorRestructure) {
    return mvbtrAttrFail(kErrNoRestructure);
  }
  *value = call->n1 == 0 ? 0 : Field(call).nOldNumber;
  return 0;
}

int16_t OldNumberSet(AttrCall* call, int32_t value) {
  if (call->hFile < 0) return 0;
  if (value < 0 || value > call->lpFile->nFields) return mvbtrAttrFail(kErrBadAttributeValue);
  return 0;
}

// Whether the field and the field of the second number share bytes.
int16_t SharesBytesGet(AttrCall* call, int32_t* value) {
  const OpenFile* f = call->lpTarget;
  if (call->n2 < 0 || call->n2 > f->nFields) return mvbtrAttrFail(kErrBadFieldNumber);
  *value = 0;
  if (call->n1 == 0 || call->n2 == 0) return 0;
  if (call->n1 == call->n2) {
    *value = 1;
    return 0;
  }
  const FieldDesc& a = f->lpFields[call->n1];
  const FieldDesc& b = f->lpFields[call->n2];
  *value = a.nOffset < b.nOffset + b.nSize && b.nOffset < a.nOffset + a.nSize ? 1 : 0;
  return 0;
}

// A change of one descriptor that the field editing routines carry on: on
// failure the descriptor is put back as it was (they move nothing else
// before they succeed).
template <class Change>
int16_t FieldChange(AttrCall* call, Change change) {
  if (mvbtrAttrNeedRestructure(call) != 0) return mvbtrErrorStatus();
  FieldDesc& field = Field(call);
  const FieldDesc before = field;
  if (change(field) != 0) {
    field = before;
    return mvbtrErrorStatus();
  }
  return 0;
}

bool IsSettableHostType(int32_t type) {
  return type >= kHostAscii && type <= kHostBinary && type != kHostReserve1;
}

int16_t HostTypeSet(AttrCall* call, int32_t value) {
  if (!IsSettableHostType(value)) return mvbtrAttrFail(kErrBadAttributeValue);
  if (Field(call).nHostType == value) return 0;
  return FieldChange(call, [&](FieldDesc& field) -> int16_t {
    // An OVERLAP field took no bytes of its own: the field starts empty.
    if (field.nHostType == kHostOverlap) field.nHostLength = field.nSize = 0;
    field.nHostType = value;
    return mvbtrFieldSetType(call->lpTarget, call->n1);
  });
}

// A length of no characters cannot hold a value.
int16_t HostLengthSet(AttrCall* call, int32_t value) {
  if (value < 1) return mvbtrAttrFail(kErrBadAttributeValue);
  if (Field(call).nHostLength == value) return 0;
  return FieldChange(call, [&](FieldDesc& field) -> int16_t {
    const LengthCheck check = mvbtrFieldLengthCheck(call->lpTarget, field, value);
    if (check.nError != 0) return mvbtrAttrFail(check.nError, check.lpszText);
    if (check.bIgnored) return 0;
    field.nHostLength = value;
    if (field.nHostType == kHostBcd && field.nPrecision > value) field.nPrecision = value;
    return mvbtrFieldSetLength(call->lpTarget, call->n1);
  });
}

// Decimals change how stored numbers are read: a restructure only.
int16_t PrecisionSet(AttrCall* call, int32_t value) {
  return FieldChange(call, [&](FieldDesc& field) -> int16_t {
    if (value < 0 || value > field.nHostLength) {
      return mvbtrAttrFail(kErrBadAttributeValue, "Precision > Size");
    }
    field.nPrecision = value;
    return 0;
  });
}

// The related-field triples follow the relations; built again when asked.
template <int32_t FieldDesc::*kMember>
int16_t RelatedSet(AttrCall* call, int32_t value) {
  Field(call).*kMember = value;
  mvbtrMemFree(&call->lpTarget->lpRelFields);
  call->lpTarget->nRelFields = 0;
  return 0;
}

int16_t MainIndexSet(AttrCall* call, int32_t value) {
  if (value < 0 || value > call->lpTarget->nIndexes) return mvbtrAttrFail(kErrBadAttributeValue);
  if (value > 0) Field(call).nMainIndex = value;
  return 0;
}

// An OVERLAP field can be laid over any bytes of the record.
int16_t OffsetSet(AttrCall* call, int32_t value) {
  return FieldChange(call, [&](FieldDesc& field) -> int16_t {
    if (field.nHostType != kHostOverlap) return mvbtrAttrFail(kErrNotOverlap);
    if (value < 1 || value + field.nSize - 1 > call->lpTarget->nRecLen) {
      return mvbtrAttrFail(kErrOverlapOffset);
    }
    field.nOffset = value - 1;
    return 0;
  });
}

int16_t BtrTypeSet(AttrCall* call, int32_t value) {
  return FieldChange(call, [&](FieldDesc& field) -> int16_t {
    field.nBtrType = value;
    return 0;
  });
}

int16_t NullSet(AttrCall* call, int32_t value) {
  OpenFile* f = call->lpTarget;
  FieldDesc& field = Field(call);
  if (f->bTrueNull == 0 || field.bNullAllowed == 0) {
    return mvbtrAttrFail(kErrBadAttributeValue, "Field not Nullable");
  }
  field.bIsNull = value != 0 ? 1 : 0;
  mvbtrFieldMarkChanged(f, call->n1);
  if (f->lpRecBuf != nullptr && field.lpData != nullptr) mvbtrFieldSetNullIndicator(f, &field);
  return 0;
}

int16_t NullAllowedSet(AttrCall*, int32_t) {
  return mvbtrAttrFail(kErrBadAttributeValue, "MV_FIELD_NULL_ALLOWED can not be set");
}

int16_t NameGet(AttrCall* call, AttrText* text) {
  const char* name = call->n1 == 0 ? kField0Name : Field(call).lpszName;
  text->lpData = name != nullptr ? name : "";
  text->nLength = std::strlen(static_cast<const char*>(text->lpData));
  return 0;
}

// A name longer than the host's 20 characters is cut (error 20520, the cut
// name as text) and still taken; a name that another field has is refused.
int16_t NameSet(AttrCall* call, const char* text) {
  if (text[0] == '\0') return mvbtrAttrFail(kErrBadAttributeValue);
  std::string name(text);
  if (name.size() > VV_ATTR_FIELD_NAME_MAX) {
    name.resize(VV_ATTR_FIELD_NAME_MAX);
    mvbtrErrorReport(kErrFieldNameCut, name.c_str());
  }
  OpenFile* f = call->lpTarget;
  for (int32_t i = 1; i <= f->nFields; ++i) {
    if (i == call->n1 || f->lpFields[i].lpszName == nullptr) continue;
    if (mvbtrHostNamesEqual(call->hFile, name.c_str(), f->lpFields[i].lpszName)) {
      return mvbtrAttrFail(kErrFieldNameTaken);
    }
  }
  // A cut name leaves its error pending: that is the result.
  const int16_t status = mvbtrStrNewCpy(&Field(call).lpszName, name.c_str());
  return status != 0 ? status : mvbtrErrorStatus();
}

int16_t FieldCheck(AttrCall* call, AttrUse) {
  const OpenFile* f = call->lpTarget;
  if (call->n1 < 0 || call->n1 > f->nFields || f->lpFields == nullptr) {
    return mvbtrAttrFail(kErrBadFieldNumber);
  }
  return 0;
}

constexpr AttrRow kRows[] = {
    {VV_ATTR_FIELD_NUMBER, MemberGet<&FieldDesc::nNumber>, nullptr, nullptr, nullptr, nullptr},
    {VV_ATTR_FIELD_TYPE, MemberGet<&FieldDesc::nHostType, kHostBcd>, HostTypeSet, nullptr, nullptr,
     nullptr},
    {VV_ATTR_FIELD_LENGTH, MemberGet<&FieldDesc::nHostLength, kField0Length>, HostLengthSet,
     nullptr, nullptr, nullptr},
    {VV_ATTR_FIELD_PRECISION, MemberGet<&FieldDesc::nPrecision>, PrecisionSet, nullptr, nullptr,
     nullptr},
    {VV_ATTR_FIELD_RELATED_FILE, MemberGet<&FieldDesc::nRelFile>, RelatedSet<&FieldDesc::nRelFile>,
     nullptr, nullptr, nullptr},
    {VV_ATTR_FIELD_RELATED_FIELD, MemberGet<&FieldDesc::nRelField>,
     RelatedSet<&FieldDesc::nRelField>, nullptr, nullptr, nullptr},
    {VV_ATTR_FIELD_NAME, nullptr, nullptr, NameGet, NameSet, "MV_FIELD_NAME"},
    {VV_ATTR_FIELD_MAIN_INDEX, MemberGet<&FieldDesc::nMainIndex>, MainIndexSet, nullptr, nullptr,
     nullptr},
    {VV_ATTR_FIELD_OFFSET, OffsetGet, OffsetSet, nullptr, nullptr, nullptr},
    {VV_ATTR_FIELD_OLD_NUMBER, OldNumberGet, OldNumberSet, nullptr, nullptr, nullptr},
    {VV_ATTR_FIELD_SHARES_BYTES, SharesBytesGet, nullptr, nullptr, nullptr, nullptr},
    {VV_ATTR_FIELD_SIZE, MemberGet<&FieldDesc::nSize, kField0Size>, nullptr, nullptr, nullptr,
     nullptr},
    {VV_ATTR_FIELD_BTR_TYPE, nullptr, BtrTypeSet, nullptr, nullptr, nullptr},
    {VV_ATTR_FIELD_NULL, FlagGet<&FieldDesc::bIsNull>, NullSet, nullptr, nullptr, nullptr},
    {VV_ATTR_FIELD_NULL_ALLOWED, FlagGet<&FieldDesc::bNullAllowed>, NullAllowedSet, nullptr,
     nullptr, nullptr},
};

}  // namespace

const AttrFamily& mvbtrAttrFieldFamily() {
  static constexpr AttrFamily kFamily{kRows, sizeof kRows / sizeof kRows[0], FieldCheck};
  return kFamily;
}

}  // namespace vv::driver
