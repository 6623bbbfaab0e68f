#include "engine/wal_format.h"

#include <cstring>

#include "engine/byte_order.h"
#include "engine/crc32c.h"

namespace vv::engine {

namespace {

constexpr uint8_t kLogMagic[8] = {0x89, 'V', 'V', 'W', 'A', 'L', '\r', '\n'};
constexpr uint32_t kLogVersion = 1;
constexpr std::size_t kHeadCrcOffset = 32;  // CRC-32C of bytes 0..31
constexpr std::size_t kSlotCrcOffset = 28;  // CRC-32C of the slot's bytes 0..27
constexpr std::size_t kFrameCrcOffset = 16;

bool DecodeLogSlot(const uint8_t* p, LogSlot* slot) {
  if (Crc32c(0, p, kSlotCrcOffset) != LoadU32(p + kSlotCrcOffset)) return false;
  slot->sequence = LoadU64(p);
  slot->durable_length = LoadU64(p + 8);
  return slot->sequence != 0;
}

uint32_t FrameCrc(const uint8_t* head, const uint8_t* data) {
  return Crc32c(Crc32c(0, head, kFrameCrcOffset), data, kPageSize);
}

}  // namespace

void EncodeLogSlot(const LogSlot& slot, uint8_t out[32]) {
  std::memset(out, 0, 32);
  StoreU64(out, slot.sequence);
  StoreU64(out + 8, slot.durable_length);
  StoreU32(out + kSlotCrcOffset, Crc32c(0, out, kSlotCrcOffset));
}

void EncodeLogHeader(const LogHeader& h, uint8_t out[kLogHeaderSize]) {
  std::memset(out, 0, kLogHeaderSize);
  std::memcpy(out, kLogMagic, sizeof kLogMagic);
  StoreU32(out + 8, kLogVersion);
  StoreU32(out + 12, static_cast<uint32_t>(kPageSize));
  StoreU64(out + 16, h.file_salt);
  StoreU64(out + 24, h.log_salt);
  StoreU32(out + kHeadCrcOffset, Crc32c(0, out, kHeadCrcOffset));
  EncodeLogSlot(h.slot, out + LogSlotOffset(0));
}

bool DecodeLogHeader(const uint8_t* p, LogHeader* out, int* slot_index) {
  if (std::memcmp(p, kLogMagic, sizeof kLogMagic) != 0 || LoadU32(p + 8) != kLogVersion ||
      LoadU32(p + 12) != kPageSize || Crc32c(0, p, kHeadCrcOffset) != LoadU32(p + kHeadCrcOffset)) {
    return false;
  }
  out->file_salt = LoadU64(p + 16);
  out->log_salt = LoadU64(p + 24);
  bool found = false;
  for (int i = 0; i < 2; ++i) {
    LogSlot s;
    if (DecodeLogSlot(p + LogSlotOffset(i), &s) && (!found || s.sequence > out->slot.sequence)) {
      out->slot = s;
      *slot_index = i;
      found = true;
    }
  }
  return found;
}

void EncodeFrameHead(uint32_t page, bool commit, uint64_t log_salt, const uint8_t* data,
                     uint8_t out[kFrameHeadSize]) {
  std::memset(out, 0, kFrameHeadSize);
  StoreU32(out, page);
  StoreU32(out + 4, commit ? 1 : 0);
  StoreU64(out + 8, log_salt);
  StoreU32(out + kFrameCrcOffset, FrameCrc(out, data));
}

bool CheckFrame(const uint8_t* head, const uint8_t* data, uint64_t log_salt, uint32_t* page,
                bool* commit) {
  if (LoadU64(head + 8) != log_salt || LoadU32(head + 4) > 1 ||
      FrameCrc(head, data) != LoadU32(head + kFrameCrcOffset)) {
    return false;
  }
  *page = LoadU32(head);
  *commit = LoadU32(head + 4) == 1;
  return true;
}

}  // namespace vv::engine
