// Helpers shared by the operation handlers.
#include <algorithm>
#include <cstring>

#include "engine/file_registry.h"
#include "engine/locks.h"
#include "engine/ops.h"
#include "veverave/btrieve.h"

namespace vv::engine {

Cursor* ResolveCursor(EngineState& st, const Call& call) {
  if (call.pos_block == nullptr) return nullptr;
  uint32_t id = 0;
  uint32_t check = 0;
  if (!ReadPositionBlock(call.pos_block, &id, &check)) return nullptr;
  const auto it = st.cursors.find(id);
  if (it == st.cursors.end()) return nullptr;
  Cursor* cursor = it->second.get();
  // A block of another client, or a stale copy of one, is not open here.
  if (cursor->check != check || cursor->client != call.client) return nullptr;
  return cursor;
}

void CloseCursor(EngineState& st, Cursor* cursor, uint8_t* block) {
  FileState* file = cursor->file;
  ReleaseBlockLocks(*file, *cursor, false);
  --file->cursor_count;
  if (cursor->exclusive && --file->exclusive_open_count == 0) file->exclusive_open = nullptr;
  --cursor->client->cursor_count;
  if (block != nullptr) ClearPositionBlock(block);
  st.cursors.erase(cursor->id);
  ReleaseIfUnused(st, file);
}

std::string BufferText(const uint8_t* p, std::size_t n, bool trim_blanks) {
  if (p == nullptr) return std::string();
  const auto* end = static_cast<const uint8_t*>(std::memchr(p, 0, n));
  std::size_t len = end == nullptr ? n : static_cast<std::size_t>(end - p);
  if (trim_blanks) {
    while (len > 0 && p[len - 1] == ' ') --len;
  }
  return std::string(reinterpret_cast<const char*>(p), len);
}

int16_t ReturnRecord(Call& call, const FileState& file, const std::string& image) {
  const uint32_t cap = call.data == nullptr ? 0 : call.data_cap;
  if (cap >= image.size()) {
    std::memcpy(call.data, image.data(), image.size());
    call.SetDataLength(static_cast<uint32_t>(image.size()));
    return 0;
  }
  if (file.variable_length() && cap >= file.attrs.record_length) {
    std::memcpy(call.data, image.data(), cap);
    call.SetDataLength(cap);
  }
  return BTR_STATUS_DATA_BUFFER_TOO_SHORT;
}

void ReturnKey(Call& call, const uint8_t* key, std::size_t n) {
  if (call.key != nullptr && call.key_cap >= n) std::memcpy(call.key, key, n);
}

int ReadBias(const Call& call, const Client& client) {
  if (call.lock_bias != 0) return call.lock_bias;
  return client.txn ? client.txn->default_bias : 0;
}

void SetCurrent(Cursor& cursor, uint32_t address, uint64_t version) {
  cursor.has_current = true;
  cursor.current = address;
  cursor.read_version = version;
  cursor.has_physical = true;
  cursor.physical = address;
  cursor.physical_pos = BTree::Pos{};
}

void SetLogical(Cursor& cursor, const KeyIndex& index, const ViewEntry& entry) {
  cursor.key_path = index.def.number;
  std::memcpy(cursor.key_value.data(), entry.key.data(), index.key_length);
  cursor.key_stamp = entry.stamp;
  cursor.cached = entry.pos;
  cursor.cached_epoch = index.tree->epoch();
  cursor.cache_valid = entry.in_tree;
}

void SetLogicalValue(Cursor& cursor, const KeyIndex& index, const uint8_t* key, uint64_t stamp) {
  cursor.key_path = index.def.number;
  std::memcpy(cursor.key_value.data(), key, index.key_length);
  cursor.key_stamp = stamp;
  cursor.cache_valid = false;
}

}  // namespace vv::engine
