// The record commands: -load inserts the records of a sequential file,
// -save writes a file's records to one.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "vvbutil/btrieve_names.h"
#include "vvbutil/command_support.h"
#include "vvbutil/record_walk.h"
#include "vvbutil/seq_file.h"

namespace vv::butil {
namespace {

// Load and copy report the first failed records one by one, then only count
// them.
constexpr uint64_t kMaxReportedFailures = 10;

}  // namespace

void Inserter::Insert(std::string& record, uint64_t number) {
  uint32_t len = static_cast<uint32_t>(record.size());
  char key[BTR_MAX_KEY_SIZE + 1] = {};
  const int16_t status =
      file_.Call(BTR_INSERT, record.data(), &len, key, BTR_MAX_KEY_SIZE, BTR_KEY_NONE);
  if (status == BTR_STATUS_SUCCESS) {
    ++inserted_;
  } else if (++failed_ <= kMaxReportedFailures) {
    FailStatus(err_, status, "insert of record " + std::to_string(number));
  }
}

void Inserter::Finish() {
  if (failed_ > kMaxReportedFailures) {
    Fail(err_, std::to_string(failed_ - kMaxReportedFailures) + " more records failed");
  }
}

int Inserter::ExitCode(bool readAll) const {
  if (failed_ == 0 && readAll) return kExitOk;
  return inserted_ > 0 ? kExitPartial : kExitIncomplete;
}

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
  Inserter inserter(file, err);
  std::string record;
  SeqReader::Result result;
  while ((result = reader.Next(&record)) == SeqReader::Result::kRecord) {
    inserter.Insert(record, reader.count());
  }
  inserter.Finish();
  if (result == SeqReader::Result::kError) Fail(err, c.other + ": " + reader.error());
  std::fprintf(out, "vvbutil: %s inserted into %s, %llu failed.\n",
               RecordCount(inserter.inserted()).c_str(), c.file.c_str(),
               static_cast<unsigned long long>(inserter.failed()));
  return inserter.ExitCode(result == SeqReader::Result::kEnd);
}

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
    if (info.file.key_count == 0) key = kPhysicalOrder;
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
    std::fprintf(out, "vvbutil: %s saved to %s before the failure.\n", RecordCount(saved).c_str(),
                 c.other.c_str());
    return kExitIncomplete;
  }
  std::fprintf(out, "vvbutil: %s saved to %s.\n", RecordCount(saved).c_str(), c.other.c_str());
  return kExitOk;
}

}  // namespace vv::butil
