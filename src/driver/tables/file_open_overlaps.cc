// mvbtrFieldMakeDepList: the chains of fields that share bytes. A change of
// one field marks every field in its chain changed too (mvbtrFieldMarkChanged),
// so that an OVERLAP field and the fields under it are saved and searched
// as one.
#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "driver/tables/file_open.h"

namespace vv::driver {
namespace {

constexpr const char* kContext = "mvbtrFieldMakeDepList";

// The byte ranges of two fields meet (each ends at or after the other's start).
bool Meet(const FieldDesc& a, const FieldDesc& b) {
  return a.nOffset + a.nSize - 1 >= b.nOffset && b.nOffset + b.nSize - 1 >= a.nOffset;
}

void ChainFree(FieldDesc* field) {
  while (field->lpOverlaps != nullptr) {
    OverlapLink* next = field->lpOverlaps->lpNext;
    mvbtrMemFree(&field->lpOverlaps);
    field->lpOverlaps = next;
  }
}

}  // namespace

int16_t mvbtrFieldMakeDepList(OpenFile* file) {
  if (file->lpFields == nullptr) return 0;
  FieldDesc* fields = file->lpFields;
  const int32_t count = file->nFields;
  // The mark of a field that shares bytes with another is a non-zero
  // nOverlaps; a structure from the cache brings its marks along.
  for (int32_t i = 1; i <= count; ++i) {
    ChainFree(&fields[i]);
    if (file->bFromCache == 0) fields[i].nOverlaps = 0;
  }
  if (file->bFromCache == 0) {
    for (int32_t i = 1; i <= count; ++i) {
      for (int32_t j = i + 1; j <= count; ++j) {
        if (Meet(fields[i], fields[j])) fields[i].nOverlaps = fields[j].nOverlaps = 1;
      }
    }
  }
  for (int32_t i = 1; i <= count; ++i) {
    FieldDesc* field = &fields[i];
    if (field->nOverlaps == 0) continue;
    int32_t links = 0;
    OverlapLink** tail = &field->lpOverlaps;
    for (int32_t j = 1; j <= count; ++j) {
      if (j == i || fields[j].nOverlaps == 0 || !Meet(*field, fields[j])) continue;
      void* block = DriverAlloc(sizeof(OverlapLink));
      if (block == nullptr) {
        field->nOverlaps = links;
        mvbtrErrorReport(kErrOutOfMemory, kContext);
        return mvbtrErrorStatus();
      }
      auto* link = static_cast<OverlapLink*>(block);
      link->lpNext = nullptr;
      link->lpField = &fields[j];
      *tail = link;
      tail = &link->lpNext;
      ++links;
    }
    field->nOverlaps = links;
  }
  return 0;
}

}  // namespace vv::driver
