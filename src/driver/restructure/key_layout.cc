#include "driver/restructure/key_layout.h"

#include <cstring>

#include "driver/fields/le_bytes.h"
#include "driver/fields/type_map.h"
#include "veverave/btrieve.h"

namespace vv::driver {

void mvbtrKeyLayoutWrite(uint8_t* block, const KeySegmentLayout& layout) {
  std::memset(block, 0, BTR_KEYDEF_SIZE);
  StoreLe(block + BTR_KEYDEF_POSITION, static_cast<uint32_t>(layout.nPosition), 2);
  StoreLe(block + BTR_KEYDEF_LENGTH, static_cast<uint32_t>(layout.nLength), 2);
  StoreLe(block + BTR_KEYDEF_FLAGS, layout.nFlags, 2);
  block[BTR_KEYDEF_TYPE] = layout.nType;
  block[BTR_KEYDEF_KEY_NUMBER] = layout.nKeyNumber;
  block[BTR_KEYDEF_ACS_NUMBER] = layout.nAcsNumber;
}

uint8_t mvbtrKeySegmentType(const FieldDesc& field, int32_t segments) {
  const int32_t type = mvbtrFieldDdfType(field.nBtrType);
  if (type == BTR_TYPE_AUTOINCREMENT && segments > 1) return BTR_TYPE_INTEGER;
  return static_cast<uint8_t>(type);
}

bool mvbtrKeyTypeTakesAcs(int32_t type) {
  return type == BTR_TYPE_STRING || type == BTR_TYPE_LSTRING || type == BTR_TYPE_ZSTRING;
}

}  // namespace vv::driver
