// Slots 8 to 20 and 48: the table services, answered by the table manager.
#include "host/host_state.h"
#include "host/slot_guard.h"
#include "host/slots.h"

namespace vv::host {

int16_t VV_CALL SlotFileOpen(const char* name, int32_t mode, int32_t* hFile) {
  return Guarded<int16_t>("FileOpen", kErrInternal,
                          [&] { return CurrentState().tables.Open(name, mode, hFile); });
}

int16_t VV_CALL SlotFileClear(int32_t hFile) {
  return Guarded<int16_t>("FileClear", kErrInternal,
                          [&] { return CurrentState().tables.Clear(hFile); });
}

int16_t VV_CALL SlotFileClose(int32_t hFile) {
  return Guarded<int16_t>("FileClose", kErrInternal,
                          [&] { return CurrentState().tables.Close(hFile); });
}

int16_t VV_CALL SlotFileErase(int32_t hFile) {
  return Guarded<int16_t>("FileErase", kErrInternal,
                          [&] { return CurrentState().tables.Erase(hFile); });
}

int16_t VV_CALL SlotRecordSave(int32_t hFile) {
  return Guarded<int16_t>("RecordSave", kErrInternal,
                          [&] { return CurrentState().tables.Save(hFile); });
}

int16_t VV_CALL SlotRecordFind(int32_t hFile, int32_t index, int32_t mode) {
  return Guarded<int16_t>("RecordFind", kErrInternal,
                          [&] { return CurrentState().tables.Find(hFile, index, mode); });
}

int32_t VV_CALL SlotFieldGetString(int32_t hFile, int32_t field, char* buffer, int32_t offset,
                                   int32_t length) {
  return Guarded<int32_t>("FieldGetString", 0, [&] {
    return CurrentState().tables.GetString(hFile, field, buffer, offset, length);
  });
}

int16_t VV_CALL SlotFieldPutString(int32_t hFile, int32_t field, const char* text, int32_t offset,
                                   int32_t length, int32_t keepEnd) {
  return Guarded<int16_t>("FieldPutString", kErrInternal, [&] {
    return CurrentState().tables.PutString(hFile, field, text, offset, length, keepEnd);
  });
}

void VV_CALL SlotFieldGetBCD(int32_t hFile, int32_t field, VvBcd* value) {
  GuardedVoid("FieldGetBCD", [&] { CurrentState().tables.GetBcd(hFile, field, value); });
}

void VV_CALL SlotFieldPutBCD(int32_t hFile, int32_t field, const VvBcd* value) {
  GuardedVoid("FieldPutBCD", [&] {
    if (value == nullptr) {
      NullArgument("FieldPutBCD");
      return;
    }
    CurrentState().tables.PutBcd(hFile, field, *value);
  });
}

// The host keeps the path of a table's definition file in the file list;
// it has no further use for it.
int16_t VV_CALL SlotDefFileSet(int32_t hFile, int32_t, int32_t, const char* path) {
  return Guarded<int16_t>("DefFileSet", kErrInternal, [&]() -> int16_t {
    if (path == nullptr) return NullArgument("DefFileSet");
    CurrentState().tables.FileList(hFile).definitionFile = path;
    return 0;
  });
}

}  // namespace vv::host
