#include "engine/cursor.h"

#include <cstring>

#include "engine/byte_order.h"

namespace vv::engine {

namespace {

constexpr uint8_t kBlockSignature[4] = {'v', 'v', 'P', 'B'};
constexpr std::size_t kIdOffset = 4;
constexpr std::size_t kCheckOffset = 8;

}  // namespace

void InitPositionBlock(uint8_t* block, const Cursor& cursor) {
  std::memset(block, 0, BTR_POS_BLOCK_SIZE);
  std::memcpy(block, kBlockSignature, sizeof kBlockSignature);
  StoreU32(block + kIdOffset, cursor.id);
  StoreU32(block + kCheckOffset, cursor.check);
}

bool ReadPositionBlock(const uint8_t* block, uint32_t* id, uint32_t* check) {
  if (std::memcmp(block, kBlockSignature, sizeof kBlockSignature) != 0) return false;
  *id = LoadU32(block + kIdOffset);
  *check = LoadU32(block + kCheckOffset);
  return true;
}

void UpdateBlockAddress(uint8_t* block, const Cursor& cursor) {
  StoreU32(block + BTR_POS_BLOCK_ADDRESS_OFFSET, cursor.has_current ? cursor.current : 0);
}

void ClearPositionBlock(uint8_t* block) {
  std::memset(block, 0, BTR_POS_BLOCK_SIZE);
}

}  // namespace vv::engine
