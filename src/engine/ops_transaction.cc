// Begin, End and Abort Transaction, Unlock and Reset.
#include <algorithm>

#include "engine/byte_order.h"
#include "engine/locks.h"
#include "engine/ops.h"
#include "engine/transaction_ops.h"
#include "veverave/btrieve.h"

namespace vv::engine {

int16_t OpBeginTransaction(EngineState& st, Call& call, bool concurrent, int default_bias) {
  Client& me = *call.client;
  if (me.txn) return BTR_STATUS_TRANSACTION_ACTIVE;
  auto txn = std::make_unique<Transaction>();
  if (st.next_txn_id == 0) st.next_txn_id = 1;  // 0 means "no transaction"
  txn->id = st.next_txn_id++;
  txn->exclusive = !concurrent;
  txn->default_bias = default_bias;
  me.txn = std::move(txn);
  return 0;
}

int16_t OpEndTransaction(EngineState& st, Call& call) {
  if (!call.client->txn) return BTR_STATUS_NO_TRANSACTION;
  return CommitTransaction(st, *call.client);
}

int16_t OpAbortTransaction(EngineState& st, Call& call) {
  if (!call.client->txn) return BTR_STATUS_NO_TRANSACTION;
  AbortTransaction(st, *call.client);
  return 0;
}

int16_t OpUnlock(EngineState& st, Call& call) {
  Cursor* cursor = ResolveCursor(st, call);
  if (cursor == nullptr) return BTR_STATUS_FILE_NOT_OPEN;
  FileState& file = *cursor->file;
  // Key number -1: one multiple lock, the record address in the data
  // buffer; -2: all multiple locks of the block; else its single lock.
  switch (call.key_number) {
    case -1:
      if (call.data == nullptr || call.data_cap < 4) return BTR_STATUS_DATA_BUFFER_TOO_SHORT;
      return ReleaseMultipleLock(file, *cursor, LoadU32(call.data)) ? 0 : BTR_STATUS_LOCK_ERROR;
    case -2:
      ReleaseBlockLocks(file, *cursor, true);
      return 0;
    default:
      if (cursor->has_single_lock) ReleaseSingleLock(file, *cursor, cursor->single_lock);
      return 0;
  }
}

int16_t OpReset(EngineState& st, Call& call) {
  Client* me = call.client;
  AbortTransaction(st, *me);
  for (auto it = st.cursors.begin(); it != st.cursors.end();) {
    Cursor* cursor = it->second.get();
    ++it;
    if (cursor->client == me) CloseCursor(st, cursor, nullptr);
  }
  return 0;
}

int16_t OpVersion(EngineState& st, Call& call) {
  const uint32_t cap = call.data == nullptr ? 0 : call.data_cap;
  if (cap < BTR_VERSION_BLOCK_SIZE) return BTR_STATUS_DATA_BUFFER_TOO_SHORT;
  const std::vector<VersionBlock>& blocks = st.options.version;
  const std::size_t n = std::min<std::size_t>(blocks.size(), cap / BTR_VERSION_BLOCK_SIZE);
  for (std::size_t i = 0; i < n; ++i) {
    uint8_t* p = call.data + i * BTR_VERSION_BLOCK_SIZE;
    StoreU16(p, blocks[i].version);
    StoreU16(p + 2, blocks[i].revision);
    p[4] = static_cast<uint8_t>(blocks[i].platform);
  }
  call.SetDataLength(static_cast<uint32_t>(n * BTR_VERSION_BLOCK_SIZE));
  return 0;
}

}  // namespace vv::engine
