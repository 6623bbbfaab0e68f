// Everything the engine knows between calls, and the decoded form of one
// call. Guarded by the engine's one lock (engine.h); the operation handlers
// (ops.h) work on it.
#ifndef VEVERAVE_ENGINE_ENGINE_STATE_H_
#define VEVERAVE_ENGINE_ENGINE_STATE_H_

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "engine/client_table.h"
#include "engine/cursor.h"
#include "engine/file_state.h"
#include "engine/file_system.h"
#include "engine/options.h"
#include "engine/page_cache.h"

namespace vv::engine {

struct EngineState {
  EngineState(Options opts, FileSystem* file_system, uint32_t check_seed)
      : options(std::move(opts)),
        fs(file_system),
        cache(options.cache_bytes),
        next_check(check_seed) {}

  Options options;
  CallTrace trace;
  FileSystem* fs;
  PageCache cache;  // before files: they give their frames back to it
  ClientTable clients;
  std::map<uint32_t, std::unique_ptr<Cursor>> cursors;      // by id
  std::map<std::string, std::unique_ptr<FileState>> files;  // by registry key
  uint32_t next_cursor_id = 1;
  uint32_t next_check;  // varies per engine, so a block from another engine fails validation
  uint32_t next_txn_id = 1;
};

// One call, decoded.
struct Call {
  uint16_t op = 0;    // as the caller gave it
  int base = 0;       // the operation without biases
  int lock_bias = 0;  // 0 or one of BTR_BIAS_SINGLE_WAIT .. BTR_BIAS_MULTIPLE_NOWAIT
  uint8_t* pos_block = nullptr;
  uint8_t* data = nullptr;
  uint32_t* data_len = nullptr;
  uint32_t data_cap = 0;  // the data length on entry; 0 without a buffer
  uint8_t* key = nullptr;
  std::size_t key_cap = 0;  // the key length; 0 without a buffer
  int8_t key_number = 0;
  Client* client = nullptr;

  void SetDataLength(uint32_t n) {
    if (data_len != nullptr) *data_len = n;
  }
};

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_ENGINE_STATE_H_
