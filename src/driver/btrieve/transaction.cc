// Host transactions (transaction.h) and their three entry points.
#include "driver/btrieve/transaction.h"

#include "driver/btrieve/btr_call.h"
#include "driver/btrieve/record_lock.h"
#include "driver/frame/entry_guard.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/init.h"
#include "driver/frame/logins/login.h"
#include "driver/tables/file_record.h"
#include "veverave/btrieve.h"
#include "veverave/driver.h"

namespace vv::driver {
namespace {

// One transaction operation (Begin, End, Abort) for the login's client: no
// file, no buffers. A refusal is reported with context; false then.
bool TransactionCall(uint16_t operation, const ServerLogin* login, const char* context) {
  const int16_t status =
      mvbtrBtrCall(operation, nullptr, nullptr, nullptr, nullptr, 0, login->lpClientId);
  if (status == 0) return true;
  mvbtrBtrErrorReport(status, context, nullptr);
  return false;
}

// Stores the state of every table of the login and takes it into the
// transaction; stops at the first table whose state cannot be stored.
void TablesEnter(ServerLogin* login) {
  for (OpenFile* file = login->lpFiles; file != nullptr; file = file->lpNext) {
    if (mvbtrFileStatusStore(file) != 0) return;
    file->bInTransaction = 1;
    file->bCommitted = 0;
  }
}

// Locks the current record of every table the host listed with btrFileLock
// and that is open. A table whose record cannot be read stays unlocked; the
// walk stops only when an error is pending (a lock timeout).
void ListedTablesLock(const DriverGlobals* g) {
  for (int32_t i = 0; i < g->nLockedFiles && mvbtrErrorStatus() == 0; ++i) {
    auto* file = static_cast<OpenFile*>(mvbtrFileFromHandle(g->lpLockedFiles[i]));
    if (file != nullptr) mvbtrRecordLock(file);
  }
}

// The prologue of commit and abort: initialised, transactions enabled and a
// host transaction open. *init receives the initialisation status.
bool InTransaction(int16_t* init) {
  *init = mvbtrDriverEnsureInit();
  if (*init != 0 || !mvbtrDriverIsInit()) return false;
  const DriverGlobals* g = mvbtrGlobals();
  return g->bTransEnabled != 0 && g->nTransDepth != 0;
}

}  // namespace

int16_t mvbtrTransactionStart() {
  const int16_t init = mvbtrDriverEnsureInit();
  if (init != 0 || !mvbtrDriverIsInit()) return init;
  DriverGlobals* g = mvbtrGlobals();
  if (g->bTransEnabled == 0 || g->nOpenFiles == 0) return 0;
  // The default login exists before any transaction. An error pending here
  // (a failed login, or one the host left) stops the start before Btrieve
  // is asked for anything, so a begun transaction is always counted.
  if (mvbtrLoginDefault() == nullptr || mvbtrErrorStatus() != 0) return mvbtrErrorStatus();
  ServerLogin* login = g->lpLogins;

  bool begun = false;
  if (g->nTransDepth == 0 && g->nTransType != kTransNone && g->nBeginTranOp != 0) {
    begun = TransactionCall(g->nBeginTranOp, login, kTransactionStartText);
  }
  if (mvbtrErrorStatus() == 0) {
    ++g->nTransDepth;
    TablesEnter(login);
  }
  if (mvbtrErrorStatus() == 0 && g->bExplicitLocking != 0) ListedTablesLock(g);
  if (mvbtrErrorStatus() != 0 && begun) mvbtrTransactionAbort();
  return mvbtrErrorStatus();
}

// A commit or abort that finds no login at all sends nothing: the logout
// that closed the logins has reset their clients, which ended the Btrieve
// transaction; the depth still comes down.
int16_t mvbtrTransactionCommit() {
  int16_t init = 0;
  if (!InTransaction(&init)) return init;
  DriverGlobals* g = mvbtrGlobals();
  ServerLogin* login = g->lpLogins;
  bool ended = true;
  if (g->nTransDepth == 1 && g->nTransType != kTransNone && login != nullptr) {
    ended = TransactionCall(BTR_END_TRANSACTION, login, kTransactionCommitText);
  }
  if (--g->nTransDepth == 0 && login != nullptr) {
    for (OpenFile* file = login->lpFiles; file != nullptr; file = file->lpNext) {
      file->bInTransaction = 0;
      if (ended) file->bCommitted = 1;
    }
  }
  return mvbtrErrorStatus();
}

int16_t mvbtrTransactionAbort() {
  int16_t init = 0;
  if (!InTransaction(&init)) return init;
  DriverGlobals* g = mvbtrGlobals();
  ServerLogin* login = g->lpLogins;
  if (g->nTransDepth == 1 && g->nTransType != kTransNone && login != nullptr) {
    TransactionCall(BTR_ABORT_TRANSACTION, login, kTransactionAbortText);
  }
  if (--g->nTransDepth == 0 && login != nullptr) {
    for (OpenFile* file = login->lpFiles; file != nullptr; file = file->lpNext) {
      mvbtrFileStatusRestore(file);
      file->bInTransaction = 0;
      file->bCommitted = 0;
    }
  }
  return mvbtrErrorStatus();
}

}  // namespace vv::driver

extern "C" {

int16_t VV_CALL btrTransactionStart(void) {
  return vv::driver::GuardStatus("btrTransactionStart",
                                 [] { return vv::driver::mvbtrTransactionStart(); });
}

int16_t VV_CALL btrTransactionCommit(void) {
  return vv::driver::GuardStatus("btrTransactionCommit",
                                 [] { return vv::driver::mvbtrTransactionCommit(); });
}

int16_t VV_CALL btrTransactionAbort(void) {
  return vv::driver::GuardStatus("btrTransactionAbort",
                                 [] { return vv::driver::mvbtrTransactionAbort(); });
}

}  // extern "C"
