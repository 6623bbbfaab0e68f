/* veverave: the host services table, the driver's one way to its host.
 *
 * The host hands the driver a table of 89 function pointers (slot 0 first)
 * through mvDLLSetLoaderGlobals. The driver calls only the slots listed in
 * VV_HOST_SERVICES below; every other slot must still hold a callable
 * function (a host answers "not supported" there). Integers are 32-bit unless
 * the signature says otherwise.
 */
#ifndef VEVERAVE_HOST_SERVICES_H_
#define VEVERAVE_HOST_SERVICES_H_

#include <stdint.h>

#include "veverave/abi.h"

#ifdef __cplusplus
extern "C" {
#endif

#define VV_HOST_SLOT_COUNT 89

/* The host's number: 14 integer and 8 fraction digits packed two per byte
 * (high nibble first, most significant first; the low nibble of byte 6 is the
 * units digit, the high nibble of byte 7 the tenths digit), then a sign byte:
 * 0x00 positive or zero, 0xFF negative. Every number and date crosses the
 * boundary in this form. */
#define VV_BCD_SIZE 12
#define VV_BCD_INTEGER_DIGITS 14
#define VV_BCD_FRACTION_DIGITS 8
#define VV_BCD_SIGN_BYTE 11
#define VV_BCD_SIGN_NEGATIVE 0xFF
typedef struct VvBcd {
  uint8_t b[VV_BCD_SIZE];
} VvBcd;

/* Generic slot pointer: the table stores every slot in this form; callers
 * convert to the slot's own type (VvHost_<Name>) before calling. */
typedef void(VV_CALL* VvHostSlot)(void);

typedef struct VvHostServices {
  VvHostSlot slot[VV_HOST_SLOT_COUNT];
} VvHostServices;

/* The slots the driver calls: X(slot, result type, name, parameter list).
 * This list is the one table of slot numbers and signatures. */
#define VV_HOST_SERVICES(X)                                                                     \
  X(8, int16_t, FileOpen, (const char* name, int32_t mode, int32_t* hFile))                    \
  X(9, int16_t, FileClear, (int32_t hFile))                                                    \
  X(10, int16_t, FileClose, (int32_t hFile))                                                   \
  X(12, int16_t, FileErase, (int32_t hFile))                                                   \
  X(15, int16_t, RecordSave, (int32_t hFile))                                                  \
  X(16, int16_t, RecordFind, (int32_t hFile, int32_t index, int32_t mode))                     \
  X(17, int32_t, FieldGetString,                                                               \
    (int32_t hFile, int32_t field, char* buffer, int32_t offset, int32_t length))              \
  X(18, int16_t, FieldPutString,                                                               \
    (int32_t hFile, int32_t field, const char* text, int32_t offset, int32_t length,           \
     int32_t keepEnd))                                                                         \
  X(19, void, FieldGetBCD, (int32_t hFile, int32_t field, VvBcd* value))                       \
  X(20, void, FieldPutBCD, (int32_t hFile, int32_t field, const VvBcd* value))                 \
  X(30, int16_t, PendingErrorFetch, (int16_t* code, char* text /* >= 256 bytes */))            \
  X(31, int16_t, ErrorReport, (int16_t error, const char* text /* may be null */))             \
  X(32, int16_t, ErrorStatus, (void))                                                          \
  X(33, int16_t, ErrorClear, (void))                                                           \
  X(35, int16_t, ErrorTake, (void))                                                            \
  X(36, int16_t, ErrorRaise, (int16_t error))                                                  \
  X(41, int32_t, AttrGetNumeric, (int32_t hFile, int32_t n1, int32_t n2, int32_t attr))        \
  X(42, int16_t, AttrGetString,                                                                \
    (int32_t hFile, int32_t n1, int32_t n2, int32_t attr, char* buffer, int32_t size))         \
  X(43, int16_t, AttrSetNumeric,                                                               \
    (int32_t hFile, int32_t n1, int32_t n2, int32_t attr, int32_t value))                      \
  X(44, int16_t, AttrSetString,                                                                \
    (int32_t hFile, int32_t n1, int32_t n2, int32_t attr, const char* text))                   \
  X(48, int16_t, DefFileSet, (int32_t hFile, int32_t hFile2, int32_t zero, const char* path))  \
  X(51, int32_t, BcdToInt, (const VvBcd* value))                                               \
  X(52, int16_t, IntToBcd, (int32_t value, VvBcd* out))                                        \
  X(53, double, BcdToDouble, (const VvBcd* value))                                             \
  X(54, int16_t, DoubleToBcd, (double value, VvBcd* out))                                      \
  X(55, int16_t, TextToBcd, (const char* text, VvBcd* out))                                    \
  X(56, int16_t, BcdToText, (const VvBcd* value, char* buffer, int32_t width, int32_t decimals)) \
  X(61, int32_t, NameCompare, (int32_t hFile, const char* a, const char* b, int32_t zero))     \
  X(72, int16_t, BcdAdd, (const VvBcd* a, const VvBcd* b, VvBcd* result))                      \
  X(74, int16_t, BcdDivide, (const VvBcd* a, const VvBcd* b, VvBcd* result))                   \
  X(75, int16_t, BcdMultiply, (const VvBcd* a, const VvBcd* b, VvBcd* result))                 \
  X(76, int16_t, TextOpen, (const char* path, int32_t mode /* 0 read, 1 write */))             \
  X(77, int16_t, TextClose, (int32_t mode))                                                    \
  X(78, int32_t, TextRead, (char* keyword, char* value /* each >= 256 bytes */))               \
  X(79, int16_t, TextWrite, (const char* keyword, const char* value, int32_t code))            \
  X(80, void*, FileFromHandle, (int32_t hFile))                                                \
  X(81, int16_t, FileHandleSet, (int32_t hFile, void* record))                                 \
  X(82, int16_t, FileHandleFree, (int32_t hFile))

/* VV_HOST_SLOT_<Name>: the slot number; VvHost_<Name>: the slot's function type. */
#define VV_HOST_SLOT_ENUM(slot, ret, name, params) VV_HOST_SLOT_##name = slot,
enum VvHostSlotNumber { VV_HOST_SERVICES(VV_HOST_SLOT_ENUM) VV_HOST_SLOT_END_ = VV_HOST_SLOT_COUNT };
#undef VV_HOST_SLOT_ENUM
#define VV_HOST_SLOT_TYPE(slot, ret, name, params) typedef ret(VV_CALL* VvHost_##name) params;
VV_HOST_SERVICES(VV_HOST_SLOT_TYPE)
#undef VV_HOST_SLOT_TYPE

/* Host attributes of file handle 0 that the driver reads (slots 41 and 42). */
enum VvHostAttribute {
  VV_HOST_ATTR_LOCK_DELAY = 1,          /* milliseconds between retries of a locked record */
  VV_HOST_ATTR_LOCK_TIMEOUT = 2,        /* milliseconds before a lock wait gives up; 0 = never */
  VV_HOST_ATTR_DATA_PATH = 3,           /* data search path: directories separated by ';' */
  VV_HOST_ATTR_DECIMAL_SEPARATOR = 6,   /* the host's decimal separator character */
  VV_HOST_ATTR_CREATE_FORBIDDEN = 10,   /* non-zero: the host forbids creating files */
  VV_HOST_ATTR_STRICT = 14              /* 1: unsupported attribute numbers are reported */
};

/* Attributes of an open table, its fields, indexes and segments (slots 41 to
 * 44 with a file handle; the same numbers as the driver's attribute entry
 * points). n1 is the field or index number, n2 the segment number. Attribute
 * VV_HOST_ATTR_CREATE_FORBIDDEN of a table handle means that the host forbids
 * converting that table. Numbers 101 to 199 describe the table, 201 to 299
 * and 701 to 799 a field, 301 to 399 an index, 401 to 499 a segment. */
enum VvFileAttribute {
  VV_ATTR_FILE_RECORD_STATE = 101,  /* VV_RECORD_*; set to 0 to drop the found record */
  VV_ATTR_FILE_MODE = 102,          /* mode bits of the record operations */
  VV_ATTR_FILE_MAX_RECORDS = 103,   /* 1 for a system file, else no limit */
  VV_ATTR_FILE_RECORDS = 104,       /* number of records */
  VV_ATTR_FILE_HANDLE = 108,        /* the table's own handle */
  VV_ATTR_FILE_COMPRESSION = 109,   /* non-zero: data compression asked for */
  VV_ATTR_FILE_INDEXES = 110,       /* number of indexes (index 0 not counted) */
  VV_ATTR_FILE_FIELDS = 111,        /* number of fields (field 0 not counted) */
  VV_ATTR_FILE_LOGICAL_NAME = 112,  /* text, at most 20 characters */
  VV_ATTR_FILE_ROOT_NAME = 113,     /* text: the name the table is opened by */
  VV_ATTR_FILE_CHANGED = 114,       /* 1: the record in the buffer was changed */
  VV_ATTR_FILE_DISPLAY_NAME = 119,  /* text, at most 40 characters */
  VV_ATTR_FILE_PHYSICAL_NAME = 120, /* text: the path of the table's file */
  VV_ATTR_FILE_NEXT_HANDLE = 121,   /* of handle n: the next handle in use after n, 0 = none */
  VV_ATTR_FILE_RECORD_LENGTH = 124, /* bytes of a record in the file */
  VV_ATTR_FILE_RESTRUCTURE_CHANGES = 125, /* VV_RESTRUCTURE_* of the open restructure */
  VV_ATTR_FILE_EXCLUSIVE = 126,     /* 1: opened for exclusive access */
  VV_ATTR_FILE_OWNER = 128,         /* text: the owner name of the table's file */
  VV_ATTR_FILE_SYSTEM = 129,        /* non-zero: a system file (one record) */
  VV_ATTR_FILE_TRANSACTION_TYPE = 130, /* 0 none, 1 exclusive, 2 concurrent */
  VV_ATTR_FILE_COMMITTED = 131,     /* 1: the last transaction was committed */
  VV_ATTR_FILE_DRIVER = 132,        /* text: the driver's name */
  VV_ATTR_FILE_HOST_RECORD_LENGTH = 133, /* bytes of a record as the host sees it */
  VV_ATTR_FILE_RECNUM_FIELD = 135,  /* the field that carries the record number, 0 = none */
  VV_ATTR_FILE_REVISION = 140,      /* text: the file version, "7.0" */
  VV_ATTR_FILE_RELATED_COUNT = 141, /* number of fields with a related file */
  VV_ATTR_FILE_RELATED_FIELDS = 142, /* bytes: (field, file, field) as 3 x 32 bits each */
  VV_ATTR_FIELD_NUMBER = 201,
  VV_ATTR_FIELD_TYPE = 202,         /* VV_HOST_TYPE_* */
  VV_ATTR_FIELD_LENGTH = 203,       /* characters, or digits of a number */
  VV_ATTR_FIELD_PRECISION = 204,    /* decimal places */
  VV_ATTR_FIELD_RELATED_FILE = 205,
  VV_ATTR_FIELD_RELATED_FIELD = 206,
  VV_ATTR_FIELD_NAME = 207,         /* text, at most 20 characters */
  VV_ATTR_FIELD_MAIN_INDEX = 208,
  VV_ATTR_FIELD_OFFSET = 209,       /* offset in the record, from 1 */
  VV_ATTR_FIELD_OLD_NUMBER = 210,   /* in a restructure: the field's number before it */
  VV_ATTR_FIELD_SHARES_BYTES = 211, /* 1: shares bytes with the field numbered n2 */
  VV_ATTR_FIELD_SIZE = 212,         /* bytes in the record */
  VV_ATTR_FIELD_BTR_TYPE = 213,     /* the Btrieve type the field is stored as */
  VV_ATTR_FIELD_NULL = 704,         /* 1: the field is null */
  VV_ATTR_FIELD_NULL_ALLOWED = 706, /* 1: the field may be null */
  VV_ATTR_INDEX_SEGMENTS = 301,
  VV_ATTR_INDEX_KEY_LENGTH = 305,   /* bytes of the index's key */
  VV_ATTR_SEGMENT_DESCENDING = 401, /* 1: the segment sorts descending */
  VV_ATTR_SEGMENT_IGNORE_CASE = 402,/* 1: the segment ignores case */
  VV_ATTR_SEGMENT_FIELD = 403       /* the segment's field number; 0 = record number */
};

/* What an open restructure changes (VV_ATTR_FILE_RESTRUCTURE_CHANGES). */
enum VvRestructureChanges {
  VV_RESTRUCTURE_NONE = 0,
  VV_RESTRUCTURE_LAYOUT = 1,  /* the record layout: the file is rebuilt */
  VV_RESTRUCTURE_INDEXES = 2, /* indexes only */
  VV_RESTRUCTURE_BOTH = 3
};

/* Longest texts of the name attributes, without the terminating NUL. */
#define VV_ATTR_LOGICAL_NAME_MAX 20
#define VV_ATTR_DISPLAY_NAME_MAX 40
#define VV_ATTR_FIELD_NAME_MAX 20

/* States of the record buffer (VV_ATTR_FILE_RECORD_STATE). */
enum VvRecordState {
  VV_RECORD_NONE = 0,    /* no found record in the buffer */
  VV_RECORD_FOUND = 1,   /* a found record, unchanged */
  VV_RECORD_CHANGED = 2  /* a found record, changed since */
};

/* Host types of fields: the host's view of a value. */
enum VvHostType {
  VV_HOST_TYPE_ASCII = 0,    /* fixed-length text */
  VV_HOST_TYPE_BCD = 1,      /* number (VvBcd) */
  VV_HOST_TYPE_DATE = 2,     /* date: a day number, 0 = empty */
  VV_HOST_TYPE_OVERLAP = 3,  /* text over the bytes of other fields */
  VV_HOST_TYPE_RESERVE1 = 4, /* reserved, no storage */
  VV_HOST_TYPE_TEXT = 5,     /* long text */
  VV_HOST_TYPE_BINARY = 6    /* binary data */
};
#define VV_HOST_TYPE_COUNT 7
/* The names of the host types in type order, as INT files spell them; for an
 * array initialiser. */
#define VV_HOST_TYPE_NAME_LIST "ASCII", "BCD", "DATE", "OVERLAP", "RESERVE1", "TEXT", "BINARY"

/* Find modes of RecordFind (slot 16) and btrRecordFind. */
enum VvFindMode {
  VV_FIND_LT = 0,
  VV_FIND_LE = 1,
  VV_FIND_EQ = 2,
  VV_FIND_GE = 3,
  VV_FIND_GT = 4
};

/* Text files (slots 76 to 79): open modes, and the line codes of the host's
 * standard keywords. TextRead answers VV_TEXT_READ_FAILED on failure, 0 for a
 * keyword the host does not know (and at the end of the file, with an empty
 * keyword and value). */
#define VV_TEXT_MODE_READ 0
#define VV_TEXT_MODE_WRITE 1
#define VV_TEXT_READ_FAILED (-1)
enum VvTextLineCode {
  VV_LINE_DRIVER_NAME = 1,    /* first line of a table's INT file; value: the driver */
  VV_LINE_FIELD_INDEX = 15,   /* main index of the current field */
  VV_LINE_FIELD_LENGTH = 16,  /* host length of the current field */
  VV_LINE_FIELD_NUMBER = 18,  /* makes the value the current field */
  VV_LINE_FIELD_PRECISION = 20,
  VV_LINE_FIELD_RELATED_FIELD = 21,
  VV_LINE_FIELD_RELATED_FILE = 22,
  VV_LINE_FIELD_TYPE = 23     /* host type of the current field, by name */
};

/* Host error numbers that the slots' contract fixes: TextToBcd reports
 * VV_HOST_ERR_NOT_A_NUMBER for text that is no number; RecordFind reports
 * VV_HOST_ERR_NOT_FOUND when an equal find finds nothing, and the two end of
 * file numbers when a find runs off an end of the index. */
enum VvHostError {
  VV_HOST_ERR_NOT_A_NUMBER = 14,
  VV_HOST_ERR_NOT_FOUND = 25,
  VV_HOST_ERR_BEGINNING_OF_FILE = 41,
  VV_HOST_ERR_END_OF_FILE = 42
};

/* Buffer sizes the driver passes to the host. */
#define VV_HOST_DATA_PATH_SIZE 2048
#define VV_HOST_ERROR_TEXT_SIZE 256
#define VV_HOST_TEXT_LINE_SIZE 256

/* The result of NameCompare when the two names are equal the host's way. */
#define VV_HOST_NAMES_EQUAL 2

#ifdef __cplusplus
}
#endif

#endif /* VEVERAVE_HOST_SERVICES_H_ */
