// Reads: the keyed Get operations, Get Position, Get Direct and the Step
// operations.
#include "engine/byte_order.h"
#include "engine/key_view.h"
#include "engine/locks.h"
#include "engine/ops.h"
#include "engine/record_changes.h"
#include "veverave/btrieve.h"

namespace vv::engine {

namespace {

// The entry after or before the cursor's logical position on its key path,
// as txn sees it; invalid when there is none. While no transaction has
// entries on the key and the tree has not changed since the cursor was
// there, its position in the tree is good: one step, no search.
ViewEntry StepFromPosition(const Cursor& cursor, const KeyIndex& index, bool forward,
                           uint32_t txn) {
  if (index.size() == 0 && cursor.cache_valid && cursor.cached_epoch == index.tree->epoch()) {
    const BTree::Pos p =
        forward ? index.tree->Next(cursor.cached) : index.tree->Prev(cursor.cached);
    return p.valid() ? TreeEntry(index, p) : ViewEntry{};
  }
  return StepView(index, cursor.key_value.data(), cursor.key_stamp, forward, txn);
}

// Finishes a read of the record at address: takes the lock asked for,
// returns the record, moves the physical currency. The logical currency is
// the caller's. *stamps (when given) receives the record's stamps.
int16_t FinishRead(Call& call, Cursor& cursor, int bias, uint32_t address, uint32_t hint = 0) {
  FileState& file = *cursor.file;
  std::string& image = file.read_buffer;
  uint64_t version = 0;
  if (!ReadVisible(file, address, call.client->txn_id(), &image, &version, nullptr, hint)) {
    return BTR_STATUS_INVALID_ADDRESS;
  }
  const auto it = file.records.find(address);
  const Record* record = it == file.records.end() ? nullptr : &it->second;
  if (const int16_t s = LockForRead(cursor, address, record, bias); s != 0) return s;
  const int16_t status = ReturnRecord(call, file, image);
  SetCurrent(cursor, address, version);
  UpdateBlockAddress(call.pos_block, cursor);
  return status;
}

// The lock bias of a read, and whether the file lets the cursor read (with a
// lock when the bias asks for one).
int16_t CheckReadAccess(EngineState& st, const Call& call, Cursor& cursor, int* bias) {
  *bias = ReadBias(call, *call.client);
  return CheckFileAccess(st, cursor, *bias != 0 ? Access::kLockingRead : Access::kRead);
}

Seek SeekOf(int base) {
  switch (base) {
    case BTR_GET_EQUAL:
      return Seek::kEqual;
    case BTR_GET_GREATER:
      return Seek::kGreater;
    case BTR_GET_GREATER_OR_EQUAL:
      return Seek::kGreaterOrEqual;
    case BTR_GET_LESS:
      return Seek::kLess;
    case BTR_GET_LESS_OR_EQUAL:
      return Seek::kLessOrEqual;
    case BTR_GET_FIRST:
      return Seek::kFirst;
    default:
      return Seek::kLast;
  }
}

}  // namespace

int16_t OpGetKeyed(EngineState& st, Call& call) {
  Cursor* cursor = ResolveCursor(st, call);
  if (cursor == nullptr) return BTR_STATUS_FILE_NOT_OPEN;
  FileState& file = *cursor->file;
  const int pos = file.IndexOf(call.key_number);
  if (pos < 0) return BTR_STATUS_INVALID_KEY_NUMBER;
  const KeyIndex& index = *file.indexes[pos];
  if (call.key == nullptr || call.key_cap < index.key_length) {
    return BTR_STATUS_KEY_BUFFER_TOO_SHORT;
  }
  int bias = 0;
  if (const int16_t s = CheckReadAccess(st, call, *cursor, &bias); s != 0) return s;
  const uint32_t txn = call.client->txn_id();
  ViewEntry entry;
  if (call.base == BTR_GET_NEXT || call.base == BTR_GET_PREVIOUS) {
    if (cursor->key_path < 0) return BTR_STATUS_INVALID_POSITIONING;
    if (cursor->key_path != call.key_number) return BTR_STATUS_DIFFERENT_KEY_NUMBER;
    entry = StepFromPosition(*cursor, index, call.base == BTR_GET_NEXT, txn);
    if (!entry.valid) return BTR_STATUS_END_OF_FILE;
  } else {
    const Seek how = SeekOf(call.base);
    // A null never equals anything.
    if (how == Seek::kEqual && HasNullIndicatorSet(index.def, call.key)) {
      return BTR_STATUS_KEY_NOT_FOUND;
    }
    entry = SeekView(index, how, call.key, txn);
    if (!entry.valid) {
      return how == Seek::kEqual ? BTR_STATUS_KEY_NOT_FOUND : BTR_STATUS_END_OF_FILE;
    }
  }
  int16_t status = FinishRead(call, *cursor, bias, entry.address, entry.hint);
  // An entry whose record cannot be read: the pages disagree.
  if (status == BTR_STATUS_INVALID_ADDRESS) status = BTR_STATUS_IO_ERROR;
  if (status != 0 && status != BTR_STATUS_DATA_BUFFER_TOO_SHORT) return status;
  SetLogical(*cursor, index, entry);
  ReturnKey(call, cursor->key_value.data(), index.key_length);
  return status;
}

int16_t OpGetPosition(EngineState& st, Call& call) {
  Cursor* cursor = ResolveCursor(st, call);
  if (cursor == nullptr) return BTR_STATUS_FILE_NOT_OPEN;
  if (!cursor->has_current) return BTR_STATUS_INVALID_POSITIONING;
  if (call.data == nullptr || call.data_cap < 4) return BTR_STATUS_DATA_BUFFER_TOO_SHORT;
  StoreU32(call.data, cursor->current);
  call.SetDataLength(4);
  return 0;
}

int16_t OpGetDirect(EngineState& st, Call& call) {
  Cursor* cursor = ResolveCursor(st, call);
  if (cursor == nullptr) return BTR_STATUS_FILE_NOT_OPEN;
  FileState& file = *cursor->file;
  if (call.data == nullptr || call.data_cap < 4) return BTR_STATUS_DATA_BUFFER_TOO_SHORT;
  const uint32_t address = LoadU32(call.data);
  int pos = -1;
  if (call.key_number != BTR_KEY_NONE) {
    pos = file.IndexOf(call.key_number);
    if (pos < 0) return BTR_STATUS_INVALID_KEY_NUMBER;
    if (call.key == nullptr || call.key_cap < file.indexes[pos]->key_length) {
      return BTR_STATUS_KEY_BUFFER_TOO_SHORT;
    }
  }
  int bias = 0;
  if (const int16_t s = CheckReadAccess(st, call, *cursor, &bias); s != 0) return s;
  const uint32_t txn = call.client->txn_id();
  std::vector<uint64_t> stamps;
  std::string image;
  if (!ReadVisible(file, address, txn, &image, nullptr, &stamps)) {
    return BTR_STATUS_INVALID_ADDRESS;
  }
  if (pos >= 0 && stamps[pos] == 0) return BTR_STATUS_NULL_KEY_PATH;
  const int16_t status = FinishRead(call, *cursor, bias, address);
  if (status != 0 && status != BTR_STATUS_DATA_BUFFER_TOO_SHORT) return status;
  if (pos >= 0) {
    const KeyIndex& index = *file.indexes[pos];
    uint8_t key[BTR_MAX_KEY_SIZE];
    ExtractKey(index.def, reinterpret_cast<const uint8_t*>(image.data()), key);
    SetLogicalValue(*cursor, index, key, stamps[pos]);
    ReturnKey(call, cursor->key_value.data(), index.key_length);
  } else {
    cursor->ClearLogical();
  }
  return status;
}

int16_t OpStep(EngineState& st, Call& call) {
  Cursor* cursor = ResolveCursor(st, call);
  if (cursor == nullptr) return BTR_STATUS_FILE_NOT_OPEN;
  FileState& file = *cursor->file;
  if (file.attrs.flags & BTR_FILE_KEY_ONLY) return BTR_STATUS_NOT_ALLOWED;
  int bias = 0;
  if (const int16_t s = CheckReadAccess(st, call, *cursor, &bias); s != 0) return s;
  const uint32_t txn = call.client->txn_id();
  const bool forward = call.base == BTR_STEP_FIRST || call.base == BTR_STEP_NEXT;
  const bool from_ends = call.base == BTR_STEP_FIRST || call.base == BTR_STEP_LAST;
  // Before the first record there is nothing to step back to.
  if (call.base == BTR_STEP_PREVIOUS && !cursor->has_physical) return BTR_STATUS_END_OF_FILE;
  uint32_t address = 0;
  BTree& tree = file.store->records();
  BTree::Pos pos = cursor->physical_epoch == tree.epoch() ? cursor->physical_pos : BTree::Pos{};
  if (!StepPhysical(file, !from_ends && cursor->has_physical, cursor->physical, forward, txn,
                    &address, &pos)) {
    return BTR_STATUS_END_OF_FILE;
  }
  int16_t status = FinishRead(call, *cursor, bias, address);
  if (status == BTR_STATUS_INVALID_ADDRESS) status = BTR_STATUS_IO_ERROR;
  if (status != 0 && status != BTR_STATUS_DATA_BUFFER_TOO_SHORT) return status;
  cursor->physical_pos = pos;
  cursor->physical_epoch = tree.epoch();
  if (from_ends) cursor->ClearLogical();
  return status;
}

}  // namespace vv::engine
