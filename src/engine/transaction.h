// A client's transaction and what it has touched.
//
//   no transaction ──Begin (19/1019)──▶ active ──End (20)──▶ changes written, synced, committed
//                                        │
//                                        └─────Abort (21), Reset (28)──▶ changes dropped
//
// Changes are kept in memory as pending changes of the records (see
// record_store.h) with their key entries; End writes each file's records to
// its pages in one store write committed to the file's log with one sync,
// and only then lets go of the in-memory changes. A commit is atomic per
// file: a crash before its commit frame is on disk leaves none of it.
#ifndef VEVERAVE_ENGINE_TRANSACTION_H_
#define VEVERAVE_ENGINE_TRANSACTION_H_

#include <cstdint>
#include <string>
#include <vector>

#include "engine/file_state.h"

namespace vv::engine {

struct TxnFile {
  FileState* file = nullptr;
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
