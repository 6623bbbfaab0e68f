// The dictionary files and their rows.
#include "ddf/dictionary_builder.h"

#include <atomic>
#include <cstring>

#include "ddf/row_codec.h"
#include "platform/platform.h"
#include "veverave/engine.h"
#include "vvbutil/file_layout.h"

namespace vv::ddf {


// One dictionary file: its layout and its position block.
struct DictionaryBuilder::File {
  const char* name;
  const DdfColumn* columns;
  const DdfKey* keys;
  int32_t keyCount;
  int32_t rowSize;
  uint8_t pos[BTR_POS_BLOCK_SIZE] = {};
  bool open = false;
};

namespace {

// The builder's client ids: bytes 12-13 name the builder, 14-15 count the
// builders of the process, so that two builders are two clients.
constexpr char kClientTag[2] = {'D', 'B'};
std::atomic<uint16_t> g_builders{0};

enum FileSlot { kFileSlot, kFieldSlot, kIndexSlot };

// The dictionary files are planned for pages of this size.
constexpr uint16_t kDictionaryPageSize = 4096;

std::string PathIn(const std::string& dir, const char* name) {
  if (dir.empty()) return name;
  return platform::IsSeparator(dir.back()) ? dir + name : dir + platform::kPathSeparator + name;
}

// The key definitions of a dictionary file's own keys (ddf_layout.h).
std::vector<butil::SegmentLayout> KeyLayouts(const DdfColumn* columns, const DdfKey* keys,
                                             int32_t keyCount) {
  std::vector<butil::SegmentLayout> layouts;
  for (int32_t k = 0; k < keyCount; ++k) {
    for (int32_t s = 0; s < keys[k].nSegments; ++s) {
      const DdfColumn& column = columns[keys[k].aColumns[s]];
      butil::SegmentLayout layout;
      layout.position = static_cast<uint16_t>(column.nOffset + 1);
      layout.length = static_cast<uint16_t>(column.nSize);
      layout.flags = keys[k].nKeyFlags | BTR_KEY_EXTENDED_TYPE;
      if (s + 1 < keys[k].nSegments) layout.flags |= BTR_KEY_SEGMENTED;
      layout.type = column.nKeyType;
      layouts.push_back(layout);
    }
  }
  return layouts;
}

}  // namespace

DictionaryBuilder::DictionaryBuilder(std::string dir) : dir_(std::move(dir)) {
  std::memcpy(client_ + 12, kClientTag, sizeof kClientTag);
  const uint16_t number = ++g_builders;
  client_[14] = static_cast<uint8_t>(number & 0xFF);
  client_[15] = static_cast<uint8_t>(number >> 8);
  files_[kFileSlot] = std::make_unique<File>(File{kDdfFileName, kDdfFileColumns,
                                                  kDdfFileKeys, kDdfFileKeyCount,
                                                  kDdfFileRowSize});
  files_[kFieldSlot] = std::make_unique<File>(File{kDdfFieldName, kDdfFieldColumns,
                                                   kDdfFieldKeys, kDdfFieldKeyCount,
                                                   kDdfFieldRowSize});
  files_[kIndexSlot] = std::make_unique<File>(File{kDdfIndexName, kDdfIndexColumns,
                                                   kDdfIndexKeys, kDdfIndexKeyCount,
                                                   kDdfIndexRowSize});
}

DictionaryBuilder::~DictionaryBuilder() {
  for (auto& file : files_) {
    if (file->open) Call(BTR_CLOSE, file->pos, nullptr, nullptr, nullptr, 0);
  }
  Call(BTR_RESET, nullptr, nullptr, nullptr, nullptr, 0);
}

std::unique_ptr<DictionaryBuilder> DictionaryBuilder::Create(const std::string& dir,
                                                             std::string* error) {
  std::unique_ptr<DictionaryBuilder> builder(new DictionaryBuilder(dir));
  if (builder->OpenAll(true)) return builder;
  *error = builder->error();
  return nullptr;
}

std::unique_ptr<DictionaryBuilder> DictionaryBuilder::Open(const std::string& dir,
                                                           std::string* error) {
  std::unique_ptr<DictionaryBuilder> builder(new DictionaryBuilder(dir));
  if (builder->OpenAll(false)) return builder;
  *error = builder->error();
  return nullptr;
}

int16_t DictionaryBuilder::Call(uint16_t op, uint8_t* posBlock, void* data, uint32_t* length,
                                void* key, int8_t keyNumber) {
  uint32_t none = 0;
  return BTRCALLID(op, posBlock, data, length != nullptr ? length : &none, key, BTR_MAX_KEY_SIZE,
                   keyNumber, client_);
}

bool DictionaryBuilder::Fail(const std::string& what, int16_t status) {
  error_ = what + ": status " + std::to_string(status);
  return false;
}

bool DictionaryBuilder::OpenAll(bool create) {
  for (auto& file : files_) {
    std::string path = PathIn(dir_, file->name);
    if (create) {
      butil::FileLayout layout;
      layout.record_length = static_cast<uint16_t>(file->rowSize);
      layout.page_size = kDictionaryPageSize;
      layout.key_count = static_cast<uint8_t>(file->keyCount);
      std::string data =
          butil::EncodeCreate(layout, KeyLayouts(file->columns, file->keys, file->keyCount), {});
      uint32_t length = static_cast<uint32_t>(data.size());
      const int16_t status =
          Call(BTR_CREATE, nullptr, data.data(), &length, path.data(), BTR_CREATE_REPLACE);
      if (status != 0) return Fail(std::string(file->name) + " create", status);
    }
    uint32_t length = 0;
    const int16_t status =
        Call(BTR_OPEN, file->pos, nullptr, &length, path.data(), BTR_OPEN_NORMAL);
    if (status != 0) return Fail(std::string(file->name) + " open", status);
    file->open = true;
  }
  return true;
}

bool DictionaryBuilder::Insert(File& file, std::string row) {
  uint32_t length = static_cast<uint32_t>(row.size());
  uint8_t key[BTR_MAX_KEY_SIZE];
  const int16_t status = Call(BTR_INSERT, file.pos, row.data(), &length, key, BTR_KEY_NONE);
  if (status != 0) return Fail(std::string(file.name) + " insert", status);
  return true;
}

bool DictionaryBuilder::ReadAll(File& file, std::vector<std::string>* rows) {
  rows->clear();
  uint8_t key[BTR_MAX_KEY_SIZE];
  std::string row(static_cast<std::size_t>(file.rowSize), '\0');
  for (uint16_t op = BTR_GET_FIRST;; op = BTR_GET_NEXT) {
    uint32_t length = static_cast<uint32_t>(row.size());
    const int16_t status = Call(op, file.pos, row.data(), &length, key, 0);
    if (status == BTR_STATUS_END_OF_FILE) return true;
    if (status != 0) return Fail(std::string(file.name) + " read", status);
    rows->push_back(row.substr(0, length));
  }
}

bool DictionaryBuilder::AddFileRow(const FileRow& row) {
  return Insert(*files_[kFileSlot], EncodeFileRow(row));
}

bool DictionaryBuilder::AddFieldRow(const FieldRow& row) {
  return Insert(*files_[kFieldSlot], EncodeFieldRow(row));
}

bool DictionaryBuilder::AddIndexRow(const IndexRow& row) {
  return Insert(*files_[kIndexSlot], EncodeIndexRow(row));
}

bool DictionaryBuilder::FileRows(std::vector<FileRow>* rows) {
  std::vector<std::string> raw;
  if (!ReadAll(*files_[kFileSlot], &raw)) return false;
  rows->clear();
  for (const std::string& r : raw) rows->push_back(DecodeFileRow(r));
  return true;
}

bool DictionaryBuilder::FieldRows(std::vector<FieldRow>* rows) {
  std::vector<std::string> raw;
  if (!ReadAll(*files_[kFieldSlot], &raw)) return false;
  rows->clear();
  for (const std::string& r : raw) rows->push_back(DecodeFieldRow(r));
  return true;
}

bool DictionaryBuilder::IndexRows(std::vector<IndexRow>* rows) {
  std::vector<std::string> raw;
  if (!ReadAll(*files_[kIndexSlot], &raw)) return false;
  rows->clear();
  for (const std::string& r : raw) rows->push_back(DecodeIndexRow(r));
  return true;
}

}  // namespace vv::ddf
