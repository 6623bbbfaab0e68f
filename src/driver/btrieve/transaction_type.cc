#include "driver/btrieve/transaction_type.h"

#include <cstdio>

#include "driver/frame/errors.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "veverave/btrieve.h"

namespace vv::driver {
namespace {

struct TransactionTypeRow {
  uint16_t beginOp;
  uint16_t lockBias;
};

// Indexed by TransactionType. The concurrent form never waits inside the
// engine: the driver's own lock wait retries.
constexpr TransactionTypeRow kTransactionTypes[] = {
    {0, 0},
    {BTR_BEGIN_TRANSACTION, BTR_BIAS_MULTIPLE_NOWAIT},
    {BTR_BEGIN_CONCURRENT_TRANSACTION + BTR_BIAS_NO_RETRY, BTR_BIAS_MULTIPLE_NOWAIT},
};

}  // namespace

int16_t mvbtrTransactionTypeSet(int32_t type) {
  DriverGlobals* g = mvbtrGlobals();
  if (g->nTransDepth != 0) {
    mvbtrErrorReport(kErrTransactionTypeInTransaction, nullptr);
    return mvbtrErrorStatus();
  }
  if (type < kTransNone || type > kTransConcurrent) {
    char text[40];
    std::snprintf(text, sizeof text, "Value = %ld", static_cast<long>(type));
    mvbtrErrorReport(kErrTransactionType, text);
    return mvbtrErrorStatus();
  }
  g->nTransType = type;
  g->nBeginTranOp = kTransactionTypes[type].beginOp;
  g->nTranLockBias = kTransactionTypes[type].lockBias;
  return 0;
}

int32_t mvbtrTransactionTypeGet() {
  uint16_t op = mvbtrGlobals()->nBeginTranOp;
  if (op == 0) return kTransNone;
  return (op & 1000) != 0 ? kTransConcurrent : kTransExclusive;
}

}  // namespace vv::driver
