// The in-memory state of one open engine file, shared by every position
// block that has it open: its definition, records, keys, locks and log.
// The file registry owns it; it lives while a position block or a
// transaction refers to it.
#ifndef VEVERAVE_ENGINE_FILE_STATE_H_
#define VEVERAVE_ENGINE_FILE_STATE_H_

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/file_definition.h"
#include "engine/key_index.h"
#include "engine/log_format.h"
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
  std::unique_ptr<platform::File> file;
  bool writable = true;   // false when the OS file could only be opened for reading
  bool poisoned = false;  // a failed write left the log in doubt: everything answers 2

  FileAttributes attrs;
  std::vector<Acs> acs;
  std::vector<std::unique_ptr<KeyIndex>> indexes;  // ascending key number
  uint32_t next_index_id = 1;

  RecordMap records;
  uint64_t records_epoch = 0;  // raised by every record erase
  uint32_t committed_count = 0;
  uint32_t pending_records = 0;  // records with a pending change of any transaction
  uint32_t next_address = 1;
  uint64_t next_stamp = 1;
  uint64_t next_version = 1;

  // Log.
  uint64_t log_size = 0;     // where the next record goes
  uint64_t opened_size = 0;  // the log size found at the open
  uint64_t live_bytes = 0;   // what a compacted copy would take, roughly
  HeaderSlot header;         // the slot in force: its durable length, once synced
  int header_slot = 0;
  bool mark_synced = true;             // the slot in force reached stable storage
  uint64_t compaction_retry_size = 0;  // after a failed compaction: try again beyond this

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
  // The definition as the log stores it (allocates).
  FileDefinition Definition() const;
};

// Bytes a record takes in a compacted file.
uint64_t LiveBytesOf(std::size_t image_size, std::size_t index_count);

// Builds the state of a file from a definition (no records yet).
std::unique_ptr<FileState> NewFileState(FileDefinition def);

// A new index built over the committed records, with everything installing
// it needs allocated ahead.
struct PreparedIndex {
  std::unique_ptr<KeyIndex> index;
  std::size_t position = 0;  // its place in FileState::indexes
  // The new per-index entry list of every record, in address order.
  std::vector<std::vector<uint64_t>> record_entries;
};
// Builds the index of a new key; equal keys are stamped in address order.
// Returns 0, or 5 when a unique key would get duplicates. The file must have
// no pending changes. Changes nothing in the file.
int16_t PrepareIndex(FileState& file, uint32_t id, KeyDef def, PreparedIndex* out);
// Adds a prepared index; cannot fail.
void InstallIndex(FileState& file, PreparedIndex* prepared);
// Removes the index at a position; cannot fail. The file must have no
// pending changes.
void DropIndex(FileState& file, std::size_t position);

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_FILE_STATE_H_
