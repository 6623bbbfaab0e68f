#include "engine/locks.h"

#include "engine/transaction_ops.h"
#include "veverave/btrieve.h"

namespace vv::engine {

namespace {

bool OtherClientLocks(const FileState& file, const Client* client) {
  for (const auto& [address, lock] : file.locks) {
    if (lock.client != client) return true;
  }
  return false;
}

bool HasLock(const FileState& file, uint32_t address, const Client* client, uint32_t cursor,
             LockKind kind) {
  const auto range = file.locks.equal_range(address);
  for (auto it = range.first; it != range.second; ++it) {
    if (it->second.client == client && it->second.cursor == cursor && it->second.kind == kind) {
      return true;
    }
  }
  return false;
}

bool EraseLock(FileState& file, uint32_t address, uint32_t cursor, LockKind kind) {
  const auto range = file.locks.equal_range(address);
  for (auto it = range.first; it != range.second; ++it) {
    if (it->second.cursor == cursor && it->second.kind == kind) {
      file.locks.erase(it);
      return true;
    }
  }
  return false;
}

}  // namespace

int16_t CheckFileAccess(EngineState& st, Cursor& cursor, Access access) {
  FileState& file = *cursor.file;
  if (file.poisoned()) return BTR_STATUS_IO_ERROR;
  Client* me = cursor.client;
  Transaction* txn = me->txn.get();
  if (txn != nullptr && txn->exclusive) {
    if (file.exclusive_txn == me) return 0;
    if (file.exclusive_txn != nullptr) return BTR_STATUS_FILE_LOCKED;
    // The whole file for this transaction: not while others hold locks or
    // uncommitted changes in it.
    if (OtherClientLocks(file, me) || OtherTransactionTouches(st, file, me)) {
      return BTR_STATUS_FILE_LOCKED;
    }
    TouchFile(*txn, file);
    file.exclusive_txn = me;
    return 0;
  }
  if (file.exclusive_txn != nullptr && file.exclusive_txn != me && access != Access::kRead) {
    return BTR_STATUS_FILE_LOCKED;
  }
  return 0;
}

int16_t CheckRecordFree(const FileState& file, const Record* record, uint32_t address,
                        const Client* client) {
  if (record != nullptr && PendingByOther(*record, client->txn_id())) {
    return BTR_STATUS_RECORD_LOCKED;
  }
  const auto range = file.locks.equal_range(address);
  for (auto it = range.first; it != range.second; ++it) {
    if (it->second.client != client) return BTR_STATUS_RECORD_LOCKED;
  }
  return 0;
}

int16_t LockForRead(Cursor& cursor, uint32_t address, const Record* record, int bias) {
  if (bias == 0) return 0;
  FileState& file = *cursor.file;
  Client* me = cursor.client;
  if (const int16_t s = CheckRecordFree(file, record, address, me); s != 0) return s;
  if (Transaction* txn = me->txn.get()) {
    if (!HasLock(file, address, me, 0, LockKind::kTransaction)) {
      TouchFile(*txn, file);
      file.locks.emplace(address, RecordLock{me, 0, LockKind::kTransaction});
    }
    return 0;
  }
  if (bias == BTR_BIAS_SINGLE_WAIT || bias == BTR_BIAS_SINGLE_NOWAIT) {
    if (cursor.multiple_locks > 0) return BTR_STATUS_INCOMPATIBLE_LOCK;
    if (cursor.has_single_lock && cursor.single_lock == address) return 0;
    file.locks.emplace(address, RecordLock{me, cursor.id, LockKind::kSingle});
    if (cursor.has_single_lock) EraseLock(file, cursor.single_lock, cursor.id, LockKind::kSingle);
    cursor.has_single_lock = true;
    cursor.single_lock = address;
    return 0;
  }
  if (cursor.has_single_lock) return BTR_STATUS_INCOMPATIBLE_LOCK;
  if (!HasLock(file, address, me, cursor.id, LockKind::kMultiple)) {
    file.locks.emplace(address, RecordLock{me, cursor.id, LockKind::kMultiple});
    ++cursor.multiple_locks;
  }
  return 0;
}

void ReleaseSingleLock(FileState& file, Cursor& cursor, uint32_t address) {
  if (!cursor.has_single_lock || cursor.single_lock != address) return;
  EraseLock(file, address, cursor.id, LockKind::kSingle);
  cursor.has_single_lock = false;
}

void ReleaseBlockLocks(FileState& file, Cursor& cursor, bool multiple_only) {
  for (auto it = file.locks.begin(); it != file.locks.end();) {
    const RecordLock& lock = it->second;
    const bool mine = lock.cursor == cursor.id && lock.kind != LockKind::kTransaction &&
                      (!multiple_only || lock.kind == LockKind::kMultiple);
    it = mine ? file.locks.erase(it) : std::next(it);
  }
  cursor.multiple_locks = 0;
  if (!multiple_only) cursor.has_single_lock = false;
}

bool ReleaseMultipleLock(FileState& file, Cursor& cursor, uint32_t address) {
  if (!EraseLock(file, address, cursor.id, LockKind::kMultiple)) return false;
  --cursor.multiple_locks;
  return true;
}

void ReleaseTransactionLocks(FileState& file, const Client* client) {
  for (auto it = file.locks.begin(); it != file.locks.end();) {
    const bool mine = it->second.client == client && it->second.kind == LockKind::kTransaction;
    it = mine ? file.locks.erase(it) : std::next(it);
  }
  if (file.exclusive_txn == client) file.exclusive_txn = nullptr;
}

void DropRecordLocks(EngineState& st, FileState& file, uint32_t address) {
  const auto range = file.locks.equal_range(address);
  for (auto it = range.first; it != range.second; ++it) {
    if (it->second.kind == LockKind::kTransaction) continue;
    const auto c = st.cursors.find(it->second.cursor);
    if (c == st.cursors.end()) continue;
    if (it->second.kind == LockKind::kSingle) {
      c->second->has_single_lock = false;
    } else {
      --c->second->multiple_locks;
    }
  }
  file.locks.erase(range.first, range.second);
}

}  // namespace vv::engine
