#include "engine/file_registry.h"

#include <cctype>

namespace vv::engine {

std::string CanonicalPath(const std::string& path) {
  return platform::FullPathName(platform::NativePath(path));
}

std::string RegistryKey(const std::string& native_path) {
#ifdef _WIN32
  // Windows file names are case-insensitive: one file, one key.
  std::string key = native_path;
  for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return key;
#else
  return native_path;
#endif
}

FileState* FindOpenFile(EngineState& st, const std::string& native_path) {
  const auto it = st.files.find(RegistryKey(native_path));
  return it == st.files.end() ? nullptr : it->second.get();
}

int16_t AcquireFile(EngineState& st, const std::string& native_path, FileState** out) {
  if (FileState* open = FindOpenFile(st, native_path)) {
    *out = open;
    return 0;
  }
  std::string key = RegistryKey(native_path);
  std::unique_ptr<FileState> state;
  if (const int16_t status = LoadFile(st.fs, &st.cache, native_path, &state); status != 0) {
    return status;
  }
  state->registry_key = key;
  FileState* raw = state.get();
  st.files.emplace(std::move(key), std::move(state));
  *out = raw;
  return 0;
}

void ReleaseIfUnused(EngineState& st, FileState* file) {
  if (file == nullptr || file->cursor_count > 0 || file->transaction_refs > 0) return;
  file->store->pager().CloseClean();
  st.files.erase(file->registry_key);
}

}  // namespace vv::engine
