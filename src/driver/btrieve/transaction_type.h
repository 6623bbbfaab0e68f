// The transaction type (TRANSACTION_TYPE): which Btrieve operation begins a
// host transaction and which lock bias reads inside it take.
//
//   type        nTransType  nBeginTranOp  nTranLockBias
//   NONE        0           0             0
//   EXCLUSIVE   1           19            400
//   CONCURRENT  2           1519          400
#ifndef VEVERAVE_DRIVER_BTRIEVE_TRANSACTION_TYPE_H_
#define VEVERAVE_DRIVER_BTRIEVE_TRANSACTION_TYPE_H_

#include <cstdint>

namespace vv::driver {

// Sets the type 0, 1 or 2. Inside a host transaction: error 20532 and nothing
// changes; another number: error 20531 "Value = %ld".
int16_t mvbtrTransactionTypeSet(int32_t type);
// 0 when no Btrieve transaction is begun, 2 for the concurrent form, else 1.
int32_t mvbtrTransactionTypeGet();

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_BTRIEVE_TRANSACTION_TYPE_H_
