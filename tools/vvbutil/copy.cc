// -clone makes an empty file with the definition of another; -copy inserts
// the records of one file into another.
#include <string>

#include "vvbutil/command_support.h"
#include "vvbutil/key_order.h"
#include "vvbutil/record_walk.h"

namespace vv::butil {
namespace {

// Opens path read-only with the command's owner name.
bool OpenSource(OpenFile& file, const CommandLine& c, const std::string& path, std::FILE* err) {
  CommandLine source = c;
  source.file = path;
  return OpenForCommand(file, source, BTR_OPEN_READ_ONLY, err);
}

// Whether the keys carry the numbers 0, 1, 2 ... in order, as a Create
// numbers them; otherwise the clone asks Create to keep the numbers the
// key definitions carry.
bool NumberedInOrder(const StatInfo& info) {
  int expected = 0;
  for (const FileKey& key : KeysOfFile(info)) {
    if (key.number != expected++) return false;
  }
  return true;
}

}  // namespace

// -clone NEWFILE FILE: the new file gets FILE's record length, page size,
// file flags, keys (with their numbers) and collating sequences, and no
// records. The owner name cannot be read from a file, so the new file has
// none (-setowner gives it one). An existing NEWFILE is not replaced.
int RunClone(const CommandLine& c, Client& client, std::FILE* out, std::FILE* err) {
  StatInfo info;
  {
    OpenFile source(client);
    if (!OpenSource(source, c, c.other, err)) return kExitIncomplete;
    std::string error;
    const int16_t status = StatFile(source, &info, &error);
    if (status != BTR_STATUS_SUCCESS) {
      return error.empty() ? FailStatus(err, status, "stat " + c.other) : Fail(err, error);
    }
  }
  if (!FitsKeyBuffer(c.file)) return Fail(err, "file name too long: " + c.file);
  FileLayout layout = info.file;
  layout.record_count = 0;
  layout.file_version = 0;
  if (!NumberedInOrder(info)) layout.flags |= BTR_FILE_KEY_NUMBERS;
  for (SegmentLayout& s : info.segments) s.unique_count = 0;
  std::string buffer = EncodeCreate(layout, info.segments, info.acs);
  uint32_t len = static_cast<uint32_t>(buffer.size());
  std::string key = c.file;
  key.push_back('\0');
  uint8_t pos[BTR_POS_BLOCK_SIZE] = {};
  const int16_t status = client.Call(BTR_CREATE, pos, buffer.data(), &len, key.data(),
                                     static_cast<uint8_t>(key.size()), BTR_CREATE_NO_REPLACE);
  if (status != BTR_STATUS_SUCCESS) return FailStatus(err, status, "create " + c.file);
  std::fprintf(out, "vvbutil: %s created with the definition of %s (%d key%s).\n", c.file.c_str(),
               c.other.c_str(), layout.key_count, layout.key_count == 1 ? "" : "s");
  return kExitOk;
}

// -copy FILE OTHERFILE: every record of FILE, in physical order, inserted
// into the existing OTHERFILE, whose own keys apply (a record that violates
// one of them is reported and left out). Exit codes as for -load.
int RunCopy(const CommandLine& c, Client& client, std::FILE* out, std::FILE* err) {
  OpenFile source(client);
  if (!OpenSource(source, c, c.file, err)) return kExitIncomplete;
  OpenFile target(client);
  const int16_t opened = target.Open(c.other, "", BTR_OPEN_NORMAL);
  if (opened != BTR_STATUS_SUCCESS) return FailStatus(err, opened, "open " + c.other);

  Inserter inserter(target, err);
  RecordWalk walk(source, kPhysicalOrder);
  std::string record;
  int16_t status;
  while ((status = walk.Next()) == BTR_STATUS_SUCCESS) {
    record.assign(walk.record());
    inserter.Insert(record, walk.count());
  }
  inserter.Finish();
  const bool readAll = status == BTR_STATUS_END_OF_FILE;
  if (!readAll) {
    FailStatus(err, status, "read of record " + std::to_string(walk.count() + 1) + " of " + c.file);
  }
  std::fprintf(out, "vvbutil: %s copied from %s to %s, %llu failed.\n",
               RecordCount(inserter.inserted()).c_str(), c.file.c_str(), c.other.c_str(),
               static_cast<unsigned long long>(inserter.failed()));
  return inserter.ExitCode(readAll);
}

}  // namespace vv::butil
