// Reading a table's rows from the dictionary: its FILE.DDF row, and its
// FIELD.DDF and INDEX.DDF rows into the row lists of the open file record.
#include <cstdio>
#include <cstring>

#include "driver/fields/type_map.h"
#include "driver/frame/errors.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "driver/frame/util/strings.h"
#include "driver/records/record_find.h"
#include "driver/tables/ddf_columns.h"
#include "driver/tables/ddf_dictionary.h"
#include "driver/tables/ddf_rows.h"

namespace vv::driver {
namespace {

// The find that starts a walk over one table's rows: the id put into the
// id column selects them on the index given.
int16_t RowsFirst(OpenFile* ddf, int32_t column, int32_t index, uint16_t id) {
  DdfColumnPut(ddf, column, id);
  return DdfFind(ddf, index, kFindGreaterOrEqual);
}

// The name of a FIELD.DDF row: blanks before its last non-blank become the
// blank substitute, in the row itself; the name is the bytes up to a NUL,
// without trailing blanks.
void ColumnNameTake(OpenFile* ddf, char* name) {
  auto* bytes = reinterpret_cast<char*>(DdfColumnData(ddf, kXeName));
  int32_t last = kDdfNameMax - 1;
  while (last >= 0 && bytes[last] == ' ') --last;
  const char substitute = mvbtrGlobals()->cBlankSubst;
  for (int32_t i = 0; i < last; ++i) {
    if (bytes[i] == ' ') bytes[i] = substitute;
  }
  int32_t length = 0;
  while (length < kDdfNameMax && bytes[length] != '\0') ++length;
  std::memcpy(name, bytes, static_cast<std::size_t>(length));
  name[length] = '\0';
  mvbtrStrTrimRight(name);
}

// Puts node into a sorted list after every node it does not sort before, so
// that equal rows keep the order in which they were read.
template <class Node, class Before>
void SortedInsert(Node** list, Node* node, Before before) {
  Node* previous = nullptr;
  for (Node* row = *list; row != nullptr && !before(*node, *row); row = row->lpNext) {
    previous = row;
  }
  node->lpPrev = previous;
  node->lpNext = previous != nullptr ? previous->lpNext : *list;
  if (node->lpNext != nullptr) node->lpNext->lpPrev = node;
  if (previous != nullptr) {
    previous->lpNext = node;
  } else {
    *list = node;
  }
}

// Column rows go by Xe$Id, segment rows by Xi$Number, then Xi$Part.
bool FieldRowBefore(const DdfFieldRow& a, const DdfFieldRow& b) {
  return a.field.nFieldTag < b.field.nFieldTag;
}

bool IndexRowBefore(const DdfIndexRow& a, const DdfIndexRow& b) {
  return a.segment.nDdfIndex < b.segment.nDdfIndex ||
         (a.segment.nDdfIndex == b.segment.nDdfIndex && a.segment.nPart < b.segment.nPart);
}

// A node for the FIELD.DDF row in the buffer, put into the list. Its image
// takes the row's columns and the host type they map to.
int16_t FieldRowAdd(OpenFile* file, OpenFile* ddf, DdfFieldRow** list, bool* hasNote) {
  char name[kDdfNameMax + 1];
  ColumnNameTake(ddf, name);
  DdfFieldRow* node = nullptr;
  if (mvbtrMemAlloc(&node, sizeof(DdfFieldRow)) == nullptr) return mvbtrErrorStatus();
  FieldDesc* field = &node->field;
  field->nOffset = static_cast<int32_t>(DdfColumnGet(ddf, kXeOffset));
  field->nSize = static_cast<int32_t>(DdfColumnGet(ddf, kXeSize));
  field->nBtrType = static_cast<int32_t>(DdfColumnGet(ddf, kXeDataType));
  field->nPrecision = static_cast<int32_t>(DdfColumnGet(ddf, kXeDec));
  field->nFieldTag = static_cast<uint16_t>(DdfColumnGet(ddf, kXeId));
  field->nFieldDdfFlags = static_cast<uint16_t>(DdfColumnGet(ddf, kXeFlags));
  if (mvbtrStrNewCpy(&field->lpszName, name) != 0) {
    mvbtrMemFree(&node);
    return mvbtrErrorStatus();
  }
  // Also when the mapping reports an integer of an odd length, the node is
  // complete and goes into the list, which frees it with the others.
  mvbtrFieldBtrTypeToMvType(file, field, hasNote);
  SortedInsert(list, node, FieldRowBefore);
  if (mvbtrErrorStatus() != 0) return mvbtrErrorStatus();

  // A nullable column of a true-null table has its null indicator byte
  // right behind the column before it.
  if ((field->nFieldDdfFlags & kDdfFieldNullable) != 0 && file->bTrueNull != 0 &&
      node->lpPrev != nullptr) {
    const FieldDesc& previous = node->lpPrev->field;
    if (field->nOffset == previous.nOffset + previous.nSize + 1) {
      field->bNullAllowed = 1;
    } else {
      mvbtrErrorReport(kErrNullWithoutIndicator, field->lpszName);
    }
  }
  return mvbtrErrorStatus();
}

}  // namespace

int16_t ddfFileFind(ServerLogin* login, const char* name) {
  OpenFile* ddf = login->lpFileDdf;
  if (name == nullptr) name = "";
  if (std::strlen(name) > static_cast<std::size_t>(kDdfNameMax)) {
    return mvbtrErrorReport(kErrBufferTooSmall, name);
  }
  DdfColumnPutText(ddf, kXfName, name);
  return DdfFind(ddf, kDdfFileByName, kFindEqual);
}

int16_t ddfFileRead(ServerLogin* login, OpenFile* file) {
  const int16_t status = ddfFileFind(login, file->lpszDdfName);
  if (status != 0) return status;
  OpenFile* ddf = login->lpFileDdf;
  file->nDdfFileId = static_cast<uint16_t>(DdfColumnGet(ddf, kXfId));

  char location[kDdfLocMax + 1];
  std::memcpy(location, DdfColumnData(ddf, kXfLoc), kDdfLocMax);
  location[kDdfLocMax] = '\0';
  mvbtrStrTrimRight(location);
  // A blank location stays one blank rather than no location at all.
  if (location[0] == '\0') std::strcpy(location, " ");
  if (DdfStrNewCpy(&file->lpszBtrPath, location, "mvbtrFileOpen") != 0 ||
      DdfStrNewCpy(&file->lpszBtrFile, location, "mvbtrFileOpen") != 0) {
    return mvbtrErrorStatus();
  }

  file->nDdfFlags = static_cast<uint8_t>(DdfColumnGet(ddf, kXfFlags));
  file->bTrueNull = (file->nDdfFlags & kDdfTableTrueNull) != 0 ? 1 : 0;
  if (file->bTrueNull != 0) file->nTableFlags |= kTableHasNulls;
  return 0;
}

int16_t ddfFieldsRead(ServerLogin* login, OpenFile* file) {
  OpenFile* ddf = login->lpFieldDdf;
  const uint16_t id = file->nDdfFileId;
  // Descriptors built before belong to the old count of fields.
  DdfFieldDescsFree(file);
  DdfFieldRow* list = nullptr;
  bool hasNote = false;
  file->nFields = 0;
  file->nLongvars = 0;
  int16_t status = RowsFirst(ddf, kXeFile, kDdfFieldByFile, id);
  while (status == 0 && DdfColumnGet(ddf, kXeFile) == id) {
    if (DdfColumnGet(ddf, kXeDataType) < static_cast<uint32_t>(kDdfFirstNonFieldType)) {
      if (FieldRowAdd(file, ddf, &list, &hasNote) != 0) break;
      ++file->nFields;
    }
    status = DdfFind(ddf, kDdfFieldByFile, kFindGreater);
  }
  DdfEndOfRowsClear();
  if (mvbtrErrorStatus() == 0 && hasNote && file->nLongvars > 0) {
    mvbtrErrorReport(kErrNoteWithLongvar, file->lpszDdfName);
  }
  if (mvbtrErrorStatus() != 0) {
    mvbtrDdfFieldRowsFree(&list);
    return mvbtrErrorStatus();
  }
  mvbtrDdfFieldRowsFree(&file->lpDdfFields);
  file->lpDdfFields = list;
  if (file->bRecnumSupport != 0 && file->bMvForBtrieve == 0 && file->nFields > 0) --file->nFields;
  return 0;
}

int16_t ddfIndexesRead(ServerLogin* login, OpenFile* file) {
  OpenFile* ddf = login->lpIndexDdf;
  const uint16_t id = file->nDdfFileId;
  DdfIndexRow* list = nullptr;
  int16_t status = RowsFirst(ddf, kXiFile, kDdfIndexByFile, id);
  while (status == 0 && DdfColumnGet(ddf, kXiFile) == id) {
    DdfIndexRow* node = nullptr;
    if (mvbtrMemAlloc(&node, sizeof(DdfIndexRow)) == nullptr) break;
    SegmentDesc* segment = &node->segment;
    segment->nDdfFieldId = static_cast<int32_t>(DdfColumnGet(ddf, kXiField));
    segment->nDdfIndex = DdfColumnGetSigned(ddf, kXiNumber);
    segment->nPart = DdfColumnGetSigned(ddf, kXiPart);
    segment->nKeyFlags = static_cast<uint16_t>(DdfColumnGet(ddf, kXiFlags));
    DdfFieldRow* column = file->lpDdfFields;
    while (column != nullptr && column->field.nFieldTag != segment->nDdfFieldId) {
      column = column->lpNext;
    }
    if (column == nullptr) {
      char text[VV_HOST_ERROR_TEXT_SIZE];
      std::snprintf(text, sizeof text, "%s, DDF-Field %d, DDF-Index %d",
                    TableName(file),
                    static_cast<int>(segment->nDdfFieldId), static_cast<int>(segment->nDdfIndex));
      mvbtrErrorReport(kErrDdfUnknownField, text);
      mvbtrMemFree(&node);
      break;
    }
    segment->lpField = &column->field;
    SortedInsert(&list, node, IndexRowBefore);
    status = DdfFind(ddf, kDdfIndexByFile, kFindGreater);
  }
  if (DdfEndOfRowsClear() != 0) {
    mvbtrDdfIndexRowsFree(&list);
    return mvbtrErrorStatus();
  }
  mvbtrDdfIndexRowsFree(&file->lpDdfIndexes);
  file->lpDdfIndexes = list;
  return 0;
}

}  // namespace vv::driver
