// Drives the engine and a simple in-memory model of one table with the same
// operations, decoded from a byte string (a fuzzer's input, or bytes from a
// seeded generator), and compares them: every record a read returns, and
// after every operation each client's key walks on every key, its physical
// walk and its Stat counts (records and unique values).
//
// Two clients share the table: inserts, updates (key changes included),
// deletes, every Get and Step operation, exclusive and concurrent
// transactions ended or aborted, Stat, Reset with a reopen, and hostile reads
// with random operation codes, biases, key numbers and buffer lengths on a
// block of their own. The model trusts the engine's status of a write (a
// refusal changes nothing, a success changes what the operation says) and
// predicts every read; statuses must come from the operation's own set.
#ifndef VEVERAVE_TESTS_ENGINE_MODEL_DRIVER_H_
#define VEVERAVE_TESTS_ENGINE_MODEL_DRIVER_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace vv::engine::testing {

// The Btrieve call with a client id (BTRCALLID's shape).
using BtrCall =
    std::function<int16_t(uint16_t op, void* pos_block, void* data, uint32_t* data_len, void* key,
                          uint8_t key_len, int8_t key_number, uint8_t* client_id)>;

struct ModelOptions {
  // Called between a Reset of every client and the reopen (the property
  // test makes a new engine there); may be empty.
  std::function<void()> reopen;
  int id_range = 12;            // ids are -id_range+1 .. id_range-1
  uint16_t record_length = 24;  // at least 24; the rest is filler
  int check_every = 1;          // key walks after every n-th operation
};

// Runs the operations of input on a fresh table at path (created, replacing
// any file there). Returns an empty string, or what disagreed first.
std::string RunModel(const BtrCall& call, const std::string& path, const uint8_t* input,
                     std::size_t size, const ModelOptions& options = {});

}  // namespace vv::engine::testing

#endif  // VEVERAVE_TESTS_ENGINE_MODEL_DRIVER_H_
