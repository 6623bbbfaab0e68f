// btrFieldPutString: text into a field of the fixed record. Long-variable
// fields go to field_longvar_put.cc.
#include <cstring>

#include "driver/fields/field_access.h"
#include "driver/fields/field_text.h"
#include "driver/fields/le_bytes.h"
#include "driver/frame/entry_guard.h"
#include "driver/frame/errors.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "driver/frame/util/scratch.h"
#include "driver/tables/file_record.h"
#include "platform/platform.h"
#include "veverave/driver.h"

namespace vv::driver {
namespace {

constexpr int32_t kLstringMax = 255;  // the most a length byte can count

int32_t Min(int32_t a, int32_t b) {
  return a < b ? a : b;
}

bool IsTextHostType(int32_t hostType) {
  return hostType == kHostAscii || hostType == kHostOverlap || hostType == kHostText ||
         hostType == kHostBinary;
}

// Bytes in front of the characters: the length byte or word. An LSTRING of
// host type TEXT (longer than a length byte can count) keeps its characters
// from the second byte too, so that it reads back what was written; its
// values are limited to 255 characters.
int32_t PrefixSize(int32_t btrType) {
  if (btrType == BTR_TYPE_LSTRING) return 1;
  if (btrType == kAuxLstring2) return 2;
  return 0;
}

// Room for characters after the prefix.
int32_t Capacity(const FieldDesc* field) {
  int32_t room = field->nSize - PrefixSize(field->nBtrType);
  if (field->nBtrType == BTR_TYPE_LSTRING) room = Min(room, kLstringMax);
  return room;
}

// The length of the value the field holds now, as the put compares it.
int32_t CurrentLength(const FieldDesc* field, const uint8_t* work) {
  switch (field->nBtrType) {
    case BTR_TYPE_LSTRING:
      return work[0];
    case BTR_TYPE_ZSTRING:
    case BTR_TYPE_NOTE: {
      const void* nul = std::memchr(work, 0, static_cast<std::size_t>(field->nSize));
      return nul != nullptr ? static_cast<int32_t>(static_cast<const uint8_t*>(nul) - work)
                            : field->nSize;
    }
    case kAuxLstring2:
      return static_cast<int32_t>(LoadLeSigned(work, 2));
    default:
      return field->nHostLength;
  }
}

// A driver block freed on every path.
struct DriverBlock {
  char* p = nullptr;
  ~DriverBlock() { DriverFree(p); }
};

// Steps 4 to 6 of the put on the working copy: the value (already in the
// value buffer, length characters) goes to offset on.
void TextPut(FieldDesc* field, uint8_t* work, const char* value, int32_t offset, int32_t length,
             bool keepEnd) {
  int32_t size = field->nSize;
  int32_t btrType = field->nBtrType;
  int32_t prefix = PrefixSize(btrType);
  int32_t room = Capacity(field) - offset;
  if (room <= 0) return;
  length = Min(length, room);
  uint8_t* dest = work + prefix + offset;
  bool pad = mvbtrPadString() && field->nHostType == kHostAscii;
  DriverBlock padded;
  if (pad) {
    // The value extended with blanks to the end of the host field.
    int32_t full = Min(field->nHostLength - offset, room);
    padded.p = static_cast<char*>(DriverAlloc(static_cast<std::size_t>(full > 0 ? full : 1)));
    if (padded.p == nullptr) {
      mvbtrErrorReport(kErrOutOfMemory, "FieldPutString");
    } else if (full > length) {
      std::memcpy(padded.p, value, static_cast<std::size_t>(length));
      std::memset(padded.p + length, ' ', static_cast<std::size_t>(full - length));
      value = padded.p;
      length = full;
    }
  }
  if (length != 0 && length == CurrentLength(field, work) &&
      std::memcmp(dest, value, static_cast<std::size_t>(length)) == 0) {
    return;  // the field holds this value already
  }
  std::memcpy(dest, value, static_cast<std::size_t>(length));
  int32_t end = prefix + offset + length;  // first byte after the value
  bool zeroEnded = btrType == BTR_TYPE_ZSTRING || btrType == BTR_TYPE_NOTE;
  if (pad) {
    std::memset(work + end, ' ', static_cast<std::size_t>(size - end));
  } else if (zeroEnded && end < size) {
    work[end] = 0;
  }
  if (!keepEnd) {
    if (btrType == BTR_TYPE_STRING) {
      std::memset(work + end, ' ', static_cast<std::size_t>(size - end));
    } else if (zeroEnded && end < size) {
      work[end] = 0;
    } else if (btrType == BTR_TYPE_LSTRING) {
      // The length counts from the start of the value, so a put at an offset
      // keeps the characters before it.
      work[0] = static_cast<uint8_t>(offset + length);
    }
  }
  if (btrType == kAuxLstring2) StoreLe(work, static_cast<uint64_t>(offset + length), 2);
}

}  // namespace

int16_t mvbtrFieldPutString(OpenFile* file, FieldDesc* field, const char* value, int32_t offset,
                            int32_t length, int32_t keepEnd) {
  if (value == nullptr) value = "";
  if (field->nBtrType == BTR_TYPE_LONGVAR) {
    return mvbtrFieldPutLongvar(file, field, value, offset, length, keepEnd);
  }
  int32_t size = field->nSize;
  if (size <= 0) return mvbtrErrorStatus();
  auto* work =
      static_cast<uint8_t*>(mvbtrScratchBuffer(kTrashBuffer, static_cast<std::size_t>(size)));
  if (work == nullptr) return mvbtrErrorStatus();
  bool nullCleared = mvbtrFieldNullClear(file, field);
  std::memcpy(work, field->lpData, static_cast<std::size_t>(size));

  int32_t hostType = field->nHostType;
  int32_t hostLength = field->nHostLength;
  if (IsTextHostType(hostType) && offset >= 0 && offset < hostLength) {
    bool text = hostType == kHostAscii || hostType == kHostText;
    if (length < 0) length = 0;
    if (length == 0 && hostType != kHostBinary) {
      length = hostType == kHostOverlap ? hostLength : static_cast<int32_t>(std::strlen(value));
    } else if (text) {
      // Text ends at its first 0 byte, whatever length says.
      const void* nul = std::memchr(value, 0, static_cast<std::size_t>(length));
      if (nul != nullptr) length = static_cast<int32_t>(static_cast<const char*>(nul) - value);
    }
    length = Min(Min(length, hostLength), hostLength - offset);
    auto* buffer =
        static_cast<char*>(mvbtrScratchBuffer(kValueBuffer, static_cast<std::size_t>(length) + 1));
    if (buffer == nullptr) return mvbtrErrorStatus();
    std::memcpy(buffer, value, static_cast<std::size_t>(length));
    buffer[length] = '\0';
    if (text && file->nCharSet == kCharSetChar) {
      platform::OemToAnsi(buffer, static_cast<std::size_t>(length));
    }
    TextPut(field, work, buffer, offset, length, keepEnd != 0);
  }

  bool changed = std::memcmp(work, field->lpData, static_cast<std::size_t>(size)) != 0;
  if (mvbtrErrorStatus() == 0 && (changed || nullCleared)) {
    std::memcpy(field->lpData, work, static_cast<std::size_t>(size));
    mvbtrFieldMarkChanged(file, mvbtrFieldIndex(file, field));
  }
  return mvbtrErrorStatus();
}

int16_t mvbtrFieldPutStringByNumber(OpenFile* file, int32_t field, const char* value,
                                    int32_t offset, int32_t length, int32_t keepEnd,
                                    const char* entry) {
  FieldDesc* desc = mvbtrFieldDescGet(file, field, entry);
  if (desc == nullptr) return mvbtrErrorStatus();
  return mvbtrFieldPutString(file, desc, value, offset, length, keepEnd);
}

}  // namespace vv::driver

extern "C" int16_t VV_CALL btrFieldPutString(int32_t hFile, int32_t field, const char* text,
                                             int32_t offset, int32_t length, int32_t keepEnd) {
  static constexpr const char* kEntry = "btrFieldPutString";
  return vv::driver::GuardStatus(kEntry, [&] {
    vv::driver::OpenFile* file = vv::driver::mvbtrFieldFileGet(hFile, kEntry);
    if (file == nullptr) return vv::driver::mvbtrErrorStatus();
    return vv::driver::mvbtrFieldPutStringByNumber(file, field, text, offset, length, keepEnd,
                                                   kEntry);
  });
}
