#include "vvbutil/file_check.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "vvbutil/btrieve_names.h"
#include "vvbutil/key_order.h"
#include "vvbutil/record_walk.h"

namespace vv::butil {
namespace {

std::string Rec(uint32_t address) {
  return "record " + std::to_string(address);
}

// Problem lines of one walk, at most kProblemLinesPerWalk of them.
class WalkReport {
 public:
  WalkReport(std::string name, const ProblemFn& problem, uint64_t* total)
      : name_(std::move(name)), problem_(problem), total_(total) {}
  ~WalkReport() {
    if (count_ > kProblemLinesPerWalk) {
      problem_(name_ + ": " + std::to_string(count_ - kProblemLinesPerWalk) + " more problems");
    }
  }
  WalkReport(const WalkReport&) = delete;
  WalkReport& operator=(const WalkReport&) = delete;

  void Add(const std::string& what) {
    ++*total_;
    if (++count_ <= kProblemLinesPerWalk) problem_(name_ + ": " + what);
  }

 private:
  std::string name_;
  const ProblemFn& problem_;
  uint64_t* total_;
  uint64_t count_ = 0;
};

// The records of the physical walk, found by address.
class PhysicalRecords {
 public:
  void Add(uint32_t address) { byAddress_.push_back({address, byAddress_.size()}); }
  // Sorts; the addresses that occur more than once.
  std::vector<uint32_t> Finish() {
    std::sort(byAddress_.begin(), byAddress_.end());
    std::vector<uint32_t> repeated;
    for (std::size_t i = 1; i < byAddress_.size(); ++i) {
      if (byAddress_[i].first == byAddress_[i - 1].first) repeated.push_back(byAddress_[i].first);
    }
    return repeated;
  }
  // The position of the record in the walk; false when it is not there.
  bool Find(uint32_t address, std::size_t* index) const {
    const auto it = std::lower_bound(byAddress_.begin(), byAddress_.end(),
                                     std::pair<uint32_t, std::size_t>{address, 0});
    if (it == byAddress_.end() || it->first != address) return false;
    *index = it->second;
    return true;
  }
  std::size_t size() const { return byAddress_.size(); }
  uint32_t address(std::size_t index) const { return addresses_[index]; }
  void Keep(uint32_t address) { addresses_.push_back(address); }

 private:
  std::vector<std::pair<uint32_t, std::size_t>> byAddress_;
  std::vector<uint32_t> addresses_;  // in walk order
};

struct KeyCheck {
  const FileKey& key;
  const std::vector<AcsBlock>& acs;
  const std::vector<bool>& belongs;  // per physical record: the key should hold it
  const PhysicalRecords* physical;   // null when the physical walk did not finish
};

void CheckKey(OpenFile& file, const KeyCheck& c, WalkReport& report) {
  RecordWalk walk(file, c.key.number);
  std::vector<bool> seen(c.physical != nullptr ? c.physical->size() : 0);
  std::string previous;
  std::string value;
  std::string fromRecord;
  int16_t status;
  while ((status = walk.Next()) == BTR_STATUS_SUCCESS) {
    const std::string entry = "entry " + std::to_string(walk.count());
    uint32_t address = 0;
    status = walk.Address(&address);
    if (status != BTR_STATUS_SUCCESS) break;
    const bool readable = KeyOfRecord(c.key, walk.record(), &fromRecord);
    if (!readable)
      report.Add(entry + " (" + Rec(address) + "): the record is too short for the key");
    const std::string_view buffer = walk.key_buffer();
    value = buffer.empty() ? fromRecord : std::string(buffer.substr(0, c.key.length()));
    if (readable && value != fromRecord) {
      report.Add(entry + " (" + Rec(address) + ") holds a value its record does not have");
    }
    if (walk.count() > 1) {
      const int order = CompareKeyValues(c.key, previous, value, c.acs);
      if (order > 0) {
        report.Add(entry + " (" + Rec(address) + ") is out of order");
      } else if (order == 0 && !c.key.duplicates()) {
        report.Add(entry + " (" + Rec(address) +
                   ") repeats the value before it in a key without duplicates");
      }
    }
    previous.swap(value);
    if (c.physical == nullptr) continue;
    std::size_t index = 0;
    if (!c.physical->Find(address, &index)) {
      report.Add("holds " + Rec(address) + ", which the physical order does not");
    } else if (seen[index]) {
      report.Add("holds " + Rec(address) + " twice");
    } else {
      seen[index] = true;
      if (!c.belongs[index]) {
        report.Add("holds " + Rec(address) + ", which the key's null-key rule leaves out");
      }
    }
  }
  const uint64_t entries = walk.count();
  if (status != BTR_STATUS_END_OF_FILE) {
    report.Add("the walk stopped after " + std::to_string(entries) +
               " entries: " + StatusText(status));
    return;
  }
  if (c.physical == nullptr) return;
  uint64_t expected = 0;
  for (std::size_t i = 0; i < seen.size(); ++i) {
    if (!c.belongs[i]) continue;
    ++expected;
    if (!seen[i]) report.Add("misses " + Rec(c.physical->address(i)));
  }
  if (entries != expected) {
    report.Add(std::to_string(entries) + " entries, where " + std::to_string(expected) +
               " records of the physical order belong in the key");
  }
}

}  // namespace

std::string KeyWalkName(int key) {
  return key == kPhysicalOrder ? "physical order" : "key " + std::to_string(key);
}

CheckResult CheckFile(OpenFile& file, const StatInfo& info, const WalkNameFn& name,
                      const ProblemFn& problem) {
  CheckResult result;
  const std::vector<FileKey> keys = KeysOfFile(info);
  result.keys = keys.size();

  PhysicalRecords physical;
  std::vector<std::vector<bool>> belongs(keys.size());
  bool whole = false;
  {
    WalkReport report(name(kPhysicalOrder), problem, &result.problems);
    RecordWalk walk(file, kPhysicalOrder);
    std::string value;
    int16_t status;
    while ((status = walk.Next()) == BTR_STATUS_SUCCESS) {
      uint32_t address = 0;
      status = walk.Address(&address);
      if (status != BTR_STATUS_SUCCESS) break;
      physical.Add(address);
      physical.Keep(address);
      for (std::size_t k = 0; k < keys.size(); ++k) {
        const bool readable = KeyOfRecord(keys[k], walk.record(), &value);
        belongs[k].push_back(readable && !LeavesOut(keys[k], value));
      }
    }
    result.records = physical.size();
    whole = status == BTR_STATUS_END_OF_FILE;
    if (!whole) {
      report.Add("the walk stopped after " + std::to_string(result.records) +
                 " records: " + StatusText(status));
    }
    for (uint32_t address : physical.Finish()) report.Add(Rec(address) + " comes more than once");
    if (whole && info.file.record_count != result.records) {
      report.Add("the file counts " + std::to_string(info.file.record_count) +
                 " records, the walk read " + std::to_string(result.records));
    }
  }
  for (std::size_t k = 0; k < keys.size(); ++k) {
    WalkReport report(name(keys[k].number), problem, &result.problems);
    CheckKey(file, {keys[k], info.acs, belongs[k], whole ? &physical : nullptr}, report);
  }
  return result;
}

}  // namespace vv::butil
