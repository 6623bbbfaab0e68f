/* veverave: the driver's public interface.
 *
 * The host loads the driver library, hands over its host services table with
 * mvDLLSetLoaderGlobals, asks for the module type with mvDLLGetModuleType and
 * fetches the driver function table with mvDLLGetFuncTable. From then on it
 * calls the 38 entry points through that table (they are also exported under
 * their own names).
 *
 * All functions use the standard calling convention of Windows exported
 * functions on 32-bit Windows (__stdcall) and the platform's default elsewhere.
 * A 16-bit status is 0 on success; every failure is also reported through the
 * host's error channel (host_services.h, slots 30 to 36).
 */
#ifndef VEVERAVE_DRIVER_H_
#define VEVERAVE_DRIVER_H_

#include <stddef.h>
#include <stdint.h>

#include "veverave/host_services.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Symbols exported by the driver library. The Windows DLL exports through a
 * .def file (undecorated names), so no attribute is needed there. */
#if defined(VEVERAVE_BUILDING_DRIVER) && !defined(_WIN32)
#define VV_DRIVER_EXPORT __attribute__((visibility("default")))
#else
#define VV_DRIVER_EXPORT
#endif

/* Module type that mvDLLGetModuleType reports for a database driver. */
#define VV_MODULE_TYPE_DATABASE_DRIVER 2
/* Name and prefix fields of the driver function table, and the prefix that
 * mvDLLGetFuncTable copies out. */
#define VV_DRIVER_NAME "VEVERAVE"
#define VV_DRIVER_TABLE_PREFIX "BTR"
#define VV_DRIVER_PREFIX "btr"
#define VV_DRIVER_ENTRY_COUNT 38

/* Progress callback of btrStructureEnd, native file conversion and btrDriver
 * function 999: a text and a kind (VV_PROGRESS_*); a non-zero result stops the
 * operation and becomes its status. */
typedef int16_t(VV_CALL* VvProgressFn)(const char* text, int32_t kind);
enum {
  VV_PROGRESS_MESSAGE = 0,
  VV_PROGRESS_WARNING = 6,
  VV_PROGRESS_TITLE = 7,
  VV_PROGRESS_COUNT = 8, /* text "%ld,%ld": records done, records in total */
  VV_PROGRESS_ERROR = 9
};

/* The 38 entry points in function-table order:
 *   X(position, result type, name, parameter list, stdcall argument bytes)
 * This list is the one index of the entry points; the function table, the
 * declarations and the export checks are all made from it. */
#define VV_DRIVER_ENTRY_POINTS(X)                                                              \
  X(0, int16_t, btrDeinitialize, (void), 0)                                                    \
  X(1, int16_t, btrFileLock, (int32_t hFile), 4)                                               \
  X(2, int16_t, btrFileUnlock, (int32_t hFile), 4)                                             \
  X(3, int16_t, btrFileReread, (int32_t hFile), 4)                                             \
  X(4, int16_t, btrFileOpen, (const char* name, int32_t mode, int32_t* hFile), 12)             \
  X(5, int16_t, btrFileClear, (int32_t hFile), 4)                                              \
  X(6, int16_t, btrFileClose, (int32_t hFile, int32_t flag), 8)                                \
  X(7, int16_t, btrFileDeleteAllRecords, (int32_t hFile), 4)                                   \
  X(8, int16_t, btrFileDelete, (int32_t hFile), 4)                                             \
  X(9, int16_t, btrFileSort, (int32_t hFile, int32_t arg2, int32_t arg3, int32_t arg4), 16)    \
  X(10, int16_t, btrRecordDelete, (int32_t hFile), 4)                                          \
  X(11, int16_t, btrRecordSave, (int32_t hFile), 4)                                            \
  X(12, int16_t, btrRecordFind, (int32_t hFile, int32_t index, int32_t mode), 12)              \
  X(13, int32_t, btrFieldGetString,                                                            \
    (int32_t hFile, int32_t field, char* buffer, int32_t offset, int32_t length), 20)          \
  X(14, int16_t, btrFieldPutString,                                                            \
    (int32_t hFile, int32_t field, const char* text, int32_t offset, int32_t length,           \
     int32_t keepEnd),                                                                         \
    24)                                                                                        \
  X(15, int16_t, btrFieldGetBCD, (int32_t hFile, int32_t field, VvBcd* value), 12)            \
  X(16, int16_t, btrFieldPutBCD, (int32_t hFile, int32_t field, const VvBcd* value), 12)      \
  X(17, int16_t, btrFieldFill, (int32_t hFile, int32_t field, int32_t kind), 12)               \
  X(18, int32_t, btrFieldMap, (int32_t hFile, const char* name, int32_t unused), 12)           \
  X(19, int32_t, btrFieldCreate, (int32_t hFile, int32_t position), 8)                         \
  X(20, int16_t, btrFieldDelete, (int32_t hFile, int32_t field), 8)                            \
  X(21, int32_t, btrIndexCreate, (int32_t hFile), 4)                                           \
  X(22, int16_t, btrIndexDelete, (int32_t hFile, int32_t index), 8)                            \
  X(23, int16_t, btrTransactionStart, (void), 0)                                               \
  X(24, int16_t, btrTransactionCommit, (void), 0)                                              \
  X(25, int16_t, btrTransactionAbort, (void), 0)                                               \
  X(26, int16_t, btrStructureStart, (int32_t* hFile, int32_t arg2), 8)                        \
  X(27, int16_t, btrStructureEnd,                                                              \
    (int32_t hFile, uint32_t flags, int32_t unused, VvProgressFn progress), 16)                \
  X(28, int16_t, btrStructureAbort, (int32_t hFile), 4)                                        \
  X(29, int16_t, btrStructureCopy, (int32_t arg1, int32_t arg2), 8)                            \
  X(30, int32_t, btrAttributeGetNumeric,                                                       \
    (int32_t hFile, int32_t n1, int32_t n2, int32_t attr, int32_t selector), 20)               \
  X(31, int16_t, btrAttributeGetString,                                                        \
    (int32_t hFile, int32_t n1, int32_t n2, int32_t attr, char* buffer, int32_t size,          \
     int32_t selector),                                                                        \
    28)                                                                                        \
  X(32, int16_t, btrAttributeSetNumeric,                                                       \
    (int32_t hFile, int32_t n1, int32_t n2, int32_t attr, int32_t value, int32_t selector),    \
    24)                                                                                        \
  X(33, int16_t, btrAttributeSetString,                                                        \
    (int32_t hFile, int32_t n1, int32_t n2, int32_t attr, const char* text, int32_t selector), \
    24)                                                                                        \
  X(34, int16_t, btrLogin, (const char* server, const char* arg2, const char* arg3), 12)       \
  X(35, int16_t, btrLogout, (const char* server), 4)                                           \
  X(36, int32_t, btrDriver,                                                                    \
    (int32_t hFile, int32_t arg2, const char* text, int32_t arg4, int32_t number,              \
     void* pointer, int32_t function),                                                         \
    28)                                                                                        \
  X(37, int32_t, btrGetServerName, (int32_t position, char* buffer, int16_t size), 12)

/* Declarations of the exported entry points. */
#define VV_DECLARE_ENTRY(pos, ret, name, params, bytes) VV_DRIVER_EXPORT ret VV_CALL name params;
VV_DRIVER_ENTRY_POINTS(VV_DECLARE_ENTRY)
#undef VV_DECLARE_ENTRY

/* Function pointer types of the entry points: VvFn_btrFileOpen and so on. */
#define VV_ENTRY_TYPE(pos, ret, name, params, bytes) typedef ret(VV_CALL* VvFn_##name) params;
VV_DRIVER_ENTRY_POINTS(VV_ENTRY_TYPE)
#undef VV_ENTRY_TYPE

/* The driver function table. The host reads it by position, so its layout is
 * fixed: on 32-bit builds lpGlobals at 0, wReserved at 4, the name at 6, the
 * prefix at 19 and the entry points from 24; 64-bit builds keep the order
 * with natural pointer size and alignment. */
typedef struct VvDriverFuncTable {
  void* lpGlobals;         /* driver globals; null while not initialised */
  uint16_t wReserved;      /* always 0 */
  char szDriverName[13];   /* "VEVERAVE", NUL-padded */
  char szPrefix[5];        /* "BTR", NUL-padded */
#define VV_ENTRY_MEMBER(pos, ret, name, params, bytes) VvFn_##name name;
  VV_DRIVER_ENTRY_POINTS(VV_ENTRY_MEMBER)
#undef VV_ENTRY_MEMBER
} VvDriverFuncTable;

#if (defined(_WIN32) && !defined(_WIN64)) || (defined(__SIZEOF_POINTER__) && __SIZEOF_POINTER__ == 4)
#ifdef __cplusplus
static_assert(offsetof(VvDriverFuncTable, lpGlobals) == 0, "lpGlobals at 0");
static_assert(offsetof(VvDriverFuncTable, wReserved) == 4, "wReserved at 4");
static_assert(offsetof(VvDriverFuncTable, szDriverName) == 6, "name at 6");
static_assert(offsetof(VvDriverFuncTable, szPrefix) == 19, "prefix at 19");
static_assert(offsetof(VvDriverFuncTable, btrDeinitialize) == 24, "entry points from 24");
static_assert(sizeof(VvDriverFuncTable) == 24 + VV_DRIVER_ENTRY_COUNT * 4, "table size");
#else
_Static_assert(offsetof(VvDriverFuncTable, szPrefix) == 19, "prefix at 19");
_Static_assert(sizeof(VvDriverFuncTable) == 24 + VV_DRIVER_ENTRY_COUNT * 4, "table size");
#endif
#else
#ifdef __cplusplus
static_assert(offsetof(VvDriverFuncTable, wReserved) == sizeof(void*), "wReserved after lpGlobals");
static_assert(offsetof(VvDriverFuncTable, btrDeinitialize) % sizeof(void*) == 0,
              "entry points aligned");
static_assert(sizeof(VvDriverFuncTable) ==
                  offsetof(VvDriverFuncTable, btrDeinitialize) +
                      VV_DRIVER_ENTRY_COUNT * sizeof(void*),
              "table size");
#endif
#endif

/* Loader exports. */
/* Always VV_MODULE_TYPE_DATABASE_DRIVER. */
VV_DRIVER_EXPORT int16_t VV_CALL mvDLLGetModuleType(void);
/* Stores the host services table; a null pointer is refused with -1 and leaves
 * an earlier table in place. */
VV_DRIVER_EXPORT int16_t VV_CALL mvDLLSetLoaderGlobals(const VvHostServices* services);
/* Writes the address of the driver function table to *table and copies "btr"
 * (NUL-terminated) into prefix, which must hold at least 4 bytes. */
VV_DRIVER_EXPORT void VV_CALL mvDLLGetFuncTable(VvDriverFuncTable** table, char* prefix);

#define VV_LOADER_EXPORTS(X)            \
  X(mvDLLGetModuleType, 0)              \
  X(mvDLLSetLoaderGlobals, 4)           \
  X(mvDLLGetFuncTable, 8)

#ifdef __cplusplus
}
#endif

#endif /* VEVERAVE_DRIVER_H_ */
