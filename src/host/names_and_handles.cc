// Name comparison and the handle map.
#include "host/host_state.h"
#include "host/slots.h"

namespace vv::host {
namespace {

char Fold(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

// Names compare without regard to ASCII case: 1 when a sorts first, 2 when
// they are equal, 3 when b sorts first.
int32_t VV_CALL SlotNameCompare(int32_t, const char* a, const char* b, int32_t) {
  if (a == nullptr) a = "";
  if (b == nullptr) b = "";
  for (;; ++a, ++b) {
    unsigned char ca = static_cast<unsigned char>(Fold(*a));
    unsigned char cb = static_cast<unsigned char>(Fold(*b));
    if (ca != cb) return ca < cb ? 1 : 3;
    if (ca == 0) return VV_HOST_NAMES_EQUAL;
  }
}

void* VV_CALL SlotFileFromHandle(int32_t hFile) {
  const HostState& s = CurrentState();
  auto it = s.handles.find(hFile);
  return it == s.handles.end() ? nullptr : it->second;
}

int16_t VV_CALL SlotFileHandleSet(int32_t hFile, void* record) {
  CurrentState().handles[hFile] = record;
  return 0;
}

// Releasing a handle that has nothing attached is harmless: the driver
// releases handles on its failure paths without knowing whether it got as
// far as attaching a record.
int16_t VV_CALL SlotFileHandleFree(int32_t hFile) {
  CurrentState().handles.erase(hFile);
  return 0;
}

}  // namespace vv::host
