// Opening and closing a login's dictionary files, and the built-in
// structures under which their rows are read and written.
#include <cstdio>
#include <cstring>

#include "driver/btrieve/btr_call.h"
#include "driver/frame/errors.h"
#include "driver/frame/files/file_ops.h"
#include "driver/frame/files/paths.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "driver/frame/util/strings.h"
#include "driver/tables/ddf_dictionary.h"
#include "driver/tables/file_read_info.h"
#include "driver/tables/file_record.h"
#include "platform/platform.h"
#include "veverave/ddf_layout.h"

namespace vv::driver {
namespace {

// One dictionary file: its name and its built-in structure.
struct DdfKind {
  const char* lpszName;
  const DdfColumn* lpColumns;
  int32_t nColumns;
  const DdfKey* lpKeys;
  int32_t nKeys;
};

constexpr DdfKind kFileKind = {kDdfFileName, kDdfFileColumns, kXfColumns, kDdfFileKeys,
                               kDdfFileKeyCount};
constexpr DdfKind kIndexKind = {kDdfIndexName, kDdfIndexColumns, kXiColumns, kDdfIndexKeys,
                                kDdfIndexKeyCount};
constexpr DdfKind kFieldKind = {kDdfFieldName, kDdfFieldColumns, kXeColumns, kDdfFieldKeys,
                                kDdfFieldKeyCount};

// The context of every failing close of a dictionary file.
constexpr const char* kCloseContext = "Closing FILE.DDF";
// Xf$Name is the main index of its table's name column: index 2.
constexpr int32_t kXfNameMainIndex = 2;

// Entry 0 of a field array: the record-number field.
void RecnumFieldSet(FieldDesc* field) {
  field->nNumber = 0;
  field->nOffset = 0;
  field->nSize = 4;
  field->nHostLength = 10;
  field->nHostType = kHostBcd;
  field->nBtrType = BTR_TYPE_INTEGER;
}

// The built-in fields and indexes of a dictionary file: one field per
// column, index k + 1 for Btrieve key k, no index 0. Out of memory: error 10.
int16_t StructureBuild(OpenFile* file, const DdfKind& kind) {
  if (mvbtrMemAlloc(&file->lpFields, sizeof(FieldDesc) * (kind.nColumns + 1)) == nullptr) {
    return mvbtrErrorStatus();
  }
  file->nFields = kind.nColumns;
  RecnumFieldSet(&file->lpFields[0]);
  for (int32_t c = 0; c < kind.nColumns; ++c) {
    const DdfColumn& column = kind.lpColumns[c];
    FieldDesc* field = &file->lpFields[DdfFieldNumber(c)];
    field->nNumber = DdfFieldNumber(c);
    field->nHostType = column.nBtrType == BTR_TYPE_STRING ? kHostAscii : kHostBcd;
    field->nBtrType = column.nBtrType;
    field->nOffset = column.nOffset;
    field->nSize = column.nSize;
    field->nHostLength = column.nHostLength;
    if (mvbtrStrNewCpy(&field->lpszName, column.lpszName) != 0) return mvbtrErrorStatus();
  }
  if (kind.lpColumns == kDdfFileColumns) {
    file->lpFields[DdfFieldNumber(kXfName)].nMainIndex = kXfNameMainIndex;
  }

  if (mvbtrMemAlloc(&file->lpIndexes, sizeof(IndexDesc) * (kind.nKeys + 1)) == nullptr) {
    return mvbtrErrorStatus();
  }
  file->nIndexes = kind.nKeys;
  file->lpIndexes[0].nKeyNumber = -1;
  for (int32_t k = 0; k < kind.nKeys; ++k) {
    const DdfKey& key = kind.lpKeys[k];
    IndexDesc* index = &file->lpIndexes[k + 1];
    if (mvbtrMemAlloc(&index->lpSegments, sizeof(SegmentDesc) * (key.nSegments + 1)) == nullptr) {
      return mvbtrErrorStatus();
    }
    index->nIndexNumber = k + 1;
    index->nSegments = key.nSegments;
    index->nKeyNumber = static_cast<int16_t>(k);
    index->bDefined = 1;
    for (int32_t s = 0; s < key.nSegments; ++s) {
      SegmentDesc* segment = &index->lpSegments[s + 1];
      const int32_t column = key.aColumns[s];
      segment->lpField = &file->lpFields[DdfFieldNumber(column)];
      segment->nExtType = kind.lpColumns[column].nKeyType;
      segment->nDdfIndex = k;
      segment->nPart = s;
      uint16_t flags = key.nKeyFlags | BTR_KEY_EXTENDED_TYPE;
      if (s + 1 < key.nSegments) flags |= BTR_KEY_SEGMENTED;
      segment->nKeyFlags = flags;
      index->nKeyLen += segment->lpField->nSize;
    }
  }
  file->nFirstIndex = 0;
  return 0;
}

// The path of a dictionary file: DDF_PATH and the name; else the name found
// along the host's data path; else the bare name. Short form when long
// names are converted.
void PathMake(const char* name, char* path, std::size_t size) {
  const DriverGlobals* g = mvbtrGlobals();
  if (g->lpszDdfDir != nullptr && g->lpszDdfDir[0] != '\0') {
    std::snprintf(path, size, "%s%s", g->lpszDdfDir, name);
  } else {
    char dataPath[VV_HOST_DATA_PATH_SIZE];
    mvbtrDataPathGet(dataPath);
    if (mvbtrPathSearch(dataPath, name, nullptr, size, path, nullptr) == 0) {
      mvbtrStrCopy(path, size, name);
    }
  }
  if (g->bConvertLongNames != 0) mvbtrPathShort(path);
}

// Opens one dictionary file into *slot (see ddfOpen).
int16_t DdfFileOpen(ServerLogin* login, OpenFile** slot, const DdfKind& kind) {
  OpenFile* file = *slot;
  DriverGlobals* g = mvbtrGlobals();
  char path[platform::kMaxPath + 1];
  PathMake(kind.lpszName, path, sizeof path);

  char empty[] = "";
  char* owner = g->lpszDdfOwner != nullptr ? g->lpszDdfOwner : empty;
  uint16_t ownerLength = static_cast<uint16_t>(std::strlen(owner));
  const int16_t status = mvbtrBtrCall(BTR_OPEN, file->PosBlock, owner, &ownerLength, path,
                                      BTR_OPEN_NORMAL, login->lpClientId);
  if (status != BTR_STATUS_SUCCESS) {
    mvbtrBtrErrorReport(status, kind.lpszName, nullptr);
    char text[sizeof path + 16];
    std::snprintf(text, sizeof text, "opening %s", path);
    mvbtrErrorReport(kErrCannotOpen, text);
    return mvbtrErrorStatus();
  }

  // The file is open from here on: whatever fails closes it again.
  bool built = mvbtrStrNewCpy(&file->lpszBtrPath, path) == 0 && StructureBuild(file, kind) == 0 &&
               mvbtrFileInfoTake(file) == 0;
  if (built) {
    mvbtrFileHostRecLenSet(file);
    built = mvbtrFileCreateRecordbuffer(file) == 0 && mvbtrFileKeyBufCreate(file) == 0;
  }
  // The stat is needed only while the file is opened.
  mvbtrMemFree(&file->lpStat);
  file->nStatLen = 0;
  if (!built) {
    mvbtrBtrCall(BTR_CLOSE, file->PosBlock, nullptr, nullptr, nullptr, 0, login->lpClientId);
    mvbtrFileRecordFree(slot);
    return mvbtrErrorStatus();
  }
  file->bBtrOpen = 1;

  if (g->bCacheExpiration != 0) {
    uint64_t written = 0;
    if (mvbtrFileTime(path, &written) == 0 && written > login->ftDdfTime) {
      login->ftDdfTime = written;
    }
  }
  return 0;
}

// Closes one dictionary file when it is open, and frees its record.
void DdfFileClose(ServerLogin* login, OpenFile** slot) {
  OpenFile* file = *slot;
  if (file == nullptr) return;
  if (file->bBtrOpen != 0) {
    const int16_t status =
        mvbtrBtrCall(BTR_CLOSE, file->PosBlock, nullptr, nullptr, nullptr, 0, login->lpClientId);
    if (status != BTR_STATUS_SUCCESS) mvbtrBtrErrorReport(status, kCloseContext, nullptr);
    file->bBtrOpen = 0;
  }
  mvbtrFileRecordFree(slot);
}

}  // namespace

int16_t ddfOpen(ServerLogin* login) {
  if (DdfFileOpen(login, &login->lpFileDdf, kFileKind) != 0) return mvbtrErrorStatus();
  if (DdfFileOpen(login, &login->lpIndexDdf, kIndexKind) != 0) return mvbtrErrorStatus();
  return DdfFileOpen(login, &login->lpFieldDdf, kFieldKind);
}

int16_t ddfClose(ServerLogin* login) {
  DdfFileClose(login, &login->lpFileDdf);
  DdfFileClose(login, &login->lpIndexDdf);
  DdfFileClose(login, &login->lpFieldDdf);
  return mvbtrErrorStatus();
}

}  // namespace vv::driver
