// The workload of the durability test, shared by the child program that
// runs it until it is killed and the test that checks what survived.
//
// Commit k (k = 1, 2, ...) is one transaction on the test table: the counter
// record (id 0) gets k, record k is inserted with name "txn", record k-1 is
// renamed "upd" (changing its key 1), and record k-3 is deleted. After each
// acknowledged commit the child appends "T k" to its acknowledgement file,
// then inserts record kNonTxnBase + k outside any transaction and appends
// "N kNonTxnBase+k" once that returned 0.
#ifndef VEVERAVE_TESTS_ENGINE_DURABILITY_CHILD_H_
#define VEVERAVE_TESTS_ENGINE_DURABILITY_CHILD_H_

#include <cstdint>

namespace vv::engine::testing {

inline constexpr int32_t kNonTxnBase = 1000000;
inline constexpr int32_t kKeepRecords = 3;  // records k-2..k stay after commit k

}  // namespace vv::engine::testing

#endif  // VEVERAVE_TESTS_ENGINE_DURABILITY_CHILD_H_
