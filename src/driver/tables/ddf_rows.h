// The dictionary rows of a table whose structure is being read: lpDdfFields
// and lpDdfIndexes of the open file record. Both are doubly linked lists that
// exist only while the open builds the descriptors and are freed at its end
// (or with the record, when the open fails half way).
//
// A FIELD.DDF node holds a field descriptor image filled from its row; the
// image owns its lpszName (and an lpOverlaps chain, should one be built).
// An INDEX.DDF node holds a segment descriptor image whose lpField points at
// the image inside the FIELD.DDF node of the segment's column (not owned).
// Nodes are allocated with mvbtrMemAlloc.
#ifndef VEVERAVE_DRIVER_TABLES_DDF_ROWS_H_
#define VEVERAVE_DRIVER_TABLES_DDF_ROWS_H_

#include "driver/tables/open_file.h"

namespace vv::driver {

struct DdfFieldRow {
  DdfFieldRow* lpPrev;
  DdfFieldRow* lpNext;
  FieldDesc field;
};

struct DdfIndexRow {
  DdfIndexRow* lpPrev;
  DdfIndexRow* lpNext;
  SegmentDesc segment;
};

// Free every node of a list (and what the node images own); *list becomes null.
void mvbtrDdfFieldRowsFree(DdfFieldRow** list);
void mvbtrDdfIndexRowsFree(DdfIndexRow** list);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_TABLES_DDF_ROWS_H_
