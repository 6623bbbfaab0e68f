// The operation tables of a record find: rows by find mode, columns by
// situation.
#include "driver/records/record_find.h"
#include "driver/records/record_find_steps.h"
#include "veverave/btrieve.h"

namespace vv::driver {
namespace {

constexpr int kModes = kFindGreater + 1;

// Columns: key search, relative to the current record, from an end.
constexpr uint16_t kKeyOperations[kModes][3] = {
    /* less than */ {BTR_GET_LESS, BTR_GET_PREVIOUS, BTR_GET_LAST},
    /* less or equal */ {BTR_GET_LESS_OR_EQUAL, BTR_GET_LESS_OR_EQUAL, BTR_GET_LAST},
    /* equal */ {BTR_GET_EQUAL, BTR_GET_EQUAL, BTR_GET_EQUAL},
    /* greater or equal */ {BTR_GET_GREATER_OR_EQUAL, BTR_GET_GREATER_OR_EQUAL, BTR_GET_FIRST},
    /* greater than */ {BTR_GET_GREATER, BTR_GET_NEXT, BTR_GET_FIRST},
};

// Columns: relative, from an end. Get Direct reads the record whose address
// the record number gives; the steps move in physical order.
constexpr uint16_t kPhysicalOperations[kModes][2] = {
    /* less than */ {BTR_STEP_PREVIOUS, BTR_STEP_LAST},
    /* less or equal */ {BTR_GET_DIRECT, BTR_STEP_LAST},
    /* equal */ {BTR_GET_DIRECT, BTR_GET_DIRECT},
    /* greater or equal */ {BTR_GET_DIRECT, BTR_STEP_FIRST},
    /* greater than */ {BTR_STEP_NEXT, BTR_STEP_FIRST},
};

}  // namespace

bool mvbtrFindModeValid(int32_t mode) {
  return mode >= kFindLess && mode <= kFindGreater;
}

uint16_t mvbtrFindKeyOperation(int32_t mode, FindSituation situation) {
  const int column = situation == FindSituation::kKeySearch  ? 0
                     : situation == FindSituation::kRelative ? 1
                                                             : 2;
  return kKeyOperations[mode][column];
}

uint16_t mvbtrFindPhysicalOperation(int32_t mode, bool fromEnd) {
  return kPhysicalOperations[mode][fromEnd ? 1 : 0];
}

}  // namespace vv::driver
