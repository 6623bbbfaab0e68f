#include "engine/log_format.h"

#include <cstring>

#include "engine/byte_order.h"
#include "engine/crc32c.h"

namespace vv::engine {

namespace {

constexpr std::size_t kVersionOffset = 8;
constexpr std::size_t kHeaderSizeOffset = 12;
constexpr std::size_t kHeaderCrcOffset = 16;  // CRC-32C of bytes 0..15
constexpr std::size_t kSlotCrcOffset = 28;    // CRC-32C of the slot's bytes 0..27

bool DecodeSlot(const uint8_t* p, HeaderSlot* slot) {
  if (Crc32c(0, p, kSlotCrcOffset) != LoadU32(p + kSlotCrcOffset)) return false;
  slot->sequence = LoadU64(p);
  slot->durable_length = LoadU64(p + 8);
  return slot->sequence != 0;
}

uint32_t FrameCrc(const uint8_t* length_field, const uint8_t* body, std::size_t n) {
  return Crc32c(Crc32c(0, length_field, 4), body, n);
}

}  // namespace

void EncodeSlot(const HeaderSlot& slot, uint8_t out[kSlotSize]) {
  std::memset(out, 0, kSlotSize);
  StoreU64(out, slot.sequence);
  StoreU64(out + 8, slot.durable_length);
  StoreU32(out + kSlotCrcOffset, Crc32c(0, out, kSlotCrcOffset));
}

std::string EncodeHeader(const HeaderSlot& slot) {
  std::string s(kHeaderSize, '\0');
  auto* p = reinterpret_cast<uint8_t*>(s.data());
  std::memcpy(p, kSignature, kSignatureSize);
  StoreU32(p + kVersionOffset, kFormatVersion);
  StoreU32(p + kHeaderSizeOffset, kHeaderSize);
  StoreU32(p + kHeaderCrcOffset, Crc32c(0, p, kHeaderCrcOffset));
  EncodeSlot(slot, p + kSlotOffset);
  return s;
}

HeaderCheck DecodeHeader(const uint8_t* p, HeaderSlot* slot, int* slot_index) {
  if (std::memcmp(p, kSignature, kSignatureSize) != 0) return HeaderCheck::kNotOurs;
  if (Crc32c(0, p, kHeaderCrcOffset) != LoadU32(p + kHeaderCrcOffset)) {
    return HeaderCheck::kDamaged;
  }
  // A later format is not one this engine can read.
  if (LoadU32(p + kVersionOffset) != kFormatVersion ||
      LoadU32(p + kHeaderSizeOffset) != kHeaderSize) {
    return HeaderCheck::kNotOurs;
  }
  bool found = false;
  for (int i = 0; i < kSlotCount; ++i) {
    HeaderSlot s;
    if (DecodeSlot(p + kSlotOffset + kSlotSize * static_cast<std::size_t>(i), &s) &&
        (!found || s.sequence > slot->sequence)) {
      *slot = s;
      *slot_index = i;
      found = true;
    }
  }
  return found ? HeaderCheck::kOk : HeaderCheck::kDamaged;
}

std::size_t BeginFrame(std::string* out, RecordKind kind) {
  const std::size_t start = out->size();
  out->append(kFrameHeaderSize, '\0');
  PutU8(out, static_cast<uint8_t>(kind));
  return start;
}

void EndFrame(std::string* out, std::size_t start) {
  auto* p = reinterpret_cast<uint8_t*>(out->data()) + start;
  const std::size_t body = out->size() - start - kFrameHeaderSize;
  StoreU32(p, static_cast<uint32_t>(body));
  StoreU32(p + 4, FrameCrc(p, p + kFrameHeaderSize, body));
}

void AppendFrame(std::string* out, RecordKind kind, const void* payload, std::size_t n) {
  const std::size_t start = BeginFrame(out, kind);
  PutBytes(out, payload, n);
  EndFrame(out, start);
}

void EncodeAddressMark(uint32_t next_address, uint8_t out[kAddressMarkSize]) {
  StoreU32(out, 1 + 4);
  out[kFrameHeaderSize] = static_cast<uint8_t>(RecordKind::kAddressMark);
  StoreU32(out + kFrameHeaderSize + 1, next_address);
  StoreU32(out + 4, FrameCrc(out, out + kFrameHeaderSize, 1 + 4));
}

FrameCheck CheckFrame(const uint8_t* p, std::size_t n, std::size_t* frame_size, RecordKind* kind,
                      const uint8_t** payload, std::size_t* payload_size) {
  *frame_size = 0;
  if (n < kFrameHeaderSize) return FrameCheck::kIncomplete;
  const uint32_t body = LoadU32(p);
  *frame_size = kFrameHeaderSize + static_cast<std::size_t>(body);
  if (body > n - kFrameHeaderSize) return FrameCheck::kIncomplete;
  if (body == 0 || FrameCrc(p, p + kFrameHeaderSize, body) != LoadU32(p + 4)) {
    return FrameCheck::kBadChecksum;
  }
  *kind = static_cast<RecordKind>(p[kFrameHeaderSize]);
  *payload = p + kFrameHeaderSize + 1;
  *payload_size = body - 1;
  return FrameCheck::kOk;
}

void AppendChangePayload(std::string* out, const Change& change) {
  PutU32(out, change.address);
  if (change.kind == RecordKind::kDelete) return;
  PutU64(out, change.stamp);
  PutBytes(out, change.image, change.image_size);
}

bool DecodeChange(RecordKind kind, const uint8_t* p, std::size_t n, Change* out) {
  ByteReader r(p, n);
  Change c;
  c.kind = kind;
  c.address = r.U32();
  switch (kind) {
    case RecordKind::kDelete:
      break;
    case RecordKind::kInsert:
    case RecordKind::kUpdate:
      c.stamp = r.U64();
      c.image_size = r.remaining();
      c.image = r.Bytes(c.image_size);
      break;
    default:
      return false;
  }
  if (!r.ok() || !r.at_end() || c.address == 0) return false;
  *out = c;
  return true;
}

std::size_t EncodeBatchMemberHead(const Change& change, uint8_t out[kBatchMemberHeadMax]) {
  const bool has_image = change.kind != RecordKind::kDelete;
  // The payload as AppendChangePayload lays it out.
  const std::size_t payload = has_image ? 4 + 8 + change.image_size : 4;
  out[0] = static_cast<uint8_t>(change.kind);
  StoreU32(out + 1, static_cast<uint32_t>(payload));
  StoreU32(out + 5, change.address);
  if (!has_image) return 1 + 4 + 4;
  StoreU64(out + 9, change.stamp);
  return kBatchMemberHeadMax;
}

void AppendBatchMember(std::string* out, const Change& change) {
  uint8_t head[kBatchMemberHeadMax];
  PutBytes(out, head, EncodeBatchMemberHead(change, head));
  if (change.kind != RecordKind::kDelete) PutBytes(out, change.image, change.image_size);
}

BatchReader::BatchReader(const uint8_t* p, std::size_t n) : p_(p), n_(n) {
  if (n < 4) {
    ok_ = false;
    return;
  }
  left_ = LoadU32(p);
}

bool BatchReader::Next(Change* change) {
  if (!ok_) return false;
  if (left_ == 0) {
    ok_ = pos_ == n_;  // nothing may follow the last member
    return false;
  }
  if (n_ - pos_ < 5) {
    ok_ = false;
    return false;
  }
  const auto kind = static_cast<RecordKind>(p_[pos_]);
  const uint32_t len = LoadU32(p_ + pos_ + 1);
  pos_ += 5;
  if (len > n_ - pos_ || !DecodeChange(kind, p_ + pos_, len, change)) {
    ok_ = false;
    return false;
  }
  pos_ += len;
  --left_;
  return true;
}

}  // namespace vv::engine
