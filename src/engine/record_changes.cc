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
  p->seen = record.committed || record.inserted_by == txn ? record.entries
                                                          : std::vector<uint64_t>(keys, 0);
  return p;
}

}  // namespace

uint64_t SeenStamp(const Record& record, std::size_t i, uint32_t txn) {
  if (record.inserted_by != 0) return record.inserted_by == txn ? record.entries[i] : 0;
  if (txn != 0 && record.pending && record.pending->txn == txn) return record.pending->seen[i];
  return record.committed ? record.entries[i] : 0;
}

void PrepareInsert(const FileState& file, PreparedChange* c) {
  c->keys.Compute(file.indexes, c->image);
  RecordMap scratch;
  Record& r = scratch[c->address];
  r.entries.assign(file.indexes.size(), 0);
  c->record_node = scratch.extract(scratch.begin());
  for (std::size_t i = 0; i < file.indexes.size(); ++i) {
    if (!c->keys.null(i)) file.indexes[i]->ReserveInsert();
  }
}

void PrepareUpdate(const FileState& file, const Record& record, PreparedChange* c) {
  c->keys.Compute(file.indexes, c->image);
  c->changed.assign(file.indexes.size(), false);
  const std::string* seen_image = VisibleImage(record, c->txn);
  for (std::size_t i = 0; i < file.indexes.size(); ++i) {
    KeyIndex& index = *file.indexes[i];
    const bool had = SeenStamp(record, i, c->txn) != 0;
    const bool has = !c->keys.null(i);
    bool changed = had != has;
    if (had && has) {
      KeyBuffer buf;
      changed = std::memcmp(KeyOf(index, *seen_image, &buf), c->keys.key(i), index.key_length) != 0;
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
    for (std::size_t i = 0; i < n; ++i) {
      if (c->keys.null(i)) continue;
      const uint64_t stamp = c->key_stamps.empty() ? c->stamp : c->key_stamps[i];
      file.indexes[i]->Insert(c->keys.key(i), stamp, c->address, &r, c->txn);
      r.entries[i] = stamp;
    }
    r.image.swap(c->image);
    r.version = file.next_version++;
    if (c->txn != 0) {
      r.inserted_by = c->txn;
      ++file.pending_records;
    } else {
      r.committed = true;
      ++file.committed_count;
      file.live_bytes += LiveBytesOf(r.image.size(), n);
    }
    Bump(file, *c);
    return it;
  }

  const auto it = file.records.find(c->address);
  Record& r = it->second;
  const bool fresh = c->pending != nullptr;  // the transaction's first change of it
  bool inserted = false;                     // ... after its insert
  if (fresh) {
    inserted = r.inserted_by != 0;
    r.pending = std::move(c->pending);
    if (inserted) {
      // Image and version move into the pending change (which took the
      // entries over when it was prepared).
      r.pending->image.swap(r.image);
      r.pending->version = r.version;
      r.inserted_by = 0;
      r.version = 0;
      r.entries.clear();
    } else {
      ++file.pending_records;
    }
  }
  const bool pending = c->txn != 0;
  std::vector<uint64_t>& entries = pending ? r.pending->seen : r.entries;
  // The image whose keys the entries seen so far carry.
  const std::string& seen_image = pending && (!fresh || inserted) ? r.pending->image : r.image;
  if (c->kind == RecordKind::kUpdate) {
    for (std::size_t i = 0; i < n; ++i) {
      if (!c->changed[i]) continue;
      KeyIndex& index = *file.indexes[i];
      Unsee(index, r, entries[i], seen_image, i, c->txn);
      entries[i] = 0;
      if (!c->keys.null(i)) {
        index.Insert(c->keys.key(i), c->stamp, c->address, &r, c->txn);
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

void CommitPending(FileState& file, RecordMap::iterator it, bool swept) {
  Record& r = it->second;
  const std::size_t n = file.indexes.size();
  if (r.inserted_by != 0) {
    for (std::size_t i = 0; i < n && !swept; ++i) {
      if (r.entries[i] == 0) continue;
      KeyIndex& index = *file.indexes[i];
      KeyBuffer buf;
      const EntryRef ref = index.Find(KeyOf(index, r.image, &buf), r.entries[i]);
      if (ref.valid()) index.At(ref).added_by = 0;
    }
    r.inserted_by = 0;
    r.committed = true;
    --file.pending_records;
    ++file.committed_count;
    file.live_bytes += LiveBytesOf(r.image.size(), n);
    return;
  }
  PendingChange& p = *r.pending;
  for (std::size_t i = 0; i < n && !swept; ++i) {
    KeyIndex& index = *file.indexes[i];
    const uint64_t committed = r.committed ? r.entries[i] : 0;
    const uint64_t seen = p.seen[i];
    KeyBuffer buf;
    if (committed != 0 && committed != seen) index.Erase(KeyOf(index, r.image, &buf), committed);
    if (seen != 0 && seen != committed) {
      const EntryRef ref = index.Find(KeyOf(index, p.image, &buf), seen);
      if (ref.valid()) index.At(ref).added_by = 0;
    }
  }
  // What the transaction saw is committed now (a swap: nothing to allocate).
  r.entries.swap(p.seen);
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

void RollbackPending(FileState& file, RecordMap::iterator it, bool swept) {
  Record& r = it->second;
  if (r.inserted_by != 0) {
    for (std::size_t i = 0; i < file.indexes.size() && !swept; ++i) {
      if (r.entries[i] == 0) continue;
      KeyIndex& index = *file.indexes[i];
      KeyBuffer buf;
      index.Erase(KeyOf(index, r.image, &buf), r.entries[i]);
    }
    --file.pending_records;
    file.records.erase(it);
    ++file.records_epoch;
    return;
  }
  const PendingChange& p = *r.pending;
  for (std::size_t i = 0; i < file.indexes.size() && !swept; ++i) {
    KeyIndex& index = *file.indexes[i];
    const uint64_t committed = r.committed ? r.entries[i] : 0;
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
