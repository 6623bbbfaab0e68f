// The byte layout of an engine file: a 128-byte header followed by an
// append-only log of checksummed records. docs/engine-file-format.md is the
// reference; this unit encodes and decodes, it does no I/O.
#ifndef VEVERAVE_ENGINE_LOG_FORMAT_H_
#define VEVERAVE_ENGINE_LOG_FORMAT_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace vv::engine {

inline constexpr std::size_t kSignatureSize = 8;
inline constexpr uint8_t kSignature[kSignatureSize] = {0x89, 'V', 'V', 'E', 'N', 'G', '\r', '\n'};
inline constexpr uint32_t kFormatVersion = 1;
inline constexpr std::size_t kHeaderSize = 128;
inline constexpr std::size_t kSlotOffset = 64;
inline constexpr std::size_t kSlotSize = 32;
inline constexpr int kSlotCount = 2;
// Byte range every process locks to hold a file (far beyond any data, so the
// lock never keeps anyone from reading the bytes themselves).
inline constexpr uint64_t kProcessLockOffset = uint64_t{1} << 62;
// Frame: u32 body length, u32 CRC-32C of the length field and the body; the
// body is one kind byte and the payload.
inline constexpr std::size_t kFrameHeaderSize = 8;

enum class RecordKind : uint8_t {
  kDefinition = 1,   // the file definition (file_definition.h)
  kInsert = 2,       // u32 address, u64 stamp, record image
  kUpdate = 3,       // u32 address, u64 stamp, record image
  kDelete = 4,       // u32 address
  kBatch = 5,        // a committed transaction: u32 count, then count changes
  kAddressMark = 6,  // u32: addresses below it are used up
  kSnapshot = 7,     // u32 address, u16 n, n u64 stamps (one per key), image
};

// A header state slot: the writer raises the sequence each time; the valid
// slot with the highest sequence counts.
struct HeaderSlot {
  uint64_t sequence = 0;
  uint64_t durable_length = 0;  // every byte below this was synced
};

// A fresh header with slot 0 set and slot 1 empty.
std::string EncodeHeader(const HeaderSlot& slot);
void EncodeSlot(const HeaderSlot& slot, uint8_t out[kSlotSize]);

enum class HeaderCheck { kOk, kNotOurs, kDamaged };
// Checks a header of kHeaderSize bytes; on kOk fills the newest valid slot
// and its index.
HeaderCheck DecodeHeader(const uint8_t* p, HeaderSlot* slot, int* slot_index);

// Appends a complete framed record.
void AppendFrame(std::string* out, RecordKind kind, const void* payload, std::size_t n);
// Framing in place: BeginFrame reserves the frame header and kind byte and
// returns where the frame starts; the payload is appended to out; EndFrame
// fills in the length and checksum.
std::size_t BeginFrame(std::string* out, RecordKind kind);
void EndFrame(std::string* out, std::size_t start);

// An address mark record, encoded without allocating.
inline constexpr std::size_t kAddressMarkSize = kFrameHeaderSize + 1 + 4;
void EncodeAddressMark(uint32_t next_address, uint8_t out[kAddressMarkSize]);

// Result of looking at the bytes of one frame.
enum class FrameCheck { kOk, kIncomplete, kBadChecksum };
// p holds n bytes starting at a frame. On kOk: *frame_size, *kind, *payload
// and *payload_size describe it. On kIncomplete: *frame_size is what the
// length field claims (0 when even the frame header is cut).
FrameCheck CheckFrame(const uint8_t* p, std::size_t n, std::size_t* frame_size, RecordKind* kind,
                      const uint8_t** payload, std::size_t* payload_size);

// One change to a record, as Insert, Update and Delete records and the
// members of a batch carry it.
struct Change {
  RecordKind kind = RecordKind::kInsert;
  uint32_t address = 0;
  uint64_t stamp = 0;
  const uint8_t* image = nullptr;
  std::size_t image_size = 0;
};

// The payload of a change record.
void AppendChangePayload(std::string* out, const Change& change);
bool DecodeChange(RecordKind kind, const uint8_t* p, std::size_t n, Change* out);
// A change as a member of a batch: u8 kind, u32 payload length, payload.
void AppendBatchMember(std::string* out, const Change& change);
// The bytes of a batch member that come before the record image (all of
// them for a delete); returns how many it wrote.
inline constexpr std::size_t kBatchMemberHeadMax = 1 + 4 + 4 + 8;
std::size_t EncodeBatchMemberHead(const Change& change, uint8_t out[kBatchMemberHeadMax]);

// Walks the members of a batch payload.
class BatchReader {
 public:
  BatchReader(const uint8_t* p, std::size_t n);
  bool ok() const { return ok_; }
  // The next member; false at the end or when the batch is malformed (ok()
  // tells which).
  bool Next(Change* change);

 private:
  const uint8_t* p_;
  std::size_t n_;
  std::size_t pos_ = 4;
  uint32_t left_ = 0;
  bool ok_ = true;
};

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_LOG_FORMAT_H_
