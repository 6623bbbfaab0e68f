// Helpers of the engine's C++ tests: temporary directories, Create buffers
// and a client that issues calls to an engine.
#ifndef VEVERAVE_TESTS_ENGINE_TEST_UTIL_H_
#define VEVERAVE_TESTS_ENGINE_TEST_UTIL_H_

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "veverave/btrieve.h"

namespace vv::engine::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const;

 private:
  std::string path_;
};

struct SegmentSpec {
  uint16_t position = 1;
  uint16_t length = 4;
  uint16_t flags = 0;  // BTR_KEY_*; BTR_KEY_EXTENDED_TYPE is added
  uint8_t type = BTR_TYPE_INTEGER;
};
// A Create buffer; each key is a list of segments (BTR_KEY_SEGMENTED is
// set on all but the last).
std::string CreateBuffer(uint16_t record_length, uint16_t page_size, uint16_t file_flags,
                         const std::vector<std::vector<SegmentSpec>>& keys);

// The test table: 20-byte records, key 0 a unique modifiable INTEGER at 1,
// key 1 a modifiable STRING of 10 bytes at 5 with duplicates.
std::string TestTableBuffer();
std::string TestRecord(int32_t id, const std::string& name, uint8_t fill = 0);
int32_t RecordId(const std::string& record);

using Block = std::array<uint8_t, BTR_POS_BLOCK_SIZE>;

// One client of an engine; the name becomes its client id.
class TestClient {
 public:
  TestClient(Engine* engine, const std::string& name);

  int16_t Call(uint16_t op, Block* block, void* data, uint32_t* len, void* key, int8_t key_number);

  int16_t Create(const std::string& path, const std::string& buffer,
                 int8_t mode = BTR_CREATE_NO_REPLACE);
  int16_t Open(Block* block, const std::string& path, int8_t mode = BTR_OPEN_NORMAL,
               const std::string& owner = "");
  int16_t Close(Block* block);
  int16_t Insert(Block* block, const std::string& record, int8_t key_number = BTR_KEY_NONE);
  int16_t Update(Block* block, const std::string& record, int8_t key_number = BTR_KEY_NONE);
  int16_t Delete(Block* block);
  // A keyed read; *record receives the record.
  int16_t Get(uint16_t op, Block* block, int8_t key_number, const std::string& key,
              std::string* record);
  // Get Equal on key 0 by id.
  int16_t GetById(Block* block, int32_t id, std::string* record, uint16_t bias = 0);
  int16_t Step(uint16_t op, Block* block, std::string* record);
  int16_t GetPosition(Block* block, uint32_t* address);
  int16_t Simple(uint16_t op);  // Begin, End, Abort, Reset: no block or buffers
  // Number of records the client sees (Stat).
  uint32_t RecordCount(Block* block);

  // Called with true before and false after every call into the engine
  // (the allocation-failure sweep counts only the engine's allocations).
  static void (*call_hook)(bool entering);

 private:
  Engine* engine_;
  std::array<uint8_t, BTR_CLIENT_ID_SIZE> id_{};
};

}  // namespace vv::engine::testing

#endif  // VEVERAVE_TESTS_ENGINE_TEST_UTIL_H_
