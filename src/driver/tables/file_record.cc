// Creating and freeing open file records, and copies of their strings.
#include "driver/tables/file_record.h"

#include <cstring>

#include "driver/frame/errors.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "driver/tables/ddf_rows.h"

namespace vv::driver {
namespace {

void OverlapsFree(FieldDesc* field) {
  while (field->lpOverlaps != nullptr) {
    OverlapLink* next = field->lpOverlaps->lpNext;
    mvbtrMemFree(&field->lpOverlaps);
    field->lpOverlaps = next;
  }
  field->nOverlaps = 0;
}

void FieldsFree(OpenFile* file) {
  if (file->lpFields != nullptr) {
    for (int32_t i = 0; i <= file->nFields; ++i) {
      OverlapsFree(&file->lpFields[i]);
      mvbtrMemFree(&file->lpFields[i].lpszName);
    }
  }
  mvbtrMemFree(&file->lpFields);
  file->nFields = 0;
}

void IndexesFree(OpenFile* file) {
  if (file->lpIndexes != nullptr) {
    for (int32_t i = 0; i <= file->nIndexes; ++i) {
      mvbtrMemFree(&file->lpIndexes[i].lpSegments);
      file->lpIndexes[i].nSegments = 0;
    }
  }
  mvbtrMemFree(&file->lpIndexes);
  file->nIndexes = 0;
}

}  // namespace

void mvbtrDdfFieldRowsFree(DdfFieldRow** list) {
  while (*list != nullptr) {
    DdfFieldRow* next = (*list)->lpNext;
    OverlapsFree(&(*list)->field);
    mvbtrMemFree(&(*list)->field.lpszName);
    mvbtrMemFree(list);
    *list = next;
  }
}

void mvbtrDdfIndexRowsFree(DdfIndexRow** list) {
  while (*list != nullptr) {
    DdfIndexRow* next = (*list)->lpNext;
    mvbtrMemFree(list);
    *list = next;
  }
}

int16_t mvbtrFileRecordInit(OpenFile* file, bool resetFirstIndex) {
  const DriverGlobals* g = mvbtrGlobals();
  file->lpFuncTable = mvbtrFuncTable();
  file->nCurIndex = -1;
  if (resetFirstIndex) file->nFirstIndex = -1;
  file->nRecnumMethod = g->nRecnumMethod;
  file->nCharSet = g->nCharSet;
  return 0;
}

void mvbtrFileRecordFree(OpenFile** record) {
  OpenFile* file = *record;
  if (file == nullptr) return;
  mvbtrMemFree(&file->lpszDdfName);
  mvbtrMemFree(&file->lpszBtrFile);
  mvbtrMemFree(&file->lpszIntFile);
  mvbtrMemFree(&file->lpszCacheFile);
  mvbtrMemFree(&file->lpszBtrPath);
  mvbtrMemFree(&file->lpszOwner);
  FieldsFree(file);
  mvbtrMemFree(&file->lpLongvars);
  file->nLongvars = 0;
  file->lpFirstLongvar = file->lpLastLongvar = nullptr;
  mvbtrDdfFieldRowsFree(&file->lpDdfFields);
  IndexesFree(file);
  mvbtrDdfIndexRowsFree(&file->lpDdfIndexes);
  mvbtrMemFree(&file->lpAcs);
  mvbtrMemFree(&file->lpKeyBuf);
  file->nKeyBufSize = 0;
  mvbtrMemFree(&file->lpRelFields);
  file->nRelFields = 0;
  mvbtrMemFree(&file->lpRecBuf);
  file->nRecBufSize = 0;
  // The restructure record is a whole record of its own; it points back at
  // its table, which is going now.
  if (file->lpNewFile != nullptr && file->lpNewFile->lpNewFile == file) {
    file->lpNewFile->lpNewFile = nullptr;
  }
  mvbtrFileRecordFree(&file->lpNewFile);
  mvbtrMemFree(&file->lpStat);
  file->nStatLen = 0;
  // The status-store copies are plain images: they own nothing.
  mvbtrMemFree(&file->lpSavedFile);
  mvbtrMemFree(&file->lpSavedFields);
  mvbtrMemFree(&file->lpSavedData);
  mvbtrMemFree(record);
}

int16_t mvbtrFileStrCpy(OpenFile* target, const OpenFile* source, char* OpenFile::*member) {
  if (target == source) return 0;
  char** slot = &(target->*member);
  mvbtrMemFree(slot);
  const char* text = source->*member;
  if (text == nullptr) return 0;
  const std::size_t size = std::strlen(text) + 1;
  void* copy = DriverAlloc(size);
  if (copy == nullptr) {
    mvbtrErrorReport(kErrOutOfMemory, "mvbtrFileStrCpy");
    return mvbtrErrorStatus();
  }
  std::memcpy(copy, text, size);
  *slot = static_cast<char*>(copy);
  return 0;
}

}  // namespace vv::driver
