#include "engine/transaction_ops.h"

#include "engine/compaction.h"
#include "engine/file_log.h"
#include "engine/file_registry.h"
#include "engine/locks.h"
#include "engine/ops.h"
#include "engine/record_changes.h"
#include "veverave/btrieve.h"

namespace vv::engine {

namespace {

// A pass over an index costs a few instructions per entry, a search for one
// entry a few hundred to a few thousand: End and Abort pass over the indexes
// when the transaction changed at least one record in this many.
constexpr std::size_t kSweepFactor = 64;

// Ends the transaction's entries in every index of a file in one pass when
// that is cheaper than finding them one by one; true when it did.
bool SweepIndexes(const TxnFile& tf, uint32_t txn, bool commit) {
  if (tf.touched.size() * kSweepFactor < tf.file->records.size()) return false;
  for (const auto& index : tf.file->indexes) index->EndTransaction(txn, commit);
  return true;
}

// Leaves the transaction: locks released, references dropped, files no
// longer used let go. Cannot fail.
void Finish(EngineState& st, Client& client) {
  std::unique_ptr<Transaction> txn = std::move(client.txn);
  for (TxnFile& tf : txn->files) {
    ReleaseTransactionLocks(*tf.file, &client);
    --tf.file->transaction_refs;
  }
  for (TxnFile& tf : txn->files) {
    if (tf.file->transaction_refs == 0 && tf.file->cursor_count == 0) {
      ReleaseIfUnused(st, tf.file);
    } else {
      MaybeCompact(st.fs, *tf.file);
    }
  }
}

void Rollback(Transaction& txn) {
  for (TxnFile& tf : txn.files) {
    FileState& file = *tf.file;
    const bool swept = SweepIndexes(tf, txn.id, false);
    for (const RecordMap::iterator it : tf.touched) RollbackPending(file, it, swept);
    // Addresses handed out stay used: the next insert after a restart must
    // not get one of them again.
    if (tf.allocated_addresses && !file.poisoned && file.writable) {
      uint8_t mark[kAddressMarkSize];
      EncodeAddressMark(file.next_address, mark);
      AppendLog(file, mark, sizeof mark);
    }
  }
}

}  // namespace

TxnFile& TouchFile(Transaction& txn, FileState& file) {
  if (TxnFile* found = txn.Find(&file)) return *found;
  TxnFile tf;
  tf.file = &file;
  txn.files.push_back(std::move(tf));
  ++file.transaction_refs;
  return txn.files.back();
}

bool OtherTransactionTouches(const EngineState& st, const FileState& file, const Client* me) {
  bool found = false;
  st.clients.ForEach([&](const Client& c) {
    if (&c == me || !c.txn) return;
    for (const TxnFile& tf : c.txn->files) {
      if (tf.file == &file && (!tf.touched.empty() || tf.batch.count() > 0)) found = true;
    }
  });
  return found;
}

int16_t CommitTransaction(EngineState& st, Client& client) {
  Transaction& txn = *client.txn;
  // Write every batch, then sync every file: acknowledged only when all are
  // on stable storage. A failure takes back what was written.
  std::size_t written = 0;
  int16_t status = 0;
  std::vector<uint64_t> old_sizes(txn.files.size());
  for (; written < txn.files.size(); ++written) {
    TxnFile& tf = txn.files[written];
    old_sizes[written] = tf.file->log_size;
    if (tf.batch.count() == 0) continue;
    tf.batch.Seal();
    if ((status = AppendLog(*tf.file, tf.batch)) != 0) break;
  }
  if (status == 0) {
    for (TxnFile& tf : txn.files) {
      if (tf.batch.count() > 0 && (status = SyncLog(*tf.file)) != 0) break;
    }
  }
  if (status != 0) {
    for (std::size_t i = 0; i < written; ++i) {
      if (txn.files[i].batch.count() > 0) TruncateLog(*txn.files[i].file, old_sizes[i]);
    }
    Rollback(txn);
    Finish(st, client);
    return status;
  }
  for (TxnFile& tf : txn.files) {
    FileState& file = *tf.file;
    const bool swept = SweepIndexes(tf, txn.id, true);
    for (const RecordMap::iterator it : tf.touched) {
      const uint32_t address = it->first;
      const bool deleted = it->second.pending && it->second.pending->deleted;
      CommitPending(file, it, swept);
      if (deleted) DropRecordLocks(st, file, address);
    }
  }
  Finish(st, client);
  return 0;
}

void AbortTransaction(EngineState& st, Client& client) {
  if (!client.txn) return;
  Rollback(*client.txn);
  Finish(st, client);
}

}  // namespace vv::engine
