// Open, Close and Create.
#include "engine/file_create.h"
#include "engine/file_registry.h"
#include "engine/file_store.h"
#include "engine/log_format.h"
#include "engine/ops.h"
#include "veverave/btrieve.h"

namespace vv::engine {

namespace {

bool OthersHaveOpen(const EngineState& st, const FileState* file, const Client* me) {
  for (const auto& [id, cursor] : st.cursors) {
    if (cursor->file == file && cursor->client != me) return true;
  }
  return false;
}

uint32_t NextCheck(EngineState& st) {
  st.next_check = st.next_check * 1664525u + 1013904223u;
  return st.next_check;
}

}  // namespace

int16_t OpOpen(EngineState& st, Call& call) {
  if (call.pos_block == nullptr) return BTR_STATUS_FILE_NOT_OPEN;
  const std::string path = BufferText(call.key, call.key_cap, true);
  if (path.empty()) return BTR_STATUS_INVALID_FILE_NAME;
  const int mode = call.key_number;
  if (mode != BTR_OPEN_NORMAL && mode != BTR_OPEN_ACCELERATED && mode != BTR_OPEN_READ_ONLY &&
      mode != BTR_OPEN_VERIFY && mode != BTR_OPEN_EXCLUSIVE) {
    return BTR_STATUS_INCOMPATIBLE_MODE;
  }
  const std::string owner = BufferText(call.data, call.data_cap, false);

  FileState* file = nullptr;
  if (const int16_t s = AcquireFile(st, CanonicalPath(path), &file); s != 0) return s;
  Client* me = call.client;
  int16_t status = 0;
  if ((file->exclusive_open != nullptr && file->exclusive_open != me) ||
      (mode == BTR_OPEN_EXCLUSIVE && OthersHaveOpen(st, file, me))) {
    status = BTR_STATUS_INCOMPATIBLE_MODE;
  }
  // Owner modes 1 and 3 let a caller without the name read; a wrong name is
  // refused in every mode.
  bool owner_ok = true;
  if (status == 0 && !file->attrs.owner.empty() && owner != file->attrs.owner) {
    owner_ok = false;
    if (!owner.empty() || (file->attrs.owner_mode & 1) == 0) status = BTR_STATUS_INVALID_OWNER;
  }
  if (status != 0) {
    ReleaseIfUnused(st, file);
    return status;
  }

  try {
    auto cursor = std::make_unique<Cursor>();
    cursor->id = st.next_cursor_id;
    cursor->check = NextCheck(st);
    cursor->client = me;
    cursor->file = file;
    cursor->owner_ok = owner_ok;
    cursor->read_only = mode == BTR_OPEN_READ_ONLY || !owner_ok || !file->writable;
    cursor->exclusive = mode == BTR_OPEN_EXCLUSIVE;
    Cursor* raw = cursor.get();
    st.cursors.emplace(raw->id, std::move(cursor));
    ++st.next_cursor_id;
    ++file->cursor_count;
    ++me->cursor_count;
    if (raw->exclusive) {
      file->exclusive_open = me;
      ++file->exclusive_open_count;
    }
    InitPositionBlock(call.pos_block, *raw);
  } catch (...) {
    ReleaseIfUnused(st, file);
    throw;
  }
  return 0;
}

int16_t OpClose(EngineState& st, Call& call) {
  Cursor* cursor = ResolveCursor(st, call);
  if (cursor == nullptr) return BTR_STATUS_FILE_NOT_OPEN;
  CloseCursor(st, cursor, call.pos_block);
  return 0;
}

int16_t OpCreate(EngineState& st, Call& call) {
  const std::string path = BufferText(call.key, call.key_cap, true);
  if (path.empty()) return BTR_STATUS_INVALID_FILE_NAME;
  FileDefinition def;
  const uint32_t len = call.data == nullptr ? 0 : call.data_cap;
  if (const int16_t s = ParseCreateBuffer(call.data, len, st.options.create_version, &def);
      s != 0) {
    return s;
  }
  const std::string native = CanonicalPath(path);
  // Any mode but "do not replace" replaces an existing file.
  const bool replace = call.key_number != BTR_CREATE_NO_REPLACE;
  if (FindOpenFile(st, native) != nullptr) {
    return replace ? BTR_STATUS_INCOMPATIBLE_MODE : BTR_STATUS_FILE_EXISTS;
  }
  const bool exists = st.fs->FileExists(native);
  if (exists && !replace) return BTR_STATUS_FILE_EXISTS;
  // A file another process has open is not replaced under it; holding its
  // lock meanwhile keeps that process from opening it until it is replaced.
  std::unique_ptr<platform::File> old;
  if (exists) {
    old = st.fs->OpenFile(native, platform::OpenMode::kReadWrite, nullptr);
    if (old && !old->LockRange(kProcessLockOffset, 1, false)) return BTR_STATUS_FILE_LOCKED;
  }
  // A log left beside the old file by a crash goes first: it must never be
  // replayed into the new one.
  if (st.fs->FileExists(LogPath(native)) &&
      st.fs->DeleteFile(LogPath(native)) != platform::FsResult::kOk) {
    return BTR_STATUS_CREATE_IO_ERROR;
  }
  return WriteFileAtomically(st.fs, native, NewStoreImage(def, NewSalt(&st)), replace);
}

}  // namespace vv::engine
