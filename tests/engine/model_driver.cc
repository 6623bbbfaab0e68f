#include "engine/model_driver.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "engine/test_util.h"
#include "veverave/btrieve.h"

namespace vv::engine::testing {
namespace {

// The table: id INTEGER at 1 (key 0, unique), name STRING(8) at 5 (key 1,
// duplicates), val INTEGER at 13 (key 2, duplicates, left out when 0),
// filler to 24 bytes. Every key is modifiable.
constexpr int kKeys = 3;
constexpr std::size_t kMaxRecord = 4096;
const char* const kNames[] = {"alpha   ", "beta    ", "gamma   ",
                              "\xE9"
                              "clair  "};

struct Rec {
  int32_t id = 0;
  std::string name;
  int32_t val = 0;
  uint8_t fill = 0;
  uint32_t address = 0;
  std::array<uint64_t, kKeys> stamp{};  // per key: the change that gave it its value
};

void PutI32(uint8_t* p, int32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
}
int32_t GetI32(const uint8_t* p) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | p[i];
  return static_cast<int32_t>(v);
}

std::string Image(const Rec& r, uint16_t length) {
  std::string b(length, static_cast<char>(r.fill));
  auto* p = reinterpret_cast<uint8_t*>(b.data());
  PutI32(p, r.id);
  std::memcpy(p + 4, r.name.data(), 8);
  PutI32(p + 12, r.val);
  return b;
}

// A key value that orders as the engine orders that key, byte by byte.
std::string Ordered(int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v) ^ 0x80000000u;
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(u >> (8 * (3 - i)));
  return s;
}
std::string KeyValue(const Rec& r, int key) {
  return key == 0 ? Ordered(r.id) : key == 1 ? r.name : Ordered(r.val);
}
bool InKey(const Rec& r, int key) {
  return key != 2 || r.val != 0;
}
// The key buffer form of a value.
std::string KeyBytes(const Rec& r, int key) {
  const std::string image = Image(r, 24);
  return image.substr(key == 0 ? 0 : key == 1 ? 4 : 12, key == 1 ? 8 : 4);
}

using Records = std::map<uint32_t, Rec>;  // by address

struct Entry {
  std::string value;
  uint64_t stamp;
  const Rec* rec;
  bool operator<(const Entry& o) const {
    return value != o.value ? value < o.value : stamp < o.stamp;
  }
};

std::vector<Entry> Entries(const Records& view, int key) {
  std::vector<Entry> out;
  for (const auto& [address, r] : view) {
    if (InKey(r, key)) out.push_back({KeyValue(r, key), r.stamp[key], &r});
  }
  std::sort(out.begin(), out.end());
  return out;
}

struct ClientState {
  std::array<uint8_t, BTR_CLIENT_ID_SIZE> id{};
  Block pb{}, check{}, raw{};
  bool txn = false;
  std::map<uint32_t, std::optional<Rec>> pending;  // by address; nullopt: deleted
  bool has_current = false;
  uint32_t current = 0;
  bool has_physical = false;
  uint32_t physical = 0;
  int key_path = -1;
  std::string key_value;
  uint64_t key_stamp = 0;
};

class Input {
 public:
  Input(const uint8_t* p, std::size_t n) : p_(p), n_(n) {}
  bool done() const { return i_ >= n_; }
  uint8_t Next() { return i_ < n_ ? p_[i_++] : 0; }

 private:
  const uint8_t* p_;
  std::size_t n_;
  std::size_t i_ = 0;
};

enum Op {
  kInsert,
  kUpdate,
  kDelete,
  kGet,
  kStep,
  kBegin,
  kEnd,
  kAbort,
  kDirect,
  kHostile,
  kReopen
};
constexpr int kOpCount = 11;

class Driver {
 public:
  Driver(const BtrCall& call, std::string path, const ModelOptions& options)
      : call_(call), path_(std::move(path)), options_(options), len_(options.record_length) {
    clients_[0].id[0] = 'A';
    clients_[1].id[0] = 'B';
  }

  std::string Run(Input& in) {
    if (!Setup()) return failure_;
    while (!in.done() && failure_.empty()) {
      const uint8_t b = in.Next();
      ClientState& c = clients_[b & 1];
      step_ = "op " + std::to_string(++count_) + " (" + std::to_string((b >> 1) % kOpCount) +
              " by " + static_cast<char>(c.id[0]) + ")";
      Do(static_cast<Op>((b >> 1) % kOpCount), c, in);
      if (count_ % options_.check_every != 0) continue;
      for (ClientState& each : clients_) {
        if (failure_.empty()) CheckView(each);
      }
    }
    step_ = "at the end";
    for (ClientState& each : clients_) {
      if (failure_.empty()) CheckView(each);
    }
    for (ClientState& c : clients_) Raw(c, BTR_RESET, nullptr, nullptr, 0, nullptr, 0, 0);
    return failure_;
  }

 private:
  int16_t Raw(ClientState& c, uint16_t op, Block* block, void* data, uint32_t len, void* key,
              uint8_t key_len, int8_t key_number, uint32_t* len_out = nullptr) {
    uint32_t l = len;
    const int16_t s = call_(op, block != nullptr ? block->data() : nullptr, data, &l, key, key_len,
                            key_number, c.id.data());
    if (len_out != nullptr) *len_out = l;
    return s;
  }

  void Fail(const std::string& what) {
    if (failure_.empty()) failure_ = step_ + ": " + what;
  }
  bool Expect(bool ok, const std::string& what) {
    if (!ok) Fail(what);
    return ok;
  }
  bool Allowed(int16_t s, std::initializer_list<int16_t> set, const char* what) {
    return Expect(std::find(set.begin(), set.end(), s) != set.end(),
                  std::string(what) + " answered " + std::to_string(s));
  }

  bool OpenBlocks(ClientState& c) {
    for (Block* b : {&c.pb, &c.check, &c.raw}) {
      char key[256] = {};
      std::memcpy(key, path_.data(), std::min<std::size_t>(path_.size(), 255));
      if (!Allowed(Raw(c, BTR_OPEN, b, nullptr, 0, key, 255, 0), {0}, "open")) return false;
    }
    return true;
  }

  bool Setup() {
    std::string layout = CreateBuffer(
        len_, 4096, 0,
        {{{1, 4, BTR_KEY_MODIFIABLE, BTR_TYPE_INTEGER}},
         {{5, 8, BTR_KEY_MODIFIABLE | BTR_KEY_DUPLICATES, BTR_TYPE_STRING}},
         {{13, 4, BTR_KEY_MODIFIABLE | BTR_KEY_DUPLICATES | BTR_KEY_NULL_ALL, BTR_TYPE_INTEGER}}});
    char key[256] = {};
    std::memcpy(key, path_.data(), std::min<std::size_t>(path_.size(), 255));
    if (!Allowed(Raw(clients_[0], BTR_CREATE, nullptr, layout.data(),
                     static_cast<uint32_t>(layout.size()), key, 255, BTR_CREATE_REPLACE),
                 {0}, "create")) {
      return false;
    }
    return OpenBlocks(clients_[0]) && OpenBlocks(clients_[1]);
  }

  Records View(const ClientState& c) const {
    Records view = committed_;
    for (const auto& [address, r] : c.pending) {
      if (r) {
        view[address] = *r;
      } else {
        view.erase(address);
      }
    }
    return view;
  }

  void Apply(ClientState& c, uint32_t address, std::optional<Rec> r) {
    if (c.txn) {
      c.pending[address] = std::move(r);
    } else if (r) {
      committed_[address] = *r;
    } else {
      committed_.erase(address);
    }
  }

  Rec Decode(const uint8_t* p, uint32_t address) const {
    Rec r;
    r.id = GetI32(p);
    r.name.assign(reinterpret_cast<const char*>(p) + 4, 8);
    r.val = GetI32(p + 12);
    r.fill = p[16];
    r.address = address;
    return r;
  }

  static uint32_t BlockAddress(const Block& b) {
    return static_cast<uint32_t>(GetI32(b.data() + BTR_POS_BLOCK_ADDRESS_OFFSET));
  }

  Rec NewRecord(Input& in) {
    Rec r;
    r.id = static_cast<int8_t>(in.Next()) % options_.id_range;
    r.name = kNames[in.Next() % 4];
    r.val = in.Next() % 4;
    r.fill = in.Next();
    return r;
  }

  // After a write with key path k (-1: none): the logical position.
  void SetPath(ClientState& c, const Rec& r, int k) {
    if (k < 0) return;
    c.key_path = k;
    c.key_value = KeyValue(r, k);
    c.key_stamp = r.stamp[k];
  }

  void Do(Op op, ClientState& c, Input& in) {
    switch (op) {
      case kInsert:
        return Insert(c, in);
      case kUpdate:
        return Update(c, in);
      case kDelete:
        return Delete(c);
      case kGet:
        return Get(c, in);
      case kStep:
        return Step(c, in);
      case kBegin: {
        const bool concurrent = in.Next() & 1;
        const int16_t s =
            Raw(c, concurrent ? BTR_BEGIN_CONCURRENT_TRANSACTION : BTR_BEGIN_TRANSACTION, nullptr,
                nullptr, 0, nullptr, 0, 0);
        if (Allowed(s, {static_cast<int16_t>(c.txn ? BTR_STATUS_TRANSACTION_ACTIVE : 0)}, "begin"))
          c.txn = true;
        return;
      }
      case kEnd: {
        const int16_t s = Raw(c, BTR_END_TRANSACTION, nullptr, nullptr, 0, nullptr, 0, 0);
        Allowed(s, {static_cast<int16_t>(c.txn ? 0 : BTR_STATUS_NO_TRANSACTION)}, "end");
        if (s == 0) {
          c.txn = false;
          for (auto& [address, r] : c.pending) Apply(c, address, r);
          c.pending.clear();
        }
        return;
      }
      case kAbort: {
        const int16_t s = Raw(c, BTR_ABORT_TRANSACTION, nullptr, nullptr, 0, nullptr, 0, 0);
        Allowed(s, {static_cast<int16_t>(c.txn ? 0 : BTR_STATUS_NO_TRANSACTION)}, "abort");
        c.txn = false;
        c.pending.clear();
        return;
      }
      case kDirect:
        return Direct(c, in);
      case kHostile:
        return Hostile(c, in);
      case kReopen:
        return Reopen(in);
    }
  }

  void Insert(ClientState& c, Input& in) {
    Rec r = NewRecord(in);
    const int k = static_cast<int>(in.Next() % 4) - 1;
    auto image = Image(r, len_);
    char key[256] = {};
    const int16_t s =
        Raw(c, BTR_INSERT, &c.pb, image.data(), len_, key, 255, static_cast<int8_t>(k));
    const Records view = View(c);
    const bool dup =
        std::any_of(view.begin(), view.end(), [&](const auto& e) { return e.second.id == r.id; });
    if (dup) {
      Allowed(s, {BTR_STATUS_DUPLICATE_KEY, BTR_STATUS_FILE_LOCKED}, "duplicate insert");
    } else {
      Allowed(s, {0, BTR_STATUS_RECORD_LOCKED, BTR_STATUS_FILE_LOCKED}, "insert");
    }
    if (s != 0) return;
    r.address = BlockAddress(c.pb);
    Expect(r.address != 0 && !used_.count(r.address), "insert gave a used address");
    used_.insert(r.address);
    r.stamp.fill(++stamp_);
    Apply(c, r.address, r);
    c.has_current = c.has_physical = true;
    c.current = c.physical = r.address;
    SetPath(c, r, k);
    if (k >= 0)
      Expect(std::memcmp(key, KeyBytes(r, k).data(), KeyBytes(r, k).size()) == 0, "insert key");
  }

  void Update(ClientState& c, Input& in) {
    const Records view = View(c);
    const auto it = c.has_current ? view.find(c.current) : view.end();
    Rec r = it != view.end() ? it->second : Rec{};
    const uint8_t how = in.Next();
    if (how < 48) r.id = static_cast<int8_t>(in.Next()) % options_.id_range;
    if (how & 1) r.name = kNames[in.Next() % 4];
    if (how & 2) r.val = in.Next() % 4;
    r.fill = in.Next();
    const int k = static_cast<int>(in.Next() % 4) - 1;
    auto image = Image(r, len_);
    char key[256] = {};
    const int16_t s =
        Raw(c, BTR_UPDATE, &c.pb, image.data(), len_, key, 255, static_cast<int8_t>(k));
    if (!c.has_current) {
      Allowed(s, {BTR_STATUS_INVALID_POSITIONING, BTR_STATUS_FILE_LOCKED},
              "update without a current record");
      return;
    }
    Allowed(s,
            {0, BTR_STATUS_DUPLICATE_KEY, BTR_STATUS_CONFLICT, BTR_STATUS_RECORD_LOCKED,
             BTR_STATUS_FILE_LOCKED},
            "update");
    if (s != 0) return;
    if (!Expect(it != view.end(), "update of a record the client does not see")) return;
    const uint64_t stamp = ++stamp_;
    for (int i = 0; i < kKeys; ++i) {
      const bool was = InKey(it->second, i);
      const bool is = InKey(r, i);
      if (was != is || (is && KeyValue(it->second, i) != KeyValue(r, i))) r.stamp[i] = stamp;
    }
    Expect(std::none_of(view.begin(), view.end(),
                        [&](const auto& e) { return e.second.id == r.id && e.first != r.address; }),
           "update made a duplicate id");
    Apply(c, r.address, r);
    c.physical = r.address;
    c.has_physical = true;
    SetPath(c, r, k);
  }

  void Delete(ClientState& c) {
    const int16_t s = Raw(c, BTR_DELETE, &c.pb, nullptr, 0, nullptr, 0, 0);
    if (!c.has_current) {
      Allowed(s, {BTR_STATUS_INVALID_POSITIONING, BTR_STATUS_FILE_LOCKED},
              "delete without a current record");
      return;
    }
    Allowed(s, {0, BTR_STATUS_CONFLICT, BTR_STATUS_RECORD_LOCKED, BTR_STATUS_FILE_LOCKED},
            "delete");
    if (s != 0) return;
    const Records view = View(c);
    if (!Expect(view.count(c.current) == 1, "delete of a record the client does not see")) return;
    Apply(c, c.current, std::nullopt);
    c.has_current = false;
  }

  // Checks a read against the expected record (nullptr: none, with status
  // miss) and moves the model's currencies.
  void Read(ClientState& c, int16_t s, const uint8_t* data, const Rec* want, int16_t miss,
            const char* what) {
    if (s == BTR_STATUS_FILE_LOCKED) return;
    if (want == nullptr) {
      Allowed(s, {miss}, what);
      return;
    }
    if (!Allowed(s, {0}, what)) return;
    const Rec got = Decode(data, BlockAddress(c.pb));
    Expect(got.address == want->address && Image(got, len_) == Image(*want, len_),
           std::string(what) + " read id " + std::to_string(got.id) + " at " +
               std::to_string(got.address) + ", expected id " + std::to_string(want->id) + " at " +
               std::to_string(want->address));
    c.has_current = c.has_physical = true;
    c.current = c.physical = want->address;
  }

  void Get(ClientState& c, Input& in) {
    const int k = in.Next() % kKeys;
    const int mode = in.Next() % 9;
    Rec probe;
    probe.id = static_cast<int8_t>(in.Next()) % options_.id_range;
    probe.name = kNames[in.Next() % 4];
    probe.val = probe.id % 4;
    static constexpr uint16_t kOps[] = {BTR_GET_EQUAL,   BTR_GET_GREATER_OR_EQUAL,
                                        BTR_GET_GREATER, BTR_GET_LESS_OR_EQUAL,
                                        BTR_GET_LESS,    BTR_GET_FIRST,
                                        BTR_GET_LAST,    BTR_GET_NEXT,
                                        BTR_GET_PREVIOUS};
    std::string key = KeyBytes(probe, k);
    key.resize(255, '\0');
    uint8_t data[kMaxRecord] = {};
    const int16_t s =
        Raw(c, kOps[mode], &c.pb, data, len_, key.data(), 255, static_cast<int8_t>(k));
    const Records view = View(c);
    const std::vector<Entry> entries = Entries(view, k);
    const Entry at{KeyValue(probe, k), 0, nullptr};
    const Entry after{KeyValue(probe, k), UINT64_MAX, nullptr};
    auto lower = std::lower_bound(entries.begin(), entries.end(), at);
    auto upper = std::lower_bound(entries.begin(), entries.end(), after);
    const Entry* want = nullptr;
    int16_t miss = BTR_STATUS_END_OF_FILE;
    const Entry* end = entries.data() + entries.size();
    auto ptr = [&](std::vector<Entry>::const_iterator i) {
      return entries.data() + (i - entries.begin());
    };
    switch (mode) {
      case 0:
        miss = BTR_STATUS_KEY_NOT_FOUND;
        if (lower != entries.end() && lower->value == at.value) want = ptr(lower);
        break;
      case 1:
        want = ptr(lower);
        break;
      case 2:
        want = ptr(upper);
        break;
      case 3:
        want = upper == entries.begin() ? end : ptr(upper) - 1;
        break;
      case 4:
        want = lower == entries.begin() ? end : ptr(lower) - 1;
        break;
      case 5:
        want = entries.data();
        break;
      case 6:
        want = entries.empty() ? end : end - 1;
        break;
      default: {
        if (c.key_path != k) {
          Allowed(s,
                  {static_cast<int16_t>(c.key_path < 0 ? BTR_STATUS_INVALID_POSITIONING
                                                       : BTR_STATUS_DIFFERENT_KEY_NUMBER),
                   BTR_STATUS_FILE_LOCKED},
                  "get next/previous off the key path");
          return;
        }
        const Entry pos{c.key_value, c.key_stamp, nullptr};
        if (mode == 7) {
          want = ptr(std::upper_bound(entries.begin(), entries.end(), pos));
        } else {
          const auto i = std::lower_bound(entries.begin(), entries.end(), pos);
          want = i == entries.begin() ? end : ptr(i) - 1;
        }
      }
    }
    if (want == end) want = nullptr;
    Read(c, s, data, want != nullptr ? want->rec : nullptr, miss, "get");
    if (s == 0 && want != nullptr) {
      c.key_path = k;
      c.key_value = want->value;
      c.key_stamp = want->stamp;
      Expect(std::memcmp(key.data(), KeyBytes(*want->rec, k).data(),
                         KeyBytes(*want->rec, k).size()) == 0,
             "get returned another key");
    }
  }

  void Step(ClientState& c, Input& in) {
    const int mode = in.Next() % 4;
    static constexpr uint16_t kOps[] = {BTR_STEP_FIRST, BTR_STEP_LAST, BTR_STEP_NEXT,
                                        BTR_STEP_PREVIOUS};
    uint8_t data[kMaxRecord] = {};
    const int16_t s = Raw(c, kOps[mode], &c.pb, data, len_, nullptr, 0, 0);
    const Records view = View(c);
    const Rec* want = nullptr;
    if (mode == 0 || (mode == 2 && !c.has_physical)) {
      if (!view.empty()) want = &view.begin()->second;
    } else if (mode == 1) {
      if (!view.empty()) want = &view.rbegin()->second;
    } else if (mode == 2) {
      const auto it = view.upper_bound(c.physical);
      if (it != view.end()) want = &it->second;
    } else if (c.has_physical) {
      const auto it = view.lower_bound(c.physical);
      if (it != view.begin()) want = &std::prev(it)->second;
    }
    Read(c, s, data, want, BTR_STATUS_END_OF_FILE, "step");
    if (s == 0 && mode < 2) c.key_path = -1;
  }

  void Direct(ClientState& c, Input& in) {
    const uint32_t address = in.Next() % (used_.size() + 2);
    uint8_t data[kMaxRecord] = {};
    PutI32(data, static_cast<int32_t>(address));
    const int16_t s = Raw(c, BTR_GET_DIRECT, &c.pb, data, len_, nullptr, 0, -1);
    const Records view = View(c);
    const auto it = view.find(address);
    Read(c, s, data, it == view.end() ? nullptr : &it->second, BTR_STATUS_INVALID_ADDRESS,
         "get direct");
    if (s == 0) c.key_path = -1;
  }

  // Any read operation with any bias, key number and lengths, on a block
  // the model does not follow: it must answer without harm.
  void Hostile(ClientState& c, Input& in) {
    static constexpr uint16_t kReads[] = {BTR_GET_EQUAL,
                                          BTR_GET_NEXT,
                                          BTR_GET_PREVIOUS,
                                          BTR_GET_GREATER,
                                          BTR_GET_GREATER_OR_EQUAL,
                                          BTR_GET_LESS,
                                          BTR_GET_LESS_OR_EQUAL,
                                          BTR_GET_FIRST,
                                          BTR_GET_LAST,
                                          BTR_GET_POSITION,
                                          BTR_GET_DIRECT,
                                          BTR_STEP_NEXT,
                                          BTR_STEP_FIRST,
                                          BTR_STEP_LAST,
                                          BTR_STEP_PREVIOUS,
                                          BTR_STAT,
                                          BTR_VERSION,
                                          BTR_UNLOCK,
                                          99};
    const uint16_t op =
        static_cast<uint16_t>(kReads[in.Next() % std::size(kReads)] + 100 * (in.Next() % 6));
    const auto key_number = static_cast<int8_t>(in.Next());
    std::array<uint8_t, 1024> data{};
    std::array<uint8_t, 256> key{};
    for (int i = 0; i < 8; ++i) data[static_cast<std::size_t>(i)] = in.Next();
    for (int i = 0; i < 8; ++i) key[static_cast<std::size_t>(i)] = in.Next();
    const uint32_t len = in.Next() * 4u;
    const auto key_len = static_cast<uint8_t>(in.Next());
    const int16_t s = Raw(c, op, &c.raw, data.data(), len, key.data(), key_len, key_number);
    Expect(s >= 0 && s < 200, "hostile read answered " + std::to_string(s));
    // Locks it took stay until Reset; they only make other writes answer 84.
  }

  void Reopen(Input& in) {
    if (in.Next() % 4 != 0) return;
    for (ClientState& c : clients_) {
      Allowed(Raw(c, BTR_RESET, nullptr, nullptr, 0, nullptr, 0, 0), {0}, "reset");
      const auto id = c.id;
      c = ClientState();
      c.id = id;
    }
    if (options_.reopen) options_.reopen();
    for (ClientState& c : clients_) {
      if (!OpenBlocks(c)) return;
    }
  }

  // Walks every key and the physical order through the client's check
  // block and compares them and Stat with its view.
  void CheckView(ClientState& c) {
    const Records view = View(c);
    uint8_t data[kMaxRecord];
    std::string key(255, '\0');
    for (int k = 0; k < kKeys && failure_.empty(); ++k) {
      const std::vector<Entry> entries = Entries(view, k);
      std::size_t i = 0;
      int16_t s =
          Raw(c, BTR_GET_FIRST, &c.check, data, len_, key.data(), 255, static_cast<int8_t>(k));
      if (s == BTR_STATUS_FILE_LOCKED) return;
      for (; s == 0 && failure_.empty(); ++i) {
        const Rec got = Decode(data, BlockAddress(c.check));
        if (!Expect(i < entries.size(), "walk of key " + std::to_string(k) +
                                            " found an extra record id " + std::to_string(got.id)))
          return;
        Expect(got.address == entries[i].rec->address &&
                   Image(got, len_) == Image(*entries[i].rec, len_),
               "walk of key " + std::to_string(k) + " at " + std::to_string(i) + ": id " +
                   std::to_string(got.id) + ", expected " + std::to_string(entries[i].rec->id));
        s = Raw(c, BTR_GET_NEXT, &c.check, data, len_, key.data(), 255, static_cast<int8_t>(k));
      }
      Allowed(s, {BTR_STATUS_END_OF_FILE}, "end of walk");
      Expect(i == entries.size(), "walk of key " + std::to_string(k) + " found " +
                                      std::to_string(i) + " of " + std::to_string(entries.size()));
    }
    std::size_t n = 0;
    int16_t s = Raw(c, BTR_STEP_FIRST, &c.check, data, len_, nullptr, 0, 0);
    for (auto it = view.begin(); s == 0 && failure_.empty(); ++n, ++it) {
      if (!Expect(it != view.end(), "physical walk found an extra record")) return;
      Expect(BlockAddress(c.check) == it->first &&
                 Image(Decode(data, 0), len_) == Image(it->second, len_),
             "physical walk at " + std::to_string(n));
      s = Raw(c, BTR_STEP_NEXT, &c.check, data, len_, nullptr, 0, 0);
    }
    Expect(n == view.size(), "physical walk found " + std::to_string(n));
    std::vector<uint8_t> stat(BTR_FILEDEF_SIZE + 3 * BTR_KEYDEF_SIZE + 64);
    uint32_t len = 0;
    s = Raw(c, BTR_STAT, &c.check, stat.data(), static_cast<uint32_t>(stat.size()), key.data(), 255,
            0, &len);
    if (!Allowed(s, {0}, "stat")) return;
    Expect(static_cast<std::size_t>(GetI32(stat.data() + BTR_FILEDEF_RECORD_COUNT)) == view.size(),
           "stat counts " + std::to_string(GetI32(stat.data() + BTR_FILEDEF_RECORD_COUNT)) +
               " records, expected " + std::to_string(view.size()));
    for (int k = 0; k < kKeys; ++k) {
      std::set<std::string> values;
      for (const Entry& e : Entries(view, k)) values.insert(e.value);
      const uint8_t* key_layout =
          stat.data() + BTR_FILEDEF_SIZE + BTR_KEYDEF_SIZE * static_cast<std::size_t>(k);
      Expect(static_cast<std::size_t>(GetI32(key_layout + BTR_KEYDEF_UNIQUE_COUNT)) == values.size(),
             "stat unique values of key " + std::to_string(k));
    }
  }

  const BtrCall& call_;
  std::string path_;
  const ModelOptions& options_;
  uint16_t len_;
  std::array<ClientState, 2> clients_;
  Records committed_;
  std::set<uint32_t> used_;
  uint64_t stamp_ = 0;
  std::string failure_;
  std::string step_ = "setup";
  int count_ = 0;
};

}  // namespace

std::string RunModel(const BtrCall& call, const std::string& path, const uint8_t* input,
                     std::size_t size, const ModelOptions& options) {
  Driver driver(call, path, options);
  Input in(input, size);
  return driver.Run(in);
}

}  // namespace vv::engine::testing
