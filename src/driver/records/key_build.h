// The Btrieve key of an index, built from a record buffer. Btrieve compares
// and returns keys in this layout, so a key built here can be sent with a
// keyed get and compared byte for byte with a key the engine returned.
//
// For each segment in order: when the segment has a null indicator, one byte,
// 1 when the field is null and 0 otherwise; then the field's nSize bytes from
// the record buffer at its nOffset.
#ifndef VEVERAVE_DRIVER_RECORDS_KEY_BUILD_H_
#define VEVERAVE_DRIVER_RECORDS_KEY_BUILD_H_

#include <cstdint>

#include "driver/tables/open_file.h"

namespace vv::driver {

// Builds the key of index from file's record buffer into key, which holds
// keySize bytes; bytes after the key are left as they are. A segment that
// would run past either buffer ends the key there (a well-formed table never
// has one). Returns the number of bytes built.
int32_t mvbtrRecordKeyBuild(const OpenFile* file, const IndexDesc* index, uint8_t* key,
                            int32_t keySize);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_RECORDS_KEY_BUILD_H_
