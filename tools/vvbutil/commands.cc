#include "vvbutil/commands.h"

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "vvbutil/btrieve_names.h"
#include "vvbutil/command_support.h"
#include "vvbutil/desc_file.h"
#include "vvbutil/file_layout.h"
#include "vvbutil/stat_report.h"

#ifndef VVBUTIL_VERSION
#define VVBUTIL_VERSION "0"
#endif

namespace vv::butil {
namespace {

constexpr std::size_t kStatBufferStart = 64 * 1024;
constexpr std::size_t kStatBufferMax = 4 * 1024 * 1024;

// Reads a description file and parses it.
bool LoadDescription(const std::string& path, DescKind kind, Description* desc, std::FILE* err) {
  const std::optional<std::string> text = platform::ReadFileToString(path);
  if (!text) {
    Fail(err, "cannot read the description file " + path);
    return false;
  }
  std::string error;
  if (!ParseDescription(*text, kind, desc, &error)) {
    Fail(err, path + ": " + error);
    return false;
  }
  return true;
}

// Reads the collating sequence a description names: a file of one 265-byte
// block (signature, 8-byte name, 256-byte table), looked up as given and
// then beside the description file.
bool LoadAcs(const std::string& name, const std::string& desc_path, AcsBlock* block,
             std::FILE* err) {
  std::optional<std::string> data = platform::ReadFileToString(name);
  if (!data) {
    platform::PathParts parts = platform::SplitPath(desc_path);
    data = platform::ReadFileToString(parts.drive + parts.dir + name);
  }
  if (!data) {
    Fail(err, "cannot read the collating sequence file " + name);
    return false;
  }
  if (data->size() != block->size() || static_cast<uint8_t>((*data)[0]) != BTR_ACS_SIGNATURE) {
    Fail(err, name + ": not a collating sequence file (265 bytes starting with 0xAC)");
    return false;
  }
  std::memcpy(block->data(), data->data(), block->size());
  return true;
}

// The ACS blocks a description brings along; alternate segments use the
// first (number 0).
bool DescriptionAcs(Description* desc, const std::string& desc_path, std::vector<AcsBlock>* acs,
                    std::FILE* err) {
  if (desc->acs_file.empty()) return true;
  AcsBlock block{};
  if (!LoadAcs(desc->acs_file, desc_path, &block, err)) return false;
  acs->push_back(block);
  for (SegmentLayout& s : desc->segments) s.acs_number = 0;
  return true;
}

int Stat(const CommandLine& c, Client& client, std::FILE* out, std::FILE* err) {
  OpenFile file(client);
  if (!OpenForCommand(file, c, BTR_OPEN_READ_ONLY, err)) return kExitIncomplete;
  StatInfo info;
  std::string error;
  const int16_t status = StatFile(file, &info, &error);
  if (status != BTR_STATUS_SUCCESS) {
    return error.empty() ? FailStatus(err, status, "stat " + c.file) : Fail(err, error);
  }
  std::fputs(FormatStat(c.file, info).c_str(), out);
  return kExitOk;
}

int Create(const CommandLine& c, Client& client, std::FILE* out, std::FILE* err) {
  Description desc;
  if (!LoadDescription(c.other, DescKind::kCreate, &desc, err)) return kExitIncomplete;
  std::vector<AcsBlock> acs;
  if (!DescriptionAcs(&desc, c.other, &acs, err)) return kExitIncomplete;
  if (!FitsKeyBuffer(c.file)) return Fail(err, "file name too long: " + c.file);
  // Replace an existing file only when asked to, on the command line or in
  // the description; the command line wins.
  const bool replace = c.replace.value_or(desc.replace.value_or(false));
  std::string buffer = EncodeCreate(desc.file, desc.segments, acs);
  uint32_t len = static_cast<uint32_t>(buffer.size());
  std::string key = c.file;
  key.push_back('\0');
  uint8_t pos[BTR_POS_BLOCK_SIZE] = {};
  const int16_t status = client.Call(BTR_CREATE, pos, buffer.data(), &len, key.data(),
                                     static_cast<uint8_t>(key.size()),
                                     replace ? BTR_CREATE_REPLACE : BTR_CREATE_NO_REPLACE);
  if (status != BTR_STATUS_SUCCESS) return FailStatus(err, status, "create " + c.file);
  std::fprintf(out, "vvbutil: %s created with %d key(s).\n", c.file.c_str(), desc.key_count);
  return kExitOk;
}

int Sindex(const CommandLine& c, Client& client, std::FILE* out, std::FILE* err) {
  Description desc;
  if (!LoadDescription(c.other, DescKind::kIndex, &desc, err)) return kExitIncomplete;
  std::vector<AcsBlock> acs;
  if (!DescriptionAcs(&desc, c.other, &acs, err)) return kExitIncomplete;
  OpenFile file(client);
  if (!OpenForCommand(file, c, BTR_OPEN_NORMAL, err)) return kExitIncomplete;
  int key_num = 0;
  if (c.key) {
    // The key number travels in each layout; the bias tells the engine to use it.
    for (SegmentLayout& s : desc.segments) s.key_number = static_cast<uint8_t>(*c.key);
    key_num = BTR_KEY_NUMBER_BIAS | *c.key;
  }
  std::string buffer = EncodeIndex(desc.segments, acs);
  uint32_t len = static_cast<uint32_t>(buffer.size());
  char key[BTR_MAX_KEY_SIZE + 1] = {};
  const int16_t status = file.Call(BTR_CREATE_INDEX, buffer.data(), &len, key, BTR_MAX_KEY_SIZE,
                                   static_cast<int8_t>(key_num));
  if (status != BTR_STATUS_SUCCESS) return FailStatus(err, status, "create index on " + c.file);
  std::fprintf(out, "vvbutil: index added to %s.\n", c.file.c_str());
  return kExitOk;
}

int Drop(const CommandLine& c, Client& client, std::FILE* out, std::FILE* err) {
  OpenFile file(client);
  if (!OpenForCommand(file, c, BTR_OPEN_NORMAL, err)) return kExitIncomplete;
  // The engine's default: the keys above the dropped one renumber down.
  uint32_t len = 0;
  char key[BTR_MAX_KEY_SIZE + 1] = {};
  const int16_t status =
      file.Call(BTR_DROP_INDEX, nullptr, &len, key, BTR_MAX_KEY_SIZE, static_cast<int8_t>(*c.key));
  if (status != BTR_STATUS_SUCCESS) {
    return FailStatus(err, status, "drop key " + std::to_string(*c.key) + " of " + c.file);
  }
  std::fprintf(out, "vvbutil: key %d dropped from %s.\n", *c.key, c.file.c_str());
  return kExitOk;
}

// Set Owner and Clear Owner carry the name in both buffers.
int Owner(const CommandLine& c, Client& client, std::FILE* out, std::FILE* err) {
  const bool set = c.command == Command::kSetOwner;
  OpenFile file(client);
  CommandLine open = c;
  if (set) open.owner.clear();
  if (!OpenForCommand(file, open, BTR_OPEN_NORMAL, err)) return kExitIncomplete;
  std::string data = c.owner;
  data.push_back('\0');
  std::string key = data;
  uint32_t len = static_cast<uint32_t>(data.size());
  const int16_t status =
      file.Call(set ? BTR_SET_OWNER : BTR_CLEAR_OWNER, data.data(), &len, key.data(),
                static_cast<uint8_t>(key.size()), static_cast<int8_t>(set ? c.level : 0));
  if (status != BTR_STATUS_SUCCESS) {
    return FailStatus(err, status, (set ? "set owner of " : "clear owner of ") + c.file);
  }
  if (set) {
    std::fprintf(out, "vvbutil: owner of %s set (level %d).\n", c.file.c_str(), c.level);
  } else {
    std::fprintf(out, "vvbutil: owner of %s cleared.\n", c.file.c_str());
  }
  return kExitOk;
}

int Ver(Client& client, std::FILE* out, std::FILE* err) {
  std::fprintf(out, "vvbutil version %s\n", VVBUTIL_VERSION);
  uint8_t data[3 * BTR_VERSION_BLOCK_SIZE] = {};
  uint32_t len = sizeof data;
  char key[BTR_MAX_KEY_SIZE + 1] = {};
  const int16_t status = client.Call(BTR_VERSION, nullptr, data, &len, key, BTR_MAX_KEY_SIZE, 0);
  if (status != BTR_STATUS_SUCCESS) return FailStatus(err, status, "version");
  static const char* const kLabels[] = {"Requester", "Engine", "Server engine"};
  for (uint32_t i = 0; i < 3 && (i + 1) * BTR_VERSION_BLOCK_SIZE <= len; ++i) {
    const uint8_t* b = data + i * BTR_VERSION_BLOCK_SIZE;
    const unsigned version = b[0] | (b[1] << 8);
    const unsigned revision = b[2] | (b[3] << 8);
    if (version == 0 && revision == 0 && b[4] == 0) continue;
    std::fprintf(out, "%s version %u.%02u %c\n", kLabels[i], version, revision,
                 b[4] >= ' ' && b[4] < 0x7f ? static_cast<char>(b[4]) : '?');
  }
  return kExitOk;
}

}  // namespace

std::string RecordCount(uint64_t n) {
  return std::to_string(n) + (n == 1 ? " record" : " records");
}

int Fail(std::FILE* err, std::string_view message) {
  std::fprintf(err, "vvbutil: %.*s\n", static_cast<int>(message.size()), message.data());
  return kExitIncomplete;
}

int FailStatus(std::FILE* err, int status, std::string_view what) {
  return Fail(err, StatusText(status) + " (" + std::string(what) + ")");
}

int16_t StatFile(OpenFile& file, StatInfo* info, std::string* error) {
  std::vector<uint8_t> buf(kStatBufferStart);
  char key[BTR_MAX_KEY_SIZE + 1] = {};
  for (;;) {
    uint32_t len = static_cast<uint32_t>(buf.size());
    // Key number -1 selects the layout that carries the file version.
    const int16_t status =
        file.Call(BTR_STAT, buf.data(), &len, key, BTR_MAX_KEY_SIZE, BTR_KEY_NONE);
    if (status == BTR_STATUS_DATA_BUFFER_TOO_SHORT && buf.size() < kStatBufferMax) {
      buf.resize(buf.size() * 4);
      continue;
    }
    if (status != BTR_STATUS_SUCCESS) return status;
    if (len > buf.size()) len = static_cast<uint32_t>(buf.size());
    if (!DecodeStat(buf.data(), len, info, error)) {
      *error = "unreadable stat answer: " + *error;
      return BTR_STATUS_IO_ERROR;
    }
    return BTR_STATUS_SUCCESS;
  }
}

bool OpenForCommand(OpenFile& file, const CommandLine& command, int8_t mode, std::FILE* err) {
  const int16_t status = file.Open(command.file, command.owner, mode);
  if (status == BTR_STATUS_SUCCESS) return true;
  FailStatus(err, status, "open " + command.file);
  return false;
}

int RunCommand(const CommandLine& command, BtrCallIdFn call, std::FILE* out, std::FILE* err) {
  Client client(call);
  switch (command.command) {
    case Command::kStat:
      return Stat(command, client, out, err);
    case Command::kCreate:
      return Create(command, client, out, err);
    case Command::kLoad:
      return RunLoad(command, client, out, err);
    case Command::kSave:
      return RunSave(command, client, out, err);
    case Command::kSindex:
      return Sindex(command, client, out, err);
    case Command::kDrop:
      return Drop(command, client, out, err);
    case Command::kSetOwner:
    case Command::kClrOwner:
      return Owner(command, client, out, err);
    case Command::kVer:
      return Ver(client, out, err);
    case Command::kCheck:
      return RunCheck(command, client, out, err);
    case Command::kCopy:
      return RunCopy(command, client, out, err);
    case Command::kClone:
      return RunClone(command, client, out, err);
    case Command::kRecover:
      return RunRecover(command, client, out, err);
  }
  return Fail(err, "unknown command");
}

}  // namespace vv::butil
