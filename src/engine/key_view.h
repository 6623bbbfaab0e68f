// Reads along a key as one client sees it: the key's committed entries (its
// tree in the file's pages) merged with the in-memory entries of
// transactions (key_index.h). The reader sees every committed entry except
// those its own transaction removed, and the entries its own transaction
// added; what other transactions did is invisible to it.
//
// Also the record a client sees at an address: the pending image of its own
// transaction, the committed image kept beside another transaction's
// change, or the committed image in the file.
#ifndef VEVERAVE_ENGINE_KEY_VIEW_H_
#define VEVERAVE_ENGINE_KEY_VIEW_H_

#include <array>
#include <cstdint>
#include <string>

#include "engine/file_state.h"
#include "veverave/btrieve.h"

namespace vv::engine {

struct ViewEntry {
  bool valid = false;
  bool in_tree = false;  // a committed entry (else an entry the reader's transaction added)
  uint32_t address = 0;
  uint32_t hint = 0;  // the record tree's leaf where the entry last saw its record
  uint64_t stamp = 0;
  std::array<uint8_t, BTR_MAX_KEY_SIZE> key;
  BTree::Pos pos;  // in the tree, when in_tree
};

// The entry a Get operation lands on; invalid when none qualifies. Equal
// finds the oldest of equal keys.
ViewEntry SeekView(const KeyIndex& index, Seek how, const uint8_t* key, uint32_t txn);
// The entry after (forward) or before (key, stamp).
ViewEntry StepView(const KeyIndex& index, const uint8_t* key, uint64_t stamp, bool forward,
                   uint32_t txn);
// The committed entry at a tree position (for walks that know no
// transaction changed the key).
ViewEntry TreeEntry(const KeyIndex& index, BTree::Pos pos);

// Whether key may be added to a unique key by txn: kDuplicate when txn sees
// an equal entry (other than one of ignore_address), kLocked when only
// another transaction's uncommitted entry is equal.
UniqueCheck CheckUniqueView(const KeyIndex& index, const uint8_t* key, uint32_t txn,
                            uint32_t ignore_address);
// Number of different key values txn sees.
uint32_t CountDistinctView(const KeyIndex& index, uint32_t txn);

// The record at address as txn sees it: false when it sees none. version
// and stamps (per key, 0 for a key it is left out of) may be nullptr; hint:
// where to look first in the record tree (a ViewEntry's), or 0.
bool ReadVisible(FileState& file, uint32_t address, uint32_t txn, std::string* image,
                 uint64_t* version, std::vector<uint64_t>* stamps, uint32_t hint = 0);

// The next (forward) or previous record in address order after / before
// address (from the ends when !from) that txn sees. *pos: the record's
// position in the record tree when it was found there (else invalid); on
// entry, when valid, the position of address, used while no transaction
// holds records in memory.
bool StepPhysical(FileState& file, bool from, uint32_t address, bool forward, uint32_t txn,
                  uint32_t* found, BTree::Pos* pos);

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_KEY_VIEW_H_
