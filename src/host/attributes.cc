// Host attributes, slots 41 to 44.
//
// Handle 0 is the host itself: lock delay (1) and timeout (2), data search
// path (3), decimal separator (6), file creation forbidden (10), strict mode
// (14). For any handle the host answers the next handle in use (121) and the
// file list's names (112, 113, 119, whether or not the handle is open). A
// native table answers the rest itself; a driver table answers the record
// state (101) from the host and everything else through the driver's
// attribute entry points.
//
// Unknown attribute numbers: a getter gives 0 or an empty text and reports
// error 4285 only in strict mode (attribute 14), as the driver does; a setter
// always reports 4285, so that no value is dropped silently.
#include <cstring>
#include <string>

#include "host/host_state.h"
#include "host/slot_guard.h"
#include "host/slots.h"

namespace vv::host {
namespace {

std::string Where(const char* slot, int32_t hFile, int32_t attr) {
  return std::string(slot) + ": handle " + std::to_string(hFile) + ", attribute " +
         std::to_string(attr);
}

// Reports a getter's failure; unknown numbers only in strict mode.
void GetterFailed(int16_t rc, const char* slot, int32_t hFile, int32_t attr) {
  if (rc == kErrNotSupported && !CurrentState().strict) return;
  HostErrorSet(rc, Where(slot, hFile, attr).c_str());
}

bool IsFileListName(int32_t attr) {
  return attr == VV_ATTR_FILE_LOGICAL_NAME || attr == VV_ATTR_FILE_ROOT_NAME ||
         attr == VV_ATTR_FILE_DISPLAY_NAME;
}

// The file list's name of attribute attr (const or not as the entry).
template <class Entry>
auto& FileListName(Entry& e, int32_t attr) {
  return attr == VV_ATTR_FILE_LOGICAL_NAME ? e.logicalName
         : attr == VV_ATTR_FILE_ROOT_NAME  ? e.rootName
                                           : e.displayName;
}

std::size_t FileListLimit(int32_t attr) {
  return attr == VV_ATTR_FILE_LOGICAL_NAME ? VV_ATTR_LOGICAL_NAME_MAX
         : attr == VV_ATTR_FILE_ROOT_NAME  ? platform::kMaxPath
                                           : VV_ATTR_DISPLAY_NAME_MAX;
}

int16_t GlobalGet(int32_t attr, int32_t* out) {
  const HostState& s = CurrentState();
  switch (attr) {
    case VV_HOST_ATTR_LOCK_DELAY:
      *out = s.lockDelay;
      return 0;
    case VV_HOST_ATTR_LOCK_TIMEOUT:
      *out = s.lockTimeout;
      return 0;
    case VV_HOST_ATTR_DECIMAL_SEPARATOR:
      *out = static_cast<unsigned char>(s.decimalSeparator);
      return 0;
    case VV_HOST_ATTR_CREATE_FORBIDDEN:
      *out = s.createForbidden ? 1 : 0;
      return 0;
    case VV_HOST_ATTR_STRICT:
      *out = s.strict ? 1 : 0;
      return 0;
    default:
      *out = 0;
      return kErrNotSupported;
  }
}

int16_t GlobalSet(int32_t attr, int32_t value) {
  HostState& s = CurrentState();
  switch (attr) {
    case VV_HOST_ATTR_LOCK_DELAY:
      s.lockDelay = value;
      return 0;
    case VV_HOST_ATTR_LOCK_TIMEOUT:
      s.lockTimeout = value;
      return 0;
    case VV_HOST_ATTR_DECIMAL_SEPARATOR:
      // A separator is one printable character that is no digit or sign.
      if (value <= ' ' || value > 0xFF || (value >= '0' && value <= '9') || value == '+' ||
          value == '-') {
        return kErrBadAttributeValue;
      }
      s.decimalSeparator = static_cast<char>(value);
      return 0;
    case VV_HOST_ATTR_CREATE_FORBIDDEN:
      s.createForbidden = value != 0;
      return 0;
    case VV_HOST_ATTR_STRICT:
      s.strict = value != 0;
      return 0;
    default:
      return kErrNotSupported;
  }
}

// The text of a string attribute; kBufferTooSmall handling is the caller's.
int16_t StringGet(int32_t hFile, int32_t n1, int32_t n2, int32_t attr, std::string* out) {
  HostState& s = CurrentState();
  if (hFile == 0) {
    if (attr != VV_HOST_ATTR_DATA_PATH) return kErrNotSupported;
    *out = s.dataPath;
    return 0;
  }
  if (IsFileListName(attr)) {
    const FileListEntry* e = s.tables.FindFileList(hFile);
    if (e != nullptr) *out = FileListName(*e, attr);
    return 0;
  }
  if (NativeTable* t = s.tables.Native(hFile)) return t->AttrGetString(n1, n2, attr, out);
  return kErrBadHandle;
}

void CopyOut(const std::string& text, char* buffer, int32_t size) {
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size - 1));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

}  // namespace

int32_t VV_CALL SlotAttrGetNumeric(int32_t hFile, int32_t n1, int32_t n2, int32_t attr) {
  return Guarded<int32_t>("AttrGetNumeric", 0, [&]() -> int32_t {
    HostState& s = CurrentState();
    if (attr == VV_ATTR_FILE_NEXT_HANDLE) return s.tables.NextInUse(hFile);
    int32_t value = 0;
    int16_t rc = 0;
    if (hFile == 0) {
      rc = GlobalGet(attr, &value);
    } else if (NativeTable* t = s.tables.Native(hFile)) {
      rc = t->AttrGetNumeric(n1, n2, attr, &value);
      // A table cannot be converted while the host forbids creating files.
      if (rc == 0 && attr == VV_HOST_ATTR_CREATE_FORBIDDEN && s.createForbidden) value = 1;
    } else if (s.tables.Kind(hFile) == TableKind::kDriver) {
      if (attr == VV_ATTR_FILE_RECORD_STATE) return s.tables.RecordState(hFile);
      if (s.driver == nullptr) {
        rc = kErrNoDriver;
      } else {
        return s.driver->btrAttributeGetNumeric(hFile, n1, n2, attr, 0);
      }
    } else {
      rc = kErrBadHandle;
    }
    if (rc != 0) GetterFailed(rc, "AttrGetNumeric", hFile, attr);
    return rc != 0 ? 0 : value;
  });
}

int16_t VV_CALL SlotAttrGetString(int32_t hFile, int32_t n1, int32_t n2, int32_t attr, char* buffer,
                                  int32_t size) {
  return Guarded<int16_t>("AttrGetString", kErrInternal, [&]() -> int16_t {
    if (buffer == nullptr || size <= 0) {
      return HostErrorSet(kErrBadArgument, "AttrGetString: no buffer");
    }
    buffer[0] = '\0';
    HostState& s = CurrentState();
    if (hFile != 0 && !IsFileListName(attr) && s.tables.Native(hFile) == nullptr &&
        s.tables.Kind(hFile) == TableKind::kDriver) {
      if (s.driver == nullptr) return HostErrorSet(kErrNoDriver, "AttrGetString");
      return s.driver->btrAttributeGetString(hFile, n1, n2, attr, buffer, size, 0);
    }
    std::string text;
    if (int16_t rc = StringGet(hFile, n1, n2, attr, &text)) {
      GetterFailed(rc, "AttrGetString", hFile, attr);
      return rc == kErrNotSupported && !s.strict ? 0 : rc;
    }
    CopyOut(text, buffer, size);
    if (text.size() >= static_cast<std::size_t>(size)) {
      return HostErrorSet(kErrBufferTooSmall, (Where("AttrGetString", hFile, attr) + ": " +
                                               std::to_string(text.size() + 1) + " bytes needed")
                                                  .c_str());
    }
    return 0;
  });
}

int16_t VV_CALL SlotAttrSetNumeric(int32_t hFile, int32_t n1, int32_t n2, int32_t attr,
                                   int32_t value) {
  return Guarded<int16_t>("AttrSetNumeric", kErrInternal, [&]() -> int16_t {
    HostState& s = CurrentState();
    int16_t rc = 0;
    if (hFile == 0) {
      rc = GlobalSet(attr, value);
    } else if (NativeTable* t = s.tables.Native(hFile)) {
      rc = t->AttrSetNumeric(n1, n2, attr, value);
    } else if (s.tables.Kind(hFile) == TableKind::kDriver) {
      if (attr == VV_ATTR_FILE_RECORD_STATE) {
        // The driver drops the host's found record after it deleted it.
        if (value != VV_RECORD_NONE)
          rc = kErrBadAttributeValue;
        else
          s.tables.SetRecordState(hFile, VV_RECORD_NONE);
      } else if (s.driver == nullptr) {
        rc = kErrNoDriver;
      } else {
        return s.driver->btrAttributeSetNumeric(hFile, n1, n2, attr, value, 0);
      }
    } else {
      rc = kErrBadHandle;
    }
    if (rc == 0) return 0;
    return HostErrorSet(
        rc, (Where("AttrSetNumeric", hFile, attr) + " = " + std::to_string(value)).c_str());
  });
}

int16_t VV_CALL SlotAttrSetString(int32_t hFile, int32_t n1, int32_t n2, int32_t attr,
                                  const char* text) {
  return Guarded<int16_t>("AttrSetString", kErrInternal, [&]() -> int16_t {
    if (text == nullptr) return NullArgument("AttrSetString");
    HostState& s = CurrentState();
    int16_t rc = kErrNotSupported;
    if (hFile == 0) {
      if (attr == VV_HOST_ATTR_DATA_PATH) {
        s.dataPath = text;
        rc = 0;
      }
    } else if (IsFileListName(attr)) {
      if (std::strlen(text) > FileListLimit(attr)) {
        rc = kErrBadAttributeValue;
      } else {
        FileListName(s.tables.FileList(hFile), attr) = text;
        rc = 0;
      }
    } else if (s.tables.Native(hFile) == nullptr && s.tables.Kind(hFile) == TableKind::kDriver) {
      if (s.driver == nullptr) return HostErrorSet(kErrNoDriver, "AttrSetString");
      return s.driver->btrAttributeSetString(hFile, n1, n2, attr, text, 0);
    } else if (s.tables.Kind(hFile) == TableKind::kNone) {
      rc = kErrBadHandle;
    }
    if (rc == 0) return 0;
    return HostErrorSet(rc, Where("AttrSetString", hFile, attr).c_str());
  });
}

}  // namespace vv::host
