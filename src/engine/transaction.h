// A client's transaction and what it has touched.
//
//   no transaction ──Begin (19/1019)──▶ active ──End (20)──▶ changes written, synced, committed
//                                        │
//                                        └─────Abort (21), Reset (28)──▶ changes dropped
//
// Changes are applied to memory as pending changes of the records (see
// record_store.h) and their log records are collected per file; End writes
// each file's collection as one batch record, syncs every file, and only
// then makes the pending changes the committed state. A batch is atomic per
// file: a crash before its record is completely written leaves none of it.
#ifndef VEVERAVE_ENGINE_TRANSACTION_H_
#define VEVERAVE_ENGINE_TRANSACTION_H_

#include <cstdint>
#include <string>
#include <vector>

#include "engine/batch_log.h"
#include "engine/file_state.h"

namespace vv::engine {

struct TxnFile {
  FileState* file = nullptr;
  BatchLog batch;  // its changes, as End writes them
  // Records that got a pending change; they stay in the map until End or
  // Abort (a pending delete only marks them), so the iterators stay valid.
  std::vector<RecordMap::iterator> touched;
  int64_t count_delta = 0;  // records added minus records removed
  bool allocated_addresses = false;
};

struct Transaction {
  uint32_t id = 0;
  bool exclusive = false;
  int default_bias = 0;  // lock bias of reads that carry none
  std::vector<TxnFile> files;

  TxnFile* Find(const FileState* file) {
    for (TxnFile& f : files) {
      if (f.file == file) return &f;
    }
    return nullptr;
  }
};

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_TRANSACTION_H_
