// Insert, Update and Delete.
#include <algorithm>
#include <cstring>

#include "engine/autoincrement.h"
#include "engine/compaction.h"
#include "engine/file_log.h"
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
    switch (CheckUnique(index, c.keys.key(i), c.txn, c.address)) {
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

// Puts the change in the log: written at once outside a transaction, or
// added to the transaction's batch. Returns 0, 18 or 2; *tf receives the
// transaction's entry for the file. Changes nothing when it fails.
int16_t LogChange(EngineState& st, Client& client, FileState& file, const PreparedChange& c,
                  TxnFile** tf) {
  Change change;
  change.kind = c.kind;
  change.address = c.address;
  change.stamp = c.stamp;
  change.image = reinterpret_cast<const uint8_t*>(c.image.data());
  change.image_size = c.image.size();
  *tf = nullptr;
  if (client.txn) {
    TxnFile& entry = TouchFile(*client.txn, file);
    if (entry.touched.size() == entry.touched.capacity()) {
      entry.touched.reserve(std::max<std::size_t>(16, 2 * entry.touched.capacity()));
    }
    entry.batch.Add(change);
    *tf = &entry;
    return 0;
  }
  (void)st;
  std::string record;
  const std::size_t start = BeginFrame(&record, c.kind);
  AppendChangePayload(&record, change);
  EndFrame(&record, start);
  return AppendLog(file, record);
}

// After a change: the transaction's bookkeeping, or a compaction check.
void AfterChange(EngineState& st, FileState& file, TxnFile* tf, const PreparedChange& c,
                 RecordMap::iterator record, bool first_touch, int count_delta) {
  if (tf == nullptr) {
    MaybeCompact(st.fs, file);
    return;
  }
  tf->count_delta += count_delta;
  if (first_touch) tf->touched.push_back(record);
  if (c.kind == RecordKind::kInsert) tf->allocated_addresses = true;
}

// The logical currency after an Insert or Update on key path pos, and the
// key returned in the key buffer.
void SetKeyPath(Call& call, Cursor& cursor, const FileState& file, const Record& record, int pos,
                uint32_t txn, const std::string& image) {
  if (pos < 0) return;
  const KeyIndex& index = *file.indexes[pos];
  const uint64_t stamp = SeenStamp(record, static_cast<std::size_t>(pos), txn);
  uint8_t key[BTR_MAX_KEY_SIZE];
  ExtractKey(index.def, reinterpret_cast<const uint8_t*>(image.data()), key);
  // A record left out of the key still gets a place on it to go on from.
  SetLogicalValue(cursor, index, key, stamp != 0 ? stamp : file.next_stamp - 1);
  ReturnKey(call, cursor.key_value.data(), index.key_length);
}

// Common checks of Update and Delete; *record receives the current record.
int16_t CheckCurrentRecord(EngineState& st, Cursor& cursor, RecordMap::iterator* record) {
  if (cursor.read_only) return BTR_STATUS_ACCESS_DENIED;
  if (const int16_t s = CheckFileAccess(st, cursor, Access::kWrite); s != 0) return s;
  if (!cursor.has_current) return BTR_STATUS_INVALID_POSITIONING;
  FileState& file = *cursor.file;
  const auto it = file.records.find(cursor.current);
  uint64_t version = 0;
  // Gone, or changed by someone else since this block read it: a conflict.
  if (it == file.records.end() ||
      VisibleImage(it->second, cursor.client->txn_id(), &version) == nullptr) {
    return BTR_STATUS_CONFLICT;
  }
  if (const int16_t s = CheckRecordFree(file, it->second, it->first, cursor.client); s != 0)
    return s;
  if (version != cursor.read_version) return BTR_STATUS_CONFLICT;
  *record = it;
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
  if (file.next_address == 0 || file.next_address == UINT32_MAX) return BTR_STATUS_DISK_FULL;

  PreparedChange c;
  c.kind = RecordKind::kInsert;
  c.address = file.next_address;
  c.stamp = file.next_stamp;
  c.txn = me.txn_id();
  c.image.assign(reinterpret_cast<const char*>(call.data), call.data_cap);
  if ((status = FillAutoincrement(file, &c.image)) != 0) return status;
  const bool filled = std::memcmp(c.image.data(), call.data, c.image.size()) != 0;
  PrepareInsert(file, &c);
  if ((status = CheckUniqueKeys(file, c)) != 0) return status;
  TxnFile* tf = nullptr;
  if ((status = LogChange(st, me, file, c, &tf)) != 0) return status;

  const RecordMap::iterator it = ApplyChange(file, &c);
  Record& record = it->second;
  AfterChange(st, file, tf, c, it, true, 1);
  uint64_t version = 0;
  const std::string& image = *VisibleImage(record, me.txn_id(), &version);
  SetCurrent(*cursor, c.address, version);
  SetKeyPath(call, *cursor, file, record, pos, me.txn_id(), image);
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
  RecordMap::iterator it;
  if (const int16_t s = CheckCurrentRecord(st, *cursor, &it); s != 0) return s;
  if (const int16_t s = CheckLength(file, call); s != 0) return s;
  int16_t status = 0;
  const int pos = KeyPathOf(file, call, &status);
  if (status != 0) return status;

  PreparedChange c;
  c.kind = RecordKind::kUpdate;
  c.address = it->first;
  c.stamp = file.next_stamp;
  c.txn = me.txn_id();
  c.image.assign(reinterpret_cast<const char*>(call.data), call.data_cap);
  PrepareUpdate(file, it->second, &c);
  for (std::size_t i = 0; i < file.indexes.size(); ++i) {
    if (c.changed[i] && !file.indexes[i]->def.modifiable()) return BTR_STATUS_MODIFIABLE_KEY_ERROR;
  }
  if ((status = CheckUniqueKeys(file, c)) != 0) return status;
  TxnFile* tf = nullptr;
  if ((status = LogChange(st, me, file, c, &tf)) != 0) return status;

  // (A record the transaction inserted was touched by the insert.)
  const bool first_touch = c.pending != nullptr && it->second.inserted_by == 0;
  Record& record = ApplyChange(file, &c)->second;
  AfterChange(st, file, tf, c, it, first_touch, 0);
  ReleaseSingleLock(file, *cursor, c.address);
  uint64_t version = 0;
  const std::string& image = *VisibleImage(record, me.txn_id(), &version);
  SetCurrent(*cursor, c.address, version);
  SetKeyPath(call, *cursor, file, record, pos, me.txn_id(), image);
  UpdateBlockAddress(call.pos_block, *cursor);
  return 0;
}

int16_t OpDelete(EngineState& st, Call& call) {
  Cursor* cursor = ResolveCursor(st, call);
  if (cursor == nullptr) return BTR_STATUS_FILE_NOT_OPEN;
  FileState& file = *cursor->file;
  Client& me = *call.client;
  RecordMap::iterator it;
  if (const int16_t s = CheckCurrentRecord(st, *cursor, &it); s != 0) return s;

  PreparedChange c;
  c.kind = RecordKind::kDelete;
  c.address = it->first;
  c.txn = me.txn_id();
  PrepareDelete(file, it->second, &c);
  TxnFile* tf = nullptr;
  if (const int16_t s = LogChange(st, me, file, c, &tf); s != 0) return s;

  // (A record the transaction inserted was touched by the insert.)
  const bool first_touch = c.pending != nullptr && it->second.inserted_by == 0;
  ApplyChange(file, &c);
  if (tf == nullptr) {
    DropRecordLocks(st, file, c.address);
  } else {
    ReleaseSingleLock(file, *cursor, c.address);
  }
  AfterChange(st, file, tf, c, it, first_touch, -1);
  // The physical and logical positions stay, so that Next and Previous go
  // on from the deleted record's neighbours.
  cursor->has_current = false;
  UpdateBlockAddress(call.pos_block, *cursor);
  return 0;
}

}  // namespace vv::engine
