// The driver globals: every driver-wide setting and every piece of
// driver-wide state, in one record reached through the first word of the
// driver function table (lpGlobals). The record is allocated zero-filled by
// the first-call initialisation and released by btrDeinitialize; strings and
// arrays it points to are owned by it.
#ifndef VEVERAVE_DRIVER_FRAME_GLOBALS_H_
#define VEVERAVE_DRIVER_FRAME_GLOBALS_H_

#include <cstdint>

#include "veverave/driver.h"

namespace vv::platform {
class File;
}

namespace vv::driver {

struct ServerLogin;  // a server login record

// A node of the owner-name list.
struct OwnerNode {
  char* lpszName;
  OwnerNode* lpNext;
};

// The five grow-only scratch buffers, in their fixed order.
enum ScratchBufferId : int {
  kTrashBuffer = 0,
  kValueBuffer = 1,
  kSortBuffer = 2,
  kRecordBuffer = 3,
  kKeyValBuffer = 4,
  kScratchBufferCount = 5
};

struct ScratchBuffer {
  int32_t nSize;
  void* lpBuf;
};

// Transaction types (TRANSACTION_TYPE).
enum TransactionType : int32_t { kTransNone = 0, kTransExclusive = 1, kTransConcurrent = 2 };

// RECNUM_METHOD, ZEROFILE_METHOD, LAST_INDEX_NUMBER_METHOD, CHARACTER_SET and
// TEXT_TYPE values: their position in the keyword's word list.
enum RecnumMethod : uint8_t {
  kRecnumGetPosition = 0,
  kRecnumPositionBlock = 1,
  kRecnumDoubleCheck = 2,
  kRecnumAutoConfig = 3
};
enum ZerofileMethod : uint8_t { kZerofileFallback = 0, kZerofileDelete = 1, kZerofileCreate = 2 };
enum LastIndexMethod : int32_t { kLastIndexReal = 0, kLastIndexMaximum = 1 };
enum CharSet : uint8_t { kCharSetOem = 0, kCharSetChar = 1 };
enum TextType : uint8_t { kTextLongvar = 0, kTextNote = 1 };

struct DriverGlobals {
  ServerLogin* lpLogins;       // server logins, most recent first
  uint8_t bTransEnabled;       // transactions are carried out
  uint8_t bExplicitLocking;    // EXPLICIT_LOCKING
  uint8_t bLockReadOnly;       // LOCK_READONLY
  int32_t nLockTimeout;        // LOCK_TIMEOUT, ms; negative: the host's value
  int32_t nLockDelay;          // LOCK_DELAY, ms; negative: the host's value
  int32_t nLastIndexMethod;    // LAST_INDEX_NUMBER_METHOD
  uint8_t bUseCache;           // USE_CACHE
  uint8_t bCacheExpiration;    // USE_CACHE_EXPIRATION
  uint8_t bConvertLongNames;   // CONVERT_LONG_FILENAMES
  uint8_t bRuntimeServer;      // RUNTIME_SERVER_SUPPORT
  uint8_t bUseIntFile;         // USE_INT_FILE
  uint8_t nCharSet;            // CHARACTER_SET
  uint8_t bReportCacheErrors;  // REPORT_CACHE_ERRORS
  char* lpszCacheDir;          // CACHE_PATH, ends in "\"
  char* lpszDdfDir;            // DDF_PATH, ends in "\"
  char* lpszBtrDir;            // BTR_PATH, ends in "\"
  char* lpszIntDir;            // INT_PATH, ends in "\"
  uint16_t nBeginTranOp;       // Btrieve operation that begins a transaction
  int32_t nTransDepth;         // nesting depth of host transactions
  uint16_t nTranLockBias;      // lock bias added to reads inside a transaction
  int32_t nTransType;          // TransactionType
  int32_t nDefaultPageSize;    // page size records are planned for
  int32_t nRenameRetries;      // RENAME_RETRY_COUNT
  char* lpszDefaultExt;        // extension of Btrieve file names
  char cBlankSubst;            // replaces blanks inside field names
  uint8_t nComp3SignPos;       // COMP3_SIGN_POS
  uint8_t nComp3SignNeg;       // COMP3_SIGN_NEG
  uint8_t bComp3SignCheck;     // DETECT_INVALID_COMP3_SIGN_POS / DETECT_INCOMPATIBLE_SIGN_POS
  uint8_t nRecnumMethod;       // RECNUM_METHOD
  uint8_t nZerofileMethod;     // ZEROFILE_METHOD
  char* lpszRecidName;         // RECID_NAME
  char* lpszLogfilePath;       // LOGFILE_PATH
  uint8_t bAutoMarkSysfile;    // AUTO_MARK_SYSFILE
  uint8_t bAllowUnlockedUpdates;  // ALLOW_UNLOCKED_UPDATES
  uint8_t bPadString;          // PAD_STRING
  OwnerNode* lpOwners;         // OWNER names, in the order added
  int32_t* lpLockedFiles;      // host handles of locked tables
  int32_t nLockedFiles;        // entries in use
  int32_t nOpenFiles;          // tables open through the driver
  int32_t nLockedFilesMax;     // entries allocated
  uint8_t* lpAcsTable;         // ACS: 265-byte collating sequence
  uint8_t* lpAcsUpperTable;    // ACS_UPPER: 265-byte collating sequence
  uint8_t bAutoLogout;         // AUTO_LOGOUT
  ScratchBuffer scratch[kScratchBufferCount];
  char* lpCacheBuf;            // structure cache reader
  char* lpCacheBufPos;
  char* lpCacheBufEnd;
  vv::platform::File* hLogFile;  // open log file, owned
  char* lpszDdfOwner;          // DDF_OWNER
  int32_t nMaxTextLen;         // largest variable-length value, bytes
  uint8_t nTextType;           // TEXT_TYPE
  uint8_t bLogoutRunning;      // a logout is walking lpLogins
  uint8_t bLogoutAllDeferred;  // AUTO_LOGOUT came due during that walk
};

// The driver function table and the globals hanging off it.
VvDriverFuncTable* mvbtrFuncTable();
inline DriverGlobals* mvbtrGlobals() {
  return static_cast<DriverGlobals*>(mvbtrFuncTable()->lpGlobals);
}

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FRAME_GLOBALS_H_
