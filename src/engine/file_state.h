// The state of one open engine file, shared by every position block that
// has it open: its definition, its pages (store), the keys (each with its
// tree of committed entries and its in-memory entries of transactions), the
// records transactions have touched, and the locks. The file registry owns
// it; it lives while a position block or a transaction refers to it.
//
// The committed state lives in the file's pages and is read through the page
// cache. What a transaction changed stays in memory until End Transaction:
// the record with its committed image and its pending change (records), and
// the key entries it added or removed (each key's in-memory tree).
#ifndef VEVERAVE_ENGINE_FILE_STATE_H_
#define VEVERAVE_ENGINE_FILE_STATE_H_

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/file_definition.h"
#include "engine/file_store.h"
#include "engine/file_system.h"
#include "engine/key_index.h"
#include "engine/record_store.h"
#include "platform/platform.h"

namespace vv::engine {

struct Client;

enum class LockKind : uint8_t {
  kSingle,       // single-record lock of a position block
  kMultiple,     // one of a position block's multiple-record locks
  kTransaction,  // taken by a locking read inside a transaction, held to its end
};

struct RecordLock {
  const Client* client = nullptr;
  uint32_t cursor = 0;  // position block (0 for transaction locks)
  LockKind kind = LockKind::kSingle;
};

struct FileState {
  std::string registry_key;  // the canonical path the registry knows it by
  std::string native_path;   // absolute path of the file, used for all later I/O
  std::unique_ptr<FileStore> store;
  bool writable = true;  // false when the OS file could only be opened for reading

  FileAttributes attrs;
  std::vector<Acs> acs;
  std::vector<std::unique_ptr<KeyIndex>> indexes;  // ascending key number
  uint32_t next_index_id = 1;

  RecordMap records;             // records with a change of a transaction that has not ended
  uint32_t pending_records = 0;  // records with a pending change of any transaction
  std::string read_buffer;       // the image a read returns, kept for the next one

  // Sharing.
  int cursor_count = 0;                    // open position blocks
  int transaction_refs = 0;                // transactions that touched it
  const Client* exclusive_open = nullptr;  // client that opened it exclusively
  int exclusive_open_count = 0;
  const Client* exclusive_txn = nullptr;  // client whose exclusive transaction holds it
  std::multimap<uint32_t, RecordLock> locks;

  // Index position of a key number, or -1.
  int IndexOf(int key_number) const {
    for (std::size_t i = 0; i < indexes.size(); ++i) {
      if (indexes[i]->def.number == key_number) return static_cast<int>(i);
    }
    return -1;
  }
  bool variable_length() const;
  bool poisoned() const { return store->pager().poisoned(); }
  StoreHeader& header() { return store->header(); }
  const StoreHeader& header() const { return store->header(); }
  // The definition as the file stores it (allocates).
  FileDefinition Definition() const;
};

// Opens the file at native_path: locks it against other processes, replays
// its log, reads its header and definition (nothing proportional to its
// size). A file in the earlier log format is converted first. Returns 0 and
// the state, or 12 (no such file), 30 (not an engine file), 2 (damaged or
// unreadable), 46 (no access) or 85 (another process has it open).
int16_t LoadFile(FileSystem* fs, PageCache* cache, const std::string& native_path,
                 std::unique_ptr<FileState>* out);

// A write of the file's pages, committed to its log or taken back. Run runs
// change inside one: 0 after the commit (synced when sync), or the status of
// the failure (2, 18, 101) with everything as it was.
template <typename Change>
int16_t StoreWrite(FileState& file, bool sync, Change&& change);
void BeginStoreWrite(FileState& file);
void CommitStoreWrite(FileState& file, bool sync);
void AbortStoreWrite(FileState& file);

// Committed key entries of one record on one key: added or removed in the
// key's tree, with the key's count of distinct values kept.
void PutEntry(KeyIndex& index, const uint8_t* key, uint64_t stamp, uint32_t address, uint32_t hint);
void EraseEntry(KeyIndex& index, const uint8_t* key, uint64_t stamp);

// Adds a key to a file without pending changes, inside a store write: its
// tree is built over the committed records (equal keys stamped in address
// order from the next stamp on) and every record's stamps are extended.
// Returns 0 or 5 (a unique key would get duplicates); the index is ready
// to install at *position once the write commits.
int16_t BuildIndex(FileState& file, KeyIndex& index, std::size_t* position);
// Removes the key at a position inside a store write (its tree freed and
// every record's stamps shortened); the caller erases it from indexes once
// the write commits.
void DestroyIndex(FileState& file, std::size_t position);

template <typename Change>
int16_t StoreWrite(FileState& file, bool sync, Change&& change) {
  try {
    BeginStoreWrite(file);
  } catch (const StorageError& e) {
    return e.status;
  }
  try {
    if (const int16_t s = change(); s != 0) {
      AbortStoreWrite(file);
      return s;
    }
    CommitStoreWrite(file, sync);
    return 0;
  } catch (const StorageError& e) {
    AbortStoreWrite(file);
    return e.status;
  } catch (...) {
    AbortStoreWrite(file);
    throw;
  }
}

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_FILE_STATE_H_
