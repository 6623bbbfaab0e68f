// The key definitions the driver sends to Btrieve when it creates keys: one
// 16-byte block per key segment, zero-filled, integers little-endian.
// Create Supplemental Index takes the blocks of one key; a file's Create
// takes the blocks of all its keys after the file definition.
//
//   bytes 0-1  position: the field's offset + 1
//         2-3  length: the field's size
//         4-5  key flags
//         6-9  0
//         10   extended data type
//         11   null value: 0
//         12-13 0
//         14   key number (+ 0x80: the key number is assigned here)
//         15   number of the collating sequence
#ifndef VEVERAVE_DRIVER_RESTRUCTURE_KEY_LAYOUT_H_
#define VEVERAVE_DRIVER_RESTRUCTURE_KEY_LAYOUT_H_

#include <cstdint>

#include "driver/tables/open_file.h"

namespace vv::driver {

struct KeySegmentLayout {
  int32_t nPosition;  // 1-based offset in the record
  int32_t nLength;
  uint16_t nFlags;     // BTR_KEY_*
  uint8_t nType;       // extended data type
  uint8_t nKeyNumber;  // as sent, bias included
  uint8_t nAcsNumber;
};

// Writes the 16-byte key definition (BTR_KEYDEF_SIZE) of one segment.
void mvbtrKeyLayoutWrite(uint8_t* block, const KeySegmentLayout& layout);

// The extended type of a key segment on field in a key of `segments`
// segments: the Btrieve type the field is stored as (the driver's own types
// are stored as STRING, as the dictionary records them); an AUTOINCREMENT
// field in a key of several segments is an INTEGER there, as Btrieve allows
// AUTOINCREMENT only as a key of its own.
uint8_t mvbtrKeySegmentType(const FieldDesc& field, int32_t segments);

// True for the types a collating sequence applies to: STRING, LSTRING,
// ZSTRING.
bool mvbtrKeyTypeTakesAcs(int32_t type);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_RESTRUCTURE_KEY_LAYOUT_H_
