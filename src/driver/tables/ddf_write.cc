// Writing a table's dictionary rows: its old rows are removed and new ones
// made from the descriptors, all inside one Btrieve transaction of the login.
//
//   Begin Transaction (exclusive, multiple no-wait locks)
//   delete the old rows (FILE.DDF by name, then FIELD.DDF and INDEX.DDF by id)
//   choose a table id (when it had none) -> insert the FILE.DDF row
//   choose a run of column ids -> insert a FIELD.DDF row per field
//   insert an INDEX.DDF row per key segment
//   End Transaction, or Abort Transaction when any step failed
#include <cstring>

#include "driver/btrieve/btr_call.h"
#include "driver/fields/type_map.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/strings.h"
#include "driver/records/record_find.h"
#include "driver/tables/ddf_columns.h"
#include "driver/tables/ddf_dictionary.h"
#include "driver/tables/file_record.h"

namespace vv::driver {
namespace {

constexpr const char* kIdContext = "(ddfFileWrite)";
constexpr uint16_t kWriteTransaction = BTR_BEGIN_TRANSACTION + BTR_BIAS_MULTIPLE_NOWAIT;

// Btrieve Insert of the row in a dictionary record's buffer. The data length
// is the file's record length: an engine takes a fixed-length row only at
// exactly that length.
int16_t RowInsert(ServerLogin* login, OpenFile* ddf, const char* context) {
  uint16_t length = static_cast<uint16_t>(ddf->nRecLen);
  const int16_t status = mvbtrBtrCall(BTR_INSERT, ddf->PosBlock, ddf->lpRecBuf, &length,
                                      ddf->lpKeyBuf, BTR_KEY_NONE, login->lpClientId);
  if (status != BTR_STATUS_SUCCESS) return mvbtrBtrErrorReport(status, context, nullptr);
  return 0;
}

// Btrieve Delete of the row a dictionary record found last.
int16_t RowDelete(ServerLogin* login, OpenFile* ddf, const char* context) {
  uint16_t length = static_cast<uint16_t>(ddf->nRecLen);
  const int16_t status = mvbtrBtrCall(BTR_DELETE, ddf->PosBlock, ddf->lpRecBuf, &length,
                                      ddf->lpKeyBuf, ddf->nCurIndex, login->lpClientId);
  if (status != BTR_STATUS_SUCCESS) return mvbtrBtrErrorReport(status, context, nullptr);
  return 0;
}

// Deletes every row whose id column holds id, found on index.
int16_t RowsDelete(ServerLogin* login, OpenFile* ddf, int32_t column, int32_t index, uint16_t id,
                   const char* context) {
  DdfColumnPut(ddf, column, id);
  int16_t status = DdfFind(ddf, index, kFindGreaterOrEqual);
  while (status == 0 && DdfColumnGet(ddf, column) == id) {
    if (RowDelete(login, ddf, context) != 0) return mvbtrErrorStatus();
    status = DdfFind(ddf, index, kFindGreaterOrEqual);
  }
  return DdfEndOfRowsClear();
}

// The first id of a run of `needed` free ids, walking the ids of a file in
// ascending order from a cleared buffer: an id at most `needed` above the
// last one seen leaves no room; the first one further up leaves the run
// after the last one. Past the last row the run after it is taken while
// the last id plus `reserve` stays below 65535; otherwise error is reported
// with kIdContext. 0 on failure.
uint32_t FreeIdsFind(OpenFile* ddf, int32_t column, int32_t index, uint32_t needed,
                     uint32_t reserve, int16_t error) {
  mvbtrFileClear(ddf);
  uint32_t last = 0;
  while (DdfFind(ddf, index, kFindGreater) == 0) {
    const uint32_t id = DdfColumnGet(ddf, column);
    if (id > last + needed) return last + 1;
    last = id;
  }
  if (DdfEndOfRowsClear() != 0) return 0;
  if (last + reserve < static_cast<uint32_t>(kDdfIdMax)) return last + 1;
  mvbtrErrorReport(error, kIdContext);
  return 0;
}

// The location written to Xf$Loc: lpszBtrFile, else lpszBtrPath, in upper
// case. One longer than the column is refused (error 4101, the location):
// a cut location would name another file.
int16_t FileRowInsert(ServerLogin* login, OpenFile* file) {
  OpenFile* ddf = login->lpFileDdf;
  char* location = file->lpszBtrFile != nullptr ? file->lpszBtrFile : file->lpszBtrPath;
  if (location != nullptr && std::strlen(location) > static_cast<std::size_t>(kDdfLocMax)) {
    return mvbtrErrorReport(kErrBufferTooSmall, location);
  }
  mvbtrFileClear(ddf);
  if (file->lpszDdfName != nullptr) mvbtrStrUpper(file->lpszDdfName);
  DdfColumnPutText(ddf, kXfName, file->lpszDdfName);
  DdfColumnPut(ddf, kXfId, file->nDdfFileId);
  if (location != nullptr) mvbtrStrUpper(location);
  DdfColumnPutText(ddf, kXfLoc, location);
  DdfColumnPut(ddf, kXfFlags, file->nDdfFlags);
  return RowInsert(login, ddf, "ddfFileWrite (Insert)");
}

// One FIELD.DDF row per field from `first` (0 when the record-number field
// is a column of its own) to nFields, with ids from `id` on.
int16_t FieldRowsInsert(ServerLogin* login, OpenFile* file, int32_t first, uint32_t id) {
  OpenFile* ddf = login->lpFieldDdf;
  if (file->lpFields == nullptr) return mvbtrErrorStatus();
  for (int32_t i = first; i <= file->nFields && mvbtrErrorStatus() == 0; ++i, ++id) {
    FieldDesc* field = &file->lpFields[i];
    mvbtrFileClear(ddf);
    DdfColumnPut(ddf, kXeId, id);
    DdfColumnPut(ddf, kXeFile, file->nDdfFileId);
    DdfColumnPutText(ddf, kXeName, field->lpszName);
    DdfColumnPut(ddf, kXeDataType, static_cast<uint32_t>(mvbtrFieldDdfType(field->nBtrType)));
    DdfColumnPut(ddf, kXeOffset, static_cast<uint32_t>(field->nOffset));
    DdfColumnPut(ddf, kXeSize, static_cast<uint32_t>(field->nSize));
    DdfColumnPut(ddf, kXeDec, static_cast<uint32_t>(field->nPrecision));
    DdfColumnPut(ddf, kXeFlags, field->nFieldDdfFlags);
    if (RowInsert(login, ddf, "ddfFileWrite (FieldInsert)") == 0) {
      field->nFieldTag = static_cast<uint16_t>(id);
    }
  }
  return mvbtrErrorStatus();
}

// One INDEX.DDF row per segment of every defined index; the record-number
// segment appended to a key is no segment of the dictionary's key.
int16_t IndexRowsInsert(ServerLogin* login, OpenFile* file) {
  OpenFile* ddf = login->lpIndexDdf;
  const int32_t first = file->bRecnumSupport != 0 ? 0 : 1;
  for (int32_t i = first; i <= file->nIndexes && mvbtrErrorStatus() == 0; ++i) {
    const IndexDesc& index = file->lpIndexes[i];
    if (index.bDefined == 0) continue;
    for (int32_t s = 1; s <= index.nSegments && mvbtrErrorStatus() == 0; ++s) {
      const SegmentDesc& segment = index.lpSegments[s];
      if (segment.lpField == nullptr) continue;
      if (file->bRecnumSupport == 0 && segment.lpField->nNumber == 0) continue;
      mvbtrFileClear(ddf);
      DdfColumnPut(ddf, kXiFile, file->nDdfFileId);
      DdfColumnPut(ddf, kXiField, segment.lpField->nFieldTag);
      DdfColumnPut(ddf, kXiNumber, static_cast<uint16_t>(index.nKeyNumber));
      DdfColumnPut(ddf, kXiPart, static_cast<uint32_t>(s - 1));
      DdfColumnPut(ddf, kXiFlags, DdfSegmentFlags(segment.nKeyFlags));
      RowInsert(login, ddf, "ddfFileWrite (IndexInsert)");
    }
  }
  return mvbtrErrorStatus();
}

}  // namespace

int16_t ddfFileWriteDelete(ServerLogin* login, OpenFile* file, const char* name) {
  file->nDdfFileId = 0;
  if (mvbtrErrorStatus() != 0) return mvbtrErrorStatus();
  if (ddfFileFind(login, name) == kErrRecordNotFound) {
    mvbtrErrorClear();
    return 0;
  }
  if (mvbtrErrorStatus() != 0) return mvbtrErrorStatus();
  file->nDdfFileId = static_cast<uint16_t>(DdfColumnGet(login->lpFileDdf, kXfId));
  if (RowDelete(login, login->lpFileDdf, "ddfFileWrite (Delete)") != 0) return mvbtrErrorStatus();
  if (RowsDelete(login, login->lpFieldDdf, kXeFile, kDdfFieldByFile, file->nDdfFileId,
                 "ddfFileWrite (FieldDelete)") != 0) {
    return mvbtrErrorStatus();
  }
  return RowsDelete(login, login->lpIndexDdf, kXiFile, kDdfIndexByFile, file->nDdfFileId,
                    "ddfFileWrite (IndexDelete)");
}

int16_t ddfFileWrite(ServerLogin* login, OpenFile* file) {
  // The statuses of the transaction calls are not looked at: a failing
  // write is reported by the step that failed.
  mvbtrBtrCall(kWriteTransaction, nullptr, nullptr, nullptr, nullptr, 0, login->lpClientId);
  ddfFileWriteDelete(login, file, file->lpszDdfName);

  if (mvbtrErrorStatus() == 0 && file->nDdfFileId == 0) {
    // A table needs one id; the last one, 65535, may be taken.
    const uint32_t id = FreeIdsFind(login->lpFileDdf, kXfId, kDdfFileById, 1, 0, kErrNoTableId);
    file->nDdfFileId = static_cast<uint16_t>(id);
  }
  if (mvbtrErrorStatus() == 0) FileRowInsert(login, file);

  if (mvbtrErrorStatus() == 0) {
    // Field 0 is a column of its own when the Btrieve file has a key for
    // the record number and no other field carries it.
    const bool recnumColumn = file->bRecnumSupport != 0 && file->nRecnumField == 0;
    const int32_t first = recnumColumn ? 0 : 1;
    const uint32_t needed = static_cast<uint32_t>(file->nFields - first + 1);
    const uint32_t id =
        FreeIdsFind(login->lpFieldDdf, kXeId, kDdfFieldById, needed, needed, kErrNoColumnIds);
    if (mvbtrErrorStatus() == 0) FieldRowsInsert(login, file, first, id);
  }
  if (mvbtrErrorStatus() == 0) IndexRowsInsert(login, file);

  const uint16_t end = mvbtrErrorStatus() == 0 ? BTR_END_TRANSACTION : BTR_ABORT_TRANSACTION;
  mvbtrBtrCall(end, nullptr, nullptr, nullptr, nullptr, 0, login->lpClientId);
  return mvbtrErrorStatus();
}

}  // namespace vv::driver
