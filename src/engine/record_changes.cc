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

void Bump(FileState& file, const PreparedChange& c) {
  StoreHeader& h = file.header();
  if (c.kind == RecordKind::kInsert) h.next_address = std::max(h.next_address, c.address + 1);
  h.next_stamp = std::max(h.next_stamp, c.stamp + 1);
}

// Takes the entry the author saw out of the picture inside its transaction:
// a committed entry gets an in-memory copy marked as removed by it; an
// entry the transaction added itself is erased.
void Unsee(KeyIndex& index, Record& r, uint64_t stamp, const std::string& seen_image, std::size_t i,
           uint32_t address, uint32_t txn) {
  if (stamp == 0) return;
  KeyBuffer buf;
  if (r.committed && stamp == r.entries[i]) {
    index.Insert(KeyOf(index, r.image, &buf), stamp, address, &r, 0);
    index.At(index.Find(buf.bytes, stamp)).removed_by = txn;
    return;
  }
  index.Erase(KeyOf(index, seen_image, &buf), stamp);
}

}  // namespace

uint64_t SeenStamp(const Record& record, std::size_t i, uint32_t txn) {
  if (record.inserted_by != 0) return record.inserted_by == txn ? record.entries[i] : 0;
  if (txn != 0 && record.pending && record.pending->txn == txn) return record.pending->seen[i];
  return record.committed ? record.entries[i] : 0;
}

void PrepareKeys(const FileState& file, PreparedChange* c) {
  if (c->kind != RecordKind::kDelete) c->keys.Compute(file.indexes, c->image);
  if (c->kind != RecordKind::kUpdate) return;
  c->changed.assign(file.indexes.size(), false);
  for (std::size_t i = 0; i < file.indexes.size(); ++i) {
    const KeyIndex& index = *file.indexes[i];
    const bool had = c->old_stamps[i] != 0;
    const bool has = !c->keys.null(i);
    bool changed = had != has;
    if (had && has) {
      KeyBuffer buf;
      changed =
          std::memcmp(KeyOf(index, c->old_image, &buf), c->keys.key(i), index.key_length) != 0;
    }
    c->changed[i] = changed;
  }
}

void WriteDirect(FileState& file, const PreparedChange& c) {
  StoredRecord out;
  out.version = c.stamp;
  out.image = c.image;
  out.stamps.assign(file.indexes.size(), 0);
  std::vector<bool> put(file.indexes.size(), false);
  KeyBuffer buf;
  for (std::size_t i = 0; i < file.indexes.size(); ++i) {
    KeyIndex& index = *file.indexes[i];
    const bool replace = c.kind != RecordKind::kUpdate || c.changed[i];
    if (c.kind != RecordKind::kInsert && replace && c.old_stamps[i] != 0) {
      EraseEntry(index, KeyOf(index, c.old_image, &buf), c.old_stamps[i]);
    }
    if (c.kind == RecordKind::kDelete) continue;
    if (!replace) {
      out.stamps[i] = c.old_stamps[i];
    } else if (!c.keys.null(i)) {
      out.stamps[i] = c.stamp;
      put[i] = true;
    }
  }
  StoreHeader& h = file.header();
  if (c.kind == RecordKind::kDelete) {
    file.store->EraseRecord(c.address);
    --h.committed_count;
  } else {
    const uint32_t leaf = file.store->WriteRecord(c.address, out, c.kind == RecordKind::kInsert);
    for (std::size_t i = 0; i < file.indexes.size(); ++i) {
      if (put[i]) PutEntry(*file.indexes[i], c.keys.key(i), c.stamp, c.address, leaf);
    }
    if (c.kind == RecordKind::kInsert) ++h.committed_count;
  }
  Bump(file, c);
}

void PrepareTxn(const FileState& file, PreparedChange* c) {
  const std::size_t n = file.indexes.size();
  const auto it = file.records.find(c->address);
  const Record* existing = it == file.records.end() ? nullptr : &it->second;
  if (existing == nullptr) {
    RecordMap scratch;
    Record& r = scratch[c->address];
    if (c->kind == RecordKind::kInsert) {
      r.entries.assign(n, 0);
    } else {
      // The committed record comes into memory beside the change.
      r.committed = true;
      r.image = c->old_image;
      r.entries = c->old_stamps;
    }
    c->record_node = scratch.extract(scratch.begin());
  }
  if (c->kind != RecordKind::kInsert &&
      !(existing != nullptr && existing->pending && existing->pending->txn == c->txn)) {
    const Record& r = existing != nullptr ? *existing : c->record_node.mapped();
    auto p = std::make_unique<PendingChange>();
    p->txn = c->txn;
    p->seen = r.committed || r.inserted_by == c->txn ? r.entries : std::vector<uint64_t>(n, 0);
    c->pending = std::move(p);
  }
  for (std::size_t i = 0; i < n; ++i) {
    const bool adds = c->kind == RecordKind::kInsert   ? !c->keys.null(i)
                      : c->kind == RecordKind::kUpdate ? c->changed[i] && !c->keys.null(i)
                                                       : false;
    // A removed committed entry gets its in-memory copy too.
    file.indexes[i]->ReserveInsert((adds ? 1 : 0) + (c->kind == RecordKind::kInsert ? 0 : 1));
  }
}

RecordMap::iterator ApplyTxn(FileState& file, PreparedChange* c) {
  const std::size_t n = file.indexes.size();
  RecordMap::iterator it = c->record_node ? file.records.insert(std::move(c->record_node)).position
                                          : file.records.find(c->address);
  Record& r = it->second;
  if (c->kind == RecordKind::kInsert) {
    for (std::size_t i = 0; i < n; ++i) {
      if (c->keys.null(i)) continue;
      file.indexes[i]->Insert(c->keys.key(i), c->stamp, c->address, &r, c->txn);
      r.entries[i] = c->stamp;
    }
    r.image.swap(c->image);
    r.version = c->stamp;
    r.inserted_by = c->txn;
    ++file.pending_records;
    Bump(file, *c);
    return it;
  }

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
  std::vector<uint64_t>& entries = r.pending->seen;
  // The image whose keys the entries seen so far carry.
  const std::string& seen_image = !fresh || inserted ? r.pending->image : r.image;
  if (c->kind == RecordKind::kUpdate) {
    for (std::size_t i = 0; i < n; ++i) {
      if (!c->changed[i]) continue;
      KeyIndex& index = *file.indexes[i];
      Unsee(index, r, entries[i], seen_image, i, c->address, c->txn);
      entries[i] = 0;
      if (!c->keys.null(i)) {
        index.Insert(c->keys.key(i), c->stamp, c->address, &r, c->txn);
        entries[i] = c->stamp;
      }
    }
    r.pending->image.swap(c->image);
    r.pending->version = c->stamp;
    Bump(file, *c);
    return it;
  }

  // Delete.
  for (std::size_t i = 0; i < n; ++i) {
    Unsee(*file.indexes[i], r, entries[i], seen_image, i, c->address, c->txn);
    entries[i] = 0;
  }
  r.pending->deleted = true;
  r.pending->image.clear();
  r.pending->version = c->stamp;
  Bump(file, *c);
  return it;
}

void WriteCommitted(FileState& file, std::vector<RecordMap::iterator> records) {
  // The records in address order, then each key's entries in key order, so
  // that each page is changed once however large the transaction (a page
  // the cache lets go of in between costs a write to the log).
  std::sort(records.begin(), records.end(),
            [](RecordMap::iterator a, RecordMap::iterator b) { return a->first < b->first; });
  struct EntryChange {
    std::string key;
    uint64_t stamp;
    uint32_t address;
    uint32_t hint;  // 0: erase
  };
  std::vector<std::vector<EntryChange>> changes(file.indexes.size());
  StoreHeader& h = file.header();
  KeyBuffer buf;
  for (const RecordMap::iterator it : records) {
    const Record& r = it->second;
    const uint32_t address = it->first;
    auto note = [&](std::size_t i, const std::string& image, uint64_t stamp, uint32_t hint) {
      const KeyIndex& index = *file.indexes[i];
      changes[i].push_back(EntryChange{
          std::string(reinterpret_cast<const char*>(KeyOf(index, image, &buf)), index.key_length),
          stamp, address, hint});
    };
    if (r.inserted_by != 0) {
      const uint32_t leaf =
          file.store->WriteRecord(address, StoredRecord{r.version, r.entries, r.image}, true);
      for (std::size_t i = 0; i < file.indexes.size(); ++i) {
        if (r.entries[i] != 0) note(i, r.image, r.entries[i], leaf);
      }
      ++h.committed_count;
      continue;
    }
    const PendingChange& p = *r.pending;
    for (std::size_t i = 0; i < file.indexes.size(); ++i) {
      const uint64_t committed = r.committed ? r.entries[i] : 0;
      const uint64_t seen = p.deleted ? 0 : p.seen[i];
      if (committed != 0 && committed != seen) note(i, r.image, committed, 0);
    }
    if (p.deleted) {
      if (r.committed) {
        file.store->EraseRecord(address);
        --h.committed_count;
      }
      continue;
    }
    const uint32_t leaf =
        file.store->WriteRecord(address, StoredRecord{p.version, p.seen, p.image});
    for (std::size_t i = 0; i < file.indexes.size(); ++i) {
      const uint64_t committed = r.committed ? r.entries[i] : 0;
      if (p.seen[i] != 0 && p.seen[i] != committed) note(i, p.image, p.seen[i], leaf);
    }
    if (!r.committed) ++h.committed_count;
  }
  for (std::size_t i = 0; i < file.indexes.size(); ++i) {
    KeyIndex& index = *file.indexes[i];
    std::vector<EntryChange>& list = changes[i];
    std::sort(list.begin(), list.end(), [&](const EntryChange& a, const EntryChange& b) {
      const int c = index.Compare(reinterpret_cast<const uint8_t*>(a.key.data()),
                                  reinterpret_cast<const uint8_t*>(b.key.data()));
      return c != 0 ? c < 0 : a.stamp < b.stamp;
    });
    for (const EntryChange& e : list) {
      const auto* key = reinterpret_cast<const uint8_t*>(e.key.data());
      if (e.hint == 0) {
        EraseEntry(index, key, e.stamp);
      } else {
        PutEntry(index, key, e.stamp, e.address, e.hint);
      }
    }
  }
}

void DropChange(FileState& file, RecordMap::iterator it) {
  Record& r = it->second;
  KeyBuffer buf;
  for (std::size_t i = 0; i < file.indexes.size(); ++i) {
    KeyIndex& index = *file.indexes[i];
    if (r.inserted_by != 0) {
      if (r.entries[i] != 0) index.Erase(KeyOf(index, r.image, &buf), r.entries[i]);
      continue;
    }
    const uint64_t committed = r.committed ? r.entries[i] : 0;
    const uint64_t seen = r.pending->seen[i];
    if (seen != 0 && seen != committed) index.Erase(KeyOf(index, r.pending->image, &buf), seen);
    if (committed != 0 && committed != seen) index.Erase(KeyOf(index, r.image, &buf), committed);
  }
  --file.pending_records;
  file.records.erase(it);
}

}  // namespace vv::engine
