// The table manager's record and field calls: native tables answer them
// with the host's own code, driver tables through the driver's entry points.
// The host keeps its own record state for driver tables: found after a
// successful find or save, changed after a put, none after a clear, a failed
// find, and when the driver sets it to 0 after a delete.
#include <algorithm>
#include <cstring>
#include <vector>

#include "host/host_state.h"
#include "host/table_manager.h"

namespace vv::host {
namespace {

// Longest text a driver field gives: its host length, and 24 characters for
// numbers and dates.
constexpr int32_t kDriverNumberText = 24;
constexpr int32_t kTextMargin = 64;

int16_t BadHandle(const char* slot, int32_t handle) {
  return HostErrorSet(kErrBadHandle,
                      (std::string(slot) + ": handle " + std::to_string(handle)).c_str());
}

VvDriverFuncTable* Driver(const char* slot) {
  VvDriverFuncTable* driver = CurrentState().driver;
  if (driver == nullptr) HostErrorSet(kErrNoDriver, slot);
  return driver;
}

}  // namespace

int16_t TableManager::Clear(int32_t handle) {
  switch (Kind(handle)) {
    case TableKind::kNative:
      Native(handle)->Clear();
      return 0;
    case TableKind::kDriver: {
      VvDriverFuncTable* driver = Driver("FileClear");
      if (driver == nullptr) return kErrNoDriver;
      SetRecordState(handle, VV_RECORD_NONE);
      return driver->btrFileClear(handle);
    }
    default:
      return BadHandle("FileClear", handle);
  }
}

int16_t TableManager::Find(int32_t handle, int32_t index, int32_t mode) {
  switch (Kind(handle)) {
    case TableKind::kNative:
      return Native(handle)->Find(index, mode);
    case TableKind::kDriver: {
      VvDriverFuncTable* driver = Driver("RecordFind");
      if (driver == nullptr) return kErrNoDriver;
      const int16_t rc = driver->btrRecordFind(handle, index, mode);
      SetRecordState(handle, rc == 0 ? VV_RECORD_FOUND : VV_RECORD_NONE);
      return rc;
    }
    default:
      return BadHandle("RecordFind", handle);
  }
}

int16_t TableManager::Save(int32_t handle) {
  switch (Kind(handle)) {
    case TableKind::kNative:
      return Native(handle)->Save();
    case TableKind::kDriver: {
      VvDriverFuncTable* driver = Driver("RecordSave");
      if (driver == nullptr) return kErrNoDriver;
      const int16_t rc = driver->btrRecordSave(handle);
      if (rc == 0) SetRecordState(handle, VV_RECORD_FOUND);
      return rc;
    }
    default:
      return BadHandle("RecordSave", handle);
  }
}

int16_t TableManager::Delete(int32_t handle) {
  switch (Kind(handle)) {
    case TableKind::kNative:
      return Native(handle)->Delete();
    case TableKind::kDriver: {
      VvDriverFuncTable* driver = Driver("RecordDelete");
      if (driver == nullptr) return kErrNoDriver;
      return driver->btrRecordDelete(handle);
    }
    default:
      return BadHandle("RecordDelete", handle);
  }
}

int32_t TableManager::GetString(int32_t handle, int32_t field, char* buffer, int32_t offset,
                                int32_t length) {
  if (buffer == nullptr) {
    HostErrorSet(kErrBadArgument, "FieldGetString: null pointer");
    return 0;
  }
  buffer[0] = '\0';
  switch (Kind(handle)) {
    case TableKind::kNative: {
      std::string text;
      if (Native(handle)->GetText(field, offset, length, &text) != 0) return 0;
      std::memcpy(buffer, text.data(), text.size());
      buffer[text.size()] = '\0';
      return static_cast<int32_t>(text.size());
    }
    case TableKind::kDriver: {
      VvDriverFuncTable* driver = Driver("FieldGetString");
      return driver == nullptr ? 0
                               : driver->btrFieldGetString(handle, field, buffer, offset, length);
    }
    default:
      BadHandle("FieldGetString", handle);
      return 0;
  }
}

int16_t TableManager::PutString(int32_t handle, int32_t field, const char* text, int32_t offset,
                                int32_t length, int32_t keepEnd) {
  if (text == nullptr) return HostErrorSet(kErrBadArgument, "FieldPutString: null pointer");
  switch (Kind(handle)) {
    case TableKind::kNative: {
      if (length < 0) return HostErrorSet(kErrBadArgument, "FieldPutString: length below 0");
      const std::size_t n = length == 0 ? std::strlen(text) : static_cast<std::size_t>(length);
      return Native(handle)->PutText(field, std::string_view(text, n), offset, keepEnd != 0);
    }
    case TableKind::kDriver: {
      VvDriverFuncTable* driver = Driver("FieldPutString");
      if (driver == nullptr) return kErrNoDriver;
      const int16_t rc = driver->btrFieldPutString(handle, field, text, offset, length, keepEnd);
      if (rc == 0 && RecordState(handle) == VV_RECORD_FOUND)
        SetRecordState(handle, VV_RECORD_CHANGED);
      return rc;
    }
    default:
      return BadHandle("FieldPutString", handle);
  }
}

int16_t TableManager::GetBcd(int32_t handle, int32_t field, VvBcd* out) {
  if (out == nullptr) return HostErrorSet(kErrBadArgument, "FieldGetBCD: null pointer");
  switch (Kind(handle)) {
    case TableKind::kNative:
      return Native(handle)->GetBcd(field, out);
    case TableKind::kDriver: {
      VvDriverFuncTable* driver = Driver("FieldGetBCD");
      if (driver == nullptr) return kErrNoDriver;
      return driver->btrFieldGetBCD(handle, field, out);
    }
    default:
      return BadHandle("FieldGetBCD", handle);
  }
}

int16_t TableManager::PutBcd(int32_t handle, int32_t field, const VvBcd& value) {
  switch (Kind(handle)) {
    case TableKind::kNative:
      return Native(handle)->PutBcd(field, value);
    case TableKind::kDriver: {
      VvDriverFuncTable* driver = Driver("FieldPutBCD");
      if (driver == nullptr) return kErrNoDriver;
      const int16_t rc = driver->btrFieldPutBCD(handle, field, &value);
      if (rc == 0 && RecordState(handle) == VV_RECORD_FOUND)
        SetRecordState(handle, VV_RECORD_CHANGED);
      return rc;
    }
    default:
      return BadHandle("FieldPutBCD", handle);
  }
}

int16_t TableManager::Get(int32_t handle, int32_t field, std::string* text) {
  text->clear();
  if (Kind(handle) == TableKind::kNative) return Native(handle)->GetText(field, 0, 0, text);
  if (Kind(handle) == TableKind::kNone) return BadHandle("FieldGetString", handle);
  VvDriverFuncTable* driver = Driver("FieldGetString");
  if (driver == nullptr) return kErrNoDriver;
  // The driver's string get tells of failures only through the error
  // channel, so it starts from a clear one.
  HostErrorSet(0, nullptr);
  const int32_t hostLength =
      driver->btrAttributeGetNumeric(handle, field, 0, VV_ATTR_FIELD_LENGTH, 0);
  if (const int16_t rc = CurrentState().errorCode) return rc;
  std::vector<char> buffer(
      static_cast<std::size_t>(std::max(hostLength, kDriverNumberText) + kTextMargin));
  const int32_t n = driver->btrFieldGetString(handle, field, buffer.data(), 0, 0);
  if (const int16_t rc = CurrentState().errorCode) return rc;
  text->assign(buffer.data(), static_cast<std::size_t>(
                                  std::clamp<int32_t>(n, 0, static_cast<int32_t>(buffer.size()))));
  return 0;
}

int16_t TableManager::Put(int32_t handle, int32_t field, std::string_view text) {
  const std::string copy(text);
  return PutString(handle, field, copy.c_str(), 0, static_cast<int32_t>(copy.size()), 0);
}

}  // namespace vv::host
