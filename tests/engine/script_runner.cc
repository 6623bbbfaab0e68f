#include "engine/script_runner.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <sstream>

#include "engine/engine.h"
#include "engine/options.h"
#include "platform/platform.h"
#include "veverave/btrieve.h"

namespace vv::engine::testing {

namespace {

constexpr std::size_t kDataSize = 65536;

struct Statement {
  int line = 0;
  std::string client;
  std::string op;
  std::vector<std::string> positional;
  std::vector<std::pair<std::string, std::string>> args;
  bool expect = false;
  std::string status;
  std::vector<std::pair<std::string, std::string>> checks;

  const std::string* Arg(const std::string& name) const {
    for (const auto& [k, v] : args) {
      if (k == name) return &v;
    }
    return nullptr;
  }
  bool Flag(const std::string& name) const {
    for (const std::string& p : positional) {
      if (p == name) return true;
    }
    return false;
  }
};

struct OpInfo {
  const char* name;
  int code;
  bool block;  // takes a position block
};

const OpInfo kOps[] = {
    {"open", BTR_OPEN, true},
    {"close", BTR_CLOSE, true},
    {"insert", BTR_INSERT, true},
    {"update", BTR_UPDATE, true},
    {"delete", BTR_DELETE, true},
    {"get_equal", BTR_GET_EQUAL, true},
    {"get_next", BTR_GET_NEXT, true},
    {"get_previous", BTR_GET_PREVIOUS, true},
    {"get_greater", BTR_GET_GREATER, true},
    {"get_ge", BTR_GET_GREATER_OR_EQUAL, true},
    {"get_less", BTR_GET_LESS, true},
    {"get_le", BTR_GET_LESS_OR_EQUAL, true},
    {"get_first", BTR_GET_FIRST, true},
    {"get_last", BTR_GET_LAST, true},
    {"create", BTR_CREATE, false},
    {"stat", BTR_STAT, true},
    {"begin", BTR_BEGIN_TRANSACTION, false},
    {"begin_concurrent", BTR_BEGIN_CONCURRENT_TRANSACTION, false},
    {"end", BTR_END_TRANSACTION, false},
    {"abort", BTR_ABORT_TRANSACTION, false},
    {"get_position", BTR_GET_POSITION, true},
    {"get_direct", BTR_GET_DIRECT, true},
    {"step_next", BTR_STEP_NEXT, true},
    {"step_first", BTR_STEP_FIRST, true},
    {"step_last", BTR_STEP_LAST, true},
    {"step_previous", BTR_STEP_PREVIOUS, true},
    {"version", BTR_VERSION, false},
    {"unlock", BTR_UNLOCK, true},
    {"reset", BTR_RESET, false},
    {"set_owner", BTR_SET_OWNER, true},
    {"clear_owner", BTR_CLEAR_OWNER, true},
    {"create_index", BTR_CREATE_INDEX, true},
    {"drop_index", BTR_DROP_INDEX, true},
    {"raw", -1, true},
};

const std::pair<const char*, int> kKeyFlags[] = {
    {"dup", BTR_KEY_DUPLICATES},    {"mod", BTR_KEY_MODIFIABLE},
    {"bin", BTR_KEY_BINARY},        {"nullall", BTR_KEY_NULL_ALL},
    {"seg", BTR_KEY_SEGMENTED},     {"acs", BTR_KEY_ACS},
    {"desc", BTR_KEY_DESCENDING},   {"repeat", BTR_KEY_REPEAT_DUPLICATES},
    {"ext", BTR_KEY_EXTENDED_TYPE}, {"nullany", BTR_KEY_NULL_ANY},
    {"nocase", BTR_KEY_NO_CASE},
};

const std::pair<const char*, int> kFileFlags[] = {
    {"var", BTR_FILE_VARIABLE},           {"trunc", BTR_FILE_BLANK_TRUNCATION},
    {"prealloc", BTR_FILE_PREALLOCATION}, {"compress", BTR_FILE_COMPRESSION},
    {"keyonly", BTR_FILE_KEY_ONLY},       {"balanced", BTR_FILE_BALANCED},
    {"keynums", BTR_FILE_KEY_NUMBERS},    {"sysdata", BTR_FILE_SYSTEM_DATA},
};

const std::pair<const char*, int> kTypes[] = {
    {"string", BTR_TYPE_STRING},
    {"integer", BTR_TYPE_INTEGER},
    {"float", BTR_TYPE_FLOAT},
    {"date", BTR_TYPE_DATE},
    {"time", BTR_TYPE_TIME},
    {"decimal", BTR_TYPE_DECIMAL},
    {"money", BTR_TYPE_MONEY},
    {"logical", BTR_TYPE_LOGICAL},
    {"numeric", BTR_TYPE_NUMERIC},
    {"bfloat", BTR_TYPE_BFLOAT},
    {"lstring", BTR_TYPE_LSTRING},
    {"zstring", BTR_TYPE_ZSTRING},
    {"unsigned", BTR_TYPE_UNSIGNED},
    {"autoinc", BTR_TYPE_AUTOINCREMENT},
    {"numsts", BTR_TYPE_NUMERIC_STS},
    {"numsa", BTR_TYPE_NUMERIC_SA},
    {"currency", BTR_TYPE_CURRENCY},
    {"timestamp", BTR_TYPE_TIMESTAMP},
    {"nullind", BTR_TYPE_NULL_INDICATOR},
    {"note", BTR_TYPE_NOTE},
};

#define VV_STATUS_NAME(code, name, text) {#name, code},
const std::pair<const char*, int> kStatusNames[] = {BTR_STATUSES(VV_STATUS_NAME)};
#undef VV_STATUS_NAME

template <std::size_t N>
bool Lookup(const std::pair<const char*, int> (&table)[N], const std::string& name, int* out) {
  for (const auto& [n, v] : table) {
    if (name == n) {
      *out = v;
      return true;
    }
  }
  return false;
}

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : s) {
    if (c == sep) {
      parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  parts.push_back(cur);
  return parts;
}

bool ParseInt(const std::string& s, long long* out) {
  if (s.empty()) return false;
  char* end = nullptr;
  *out = std::strtoll(s.c_str(), &end, 0);
  return *end == '\0';
}

std::string Text(const std::string& s) {
  std::string t = s;
  for (char& c : t) {
    if (c == '~') c = ' ';
  }
  return t;
}

// Expands repeat blocks; keeps each line's number.
void Expand(const std::vector<std::pair<int, std::string>>& lines, std::size_t* i, std::size_t end,
            const std::map<std::string, long long>& vars,
            std::vector<std::pair<int, std::string>>* out) {
  while (*i < end) {
    std::string line = lines[*i].second;
    for (const auto& [name, value] : vars) {
      const std::string pat = "{" + name + "}";
      for (std::size_t p; (p = line.find(pat)) != std::string::npos;) {
        line.replace(p, pat.size(), std::to_string(value));
      }
    }
    std::istringstream in(line);
    std::string word;
    in >> word;
    if (word == "end_repeat") return;
    if (word == "repeat") {
      std::string var;
      long long from = 0, to = 0;
      in >> var >> from >> to;
      const std::size_t body = ++*i;
      std::size_t after = body;
      for (long long v = from; v <= to; ++v) {
        std::map<std::string, long long> inner = vars;
        inner[var] = v;
        std::size_t j = body;
        Expand(lines, &j, end, inner, out);
        after = j;
      }
      if (from > to) {  // skip the body
        int depth = 0;
        for (after = body; after < end; ++after) {
          std::istringstream w(lines[after].second);
          std::string first;
          w >> first;
          if (first == "repeat") ++depth;
          if (first == "end_repeat" && depth-- == 0) break;
        }
      }
      *i = after + 1;
      continue;
    }
    out->push_back({lines[*i].first, line});
    ++*i;
  }
}

class Runner {
 public:
  Runner() {
    dir_ = platform::MakeTempDirectory("vvengine-script").value_or("");
    engine_ = std::make_unique<Engine>(DefaultOptions());
  }
  ~Runner() {
    engine_.reset();
    if (!dir_.empty()) platform::RemoveTree(dir_);
  }

  std::vector<std::string> Run(const std::string& text) {
    std::vector<std::pair<int, std::string>> raw;
    std::istringstream in(text);
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
      const std::size_t hash = line.find('#');
      if (hash != std::string::npos) line.resize(hash);
      if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
      raw.push_back({n, line});
    }
    std::vector<std::pair<int, std::string>> lines;
    std::size_t i = 0;
    Expand(raw, &i, raw.size(), {}, &lines);
    for (const auto& [n, l] : lines) Exec(n, l);
    return failures_;
  }

 private:
  void Fail(int line, const std::string& msg) {
    failures_.push_back("line " + std::to_string(line) + ": " + msg);
  }

  bool Record(int line, const std::string& spec, std::string* out) {
    out->clear();
    if (spec.empty()) return true;
    for (const std::string& piece : Split(spec, ',')) {
      if (!piece.empty() && piece[0] == '$') {
        const auto it = vars_.find(piece.substr(1));
        if (it == vars_.end()) return Fail(line, "unknown variable " + piece), false;
        for (int b = 0; b < 4; ++b) out->push_back(static_cast<char>(it->second >> (8 * b)));
        continue;
      }
      const std::size_t colon = piece.find(':');
      if (colon == std::string::npos || colon == 0) return Fail(line, "bad piece " + piece), false;
      const char kind = piece[0];
      const std::string size_text = piece.substr(1, colon - 1);
      const std::string value = piece.substr(colon + 1);
      long long size = 0;
      if (!size_text.empty() && !ParseInt(size_text, &size))
        return Fail(line, "bad size " + piece), false;
      switch (kind) {
        case 'i':
        case 'u': {
          long long v = 0;
          if (!ParseInt(value, &v)) return Fail(line, "bad number " + piece), false;
          for (long long b = 0; b < size; ++b) {
            out->push_back(static_cast<char>(static_cast<unsigned long long>(v) >> (8 * b)));
          }
          break;
        }
        case 'f': {
          const double d = std::strtod(value.c_str(), nullptr);
          if (size == 4) {
            const float f = static_cast<float>(d);
            out->append(reinterpret_cast<const char*>(&f), 4);
          } else {
            out->append(reinterpret_cast<const char*>(&d), 8);
          }
          break;
        }
        case 's':
        case 'z': {
          std::string t = Text(value);
          t.resize(static_cast<std::size_t>(size), kind == 's' ? ' ' : '\0');
          *out += t;
          break;
        }
        case 'l': {
          std::string t = Text(value);
          out->push_back(static_cast<char>(t.size()));
          t.resize(static_cast<std::size_t>(size - 1), '\0');
          *out += t;
          break;
        }
        case 'r': {
          const char b = static_cast<char>(std::strtol(value.c_str(), nullptr, 16));
          out->append(static_cast<std::size_t>(size), b);
          break;
        }
        case 'x':
          for (std::size_t k = 0; k + 1 < value.size(); k += 2) {
            out->push_back(static_cast<char>(std::strtol(value.substr(k, 2).c_str(), nullptr, 16)));
          }
          break;
        default:
          return Fail(line, "bad piece " + piece), false;
      }
    }
    return true;
  }

  // Key specifications of the seg= arguments, then the acs= blocks.
  bool KeySpecs(const Statement& s, std::string* out, int* keys) {
    *keys = 0;
    for (const auto& [name, value] : s.args) {
      if (name != "seg") continue;
      const std::vector<std::string> f = Split(value, ':');
      if (f.size() < 4) return Fail(s.line, "bad seg " + value), false;
      uint8_t spec[BTR_KEYDEF_SIZE] = {};
      long long pos = 0, len = 0;
      ParseInt(f[0], &pos);
      ParseInt(f[1], &len);
      int flags = 0;
      int type = 0;
      if (f[2] != "-") {
        if (!Lookup(kTypes, f[2], &type) && !ParseIntType(f[2], &type)) {
          return Fail(s.line, "bad type " + f[2]), false;
        }
        flags |= BTR_KEY_EXTENDED_TYPE;
      }
      if (f[3] != "-") {
        for (const std::string& flag : Split(f[3], ',')) {
          int bit = 0;
          if (!Lookup(kKeyFlags, flag, &bit)) return Fail(s.line, "bad flag " + flag), false;
          flags |= bit;
        }
      }
      spec[BTR_KEYDEF_POSITION] = static_cast<uint8_t>(pos);
      spec[BTR_KEYDEF_POSITION + 1] = static_cast<uint8_t>(pos >> 8);
      spec[BTR_KEYDEF_LENGTH] = static_cast<uint8_t>(len);
      spec[BTR_KEYDEF_LENGTH + 1] = static_cast<uint8_t>(len >> 8);
      spec[BTR_KEYDEF_FLAGS] = static_cast<uint8_t>(flags);
      spec[BTR_KEYDEF_FLAGS + 1] = static_cast<uint8_t>(flags >> 8);
      spec[BTR_KEYDEF_TYPE] = static_cast<uint8_t>(type);
      for (std::size_t k = 4; k < f.size(); ++k) {
        const std::size_t eq = f[k].find('=');
        long long v = 0;
        ParseInt(f[k].substr(eq + 1), &v);
        const std::string what = f[k].substr(0, eq);
        if (what == "null") spec[BTR_KEYDEF_NULL_VALUE] = static_cast<uint8_t>(v);
        if (what == "num") spec[BTR_KEYDEF_KEY_NUMBER] = static_cast<uint8_t>(v);
        if (what == "acs") spec[BTR_KEYDEF_ACS_NUMBER] = static_cast<uint8_t>(v);
      }
      out->append(reinterpret_cast<const char*>(spec), sizeof spec);
      if (!(flags & BTR_KEY_SEGMENTED)) ++*keys;
    }
    for (const auto& [name, value] : s.args) {
      if (name != "acs") continue;
      std::string block(BTR_ACS_SIZE, '\0');
      block[0] = static_cast<char>(value == "badsig" ? 0 : BTR_ACS_SIGNATURE);
      std::memcpy(&block[1], value.data(), std::min<std::size_t>(8, value.size()));
      for (int c = 0; c < 256; ++c) {
        int mapped = c;
        if (value == "upper" && c >= 'a' && c <= 'z') mapped = c - 'a' + 'A';
        if (value == "reverse") mapped = 255 - c;
        block[9 + c] = static_cast<char>(mapped);
      }
      *out += block;
    }
    return true;
  }

  static bool ParseIntType(const std::string& s, int* out) {
    long long v = 0;
    if (!ParseInt(s, &v)) return false;
    *out = static_cast<int>(v);
    return true;
  }

  bool Parse(int line, const std::string& text, Statement* s) {
    s->line = line;
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    std::size_t i = 0;
    if (i < words.size() && words[i][0] == '@') s->client = words[i++].substr(1);
    if (i >= words.size()) return Fail(line, "no operation"), false;
    s->op = words[i++];
    bool after = false;
    for (; i < words.size(); ++i) {
      const std::string& w = words[i];
      if (w == "->") {
        after = true;
        s->expect = true;
        if (++i >= words.size()) return Fail(line, "no status after ->"), false;
        s->status = words[i];
        continue;
      }
      const std::size_t eq = w.find('=');
      if (eq == std::string::npos) {
        if (after) return Fail(line, "bad check " + w), false;
        s->positional.push_back(w);
      } else {
        (after ? s->checks : s->args).push_back({w.substr(0, eq), w.substr(eq + 1)});
      }
    }
    return true;
  }

  ClientId IdOf(const std::string& name) {
    ClientId id{};
    if (name.empty() || name == "default") return id;
    for (std::size_t k = 0; k < name.size() && k < id.size(); ++k)
      id[k] = static_cast<uint8_t>(name[k]);
    return id;
  }

  void Exec(int line, const std::string& text) {
    Statement s;
    if (!Parse(line, text, &s)) return;
    if (s.op == "write_file") {  // write_file NAME TEXT: a file that is not an engine file
      if (s.positional.size() != 2 ||
          !platform::WriteStringToFile(dir_ + "/" + s.positional[0], Text(s.positional[1]))) {
        Fail(line, "write_file failed");
      }
      return;
    }
    if (s.op == "option") {
      if (s.positional.size() != 2 ||
          !engine_->SetOption(s.positional[0].c_str(),
                              s.positional[1] == "-" ? nullptr : s.positional[1].c_str())) {
        if (!s.expect || s.status != "refused") Fail(line, "option refused");
      }
      return;
    }
    const OpInfo* info = nullptr;
    for (const OpInfo& o : kOps) {
      if (s.op == o.name) info = &o;
    }
    if (info == nullptr) return Fail(line, "unknown operation " + s.op);

    long long number = 0;
    int op = info->code;
    if (const std::string* v = s.Arg("op"))
      op = ParseInt(*v, &number) ? static_cast<int>(number) : 0;
    if (const std::string* v = s.Arg("bias"); v != nullptr && ParseInt(*v, &number))
      op += static_cast<int>(number);
    if (s.Flag("noretry")) op += BTR_BIAS_NO_RETRY;

    std::size_t next = 0;
    uint8_t* block = nullptr;
    if (info->block) {
      if (s.Flag("nopb")) {
        block = nullptr;
      } else if (next < s.positional.size()) {
        block = blocks_[s.positional[next++]].data();
      }
    }
    std::vector<uint8_t> data(kDataSize, 0);
    std::array<uint8_t, 256> key{};
    uint32_t len = (op == BTR_STAT) ? kDataSize : 4096;
    uint8_t klen = BTR_MAX_KEY_SIZE;
    int8_t key_number = 0;
    if (info->code == BTR_CREATE || info->code == BTR_INSERT) key_number = BTR_KEY_NONE;
    std::string rec;

    auto path_arg = [&]() -> std::string {
      return next < s.positional.size() ? dir_ + "/" + Text(s.positional[next++]) : std::string();
    };
    if (info->code == BTR_OPEN) {
      const std::string path = path_arg();
      std::memcpy(key.data(), path.data(), std::min<std::size_t>(path.size(), 255));
      const std::string owner = s.Arg("owner") ? Text(*s.Arg("owner")) : std::string();
      std::memcpy(data.data(), owner.data(), owner.size());
      len = owner.empty() ? 0 : static_cast<uint32_t>(owner.size() + 1);
    } else if (info->code == BTR_CREATE) {
      const std::string path = path_arg();
      std::memcpy(key.data(), path.data(), std::min<std::size_t>(path.size(), 255));
      std::string spec(BTR_FILEDEF_SIZE, '\0');
      long long v = 0;
      if (s.Arg("record") && ParseInt(*s.Arg("record"), &v)) {
        spec[BTR_FILEDEF_RECORD_LENGTH] = static_cast<char>(v);
        spec[BTR_FILEDEF_RECORD_LENGTH + 1] = static_cast<char>(v >> 8);
      }
      v = 1024;
      if (s.Arg("page")) ParseInt(*s.Arg("page"), &v);
      spec[BTR_FILEDEF_PAGE_SIZE] = static_cast<char>(v);
      spec[BTR_FILEDEF_PAGE_SIZE + 1] = static_cast<char>(v >> 8);
      int flags = 0;
      if (const std::string* f = s.Arg("fflags")) {
        for (const std::string& name : Split(*f, ',')) {
          int bit = 0;
          if (!Lookup(kFileFlags, name, &bit)) return Fail(line, "bad file flag " + name);
          flags |= bit;
        }
      }
      spec[BTR_FILEDEF_FILE_FLAGS] = static_cast<char>(flags);
      spec[BTR_FILEDEF_FILE_FLAGS + 1] = static_cast<char>(flags >> 8);
      std::string keys;
      int key_count = 0;
      if (!KeySpecs(s, &keys, &key_count)) return;
      spec[BTR_FILEDEF_KEY_COUNT] = static_cast<char>(key_count);
      if (s.Arg("keycount") && ParseInt(*s.Arg("keycount"), &v))
        spec[BTR_FILEDEF_KEY_COUNT] = static_cast<char>(v);
      rec = spec + keys;
      std::memcpy(data.data(), rec.data(), rec.size());
      len = static_cast<uint32_t>(rec.size());
    } else if (info->code == BTR_CREATE_INDEX) {
      int key_count = 0;
      if (!KeySpecs(s, &rec, &key_count)) return;
      std::memcpy(data.data(), rec.data(), rec.size());
      len = static_cast<uint32_t>(rec.size());
    } else if (info->code == BTR_SET_OWNER) {
      const std::string name = s.Arg("name") ? Text(*s.Arg("name")) : std::string();
      const std::string again = s.Arg("keyname") ? Text(*s.Arg("keyname")) : name;
      std::memcpy(data.data(), name.data(), name.size());
      std::memcpy(key.data(), again.data(), again.size());
      len = static_cast<uint32_t>(name.size() + 1);
    }
    if (const std::string* v = s.Arg("data")) {
      if (!Record(line, *v, &rec)) return;
      std::memcpy(data.data(), rec.data(), rec.size());
      len = static_cast<uint32_t>(rec.size());
    }
    if (const std::string* v = s.Arg("addr")) {
      std::string a;
      if (!Record(line, (*v)[0] == '$' ? *v : "u4:" + *v, &a)) return;
      std::memcpy(data.data(), a.data(), 4);
      if (info->code == BTR_UNLOCK) len = 4;
    }
    if (const std::string* v = s.Arg("kbuf")) {
      std::string k;
      if (!Record(line, *v, &k)) return;
      std::memcpy(key.data(), k.data(), std::min<std::size_t>(k.size(), 255));
    }
    if (const std::string* v = s.Arg("len"); v != nullptr && ParseInt(*v, &number))
      len = static_cast<uint32_t>(number);
    if (const std::string* v = s.Arg("klen"); v != nullptr && ParseInt(*v, &number))
      klen = static_cast<uint8_t>(number);
    for (const char* name : {"key", "mode"}) {
      if (const std::string* v = s.Arg(name); v != nullptr && ParseInt(*v, &number)) {
        key_number = static_cast<int8_t>(number);
      }
    }
    const ClientId id = IdOf(s.client);
    const int16_t status =
        engine_->Call(static_cast<uint16_t>(op), block, s.Flag("nodata") ? nullptr : data.data(),
                      &len, key.data(), klen, key_number, s.client.empty() ? nullptr : id.data());
    long long want = 0;
    if (!s.expect) {
      want = 0;
    } else if (!ParseInt(s.status, &want)) {
      int code = 0;
      if (!Lookup(kStatusNames, s.status, &code)) return Fail(line, "bad status " + s.status);
      want = code;
    }
    if (status != want) {
      return Fail(line, "status " + std::to_string(status) + ", expected " + std::to_string(want) +
                            "  [" + text + "]");
    }
    for (const auto& [name, value] : s.checks) Check(s, text, name, value, data, len, key, block);
  }

  void CheckEq(const Statement& s, const std::string& text, const std::string& what, long long got,
               const std::string& want_text) {
    long long want = 0;
    if (!ParseInt(want_text, &want)) return Fail(s.line, "bad check value " + want_text);
    if (got != want) {
      Fail(s.line,
           what + " " + std::to_string(got) + ", expected " + want_text + "  [" + text + "]");
    }
  }

  void Check(const Statement& s, const std::string& text, const std::string& name,
             const std::string& value, const std::vector<uint8_t>& data, uint32_t len,
             const std::array<uint8_t, 256>& key, const uint8_t* block) {
    auto u16 = [&](std::size_t at) { return data[at] | (data[at + 1] << 8); };
    auto u32 = [&](const uint8_t* p) {
      return static_cast<uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16) |
                                   (static_cast<uint32_t>(p[3]) << 24));
    };
    if (name == "data" || name == "kbuf") {
      std::string want;
      if (!Record(s.line, value, &want)) return;
      const bool is_data = name == "data";
      const uint8_t* got = is_data ? data.data() : key.data();
      if ((is_data && len != want.size()) || std::memcmp(got, want.data(), want.size()) != 0) {
        std::string hex;
        for (std::size_t k = 0; k < (is_data ? len : want.size()) && k < 64; ++k) {
          char b[4];
          std::snprintf(b, sizeof b, "%02x", got[k]);
          hex += b;
        }
        Fail(s.line, name + " differs: got " + hex + " (" +
                         std::to_string(is_data ? len : want.size()) + " bytes)  [" + text + "]");
      }
    } else if (name == "len") {
      CheckEq(s, text, "length", len, value);
    } else if (name == "addr" || name == "pbaddr") {
      const uint32_t got = name == "addr" ? u32(data.data())
                                          : (block ? u32(block + BTR_POS_BLOCK_ADDRESS_OFFSET) : 0);
      if (value[0] == '$') {
        const std::string var = value.substr(1);
        if (!vars_.count(var)) {
          vars_[var] = got;
        } else if (vars_[var] != got) {
          Fail(s.line,
               name + " " + std::to_string(got) + ", expected " + std::to_string(vars_[var]));
        }
      } else {
        CheckEq(s, text, name, got, value);
      }
    } else if (name == "records") {
      CheckEq(s, text, "records", u32(data.data() + BTR_FILEDEF_RECORD_COUNT), value);
    } else if (name == "keys") {
      CheckEq(s, text, "keys", data[BTR_FILEDEF_KEY_COUNT], value);
    } else if (name == "version") {
      CheckEq(s, text, "version", data[BTR_FILEDEF_FILE_VERSION], value);
    } else if (name == "reclen") {
      CheckEq(s, text, "record length", u16(BTR_FILEDEF_RECORD_LENGTH), value);
    } else if (name == "page") {
      CheckEq(s, text, "page size", u16(BTR_FILEDEF_PAGE_SIZE), value);
    } else if (name == "fflags") {
      CheckEq(s, text, "file flags", u16(BTR_FILEDEF_FILE_FLAGS), value);
    } else if (name == "keynums" || name == "unique" || name == "segflags") {
      // One value per key (its first segment), or per segment for segflags.
      std::string got;
      std::size_t at = BTR_FILEDEF_SIZE;
      bool first = true;
      for (int k = 0; k < data[BTR_FILEDEF_KEY_COUNT]; ++k) {
        for (;;) {
          const int flags = u16(at + BTR_KEYDEF_FLAGS);
          const long long v = name == "keynums"  ? data[at + BTR_KEYDEF_KEY_NUMBER]
                              : name == "unique" ? u32(data.data() + at + BTR_KEYDEF_UNIQUE_COUNT)
                                                 : flags;
          if (first || name == "segflags") {
            if (!got.empty()) got += ",";
            got += std::to_string(v);
          }
          first = false;
          at += BTR_KEYDEF_SIZE;
          if (!(flags & BTR_KEY_SEGMENTED)) break;
        }
        first = true;
      }
      if (got != value) Fail(s.line, name + " " + got + ", expected " + value + "  [" + text + "]");
    } else if (name == "acscount") {
      std::size_t segments = 0;
      std::size_t at = BTR_FILEDEF_SIZE;
      for (int k = 0; k < data[BTR_FILEDEF_KEY_COUNT]; ++k) {
        do {
          ++segments;
          at += BTR_KEYDEF_SIZE;
        } while (u16(at - BTR_KEYDEF_SIZE + BTR_KEYDEF_FLAGS) & BTR_KEY_SEGMENTED);
      }
      CheckEq(s, text, "ACS blocks",
              static_cast<long long>((len - BTR_FILEDEF_SIZE - segments * BTR_KEYDEF_SIZE) /
                                     BTR_ACS_SIZE),
              value);
    } else if (name == "blocks") {
      std::vector<VersionBlock> want;
      if (!ParseVersionBlocks(value, &want)) return Fail(s.line, "bad blocks " + value);
      bool same = len == want.size() * BTR_VERSION_BLOCK_SIZE;
      for (std::size_t k = 0; same && k < want.size(); ++k) {
        const uint8_t* p = data.data() + k * BTR_VERSION_BLOCK_SIZE;
        same = (p[0] | (p[1] << 8)) == want[k].version &&
               (p[2] | (p[3] << 8)) == want[k].revision &&
               p[4] == static_cast<uint8_t>(want[k].platform);
      }
      if (!same) Fail(s.line, "version blocks differ  [" + text + "]");
    } else {
      Fail(s.line, "unknown check " + name);
    }
  }

  std::unique_ptr<Engine> engine_;
  std::string dir_;
  std::map<std::string, std::array<uint8_t, BTR_POS_BLOCK_SIZE>> blocks_;
  std::map<std::string, uint32_t> vars_;
  std::vector<std::string> failures_;
};

}  // namespace

std::vector<std::string> RunScript(const std::string& text) {
  Runner runner;
  return runner.Run(text);
}

}  // namespace vv::engine::testing
