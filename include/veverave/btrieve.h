/* veverave: the Btrieve call, as the driver issues it and the engine answers it.
 *
 * One call carries every operation: an operation code (plus a lock bias for
 * reads), a 128-byte position block per open file, a data buffer with an
 * in/out length, a key buffer, a key number (which carries a mode for some
 * operations) and a 16-byte client identifier. The result is a 16-bit status,
 * 0 for success. All integers in buffers are little-endian.
 */
#ifndef VEVERAVE_BTRIEVE_H_
#define VEVERAVE_BTRIEVE_H_

#include <stdint.h>

#include "veverave/abi.h"

#ifdef __cplusplus
extern "C" {
#endif

#define BTR_POS_BLOCK_SIZE 128
#define BTR_CLIENT_ID_SIZE 16
#define BTR_MAX_KEY_SIZE 255
#define BTR_ACS_SIZE 265 /* signature 0xAC, 8-byte name, 256-byte table */
#define BTR_ACS_SIGNATURE 0xAC
#define BTR_OWNER_MAX 8
/* Bytes 41..44 of a position block hold the address of its current record. */
#define BTR_POS_BLOCK_ADDRESS_OFFSET 41

/* The call with a client identifier (ordinal 2 of the Windows client library). */
typedef int16_t(VV_CALL* BtrCallIdFn)(uint16_t op, void* posBlock, void* dataBuf,
                                      uint32_t* dataLen, void* keyBuf, uint8_t keyLen,
                                      int8_t keyNum, uint8_t* clientId);
/* The same call for one default client (ordinal 1). */
typedef int16_t(VV_CALL* BtrCallFn)(uint16_t op, void* posBlock, void* dataBuf, uint32_t* dataLen,
                                    void* keyBuf, uint8_t keyLen, int8_t keyNum);
/* Ordinal 3: a call with one pointer argument. */
typedef int16_t(VV_CALL* BtrCallPtrFn)(void* request);

#define BTR_CALL_ID_SYMBOL "BTRCALLID"
#define BTR_CALL_SYMBOL "BTRCALL"
#define BTR_ORDINAL_CALL 1
#define BTR_ORDINAL_CALL_ID 2
#define BTR_ORDINAL_CALL_PTR 3

/* Operation codes. */
enum BtrOperation {
  BTR_OPEN = 0,
  BTR_CLOSE = 1,
  BTR_INSERT = 2,
  BTR_UPDATE = 3,
  BTR_DELETE = 4,
  BTR_GET_EQUAL = 5,
  BTR_GET_NEXT = 6,
  BTR_GET_PREVIOUS = 7,
  BTR_GET_GREATER = 8,
  BTR_GET_GREATER_OR_EQUAL = 9,
  BTR_GET_LESS = 10,
  BTR_GET_LESS_OR_EQUAL = 11,
  BTR_GET_FIRST = 12,
  BTR_GET_LAST = 13,
  BTR_CREATE = 14,
  BTR_STAT = 15,
  BTR_BEGIN_TRANSACTION = 19,
  BTR_END_TRANSACTION = 20,
  BTR_ABORT_TRANSACTION = 21,
  BTR_GET_POSITION = 22,
  BTR_GET_DIRECT = 23,
  BTR_STEP_NEXT = 24,
  BTR_VERSION = 26,
  BTR_UNLOCK = 27,
  BTR_RESET = 28,
  BTR_SET_OWNER = 29,
  BTR_CLEAR_OWNER = 30,
  BTR_CREATE_INDEX = 31,
  BTR_DROP_INDEX = 32,
  BTR_STEP_FIRST = 33,
  BTR_STEP_LAST = 34,
  BTR_STEP_PREVIOUS = 35,
  BTR_BEGIN_CONCURRENT_TRANSACTION = 1019
};

/* Biases added to an operation code (plain constants, so that an operation
 * plus a bias is ordinary integer arithmetic). */
#define BTR_BIAS_SINGLE_WAIT 100
#define BTR_BIAS_SINGLE_NOWAIT 200
#define BTR_BIAS_MULTIPLE_WAIT 300
#define BTR_BIAS_MULTIPLE_NOWAIT 400
#define BTR_BIAS_NO_RETRY 500 /* with a concurrent Begin Transaction */

/* Open modes, in the key number of Open. */
enum BtrOpenMode {
  BTR_OPEN_NORMAL = 0,
  BTR_OPEN_ACCELERATED = -1,
  BTR_OPEN_READ_ONLY = -2,
  BTR_OPEN_VERIFY = -3,
  BTR_OPEN_EXCLUSIVE = -4
};

/* Create modes, in the key number of Create. */
enum BtrCreateMode { BTR_CREATE_REPLACE = 0, BTR_CREATE_NO_REPLACE = -1 };

/* Key number meaning "no currency change" (Insert, Update) or "no key path" (Get Direct). */
#define BTR_KEY_NONE (-1)
/* Added to the key number of Create Index / Drop Index: take the key number from the
 * key description itself /
 * keep the numbers of the other keys. */
#define BTR_KEY_NUMBER_BIAS 0x80

/* Statuses: X(code, name, meaning). The one table of Btrieve statuses with their meanings. */
#define BTR_STATUSES(X)                                                  \
  X(0, SUCCESS, "success")                                               \
  X(1, INVALID_OPERATION, "invalid operation")                           \
  X(2, IO_ERROR, "I/O error")                                            \
  X(3, FILE_NOT_OPEN, "file not open")                                   \
  X(4, KEY_NOT_FOUND, "key value not found")                             \
  X(5, DUPLICATE_KEY, "duplicate key value")                             \
  X(6, INVALID_KEY_NUMBER, "invalid key number")                         \
  X(7, DIFFERENT_KEY_NUMBER, "different key number")                     \
  X(8, INVALID_POSITIONING, "invalid positioning")                       \
  X(9, END_OF_FILE, "end of file")                                       \
  X(10, MODIFIABLE_KEY_ERROR, "modifiable key value error")              \
  X(11, INVALID_FILE_NAME, "invalid file name")                          \
  X(12, FILE_NOT_FOUND, "file not found")                                \
  X(18, DISK_FULL, "disk full")                                          \
  X(20, ENGINE_INACTIVE, "record manager inactive")                      \
  X(21, KEY_BUFFER_TOO_SHORT, "key buffer too short")                    \
  X(22, DATA_BUFFER_TOO_SHORT, "data buffer length")                     \
  X(24, INVALID_PAGE_SIZE, "page size error")                            \
  X(25, CREATE_IO_ERROR, "create I/O error")                             \
  X(26, INVALID_KEY_COUNT, "number of keys")                             \
  X(27, INVALID_KEY_POSITION, "invalid key position")                    \
  X(28, INVALID_RECORD_LENGTH, "invalid record length")                  \
  X(29, INVALID_KEY_LENGTH, "invalid key length")                        \
  X(30, NOT_A_BTRIEVE_FILE, "not a Btrieve file")                        \
  X(36, TRANSACTION_ERROR, "transaction error")                          \
  X(37, TRANSACTION_ACTIVE, "transaction is active")                     \
  X(39, NO_TRANSACTION, "end/abort transaction error")                   \
  X(41, NOT_ALLOWED, "operation not allowed")                            \
  X(43, INVALID_ADDRESS, "invalid record address")                       \
  X(44, NULL_KEY_PATH, "null key path")                                  \
  X(45, INCONSISTENT_KEY_FLAGS, "inconsistent key flags")                \
  X(46, ACCESS_DENIED, "access to file denied")                          \
  X(47, TOO_MANY_FILES, "maximum open files")                            \
  X(48, INVALID_ACS, "invalid alternate sequence definition")            \
  X(49, INVALID_KEY_TYPE, "key type error")                              \
  X(50, OWNER_ALREADY_SET, "owner already set")                          \
  X(51, INVALID_OWNER, "invalid owner")                                  \
  X(54, VARIABLE_PAGE_ERROR, "variable page error")                      \
  X(55, AUTOINCREMENT_ERROR, "autoincrement error")                      \
  X(56, INCOMPLETE_INDEX, "incomplete index")                            \
  X(59, FILE_EXISTS, "file already exists")                              \
  X(78, DEADLOCK, "deadlock detected")                                   \
  X(80, CONFLICT, "conflict")                                            \
  X(81, LOCK_ERROR, "lock error")                                        \
  X(82, LOST_POSITION, "lost position")                                  \
  X(84, RECORD_LOCKED, "record in use")                                  \
  X(85, FILE_LOCKED, "file in use")                                      \
  X(86, FILE_TABLE_FULL, "file table full")                              \
  X(87, HANDLE_TABLE_FULL, "handle table full")                          \
  X(88, INCOMPATIBLE_MODE, "incompatible mode error")                    \
  X(93, INCOMPATIBLE_LOCK, "incompatible lock type")                     \
  X(101, OUT_OF_MEMORY, "insufficient memory")

#define BTR_STATUS_ENUM(code, name, text) BTR_STATUS_##name = code,
enum BtrStatus { BTR_STATUSES(BTR_STATUS_ENUM) BTR_STATUS_END_ };
#undef BTR_STATUS_ENUM

/* File definition: 16 bytes at the start of the Create and Stat buffers. */
enum BtrFileDefLayout {
  BTR_FILEDEF_RECORD_LENGTH = 0,  /* u16: fixed part of the record */
  BTR_FILEDEF_PAGE_SIZE = 2,      /* u16 */
  BTR_FILEDEF_KEY_COUNT = 4,      /* u8: number of keys */
  BTR_FILEDEF_FILE_VERSION = 5,   /* u8 (Stat): file version, 0x70 = 7.0 */
  BTR_FILEDEF_RECORD_COUNT = 6,   /* u32 (Stat): number of records; 0 on Create */
  BTR_FILEDEF_FILE_FLAGS = 10,    /* u16 */
  BTR_FILEDEF_DUP_POINTERS = 12,  /* u8: duplicate pointers to reserve / unused */
  BTR_FILEDEF_RESERVED = 13,      /* u8 */
  BTR_FILEDEF_PREALLOCATION = 14, /* u16: pages to preallocate / unused pages */
  BTR_FILEDEF_SIZE = 16
};

/* Key definition: 16 bytes per key segment, after the file definition. */
enum BtrKeyDefLayout {
  BTR_KEYDEF_POSITION = 0,     /* u16: 1-based offset in the record */
  BTR_KEYDEF_LENGTH = 2,       /* u16 */
  BTR_KEYDEF_FLAGS = 4,        /* u16: BTR_KEY_* */
  BTR_KEYDEF_UNIQUE_COUNT = 6, /* u32 (Stat): number of unique key values */
  BTR_KEYDEF_TYPE = 10,        /* u8: extended key type, with BTR_KEY_EXTENDED_TYPE */
  BTR_KEYDEF_NULL_VALUE = 11,  /* u8 */
  BTR_KEYDEF_RESERVED = 12,    /* u16 */
  BTR_KEYDEF_KEY_NUMBER = 14,  /* u8: manually assigned key number */
  BTR_KEYDEF_ACS_NUMBER = 15,  /* u8 */
  BTR_KEYDEF_SIZE = 16
};

/* File flags. */
enum BtrFileFlag {
  BTR_FILE_VARIABLE = 0x0001,
  BTR_FILE_BLANK_TRUNCATION = 0x0002,
  BTR_FILE_PREALLOCATION = 0x0004,
  BTR_FILE_COMPRESSION = 0x0008,
  BTR_FILE_KEY_ONLY = 0x0010,
  BTR_FILE_BALANCED = 0x0020,
  BTR_FILE_FREE_10 = 0x0040,
  BTR_FILE_FREE_20 = 0x0080,
  BTR_FILE_DUP_POINTERS = 0x0100,
  BTR_FILE_SYSTEM_DATA = 0x0200,
  BTR_FILE_KEY_NUMBERS = 0x0400,
  BTR_FILE_VATS = 0x0800
};

/* Key flags of a key segment. */
enum BtrKeyFlag {
  BTR_KEY_DUPLICATES = 0x0001,
  BTR_KEY_MODIFIABLE = 0x0002,
  BTR_KEY_BINARY = 0x0004,
  BTR_KEY_NULL_ALL = 0x0008, /* left out when every segment holds the null value */
  BTR_KEY_SEGMENTED = 0x0010,
  BTR_KEY_ACS = 0x0020,
  BTR_KEY_DESCENDING = 0x0040,
  BTR_KEY_REPEAT_DUPLICATES = 0x0080,
  BTR_KEY_EXTENDED_TYPE = 0x0100,
  BTR_KEY_NULL_ANY = 0x0200, /* left out when any segment holds the null value */
  BTR_KEY_NO_CASE = 0x0400
};

/* Btrieve data types: extended key types and dictionary column types. */
enum BtrType {
  BTR_TYPE_STRING = 0,
  BTR_TYPE_INTEGER = 1,
  BTR_TYPE_FLOAT = 2,
  BTR_TYPE_DATE = 3,
  BTR_TYPE_TIME = 4,
  BTR_TYPE_DECIMAL = 5,
  BTR_TYPE_MONEY = 6,
  BTR_TYPE_LOGICAL = 7,
  BTR_TYPE_NUMERIC = 8,
  BTR_TYPE_BFLOAT = 9,
  BTR_TYPE_LSTRING = 10,
  BTR_TYPE_ZSTRING = 11,
  BTR_TYPE_NOTE = 12,
  BTR_TYPE_LVAR = 13,
  BTR_TYPE_UNSIGNED = 14,
  BTR_TYPE_AUTOINCREMENT = 15,
  BTR_TYPE_BIT = 16,
  BTR_TYPE_NUMERIC_STS = 17,
  BTR_TYPE_NUMERIC_SA = 18,
  BTR_TYPE_CURRENCY = 19,
  BTR_TYPE_TIMESTAMP = 20,
  BTR_TYPE_LONGVAR = 21,
  BTR_TYPE_NULL_INDICATOR = 255
};

/* Version blocks: 5 bytes each, {version u16, revision u16, platform character}. */
#define BTR_VERSION_BLOCK_SIZE 5

#ifdef __cplusplus
}
#endif

#endif /* VEVERAVE_BTRIEVE_H_ */
