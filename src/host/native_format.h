// The file layout of native tables (docs/host.md, "Native table files"):
// a 64-byte header, the definition (field and index entries), then one slot
// per record number: a status byte and the record's bytes. All integers are
// little-endian and written field by field.
#ifndef VEVERAVE_HOST_NATIVE_FORMAT_H_
#define VEVERAVE_HOST_NATIVE_FORMAT_H_

#include <cstdint>
#include <string>

#include "host/native_table.h"

namespace vv::host {

inline constexpr char kNativeMagic[8] = {'V', 'V', 'N', 'A', 'T', 'I', 'V', 'E'};
inline constexpr uint16_t kNativeVersion = 1;
inline constexpr int32_t kNativeHeaderSize = 64;
inline constexpr int32_t kNativeFieldEntrySize = 48;
inline constexpr int32_t kNativeSegmentEntrySize = 4;

// Header offsets.
enum NativeHeaderOffset : int32_t {
  kHdrMagic = 0,          // 8 bytes
  kHdrVersion = 8,        // u16
  kHdrFieldCount = 10,    // u16
  kHdrIndexCount = 12,    // u16
  kHdrFlags = 14,         // u16: kNativeCompressed, kNativeSystemFile
  kHdrRecordLength = 16,  // u32
  kHdrDataOffset = 20,    // u32: first record slot
  kHdrSlots = 24,         // u32: highest record number
  kHdrLive = 28,          // u32: records not deleted
};

// Table flags (header kHdrFlags).
inline constexpr uint32_t kNativeCompressed = 0x0001;
inline constexpr uint32_t kNativeSystemFile = 0x0002;

// Field entry offsets.
enum NativeFieldOffset : int32_t {
  kFldName = 0,           // 20 bytes, NUL-padded
  kFldType = 20,          // u8
  kFldDecimals = 21,      // u8
  kFldLength = 22,        // u16
  kFldOffset = 24,        // u32, from 1
  kFldSize = 28,          // u32
  kFldMainIndex = 32,     // u16
  kFldRelatedFile = 34,   // u16
  kFldRelatedField = 36,  // u16
};

// Segment flags.
inline constexpr uint32_t kSegDescending = 0x01;
inline constexpr uint32_t kSegIgnoreCase = 0x02;

// Record slot status bytes.
enum NativeSlotStatus : uint8_t { kSlotDeleted = 0, kSlotLive = 1 };

struct NativeHeader {
  int32_t recordLength = 0;
  int32_t dataOffset = 0;
  int32_t slots = 0;
  int32_t live = 0;
};

// The header and definition of a new table with no records.
std::string NativeFileImage(const NativeTableDef& def, int32_t recordLength);

// Reads header and definition from the start of a file's bytes (at least the
// header and the definition); false with *why on a damaged or foreign file.
// The definition is checked again with NativeLayout.
bool NativeParse(const uint8_t* bytes, std::size_t size, NativeTableDef* def, NativeHeader* header,
                 std::string* why);

// Little-endian helpers for the header counters.
void NativeStoreU32(uint8_t* p, uint32_t v);
uint32_t NativeLoadU32(const uint8_t* p);

}  // namespace vv::host

#endif  // VEVERAVE_HOST_NATIVE_FORMAT_H_
