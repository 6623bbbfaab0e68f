// The record commands: -load inserts the records of a sequential file,
// -save writes a file's records to one.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "vvbutil/btrieve_names.h"
#include "vvbutil/command_support.h"
#include "vvbutil/seq_file.h"

namespace vv::butil {
namespace {

// Load reports the first failed records one by one, then only counts them.
constexpr uint64_t kMaxReportedFailures = 10;
// Save starts with room for this much of a record and grows on demand.
constexpr std::size_t kRecordBufferStart = 64 * 1024;
constexpr std::size_t kRecordBufferMax = std::size_t{64} << 20;
constexpr std::size_t kWriteChunk = 256 * 1024;

// "1 record", "2 records".
std::string Records(uint64_t n) {
  return std::to_string(n) + (n == 1 ? " record" : " records");
}

}  // namespace

int RunLoad(const CommandLine& c, Client& client, std::FILE* out, std::FILE* err) {
  std::unique_ptr<platform::File> seq = platform::OpenFile(c.other, platform::OpenMode::kRead);
  if (!seq) return Fail(err, "cannot open the sequential file " + c.other);
  OpenFile file(client);
  if (!OpenForCommand(file, c, BTR_OPEN_NORMAL, err)) return kExitIncomplete;

  uint64_t offset = 0;
  SeqReader reader([&seq, &offset](void* buf, std::size_t n) {
    const int64_t got = seq->ReadAt(offset, buf, n);
    if (got > 0) offset += static_cast<uint64_t>(got);
    return got;
  });
  uint64_t inserted = 0;
  uint64_t failed = 0;
  std::string record;
  char key[BTR_MAX_KEY_SIZE + 1] = {};
  SeqReader::Result result;
  while ((result = reader.Next(&record)) == SeqReader::Result::kRecord) {
    uint32_t len = static_cast<uint32_t>(record.size());
    const int16_t status =
        file.Call(BTR_INSERT, record.data(), &len, key, BTR_MAX_KEY_SIZE, BTR_KEY_NONE);
    if (status == BTR_STATUS_SUCCESS) {
      ++inserted;
      continue;
    }
    if (++failed <= kMaxReportedFailures) {
      FailStatus(err, status, "insert of record " + std::to_string(reader.count()));
    }
  }
  if (failed > kMaxReportedFailures) {
    Fail(err, std::to_string(failed - kMaxReportedFailures) + " more records failed");
  }
  if (result == SeqReader::Result::kError) Fail(err, c.other + ": " + reader.error());
  std::fprintf(out, "vvbutil: %s inserted into %s, %llu failed.\n", Records(inserted).c_str(),
               c.file.c_str(), static_cast<unsigned long long>(failed));
  if (failed == 0 && result == SeqReader::Result::kEnd) return kExitOk;
  return inserted > 0 ? kExitPartial : kExitIncomplete;
}

namespace {

// Writes the sequential file in chunks.
class SeqWriter {
 public:
  explicit SeqWriter(std::unique_ptr<platform::File> file) : file_(std::move(file)) {}
  bool Add(std::string_view record) {
    AppendSeqRecord(record, &pending_);
    return pending_.size() < kWriteChunk || Flush();
  }
  bool Flush() {
    const bool ok = file_->Append(pending_.data(), pending_.size());
    pending_.clear();
    return ok;
  }

 private:
  std::unique_ptr<platform::File> file_;
  std::string pending_;
};

// One walk over the records, by a key or (key -1) in physical order.
class RecordWalk {
 public:
  RecordWalk(OpenFile& file, int key) : file_(file), key_(key), buf_(kRecordBufferStart) {}

  // The first or next record into record(); a status, 9 at the end.
  int16_t Next() {
    const uint16_t op = first_ ? (key_ < 0 ? BTR_STEP_FIRST : BTR_GET_FIRST)
                               : (key_ < 0 ? BTR_STEP_NEXT : BTR_GET_NEXT);
    first_ = false;
    int16_t status = Read(op);
    // A record longer than the buffer: grow it and read the same record again
    // by its address, which also puts the walk back on it.
    while (status == BTR_STATUS_DATA_BUFFER_TOO_SHORT && buf_.size() < kRecordBufferMax) {
      uint8_t address[4] = {};
      uint32_t len = sizeof address;
      status = file_.Call(BTR_GET_POSITION, address, &len, key_buf_, BTR_MAX_KEY_SIZE, 0);
      if (status != BTR_STATUS_SUCCESS) return status;
      buf_.resize(buf_.size() * 4);
      std::copy(address, address + 4, buf_.begin());
      status = Read(BTR_GET_DIRECT);
    }
    return status;
  }

  std::string_view record() const {
    return std::string_view(reinterpret_cast<const char*>(buf_.data()), length_);
  }

 private:
  int16_t Read(uint16_t op) {
    uint32_t len = static_cast<uint32_t>(buf_.size());
    const int16_t status =
        file_.Call(op, buf_.data(), &len, key_buf_, BTR_MAX_KEY_SIZE, static_cast<int8_t>(key_));
    length_ = len < buf_.size() ? len : buf_.size();
    return status;
  }

  OpenFile& file_;
  int key_;
  std::vector<uint8_t> buf_;
  std::size_t length_ = 0;
  char key_buf_[BTR_MAX_KEY_SIZE + 1] = {};
  bool first_ = true;
};

}  // namespace

int RunSave(const CommandLine& c, Client& client, std::FILE* out, std::FILE* err) {
  OpenFile file(client);
  if (!OpenForCommand(file, c, BTR_OPEN_READ_ONLY, err)) return kExitIncomplete;
  int key = c.key.value_or(0);
  if (!c.key) {
    // Without a key number: key 0, or physical order in a file without keys.
    StatInfo info;
    std::string error;
    const int16_t status = StatFile(file, &info, &error);
    if (status != BTR_STATUS_SUCCESS) {
      return error.empty() ? FailStatus(err, status, "stat " + c.file) : Fail(err, error);
    }
    if (info.file.key_count == 0) key = -1;
  }
  std::unique_ptr<platform::File> seq =
      platform::OpenFile(c.other, platform::OpenMode::kCreateTruncate);
  if (!seq) return Fail(err, "cannot create the sequential file " + c.other);
  SeqWriter writer(std::move(seq));

  RecordWalk walk(file, key);
  uint64_t saved = 0;
  int16_t status;
  while ((status = walk.Next()) == BTR_STATUS_SUCCESS) {
    if (!writer.Add(walk.record())) return Fail(err, "cannot write the sequential file " + c.other);
    ++saved;
  }
  if (!writer.Flush()) return Fail(err, "cannot write the sequential file " + c.other);
  if (status != BTR_STATUS_END_OF_FILE) {
    FailStatus(err, status, "read of record " + std::to_string(saved + 1) + " of " + c.file);
    std::fprintf(out, "vvbutil: %s saved to %s before the failure.\n", Records(saved).c_str(),
                 c.other.c_str());
    return kExitIncomplete;
  }
  std::fprintf(out, "vvbutil: %s saved to %s.\n", Records(saved).c_str(), c.other.c_str());
  return kExitOk;
}

}  // namespace vv::butil
