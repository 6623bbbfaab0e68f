// Position blocks. The caller's 128-byte block holds a signature, the id of
// the engine's cursor behind it and a check value; every call validates them
// and that the cursor belongs to the calling client. Bytes 41-44 always hold
// the address of the cursor's current record (0 when it has none).
//
// A cursor keeps two currencies: physical (an address, for Step operations)
// and logical (a key number with the key value and stamp of its entry, for
// Get Next and Get Previous). Positions are values, not pointers, so they
// survive other clients' changes: the next entry is found again by key and
// stamp. A cached position saves that search while the index has not
// changed since.
#ifndef VEVERAVE_ENGINE_CURSOR_H_
#define VEVERAVE_ENGINE_CURSOR_H_

#include <array>
#include <cstdint>

#include "engine/file_state.h"
#include "engine/key_index.h"
#include "veverave/btrieve.h"

namespace vv::engine {

struct Client;

struct Cursor {
  uint32_t id = 0;
  uint32_t check = 0;
  Client* client = nullptr;
  FileState* file = nullptr;
  bool read_only = false;  // opened read-only, or without the owner of a read-only owner mode
  bool owner_ok = true;    // opened with the owner name (or the file had none)
  bool exclusive = false;

  // The current record (Update, Delete, Get Position).
  bool has_current = false;
  uint32_t current = 0;
  uint64_t read_version = 0;  // version of the image this block read
  // Physical currency, and its place in the record tree while the tree has
  // not changed since (physical_epoch).
  bool has_physical = false;
  uint32_t physical = 0;
  BTree::Pos physical_pos{};
  uint64_t physical_epoch = 0;
  // Logical currency.
  int key_path = -1;  // key number, -1: none
  std::array<uint8_t, BTR_MAX_KEY_SIZE> key_value{};
  uint64_t key_stamp = 0;
  bool cache_valid = false;
  BTree::Pos cached{};  // in the key's tree
  uint64_t cached_epoch = 0;

  // Explicit locks held through this block (the locks themselves are in the file).
  bool has_single_lock = false;
  uint32_t single_lock = 0;
  uint32_t multiple_locks = 0;

  void ClearLogical() {
    key_path = -1;
    cache_valid = false;
  }
};

// Writes signature, id and check into a fresh position block.
void InitPositionBlock(uint8_t* block, const Cursor& cursor);
// Reads id and check; false when the block carries no engine signature.
bool ReadPositionBlock(const uint8_t* block, uint32_t* id, uint32_t* check);
// Keeps bytes 41-44 in step with the current record.
void UpdateBlockAddress(uint8_t* block, const Cursor& cursor);
// Clears a block whose cursor was closed.
void ClearPositionBlock(uint8_t* block);

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_CURSOR_H_
