// The operation handlers and the helpers they share. Each handler answers
// one operation of the Btrieve call for the decoded Call and returns its
// status. A handler either completes or leaves the engine as it found it:
// whatever may fail (allocation, I/O, a conflict) happens before the first
// change to shared state.
#ifndef VEVERAVE_ENGINE_OPS_H_
#define VEVERAVE_ENGINE_OPS_H_

#include <cstdint>
#include <string>

#include "engine/engine_state.h"
#include "engine/key_view.h"

namespace vv::engine {

// Handlers, by the operation they answer.
int16_t OpOpen(EngineState& st, Call& call);
int16_t OpClose(EngineState& st, Call& call);
int16_t OpCreate(EngineState& st, Call& call);
int16_t OpInsert(EngineState& st, Call& call);
int16_t OpUpdate(EngineState& st, Call& call);
int16_t OpDelete(EngineState& st, Call& call);
int16_t OpGetKeyed(EngineState& st, Call& call);  // Get Equal .. Get Last, Next, Previous
int16_t OpGetPosition(EngineState& st, Call& call);
int16_t OpGetDirect(EngineState& st, Call& call);
int16_t OpStep(EngineState& st, Call& call);  // Step First, Last, Next, Previous
int16_t OpStat(EngineState& st, Call& call);
int16_t OpSetOwner(EngineState& st, Call& call);
int16_t OpClearOwner(EngineState& st, Call& call);
int16_t OpCreateIndex(EngineState& st, Call& call);
int16_t OpDropIndex(EngineState& st, Call& call);
int16_t OpBeginTransaction(EngineState& st, Call& call, bool concurrent, int default_bias);
int16_t OpEndTransaction(EngineState& st, Call& call);
int16_t OpAbortTransaction(EngineState& st, Call& call);
int16_t OpUnlock(EngineState& st, Call& call);
int16_t OpReset(EngineState& st, Call& call);
int16_t OpVersion(EngineState& st, Call& call);

// ---- shared helpers

// The open cursor behind the call's position block, or nullptr (status 3).
Cursor* ResolveCursor(EngineState& st, const Call& call);

// Closes a cursor: releases its locks, clears the block when given, and
// lets the file go when nothing else refers to it. Cannot fail.
void CloseCursor(EngineState& st, Cursor* cursor, uint8_t* block);

// Aborts the client's transaction, if any. Cannot fail.
void AbortTransaction(EngineState& st, Client& client);

// A text from a buffer: its bytes up to the first NUL or n, whichever is
// first; trailing blanks dropped when trim_blanks.
std::string BufferText(const uint8_t* p, std::size_t n, bool trim_blanks);

// Copies a record image to the data buffer by the length rules: the whole
// record when it fits; for variable-length files as much as fits past the
// fixed part with status 22; status 22 and nothing when not even the fixed
// part fits.
int16_t ReturnRecord(Call& call, const FileState& file, const std::string& image);

// Writes a key value to the key buffer when it has room.
void ReturnKey(Call& call, const uint8_t* key, std::size_t n);

// The lock bias of a read: its own, or the default of the client's
// transaction.
int ReadBias(const Call& call, const Client& client);

// Moves the cursor to a record it has just read (physical currency and the
// current record). The logical currency is the caller's.
void SetCurrent(Cursor& cursor, uint32_t address, uint64_t version);
// Sets the logical currency to an entry of an index.
void SetLogical(Cursor& cursor, const KeyIndex& index, const ViewEntry& entry);
// Sets the logical currency to a key value and stamp that has no entry (a
// record left out of the key); Get Next and Previous go on from there.
void SetLogicalValue(Cursor& cursor, const KeyIndex& index, const uint8_t* key, uint64_t stamp);

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_OPS_H_
