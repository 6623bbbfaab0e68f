// Changing records and their key entries in two steps: Prepare* computes the
// new keys and allocates every node and buffer the change needs (it may
// throw std::bad_alloc and changes nothing), ApplyChange then links it all in
// without allocating, so it cannot fail halfway. The log write goes between
// the two: a change reaches memory only after its log record was written.
//
// A change with txn 0 commits at once; with a transaction id it becomes the
// record's pending change (or its uncommitted insert, record_store.h) until
// CommitPending or RollbackPending.
#ifndef VEVERAVE_ENGINE_RECORD_CHANGES_H_
#define VEVERAVE_ENGINE_RECORD_CHANGES_H_

#include <memory>
#include <string>
#include <vector>

#include "engine/file_state.h"
#include "engine/key_values.h"

namespace vv::engine {

struct PreparedChange {
  RecordKind kind = RecordKind::kInsert;
  uint32_t address = 0;
  uint64_t stamp = 0;
  std::vector<uint64_t> key_stamps;  // insert: a stamp per index instead of stamp (snapshots)
  uint32_t txn = 0;
  std::string image;                       // the new image (insert, update)
  KeyValues keys;                          // of the new image
  std::vector<bool> changed;               // per index: differs from the key the author saw
  RecordMap::node_type record_node;        // insert: the new record
  std::unique_ptr<PendingChange> pending;  // the transaction's first change of the record
};

// The stamp of the entry transaction txn (0: none) sees for a record on
// index i; 0 when it sees none. Its key is the key of VisibleImage.
uint64_t SeenStamp(const Record& record, std::size_t i, uint32_t txn);

// Each expects kind, address, stamp, txn and (insert, update) image set.
void PrepareInsert(const FileState& file, PreparedChange* change);
void PrepareUpdate(const FileState& file, const Record& record, PreparedChange* change);
void PrepareDelete(const FileState& file, const Record& record, PreparedChange* change);

// Links a prepared change in. Returns the record, or end() when a
// committed delete removed it. Cannot fail.
RecordMap::iterator ApplyChange(FileState& file, PreparedChange* change);

// Ends a transaction's change of a record (its pending change, or its insert
// of it): makes it the committed state, or drops it.
// swept: the transaction's entries were ended already, by a pass over every
// index (KeyIndex::EndTransaction).
void CommitPending(FileState& file, RecordMap::iterator it, bool swept = false);
void RollbackPending(FileState& file, RecordMap::iterator it, bool swept = false);

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_RECORD_CHANGES_H_
