// Host transactions on Btrieve transactions. The host brackets its updates
// with btrTransactionStart and btrTransactionCommit or btrTransactionAbort;
// host transactions nest, and only the outermost one begins and ends a
// Btrieve transaction, on the client of the most recent login (the head of
// lpLogins), which is the login of the default server unless the host logged
// in to another one since.
//
//   depth 0 --start: Begin (nBeginTranOp), store every table's state,
//   |              bInTransaction = 1, bCommitted = 0, lock the listed tables--> depth 1
//   depth n --start: store the states again, lock the listed tables--> depth n+1
//   depth n+1 --commit / abort: nothing reaches Btrieve--> depth n
//   depth 1 --commit: End Transaction; bInTransaction = 0, bCommitted = 1--> depth 0
//   depth 1 --abort: Abort Transaction; states restored,
//                    bInTransaction = 0, bCommitted = 0--> depth 0
//
// Under TRANSACTION_TYPE NONE nothing reaches Btrieve, but the depth, the
// flags and the stored states behave the same. With transactions disabled
// (bTransEnabled 0), or while no table is open, a start does nothing, and
// so do commit and abort at depth 0.
//
// A start that fails after it began the Btrieve transaction aborts it again,
// which restores the tables and brings the depth back. Failures are reported
// and left pending; each routine returns the pending error (0 when none).
#ifndef VEVERAVE_DRIVER_BTRIEVE_TRANSACTION_H_
#define VEVERAVE_DRIVER_BTRIEVE_TRANSACTION_H_

#include <cstdint>

namespace vv::driver {

// Context texts of a refused Begin, End and Abort (error 21000 + status).
inline constexpr const char* kTransactionStartText = "TransactionStart";
inline constexpr const char* kTransactionCommitText = "TransactionCommit";
inline constexpr const char* kTransactionAbortText = "TransactionAbort";

int16_t mvbtrTransactionStart();
int16_t mvbtrTransactionCommit();
int16_t mvbtrTransactionAbort();

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_BTRIEVE_TRANSACTION_H_
