#include "vvbutil/btrieve_client.h"

#include <cstring>
#include <string>

namespace vv::butil {
namespace {

// The utility's client id: bytes 12-13 name the application.
constexpr char kClientTag[2] = {'V', 'U'};

}  // namespace

Client::Client(BtrCallIdFn call) : call_(call) {
  std::memcpy(id_ + 12, kClientTag, sizeof kClientTag);
}

Client::~Client() {
  uint32_t len = 0;
  call_(BTR_RESET, nullptr, nullptr, &len, nullptr, 0, 0, id_);
}

int16_t Client::Call(uint16_t op, uint8_t* pos_block, void* data, uint32_t* data_len, void* key,
                     uint8_t key_len, int8_t key_num) {
  uint32_t unused = 0;
  return call_(op, pos_block, data, data_len != nullptr ? data_len : &unused, key, key_len, key_num,
               id_);
}

bool FitsKeyBuffer(std::string_view text) {
  return text.size() < BTR_MAX_KEY_SIZE;
}

OpenFile::~OpenFile() {
  Close();
}

int16_t OpenFile::Open(std::string_view path, std::string_view owner, int8_t mode) {
  if (!FitsKeyBuffer(path)) return BTR_STATUS_INVALID_FILE_NAME;
  std::string key(path);
  key.push_back('\0');
  std::string data(owner);
  data.push_back('\0');
  uint32_t len = owner.empty() ? 0 : static_cast<uint32_t>(data.size());
  const int16_t status = client_.Call(BTR_OPEN, pos_, data.data(), &len, key.data(),
                                      static_cast<uint8_t>(key.size()), mode);
  open_ = status == BTR_STATUS_SUCCESS;
  return status;
}

int16_t OpenFile::Close() {
  if (!open_) return BTR_STATUS_SUCCESS;
  open_ = false;
  uint32_t len = 0;
  return client_.Call(BTR_CLOSE, pos_, nullptr, &len, nullptr, 0, 0);
}

int16_t OpenFile::Call(uint16_t op, void* data, uint32_t* data_len, void* key, uint8_t key_len,
                       int8_t key_num) {
  return client_.Call(op, pos_, data, data_len, key, key_len, key_num);
}

}  // namespace vv::butil
