// Field names within a table: looking a name up, and making a new field's
// name unique by a number behind it.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "driver/restructure/field_edit.h"

namespace vv::driver {
namespace {

// Length of text without its trailing blanks.
std::size_t TrimmedLength(const char* text) {
  std::size_t length = std::strlen(text);
  while (length > 0 && text[length - 1] == ' ') --length;
  return length;
}

bool NamesEqual(const char* a, const char* b) {
  const std::size_t length = TrimmedLength(a);
  if (TrimmedLength(b) != length) return false;
  for (std::size_t i = 0; i < length; ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// Room for the largest number behind a name.
constexpr std::size_t kSuffixRoom = 8;

}  // namespace

int32_t mvbtrFieldFindByName(const OpenFile* file, const char* name) {
  if (name == nullptr || file->lpFields == nullptr) return -1;
  for (int32_t i = 1; i <= file->nFields; ++i) {
    const char* fieldName = file->lpFields[i].lpszName;
    if (fieldName != nullptr && NamesEqual(name, fieldName)) return i;
  }
  return -1;
}

int16_t mvbtrFieldNameMakeUnique(OpenFile* file, char** name) {
  const char* base = *name != nullptr ? *name : "";
  const std::size_t length = TrimmedLength(base);
  const std::size_t size = length + kSuffixRoom;
  void* block = DriverAlloc(size);
  if (block == nullptr) {
    mvbtrErrorReport(kErrOutOfMemory, "(mvbtrFieldNameMakeUnique)");
    return mvbtrErrorStatus();
  }
  char* candidate = static_cast<char*>(block);
  std::memcpy(candidate, base, length);
  candidate[length] = '\0';
  int16_t status = kErrFieldNameUnique;
  for (int32_t n = 0; n <= kFieldNameSuffixMax; ++n) {
    if (n > 0) std::snprintf(candidate + length, kSuffixRoom, "%d", static_cast<int>(n));
    if (mvbtrFieldFindByName(file, candidate) < 0) {
      status = 0;
      break;
    }
  }
  if (status == 0) {
    // The new name is made before the old one goes, so a failure keeps it.
    const std::size_t used = std::strlen(candidate) + 1;
    void* copy = DriverAlloc(used);
    if (copy == nullptr) {
      status = mvbtrErrorReport(kErrOutOfMemory, "mvbtrStrNewCpy");
    } else {
      std::memcpy(copy, candidate, used);
      mvbtrMemFree(name);
      *name = static_cast<char*>(copy);
    }
  } else {
    candidate[length] = '\0';
    mvbtrErrorReport(kErrFieldNameUnique, candidate);
  }
  DriverFree(block);
  return status == 0 ? 0 : mvbtrErrorStatus();
}

}  // namespace vv::driver
