// What every replacement of a field array shares: pointing the segments at
// the new array and installing it in place of the old one.
#ifndef VEVERAVE_DRIVER_RESTRUCTURE_FIELD_ARRAY_H_
#define VEVERAVE_DRIVER_RESTRUCTURE_FIELD_ARRAY_H_

#include <cstdint>

#include "driver/tables/open_file.h"

namespace vv::driver {

// Points every segment of every index that is on an entry f of oldFields
// (0..oldCount) at newFields[map(f)]. Segments on other descriptors stay.
template <class Map>
void SegmentsRepoint(OpenFile* file, const FieldDesc* oldFields, int32_t oldCount,
                     FieldDesc* newFields, Map map) {
  if (file->lpIndexes == nullptr || oldFields == nullptr) return;
  for (int32_t i = 0; i <= file->nIndexes; ++i) {
    IndexDesc& index = file->lpIndexes[i];
    for (int32_t s = 1; index.lpSegments != nullptr && s <= index.nSegments; ++s) {
      FieldDesc*& field = index.lpSegments[s].lpField;
      if (field == nullptr || field < oldFields || field > oldFields + oldCount) continue;
      field = &newFields[map(static_cast<int32_t>(field - oldFields))];
    }
  }
}

// Frees the overlap chain of a field descriptor.
void FieldOverlapsFree(FieldDesc* field);

// Makes fields (count + 1 entries, whose names and chains moved over from
// the old array) the record's field array and frees the old block. What
// pointed into the old array is dropped: overlap chains, the long-variable
// chain and list, the related-field triples (built again where needed).
void FieldArrayInstall(OpenFile* file, FieldDesc* fields, int32_t count);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_RESTRUCTURE_FIELD_ARRAY_H_
