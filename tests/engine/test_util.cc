#include "engine/test_util.h"

#include <algorithm>
#include <cstring>

#include "platform/platform.h"

namespace vv::engine::testing {

namespace {

void Put16(std::string* s, std::size_t at, uint16_t v) {
  (*s)[at] = static_cast<char>(v);
  (*s)[at + 1] = static_cast<char>(v >> 8);
}

}  // namespace

TempDir::TempDir() : path_(platform::MakeTempDirectory("vvengine-test").value_or("")) {}
TempDir::~TempDir() {
  if (!path_.empty()) platform::RemoveTree(path_);
}
std::string TempDir::File(const std::string& name) const {
  return path_ + "/" + name;
}

std::string CreateBuffer(uint16_t record_length, uint16_t page_size, uint16_t file_flags,
                         const std::vector<std::vector<SegmentSpec>>& keys) {
  std::string b(BTR_FILEDEF_SIZE, '\0');
  Put16(&b, BTR_FILEDEF_RECORD_LENGTH, record_length);
  Put16(&b, BTR_FILEDEF_PAGE_SIZE, page_size);
  b[BTR_FILEDEF_KEY_COUNT] = static_cast<char>(keys.size());
  Put16(&b, BTR_FILEDEF_FILE_FLAGS, file_flags);
  for (const auto& key : keys) {
    for (std::size_t i = 0; i < key.size(); ++i) {
      std::string spec(BTR_KEYDEF_SIZE, '\0');
      Put16(&spec, BTR_KEYDEF_POSITION, key[i].position);
      Put16(&spec, BTR_KEYDEF_LENGTH, key[i].length);
      uint16_t flags = key[i].flags | BTR_KEY_EXTENDED_TYPE;
      if (i + 1 < key.size()) flags |= BTR_KEY_SEGMENTED;
      Put16(&spec, BTR_KEYDEF_FLAGS, flags);
      spec[BTR_KEYDEF_TYPE] = static_cast<char>(key[i].type);
      b += spec;
    }
  }
  return b;
}

std::string TestTableBuffer() {
  return CreateBuffer(20, 1024, 0,
                      {{{1, 4, BTR_KEY_MODIFIABLE, BTR_TYPE_INTEGER}},
                       {{5, 10, BTR_KEY_MODIFIABLE | BTR_KEY_DUPLICATES, BTR_TYPE_STRING}}});
}

std::string TestRecord(int32_t id, const std::string& name, uint8_t fill) {
  std::string r(20, static_cast<char>(fill));
  for (int i = 0; i < 4; ++i) r[i] = static_cast<char>(static_cast<uint32_t>(id) >> (8 * i));
  std::string n = name;
  n.resize(10, ' ');
  r.replace(4, 10, n);
  return r;
}

int32_t RecordId(const std::string& record) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(record[i]);
  return static_cast<int32_t>(v);
}

TestClient::TestClient(Engine* engine, const std::string& name) : engine_(engine) {
  std::memcpy(id_.data(), name.data(), std::min(name.size(), id_.size()));
}

void (*TestClient::call_hook)(bool entering) = nullptr;

int16_t TestClient::Call(uint16_t op, Block* block, void* data, uint32_t* len, void* key,
                         int8_t key_number) {
  if (call_hook != nullptr) call_hook(true);
  const int16_t s = engine_->Call(op, block != nullptr ? block->data() : nullptr, data, len, key,
                                  BTR_MAX_KEY_SIZE, key_number, id_.data());
  if (call_hook != nullptr) call_hook(false);
  return s;
}

int16_t TestClient::Create(const std::string& path, const std::string& buffer, int8_t mode) {
  std::string data = buffer;
  uint32_t len = static_cast<uint32_t>(data.size());
  char key[256] = {};
  std::memcpy(key, path.data(), std::min<std::size_t>(path.size(), 255));
  return Call(BTR_CREATE, nullptr, data.data(), &len, key, mode);
}

int16_t TestClient::Open(Block* block, const std::string& path, int8_t mode,
                         const std::string& owner) {
  char key[256] = {};
  std::memcpy(key, path.data(), std::min<std::size_t>(path.size(), 255));
  std::string data = owner;
  uint32_t len = static_cast<uint32_t>(owner.size());
  return Call(BTR_OPEN, block, data.data(), &len, key, mode);
}

int16_t TestClient::Close(Block* block) {
  uint32_t len = 0;
  return Call(BTR_CLOSE, block, nullptr, &len, nullptr, 0);
}

int16_t TestClient::Insert(Block* block, const std::string& record, int8_t key_number) {
  std::string data = record;
  uint32_t len = static_cast<uint32_t>(data.size());
  char key[256] = {};
  return Call(BTR_INSERT, block, data.data(), &len, key, key_number);
}

int16_t TestClient::Update(Block* block, const std::string& record, int8_t key_number) {
  std::string data = record;
  uint32_t len = static_cast<uint32_t>(data.size());
  char key[256] = {};
  return Call(BTR_UPDATE, block, data.data(), &len, key, key_number);
}

int16_t TestClient::Delete(Block* block) {
  uint32_t len = 0;
  char key[256] = {};
  return Call(BTR_DELETE, block, nullptr, &len, key, 0);
}

int16_t TestClient::Get(uint16_t op, Block* block, int8_t key_number, const std::string& key,
                        std::string* record) {
  char data[4096] = {};
  uint32_t len = sizeof data;
  char k[256] = {};
  std::memcpy(k, key.data(), std::min<std::size_t>(key.size(), 255));
  const int16_t s = Call(op, block, data, &len, k, key_number);
  if (record != nullptr) record->assign(data, s == 0 ? len : 0);
  return s;
}

int16_t TestClient::GetById(Block* block, int32_t id, std::string* record, uint16_t bias) {
  std::string key(4, '\0');
  for (int i = 0; i < 4; ++i) key[i] = static_cast<char>(static_cast<uint32_t>(id) >> (8 * i));
  return Get(static_cast<uint16_t>(BTR_GET_EQUAL + bias), block, 0, key, record);
}

int16_t TestClient::Step(uint16_t op, Block* block, std::string* record) {
  char data[4096] = {};
  uint32_t len = sizeof data;
  const int16_t s = Call(op, block, data, &len, nullptr, 0);
  if (record != nullptr) record->assign(data, s == 0 ? len : 0);
  return s;
}

int16_t TestClient::GetPosition(Block* block, uint32_t* address) {
  uint8_t data[4] = {};
  uint32_t len = 4;
  const int16_t s = Call(BTR_GET_POSITION, block, data, &len, nullptr, 0);
  *address = static_cast<uint32_t>(data[0] | (data[1] << 8) | (data[2] << 16) |
                                   (static_cast<uint32_t>(data[3]) << 24));
  return s;
}

int16_t TestClient::Simple(uint16_t op) {
  return Call(op, nullptr, nullptr, nullptr, nullptr, 0);
}

uint32_t TestClient::RecordCount(Block* block) {
  std::vector<uint8_t> data(65536);
  uint32_t len = static_cast<uint32_t>(data.size());
  char key[256] = {};
  if (Call(BTR_STAT, block, data.data(), &len, key, 0) != 0) return UINT32_MAX;
  const uint8_t* p = data.data() + BTR_FILEDEF_RECORD_COUNT;
  return static_cast<uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16) |
                               (static_cast<uint32_t>(p[3]) << 24));
}

}  // namespace vv::engine::testing
