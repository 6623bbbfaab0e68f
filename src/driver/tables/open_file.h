// The open file record: the driver's whole in-memory model of one open table
// (where its files are, its Btrieve position block, its fields, indexes and
// segments, its record buffer and the state of the record in that buffer).
// The three dictionary files are open file records too, with built-in
// structures, and a restructure works on a second record (lpNewFile).
//
// Records are allocated zero-filled; every string and array a record points
// to is owned by it and freed with it (mvbtrFileRecordFree), except
// lpFuncTable and lpLogin. Every owning pointer is nulled when freed, so a
// half-built record can always be freed.
//
// Record buffer states:
//
//   cleared (bBufferClear) --find--> active (bActive) --field put--> changed (bChanged)
//        ^                              |                                  |
//        +-------- btrFileClear --------+----------------------------------+
#ifndef VEVERAVE_DRIVER_TABLES_OPEN_FILE_H_
#define VEVERAVE_DRIVER_TABLES_OPEN_FILE_H_

#include <cstdint>

#include "veverave/btrieve.h"
#include "veverave/driver.h"
#include "veverave/host_services.h"

namespace vv::driver {

struct ServerLogin;
struct FieldDesc;
struct DdfFieldRow;  // a FIELD.DDF row read while a structure is built
struct DdfIndexRow;  // an INDEX.DDF row read while a structure is built

// Host types (nHostType), as the host services header numbers them.
enum HostType : int32_t {
  kHostAscii = VV_HOST_TYPE_ASCII,
  kHostBcd = VV_HOST_TYPE_BCD,
  kHostDate = VV_HOST_TYPE_DATE,
  kHostOverlap = VV_HOST_TYPE_OVERLAP,
  kHostReserve1 = VV_HOST_TYPE_RESERVE1,
  kHostText = VV_HOST_TYPE_TEXT,
  kHostBinary = VV_HOST_TYPE_BINARY,
};

// Driver-only types held in nBtrType beside the Btrieve types of btrieve.h.
enum AuxType : int32_t {
  kAuxBase = 1024,
  kAuxDummy = 1024,
  kAuxLstring2 = 1025,
  kAuxMvbcd = 1026,
};

// A link of a field's chain of the fields that share bytes with it.
struct OverlapLink {
  OverlapLink* lpNext;
  FieldDesc* lpField;
};

struct FieldDesc {
  int32_t nNumber;       // field number; 0 in entry 0
  int32_t nOldNumber;    // number in the structure it was copied from
  int32_t nHostType;     // HostType
  int32_t nBtrType;      // BtrType, or an AuxType
  int32_t nOffset;       // first byte in the Btrieve record, from 0
  int32_t nSize;         // bytes in the record
  int32_t nHostLength;   // length as the host sees it (digits for numbers)
  int32_t nPrecision;    // decimals; the bit mask for a bit field
  int32_t nMainIndex;    // the field's main index, 0 = none
  int32_t nRelFile;      // related file number, 0 = none
  int32_t nRelField;     // related field number
  char* lpszName;        // owned; null in entry 0
  uint8_t* lpData;       // lpRecBuf + nOffset; with bTrueNull the byte before is the null indicator
  uint8_t bFieldChanged;  // changed since the record became active
  uint8_t bHasSource;     // restructure: data comes from lpSource
  uint8_t bFieldTouched;  // second change flag
  uint16_t nFieldTag;     // Xe$Id in FIELD.DDF
  uint16_t nFieldDdfFlags;  // Xe$Flags (0x0004 nullable, 0x1000 binary long data)
  uint8_t bNullAllowed;   // the field may be null
  uint8_t bIsNull;        // the field is null now
  void* lpSource;         // while built from the dictionary: its DdfFieldRow; in a
                          // restructure: the old FieldDesc whose data it takes
  int32_t nOverlaps;      // links in lpOverlaps
  OverlapLink* lpOverlaps;  // owned chain
  FieldDesc* lpNextLongvar;  // chain of type-21 fields
  FieldDesc* lpPrevLongvar;
};

struct SegmentDesc {
  FieldDesc* lpField;     // the segment's field
  uint8_t nExtType;       // Btrieve extended key type
  uint8_t bNullSegment;   // a null indicator segment precedes it in the key
  int32_t nDdfFieldId;    // Xi$Field
  int32_t nDdfIndex;      // Xi$Number
  int32_t nPart;          // Xi$Part (segment number - 1)
  uint16_t nKeyFlags;     // Xi$Flags as read, then the Btrieve key flags of the stat
};

struct IndexDesc {
  int32_t nIndexNumber;   // set in the built-in dictionary structures
  int32_t nSegments;      // number of segments
  int32_t nKeyLen;        // key length: segment sizes plus one per null indicator
  uint8_t bRecnumAppended;  // the record-number field was appended to make it unique
  uint8_t bDefined;       // the index has segments
  SegmentDesc* lpSegments;  // nSegments + 1 entries; entry 0 unused
  int16_t nKeyNumber;     // Btrieve key number; -1 for an index 0 without a key
  uint8_t nAcsNumber;     // collating sequence number
  uint8_t bUsesAcs;       // the key uses a collating sequence
  uint8_t bKeyChanged;    // restructure: differs from the old key
};

// Bits of nFileMode that the record operations honour (the host sets them
// through file attribute 102). While any bit of kFileModeNoLockMask is set,
// reads inside a transaction take no locks unless LOCK_READONLY is on.
enum FileModeBit : uint32_t {
  kFileModeNoUpdate = 0x08,  // updates are not sent
  kFileModeNoDelete = 0x10,  // deletes are not sent
  kFileModeNoFind = 0x20,    // finds search nothing
  kFileModeNoInsert = 0x40,  // inserts are not sent
  kFileModeNoLockMask = 0x5B,
};

// Bits of nTableFlags.
enum TableFlag : uint8_t {
  kTableHasNulls = 0x01,  // nullable fields or null indicator key segments
  kTableHasBits = 0x02,   // fields of Btrieve type 16
};

struct OpenFile {
  VvDriverFuncTable* lpFuncTable;  // not owned
  OpenFile* lpPrev;                // the login's list of open tables
  OpenFile* lpNext;
  ServerLogin* lpLogin;            // not owned
  int32_t hFile;                   // host file handle
  uint8_t PosBlock[BTR_POS_BLOCK_SIZE];
  uint8_t bFileVersion;            // file version byte of the stat (0x70 = 7.0)
  char* lpszDdfName;               // table name
  char* lpszBtrFile;               // Btrieve file name as located
  char* lpszIntFile;               // INT file path, null when none
  char* lpszCacheFile;             // structure cache file path
  char* lpszBtrPath;               // path the Btrieve file was opened with
  uint16_t nDdfFileId;             // Xf$Id; 0 = not in the dictionary
  char* lpszOwner;                 // owner name the file was opened with
  uint16_t nRecBufSize;            // size of lpRecBuf
  int32_t nFields;                 // fields run 1..nFields; entry 0 is the record number
  FieldDesc* lpFields;             // nFields + 1 entries
  DdfFieldRow* lpDdfFields;        // FIELD.DDF rows while the structure is built
  int32_t nRelFields;              // triples in lpRelFields
  int32_t* lpRelFields;            // (field, related file, related field) per related field
  int32_t nLongvars;               // fields of Btrieve type 21
  FieldDesc* lpFirstLongvar;
  FieldDesc* lpLastLongvar;
  FieldDesc** lpLongvars;          // nLongvars pointers, in field order
  uint8_t bBufferClear;            // the buffer was cleared
  int32_t nIndexes;                // highest index number; index 0 is record-number order
  IndexDesc* lpIndexes;            // nIndexes + 1 entries
  DdfIndexRow* lpDdfIndexes;       // INDEX.DDF rows while the structure is built
  int32_t nOpenMode;               // Btrieve open mode: 0, or -4 exclusive
  uint32_t nFileMode;              // mode bits of file attribute 102
  uint8_t bBtrOpen;                // the Btrieve file is open under PosBlock
  uint8_t bSystemFile;             // holds a single record
  uint8_t bFromCache;              // structure taken from the structure cache
  uint8_t nCharSet;                // CharSet
  uint8_t nRecnumMethod;           // RecnumMethod
  uint8_t bRestructuring;          // a restructure is open on the table
  uint8_t nTableFlags;             // TableFlag bits
  uint8_t bLayoutChanged;          // restructure: physical layout differs
  uint8_t bIndexChanged;           // restructure: some index differs
  uint8_t bFieldsMapped;           // restructure: new fields take data from old ones
  uint8_t bInTransaction;          // part of the login's transaction
  uint8_t bCommitted;              // the last transaction was committed
  int32_t nRecLen;                 // Btrieve record length (>= nHostRecLen, >= 6)
  int32_t nHostRecLen;             // record length as the host sees it
  int32_t nDataLen;                // highest end of the non-OVERLAP fields
  uint32_t nRecords;               // records in the last stat
  int32_t nPageSize;               // Btrieve page size
  uint8_t* lpAcs;                  // collating sequences, BTR_ACS_SIZE bytes each
  uint8_t nAcs;                    // their number
  uint8_t nFillHigh;               // byte for a "high" fill; 0 becomes 0xFF at first use
  uint8_t nFillLow;                // byte for a "low" fill
  uint16_t nFileFlags;             // Btrieve file flags of the stat
  uint8_t nDdfFlags;               // Xf$Flags
  int32_t nRecnumField;            // field carrying the record number, 0 = none
  int32_t nPrimaryIndex;           // index a find on index 0 uses instead, when not 0
  int16_t nCurIndex;               // Btrieve key number of the position; -1 = none
  int16_t nFirstIndex;             // nKeyNumber of the lowest defined index; -1 = none
  uint8_t nRecnum[4];              // record number of the record in the buffer
  uint8_t bRecnumSupport;          // the Btrieve file has a key for index 0
  uint8_t bOldVersion;             // bFileVersion below 0x70
  uint8_t bMvForBtrieve;           // record number in MORVANTA_RECNUM_ONE/_TWO fields
  int32_t nRecnumOneField;
  int32_t nRecnumTwoField;
  uint8_t* lpKeyBuf;               // key buffer of every Btrieve call on the table
  int32_t nKeyBufSize;
  uint8_t* lpRecBuf;               // record buffer of nRecBufSize bytes
  uint8_t bActive;                 // a found record is in the buffer
  uint8_t bChanged;                // the record in the buffer was changed
  uint8_t bAttr115;                // file attribute 115
  uint8_t bChanged2;               // second change flag
  uint8_t bFound;                  // set on make-active and by the save path
  uint8_t bTrueNull;               // null indicator bytes in front of nullable fields
  OpenFile* lpNewFile;             // the restructure record during a restructure
  uint8_t* lpStat;                 // the Btrieve stat buffer
  uint16_t nStatLen;               // its size; 0 when none
  OpenFile* lpSavedFile;           // status store: copy of this record
  FieldDesc* lpSavedFields;        //   of the field descriptors
  uint8_t* lpSavedData;            //   of the record buffer
};

// The table's dictionary name, as error texts name the table; "" before the
// name is known.
inline const char* TableName(const OpenFile* file) {
  return file->lpszDdfName != nullptr ? file->lpszDdfName : "";
}

// The server login record (one Btrieve client).
struct ServerLogin {
  char* lpszServer;                // server name as the host gave it; owned
  ServerLogin* lpNext;
  ServerLogin* lpPrev;
  OpenFile* lpFiles;               // tables opened through this login
  OpenFile* lpFileDdf;             // the login's dictionary files
  OpenFile* lpIndexDdf;
  OpenFile* lpFieldDdf;
  uint64_t ftDdfTime;              // newest last-write time of the dictionary files
  uint8_t ClientId[BTR_CLIENT_ID_SIZE];
  uint8_t* lpClientId;             // points at ClientId
};

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_TABLES_OPEN_FILE_H_
