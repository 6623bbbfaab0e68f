#include "engine/file_state.h"

#include <algorithm>

#include "veverave/btrieve.h"

namespace vv::engine {

bool FileState::variable_length() const {
  return (attrs.flags & BTR_FILE_VARIABLE) != 0;
}

FileDefinition FileState::Definition() const {
  FileDefinition def;
  def.attrs = attrs;
  def.acs = acs;
  def.keys.reserve(indexes.size());
  for (const auto& index : indexes) def.keys.push_back(DefinedKey{index->id, index->def});
  def.next_address = next_address;
  def.next_stamp = next_stamp;
  return def;
}

uint64_t LiveBytesOf(std::size_t image_size, std::size_t index_count) {
  // A snapshot record: frame, kind, address, stamp count, stamps, image.
  return kFrameHeaderSize + 1 + 4 + 2 + 8 * index_count + image_size;
}

std::unique_ptr<FileState> NewFileState(FileDefinition def) {
  auto file = std::make_unique<FileState>();
  file->attrs = std::move(def.attrs);
  file->acs = std::move(def.acs);
  file->indexes.reserve(def.keys.size());
  for (DefinedKey& k : def.keys) {
    file->next_index_id = std::max(file->next_index_id, k.id + 1);
    file->indexes.push_back(std::make_unique<KeyIndex>(k.id, std::move(k.def), &file->acs));
  }
  file->next_address = std::max<uint32_t>(def.next_address, 1);
  file->next_stamp = std::max<uint64_t>(def.next_stamp, 1);
  return file;
}

int16_t PrepareIndex(FileState& file, uint32_t id, KeyDef def, PreparedIndex* out) {
  const int number = def.number;
  auto index = std::make_unique<KeyIndex>(id, std::move(def), &file.acs);
  std::size_t position = 0;
  while (position < file.indexes.size() && file.indexes[position]->def.number < number) ++position;

  std::vector<std::vector<uint64_t>> record_entries;
  record_entries.reserve(file.records.size());
  uint64_t stamp = file.next_stamp;
  uint8_t key[BTR_MAX_KEY_SIZE];
  for (auto& [address, record] : file.records) {
    ExtractKey(index->def, reinterpret_cast<const uint8_t*>(record.image.data()), key);
    uint64_t entry = 0;
    if (!IsNullKey(index->def, key)) {
      if (!index->def.duplicates()) {
        const EntryRef equal = index->LowerBound(key, kStampBeforeAll);
        if (equal.valid() && index->Compare(index->At(equal).key(), key) == 0) {
          return BTR_STATUS_DUPLICATE_KEY;
        }
      }
      entry = stamp++;
      index->ReserveInsert();
      index->Insert(key, entry, address, &record, 0);
    }
    std::vector<uint64_t> entries;
    entries.reserve(record.entries.size() + 1);
    entries.insert(entries.end(), record.entries.begin(), record.entries.begin() + position);
    entries.push_back(entry);
    entries.insert(entries.end(), record.entries.begin() + position, record.entries.end());
    record_entries.push_back(std::move(entries));
  }
  file.indexes.reserve(file.indexes.size() + 1);
  out->index = std::move(index);
  out->position = position;
  out->record_entries = std::move(record_entries);
  return 0;
}

void InstallIndex(FileState& file, PreparedIndex* prepared) {
  std::size_t i = 0;
  for (auto& [address, record] : file.records) record.entries.swap(prepared->record_entries[i++]);
  file.next_stamp += prepared->index->size();
  file.next_index_id = std::max(file.next_index_id, prepared->index->id + 1);
  file.live_bytes += 8 * file.records.size();
  file.indexes.insert(file.indexes.begin() + static_cast<std::ptrdiff_t>(prepared->position),
                      std::move(prepared->index));
}

void DropIndex(FileState& file, std::size_t position) {
  for (auto& [address, record] : file.records) {
    record.entries.erase(record.entries.begin() + static_cast<std::ptrdiff_t>(position));
  }
  file.live_bytes -= std::min<uint64_t>(file.live_bytes, 8 * file.records.size());
  file.indexes.erase(file.indexes.begin() + static_cast<std::ptrdiff_t>(position));
}

}  // namespace vv::engine
