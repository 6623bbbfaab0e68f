// The utility's way to the engine: the one Btrieve call, made as one client,
// and open files that close themselves.
#ifndef VEVERAVE_TOOLS_VVBUTIL_BTRIEVE_CLIENT_H_
#define VEVERAVE_TOOLS_VVBUTIL_BTRIEVE_CLIENT_H_

#include <cstdint>
#include <string_view>

#include "veverave/btrieve.h"

namespace vv::butil {

class Client {
 public:
  explicit Client(BtrCallIdFn call);
  // Resets the client: whatever it still holds is released.
  ~Client();
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;

  int16_t Call(uint16_t op, uint8_t* pos_block, void* data, uint32_t* data_len, void* key,
               uint8_t key_len, int8_t key_num);

 private:
  BtrCallIdFn call_;
  uint8_t id_[BTR_CLIENT_ID_SIZE] = {};
};

// A file opened through a client; closed when the object goes.
class OpenFile {
 public:
  explicit OpenFile(Client& client) : client_(client) {}
  ~OpenFile();
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;

  // Opens path in the given mode with an owner name (empty: none).
  int16_t Open(std::string_view path, std::string_view owner, int8_t mode);
  int16_t Close();
  int16_t Call(uint16_t op, void* data, uint32_t* data_len, void* key, uint8_t key_len,
               int8_t key_num);
  uint8_t* pos_block() { return pos_; }

 private:
  Client& client_;
  uint8_t pos_[BTR_POS_BLOCK_SIZE] = {};
  bool open_ = false;
};

// Path or owner name as a NUL-terminated key buffer of at most
// BTR_MAX_KEY_SIZE bytes; false when it does not fit.
bool FitsKeyBuffer(std::string_view text);

}  // namespace vv::butil

#endif  // VEVERAVE_TOOLS_VVBUTIL_BTRIEVE_CLIENT_H_
