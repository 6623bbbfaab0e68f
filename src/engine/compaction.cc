#include "engine/compaction.h"

#include <new>

#include "engine/byte_order.h"
#include "engine/file_log.h"
#include "engine/log_format.h"

namespace vv::engine {

namespace {

constexpr std::size_t kWriteChunk = std::size_t{1} << 20;

// Writes the compacted image to out; false on an I/O error.
bool WriteCopy(const FileState& file, platform::File* out, uint64_t* size) {
  std::string chunk;
  chunk.reserve(kWriteChunk + 4096);
  uint64_t offset = kHeaderSize;
  const std::string def = EncodeDefinition(file.Definition());
  AppendFrame(&chunk, RecordKind::kDefinition, def.data(), def.size());
  for (const auto& [address, record] : file.records) {
    const std::size_t start = BeginFrame(&chunk, RecordKind::kSnapshot);
    PutU32(&chunk, address);
    PutU16(&chunk, static_cast<uint16_t>(record.entries.size()));
    // 0 for a key the record is left out of.
    for (const uint64_t stamp : record.entries) PutU64(&chunk, stamp);
    PutBytes(&chunk, record.image.data(), record.image.size());
    EndFrame(&chunk, start);
    if (chunk.size() >= kWriteChunk) {
      if (!out->WriteAt(offset, chunk.data(), chunk.size())) return false;
      offset += chunk.size();
      chunk.clear();
    }
  }
  if (!out->WriteAt(offset, chunk.data(), chunk.size())) return false;
  offset += chunk.size();
  HeaderSlot slot;
  slot.sequence = 1;
  slot.durable_length = offset;
  const std::string header = EncodeHeader(slot);
  if (!out->WriteAt(0, header.data(), header.size()) || !out->Sync()) return false;
  *size = offset;
  return true;
}

}  // namespace

bool ShouldCompact(const FileState& file) {
  return file.writable && !file.poisoned && file.pending_records == 0 &&
         file.log_size > kCompactMinBytes && file.log_size / 2 > file.live_bytes &&
         file.log_size > file.compaction_retry_size;
}

bool Compact(FileSystem* fs, FileState& file) {
  const std::string temp = CompactionTempPath(file.native_path);
  try {
    std::unique_ptr<platform::File> out =
        fs->OpenFile(temp, platform::OpenMode::kReadWriteCreate, nullptr);
    if (!out) return false;
    uint64_t size = 0;
    if (!out->LockRange(kProcessLockOffset, 1, false) || !out->Truncate(0) ||
        !WriteCopy(file, out.get(), &size) ||
        fs->ReplaceFile(temp, file.native_path) != platform::FsResult::kOk) {
      out.reset();
      fs->DeleteFile(temp);
      return false;
    }
    file.file = std::move(out);
    file.log_size = size;
    file.header.sequence = 1;
    file.header.durable_length = size;
    file.header_slot = 0;
    file.mark_synced = true;
    return true;
  } catch (const std::bad_alloc&) {
    fs->DeleteFile(temp);
    return false;
  }
}

void MaybeCompact(FileSystem* fs, FileState& file) {
  // A copy that failed is tried again only once the log has doubled, so a
  // system that refuses the rename does not pay for a copy on every change.
  if (ShouldCompact(file) && !Compact(fs, file)) file.compaction_retry_size = 2 * file.log_size;
}

}  // namespace vv::engine
