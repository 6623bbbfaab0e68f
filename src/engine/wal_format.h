// The byte layout of a file's write-ahead log (docs/engine-file-format.md):
// a 128-byte header with the salts and two durable-mark slots, then frames
// of one page each. This unit encodes and checks; it does no I/O.
#ifndef VEVERAVE_ENGINE_WAL_FORMAT_H_
#define VEVERAVE_ENGINE_WAL_FORMAT_H_

#include <cstddef>
#include <cstdint>

#include "engine/page_cache.h"

namespace vv::engine {

inline constexpr std::size_t kLogHeaderSize = 128;
inline constexpr std::size_t kFrameHeadSize = 24;
inline constexpr std::size_t kLogFrameSize = kFrameHeadSize + kPageSize;

struct LogSlot {
  uint64_t sequence = 0;        // 0: unused
  uint64_t durable_length = 0;  // every frame below it reached stable storage
};

struct LogHeader {
  uint64_t file_salt = 0;  // the salt of the file the log belongs to
  uint64_t log_salt = 0;   // new at every restart of the log; frames carry it
  LogSlot slot;            // the newest valid slot
};

void EncodeLogHeader(const LogHeader& h, uint8_t out[kLogHeaderSize]);
void EncodeLogSlot(const LogSlot& slot, uint8_t out[32]);
inline constexpr uint64_t LogSlotOffset(int index) {
  return 64 + 32 * static_cast<uint64_t>(index);
}
// False when the header is not a valid log header; *slot_index: the slot
// in force.
bool DecodeLogHeader(const uint8_t* p, LogHeader* out, int* slot_index);

// A frame's head, for page bytes data.
void EncodeFrameHead(uint32_t page, bool commit, uint64_t log_salt, const uint8_t* data,
                     uint8_t out[kFrameHeadSize]);
// Whether a frame is whole and of this log; *page and *commit describe it.
bool CheckFrame(const uint8_t* head, const uint8_t* data, uint64_t log_salt, uint32_t* page,
                bool* commit);

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_WAL_FORMAT_H_
