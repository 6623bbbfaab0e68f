#include "engine/engine.h"

#include <algorithm>
#include <new>

#include "engine/ops.h"
#include "engine/pager.h"
#include "veverave/btrieve.h"

namespace vv::engine {

namespace {

// Biases a read may carry.
bool IsLockBias(int bias) {
  return bias == 0 || bias == BTR_BIAS_SINGLE_WAIT || bias == BTR_BIAS_SINGLE_NOWAIT ||
         bias == BTR_BIAS_MULTIPLE_WAIT || bias == BTR_BIAS_MULTIPLE_NOWAIT;
}

bool TakesLockBias(int base) {
  switch (base) {
    case BTR_GET_EQUAL:
    case BTR_GET_NEXT:
    case BTR_GET_PREVIOUS:
    case BTR_GET_GREATER:
    case BTR_GET_GREATER_OR_EQUAL:
    case BTR_GET_LESS:
    case BTR_GET_LESS_OR_EQUAL:
    case BTR_GET_FIRST:
    case BTR_GET_LAST:
    case BTR_GET_DIRECT:
    case BTR_STEP_NEXT:
    case BTR_STEP_FIRST:
    case BTR_STEP_LAST:
    case BTR_STEP_PREVIOUS:
    case BTR_BEGIN_TRANSACTION:
      return true;
    default:
      return false;
  }
}

uint32_t CheckSeed(const void* engine) {
  const auto address = reinterpret_cast<uintptr_t>(engine);
  return static_cast<uint32_t>(platform::MonotonicMs() * 2654435761u) ^
         static_cast<uint32_t>(address >> 4) ^ static_cast<uint32_t>(platform::ProcessId());
}

}  // namespace

Engine::Engine(Options options, FileSystem* fs)
    : st_(std::move(options), fs != nullptr ? fs : DefaultFileSystem(), CheckSeed(this)) {
  st_.trace.SetPath(st_.options.trace_path);
}

Engine::~Engine() {
  platform::MutexLock lock(mu_);
  try {
    while (!st_.cursors.empty()) {
      Client* client = st_.cursors.begin()->second->client;
      vv::engine::Call call;
      call.client = client;
      OpReset(st_, call);
    }
    st_.clients.ForEach([this](Client& client) { AbortTransaction(st_, client); });
  } catch (...) {
    // Closing allocates nothing; nothing to do if it did.
  }
}

int16_t Engine::Dispatch(vv::engine::Call& call) {
  const uint16_t op = call.op;
  int base = op % 100;
  int bias = op - base;
  bool concurrent = false;
  // Begin Transaction comes as 19 (exclusive) or 1019 (concurrent), plus a
  // default lock bias and, when concurrent, +500 "do not wait" (the engine
  // never waits, so it changes nothing).
  if (base == BTR_BEGIN_TRANSACTION && bias >= BTR_BEGIN_CONCURRENT_TRANSACTION - base) {
    concurrent = true;
    bias -= BTR_BEGIN_CONCURRENT_TRANSACTION - base;
    if (bias >= BTR_BIAS_NO_RETRY) bias -= BTR_BIAS_NO_RETRY;
  }
  if (bias != 0 && (!TakesLockBias(base) || !IsLockBias(bias))) {
    return BTR_STATUS_INVALID_OPERATION;
  }
  call.base = base;
  call.lock_bias = bias;
  switch (base) {
    case BTR_OPEN:
      return OpOpen(st_, call);
    case BTR_CLOSE:
      return OpClose(st_, call);
    case BTR_INSERT:
      return OpInsert(st_, call);
    case BTR_UPDATE:
      return OpUpdate(st_, call);
    case BTR_DELETE:
      return OpDelete(st_, call);
    case BTR_GET_EQUAL:
    case BTR_GET_NEXT:
    case BTR_GET_PREVIOUS:
    case BTR_GET_GREATER:
    case BTR_GET_GREATER_OR_EQUAL:
    case BTR_GET_LESS:
    case BTR_GET_LESS_OR_EQUAL:
    case BTR_GET_FIRST:
    case BTR_GET_LAST:
      return OpGetKeyed(st_, call);
    case BTR_CREATE:
      return OpCreate(st_, call);
    case BTR_STAT:
      return OpStat(st_, call);
    case BTR_BEGIN_TRANSACTION:
      return OpBeginTransaction(st_, call, concurrent, bias);
    case BTR_END_TRANSACTION:
      return OpEndTransaction(st_, call);
    case BTR_ABORT_TRANSACTION:
      return OpAbortTransaction(st_, call);
    case BTR_GET_POSITION:
      return OpGetPosition(st_, call);
    case BTR_GET_DIRECT:
      return OpGetDirect(st_, call);
    case BTR_STEP_NEXT:
    case BTR_STEP_FIRST:
    case BTR_STEP_LAST:
    case BTR_STEP_PREVIOUS:
      return OpStep(st_, call);
    case BTR_VERSION:
      return OpVersion(st_, call);
    case BTR_UNLOCK:
      return OpUnlock(st_, call);
    case BTR_RESET:
      return OpReset(st_, call);
    case BTR_SET_OWNER:
      return OpSetOwner(st_, call);
    case BTR_CLEAR_OWNER:
      return OpClearOwner(st_, call);
    case BTR_CREATE_INDEX:
      return OpCreateIndex(st_, call);
    case BTR_DROP_INDEX:
      return OpDropIndex(st_, call);
    default:
      return BTR_STATUS_INVALID_OPERATION;
  }
}

int16_t Engine::Call(uint16_t op, void* pos_block, void* data, uint32_t* data_len, void* key,
                     uint8_t key_len, int8_t key_number, const uint8_t* client_id) {
  platform::MutexLock lock(mu_);
  const uint32_t len_in = data_len != nullptr ? *data_len : 0;
  int16_t status = 0;
  Client* client = nullptr;
  try {
    ClientId id{};
    if (client_id != nullptr) std::copy(client_id, client_id + id.size(), id.begin());
    client = st_.clients.Get(id);
    vv::engine::Call call;
    call.op = op;
    call.pos_block = static_cast<uint8_t*>(pos_block);
    call.data = static_cast<uint8_t*>(data);
    call.data_len = data_len;
    call.data_cap = data != nullptr ? len_in : 0;
    call.key = static_cast<uint8_t*>(key);
    call.key_cap = key != nullptr ? key_len : 0;
    call.key_number = key_number;
    call.client = client;
    status = Dispatch(call);
  } catch (const std::bad_alloc&) {
    status = BTR_STATUS_OUT_OF_MEMORY;
  } catch (const StorageError& e) {
    status = e.status;
  } catch (...) {
    status = BTR_STATUS_IO_ERROR;
  }
  st_.clients.DropIfIdle(client);
  if (st_.trace.enabled()) {
    try {
      st_.trace.Write(client_id, op, key_number, data_len != nullptr ? &len_in : nullptr, data_len,
                      status);
    } catch (...) {
      // A trace line that cannot be written is left out.
    }
  }
  return status;
}

bool Engine::SetOption(const char* name, const char* value) {
  platform::MutexLock lock(mu_);
  if (name == nullptr) return false;
  try {
    if (!vv::engine::SetOption(&st_.options, name, value)) return false;
    st_.trace.SetPath(st_.options.trace_path);
    st_.cache.SetCapacity(st_.options.cache_bytes);
    return true;
  } catch (...) {
    return false;
  }
}

std::size_t Engine::open_file_count() {
  platform::MutexLock lock(mu_);
  return st_.files.size();
}

std::size_t Engine::client_count() {
  platform::MutexLock lock(mu_);
  return st_.clients.size();
}

Engine& GlobalEngine() {
  static Engine* const engine = new Engine(OptionsFromEnvironment());
  return *engine;
}

}  // namespace vv::engine
