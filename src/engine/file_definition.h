// What a file is: record length, page size, flags, version, owner, keys and
// collating sequences. Parsed from the Create and Create Supplemental Index
// buffers, written out by Stat, and kept in the file's log as a definition
// record (log_format.h).
#ifndef VEVERAVE_ENGINE_FILE_DEFINITION_H_
#define VEVERAVE_ENGINE_FILE_DEFINITION_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/key_def.h"

namespace vv::engine {

// Most keys a file may have, and the highest key number plus one.
inline constexpr int kMaxKeys = 119;

struct FileAttributes {
  uint16_t record_length = 0;  // fixed part for variable-length files
  uint16_t page_size = 0;
  uint16_t flags = 0;      // BTR_FILE_*
  uint8_t version = 0;     // file version byte reported by Stat
  std::string owner;       // empty: no owner
  uint8_t owner_mode = 0;  // Set Owner access mode 0-3
};

// A key together with the file-internal id that survives renumbering by Drop
// Supplemental Index (the log names indexes by id).
struct DefinedKey {
  uint32_t id = 0;
  KeyDef def;
};

struct FileDefinition {
  FileAttributes attrs;
  std::vector<DefinedKey> keys;  // ascending key number
  std::vector<Acs> acs;
  uint32_t next_address = 1;  // lowest address never given to a record
  uint64_t next_stamp = 1;    // lowest insertion stamp not used yet
};

// Parses and validates a Create buffer (file specification, key
// specifications, collating sequences). version is the byte the file will
// report. Returns 0 or the status Create answers.
int16_t ParseCreateBuffer(const uint8_t* data, std::size_t len, uint8_t version,
                          FileDefinition* out);

// One key parsed from a Create Supplemental Index buffer: its segments, the
// key number byte of its first specification and a collating sequence that
// followed the specifications, if any.
struct NewKeySpec {
  KeyDef key;
  uint8_t spec_key_number = 0;
  bool has_acs = false;
  Acs acs;
};
// Returns 0 or 22 when the buffer holds no complete key.
int16_t ParseNewKeyBuffer(const uint8_t* data, std::size_t len, NewKeySpec* out);

// Checks a file's keys against its record length, page size and collating
// sequences: 0 or the status (26, 27, 28, 29, 45, 48, 49).
int16_t ValidateKeys(const FileAttributes& attrs, const std::vector<DefinedKey>& keys,
                     const std::vector<Acs>& acs);

// Most segments all keys of a file with this page size may have together.
int MaxSegments(uint16_t page_size);

// The Stat answer: file specification, one key specification per segment
// (unique_counts[i] for key i), the collating sequences. Writes at most cap
// bytes; returns the full size of the answer.
std::size_t WriteStat(const FileAttributes& attrs, uint32_t record_count,
                      const std::vector<const KeyDef*>& keys,
                      const std::vector<uint32_t>& unique_counts, const std::vector<Acs>& acs,
                      uint8_t* out, std::size_t cap);

// The log form of a definition (the payload of a definition record).
std::string EncodeDefinition(const FileDefinition& def);
// False when the payload is malformed.
bool DecodeDefinition(const uint8_t* p, std::size_t n, FileDefinition* out);

}  // namespace vv::engine

#endif  // VEVERAVE_ENGINE_FILE_DEFINITION_H_
