// The records of an open file that transactions have changed and not yet
// ended, by address (every other record is only in the file's pages). Such
// a record keeps a copy of its committed image and at most one pending change
// owned by a transaction (the transaction's implicit lock on the record keeps
// a second one out); it leaves memory when that transaction ends:
//
//   committed only ──txn change──▶ committed + pending ──End──▶ committed (new image)
//                                        │
//                                        └──────Abort──────▶ committed (old image)
//
// A record inserted by a transaction has no committed image until End; one
// deleted by a transaction keeps it until End. Addresses ascend with every
// insert and are never given out twice; physical order is address order.
//
// A record a transaction inserted and has not changed since needs no pending
// change: inserted_by names the transaction, and image, version and entries
// are the ones it sees. Large transactions insert many records, and this
// spares each one an allocation. The transaction's next change of the record
// moves them into a pending change (a record without committed image).
#ifndef VEVERAVE_ENGINE_RECORD_STORE_H_
#define VEVERAVE_ENGINE_RECORD_STORE_H_

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/key_index.h"

namespace vv::engine {

struct PendingChange {
  uint32_t txn = 0;
  bool deleted = false;
  std::string image;  // the new image unless deleted
  uint64_t version = 0;
  // Per index: the stamp of the entry the transaction sees for this record
  // (one it added, or the committed one; 0 when it has none). Its key is
  // the key of the pending image.
  std::vector<uint64_t> seen;
};

struct Record {
  bool committed = false;    // a committed image exists
  uint32_t inserted_by = 0;  // the transaction of an uncommitted, unchanged insert
  std::string image;
  // The stamp of the change that wrote the image; a cursor that read
  // another version than the current one gets a conflict on Update and
  // Delete.
  uint64_t version = 0;
  // Per index: the stamp of the committed entry (its key is the key of the
  // committed image, or of the inserted one), or 0 for a record left out of
  // the key. Empty in a record that has only a pending change.
  std::vector<uint64_t> entries;
  std::unique_ptr<PendingChange> pending;
};

using RecordMap = std::map<uint32_t, Record>;

// The image the transaction txn (0: none) sees, or nullptr when the record
// does not exist for it. *version receives that image's version.
inline const std::string* VisibleImage(const Record& r, uint32_t txn, uint64_t* version = nullptr) {
  if (r.pending && r.pending->txn == txn && txn != 0) {
    if (version != nullptr) *version = r.pending->version;
    return r.pending->deleted ? nullptr : &r.pending->image;
  }
  // The committed image, or an insert that only its own transaction sees.
  const bool visible = r.committed || (r.inserted_by != 0 && r.inserted_by == txn);
  if (version != nullptr) *version = visible ? r.version : 0;
  return visible ? &r.image : nullptr;
}

// Whether a transaction other than txn holds an uncommitted change of it.
inline bool PendingByOther(const Record& r, uint32_t txn) {
  if (r.inserted_by != 0) return r.inserted_by != txn;
  return r.pending && r.pending->txn != txn;
}

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_RECORD_STORE_H_
