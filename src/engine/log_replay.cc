#include "engine/log_replay.h"

#include <algorithm>
#include <cstring>

#include "engine/byte_order.h"
#include "engine/file_log.h"
#include "engine/record_changes.h"
#include "veverave/btrieve.h"

namespace vv::engine {

namespace {

constexpr std::size_t kReadChunk = std::size_t{1} << 20;

// A window over the file for reading it front to back.
class LogWindow {
 public:
  LogWindow(platform::File* file, uint64_t size) : file_(file), size_(size) {}

  // At least min(n, bytes to the end) bytes from offset; *available says how
  // many the window holds. nullptr on a read error.
  const uint8_t* At(uint64_t offset, std::size_t n, std::size_t* available) {
    const uint64_t want_end = std::min<uint64_t>(size_, offset + n);
    if (offset < start_ || want_end > start_ + buf_.size()) {
      const std::size_t len = static_cast<std::size_t>(
          std::min<uint64_t>(size_ - offset, std::max<uint64_t>(n, kReadChunk)));
      buf_.resize(len);
      if (file_->ReadAt(offset, buf_.data(), len) != static_cast<int64_t>(len)) return nullptr;
      start_ = offset;
    }
    *available = static_cast<std::size_t>(start_ + buf_.size() - offset);
    return reinterpret_cast<const uint8_t*>(buf_.data()) + (offset - start_);
  }

 private:
  platform::File* file_;
  uint64_t size_;
  uint64_t start_ = 0;
  std::string buf_;
};

bool ImageFits(const FileState& file, std::size_t size) {
  return file.variable_length() ? size >= file.attrs.record_length
                                : size == file.attrs.record_length;
}

bool UniqueKeysFree(const FileState& file, const PreparedChange& c) {
  for (std::size_t i = 0; i < file.indexes.size(); ++i) {
    const KeyIndex& index = *file.indexes[i];
    if (c.keys.null(i) || index.def.duplicates()) continue;
    if (c.kind == RecordKind::kUpdate && !c.changed[i]) continue;
    if (CheckUnique(index, c.keys.key(i), 0, c.address) != UniqueCheck::kFree) {
      return false;
    }
  }
  return true;
}

// Applies one committed change of the log; false when it does not fit the
// state (damage).
bool ReplayChange(FileState& file, const Change& change, const std::vector<uint64_t>* stamps) {
  PreparedChange c;
  c.kind = change.kind;
  c.address = change.address;
  c.stamp = change.stamp;
  const auto it = file.records.find(change.address);
  if (change.kind == RecordKind::kInsert) {
    if (it != file.records.end() || !ImageFits(file, change.image_size)) return false;
    if (stamps != nullptr) c.key_stamps = *stamps;
    c.image.assign(reinterpret_cast<const char*>(change.image), change.image_size);
    PrepareInsert(file, &c);
  } else {
    if (it == file.records.end()) return false;
    if (change.kind == RecordKind::kUpdate) {
      if (!ImageFits(file, change.image_size)) return false;
      c.image.assign(reinterpret_cast<const char*>(change.image), change.image_size);
      PrepareUpdate(file, it->second, &c);
    } else {
      PrepareDelete(file, it->second, &c);
    }
  }
  if (c.kind != RecordKind::kDelete && !UniqueKeysFree(file, c)) return false;
  ApplyChange(file, &c);
  return true;
}

// A later definition: owner, collating sequences and keys as they are now.
bool ReplayDefinition(FileState& file, FileDefinition def) {
  if (def.attrs.record_length != file.attrs.record_length || def.acs.size() < file.acs.size()) {
    return false;
  }
  // Keys that are gone.
  for (std::size_t i = file.indexes.size(); i-- > 0;) {
    const uint32_t id = file.indexes[i]->id;
    if (std::none_of(def.keys.begin(), def.keys.end(),
                     [id](const DefinedKey& k) { return k.id == id; })) {
      DropIndex(file, i);
    }
  }
  file.attrs = def.attrs;
  file.acs = def.acs;
  // Keys that stay may have a new number; new keys are built.
  for (DefinedKey& k : def.keys) {
    const auto found = std::find_if(file.indexes.begin(), file.indexes.end(),
                                    [&](const auto& index) { return index->id == k.id; });
    if (found != file.indexes.end()) {
      (*found)->def.number = k.def.number;
      continue;
    }
    PreparedIndex prepared;
    if (PrepareIndex(file, k.id, std::move(k.def), &prepared) != 0) return false;
    InstallIndex(file, &prepared);
  }
  for (std::size_t i = 1; i < file.indexes.size(); ++i) {
    if (file.indexes[i]->def.number <= file.indexes[i - 1]->def.number) return false;
  }
  file.next_address = std::max(file.next_address, def.next_address);
  file.next_stamp = std::max(file.next_stamp, def.next_stamp);
  return true;
}

bool ReplaySnapshot(FileState& file, const uint8_t* p, std::size_t n) {
  ByteReader r(p, n);
  Change change;
  change.kind = RecordKind::kInsert;
  change.address = r.U32();
  const uint16_t count = r.U16();
  if (count != file.indexes.size()) return false;
  std::vector<uint64_t> stamps(count);
  for (uint64_t& s : stamps) s = r.U64();
  change.image_size = r.remaining();
  change.image = r.Bytes(change.image_size);
  if (!r.ok() || change.address == 0) return false;
  return ReplayChange(file, change, &stamps);
}

// Applies one record; false on damage.
bool ReplayRecord(std::unique_ptr<FileState>* state, RecordKind kind, const uint8_t* p,
                  std::size_t n) {
  if (kind == RecordKind::kDefinition) {
    FileDefinition def;
    if (!DecodeDefinition(p, n, &def)) return false;
    if (!*state) {
      *state = NewFileState(std::move(def));
      (*state)->live_bytes = kHeaderSize + kFrameHeaderSize + 1 + n;
      return true;
    }
    return ReplayDefinition(**state, std::move(def));
  }
  if (!*state) return false;  // the definition comes first
  FileState& file = **state;
  switch (kind) {
    case RecordKind::kInsert:
    case RecordKind::kUpdate:
    case RecordKind::kDelete: {
      Change change;
      return DecodeChange(kind, p, n, &change) && ReplayChange(file, change, nullptr);
    }
    case RecordKind::kBatch: {
      BatchReader batch(p, n);
      Change change;
      while (batch.Next(&change)) {
        if (!ReplayChange(file, change, nullptr)) return false;
      }
      return batch.ok();
    }
    case RecordKind::kAddressMark:
      if (n != 4) return false;
      file.next_address = std::max(file.next_address, LoadU32(p));
      return true;
    case RecordKind::kSnapshot:
      return ReplaySnapshot(file, p, n);
    default:
      return false;
  }
}

// Whether a whole, valid frame starts anywhere after the damaged frame at
// from: then the damage is not a write that a crash cut short (that can only
// be the last thing written), and the file must stay as it is. The damaged
// frame's own length may be what is wrong, so every later offset counts.
// *error on a read error.
bool ValidFrameFollows(platform::File* file, uint64_t from, uint64_t size, bool* error) {
  if (size - from > SIZE_MAX) {
    *error = true;
    return false;
  }
  std::string rest(static_cast<std::size_t>(size - from), '\0');
  if (file->ReadAt(from, rest.data(), rest.size()) != static_cast<int64_t>(rest.size())) {
    *error = true;
    return false;
  }
  const auto* p = reinterpret_cast<const uint8_t*>(rest.data());
  for (std::size_t at = 1; at + kFrameHeaderSize < rest.size(); ++at) {
    std::size_t frame_size = 0;
    RecordKind kind = RecordKind::kDefinition;
    const uint8_t* payload = nullptr;
    std::size_t payload_size = 0;
    if (CheckFrame(p + at, rest.size() - at, &frame_size, &kind, &payload, &payload_size) ==
        FrameCheck::kOk) {
      return true;
    }
  }
  return false;
}

}  // namespace

int16_t LoadFile(FileSystem* fs, const std::string& native_path, std::unique_ptr<FileState>* out) {
  if (!fs->FileExists(native_path)) return BTR_STATUS_FILE_NOT_FOUND;
  platform::FsResult error = platform::FsResult::kOk;
  bool writable = true;
  std::unique_ptr<platform::File> handle =
      fs->OpenFile(native_path, platform::OpenMode::kReadWrite, &error);
  if (!handle && error == platform::FsResult::kAccessDenied) {
    writable = false;
    handle = fs->OpenFile(native_path, platform::OpenMode::kRead, &error);
  }
  if (!handle) {
    if (error == platform::FsResult::kNotFound) return BTR_STATUS_FILE_NOT_FOUND;
    return error == platform::FsResult::kAccessDenied ? BTR_STATUS_ACCESS_DENIED
                                                      : BTR_STATUS_IO_ERROR;
  }
  if (!handle->LockRange(kProcessLockOffset, 1, false)) return BTR_STATUS_FILE_LOCKED;
  const std::optional<uint64_t> size = handle->Size();
  if (!size) return BTR_STATUS_IO_ERROR;

  uint8_t header[kHeaderSize] = {};
  const int64_t got = handle->ReadAt(0, header, kHeaderSize);
  if (got < 0) return BTR_STATUS_IO_ERROR;
  if (static_cast<std::size_t>(got) < kSignatureSize ||
      std::memcmp(header, kSignature, kSignatureSize) != 0) {
    return BTR_STATUS_NOT_A_BTRIEVE_FILE;
  }
  if (static_cast<std::size_t>(got) < kHeaderSize) return BTR_STATUS_IO_ERROR;
  HeaderSlot slot;
  int slot_index = 0;
  switch (DecodeHeader(header, &slot, &slot_index)) {
    case HeaderCheck::kNotOurs:
      return BTR_STATUS_NOT_A_BTRIEVE_FILE;
    case HeaderCheck::kDamaged:
      return BTR_STATUS_IO_ERROR;
    case HeaderCheck::kOk:
      break;
  }
  if (slot.durable_length < kHeaderSize || slot.durable_length > *size) {
    return BTR_STATUS_IO_ERROR;  // cut short: bytes once synced are missing
  }

  std::unique_ptr<FileState> state;
  LogWindow window(handle.get(), *size);
  uint64_t offset = kHeaderSize;
  while (offset < *size) {
    std::size_t available = 0;
    const uint8_t* p = window.At(offset, kFrameHeaderSize, &available);
    if (p == nullptr) return BTR_STATUS_IO_ERROR;
    // Ask for the whole frame once its length is known.
    if (available >= kFrameHeaderSize) {
      p = window.At(offset, kFrameHeaderSize + LoadU32(p), &available);
      if (p == nullptr) return BTR_STATUS_IO_ERROR;
    }
    std::size_t frame_size = 0;
    RecordKind kind = RecordKind::kDefinition;
    const uint8_t* payload = nullptr;
    std::size_t payload_size = 0;
    const FrameCheck check = CheckFrame(p, available, &frame_size, &kind, &payload, &payload_size);
    if (check != FrameCheck::kOk) {
      // Only what was written after the last sync can be torn, and only its
      // last record: damage below the durable mark, or followed by a valid
      // record, is not a torn write.
      if (offset < slot.durable_length) return BTR_STATUS_IO_ERROR;
      bool read_error = false;
      if (ValidFrameFollows(handle.get(), offset, *size, &read_error) || read_error) {
        return BTR_STATUS_IO_ERROR;
      }
      break;
    }
    if (!ReplayRecord(&state, kind, payload, payload_size)) return BTR_STATUS_IO_ERROR;
    offset += frame_size;
  }
  if (!state || offset < slot.durable_length) return BTR_STATUS_IO_ERROR;
  if (offset < *size && writable && !handle->Truncate(offset)) return BTR_STATUS_IO_ERROR;

  state->native_path = native_path;
  state->file = std::move(handle);
  state->writable = writable;
  state->log_size = offset;
  state->opened_size = offset < *size ? 0 : offset;  // a cut tail is worth a clean mark
  state->header = slot;
  state->header_slot = slot_index;
  // A compaction that died before its rename leaves its copy behind.
  if (writable && fs->FileExists(CompactionTempPath(native_path))) {
    fs->DeleteFile(CompactionTempPath(native_path));
  }
  *out = std::move(state);
  return 0;
}

}  // namespace vv::engine
