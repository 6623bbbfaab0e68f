#include "engine/log_convert.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "engine/byte_order.h"
#include "engine/file_create.h"
#include "engine/file_state.h"
#include "engine/log_format.h"
#include "engine/record_changes.h"
#include "veverave/btrieve.h"

namespace vv::engine {

namespace {

// Records converted per store write.
constexpr std::size_t kRecordsPerWrite = 20000;

struct OldRecord {
  std::string image;
  std::map<uint32_t, uint64_t> stamps;  // by index id; 0: left out of the key
};

// The state the old log describes, as replay builds it.
class OldLog {
 public:
  bool Apply(RecordKind kind, const uint8_t* p, std::size_t n);
  bool has_definition() const { return has_def_; }

  FileDefinition def;
  std::map<uint32_t, OldRecord> records;

 private:
  uint64_t StampOf(const KeyDef& key, const std::string& image, uint64_t stamp) const {
    uint8_t k[BTR_MAX_KEY_SIZE];
    ExtractKey(key, reinterpret_cast<const uint8_t*>(image.data()), k);
    return IsNullKey(key, k) ? 0 : stamp;
  }
  bool Change(const Change& c, const std::vector<uint64_t>* stamps);
  bool Definition(FileDefinition next);

  bool has_def_ = false;
};

bool OldLog::Change(const vv::engine::Change& c, const std::vector<uint64_t>* stamps) {
  const auto it = records.find(c.address);
  def.next_stamp = std::max(def.next_stamp, c.stamp + 1);
  def.next_address = std::max(def.next_address, c.address + 1);
  if (c.kind == RecordKind::kDelete) {
    if (it == records.end()) return false;
    records.erase(it);
    return true;
  }
  std::string image(reinterpret_cast<const char*>(c.image), c.image_size);
  if (image.size() < def.attrs.record_length) return false;
  if (c.kind == RecordKind::kInsert) {
    if (it != records.end()) return false;
    OldRecord r;
    for (std::size_t i = 0; i < def.keys.size(); ++i) {
      const uint64_t s =
          stamps != nullptr ? (*stamps)[i] : StampOf(def.keys[i].def, image, c.stamp);
      r.stamps[def.keys[i].id] = s;
      def.next_stamp = std::max(def.next_stamp, s + 1);
    }
    r.image = std::move(image);
    records.emplace(c.address, std::move(r));
    return true;
  }
  if (it == records.end()) return false;
  // An entry keeps its stamp while its key keeps its value.
  OldRecord& r = it->second;
  for (const DefinedKey& k : def.keys) {
    uint8_t before[BTR_MAX_KEY_SIZE];
    uint8_t after[BTR_MAX_KEY_SIZE];
    ExtractKey(k.def, reinterpret_cast<const uint8_t*>(r.image.data()), before);
    ExtractKey(k.def, reinterpret_cast<const uint8_t*>(image.data()), after);
    const bool had = r.stamps[k.id] != 0;
    const bool has = !IsNullKey(k.def, after);
    if (had != has || std::memcmp(before, after, k.def.length()) != 0) {
      r.stamps[k.id] = has ? c.stamp : 0;
    }
  }
  r.image = std::move(image);
  return true;
}

bool OldLog::Definition(FileDefinition next) {
  if (!has_def_) {
    def = std::move(next);
    has_def_ = true;
    return true;
  }
  if (next.attrs.record_length != def.attrs.record_length) return false;
  // New keys get stamps in address order, as the old engine built them.
  for (const DefinedKey& k : next.keys) {
    const bool known = std::any_of(def.keys.begin(), def.keys.end(),
                                   [&](const DefinedKey& d) { return d.id == k.id; });
    if (known) continue;
    for (auto& [address, r] : records) {
      const uint64_t s = StampOf(k.def, r.image, def.next_stamp);
      r.stamps[k.id] = s;
      if (s != 0) ++def.next_stamp;
    }
  }
  next.next_address = std::max(next.next_address, def.next_address);
  next.next_stamp = std::max(next.next_stamp, def.next_stamp);
  def = std::move(next);
  return true;
}

bool OldLog::Apply(RecordKind kind, const uint8_t* p, std::size_t n) {
  if (kind == RecordKind::kDefinition) {
    FileDefinition next;
    return DecodeDefinition(p, n, &next) && Definition(std::move(next));
  }
  if (!has_def_) return false;
  switch (kind) {
    case RecordKind::kInsert:
    case RecordKind::kUpdate:
    case RecordKind::kDelete: {
      vv::engine::Change c;
      return DecodeChange(kind, p, n, &c) && Change(c, nullptr);
    }
    case RecordKind::kBatch: {
      BatchReader batch(p, n);
      vv::engine::Change c;
      while (batch.Next(&c)) {
        if (!Change(c, nullptr)) return false;
      }
      return batch.ok();
    }
    case RecordKind::kAddressMark:
      if (n != 4) return false;
      def.next_address = std::max(def.next_address, LoadU32(p));
      return true;
    case RecordKind::kSnapshot: {
      ByteReader r(p, n);
      vv::engine::Change c;
      c.kind = RecordKind::kInsert;
      c.address = r.U32();
      const uint16_t count = r.U16();
      if (count != def.keys.size()) return false;
      std::vector<uint64_t> stamps(count);
      for (uint64_t& s : stamps) s = r.U64();
      c.image_size = r.remaining();
      c.image = r.Bytes(c.image_size);
      return r.ok() && c.address != 0 && Change(c, &stamps);
    }
    default:
      return false;
  }
}

// Replays the old file's bytes; 0 or 2.
int16_t ReplayOld(const std::string& bytes, OldLog* log) {
  const auto* base = reinterpret_cast<const uint8_t*>(bytes.data());
  if (bytes.size() < kHeaderSize) return BTR_STATUS_IO_ERROR;
  HeaderSlot slot;
  int slot_index = 0;
  if (DecodeHeader(base, &slot, &slot_index) != HeaderCheck::kOk ||
      slot.durable_length > bytes.size()) {
    return BTR_STATUS_IO_ERROR;
  }
  std::size_t offset = kHeaderSize;
  while (offset < bytes.size()) {
    std::size_t frame_size = 0;
    RecordKind kind = RecordKind::kDefinition;
    const uint8_t* payload = nullptr;
    std::size_t payload_size = 0;
    if (CheckFrame(base + offset, bytes.size() - offset, &frame_size, &kind, &payload,
                   &payload_size) != FrameCheck::kOk) {
      // Only a last write after the durable mark can be torn.
      if (offset < slot.durable_length) return BTR_STATUS_IO_ERROR;
      for (std::size_t at = offset + 1; at + kFrameHeaderSize < bytes.size(); ++at) {
        if (CheckFrame(base + at, bytes.size() - at, &frame_size, &kind, &payload, &payload_size) ==
            FrameCheck::kOk) {
          return BTR_STATUS_IO_ERROR;
        }
      }
      break;
    }
    if (!log->Apply(kind, payload, payload_size)) return BTR_STATUS_IO_ERROR;
    offset += frame_size;
  }
  return log->has_definition() && offset >= slot.durable_length ? 0 : BTR_STATUS_IO_ERROR;
}

// Fills the new file with the old records.
int16_t FillNew(FileSystem* fs, PageCache* cache, const std::string& temp, const OldLog& log) {
  std::unique_ptr<FileState> file;
  if (const int16_t s = LoadFile(fs, cache, temp, &file); s != 0) return s;
  auto it = log.records.begin();
  while (it != log.records.end()) {
    const int16_t s = StoreWrite(*file, true, [&] {
      for (std::size_t n = 0; n < kRecordsPerWrite && it != log.records.end(); ++n, ++it) {
        StoredRecord r;
        r.image = it->second.image;
        for (const auto& index : file->indexes) r.stamps.push_back(it->second.stamps.at(index->id));
        const uint32_t leaf = file->store->WriteRecord(it->first, r, true);
        for (std::size_t i = 0; i < file->indexes.size(); ++i) {
          if (r.stamps[i] == 0) continue;
          const KeyIndex& index = *file->indexes[i];
          uint8_t key[BTR_MAX_KEY_SIZE];
          ExtractKey(index.def, reinterpret_cast<const uint8_t*>(r.image.data()), key);
          PutEntry(*file->indexes[i], key, r.stamps[i], it->first, leaf);
        }
        ++file->header().committed_count;
      }
      return int16_t{0};
    });
    if (s != 0) return s;
  }
  file->store->pager().CloseClean();
  return file->store->pager().log_size() == 0 || !fs->FileExists(LogPath(temp))
             ? 0
             : BTR_STATUS_IO_ERROR;
}

}  // namespace

int16_t ConvertLogFile(FileSystem* fs, PageCache* cache, const std::string& path,
                       std::unique_ptr<platform::File> old) {
  const std::optional<uint64_t> size = old->Size();
  if (!size || *size > SIZE_MAX) return BTR_STATUS_IO_ERROR;
  std::string bytes(static_cast<std::size_t>(*size), '\0');
  if (old->ReadAt(0, bytes.data(), bytes.size()) != static_cast<int64_t>(bytes.size())) {
    return BTR_STATUS_IO_ERROR;
  }
  OldLog log;
  if (const int16_t s = ReplayOld(bytes, &log); s != 0) return s;
  bytes.clear();
  bytes.shrink_to_fit();
  const std::string temp = path + ".vvconvert";
  fs->DeleteFile(LogPath(temp));
  int16_t status = WriteFileAtomically(fs, temp, NewStoreImage(log.def, NewSalt(&log)), true);
  if (status == 0) status = FillNew(fs, cache, temp, log);
  if (status != 0) {
    fs->DeleteFile(temp);
    fs->DeleteFile(LogPath(temp));
    return status == BTR_STATUS_CREATE_IO_ERROR ? int16_t{BTR_STATUS_IO_ERROR} : status;
  }
  old.reset();  // the lock goes with it; the new file takes the old one's place
  if (fs->ReplaceFile(temp, path) != platform::FsResult::kOk) {
    fs->DeleteFile(temp);
    return BTR_STATUS_IO_ERROR;
  }
  return 0;
}

}  // namespace vv::engine
