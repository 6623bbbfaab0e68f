// Native tables: creating, opening, finding, saving and deleting.
#include "host/native_table.h"

#include <algorithm>
#include <cstring>

#include "host/bcd.h"
#include "host/host_state.h"
#include "host/native_format.h"
#include "host/native_values.h"

namespace vv::host {
namespace {

int16_t Report(int16_t code, const std::string& text) {
  return HostErrorSet(code, text.c_str());
}

}  // namespace

int16_t CreateNativeTable(const std::string& path, const NativeTableDef& def, bool replace) {
  NativeTableDef laid = def;
  std::string why;
  if (NativeLayout(&laid, &why) != 0) return Report(kErrBadDefinition, path + ": " + why);
  if (!replace && platform::FileExists(path)) return Report(kErrTableExists, path);
  int32_t recordLength = 0;
  for (const NativeField& f : laid.fields) {
    if (f.type != VV_HOST_TYPE_OVERLAP) recordLength += f.size;
  }
  if (!platform::WriteStringToFile(path, NativeFileImage(laid, recordLength))) {
    return Report(kErrTableIo, path);
  }
  return 0;
}

int16_t NativeTable::Open(const std::string& path, std::unique_ptr<NativeTable>* out) {
  platform::FsResult why = platform::FsResult::kOk;
  std::unique_ptr<platform::File> file =
      platform::OpenFile(path, platform::OpenMode::kReadWrite, &why);
  if (!file) return Report(kErrCannotOpen, path);
  const std::optional<uint64_t> size = file->Size();
  if (!size || *size > static_cast<uint64_t>(INT32_MAX)) return Report(kErrTableIo, path);
  std::vector<uint8_t> bytes(static_cast<std::size_t>(*size));
  if (file->ReadAt(0, bytes.data(), bytes.size()) != static_cast<int64_t>(bytes.size())) {
    return Report(kErrTableIo, path);
  }
  std::unique_ptr<NativeTable> t(new NativeTable());
  NativeHeader header;
  std::string damage;
  if (!NativeParse(bytes.data(), bytes.size(), &t->def_, &header, &damage)) {
    return Report(kErrTableFormat, path + ": " + damage);
  }
  t->recordLength_ = header.recordLength;
  t->dataOffset_ = header.dataOffset;
  const int64_t slotLength = t->SlotLength();
  // A record slot written after the last one the header counts (a save cut
  // short) is ignored and later overwritten.
  if (header.dataOffset + header.slots * slotLength > static_cast<int64_t>(bytes.size())) {
    return Report(kErrTableFormat, path + ": records cut short");
  }
  t->slots_ = header.slots;
  t->data_.resize(static_cast<std::size_t>(header.slots) *
                  static_cast<std::size_t>(t->recordLength_));
  t->live_.resize(static_cast<std::size_t>(header.slots));
  for (int32_t r = 1; r <= header.slots; ++r) {
    const uint8_t* slot = bytes.data() + header.dataOffset + (r - 1) * slotLength;
    if (slot[0] != kSlotDeleted && slot[0] != kSlotLive) {
      return Report(kErrTableFormat, path + ": record " + std::to_string(r) + " damaged");
    }
    t->live_[static_cast<std::size_t>(r - 1)] = slot[0];
    std::memcpy(t->RecordBytes(r), slot + 1, static_cast<std::size_t>(t->recordLength_));
    if (slot[0] == kSlotLive) ++t->liveCount_;
  }
  t->path_ = path;
  t->name_ = platform::SplitPath(path).name;
  t->file_ = std::move(file);
  t->recnumIndex_.segments.push_back(NativeSegment{});
  t->orders_.resize(t->def_.indexes.size() + 1);
  for (int32_t r = 1; r <= t->slots_; ++r) {
    if (t->live_[static_cast<std::size_t>(r - 1)] == kSlotLive) t->IndexInsert(r);
  }
  t->buffer_.resize(static_cast<std::size_t>(t->recordLength_));
  t->Clear();
  *out = std::move(t);
  return 0;
}

NativeTable::~NativeTable() = default;

uint8_t* NativeTable::RecordBytes(int32_t recnum) {
  return data_.data() +
         static_cast<std::size_t>(recnum - 1) * static_cast<std::size_t>(recordLength_);
}

const uint8_t* NativeTable::RecordBytes(int32_t recnum) const {
  return data_.data() +
         static_cast<std::size_t>(recnum - 1) * static_cast<std::size_t>(recordLength_);
}

const NativeIndex& NativeTable::IndexDef(int32_t index) const {
  return index == 0 ? recnumIndex_ : def_.indexes[static_cast<std::size_t>(index - 1)];
}

int NativeTable::CompareKeys(int32_t index, const uint8_t* a, int32_t recA, const uint8_t* b,
                             int32_t recB) const {
  for (const NativeSegment& seg : IndexDef(index).segments) {
    int c = 0;
    if (seg.field == 0) {
      c = recA < recB ? -1 : recA > recB ? 1 : 0;
    } else {
      c = FieldCompare(def_.fields[static_cast<std::size_t>(seg.field - 1)], seg.ignoreCase, a, b);
    }
    if (c != 0) return seg.descending ? -c : c;
  }
  return 0;
}

std::size_t NativeTable::LowerBound(int32_t index, const uint8_t* bytes, int32_t recnum) const {
  const std::vector<int32_t>& order = orders_[static_cast<std::size_t>(index)];
  auto it = std::lower_bound(order.begin(), order.end(), 0, [&](int32_t r, int) {
    return CompareKeys(index, RecordBytes(r), r, bytes, recnum) < 0;
  });
  return static_cast<std::size_t>(it - order.begin());
}

std::size_t NativeTable::UpperBound(int32_t index, const uint8_t* bytes, int32_t recnum) const {
  const std::vector<int32_t>& order = orders_[static_cast<std::size_t>(index)];
  auto it = std::upper_bound(order.begin(), order.end(), 0, [&](int, int32_t r) {
    return CompareKeys(index, bytes, recnum, RecordBytes(r), r) < 0;
  });
  return static_cast<std::size_t>(it - order.begin());
}

void NativeTable::IndexInsert(int32_t recnum) {
  for (std::size_t i = 0; i < orders_.size(); ++i) {
    const auto index = static_cast<int32_t>(i);
    const std::size_t pos = UpperBound(index, RecordBytes(recnum), recnum);
    orders_[i].insert(orders_[i].begin() + static_cast<std::ptrdiff_t>(pos), recnum);
  }
}

// Called while the record still holds the bytes it was inserted with.
void NativeTable::IndexRemove(int32_t recnum) {
  for (std::size_t i = 0; i < orders_.size(); ++i) {
    std::vector<int32_t>& order = orders_[i];
    std::size_t pos = LowerBound(static_cast<int32_t>(i), RecordBytes(recnum), recnum);
    while (pos < order.size() && order[pos] != recnum) ++pos;
    if (pos < order.size()) order.erase(order.begin() + static_cast<std::ptrdiff_t>(pos));
  }
}

int32_t NativeTable::DuplicateIn(const uint8_t* bytes, int32_t recnum) const {
  for (std::size_t i = 1; i < orders_.size(); ++i) {
    const auto index = static_cast<int32_t>(i);
    const std::vector<int32_t>& order = orders_[i];
    for (std::size_t pos = LowerBound(index, bytes, recnum);
         pos < order.size() &&
         CompareKeys(index, RecordBytes(order[pos]), order[pos], bytes, recnum) == 0;
         ++pos) {
      if (order[pos] != recnum) return index;
    }
  }
  return 0;
}

int16_t NativeTable::WriteSlot(int32_t recnum, uint8_t status) {
  std::vector<uint8_t> slot(static_cast<std::size_t>(SlotLength()));
  slot[0] = status;
  std::memcpy(slot.data() + 1, buffer_.data(), buffer_.size());
  const uint64_t at = static_cast<uint64_t>(dataOffset_) +
                      static_cast<uint64_t>(recnum - 1) * static_cast<uint64_t>(SlotLength());
  if (!file_->WriteAt(at, slot.data(), slot.size())) return Report(kErrTableIo, path_);
  return 0;
}

int16_t NativeTable::WriteCounts() {
  uint8_t counts[8];
  NativeStoreU32(counts, static_cast<uint32_t>(slots_));
  NativeStoreU32(counts + 4, static_cast<uint32_t>(liveCount_));
  if (!file_->WriteAt(kHdrSlots, counts, sizeof counts)) return Report(kErrTableIo, path_);
  return 0;
}

void NativeTable::Clear() {
  std::fill(buffer_.begin(), buffer_.end(), uint8_t{0});
  for (const NativeField& f : def_.fields) FieldClear(f, buffer_.data());
  bufferRecnum_ = 0;
  DropFound();
  touched_ = false;
}

void NativeTable::DropFound() {
  found_ = 0;
  state_ = VV_RECORD_NONE;
}

int16_t NativeTable::Found(int32_t recnum) {
  std::memcpy(buffer_.data(), RecordBytes(recnum), buffer_.size());
  bufferRecnum_ = recnum;
  found_ = recnum;
  state_ = VV_RECORD_FOUND;
  touched_ = true;
  return 0;
}

int16_t NativeTable::Find(int32_t index, int32_t mode) {
  const auto indexCount = static_cast<int32_t>(def_.indexes.size());
  if (index < 0) {
    const int32_t field = -index;
    if (field > static_cast<int32_t>(def_.fields.size())) {
      return Report(kErrBadFieldNumber, name_ + ": field " + std::to_string(field));
    }
    index = def_.fields[static_cast<std::size_t>(field - 1)].mainIndex;
    if (index == 0)
      return Report(kErrBadIndexNumber,
                    name_ + ": field " + std::to_string(field) + " has no index");
  }
  if (index > indexCount)
    return Report(kErrBadIndexNumber, name_ + ": index " + std::to_string(index));
  if (mode < VV_FIND_LT || mode > VV_FIND_GT) {
    return Report(kErrBadArgument, name_ + ": find mode " + std::to_string(mode));
  }
  const std::vector<int32_t>& order = orders_[static_cast<std::size_t>(index)];
  const bool down = mode == VV_FIND_LT || mode == VV_FIND_LE;
  const bool empty = order.empty();
  std::size_t pos = order.size();
  if (!touched_ && mode != VV_FIND_EQ) {
    if (!empty) pos = down ? order.size() - 1 : 0;
  } else {
    const std::size_t lb = LowerBound(index, buffer_.data(), bufferRecnum_);
    const std::size_t ub = UpperBound(index, buffer_.data(), bufferRecnum_);
    switch (mode) {
      case VV_FIND_EQ:
        pos = lb < ub ? lb : order.size();
        break;
      case VV_FIND_GE:
        pos = lb < order.size() ? lb : empty ? lb : order.size() - 1;
        break;
      case VV_FIND_GT:
        pos = ub;
        break;
      case VV_FIND_LE:
        pos = ub > 0 ? ub - 1 : order.size();
        break;
      default:
        pos = lb > 0 ? lb - 1 : order.size();
        break;
    }
  }
  if (pos < order.size()) return Found(order[pos]);
  DropFound();
  const std::string where = name_ + ", index " + std::to_string(index);
  if (mode == VV_FIND_EQ) return Report(kErrNotFound, where);
  return Report(down ? kErrBeginningOfFile : kErrEndOfFile, where);
}

int16_t NativeTable::Save() {
  const bool update = found_ != 0;
  const int32_t recnum = update ? found_ : slots_ + 1;
  if (const int32_t index = DuplicateIn(buffer_.data(), recnum)) {
    return Report(kErrDuplicateKey, name_ + ", index " + std::to_string(index));
  }
  if (int16_t rc = WriteSlot(recnum, kSlotLive)) return rc;
  if (update) {
    IndexRemove(recnum);
  } else {
    data_.resize(data_.size() + buffer_.size());
    live_.push_back(kSlotLive);
    ++slots_;
    ++liveCount_;
  }
  std::memcpy(RecordBytes(recnum), buffer_.data(), buffer_.size());
  IndexInsert(recnum);
  Found(recnum);
  return update ? 0 : WriteCounts();
}

int16_t NativeTable::Delete() {
  if (found_ == 0) return Report(kErrNoRecord, name_);
  const int32_t recnum = found_;
  const uint64_t at = static_cast<uint64_t>(dataOffset_) +
                      static_cast<uint64_t>(recnum - 1) * static_cast<uint64_t>(SlotLength());
  const uint8_t status = kSlotDeleted;
  if (!file_->WriteAt(at, &status, 1)) return Report(kErrTableIo, path_);
  IndexRemove(recnum);
  live_[static_cast<std::size_t>(recnum - 1)] = kSlotDeleted;
  --liveCount_;
  DropFound();
  return WriteCounts();
}

}  // namespace vv::host
