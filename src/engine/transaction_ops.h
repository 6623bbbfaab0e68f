// Beginning, ending and aborting transactions (see transaction.h for the
// states), and the bookkeeping of what a transaction touched.
#ifndef VEVERAVE_ENGINE_TRANSACTION_OPS_H_
#define VEVERAVE_ENGINE_TRANSACTION_OPS_H_

#include "engine/engine_state.h"
#include "engine/transaction.h"

namespace vv::engine {

// The transaction's entry for a file, added on first touch with a counted
// reference to the file (may throw std::bad_alloc before changing anything).
TxnFile& TouchFile(Transaction& txn, FileState& file);

// Whether a transaction of a client other than me has changes or locks in
// the file.
bool OtherTransactionTouches(const EngineState& st, const FileState& file, const Client* me);

// End Transaction: writes each touched file's batch, syncs every file and
// commits in memory. Returns 0; or 18 (disk full) or 2 after an I/O error, with the
// transaction rolled back; or 101 when memory ran out before anything was
// written, with the transaction still active.
int16_t CommitTransaction(EngineState& st, Client& client);

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_TRANSACTION_OPS_H_
