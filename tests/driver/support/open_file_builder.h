// Builds open file records for tests the way the driver allocates them, so
// that mvbtrFileRecordFree frees them and the fixture's leak check holds.
// The driver must be initialised first.
#ifndef VEVERAVE_TESTS_DRIVER_SUPPORT_OPEN_FILE_BUILDER_H_
#define VEVERAVE_TESTS_DRIVER_SUPPORT_OPEN_FILE_BUILDER_H_

#include <cstdint>
#include <vector>

#include "driver/tables/open_file.h"

namespace vv::testing {

struct FieldLayout {
  const char* name;
  int32_t hostType;
  int32_t btrType;
  int32_t offset;
  int32_t size;
  int32_t hostLength = 0;
  uint8_t nullable = 0;
};

// An initialised record with fields 1..n from layouts (entry 0 is the empty
// record-number field), nRecLen the highest field end, no indexes.
driver::OpenFile* OpenFileBuild(const std::vector<FieldLayout>& fields);
// Gives the record nIndexes + 1 index descriptors with these key lengths
// (one segment each, no segment arrays).
void IndexesAdd(driver::OpenFile* file, const std::vector<int32_t>& keyLengths);

}  // namespace vv::testing

#endif  // VEVERAVE_TESTS_DRIVER_SUPPORT_OPEN_FILE_BUILDER_H_
