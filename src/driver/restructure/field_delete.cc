// btrFieldDelete: a field leaves the restructure record with its key
// segments; the fields behind it close the gap, and OVERLAP fields that
// covered it shrink.
#include <algorithm>
#include <cstring>

#include "driver/frame/entry_guard.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "driver/restructure/arrays.h"
#include "driver/restructure/field_array.h"
#include "driver/restructure/field_edit.h"
#include "driver/restructure/index_edit.h"
#include "driver/restructure/restructure.h"
#include "driver/tables/file_record.h"

namespace vv::driver {
namespace {

constexpr const char* kEntry = "btrFieldDelete";

// Removes every segment on field n, index by index, each from segment 1 up.
int16_t SegmentsOnFieldRemove(OpenFile* file, const FieldDesc* field) {
  for (int32_t i = 0; file->lpIndexes != nullptr && i <= file->nIndexes; ++i) {
    int32_t s = 1;
    while (s <= file->lpIndexes[i].nSegments) {
      if (file->lpIndexes[i].lpSegments[s].lpField != field) {
        ++s;
      } else if (mvbtrSegmentDelete(file, i, s) != 0) {
        return mvbtrErrorStatus();
      }
    }
  }
  return 0;
}

void FieldMoveForward(FieldDesc* field, int32_t delta) {
  field->nOffset -= delta;
  if (field->lpData != nullptr) field->lpData -= delta;
}

// The layout change for field i of the new array when the deleted field
// took the bytes ds..de: fields behind it close the gap, OVERLAP fields that
// covered part of it lose those bytes and start where it started at the
// latest, OVERLAP fields in front of it stay.
void FieldCloseGap(FieldDesc* field, int32_t i, int32_t n, int32_t ds, int32_t de) {
  const int32_t size = de - ds + 1;
  if (field->nHostType != kHostOverlap) {
    if (i >= n) FieldMoveForward(field, size);
    return;
  }
  const int32_t s = field->nOffset;
  const int32_t e = field->nOffset + field->nSize - 1;
  if (s > de) {
    FieldMoveForward(field, size);
  } else if (e >= ds && s <= de) {
    if (s >= ds) field->nOffset = ds;
    field->nSize -= std::min(e, de) - std::max(s, ds) + 1;
  }
}

}  // namespace

int16_t mvbtrFieldDelete(OpenFile* file, int32_t n) {
  const int32_t count = file->nFields;
  if (n < 1 || n > count || file->lpFields == nullptr) {
    mvbtrErrorReport(kErrBadFieldNumber, kEntry);
    return mvbtrErrorStatus();
  }
  // The new array comes first, so that a failure leaves the table as it was.
  auto* fields = ArrayNew<FieldDesc>(static_cast<std::size_t>(count), "FieldDelete");
  if (fields == nullptr) return mvbtrErrorStatus();
  FieldDesc* old = file->lpFields;
  const int32_t hostType = old[n].nHostType;
  const int32_t ds = old[n].nOffset;
  const int32_t de = old[n].nOffset + old[n].nSize - 1;
  if (SegmentsOnFieldRemove(file, &old[n]) != 0) {
    mvbtrMemFree(&fields);
    return mvbtrErrorStatus();
  }
  std::memcpy(fields, old, sizeof(FieldDesc) * static_cast<std::size_t>(n));
  std::memcpy(&fields[n], &old[n + 1], sizeof(FieldDesc) * static_cast<std::size_t>(count - n));
  SegmentsRepoint(file, old, count, fields, [n](int32_t f) { return f > n ? f - 1 : f; });
  for (int32_t i = 1; i <= count - 1; ++i) {
    fields[i].nNumber = i;
    if (hostType != kHostOverlap) FieldCloseGap(&fields[i], i, n, ds, de);
  }
  FieldOverlapsFree(&old[n]);
  mvbtrMemFree(&old[n].lpszName);
  FieldArrayInstall(file, fields, count - 1);
  if (file->nRecnumField == n) {
    file->nRecnumField = 0;
  } else if (file->nRecnumField > n) {
    --file->nRecnumField;
  }
  if (hostType != kHostOverlap) mvbtrFileHostRecLenSet(file);
  return 0;
}

}  // namespace vv::driver

extern "C" int16_t VV_CALL btrFieldDelete(int32_t hFile, int32_t field) {
  using namespace vv::driver;
  return GuardStatus(kEntry, [&]() -> int16_t {
    OpenFile* file = mvbtrRestructureGet(hFile, kEntry);
    return file != nullptr ? mvbtrFieldDelete(file, field) : mvbtrErrorStatus();
  });
}
