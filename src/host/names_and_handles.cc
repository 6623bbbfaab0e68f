// Name comparison (slot 61) and the handle map (slots 80 to 82).
#include "host/host_state.h"
#include "host/slot_guard.h"
#include "host/slots.h"

namespace vv::host {
namespace {

char Fold(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

int16_t NativeHolds(const char* slot, int32_t hFile) {
  return HostErrorSet(
      kErrHandleInUse,
      (std::string(slot) + ": handle " + std::to_string(hFile) + " holds a native table").c_str());
}

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

// A native table's handle gives the host's own table object: not null, so
// that the driver sees the table as open, but never a driver record.
void* VV_CALL SlotFileFromHandle(int32_t hFile) {
  return Guarded<void*>("FileFromHandle", nullptr, [&]() -> void* {
    const HostState& s = CurrentState();
    auto it = s.handles.find(hFile);
    return it == s.handles.end() ? nullptr : it->second;
  });
}

// Attaching null detaches. A handle that holds a native table is refused.
int16_t VV_CALL SlotFileHandleSet(int32_t hFile, void* record) {
  return Guarded<int16_t>("FileHandleSet", kErrInternal, [&]() -> int16_t {
    HostState& s = CurrentState();
    if (s.tables.Native(hFile) != nullptr) return NativeHolds("FileHandleSet", hFile);
    if (record == nullptr) {
      s.handles.erase(hFile);
      s.tables.ForgetIfDetached(hFile);
    } else {
      s.handles[hFile] = record;
    }
    return 0;
  });
}

// Releasing a handle that has nothing attached is harmless: the driver
// releases handles on its failure paths without knowing whether it got as
// far as attaching a record.
int16_t VV_CALL SlotFileHandleFree(int32_t hFile) {
  return Guarded<int16_t>("FileHandleFree", kErrInternal, [&]() -> int16_t {
    HostState& s = CurrentState();
    if (s.tables.Native(hFile) != nullptr) return NativeHolds("FileHandleFree", hFile);
    s.handles.erase(hFile);
    s.tables.ForgetIfDetached(hFile);
    return 0;
  });
}

}  // namespace vv::host
