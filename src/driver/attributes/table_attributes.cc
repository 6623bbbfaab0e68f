// Table attributes (101 to 199): the record state, modes and flags of the
// table, its counts and lengths, its names, and the changes of an open
// restructure.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include "driver/attributes/attribute.h"
#include "driver/btrieve/transaction_type.h"
#include "driver/fields/le_bytes.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "driver/restructure/file_names.h"
#include "driver/restructure/restructure.h"
#include "driver/tables/file_owner.h"
#include "driver/tables/file_read_info.h"
#include "driver/tables/file_record.h"
#include "veverave/btrieve.h"
#include "veverave/host_services.h"

namespace vv::driver {
namespace {

// The Btrieve file flag of data compression, and the values attribute 109
// answers and takes for it.
constexpr uint16_t kCompressionFlag = BTR_FILE_COMPRESSION;
constexpr int32_t kCompressionOn = 2;
constexpr int32_t kCompressionValueMax = 3;
// Attribute 103 of a table that is not a system file: no record limit.
constexpr int32_t kNoRecordLimit = std::numeric_limits<int32_t>::max();
// Values attribute 115 stores; others are ignored.
constexpr int32_t kAttr115Max = 2;
// The Btrieve open mode of an exclusive open.
constexpr int32_t kOpenModeExclusiveBtr = BTR_OPEN_EXCLUSIVE;

int16_t RecordStateGet(AttrCall* call, int32_t* value) {
  const OpenFile* f = call->lpTarget;
  *value = f->bActive == 0    ? VV_RECORD_NONE
           : f->bChanged != 0 ? VV_RECORD_CHANGED
                              : VV_RECORD_FOUND;
  return 0;
}

// Record state, mode and attribute 115 belong to the table the host has
// open, not to a restructure of it.
int16_t RecordStateSet(AttrCall* call, int32_t value) {
  if (value != VV_RECORD_NONE) return mvbtrAttrFail(kErrBadAttributeValue);
  mvbtrRecordMarkInactive(call->lpFile);
  return 0;
}

int16_t ModeGet(AttrCall* call, int32_t* value) {
  *value = static_cast<int32_t>(call->lpTarget->nFileMode);
  return 0;
}

int16_t ModeSet(AttrCall* call, int32_t value) {
  call->lpFile->nFileMode = static_cast<uint32_t>(value);
  return 0;
}

int16_t MaxRecordsGet(AttrCall* call, int32_t* value) {
  *value = call->lpTarget->bSystemFile != 0 ? 1 : kNoRecordLimit;
  return 0;
}

int16_t MaxRecordsSet(AttrCall* call, int32_t value) {
  call->lpTarget->bSystemFile = value == 1 ? 1 : 0;
  return 0;
}

// The count of the file's stat, read again for a table whose file is open.
// Only the count is taken: the lengths the open worked out stay as they are.
int16_t RecordsGet(AttrCall* call, int32_t* value) {
  OpenFile* f = call->lpTarget;
  if (call->hFile > 0 && f->bBtrOpen != 0) {
    const int16_t status = mvbtrFileReadInfo(f);
    if (status == 0 && f->nStatLen >= BTR_FILEDEF_SIZE) {
      f->nRecords = LoadLe32(f->lpStat + BTR_FILEDEF_RECORD_COUNT);
    }
    mvbtrMemFree(&f->lpStat);
    f->nStatLen = 0;
    if (status != 0) return status;
  }
  *value = static_cast<int32_t>(f->nRecords);
  return 0;
}

int16_t HandleGet(AttrCall* call, int32_t* value) {
  *value = call->hFile;
  return 0;
}

int16_t CompressionGet(AttrCall* call, int32_t* value) {
  *value = (call->lpTarget->nFileFlags & kCompressionFlag) != 0 ? kCompressionOn : 0;
  return 0;
}

int16_t CompressionSet(AttrCall* call, int32_t value) {
  if (value < 0 || value > kCompressionValueMax) return mvbtrAttrFail(kErrBadAttributeValue);
  uint16_t& flags = call->lpTarget->nFileFlags;
  flags = static_cast<uint16_t>(value == 0 ? flags & ~kCompressionFlag : flags | kCompressionFlag);
  return 0;
}

int16_t IndexesGet(AttrCall* call, int32_t* value) {
  *value = mvbtrAttrIndexCount(call->lpTarget);
  return 0;
}

int16_t FieldsGet(AttrCall* call, int32_t* value) {
  *value = call->lpTarget->nFields;
  return 0;
}

int16_t ChangedGet(AttrCall* call, int32_t* value) {
  *value = call->lpTarget->bChanged;
  return 0;
}

int16_t Attr115Get(AttrCall* call, int32_t* value) {
  *value = call->lpTarget->bAttr115;
  return 0;
}

int16_t Attr115Set(AttrCall* call, int32_t value) {
  if (value >= 0 && value <= kAttr115Max) call->lpFile->bAttr115 = static_cast<uint8_t>(value);
  return 0;
}

int16_t RecordLengthGet(AttrCall* call, int32_t* value) {
  *value = call->lpTarget->nRecLen;
  return 0;
}

// The Btrieve record length may exceed what the fields need (room the host
// keeps for later), never fall below it. The fields do not move, so the
// data length stays as it is.
int16_t RecordLengthSet(AttrCall* call, int32_t value) {
  if (mvbtrAttrNeedRestructure(call) != 0) return mvbtrErrorStatus();
  OpenFile* f = call->lpTarget;
  f->nRecLen = std::max({value, f->nHostRecLen, kRecLenMin});
  return 0;
}

// The comparisons of a commit, run on the open restructure against its
// table; a new table (no table to compare with) reports the flags it has.
int16_t ChangesGet(AttrCall* call, int32_t* value) {
  OpenFile* table = call->lpFile->hFile >= 1 ? call->lpFile : nullptr;
  OpenFile* restructure = table != nullptr ? table->lpNewFile : call->lpFile;
  *value = VV_RESTRUCTURE_NONE;
  if (restructure == nullptr) return 0;
  if (table != nullptr) {
    mvbtrFileCompareLayout(restructure, table);
    mvbtrFieldMapSources(restructure, table);
    mvbtrIndexMarkChanged(restructure, table);
  }
  *value = (restructure->bLayoutChanged != 0 ? VV_RESTRUCTURE_LAYOUT : 0) |
           (restructure->bIndexChanged != 0 ? VV_RESTRUCTURE_INDEXES : 0);
  return 0;
}

int16_t ExclusiveGet(AttrCall* call, int32_t* value) {
  *value = call->lpTarget->nOpenMode == kOpenModeExclusiveBtr ? 1 : 0;
  return 0;
}

int16_t SystemGet(AttrCall* call, int32_t* value) {
  *value = call->lpTarget->bSystemFile;
  return 0;
}

int16_t SystemSet(AttrCall* call, int32_t value) {
  call->lpTarget->bSystemFile = value != 0 ? 1 : 0;
  return 0;
}

int16_t TransactionTypeGet(AttrCall*, int32_t* value) {
  *value = mvbtrTransactionTypeGet();
  return 0;
}

int16_t CommittedGet(AttrCall* call, int32_t* value) {
  *value = call->lpTarget->bCommitted;
  return 0;
}

int16_t HostRecordLengthGet(AttrCall* call, int32_t* value) {
  *value = call->lpTarget->nHostRecLen;
  return 0;
}

int16_t RecnumFieldGet(AttrCall* call, int32_t* value) {
  *value = call->lpTarget->nRecnumField;
  return 0;
}

int16_t RecnumFieldSet(AttrCall* call, int32_t value) {
  if (value < 0 || value > call->lpTarget->nFields) return mvbtrAttrFail(kErrRecnumFieldRange);
  return 0;
}

// The related-field triples are built when first asked for after a change.
int16_t RelatedBuild(OpenFile* f) {
  return f->lpRelFields == nullptr ? mvbtrFileBuildRelFields(f) : 0;
}

int16_t RelatedCountGet(AttrCall* call, int32_t* value) {
  if (RelatedBuild(call->lpTarget) != 0) return mvbtrErrorStatus();
  *value = call->lpTarget->nRelFields;
  return 0;
}

int16_t RelatedFieldsGet(AttrCall* call, AttrText* text) {
  OpenFile* f = call->lpTarget;
  if (RelatedBuild(f) != 0) return mvbtrErrorStatus();
  text->lpData = f->lpRelFields;
  text->nLength = sizeof(int32_t) * kRelFieldWords * static_cast<std::size_t>(f->nRelFields);
  text->bBytes = true;
  return 0;
}

void TextSet(AttrText* text, const char* value) {
  text->lpData = value != nullptr ? value : "";
  text->nLength = std::strlen(static_cast<const char*>(text->lpData));
}

int16_t PhysicalNameGet(AttrCall* call, AttrText* text) {
  const OpenFile* f = call->lpTarget;
  TextSet(text, f->lpszIntFile != nullptr ? f->lpszIntFile : f->lpszBtrPath);
  return 0;
}

// The root name of a new table names its dictionary entry and its file; an
// existing table keeps its file.
int16_t PhysicalNameSet(AttrCall* call, const char* text) {
  if (call->hFile > 0) return mvbtrAttrFail(kErrPhysicalNameFixed);
  if (text[0] == '\0') return mvbtrAttrFail(kErrBadAttributeValue);
  return mvbtrFileSetNames(call->lpTarget, text);
}

int16_t OwnerGet(AttrCall* call, AttrText* text) {
  TextSet(text, call->lpTarget->lpszOwner);
  return 0;
}

int16_t OwnerSet(AttrCall* call, const char* text) {
  return mvbtrFileOwnerSet(call->lpTarget, text, 0);
}

int16_t DriverGet(AttrCall*, AttrText* text) {
  TextSet(text, VV_DRIVER_NAME);
  return 0;
}

int16_t AcceptText(AttrCall*, const char*) {
  return 0;
}

// "7.0" from the version byte 0x70: major and minor in its two half-bytes.
int16_t RevisionGet(AttrCall* call, AttrText* text) {
  const uint8_t version = call->lpTarget->bFileVersion;
  std::snprintf(text->szScratch, sizeof text->szScratch, "%d.%d", version >> 4, version & 0x0F);
  TextSet(text, text->szScratch);
  return 0;
}

template <int32_t kValue>
constexpr AttrNumericGet Const = &mvbtrAttrConstant<kValue>;
template <int32_t kLo, int32_t kHi>
constexpr AttrNumericSet Accept = &mvbtrAttrAccept<kLo, kHi>;

// Numbers without a name answer constants whose meaning is the host's, and
// accept the values shown without effect.
constexpr AttrRow kRows[] = {
    {VV_ATTR_FILE_RECORD_STATE, RecordStateGet, RecordStateSet, nullptr, nullptr, nullptr},
    {VV_ATTR_FILE_MODE, ModeGet, ModeSet, nullptr, nullptr, nullptr},
    {VV_ATTR_FILE_MAX_RECORDS, MaxRecordsGet, MaxRecordsSet, nullptr, nullptr, nullptr},
    {VV_ATTR_FILE_RECORDS, RecordsGet, nullptr, nullptr, nullptr, nullptr},
    {105, Const<9>, nullptr, nullptr, nullptr, nullptr},
    {106, Const<1>, Accept<0, 1>, nullptr, nullptr, nullptr},
    {107, Const<1>, Accept<0, 1>, nullptr, nullptr, nullptr},
    {VV_ATTR_FILE_HANDLE, HandleGet, nullptr, nullptr, nullptr, nullptr},
    {VV_ATTR_FILE_COMPRESSION, CompressionGet, CompressionSet, nullptr, nullptr, nullptr},
    {VV_ATTR_FILE_INDEXES, IndexesGet, nullptr, nullptr, nullptr, nullptr},
    {VV_ATTR_FILE_FIELDS, FieldsGet, nullptr, nullptr, nullptr, nullptr},
    {VV_ATTR_FILE_CHANGED, ChangedGet, nullptr, nullptr, nullptr, nullptr},
    {115, Attr115Get, Attr115Set, nullptr, nullptr, nullptr},
    {117, Const<2>, Accept<0, 3>, nullptr, nullptr, nullptr},
    {VV_ATTR_FILE_PHYSICAL_NAME, nullptr, nullptr, PhysicalNameGet, PhysicalNameSet,
     "MV_FILE_PHYSICAL_NAME"},
    {VV_ATTR_FILE_RECORD_LENGTH, RecordLengthGet, RecordLengthSet, nullptr, nullptr, nullptr},
    {VV_ATTR_FILE_RESTRUCTURE_CHANGES, ChangesGet, nullptr, nullptr, nullptr, nullptr},
    {VV_ATTR_FILE_EXCLUSIVE, ExclusiveGet, nullptr, nullptr, nullptr, nullptr},
    {127, Const<1>, Accept<0, 1>, nullptr, nullptr, nullptr},
    {VV_ATTR_FILE_OWNER, nullptr, nullptr, OwnerGet, OwnerSet, nullptr},
    {VV_ATTR_FILE_SYSTEM, SystemGet, SystemSet, nullptr, nullptr, nullptr},
    {VV_ATTR_FILE_TRANSACTION_TYPE, TransactionTypeGet, Accept<0, 2>, nullptr, nullptr, nullptr},
    {VV_ATTR_FILE_COMMITTED, CommittedGet, nullptr, nullptr, nullptr, nullptr},
    {VV_ATTR_FILE_DRIVER, nullptr, nullptr, DriverGet, nullptr, "MV_FILE_DRIVER"},
    {VV_ATTR_FILE_HOST_RECORD_LENGTH, HostRecordLengthGet, nullptr, nullptr, nullptr, nullptr},
    {VV_ATTR_FILE_RECNUM_FIELD, RecnumFieldGet, RecnumFieldSet, nullptr, nullptr, nullptr},
    {136, nullptr, nullptr, nullptr, AcceptText, nullptr},
    {VV_ATTR_FILE_REVISION, nullptr, nullptr, RevisionGet, nullptr, "MV_FILE_REVISION"},
    {VV_ATTR_FILE_RELATED_COUNT, RelatedCountGet, nullptr, nullptr, nullptr, nullptr},
    {VV_ATTR_FILE_RELATED_FIELDS, nullptr, nullptr, RelatedFieldsGet, nullptr,
     "MV_FILE_RELATED_FIELDS"},
    {143, Const<0>, nullptr, nullptr, nullptr, nullptr},
    {144, Const<0>, nullptr, nullptr, nullptr, nullptr},
    // A second number for the physical name.
    {146, nullptr, nullptr, PhysicalNameGet, PhysicalNameSet, "MV_FILE_PHYSICAL_NAME"},
};

int16_t NoCheck(AttrCall*, AttrUse) {
  return 0;
}

}  // namespace

const AttrFamily& mvbtrAttrTableFamily() {
  static constexpr AttrFamily kFamily{kRows, sizeof kRows / sizeof kRows[0], NoCheck};
  return kFamily;
}

}  // namespace vv::driver
