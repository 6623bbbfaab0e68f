#include "engine/record_changes.h"

#include <algorithm>
#include <cstring>

#include "veverave/btrieve.h"

namespace vv::engine {

namespace {

// A record's key on one index, taken from an image.
struct KeyBuffer {
  uint8_t bytes[BTR_MAX_KEY_SIZE];
};

const uint8_t* KeyOf(const KeyIndex& index, const std::string& image, KeyBuffer* buf) {
  ExtractKey(index.def, reinterpret_cast<const uint8_t*>(image.data()), buf->bytes);
  return buf->bytes;
}

// Takes the entry the author saw out of the picture: a committed entry is
// erased at once or, inside a transaction, marked as removed by it; an entry
// the transaction added itself is erased.
void Unsee(KeyIndex& index, const Record& r, uint64_t stamp, const std::string& seen_image,
           std::size_t i, uint32_t txn) {
  if (stamp == 0) return;
  KeyBuffer buf;
  if (txn != 0 && r.committed && stamp == r.entries[i]) {
    const EntryRef ref = index.Find(KeyOf(index, r.image, &buf), stamp);
    if (ref.valid()) index.At(ref).removed_by = txn;
    return;
  }
  index.Erase(KeyOf(index, seen_image, &buf), stamp);
}

void Bump(FileState& file, const PreparedChange& c) {
  file.next_address = std::max(file.next_address, c.address + 1);
  file.next_stamp = std::max(file.next_stamp, c.stamp + 1);
  for (const uint64_t s : c.key_stamps) file.next_stamp = std::max(file.next_stamp, s + 1);
}

std::unique_ptr<PendingChange> NewPending(const Record& record, uint32_t txn, std::size_t keys) {
  auto p = std::make_unique<PendingChange>();
  p->txn = txn;
  p->seen = record.committed ? record.entries : std::vector<uint64_t>(keys, 0);
  return p;
}

}  // namespace

void ComputeKeys(const FileState& file, const std::string& image, std::vector<std::string>* keys) {
  keys->resize(file.indexes.size());
  const auto* record = reinterpret_cast<const uint8_t*>(image.data());
  for (std::size_t i = 0; i < file.indexes.size(); ++i) {
    const KeyIndex& index = *file.indexes[i];
    std::string& key = (*keys)[i];
    key.resize(index.key_length);
    auto* k = reinterpret_cast<uint8_t*>(key.data());
    ExtractKey(index.def, record, k);
    if (IsNullKey(index.def, k)) key.clear();
  }
}

uint64_t SeenStamp(const Record& record, std::size_t i, uint32_t txn) {
  if (txn != 0 && record.pending && record.pending->txn == txn) return record.pending->seen[i];
  return record.committed ? record.entries[i] : 0;
}

void PrepareInsert(const FileState& file, PreparedChange* c) {
  ComputeKeys(file, c->image, &c->keys);
  RecordMap scratch;
  Record& r = scratch[c->address];
  r.entries.assign(file.indexes.size(), 0);
  if (c->txn != 0) r.pending = NewPending(r, c->txn, file.indexes.size());
  c->record_node = scratch.extract(scratch.begin());
  for (std::size_t i = 0; i < file.indexes.size(); ++i) {
    if (!c->keys[i].empty()) file.indexes[i]->ReserveInsert();
  }
}

void PrepareUpdate(const FileState& file, const Record& record, PreparedChange* c) {
  ComputeKeys(file, c->image, &c->keys);
  c->changed.assign(file.indexes.size(), false);
  const std::string* seen_image = VisibleImage(record, c->txn);
  for (std::size_t i = 0; i < file.indexes.size(); ++i) {
    KeyIndex& index = *file.indexes[i];
    const bool had = SeenStamp(record, i, c->txn) != 0;
    const bool has = !c->keys[i].empty();
    bool changed = had != has;
    if (had && has) {
      KeyBuffer buf;
      changed =
          std::memcmp(KeyOf(index, *seen_image, &buf), c->keys[i].data(), index.key_length) != 0;
    }
    c->changed[i] = changed;
    if (changed && has) index.ReserveInsert();
  }
  if (c->txn != 0 && !(record.pending && record.pending->txn == c->txn)) {
    c->pending = NewPending(record, c->txn, file.indexes.size());
  }
}

void PrepareDelete(const FileState& file, const Record& record, PreparedChange* c) {
  if (c->txn != 0 && !(record.pending && record.pending->txn == c->txn)) {
    c->pending = NewPending(record, c->txn, file.indexes.size());
  }
}

RecordMap::iterator ApplyChange(FileState& file, PreparedChange* c) {
  const std::size_t n = file.indexes.size();
  if (c->kind == RecordKind::kInsert) {
    // Addresses ascend: the new record almost always goes at the end.
    const auto it = file.records.insert(file.records.end(), std::move(c->record_node));
    Record& r = it->second;
    std::vector<uint64_t>& entries = c->txn != 0 ? r.pending->seen : r.entries;
    for (std::size_t i = 0; i < n; ++i) {
      if (c->keys[i].empty()) continue;
      const uint64_t stamp = c->key_stamps.empty() ? c->stamp : c->key_stamps[i];
      file.indexes[i]->Insert(reinterpret_cast<const uint8_t*>(c->keys[i].data()), stamp,
                              c->address, &r, c->txn);
      entries[i] = stamp;
    }
    if (c->txn != 0) {
      r.pending->image.swap(c->image);
      r.pending->version = file.next_version++;
      ++file.pending_records;
    } else {
      r.committed = true;
      r.image.swap(c->image);
      r.version = file.next_version++;
      ++file.committed_count;
      file.live_bytes += LiveBytesOf(r.image.size(), n);
    }
    Bump(file, *c);
    return it;
  }

  const auto it = file.records.find(c->address);
  Record& r = it->second;
  const bool fresh = c->pending != nullptr;  // the transaction's first change of it
  if (fresh) {
    r.pending = std::move(c->pending);
    ++file.pending_records;
  }
  const bool pending = c->txn != 0;
  std::vector<uint64_t>& entries = pending ? r.pending->seen : r.entries;
  // The image whose keys the entries seen so far carry.
  const std::string& seen_image = pending && !fresh ? r.pending->image : r.image;
  if (c->kind == RecordKind::kUpdate) {
    for (std::size_t i = 0; i < n; ++i) {
      if (!c->changed[i]) continue;
      KeyIndex& index = *file.indexes[i];
      Unsee(index, r, entries[i], seen_image, i, c->txn);
      entries[i] = 0;
      if (!c->keys[i].empty()) {
        index.Insert(reinterpret_cast<const uint8_t*>(c->keys[i].data()), c->stamp, c->address, &r,
                     c->txn);
        entries[i] = c->stamp;
      }
    }
    if (pending) {
      r.pending->image.swap(c->image);
      r.pending->version = file.next_version++;
    } else {
      file.live_bytes += LiveBytesOf(c->image.size(), n);
      file.live_bytes -= LiveBytesOf(r.image.size(), n);
      r.image.swap(c->image);
      r.version = file.next_version++;
    }
    Bump(file, *c);
    return it;
  }

  // Delete.
  for (std::size_t i = 0; i < n; ++i) {
    Unsee(*file.indexes[i], r, entries[i], seen_image, i, c->txn);
    entries[i] = 0;
  }
  if (pending) {
    r.pending->deleted = true;
    r.pending->image.clear();
    r.pending->version = file.next_version++;
    return it;
  }
  file.live_bytes -= LiveBytesOf(r.image.size(), n);
  --file.committed_count;
  file.records.erase(it);
  ++file.records_epoch;
  return file.records.end();
}

void CommitPending(FileState& file, RecordMap::iterator it) {
  Record& r = it->second;
  PendingChange& p = *r.pending;
  const std::size_t n = file.indexes.size();
  for (std::size_t i = 0; i < n; ++i) {
    KeyIndex& index = *file.indexes[i];
    const uint64_t committed = r.entries[i];
    const uint64_t seen = p.seen[i];
    KeyBuffer buf;
    if (committed != 0 && committed != seen) index.Erase(KeyOf(index, r.image, &buf), committed);
    if (seen != 0 && seen != committed) {
      const EntryRef ref = index.Find(KeyOf(index, p.image, &buf), seen);
      if (ref.valid()) index.At(ref).added_by = 0;
    }
    r.entries[i] = seen;
  }
  --file.pending_records;
  if (p.deleted) {
    if (r.committed) {
      --file.committed_count;
      file.live_bytes -= LiveBytesOf(r.image.size(), n);
    }
    file.records.erase(it);
    ++file.records_epoch;
    return;
  }
  if (r.committed) {
    file.live_bytes -= LiveBytesOf(r.image.size(), n);
  } else {
    ++file.committed_count;
  }
  file.live_bytes += LiveBytesOf(p.image.size(), n);
  r.committed = true;
  r.image.swap(p.image);
  r.version = p.version;
  r.pending.reset();
}

void RollbackPending(FileState& file, RecordMap::iterator it) {
  Record& r = it->second;
  const PendingChange& p = *r.pending;
  for (std::size_t i = 0; i < file.indexes.size(); ++i) {
    KeyIndex& index = *file.indexes[i];
    const uint64_t committed = r.entries[i];
    const uint64_t seen = p.seen[i];
    KeyBuffer buf;
    if (seen != 0 && seen != committed) index.Erase(KeyOf(index, p.image, &buf), seen);
    if (committed != 0 && committed != seen) {
      const EntryRef ref = index.Find(KeyOf(index, r.image, &buf), committed);
      if (ref.valid()) index.At(ref).removed_by = 0;
    }
  }
  --file.pending_records;
  r.pending.reset();
  if (!r.committed) {
    file.records.erase(it);
    ++file.records_epoch;
  }
}

}  // namespace vv::engine
