// One walk over the records of an open file: along a key or in physical
// order, from the first record forward or from the last one backward.
// Records of any length are read whole: a record longer than the buffer is
// read again by its address into a larger one, which also puts the walk
// back on it.
#ifndef VEVERAVE_TOOLS_VVBUTIL_RECORD_WALK_H_
#define VEVERAVE_TOOLS_VVBUTIL_RECORD_WALK_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "vvbutil/btrieve_client.h"

namespace vv::butil {

// The key number of a walk in physical order.
inline constexpr int kPhysicalOrder = -1;

class RecordWalk {
 public:
  enum class Direction { kForward, kBackward };

  RecordWalk(OpenFile& file, int key, Direction direction = Direction::kForward);

  // The first (last) record, then the next (previous) one, into record(): a
  // Btrieve status, 9 at the end.
  int16_t Next();

  std::string_view record() const;
  // The key buffer as the last read left it, along a key (the key value
  // first, as long as the key); empty in physical order and after a record
  // was read again by its address (the record holds the value then).
  std::string_view key_buffer() const;
  // The address of the current record (Get Position).
  int16_t Address(uint32_t* address);
  // Records read so far.
  uint64_t count() const { return count_; }

 private:
  int16_t Read(uint16_t op, int8_t key);

  OpenFile& file_;
  int key_;
  Direction direction_;
  std::vector<uint8_t> buf_;
  std::size_t length_ = 0;
  char key_buf_[BTR_MAX_KEY_SIZE + 1] = {};
  bool key_valid_ = false;
  uint64_t count_ = 0;
};

}  // namespace vv::butil

#endif  // VEVERAVE_TOOLS_VVBUTIL_RECORD_WALK_H_
