#include "host/table_manager.h"

#include <cstring>
#include <vector>

#include "host/host_state.h"
#include "platform/platform.h"

namespace vv::host {
namespace {

constexpr std::string_view kIntExtension = ".INT";

std::string Upper(std::string_view s) {
  std::string r(s);
  for (char& c : r) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return r;
}

std::string Trim(std::string_view s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return std::string(s.substr(b, e - b));
}

int16_t Report(int16_t code, const std::string& text) {
  return HostErrorSet(code, text.c_str());
}

bool RecordAttached(int32_t handle) {
  const HostState& s = CurrentState();
  auto it = s.handles.find(handle);
  return it != s.handles.end() && it->second != nullptr;
}

// What the first keyword line of an INT file says about its driver.
enum class IntDriver { kNone, kOurs, kOther };

IntDriver IntFileDriver(const std::string& path, std::string* named) {
  std::unique_ptr<TextFileReader> reader = TextFileReader::Open(path);
  if (!reader) return IntDriver::kNone;
  const TextLine line = reader->Next();
  *named = line.value;
  if (Upper(line.value) == VV_DRIVER_NAME) return IntDriver::kOurs;
  return line.code == VV_LINE_DRIVER_NAME ? IntDriver::kOther : IntDriver::kNone;
}

}  // namespace

TableManager::TableManager() = default;
TableManager::~TableManager() = default;

TableManager::Entry* TableManager::FindEntry(int32_t handle) {
  auto it = open_.find(handle);
  return it == open_.end() ? nullptr : &it->second;
}

TableKind TableManager::Kind(int32_t handle) const {
  auto it = open_.find(handle);
  if (it != open_.end()) return it->second.kind;
  return RecordAttached(handle) ? TableKind::kDriver : TableKind::kNone;
}

NativeTable* TableManager::Native(int32_t handle) const {
  auto it = open_.find(handle);
  return it == open_.end() ? nullptr : it->second.native.get();
}

int32_t TableManager::RecordState(int32_t handle) const {
  auto it = open_.find(handle);
  if (it == open_.end()) return VV_RECORD_NONE;
  return it->second.native ? it->second.native->record_state() : it->second.recordState;
}

void TableManager::SetRecordState(int32_t handle, int32_t state) {
  Entry* e = FindEntry(handle);
  if (e == nullptr) return;
  if (e->native) {
    if (state == VV_RECORD_NONE) e->native->DropFound();
  } else {
    e->recordState = state;
  }
}

int32_t TableManager::NextInUse(int32_t after) const {
  int32_t next = 0;
  auto consider = [&](int32_t h) {
    if (h > after && (next == 0 || h < next)) next = h;
  };
  for (const auto& [h, entry] : open_) consider(h);
  for (const auto& [h, record] : CurrentState().handles) {
    if (record != nullptr) consider(h);
  }
  return next;
}

int32_t TableManager::FreeHandle() const {
  int32_t h = 0;
  for (int32_t next = NextInUse(0); next == h + 1; next = NextInUse(h)) h = next;
  return h + 1;
}

const FileListEntry* TableManager::FindFileList(int32_t handle) const {
  auto it = fileList_.find(handle);
  return it == fileList_.end() ? nullptr : &it->second;
}

int16_t TableManager::Open(const char* name, int32_t mode, int32_t* handle) {
  if (name == nullptr || handle == nullptr)
    return Report(kErrBadArgument, "FileOpen: null pointer");
  int32_t h = *handle;
  if (h < 0) return Report(kErrBadHandle, "FileOpen: handle " + std::to_string(h));
  if (h == 0) h = FreeHandle();
  std::string given = Trim(name);
  if (given.empty()) {
    const FileListEntry* entry = FindFileList(h);
    if (entry == nullptr || entry->rootName.empty()) {
      return Report(kErrCannotOpen, "no name for handle " + std::to_string(h));
    }
    given = entry->rootName;
  }
  if (Kind(h) != TableKind::kNone) {
    if (int16_t rc = Close(h)) return rc;
  }
  const std::string& dataPath = CurrentState().dataPath;
  const std::string prefix = std::string(VV_DRIVER_NAME) + ":";
  int16_t rc = 0;
  if (Upper(given.substr(0, prefix.size())) == prefix) {
    rc = OpenDriver(h, Trim(given.substr(prefix.size())), mode, false);
  } else {
    const std::string ext = Upper(platform::SplitPath(given).ext);
    std::optional<std::string> intPath;
    if (ext.empty() || ext == kIntExtension)
      intPath = platform::SearchPath(dataPath, given, kIntExtension);
    std::optional<std::string> nativePath;
    std::string named;
    const IntDriver driver = intPath ? IntFileDriver(*intPath, &named) : IntDriver::kNone;
    if (driver == IntDriver::kOurs) {
      rc = OpenDriver(h, *intPath, mode, true);
    } else if (driver == IntDriver::kOther) {
      rc = Report(kErrCannotOpen, given + ": driver " + named + " is not available");
    } else if (ext == kIntExtension) {
      rc = Report(kErrCannotOpen, given + (intPath ? ": not a table's INT file" : ": not found"));
    } else if ((nativePath = platform::SearchPath(dataPath, given, kNativeExtension))) {
      rc = OpenNative(h, *nativePath);
    } else {
      rc = Report(kErrCannotOpen, given + ": table not found");
    }
  }
  if (rc != 0) return rc;
  fileList_[h].rootName = given;
  *handle = h;
  return 0;
}

int16_t TableManager::OpenDriver(int32_t handle, const std::string& name, int32_t mode,
                                 bool viaIntFile) {
  HostState& s = CurrentState();
  if (s.driver == nullptr) {
    return Report(kErrNoDriver,
                  name + ": needs the driver " VV_DRIVER_NAME ", which is not loaded");
  }
  int32_t driverHandle = viaIntFile ? -handle : handle;
  const TextFileReader* reader = nullptr;
  if (viaIntFile) {
    s.textReader = TextFileReader::Open(name);
    reader = s.textReader.get();
  }
  const int16_t rc = s.driver->btrFileOpen(name.c_str(), mode, &driverHandle);
  if (reader != nullptr && s.textReader.get() == reader) s.textReader.reset();
  if (rc != 0) return rc;
  if (!RecordAttached(handle)) {
    return Report(kErrCannotOpen,
                  name + ": the driver attached no table to handle " + std::to_string(handle));
  }
  open_[handle].kind = TableKind::kDriver;
  return 0;
}

int16_t TableManager::OpenNative(int32_t handle, const std::string& path) {
  std::unique_ptr<NativeTable> table;
  if (int16_t rc = NativeTable::Open(path, &table)) return rc;
  CurrentState().handles[handle] = table.get();
  Entry& e = open_[handle];
  e.kind = TableKind::kNative;
  e.native = std::move(table);
  return 0;
}

void TableManager::ForgetIfDetached(int32_t handle) {
  auto it = open_.find(handle);
  if (it != open_.end() && it->second.kind == TableKind::kDriver && !RecordAttached(handle)) {
    open_.erase(it);
  }
}

int16_t TableManager::Close(int32_t handle) {
  switch (Kind(handle)) {
    case TableKind::kNative:
      open_.erase(handle);
      CurrentState().handles.erase(handle);
      return 0;
    case TableKind::kDriver: {
      VvDriverFuncTable* driver = CurrentState().driver;
      if (driver == nullptr)
        return Report(kErrNoDriver, "FileClose: handle " + std::to_string(handle));
      const int16_t rc = driver->btrFileClose(handle, 0);
      ForgetIfDetached(handle);
      return rc;
    }
    default:
      return Report(kErrBadHandle, "FileClose: handle " + std::to_string(handle));
  }
}

int16_t TableManager::Erase(int32_t handle) {
  if (Kind(handle) == TableKind::kNative) {
    const std::string path = Native(handle)->path();
    Close(handle);
    if (platform::DeleteFile(path) != platform::FsResult::kOk) return Report(kErrFileDelete, path);
    return 0;
  }
  if (Kind(handle) == TableKind::kNone) {
    return Report(kErrBadHandle, "FileErase: handle " + std::to_string(handle));
  }
  VvDriverFuncTable* driver = CurrentState().driver;
  if (driver == nullptr) return Report(kErrNoDriver, "FileErase: handle " + std::to_string(handle));
  const int16_t rc = driver->btrFileDelete(handle);
  ForgetIfDetached(handle);
  return rc;
}

void TableManager::CloseAll(bool driverTablesOnly) {
  std::vector<int32_t> handles;
  for (const auto& [h, entry] : open_) {
    if (!driverTablesOnly || entry.kind == TableKind::kDriver) handles.push_back(h);
  }
  for (int32_t h : handles) {
    if (Kind(h) == TableKind::kDriver && CurrentState().driver == nullptr) continue;
    Close(h);
  }
}

void TableManager::ForgetDriverTables() {
  for (auto it = open_.begin(); it != open_.end();) {
    it = it->second.kind == TableKind::kDriver ? open_.erase(it) : std::next(it);
  }
}

}  // namespace vv::host
