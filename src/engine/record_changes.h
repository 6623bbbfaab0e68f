// Changing records and their key entries.
//
// Outside a transaction a change goes straight to the file's pages
// (WriteDirect, inside a store write that commits it to the log). Inside
// one it stays in memory until End Transaction, in two steps: PrepareTxn
// computes the new keys and allocates every node and buffer the change
// needs (it may throw and changes nothing), ApplyTxn then links it all in
// without allocating, so it cannot fail halfway. End writes the
// transaction's records to the pages (WriteCommitted, inside one store
// write) and only then lets go of their in-memory state (DropChange), which
// Abort does alone.
#ifndef VEVERAVE_ENGINE_RECORD_CHANGES_H_
#define VEVERAVE_ENGINE_RECORD_CHANGES_H_

#include <memory>
#include <string>
#include <vector>

#include "engine/file_state.h"
#include "engine/key_values.h"
#include "engine/log_format.h"

namespace vv::engine {

struct PreparedChange {
  RecordKind kind = RecordKind::kInsert;
  uint32_t address = 0;
  uint64_t stamp = 0;  // of the change; also the version of the new image
  uint32_t txn = 0;
  std::string image;  // the new image (insert, update)
  KeyValues keys;     // of the new image
  // Update and delete: the record as the author sees it.
  std::string old_image;
  std::vector<uint64_t> old_stamps;
  std::vector<bool> changed;               // per index: differs from the key the author saw
  RecordMap::node_type record_node;        // the transaction's record, new in memory
  std::unique_ptr<PendingChange> pending;  // the transaction's first change of the record
};

// The stamp of the entry transaction txn (0: none) sees for a record in
// memory on index i; 0 when it sees none. Its key is the key of VisibleImage.
uint64_t SeenStamp(const Record& record, std::size_t i, uint32_t txn);

// Computes the keys of the new image, and for an update which keys change.
// Expects kind, address, stamp, txn, image and (update, delete) the old
// image and stamps set.
void PrepareKeys(const FileState& file, PreparedChange* change);

// Writes a change outside any transaction to the pages.
void WriteDirect(FileState& file, const PreparedChange& change);

// A transaction's change: everything allocated ahead, then linked in.
// Returns the record in memory. ApplyTxn cannot fail.
void PrepareTxn(const FileState& file, PreparedChange* change);
RecordMap::iterator ApplyTxn(FileState& file, PreparedChange* change);

// Writes the final state of a transaction's records to the pages.
void WriteCommitted(FileState& file, std::vector<RecordMap::iterator> records);
// Lets go of a transaction's record and its in-memory entries. Cannot fail.
void DropChange(FileState& file, RecordMap::iterator it);

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_RECORD_CHANGES_H_
