// The file and key definitions of the Create, Create Supplemental Index
// and Stat buffers, as plain records, with their byte encodings (the layouts
// of btrieve.h, little-endian).
#ifndef VEVERAVE_TOOLS_VVBUTIL_FILE_LAYOUT_H_
#define VEVERAVE_TOOLS_VVBUTIL_FILE_LAYOUT_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vv::butil {

struct FileLayout {
  uint16_t record_length = 0;
  uint16_t page_size = 0;
  uint8_t key_count = 0;
  uint8_t file_version = 0;   // Stat only
  uint32_t record_count = 0;  // Stat only
  uint16_t flags = 0;         // BTR_FILE_*
  uint8_t dup_pointers = 0;
  uint16_t preallocation = 0;  // pages to preallocate; unused pages in Stat
};

struct SegmentLayout {
  uint16_t position = 0;  // 1-based
  uint16_t length = 0;
  uint16_t flags = 0;         // BTR_KEY_*
  uint32_t unique_count = 0;  // Stat only
  uint8_t type = 0;
  uint8_t null_value = 0;
  uint8_t key_number = 0;
  uint8_t acs_number = 0;
};

// One 265-byte collating sequence block.
using AcsBlock = std::array<uint8_t, 265>;

// A file as Stat reports it. Segments are in key order, each key's segments
// together; a key's last segment lacks BTR_KEY_SEGMENTED.
struct StatInfo {
  FileLayout file;
  std::vector<SegmentLayout> segments;
  std::vector<AcsBlock> acs;
};

// The Create data buffer: file layout, key layouts, ACS blocks.
std::string EncodeCreate(const FileLayout& file, const std::vector<SegmentLayout>& segments,
                         const std::vector<AcsBlock>& acs);

// The Create Supplemental Index data buffer: key layouts, then ACS blocks.
std::string EncodeIndex(const std::vector<SegmentLayout>& segments,
                        const std::vector<AcsBlock>& acs);

// Reads a Stat buffer of len bytes: the file layout, the segments of
// key_count keys (a key's segments run until one lacks BTR_KEY_SEGMENTED),
// then as many whole ACS blocks as follow. False (with *error set) when the
// buffer ends inside a definition.
bool DecodeStat(const uint8_t* buf, std::size_t len, StatInfo* out, std::string* error);

// The name stored in an ACS block (up to 8 characters, trailing blanks and
// NULs dropped).
std::string AcsName(const AcsBlock& block);

}  // namespace vv::butil

#endif  // VEVERAVE_TOOLS_VVBUTIL_FILE_LAYOUT_H_
