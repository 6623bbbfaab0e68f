// Record and file locks between clients.
//
// - Record locks: a position block's single lock (+100/+200, one at a time,
//   moved by the next single-lock read) or multiple locks (+300/+400, kept
//   until Unlock or Close); inside a transaction a locking read takes a lock
//   held until End or Abort. Another client's locking read or write of a
//   locked record gets 84; plain reads always pass. A record with another
//   transaction's uncommitted change counts as locked by it.
// - The file lock of an exclusive transaction, taken at its first touch of
//   the file: other clients' locking reads and writes get 85, their plain
//   reads pass unless they are in an exclusive transaction themselves.
// Locks of one client never conflict with each other. A wait bias answers
// like a no-wait one: callers retry on 84 and 85 themselves.
#ifndef VEVERAVE_ENGINE_LOCKS_H_
#define VEVERAVE_ENGINE_LOCKS_H_

#include <cstdint>

#include "engine/engine_state.h"

namespace vv::engine {

enum class Access { kRead, kLockingRead, kWrite };

// Whether the cursor's client may touch its file this way: 0, 2 (the file
// is poisoned) or 85. The first touch inside an exclusive transaction takes
// the file lock (may throw std::bad_alloc before taking it).
int16_t CheckFileAccess(EngineState& st, Cursor& cursor, Access access);

// 84 when another client holds a lock on the record or has an uncommitted
// change of it (record: the record as transactions hold it in memory,
// nullptr when none touched it); else 0.
int16_t CheckRecordFree(const FileState& file, const Record* record, uint32_t address,
                        const Client* client);

// Takes the lock a read with this bias asks for (0: none). Returns 0, 84 or
// 93 (a single-lock read on a block holding multiple locks, or the reverse).
// May throw std::bad_alloc before changing anything.
int16_t LockForRead(Cursor& cursor, uint32_t address, const Record* record, int bias);

// Releases the block's single lock when it is on address.
void ReleaseSingleLock(FileState& file, Cursor& cursor, uint32_t address);
// Releases every lock held through a block (kind: multiple only, or all).
void ReleaseBlockLocks(FileState& file, Cursor& cursor, bool multiple_only);
// Releases one multiple lock of a block; false when it holds none there.
bool ReleaseMultipleLock(FileState& file, Cursor& cursor, uint32_t address);
// Releases a transaction's record locks and file lock on a file.
void ReleaseTransactionLocks(FileState& file, const Client* client);
// Drops every lock on a record that no longer exists.
void DropRecordLocks(EngineState& st, FileState& file, uint32_t address);

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_LOCKS_H_
