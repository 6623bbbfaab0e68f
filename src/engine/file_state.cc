#include "engine/file_state.h"

#include <algorithm>
#include <cstring>

#include "engine/byte_order.h"
#include "engine/log_convert.h"
#include "engine/log_format.h"
#include "veverave/btrieve.h"

namespace vv::engine {

bool FileState::variable_length() const {
  return (attrs.flags & BTR_FILE_VARIABLE) != 0;
}

FileDefinition FileState::Definition() const {
  FileDefinition def;
  def.attrs = attrs;
  def.acs = acs;
  def.keys.reserve(indexes.size());
  for (const auto& index : indexes) def.keys.push_back(DefinedKey{index->id, index->def});
  def.next_address = header().next_address;
  def.next_stamp = header().next_stamp;
  return def;
}

namespace {

int16_t OpenLocked(FileSystem* fs, const std::string& path, std::unique_ptr<platform::File>* out,
                   bool* writable) {
  if (!fs->FileExists(path)) return BTR_STATUS_FILE_NOT_FOUND;
  platform::FsResult error = platform::FsResult::kOk;
  *writable = true;
  std::unique_ptr<platform::File> handle =
      fs->OpenFile(path, platform::OpenMode::kReadWrite, &error);
  if (!handle && error == platform::FsResult::kAccessDenied) {
    *writable = false;
    handle = fs->OpenFile(path, platform::OpenMode::kRead, &error);
  }
  if (!handle) {
    if (error == platform::FsResult::kNotFound) return BTR_STATUS_FILE_NOT_FOUND;
    return error == platform::FsResult::kAccessDenied ? BTR_STATUS_ACCESS_DENIED
                                                      : BTR_STATUS_IO_ERROR;
  }
  if (!handle->LockRange(kProcessLockOffset, 1, false)) return BTR_STATUS_FILE_LOCKED;
  *out = std::move(handle);
  return 0;
}

// The state of a file whose pager is open.
int16_t BuildState(std::unique_ptr<Pager> pager, bool writable, std::unique_ptr<FileState>* out) {
  StoreHeader header;
  {
    PageRef h = pager->Read(0);
    if (DecodeStoreHeader(h.data(), &header, false) != HeaderRead::kOk) {
      return BTR_STATUS_IO_ERROR;
    }
  }
  auto file = std::make_unique<FileState>();
  file->writable = writable;
  file->store = std::make_unique<FileStore>(std::move(pager), std::move(header));
  FileDefinition def = file->store->ReadDefinition();
  const StoreHeader& h = file->header();
  if (def.keys.size() != h.indexes.size()) return BTR_STATUS_IO_ERROR;
  file->attrs = std::move(def.attrs);
  file->acs = std::move(def.acs);
  file->indexes.reserve(def.keys.size());
  for (std::size_t i = 0; i < def.keys.size(); ++i) {
    DefinedKey& k = def.keys[i];
    if (k.id != h.indexes[i].id) return BTR_STATUS_IO_ERROR;
    file->next_index_id = std::max(file->next_index_id, k.id + 1);
    auto index = std::make_unique<KeyIndex>(k.id, std::move(k.def), &file->acs);
    index->root = h.indexes[i].root;
    index->distinct = h.indexes[i].distinct;
    index->AttachTree(&file->store->pager(), file->store.get());
    file->indexes.push_back(std::move(index));
  }
  *out = std::move(file);
  return 0;
}

}  // namespace

int16_t LoadFile(FileSystem* fs, PageCache* cache, const std::string& native_path,
                 std::unique_ptr<FileState>* out) {
  for (int attempt = 0;; ++attempt) {
    std::unique_ptr<platform::File> handle;
    bool writable = true;
    if (const int16_t s = OpenLocked(fs, native_path, &handle, &writable); s != 0) return s;
    uint8_t page[kPageSize] = {};
    const int64_t got = handle->ReadAt(0, page, kPageSize);
    if (got < 0) return BTR_STATUS_IO_ERROR;
    if (static_cast<std::size_t>(got) < kSignatureSize ||
        std::memcmp(page, kSignature, kSignatureSize) != 0) {
      return BTR_STATUS_NOT_A_BTRIEVE_FILE;
    }
    StoreHeader header;
    const HeaderRead read = DecodeStoreHeader(page, &header, true);
    if (read == HeaderRead::kNotOurs) return BTR_STATUS_NOT_A_BTRIEVE_FILE;
    if (read == HeaderRead::kLogFormat) {
      // Converted once, then opened like any other file.
      if (attempt > 0 || !writable) return BTR_STATUS_NOT_A_BTRIEVE_FILE;
      if (const int16_t s = ConvertLogFile(fs, cache, native_path, std::move(handle)); s != 0) {
        return s;
      }
      continue;
    }
    // A damaged header page may be the torn write of a checkpoint: the log
    // then holds the page, and the salt in its first bytes is good.
    if (static_cast<std::size_t>(got) < 24) return BTR_STATUS_IO_ERROR;
    std::unique_ptr<Pager> pager;
    if (const int16_t s = Pager::Open(fs, cache, native_path, std::move(handle), writable,
                                      HeaderSalt(page), &pager);
        s != 0) {
      return s;
    }
    try {
      return BuildState(std::move(pager), writable, out);
    } catch (const StorageError& e) {
      return e.status;
    }
  }
}

void BeginStoreWrite(FileState& file) {
  file.store->Begin();
}

void CommitStoreWrite(FileState& file, bool sync) {
  std::vector<IndexRoot>& roots = file.header().indexes;
  roots.clear();
  for (const auto& index : file.indexes) {
    roots.push_back(IndexRoot{index->id, index->root, index->distinct});
  }
  file.store->Commit(sync);
}

void AbortStoreWrite(FileState& file) {
  file.store->Abort();
  file.store->records().Invalidate();
  for (const auto& index : file.indexes) index->tree->Invalidate();
  for (const auto& index : file.indexes) {
    for (const IndexRoot& r : file.header().indexes) {
      if (r.id != index->id) continue;
      index->root = r.root;
      index->distinct = r.distinct;
    }
  }
}

namespace {

bool HasCommittedKey(KeyIndex& index, const uint8_t* key) {
  uint8_t probe[kMaxTreeKey];
  index.TreeKey(key, 0, probe);
  const BTree::Pos pos = index.tree->LowerBound(probe);
  return pos.valid() && index.Compare(index.tree->At(pos).key, key) == 0;
}

}  // namespace

void PutEntry(KeyIndex& index, const uint8_t* key, uint64_t stamp, uint32_t address,
              uint32_t hint) {
  // A unique key never holds the value already (the change was checked).
  const bool known = index.def.duplicates() && HasCommittedKey(index, key);
  uint8_t tree_key[kMaxTreeKey];
  index.TreeKey(key, stamp, tree_key);
  uint8_t value[8];
  StoreU32(value, address);
  StoreU32(value + 4, hint);
  index.tree->Put(tree_key, value, sizeof value);
  if (!known) ++index.distinct;
}

void EraseEntry(KeyIndex& index, const uint8_t* key, uint64_t stamp) {
  uint8_t tree_key[kMaxTreeKey];
  index.TreeKey(key, stamp, tree_key);
  if (index.tree->Erase(tree_key) && !HasCommittedKey(index, key) && index.distinct > 0) {
    --index.distinct;
  }
}

int16_t BuildIndex(FileState& file, KeyIndex& index, std::size_t* position) {
  std::size_t at = 0;
  while (at < file.indexes.size() && file.indexes[at]->def.number < index.def.number) ++at;
  *position = at;
  FileStore& store = *file.store;
  uint8_t probe[4];
  uint8_t key[BTR_MAX_KEY_SIZE];
  for (uint32_t next = 0;;) {
    StoreU32(probe, next);
    const BTree::Pos pos = store.records().LowerBound(probe);
    if (!pos.valid()) break;
    uint32_t address = 0;
    StoredRecord record;
    store.RecordAt(pos, &address, &record);
    if (record.stamps.size() != file.indexes.size() ||
        record.image.size() < file.attrs.record_length) {
      throw StorageError{BTR_STATUS_IO_ERROR};
    }
    ExtractKey(index.def, reinterpret_cast<const uint8_t*>(record.image.data()), key);
    uint64_t stamp = 0;
    const bool in_key = !IsNullKey(index.def, key);
    if (in_key) {
      if (!index.def.duplicates() && HasCommittedKey(index, key)) return BTR_STATUS_DUPLICATE_KEY;
      stamp = store.header().next_stamp++;
    }
    record.stamps.insert(record.stamps.begin() + static_cast<std::ptrdiff_t>(at), stamp);
    const uint32_t leaf = store.WriteRecord(address, record);
    if (in_key) PutEntry(index, key, stamp, address, leaf);
    if (address == UINT32_MAX) break;
    next = address + 1;
  }
  return 0;
}

void DestroyIndex(FileState& file, std::size_t position) {
  FileStore& store = *file.store;
  file.indexes[position]->tree->Destroy();
  uint8_t probe[4];
  for (uint32_t next = 0;;) {
    StoreU32(probe, next);
    const BTree::Pos pos = store.records().LowerBound(probe);
    if (!pos.valid()) break;
    uint32_t address = 0;
    StoredRecord record;
    store.RecordAt(pos, &address, &record);
    if (record.stamps.size() != file.indexes.size()) throw StorageError{BTR_STATUS_IO_ERROR};
    record.stamps.erase(record.stamps.begin() + static_cast<std::ptrdiff_t>(position));
    store.WriteRecord(address, record);
    if (address == UINT32_MAX) break;
    next = address + 1;
  }
}

}  // namespace vv::engine
