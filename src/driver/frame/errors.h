// Error numbers the driver reports to its host. This is the one table of
// them: host error numbers the driver uses, the Btrieve base, and the driver's
// own numbers from 20482 upward. Each subsystem adds the numbers it reports.
#ifndef VEVERAVE_DRIVER_FRAME_ERRORS_H_
#define VEVERAVE_DRIVER_FRAME_ERRORS_H_

#include <cstdint>

#include "veverave/host_services.h"

namespace vv::driver {

enum DriverError : int16_t {
  // Host error numbers.
  kErrOutOfMemory = 10,
  kErrValueOutOfRange = 11,  // a value does not fit its field; the field or "table.field"
  kErrInvalidDate = 16,       // a Btrieve date that is not a date; an empty DATE
                              // in a true-null table at save, "table.field"
  kErrRecordNotFound = VV_HOST_ERR_NOT_FOUND,  // a find found no record
  kErrDuplicateKey = 28,      // a save met a duplicate key; the table name
  kErrValueTooLong = 29,      // long-variable value beyond its maximum; the field name
  kErrFindBeforeFirst = VV_HOST_ERR_BEGINNING_OF_FILE,  // a backward find ran off the index
  kErrFindAfterLast = VV_HOST_ERR_END_OF_FILE,          // a forward or equal find ran off it
  kErrNoFoundRecord = 71,     // delete without a found record; the table name
  kErrBadFileHandle = 72,
  kErrCannotOpen = 75,       // a table or dictionary file cannot be opened; the text says why
  kErrBadFieldNumber = 77,    // also a btrFieldCreate position or btrFieldDelete field
                              // number out of range; the entry point
  kErrFieldNotIndexed = 79,   // a find names a field without a main index; the field name
  kErrFileClose = 80,         // the Btrieve close of a table failed; "BTR:%d"
  kErrBadAttributeValue = 4097,  // an attribute value not allowed; none, or the reason
  kErrServerNotLoggedIn = 4099,
  kErrBadIndexNumber = 4099,  // the host's number for an index or segment number out of range
  kErrBufferTooSmall = 4101,
  kErrRestructureOpen = 4104,  // the table has a restructure open already
  kErrLockTimeout = 4106,
  kErrNoRestructure = 4110,  // no restructure record where one is needed; the entry point
  kErrFileDelete = 4118,  // delete failed for another reason; the path
  kErrFileRename = 4120,  // rename failed or a path missing; the old path
  kErrPhysicalNameFixed = 4120,  // the file name of an existing table set as an attribute
  kErrUnlockedUpdate = 4155,  // update outside a transaction, unlocked updates off; the table
  kErrIncompatibleMode = 4177,  // the Btrieve file is open elsewhere in a mode that excludes
                                // this open; "<open name>:<path>, BTR:<status>"
  kErrDeadlock = 4202,        // the table name
  kErrIndexUndefined = 4262,  // a find on an index without segments or Btrieve key
  kErrIntKeyword = 4277,  // a keyword an INT file may not hold; "<open name>: <keyword>"
  kErrLoginFileDetached = 4282,  // a login's open table no longer belongs to its handle
  kErrNotSupported = 4285,  // an attribute the driver does not offer, in strict mode

  // A Btrieve failure is reported as this base plus the Btrieve status.
  kErrBtrieveBase = 21000,

  // The driver's own numbers.
  kErrIntegerLength = 20482,  // dictionary INTEGER of a length without digits; the field name
  kErrStatFailed = 20483,    // the Btrieve stat of a table being opened failed; the table
  kErrNoIndexes = 20484,     // the Btrieve file has keys, the table no indexes; the table
  kErrKeyDefField = 20485,  // a key segment lies elsewhere than its field;
                             // "File %s, Index %d, Segment %d, Field %s"
  kErrHostType = 20488,       // host type without a Btrieve storage
  kErrDateNotBtrDate = 20489,  // DATE host field read from another Btrieve type
  kErrDdfUnknownField = 20490,  // segment row names no column; "%s, DDF-Field %d, DDF-Index %d"
  kErrUnknownDriverFunction = 20491,  // btrDriver: "Function: %d"
  kErrIntHostType = 20501,    // INT file: unknown host type name; ", field %ld: %s."
  kErrLogicalRange = 20503,    // LOGICAL value outside 0..255
  kErrRecnumFieldRange = 20505,  // record-number field attribute beyond the fields
  kErrTypePair = 20506,        // host type and Btrieve type do not go together
  kErrLengthFixedDate = 20507,  // length of a DATE, TIME, CURRENCY or TIMESTAMP field set
  kErrLengthFixed = 20508,     // length of a field of another fixed-size type set
  kErrFieldNameTaken = 20509,  // another field has the name already
  kErrNotOverlap = 20510,      // an offset set on a field that is not an OVERLAP field
  kErrOverlapOffset = 20511,   // an OVERLAP field's offset outside the record
  kErrIndexRange = 20512,      // index number out of range; "mvbtrIndexDelete", "SegmentDelete"
  kErrSegmentRange = 20513,    // segment number out of range; "SegmentDelete"
  kErrOwnerTooLong = 20515,
  kErrOwnerWhileRestructuring = 20516,
  kErrOwnerAccessMode = 20517,
  kErrFileAccessDenied = 20518,  // delete: access denied; the path
  kErrFileNotFound = 20519,      // delete: no such file; the path
  kErrFieldNameCut = 20520,      // a field name cut to 20 characters; the cut name
  kErrTempName = 20522,          // no free temporary name in 1000 tries
  kErrAcsNotFound = 20523,
  kErrAcsUpperNotFound = 20524,
  kErrAcsCannotOpen = 20525,
  kErrAcsInvalid = 20526,
  kErrIndexNumber = 20528,    // index number beyond the indexes; "file %s, index %d"
  kErrSegmentNumber = 20529,  // segment beyond or missing; "file %s, index %d, segment %d"
  kErrAcsLength = 20530,     // the stat's collating sequences are not what its keys name
  kErrTransactionType = 20531,
  kErrTransactionTypeInTransaction = 20532,
  kErrSettingsKeyword = 20535,
  kErrDateLength = 20536,     // the host length of a DATE field set
  kErrNoRecnumField = 20537,  // no MORVANTA_RECNUM_ONE/_TWO field; the table name
  kErrCacheCreate = 20538,    // a structure cache file cannot be created; its path
  kErrCacheWrite = 20539,     // writing a structure cache file failed; its path
  kErrCacheRead = 20540,      // a structure cache file is short or damaged; its path
  kErrCacheHeader = 20541,    // a structure cache file's header text is wrong; its path
  kErrCacheOpen = 20542,      // a structure cache file cannot be opened; its path
  kErrIntBtrType = 20544,  // INT file: unknown or refused Btrieve/auxiliary type; as 20501
  kErrFieldNameUnique = 20546,  // no unique field name among 1001 candidates; the name
  kErrFieldHostType = 20547,   // text get of a field whose host type has no text form
  kErrRecnumMethod = 20548,
  kErrRecnumMismatch = 20549,  // DOUBLE_CHECK: Get Position and position block differ; the table
  kErrCacheVersion = 20552,    // a structure cache file of another format version; its path
  kErrLastIndexMethod = 20553,
  kErrZerofileMethod = 20555,
  kErrCacheExpired = 20556,    // a structure cache file older than the dictionary or the
                               // INT file; its path
  kErrCacheMissing = 20557,    // no structure cache file; its path
  kErrCharacterSet = 20558,
  kErrLogOpen = 20559,
  kErrTextTimestampLength = 20560,  // the host length of text stored as a TIMESTAMP set  // the log file cannot be opened; its path
  kErrComp3Sign = 20562,       // packed decimal with a foreign positive sign nibble
  kErrNoTableId = 20563,       // no free Xf$Id left; "(ddfFileWrite)"
  kErrNoColumnIds = 20564,     // no free run of Xe$Id left; "(ddfFileWrite)"
  kErrNegativeByte = 20565,    // negative value for a 1-byte integer; the field name
  kErrOwnerRefused = 20566,  // no owner name tried opens the Btrieve file; the open name
  kErrNullWithoutIndicator = 20568,  // nullable column without its null byte; the column
  kErrRestructureNulls = 20567,  // restructure of a table with nullable or BIT fields;
                                 // "<table>: -> Nullables exist -> BIT fieldtype used ."
  kErrIndexNotCreated = 20569,   // warning: the last index of a commit could not be created
  kErrNoteWithLongvar = 20570,  // NOTE and long-variable columns together; the table name
  kErrLongvarNoRoom = 20571,   // long-variable data beyond the record; "field:PutData";
                               // a save longer than the record, "table:DatalenForSave"
  kErrEngineVersion = 20572,   // the engine is older than version 8
  kErrTextType = 20573,

  // Reported when an entry point meets a C++ exception it did not expect; the
  // text names the entry point. Never part of normal operation.
  kErrInternal = 20599,
  // Reported by entry points whose subsystem this build does not contain yet;
  // the text names the entry point.
  kErrNotAvailable = 20598,
};

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FRAME_ERRORS_H_
