// -recover FILE SEQFILE: every record of a damaged file that can still be
// read, written to a sequential file that -load takes back.
//
// The physical order is walked from its first record forward; when that
// walk reaches its end, it has read every record. When it stops on an
// error, the records beyond the damage are looked for from the other side:
// the physical order from its last record backward, then every key from
// both of its ends, each walk going as far as it can. A record is written
// once, however many walks read it (records are told apart by their
// address). Exit codes: 0 when the first walk read the whole file, 1 when
// some records could not be read (the summary says how many the file
// counts), 2 when none could be read at all or the sequential file cannot
// be written.
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/platform.h"
#include "vvbutil/command_support.h"
#include "vvbutil/key_order.h"
#include "vvbutil/record_walk.h"
#include "vvbutil/seq_file.h"

namespace vv::butil {
namespace {

struct Walk {
  int key;
  RecordWalk::Direction direction;
};

std::string WalkText(const Walk& w) {
  const bool forward = w.direction == RecordWalk::Direction::kForward;
  if (w.key == kPhysicalOrder) return forward ? "physical order" : "physical order backward";
  return "key " + std::to_string(w.key) + (forward ? "" : " backward");
}

}  // namespace

int RunRecover(const CommandLine& c, Client& client, std::FILE* out, std::FILE* err) {
  OpenFile file(client);
  if (!OpenForCommand(file, c, BTR_OPEN_READ_ONLY, err)) return kExitIncomplete;
  // The keys give more ways to the records; without a Stat answer the
  // physical order is all there is.
  StatInfo info;
  std::string error;
  const bool stat = StatFile(file, &info, &error) == BTR_STATUS_SUCCESS;

  std::unique_ptr<platform::File> seq =
      platform::OpenFile(c.other, platform::OpenMode::kCreateTruncate);
  if (!seq) return Fail(err, "cannot create the sequential file " + c.other);
  SeqWriter writer(std::move(seq));

  std::vector<Walk> walks = {{kPhysicalOrder, RecordWalk::Direction::kForward},
                             {kPhysicalOrder, RecordWalk::Direction::kBackward}};
  if (stat) {
    for (const FileKey& key : KeysOfFile(info)) {
      walks.push_back({key.number, RecordWalk::Direction::kForward});
      walks.push_back({key.number, RecordWalk::Direction::kBackward});
    }
  }
  std::unordered_set<uint32_t> written;
  bool whole = false;
  for (const Walk& w : walks) {
    RecordWalk walk(file, w.key, w.direction);
    int16_t status;
    while ((status = walk.Next()) == BTR_STATUS_SUCCESS) {
      uint32_t address = 0;
      status = walk.Address(&address);
      if (status != BTR_STATUS_SUCCESS) break;
      if (!written.insert(address).second) continue;
      if (!writer.Add(walk.record()))
        return Fail(err, "cannot write the sequential file " + c.other);
    }
    if (status == BTR_STATUS_END_OF_FILE && &w == &walks[0]) {
      whole = true;
      break;
    }
    if (status != BTR_STATUS_END_OF_FILE) {
      FailStatus(err, status, WalkText(w) + ", after " + RecordCount(walk.count()));
    }
  }
  if (!writer.Flush()) return Fail(err, "cannot write the sequential file " + c.other);
  const uint64_t recovered = written.size();
  std::fprintf(out, "vvbutil: %s recovered from %s to %s", RecordCount(recovered).c_str(),
               c.file.c_str(), c.other.c_str());
  if (!whole && stat && info.file.record_count > recovered) {
    std::fprintf(out, "; %llu of the %s the file counts could not be read",
                 static_cast<unsigned long long>(info.file.record_count - recovered),
                 RecordCount(info.file.record_count).c_str());
  }
  std::fprintf(out, ".\n");
  if (whole) return kExitOk;
  return recovered > 0 ? kExitPartial : kExitIncomplete;
}

}  // namespace vv::butil
