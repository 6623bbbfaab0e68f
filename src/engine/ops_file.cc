// Operations on a file as a whole: Stat, Set Owner, Clear Owner, Create and
// Drop Supplemental Index. The last four change the file definition and
// write it to the log as a new definition record.
#include <algorithm>

#include "engine/key_view.h"
#include "engine/locks.h"
#include "engine/ops.h"
#include "veverave/btrieve.h"

namespace vv::engine {

namespace {

int16_t WriteDefinition(FileState& file, const FileDefinition& def) {
  return StoreWrite(file, false, [&] {
    file.store->WriteDefinition(def);
    return int16_t{0};
  });
}

// Checks shared by the definition changes: no transaction of the caller,
// write access, and no other transaction's changes in the file (their
// pending entries would not fit a changed set of keys).
int16_t CheckDefinitionChange(EngineState& st, Cursor& cursor, bool needs_owner) {
  if (cursor.client->txn) return BTR_STATUS_NOT_ALLOWED;
  if (needs_owner && !cursor.owner_ok) return BTR_STATUS_INVALID_OWNER;
  if (cursor.read_only) return BTR_STATUS_ACCESS_DENIED;
  if (const int16_t s = CheckFileAccess(st, cursor, Access::kWrite); s != 0) return s;
  if (cursor.file->pending_records > 0) return BTR_STATUS_FILE_LOCKED;
  return 0;
}

// Cursors' cached positions and key numbers after the keys changed.
void AfterKeysChanged(EngineState& st, FileState* file, int dropped, bool renumber) {
  for (auto& [id, cursor] : st.cursors) {
    if (cursor->file != file) continue;
    cursor->cache_valid = false;
    if (dropped < 0 || cursor->key_path < 0) continue;
    if (cursor->key_path == dropped) {
      cursor->ClearLogical();
    } else if (renumber && cursor->key_path > dropped) {
      --cursor->key_path;
    }
  }
}

int LowestFreeKeyNumber(const FileState& file) {
  int n = 0;
  while (file.IndexOf(n) >= 0) ++n;
  return n;
}

}  // namespace

int16_t OpStat(EngineState& st, Call& call) {
  Cursor* cursor = ResolveCursor(st, call);
  if (cursor == nullptr) return BTR_STATUS_FILE_NOT_OPEN;
  const FileState& file = *cursor->file;
  if (file.poisoned()) return BTR_STATUS_IO_ERROR;
  const Client& me = *call.client;
  const uint32_t txn = me.txn_id();
  int64_t count = file.header().committed_count;
  bool own_changes = false;
  if (me.txn) {
    if (const TxnFile* tf = me.txn->Find(&file)) {
      count += tf->count_delta;
      own_changes = !tf->touched.empty();
    }
  }
  std::vector<const KeyDef*> keys;
  std::vector<uint32_t> unique_counts;
  for (const auto& index : file.indexes) {
    keys.push_back(&index->def);
    // The committed count, unless the client's own changes are to be seen.
    unique_counts.push_back(own_changes ? CountDistinctView(*index, txn) : index->distinct);
  }
  const uint32_t cap = call.data == nullptr ? 0 : call.data_cap;
  const std::size_t size = WriteStat(file.attrs, static_cast<uint32_t>(std::max<int64_t>(count, 0)),
                                     keys, unique_counts, file.acs, call.data, cap);
  if (call.key != nullptr && call.key_cap > 0) call.key[0] = 0;
  if (size > cap) {
    call.SetDataLength(cap);
    return BTR_STATUS_DATA_BUFFER_TOO_SHORT;
  }
  call.SetDataLength(static_cast<uint32_t>(size));
  return 0;
}

int16_t OpSetOwner(EngineState& st, Call& call) {
  Cursor* cursor = ResolveCursor(st, call);
  if (cursor == nullptr) return BTR_STATUS_FILE_NOT_OPEN;
  FileState& file = *cursor->file;
  if (const int16_t s = CheckDefinitionChange(st, *cursor, false); s != 0) return s;
  if (!file.attrs.owner.empty()) return BTR_STATUS_OWNER_ALREADY_SET;
  const std::string name = BufferText(call.data, call.data_cap, false);
  const std::string again = BufferText(call.key, call.key_cap, false);
  const int mode = call.key_number;
  if (name.empty() || name != again || name.size() > BTR_OWNER_MAX ||
      name.find_first_not_of(' ') == std::string::npos || mode < 0 || mode > 3) {
    return BTR_STATUS_INVALID_OWNER;
  }
  FileDefinition def = file.Definition();
  def.attrs.owner = name;
  def.attrs.owner_mode = static_cast<uint8_t>(mode);
  if (const int16_t s = WriteDefinition(file, def); s != 0) return s;
  file.attrs.owner.swap(def.attrs.owner);
  file.attrs.owner_mode = static_cast<uint8_t>(mode);
  cursor->owner_ok = true;
  return 0;
}

int16_t OpClearOwner(EngineState& st, Call& call) {
  Cursor* cursor = ResolveCursor(st, call);
  if (cursor == nullptr) return BTR_STATUS_FILE_NOT_OPEN;
  FileState& file = *cursor->file;
  if (const int16_t s = CheckDefinitionChange(st, *cursor, true); s != 0) return s;
  if (file.attrs.owner.empty()) return 0;
  FileDefinition def = file.Definition();
  def.attrs.owner.clear();
  def.attrs.owner_mode = 0;
  if (const int16_t s = WriteDefinition(file, def); s != 0) return s;
  file.attrs.owner.clear();
  file.attrs.owner_mode = 0;
  return 0;
}

int16_t OpCreateIndex(EngineState& st, Call& call) {
  Cursor* cursor = ResolveCursor(st, call);
  if (cursor == nullptr) return BTR_STATUS_FILE_NOT_OPEN;
  FileState& file = *cursor->file;
  if (const int16_t s = CheckDefinitionChange(st, *cursor, false); s != 0) return s;
  NewKeySpec spec;
  const uint32_t len = call.data == nullptr ? 0 : call.data_cap;
  if (const int16_t s = ParseNewKeyBuffer(call.data, len, &spec); s != 0) return s;

  // A collating sequence that came along is shared with an identical one
  // the file has, else added.
  std::vector<Acs> acs = file.acs;
  if (spec.has_acs) {
    if (const int16_t s = ValidateAcs(spec.acs); s != 0) return s;
    auto same = std::find_if(acs.begin(), acs.end(),
                             [&](const Acs& a) { return a.block == spec.acs.block; });
    const auto number = static_cast<uint8_t>(same - acs.begin());
    if (same == acs.end()) acs.push_back(spec.acs);
    for (KeySegment& seg : spec.key.segments) {
      if (seg.flags & BTR_KEY_ACS) seg.acs_number = number;
    }
  }
  const auto bias = static_cast<uint8_t>(call.key_number);
  const int number = (bias & BTR_KEY_NUMBER_BIAS) ? (spec.spec_key_number & ~BTR_KEY_NUMBER_BIAS)
                                                  : LowestFreeKeyNumber(file);
  if (number >= kMaxKeys || file.IndexOf(number) >= 0) return BTR_STATUS_INVALID_KEY_NUMBER;
  spec.key.number = number;

  FileDefinition def = file.Definition();
  def.acs = acs;
  def.keys.push_back(DefinedKey{file.next_index_id, spec.key});
  std::sort(def.keys.begin(), def.keys.end(),
            [](const DefinedKey& a, const DefinedKey& b) { return a.def.number < b.def.number; });
  if (const int16_t s = ValidateKeys(def.attrs, def.keys, def.acs); s != 0) return s;

  // The new sequence must be in place while the index is built; it goes
  // again if the build or the write fails.
  const std::size_t old_acs = file.acs.size();
  file.acs.reserve(acs.size());
  file.acs.assign(acs.begin(), acs.end());
  file.indexes.reserve(file.indexes.size() + 1);
  auto index = std::make_unique<KeyIndex>(file.next_index_id, spec.key, &file.acs);
  index->AttachTree(&file.store->pager(), file.store.get());
  KeyIndex* const added = index.get();
  std::size_t position = 0;
  // Taken back (also when an exception leaves the write): the index leaves
  // the list again, the sequence goes.
  auto take_back = [&] {
    if (!index) {
      index = std::move(file.indexes[position]);
      file.indexes.erase(file.indexes.begin() + static_cast<std::ptrdiff_t>(position));
    }
    file.acs.resize(old_acs);
  };
  int16_t status = 0;
  try {
    status = StoreWrite(file, false, [&] {
      if (const int16_t s = BuildIndex(file, *added, &position); s != 0) return s;
      file.indexes.insert(file.indexes.begin() + static_cast<std::ptrdiff_t>(position),
                          std::move(index));
      file.store->WriteDefinition(file.Definition());
      return int16_t{0};
    });
  } catch (...) {
    take_back();
    throw;
  }
  if (status != 0) {
    take_back();
    return status;
  }
  ++file.next_index_id;
  AfterKeysChanged(st, &file, -1, false);
  return 0;
}

int16_t OpDropIndex(EngineState& st, Call& call) {
  Cursor* cursor = ResolveCursor(st, call);
  if (cursor == nullptr) return BTR_STATUS_FILE_NOT_OPEN;
  FileState& file = *cursor->file;
  if (const int16_t s = CheckDefinitionChange(st, *cursor, false); s != 0) return s;
  const auto raw = static_cast<uint8_t>(call.key_number);
  const bool keep_numbers = (raw & BTR_KEY_NUMBER_BIAS) != 0;
  const int number = raw & ~BTR_KEY_NUMBER_BIAS;
  const int pos = file.IndexOf(number);
  if (pos < 0) return BTR_STATUS_INVALID_KEY_NUMBER;

  // Out of the list and renumbered while the write runs; back in place if
  // it fails.
  std::unique_ptr<KeyIndex> dropped;
  auto take_back = [&] {
    if (!dropped) return;
    if (!keep_numbers) {
      for (auto& index : file.indexes) {
        if (index->def.number >= number) ++index->def.number;
      }
    }
    for (const IndexRoot& r : file.header().indexes) {
      if (r.id != dropped->id) continue;
      dropped->root = r.root;
      dropped->distinct = r.distinct;
    }
    file.indexes.insert(file.indexes.begin() + pos, std::move(dropped));
  };
  int16_t status = 0;
  try {
    status = StoreWrite(file, false, [&] {
      DestroyIndex(file, static_cast<std::size_t>(pos));
      file.indexes.reserve(file.indexes.size());
      dropped = std::move(file.indexes[pos]);
      file.indexes.erase(file.indexes.begin() + pos);
      if (!keep_numbers) {
        for (auto& index : file.indexes) {
          if (index->def.number > number) --index->def.number;
        }
      }
      file.store->WriteDefinition(file.Definition());
      return int16_t{0};
    });
  } catch (...) {
    take_back();
    throw;
  }
  if (status != 0) {
    take_back();
    return status;
  }
  AfterKeysChanged(st, &file, number, !keep_numbers);
  return 0;
}

}  // namespace vv::engine
