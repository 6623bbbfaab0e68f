#include "vvbutil/record_walk.h"

#include <algorithm>

namespace vv::butil {
namespace {

// Room for this much of a record at first; a longer one grows the buffer up
// to the largest record the utility reads.
constexpr std::size_t kRecordBufferStart = 64 * 1024;
constexpr std::size_t kRecordBufferMax = std::size_t{64} << 20;

}  // namespace

RecordWalk::RecordWalk(OpenFile& file, int key, Direction direction)
    : file_(file), key_(key), direction_(direction), buf_(kRecordBufferStart) {}

int16_t RecordWalk::Next() {
  const bool physical = key_ == kPhysicalOrder;
  const bool forward = direction_ == Direction::kForward;
  uint16_t op;
  if (count_ == 0) {
    op = physical ? (forward ? BTR_STEP_FIRST : BTR_STEP_LAST)
                  : (forward ? BTR_GET_FIRST : BTR_GET_LAST);
  } else {
    op = physical ? (forward ? BTR_STEP_NEXT : BTR_STEP_PREVIOUS)
                  : (forward ? BTR_GET_NEXT : BTR_GET_PREVIOUS);
  }
  int16_t status = Read(op, static_cast<int8_t>(key_));
  key_valid_ = !physical && status == BTR_STATUS_SUCCESS;
  while (status == BTR_STATUS_DATA_BUFFER_TOO_SHORT && buf_.size() < kRecordBufferMax) {
    uint32_t address = 0;
    status = Address(&address);
    if (status != BTR_STATUS_SUCCESS) return status;
    buf_.resize(buf_.size() * 4);
    for (int i = 0; i < 4; ++i) buf_[i] = static_cast<uint8_t>(address >> (8 * i));
    // In physical order the key number is -1: no key path.
    status = Read(BTR_GET_DIRECT, static_cast<int8_t>(key_));
  }
  if (status == BTR_STATUS_SUCCESS) ++count_;
  return status;
}

std::string_view RecordWalk::record() const {
  return std::string_view(reinterpret_cast<const char*>(buf_.data()), length_);
}

std::string_view RecordWalk::key_buffer() const {
  return key_valid_ ? std::string_view(key_buf_, BTR_MAX_KEY_SIZE) : std::string_view();
}

int16_t RecordWalk::Address(uint32_t* address) {
  uint8_t bytes[4] = {};
  uint32_t len = sizeof bytes;
  char key[BTR_MAX_KEY_SIZE + 1] = {};
  const int16_t status = file_.Call(BTR_GET_POSITION, bytes, &len, key, BTR_MAX_KEY_SIZE, 0);
  *address = uint32_t{bytes[0]} | (uint32_t{bytes[1]} << 8) | (uint32_t{bytes[2]} << 16) |
             (uint32_t{bytes[3]} << 24);
  return status;
}

int16_t RecordWalk::Read(uint16_t op, int8_t key) {
  uint32_t len = static_cast<uint32_t>(buf_.size());
  const int16_t status = file_.Call(op, buf_.data(), &len, key_buf_, BTR_MAX_KEY_SIZE, key);
  length_ = std::min<std::size_t>(len, buf_.size());
  return status;
}

}  // namespace vv::butil
