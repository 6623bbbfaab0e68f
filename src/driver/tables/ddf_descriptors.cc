// Field and index descriptors of a table from its dictionary row lists.
#include <cstdio>
#include <cstring>

#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "driver/tables/ddf_columns.h"
#include "driver/tables/ddf_dictionary.h"
#include "driver/tables/ddf_rows.h"

namespace vv::driver {
namespace {

constexpr const char* kFieldsContext = "mvbtrFieldCreateFromDdfFields (lpFields)";
constexpr const char* kIndexesContext = "mvbtrIndexCreateFromDdfSegments";

// The record-number index: one segment on field 0, a 4-byte key and no
// Btrieve key of its own.
constexpr int32_t kRecnumKeyLen = 4;

// Allocates count zero-filled entries into *block; error 10 with context.
template <class T>
bool ArrayNew(T** block, int32_t count, const char* context) {
  const std::size_t size = sizeof(T) * static_cast<std::size_t>(count);
  void* raw = DriverAlloc(size);
  if (raw == nullptr) {
    mvbtrErrorReport(kErrOutOfMemory, context);
    return false;
  }
  std::memset(raw, 0, size);
  *block = static_cast<T*>(raw);
  return true;
}

void IndexesFree(OpenFile* file) {
  for (int32_t i = 0; file->lpIndexes != nullptr && i <= file->nIndexes; ++i) {
    mvbtrMemFree(&file->lpIndexes[i].lpSegments);
    file->lpIndexes[i].nSegments = 0;
  }
  mvbtrMemFree(&file->lpIndexes);
  file->nIndexes = 0;
}

int16_t IndexNumberError(const OpenFile* file, int32_t index) {
  char text[VV_HOST_ERROR_TEXT_SIZE];
  std::snprintf(text, sizeof text, "file %s, index %d", TableName(file), static_cast<int>(index));
  return mvbtrErrorReport(kErrIndexNumber, text);
}

int16_t SegmentNumberError(const OpenFile* file, int32_t index, int32_t segment) {
  char text[VV_HOST_ERROR_TEXT_SIZE];
  std::snprintf(text, sizeof text, "file %s, index %d, segment %d", TableName(file),
                static_cast<int>(index), static_cast<int>(segment));
  return mvbtrErrorReport(kErrSegmentNumber, text);
}

// Takes the segment of node into its index (see mvbtrIndexCreateFromDdfSegments).
int16_t SegmentTake(OpenFile* file, const DdfIndexRow* node, int32_t indexBias) {
  const SegmentDesc& image = node->segment;
  const int32_t number = image.nDdfIndex + indexBias;
  if (image.nDdfIndex < 0 || number > file->nIndexes) return IndexNumberError(file, number);
  IndexDesc* index = &file->lpIndexes[number];
  // The first row seen of a key carries its highest part.
  if (index->nSegments == 0) {
    if (image.nPart < 0) return SegmentNumberError(file, number, image.nPart + 1);
    if (!ArrayNew(&index->lpSegments, image.nPart + 2, kIndexesContext)) {
      return mvbtrErrorStatus();
    }
    index->nSegments = image.nPart + 1;
    index->nKeyNumber = static_cast<int16_t>(image.nDdfIndex);
  }
  const int32_t segmentNumber = image.nPart + 1;
  if (image.nPart < 0 || segmentNumber > index->nSegments ||
      index->lpSegments[segmentNumber].lpField != nullptr) {
    return SegmentNumberError(file, number, segmentNumber);
  }
  auto* field =
      image.lpField != nullptr ? static_cast<FieldDesc*>(image.lpField->lpSource) : nullptr;
  if (field == nullptr) return SegmentNumberError(file, number, segmentNumber);
  SegmentDesc* segment = &index->lpSegments[segmentNumber];
  *segment = image;
  segment->lpField = field;
  index->nKeyLen += field->nSize;
  return 0;
}

}  // namespace

int16_t mvbtrCopyDdfFields(OpenFile* file) {
  if (file->lpDdfFields == nullptr) return 0;
  const int32_t count = file->nFields;
  // The count read with the rows survives the release of the old array.
  DdfFieldDescsFree(file);
  if (!ArrayNew(&file->lpFields, count + 1, kFieldsContext)) return mvbtrErrorStatus();
  file->nFields = count;
  if (file->bRecnumSupport == 0) {
    FieldDesc* recnum = &file->lpFields[0];
    recnum->nNumber = 0;
    recnum->nOffset = 0;
    recnum->nSize = 4;
    recnum->nHostLength = 10;
    recnum->nHostType = kHostBcd;
    recnum->nBtrType = BTR_TYPE_INTEGER;
  }
  int32_t number = file->bRecnumSupport != 0 && file->bMvForBtrieve == 0 ? 0 : 1;
  for (DdfFieldRow* row = file->lpDdfFields; row != nullptr && number <= count;
       row = row->lpNext, ++number) {
    FieldDesc* field = &file->lpFields[number];
    *field = row->field;
    field->lpszName = nullptr;
    field->lpOverlaps = nullptr;
    field->nOverlaps = 0;
    field->nNumber = number;
    if (row->field.lpszName != nullptr &&
        DdfStrNewCpy(&field->lpszName, row->field.lpszName, "mvbtrCopyDdfFields") != 0) {
      return mvbtrErrorStatus();
    }
    field->lpSource = &row->field;
    row->field.lpSource = field;
    if (field->nBtrType == BTR_TYPE_BIT) file->nTableFlags |= kTableHasBits;
  }
  return 0;
}

int16_t mvbtrIndexCreateFromDdfSegments(OpenFile* file) {
  IndexesFree(file);
  const int32_t indexBias = file->bRecnumSupport != 0 ? 0 : 1;
  const DdfIndexRow* last = file->lpDdfIndexes;
  while (last != nullptr && last->lpNext != nullptr) last = last->lpNext;
  const int32_t highest = last != nullptr ? last->segment.nDdfIndex + indexBias : 0;
  if (last != nullptr && last->segment.nDdfIndex < 0) return IndexNumberError(file, highest);
  if (!ArrayNew(&file->lpIndexes, highest + 1, kIndexesContext)) return mvbtrErrorStatus();
  file->nIndexes = highest;

  if (file->bRecnumSupport == 0 && file->nRecnumField == 0 && file->lpFields != nullptr) {
    IndexDesc* recnum = &file->lpIndexes[0];
    if (!ArrayNew(&recnum->lpSegments, 2, kIndexesContext)) {
      IndexesFree(file);
      return mvbtrErrorStatus();
    }
    recnum->nSegments = 1;
    recnum->lpSegments[1].lpField = &file->lpFields[0];
    recnum->nKeyLen = kRecnumKeyLen;
    recnum->nKeyNumber = -1;
  }

  for (const DdfIndexRow* node = last; node != nullptr; node = node->lpPrev) {
    if (SegmentTake(file, node, indexBias) != 0) {
      IndexesFree(file);
      return mvbtrErrorStatus();
    }
  }
  // Every segment of a key must have had its row.
  for (int32_t i = indexBias; i <= file->nIndexes; ++i) {
    const IndexDesc& index = file->lpIndexes[i];
    for (int32_t s = 1; s <= index.nSegments; ++s) {
      if (index.lpSegments[s].lpField == nullptr) {
        SegmentNumberError(file, i, s);
        IndexesFree(file);
        return mvbtrErrorStatus();
      }
    }
  }
  return 0;
}

}  // namespace vv::driver
