// Field editing on a restructure record: inserting and deleting fields,
// changing a field's length or type with the fields behind it moving, unique
// field names, and the copies of whole field arrays a restructure starts
// from.
//
// Field arrays are replaced, never changed in place: a failed edit leaves
// the old array as it was. Segment descriptors point at field descriptors,
// so every replacement points every segment at the entry of the same field
// in the new array. Derived data that points into a field array (overlap
// chains, the long-variable chain, the related-field triples) is dropped when
// the array is replaced; the open and the file creation build it again.
//
// Every routine reports its failures and returns 0 or the pending error,
// unless it says otherwise.
#ifndef VEVERAVE_DRIVER_RESTRUCTURE_FIELD_EDIT_H_
#define VEVERAVE_DRIVER_RESTRUCTURE_FIELD_EDIT_H_

#include <cstdint>

#include "driver/tables/open_file.h"

namespace vv::driver {

// The name a new field starts from.
inline constexpr const char* kNewFieldName = "NewField";
// Candidates of a unique name: the base, then the base followed by 1..1000.
inline constexpr int32_t kFieldNameSuffixMax = 1000;
// btrFieldCreate's position that asks for a record-number field in entry 0.
inline constexpr int32_t kFieldCreateRecnum = -1;

// Replaces the target's field array by a copy of the source's: each entry
// whole, with its own copy of the name, no overlap chain, no pointers into
// the source's record buffer or long-variable chain, and nOldNumber = the
// source's nNumber. Out of memory: error 10 "mvbtrFieldCopyAll" (or
// "mvbtrStrNewCpy" for a name); the target then has no fields.
int16_t mvbtrFieldCopyAll(OpenFile* target, const OpenFile* source);

// A new table's field 0: BCD held as INTEGER, host length 4, nFields 0.
// Out of memory: error 10 "mvbtrFieldCreateDefault".
int16_t mvbtrFieldCreateDefault(OpenFile* file);

// btrFieldCreate's work on a restructure record: position 0 or nFields + 1
// appends, 1..nFields inserts before that field (the fields from there on are
// renumbered and move back by the new field's size), kFieldCreateRecnum puts
// a record-number field into entry 0 (see field_create.cc). The new field is
// an ASCII field of length 0 named "NewField", made unique; its number is the
// result (0 for the record-number field). A position outside -1..nFields + 1
// is error 77 with the text "btrFieldCreate"; out of memory error 10
// "FieldCreate". On failure the result is 0 and the fields are as they were.
int32_t mvbtrFieldCreate(OpenFile* file, int32_t position);

// btrFieldDelete's work: field n (1..nFields, else error 77 "btrFieldDelete")
// leaves the record. Its key segments are removed from their indexes, the
// fields behind it are renumbered and move forward by its size, and OVERLAP
// fields that covered it shrink by the bytes they shared with it. A segment
// on it in index 0 cannot be removed (error 20512 "SegmentDelete"). Out of
// memory: error 10 "FieldDelete".
int16_t mvbtrFieldDelete(OpenFile* file, int32_t n);

// Makes *name unique among the fields 1..nFields: the name without trailing
// blanks if no field has it, else that name followed by 1, 2, ... 1000,
// the first that no field has. *name is replaced by the candidate taken.
// None free: error 20546 with the name. Out of memory: error 10
// "(mvbtrFieldNameMakeUnique)" for the work buffer, "mvbtrStrNewCpy" for the
// copy; *name then stays as it was.
int16_t mvbtrFieldNameMakeUnique(OpenFile* file, char** name);
// The number of the first field 1..nFields whose name equals name without
// regard to case and trailing blanks; -1 when none.
int32_t mvbtrFieldFindByName(const OpenFile* file, const char* name);

// After the host length of field f was set: its size follows from its
// Btrieve type (an OVERLAP field takes the host length and moves nothing),
// and the fields behind it move by the change. DATE, TIME, CURRENCY and
// TIMESTAMP fields: error 20507; other fields of a fixed size: error 20508.
int16_t mvbtrFieldSetLength(OpenFile* file, int32_t f);
// After the host type of field f was set: its Btrieve type is chosen again,
// its size brought into the range that type allows, host length and
// decimals follow, and the fields behind it move by the change (a field that
// became OVERLAP takes no bytes of its own any more). A host type without a
// storage: error 20488; a host and Btrieve type that do not go together:
// error 20506.
int16_t mvbtrFieldSetType(OpenFile* file, int32_t f);
// Moves the fields that lie at or behind field f by delta bytes (see
// field_layout.cc for fields that start where f starts), grows the key length
// of every index by delta for each segment on f, and sets the host record
// length from the fields.
void mvbtrFieldShift(OpenFile* file, int32_t f, int32_t delta);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_RESTRUCTURE_FIELD_EDIT_H_
