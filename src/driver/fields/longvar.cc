#include "driver/fields/longvar.h"

#include <cstdio>
#include <cstring>

#include "driver/fields/field_access.h"
#include "driver/fields/le_bytes.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/scratch.h"

namespace vv::driver {

LongvarRef mvbtrLongvarRef(const FieldDesc* field) {
  return LongvarRef{LoadLe32(field->lpData), LoadLe32(field->lpData + 4)};
}

void mvbtrLongvarRefSet(FieldDesc* field, LongvarRef ref) {
  StoreLe32(field->lpData, ref.nLength);
  StoreLe32(field->lpData + 4, ref.nOffset);
}

const uint8_t* mvbtrLongvarData(const OpenFile* file, const FieldDesc* field, uint32_t* length) {
  LongvarRef ref = mvbtrLongvarRef(field);
  *length = 0;
  if (ref.nOffset == 0 || ref.nOffset >= file->nRecBufSize) return nullptr;
  uint32_t room = file->nRecBufSize - ref.nOffset;
  *length = ref.nLength < room ? ref.nLength : room;
  return file->lpRecBuf + ref.nOffset;
}

void mvbtrLongvarSetEmpty(OpenFile* file, FieldDesc* field) {
  LongvarRef ref = mvbtrLongvarRef(field);
  if (ref.nOffset == 0) {
    std::memset(field->lpData, 0, kLongvarRefSize);
    return;
  }
  // The terminator goes into the field's own first byte; with no bytes of
  // its own that position is where the next field's data begin.
  bool ownsByte = ref.nLength > 0;
  ref.nLength = 0;
  mvbtrLongvarRefSet(field, ref);
  if (ownsByte && field->nHostType != kHostBinary && ref.nOffset < file->nRecBufSize) {
    file->lpRecBuf[ref.nOffset] = 0;
  }
}

namespace {

void ReportNoRoom(const FieldDesc* field) {
  char context[kFieldContextSize];
  std::snprintf(context, sizeof context, "%s:PutData", mvbtrFieldName(field));
  mvbtrErrorReport(kErrLongvarNoRoom, context);
}

// True when the fields with data lie one after the other from nDataLen on, in
// chain order.
bool IsPacked(const OpenFile* file) {
  uint64_t pos = static_cast<uint64_t>(file->nDataLen);
  for (const FieldDesc* f = file->lpFirstLongvar; f != nullptr; f = f->lpNextLongvar) {
    LongvarRef ref = mvbtrLongvarRef(f);
    if (ref.nOffset == 0) continue;
    if (ref.nOffset != pos) return false;
    pos += ref.nLength;
  }
  return pos <= file->nRecBufSize;
}

// Lays the variable part out again in chain order: each field's data go to
// nDataLen + the lengths of the fields before it; fields without data get
// that position too (with length 0).
bool Relay(OpenFile* file, const FieldDesc* field) {
  uint64_t total = 0;
  for (const FieldDesc* f = file->lpFirstLongvar; f != nullptr; f = f->lpNextLongvar) {
    uint32_t length = 0;
    mvbtrLongvarData(file, f, &length);
    total += length;
  }
  uint64_t start = static_cast<uint64_t>(file->nDataLen);
  if (start + total > file->nRecBufSize) {
    ReportNoRoom(field);
    return false;
  }
  uint8_t* copy = nullptr;
  if (total > 0) {
    copy = static_cast<uint8_t*>(mvbtrScratchBuffer(kSortBuffer, static_cast<std::size_t>(total)));
    if (copy == nullptr) return false;
  }
  uint32_t pos = 0;
  for (FieldDesc* f = file->lpFirstLongvar; f != nullptr; f = f->lpNextLongvar) {
    uint32_t length = 0;
    const uint8_t* data = mvbtrLongvarData(file, f, &length);
    if (length > 0) std::memcpy(copy + pos, data, length);
    mvbtrLongvarRefSet(f, LongvarRef{length, static_cast<uint32_t>(start) + pos});
    pos += length;
  }
  if (total > 0) std::memcpy(file->lpRecBuf + start, copy, static_cast<std::size_t>(total));
  return true;
}

}  // namespace

int32_t mvbtrLongvarPutData(OpenFile* file, FieldDesc* field, const uint8_t* data, int32_t length) {
  if (length < 0) length = 0;
  if (!IsPacked(file) && !Relay(file, field)) return -1;
  // Where the field's data begin (after the data of the earlier fields) and
  // where the data of the later fields begin and end.
  uint64_t slot = static_cast<uint64_t>(file->nDataLen);
  uint64_t end = slot;
  uint32_t oldLength = 0;
  bool before = true;
  for (const FieldDesc* f = file->lpFirstLongvar; f != nullptr; f = f->lpNextLongvar) {
    LongvarRef ref = mvbtrLongvarRef(f);
    if (f == field) {
      before = false;
      if (ref.nOffset != 0) oldLength = ref.nLength;
    } else if (before && ref.nOffset != 0) {
      slot += ref.nLength;
    }
    if (ref.nOffset != 0) end += ref.nLength;
  }
  // A field missing from the chain (before still true) gets its data last.
  uint64_t tail = slot + oldLength;
  int64_t delta = static_cast<int64_t>(length) - static_cast<int64_t>(oldLength);
  uint64_t newEnd = static_cast<uint64_t>(static_cast<int64_t>(end) + delta);
  uint64_t limit = static_cast<uint64_t>(file->nHostRecLen);
  if (limit > file->nRecBufSize) limit = file->nRecBufSize;
  if (newEnd > limit) {
    ReportNoRoom(field);
    return -1;
  }
  uint8_t* buf = file->lpRecBuf;
  if (delta != 0 && end > tail) {
    std::memmove(buf + tail + delta, buf + tail, static_cast<std::size_t>(end - tail));
    bool after = false;
    for (FieldDesc* f = file->lpFirstLongvar; f != nullptr; f = f->lpNextLongvar) {
      if (f == field) {
        after = true;
        continue;
      }
      LongvarRef ref = mvbtrLongvarRef(f);
      if (!after || ref.nOffset == 0) continue;
      ref.nOffset = static_cast<uint32_t>(static_cast<int64_t>(ref.nOffset) + delta);
      mvbtrLongvarRefSet(f, ref);
    }
  }
  if (length > 0) std::memcpy(buf + slot, data, static_cast<std::size_t>(length));
  mvbtrLongvarRefSet(field, LongvarRef{static_cast<uint32_t>(length), static_cast<uint32_t>(slot)});
  return length;
}

}  // namespace vv::driver
