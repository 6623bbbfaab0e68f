#include "engine/transaction_ops.h"

#include "engine/file_registry.h"
#include "engine/locks.h"
#include "engine/ops.h"
#include "engine/record_changes.h"
#include "veverave/btrieve.h"

namespace vv::engine {

namespace {

// Leaves the transaction: locks released, references dropped, files no
// longer used let go. Cannot fail.
void Finish(EngineState& st, Client& client) {
  std::unique_ptr<Transaction> txn = std::move(client.txn);
  for (TxnFile& tf : txn->files) {
    ReleaseTransactionLocks(*tf.file, &client);
    --tf.file->transaction_refs;
  }
  for (TxnFile& tf : txn->files) {
    if (tf.file->transaction_refs == 0 && tf.file->cursor_count == 0) ReleaseIfUnused(st, tf.file);
  }
}

void Rollback(Transaction& txn) {
  for (TxnFile& tf : txn.files) {
    FileState& file = *tf.file;
    for (const RecordMap::iterator it : tf.touched) DropChange(file, it);
    tf.touched.clear();
    // Addresses handed out stay used: the next insert after a restart must
    // not get one of them again, so the header that counts them is written
    // (without a sync: only a power loss could take it back, and with it
    // every trace of those addresses).
    if (tf.allocated_addresses && !file.poisoned() && file.writable) {
      StoreWrite(file, false, [] { return int16_t{0}; });
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
      if (tf.file == &file && !tf.touched.empty()) found = true;
    }
  });
  return found;
}

int16_t CommitTransaction(EngineState& st, Client& client) {
  Transaction& txn = *client.txn;
  // Each file's records go to its pages in one write, synced before End
  // returns. A failure takes that file's write back; files committed
  // before it stay committed (as a crash between them would leave them).
  for (TxnFile& tf : txn.files) {
    if (tf.touched.empty()) continue;
    FileState& file = *tf.file;
    const int16_t status = StoreWrite(file, true, [&] {
      WriteCommitted(file, tf.touched);
      return int16_t{0};
    });
    if (status != 0) {
      Rollback(txn);
      Finish(st, client);
      return status;
    }
    for (const RecordMap::iterator it : tf.touched) {
      const uint32_t address = it->first;
      const bool deleted = it->second.pending && it->second.pending->deleted;
      DropChange(file, it);
      if (deleted) DropRecordLocks(st, file, address);
    }
    tf.touched.clear();
    tf.allocated_addresses = false;
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
