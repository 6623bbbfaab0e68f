// Index editing: adding and removing indexes and their segments on a
// restructure record, the copies a restructure starts from, and the two
// operations that change keys in an open Btrieve file (Create and Drop
// Supplemental Index), which the commit of an index-only restructure uses.
//
// Host index k is Btrieve key k - 1, or key k when the table has
// RECNUM_SUPPORT (its index 0 is then a Btrieve key on the record number).
// An index that loses its last segment keeps its number and stays in the
// array without segments; btrIndexCreate takes such a slot first.
//
// Every routine reports its failures and returns 0 or the pending error,
// unless it says otherwise.
#ifndef VEVERAVE_DRIVER_RESTRUCTURE_INDEX_EDIT_H_
#define VEVERAVE_DRIVER_RESTRUCTURE_INDEX_EDIT_H_

#include <cstdint>

#include "driver/tables/open_file.h"
#include "veverave/driver.h"

namespace vv::driver {

// The first index number that is a Btrieve key: 0 with RECNUM_SUPPORT, else 1.
inline int32_t mvbtrIndexFirst(const OpenFile* file) {
  return file->bRecnumSupport != 0 ? 0 : 1;
}
// The Btrieve key number of host index i.
inline int32_t mvbtrIndexKeyNumber(const OpenFile* file, int32_t i) {
  return file->bRecnumSupport != 0 ? i : i - 1;
}

// Replaces the target's indexes by copies of the source's, each segment
// pointing at the target's field of the same number (copy the fields
// first). A source without indexes beyond index 0 and without
// RECNUM_SUPPORT gives only its nIndexes. Out of memory: error 10
// "mvbtrIndexCopyAll" or "mvbtrSegmentCopyAll".
int16_t mvbtrIndexCopyAll(OpenFile* target, const OpenFile* source);
int16_t mvbtrSegmentCopyAll(OpenFile* target, int32_t targetIndex, const OpenFile* source,
                            int32_t sourceIndex);

// A new table's index 0: one segment on field 0, key length 4, no Btrieve
// key. Out of memory: error 10 "mvbtrIndexCreateDefault" (the array) or
// "mvbtrIndexCreateFromDdfSegments" (the segments).
int16_t mvbtrIndexCreateDefault(OpenFile* file);

// Grows the index array so that n is the highest index number (nothing when
// it is already). Out of memory: error 10 "IndexAdjustNumber"; the array
// stays as it was.
int16_t mvbtrIndexAdjustNumber(OpenFile* file, int32_t n);

// btrIndexCreate's work: the first index 1..nIndexes without segments, else
// a new one above them, gets one segment on field 0; its number is the
// result. -1 after a failure, the indexes then as they were.
int32_t mvbtrIndexAdd(OpenFile* file);

// Removes every segment of index i, from the last to the first; the index
// keeps its number. i outside 0..nIndexes: error 20512 "mvbtrIndexDelete".
int16_t mvbtrIndexDelete(OpenFile* file, int32_t i);
// Removes segment s of index i: the key length shrinks by its field's size,
// a field whose main index this was gets the index in which it stands at the
// earliest place, and an index left without segments is no longer defined.
// i outside 1..nIndexes: error 20512, s outside 1..nSegments: error 20513,
// out of memory: error 10, all with the text "SegmentDelete".
int16_t mvbtrSegmentDelete(OpenFile* file, int32_t i, int32_t s);

// Creates index i as a key of the record's open Btrieve file (Create
// Supplemental Index on its position block, through its login), with the
// record number left out of the key and a collating sequence where the key
// or the ACS and ACS_UPPER settings call for one (key_create.cc). An index
// without segments: 0 and nothing done. Progress: "Creating index %d"
// (kind 0); a non-zero answer is returned at once. Status 5 (duplicate
// values in the records): "Cannot create index %d: Duplicates." (kind 9) and
// the result 5, nothing reported to the host. Another status: "Btrieve error
// %d creating index %d" (kind 9) and error 21000 + status "mvbtrIndexCreate
// (<table>)". On success bDefined = 1 and nKeyNumber is the key's number.
int16_t mvbtrIndexCreate(OpenFile* file, int32_t i, VvProgressFn progress);
// Drops the Btrieve key of index i (when bDefined) with Drop Supplemental
// Index, the other keys keeping their numbers. Progress: "Dropping index %d"
// (kind 0), whose non-zero answer is returned instead; a failure sends
// "Could not drop index %d." (kind 0) and is error 21000 + status
// "mvbtrIndexDrop (<table>)". On success bDefined = 0.
int16_t mvbtrIndexDrop(OpenFile* file, int32_t i, VvProgressFn progress);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_RESTRUCTURE_INDEX_EDIT_H_
