#include "engine/options.h"

#include <cstdio>
#include <cstdlib>

#include "veverave/engine.h"

namespace vv::engine {

namespace {

// Reads an unsigned decimal number; false when there are no digits or it
// does not fit 16 bits.
bool ParseU16(std::string_view text, uint16_t* out) {
  if (text.empty() || text.size() > 5) return false;
  uint32_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint32_t>(c - '0');
  }
  if (v > 0xFFFF) return false;
  *out = static_cast<uint16_t>(v);
  return true;
}

bool ParseCreateVersion(std::string_view text, uint8_t* out) {
  const std::string s(text);
  char* end = nullptr;
  const unsigned long v = std::strtoul(s.c_str(), &end, 0);
  if (s.empty() || *end != '\0' || v == 0 || v > 0xFF) return false;
  *out = static_cast<uint8_t>(v);
  return true;
}

// A size in bytes: decimal digits, optionally followed by K, M or G.
bool ParseSize(std::string_view text, std::size_t* out) {
  uint64_t v = 0;
  std::size_t i = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    v = v * 10 + static_cast<uint64_t>(text[i] - '0');
    if (v > (uint64_t{1} << 40)) return false;
  }
  if (i == 0) return false;
  if (i + 1 == text.size()) {
    const char unit = static_cast<char>(text[i] & ~0x20);
    const int shift = unit == 'K' ? 10 : unit == 'M' ? 20 : unit == 'G' ? 30 : -1;
    if (shift < 0) return false;
    v <<= shift;
  } else if (i != text.size()) {
    return false;
  }
  if (v > SIZE_MAX) return false;
  *out = static_cast<std::size_t>(v);
  return true;
}

}  // namespace

Options DefaultOptions() {
  Options o;
  o.version = {{9, 50, 'N'}, {9, 50, 'L'}};
  return o;
}

bool ParseVersionBlocks(std::string_view text, std::vector<VersionBlock>* out) {
  std::vector<VersionBlock> blocks;
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    std::string_view item = text.substr(0, comma);
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    const std::size_t dot = item.find('.');
    if (dot == std::string_view::npos || item.size() < dot + 3) return false;
    VersionBlock b;
    const char platform = item.back();
    if (platform < '!' || platform > '~' || (platform >= '0' && platform <= '9')) return false;
    if (!ParseU16(item.substr(0, dot), &b.version) ||
        !ParseU16(item.substr(dot + 1, item.size() - dot - 2), &b.revision)) {
      return false;
    }
    b.platform = platform;
    blocks.push_back(b);
    if (comma != std::string_view::npos && text.empty()) return false;  // trailing comma
  }
  if (blocks.empty()) return false;
  *out = std::move(blocks);
  return true;
}

bool SetOption(Options* options, std::string_view name, const char* value) {
  const bool reset = value == nullptr || *value == '\0';
  const Options defaults = DefaultOptions();
  if (name == VVENGINE_OPTION_CREATE_VERSION) {
    if (reset) {
      options->create_version = defaults.create_version;
      return true;
    }
    return ParseCreateVersion(value, &options->create_version);
  }
  if (name == VVENGINE_OPTION_VERSION) {
    if (reset) {
      options->version = defaults.version;
      return true;
    }
    return ParseVersionBlocks(value, &options->version);
  }
  if (name == VVENGINE_OPTION_TRACE) {
    options->trace_path = reset ? std::string() : std::string(value);
    return true;
  }
  if (name == VVENGINE_OPTION_CACHE_SIZE) {
    if (reset) {
      options->cache_bytes = defaults.cache_bytes;
      return true;
    }
    return ParseSize(value, &options->cache_bytes);
  }
  return false;
}

Options OptionsFromEnvironment() {
  Options o = DefaultOptions();
  for (const char* name : {VVENGINE_OPTION_CREATE_VERSION, VVENGINE_OPTION_VERSION,
                           VVENGINE_OPTION_TRACE, VVENGINE_OPTION_CACHE_SIZE}) {
    if (const auto value = platform::GetEnv(name)) SetOption(&o, name, value->c_str());
  }
  return o;
}

void CallTrace::SetPath(const std::string& path) {
  if (path == path_) return;
  file_.reset();
  open_failed_ = false;
  path_ = path;
}

void CallTrace::Write(const uint8_t* client_id, uint16_t op, int8_t key_number,
                      const uint32_t* data_len_in, const uint32_t* data_len_out, int16_t status) {
  if (path_.empty() || open_failed_) return;
  if (!file_) {
    file_ = platform::OpenFile(path_, platform::OpenMode::kReadWriteCreate);
    if (!file_) {
      open_failed_ = true;
      return;
    }
  }
  // Formatted into a fixed buffer: tracing allocates nothing, so it cannot
  // fail where the traced call did not.
  char client[2 * 16 + 1] = "default";
  if (client_id != nullptr) {
    for (int i = 0; i < 16; ++i) std::snprintf(client + 2 * i, 3, "%02x", client_id[i]);
  }
  char in[16] = "-";
  char out[16] = "-";
  if (data_len_in != nullptr) std::snprintf(in, sizeof in, "%lu", (unsigned long)*data_len_in);
  if (data_len_out != nullptr) std::snprintf(out, sizeof out, "%lu", (unsigned long)*data_len_out);
  char line[160];
  const int n = std::snprintf(line, sizeof line, "client=%s op=%u key=%d len=%s/%s status=%d\n",
                              client, static_cast<unsigned>(op), static_cast<int>(key_number), in,
                              out, static_cast<int>(status));
  if (n > 0) file_->Append(line, static_cast<std::size_t>(n));
}

}  // namespace vv::engine
