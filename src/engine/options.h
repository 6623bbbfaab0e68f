// Engine options: the file version byte of new files, the Version answer,
// the call trace and the size of the page cache. They are read from the environment when the engine
// is first used and may be changed later through vvEngineSetOption.
#ifndef VEVERAVE_ENGINE_OPTIONS_H_
#define VEVERAVE_ENGINE_OPTIONS_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/page_cache.h"
#include "platform/platform.h"

namespace vv::engine {

// One 5-byte block of the Version answer.
struct VersionBlock {
  uint16_t version = 0;
  uint16_t revision = 0;
  char platform = ' ';
};

struct Options {
  uint8_t create_version = 0x90;                 // file version byte reported by Stat for new files
  std::vector<VersionBlock> version;             // requester block first, then the engine's
  std::string trace_path;                        // empty: no trace
  std::size_t cache_bytes = kDefaultCacheBytes;  // the page cache shared by all open files
};

// The defaults: a version-9 requester and engine.
Options DefaultOptions();

// Sets one option by its environment name. A null or empty value restores the
// default. False (and nothing changed) for an unknown name or a value that
// does not parse.
bool SetOption(Options* options, std::string_view name, const char* value);

// The defaults, overridden by whichever option variables the environment holds
// (a variable that does not parse is ignored).
Options OptionsFromEnvironment();

// Parses "9.50T" or "7.0N,13.0L": version '.' revision and a platform
// character per block, blocks separated by commas.
bool ParseVersionBlocks(std::string_view text, std::vector<VersionBlock>* out);

// The call trace: one line per call appended to a file. The file is opened on
// the first line after the path is set; when it cannot be opened nothing is
// written (the engine never reports on its own).
class CallTrace {
 public:
  void SetPath(const std::string& path);
  bool enabled() const { return !path_.empty(); }
  // data_len_in / data_len_out: nullptr when the caller passed no length.
  void Write(const uint8_t* client_id, uint16_t op, int8_t key_number, const uint32_t* data_len_in,
             const uint32_t* data_len_out, int16_t status);

 private:
  std::string path_;
  std::unique_ptr<platform::File> file_;
  bool open_failed_ = false;
};

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_OPTIONS_H_
