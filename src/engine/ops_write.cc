// Insert, Update and Delete.
#include <algorithm>
#include <cstring>

#include "engine/autoincrement.h"
#include "engine/key_view.h"
#include "engine/locks.h"
#include "engine/ops.h"
#include "engine/record_changes.h"
#include "engine/transaction_ops.h"
#include "veverave/btrieve.h"

namespace vv::engine {

namespace {

// Longest record a variable-length file takes.
constexpr uint32_t kMaxRecordLength = uint32_t{64} << 20;

int16_t CheckLength(const FileState& file, const Call& call) {
  const uint32_t len = call.data == nullptr ? 0 : call.data_cap;
  const bool fits = file.variable_length()
                        ? len >= file.attrs.record_length && len <= kMaxRecordLength
                        : len == file.attrs.record_length;
  return fits ? 0 : BTR_STATUS_DATA_BUFFER_TOO_SHORT;
}

// The index the call's key number names: -1 for "no currency change", or
// its position; *status 6 or 21 when it cannot be used.
int KeyPathOf(const FileState& file, const Call& call, int16_t* status) {
  *status = 0;
  if (call.key_number == BTR_KEY_NONE) return -1;
  const int pos = file.IndexOf(call.key_number);
  if (pos < 0) {
    *status = BTR_STATUS_INVALID_KEY_NUMBER;
  } else if (call.key == nullptr || call.key_cap < file.indexes[pos]->key_length) {
    *status = BTR_STATUS_KEY_BUFFER_TOO_SHORT;
  }
  return pos;
}

// 5 or 84 when a changed key of a unique index collides; else 0.
int16_t CheckUniqueKeys(const FileState& file, const PreparedChange& c) {
  for (std::size_t i = 0; i < file.indexes.size(); ++i) {
    const KeyIndex& index = *file.indexes[i];
    if (c.keys.null(i) || index.def.duplicates()) continue;
    if (c.kind == RecordKind::kUpdate && !c.changed[i]) continue;
    switch (CheckUniqueView(index, c.keys.key(i), c.txn, c.address)) {
      case UniqueCheck::kDuplicate:
        return BTR_STATUS_DUPLICATE_KEY;
      case UniqueCheck::kLocked:
        return BTR_STATUS_RECORD_LOCKED;
      case UniqueCheck::kFree:
        break;
    }
  }
  return 0;
}

// Makes the change: outside a transaction in the pages at once (committed
// to the log), inside one in memory. Returns 0 or the status of a failed
// write (2, 18), with nothing changed; *stamps receives the record's stamps
// after the change as its author sees them.
int16_t MakeChange(Client& me, FileState& file, PreparedChange* c, int count_delta,
                   std::vector<uint64_t>* stamps) {
  stamps->assign(file.indexes.size(), 0);  // before the change: nothing may fail after it
  if (!me.txn) {
    if (const int16_t s = StoreWrite(file, false,
                                     [&] {
                                       WriteDirect(file, *c);
                                       return int16_t{0};
                                     });
        s != 0) {
      return s;
    }
    for (std::size_t i = 0; i < file.indexes.size() && c->kind != RecordKind::kDelete; ++i) {
      const bool replaced = c->kind == RecordKind::kInsert || c->changed[i];
      (*stamps)[i] = !replaced ? c->old_stamps[i] : c->keys.null(i) ? 0 : c->stamp;
    }
    return 0;
  }
  TxnFile& tf = TouchFile(*me.txn, file);
  const auto existing = file.records.find(c->address);
  // A record the transaction inserted or changed before is on its list.
  const bool listed = existing != file.records.end() &&
                      (existing->second.inserted_by == me.txn_id() ||
                       (existing->second.pending && existing->second.pending->txn == me.txn_id()));
  if (!listed && tf.touched.size() == tf.touched.capacity()) {
    tf.touched.reserve(std::max<std::size_t>(16, 2 * tf.touched.capacity()));
  }
  PrepareTxn(file, c);
  const RecordMap::iterator it = ApplyTxn(file, c);
  if (!listed) tf.touched.push_back(it);
  tf.count_delta += count_delta;
  if (c->kind == RecordKind::kInsert) tf.allocated_addresses = true;
  for (std::size_t i = 0; i < file.indexes.size(); ++i) {
    (*stamps)[i] = SeenStamp(it->second, i, me.txn_id());
  }
  return 0;
}

// The logical currency after an Insert or Update on key path pos, and the
// key returned in the key buffer.
void SetKeyPath(Call& call, Cursor& cursor, const FileState& file, int pos, uint64_t stamp,
                uint64_t change_stamp, const std::string& image) {
  if (pos < 0) return;
  const KeyIndex& index = *file.indexes[pos];
  uint8_t key[BTR_MAX_KEY_SIZE];
  ExtractKey(index.def, reinterpret_cast<const uint8_t*>(image.data()), key);
  // A record left out of the key still gets a place on it to go on from.
  SetLogicalValue(cursor, index, key, stamp != 0 ? stamp : change_stamp);
  ReturnKey(call, cursor.key_value.data(), index.key_length);
}

// Common checks of Update and Delete; c receives the current record as
// the block's client sees it.
int16_t CheckCurrentRecord(EngineState& st, Cursor& cursor, PreparedChange* c) {
  if (cursor.read_only) return BTR_STATUS_ACCESS_DENIED;
  if (const int16_t s = CheckFileAccess(st, cursor, Access::kWrite); s != 0) return s;
  if (!cursor.has_current) return BTR_STATUS_INVALID_POSITIONING;
  FileState& file = *cursor.file;
  uint64_t version = 0;
  // Gone, or changed by someone else since this block read it: a conflict.
  if (!ReadVisible(file, cursor.current, cursor.client->txn_id(), &c->old_image, &version,
                   &c->old_stamps)) {
    return BTR_STATUS_CONFLICT;
  }
  const auto it = file.records.find(cursor.current);
  const Record* record = it == file.records.end() ? nullptr : &it->second;
  if (const int16_t s = CheckRecordFree(file, record, cursor.current, cursor.client); s != 0)
    return s;
  if (version != cursor.read_version) return BTR_STATUS_CONFLICT;
  c->address = cursor.current;
  return 0;
}

}  // namespace

int16_t OpInsert(EngineState& st, Call& call) {
  Cursor* cursor = ResolveCursor(st, call);
  if (cursor == nullptr) return BTR_STATUS_FILE_NOT_OPEN;
  FileState& file = *cursor->file;
  Client& me = *call.client;
  if (cursor->read_only) return BTR_STATUS_ACCESS_DENIED;
  if (const int16_t s = CheckFileAccess(st, *cursor, Access::kWrite); s != 0) return s;
  if (const int16_t s = CheckLength(file, call); s != 0) return s;
  int16_t status = 0;
  const int pos = KeyPathOf(file, call, &status);
  if (status != 0) return status;
  const uint32_t address = file.header().next_address;
  if (address == 0 || address == UINT32_MAX) return BTR_STATUS_DISK_FULL;

  PreparedChange c;
  c.kind = RecordKind::kInsert;
  c.address = address;
  c.stamp = file.header().next_stamp;
  c.txn = me.txn_id();
  c.image.assign(reinterpret_cast<const char*>(call.data), call.data_cap);
  if ((status = FillAutoincrement(file, &c.image)) != 0) return status;
  const bool filled = std::memcmp(c.image.data(), call.data, c.image.size()) != 0;
  const std::string image = c.image;
  PrepareKeys(file, &c);
  if ((status = CheckUniqueKeys(file, c)) != 0) return status;
  std::vector<uint64_t> stamps;
  if ((status = MakeChange(me, file, &c, 1, &stamps)) != 0) return status;

  SetCurrent(*cursor, address, c.stamp);
  SetKeyPath(call, *cursor, file, pos, pos < 0 ? 0 : stamps[pos], c.stamp, image);
  // The caller's buffer gets the record with its assigned autoincrement values.
  if (filled) std::memcpy(call.data, image.data(), image.size());
  UpdateBlockAddress(call.pos_block, *cursor);
  return 0;
}

int16_t OpUpdate(EngineState& st, Call& call) {
  Cursor* cursor = ResolveCursor(st, call);
  if (cursor == nullptr) return BTR_STATUS_FILE_NOT_OPEN;
  FileState& file = *cursor->file;
  Client& me = *call.client;
  PreparedChange c;
  if (const int16_t s = CheckCurrentRecord(st, *cursor, &c); s != 0) return s;
  if (const int16_t s = CheckLength(file, call); s != 0) return s;
  int16_t status = 0;
  const int pos = KeyPathOf(file, call, &status);
  if (status != 0) return status;

  c.kind = RecordKind::kUpdate;
  c.stamp = file.header().next_stamp;
  c.txn = me.txn_id();
  c.image.assign(reinterpret_cast<const char*>(call.data), call.data_cap);
  const std::string image = c.image;
  PrepareKeys(file, &c);
  for (std::size_t i = 0; i < file.indexes.size(); ++i) {
    if (c.changed[i] && !file.indexes[i]->def.modifiable()) return BTR_STATUS_MODIFIABLE_KEY_ERROR;
  }
  if ((status = CheckUniqueKeys(file, c)) != 0) return status;
  std::vector<uint64_t> stamps;
  if ((status = MakeChange(me, file, &c, 0, &stamps)) != 0) return status;

  ReleaseSingleLock(file, *cursor, c.address);
  SetCurrent(*cursor, c.address, c.stamp);
  SetKeyPath(call, *cursor, file, pos, pos < 0 ? 0 : stamps[pos], c.stamp, image);
  UpdateBlockAddress(call.pos_block, *cursor);
  return 0;
}

int16_t OpDelete(EngineState& st, Call& call) {
  Cursor* cursor = ResolveCursor(st, call);
  if (cursor == nullptr) return BTR_STATUS_FILE_NOT_OPEN;
  FileState& file = *cursor->file;
  Client& me = *call.client;
  PreparedChange c;
  if (const int16_t s = CheckCurrentRecord(st, *cursor, &c); s != 0) return s;

  c.kind = RecordKind::kDelete;
  c.stamp = file.header().next_stamp;
  c.txn = me.txn_id();
  std::vector<uint64_t> stamps;
  if (const int16_t s = MakeChange(me, file, &c, -1, &stamps); s != 0) return s;
  if (!me.txn) {
    DropRecordLocks(st, file, c.address);
  } else {
    ReleaseSingleLock(file, *cursor, c.address);
  }
  // The physical and logical positions stay, so that Next and Previous go
  // on from the deleted record's neighbours.
  cursor->has_current = false;
  UpdateBlockAddress(call.pos_block, *cursor);
  return 0;
}

}  // namespace vv::engine
