// The byte layout of a structure cache file (extension ".CCH"): one open
// file record with its field, index and segment descriptors, as written by
// one open that built the structure the long way and read by later opens.
// Integers are little-endian; pointer slots are written as zero and never
// read back.
//
//   header          40 bytes: the header text and its NUL (31 bytes), 0x1A,
//                   the format version (32 bits), four blanks
//   record image    388 bytes (offsets in record_image below)
//   strings         lpszDdfName, lpszBtrFile, lpszIntFile, lpszBtrPath,
//                   lpszOwner, each a string item
//   ACS tables      nAcs x 265 bytes, when nAcs is not 0
//   field images    (nFields + 1) x 92 bytes, fields 0..nFields
//   field names     lpszName of fields 0..nFields, each a string item
//   index images    (nIndexes + 1) x 28 bytes, indexes 0..nIndexes
//   segments        per index with segments: (nSegments + 1) x 24-byte
//                   images (entry 0 included), then the 4-byte field number
//                   of segments 1..nSegments
//
// A string item is a 32-bit length L and L bytes: the text and its NUL, or
// L = 0 for a null or empty string.
//
// The first of the record image's unused words holds a check of the whole
// file (record_image::kCheck): a damaged or partly written file is refused
// rather than taken for a structure.
#ifndef VEVERAVE_DRIVER_TABLES_CACHE_LAYOUT_H_
#define VEVERAVE_DRIVER_TABLES_CACHE_LAYOUT_H_

#include <cstddef>
#include <cstdint>

#include "driver/fields/le_bytes.h"
#include "veverave/btrieve.h"

namespace vv::driver {

inline constexpr const char* kCacheExt = ".CCH";
inline constexpr char kCacheHeaderText[] = "VEVERAVE Morvanta Driver Cache";
inline constexpr std::size_t kCacheHeaderTextSize = sizeof kCacheHeaderText;  // with its NUL
inline constexpr std::size_t kCacheHeaderEofOffset = 31;
inline constexpr uint8_t kCacheHeaderEof = 0x1A;
inline constexpr std::size_t kCacheVersionOffset = 32;
inline constexpr uint32_t kCacheVersion = 233;
inline constexpr std::size_t kCacheHeaderPadOffset = 36;
inline constexpr std::size_t kCacheHeaderSize = 40;
static_assert(kCacheHeaderTextSize == 31);

inline constexpr std::size_t kCacheRecordImageSize = 388;
inline constexpr std::size_t kCacheFieldImageSize = 92;
inline constexpr std::size_t kCacheIndexImageSize = 28;
inline constexpr std::size_t kCacheSegmentImageSize = 24;
inline constexpr std::size_t kCacheSegmentFieldSize = 4;
inline constexpr std::size_t kCacheStringLengthSize = 4;
inline constexpr std::size_t kCacheAcsSize = BTR_ACS_SIZE;

// Files smaller than this are read with one call and parsed from memory.
inline constexpr std::size_t kCacheBufferSize = 65536;

// Offsets in the record image.
namespace record_image {
inline constexpr std::size_t kCheck = 4;  // unused by the layout: the file's check
inline constexpr std::size_t kHFile = 40;
inline constexpr std::size_t kPosBlock = 44;
inline constexpr std::size_t kFileVersion = 172;
inline constexpr std::size_t kDdfFileId = 196;
inline constexpr std::size_t kRecBufSize = 204;
inline constexpr std::size_t kFields = 208;
inline constexpr std::size_t kRelFields = 220;
inline constexpr std::size_t kLongvars = 228;
inline constexpr std::size_t kBufferClear = 244;
inline constexpr std::size_t kIndexes = 248;
inline constexpr std::size_t kOpenMode = 260;
inline constexpr std::size_t kFileMode = 264;
inline constexpr std::size_t kBtrOpen = 268;
inline constexpr std::size_t kSystemFile = 269;
inline constexpr std::size_t kFromCache = 270;
inline constexpr std::size_t kCharSet = 272;
inline constexpr std::size_t kRecnumMethod = 273;
inline constexpr std::size_t kRestructuring = 274;
inline constexpr std::size_t kTableFlags = 275;
inline constexpr std::size_t kLayoutChanged = 276;
inline constexpr std::size_t kIndexChanged = 277;
inline constexpr std::size_t kFieldsMapped = 278;
inline constexpr std::size_t kInTransaction = 279;
inline constexpr std::size_t kCommitted = 280;
inline constexpr std::size_t kRecLen = 284;
inline constexpr std::size_t kHostRecLen = 288;
inline constexpr std::size_t kDataLen = 292;
inline constexpr std::size_t kRecords = 296;
inline constexpr std::size_t kPageSize = 300;
inline constexpr std::size_t kAcs = 308;
inline constexpr std::size_t kFillHigh = 309;
inline constexpr std::size_t kFillLow = 310;
inline constexpr std::size_t kFileFlags = 312;
inline constexpr std::size_t kDdfFlags = 314;
inline constexpr std::size_t kRecnumField = 316;
inline constexpr std::size_t kPrimaryIndex = 320;
inline constexpr std::size_t kCurIndex = 324;
inline constexpr std::size_t kFirstIndex = 326;
inline constexpr std::size_t kRecnum = 328;
inline constexpr std::size_t kRecnumSupport = 332;
inline constexpr std::size_t kOldVersion = 333;
inline constexpr std::size_t kMvForBtrieve = 334;
inline constexpr std::size_t kRecnumOneField = 336;
inline constexpr std::size_t kRecnumTwoField = 340;
inline constexpr std::size_t kKeyBufSize = 348;
inline constexpr std::size_t kActive = 356;
inline constexpr std::size_t kChanged = 357;
inline constexpr std::size_t kAttr115 = 358;
inline constexpr std::size_t kChanged2 = 359;
inline constexpr std::size_t kFound = 360;
inline constexpr std::size_t kTrueNull = 361;
inline constexpr std::size_t kStatLen = 372;
}  // namespace record_image

// Offsets in a field image.
namespace field_image {
inline constexpr std::size_t kNumber = 0;
inline constexpr std::size_t kOldNumber = 4;
inline constexpr std::size_t kHostType = 8;
inline constexpr std::size_t kBtrType = 12;
inline constexpr std::size_t kOffset = 16;
inline constexpr std::size_t kSize = 20;
inline constexpr std::size_t kHostLength = 24;
inline constexpr std::size_t kPrecision = 28;
inline constexpr std::size_t kMainIndex = 32;
inline constexpr std::size_t kRelFile = 36;
inline constexpr std::size_t kRelField = 40;
inline constexpr std::size_t kFieldChanged = 52;
inline constexpr std::size_t kHasSource = 53;
inline constexpr std::size_t kFieldTouched = 54;
inline constexpr std::size_t kFieldTag = 56;
inline constexpr std::size_t kFieldDdfFlags = 58;
inline constexpr std::size_t kNullAllowed = 60;
inline constexpr std::size_t kIsNull = 61;
inline constexpr std::size_t kOverlaps = 68;
}  // namespace field_image

// Offsets in an index image.
namespace index_image {
inline constexpr std::size_t kIndexNumber = 0;
inline constexpr std::size_t kSegments = 4;
inline constexpr std::size_t kKeyLen = 8;
inline constexpr std::size_t kRecnumAppended = 12;
inline constexpr std::size_t kDefined = 13;
inline constexpr std::size_t kKeyNumber = 20;
inline constexpr std::size_t kAcsNumber = 22;
inline constexpr std::size_t kUsesAcs = 23;
inline constexpr std::size_t kKeyChanged = 24;
}  // namespace index_image

// Offsets in a segment image.
namespace segment_image {
inline constexpr std::size_t kExtType = 4;
inline constexpr std::size_t kNullSegment = 5;
inline constexpr std::size_t kDdfFieldId = 8;
inline constexpr std::size_t kDdfIndex = 12;
inline constexpr std::size_t kPart = 16;
inline constexpr std::size_t kKeyFlags = 20;
}  // namespace segment_image

// Offset of the check word in the file.
inline constexpr std::size_t kCacheCheckOffset = kCacheHeaderSize + record_image::kCheck;

// The check of a cache file, fed with the file's bytes in order, in pieces
// whose sizes are multiples of 4 but for the last. The 4-byte words w
// (little-endian; the check word itself taken as zero, a short last word
// padded with zeros) go round four lanes; each turns its lane's state s into
// (s ^ w) * an odd number, and the lanes and the length are folded into one
// value the same way. Every step is one-to-one in s and in w, so a file that
// differs from the one written in any one word, a single byte included,
// always gets another check.
class CacheCheck {
 public:
  void Add(const uint8_t* bytes, std::size_t n) {
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) Word(LoadLe32(bytes + i));
    if (i < n) Word(static_cast<uint32_t>(LoadLe(bytes + i, static_cast<int>(n - i))));
    length_ += n;
  }
  uint32_t Value() const {
    uint32_t value = static_cast<uint32_t>(length_);
    for (const uint32_t lane : lanes_) value = (value ^ lane) * kPrime;
    return value;
  }

 private:
  static constexpr uint32_t kPrime = 16777619u;
  void Word(uint32_t word) {
    uint32_t& lane = lanes_[words_ & 3];
    lane = (lane ^ (words_ * 4 == kCacheCheckOffset ? 0u : word)) * kPrime;
    ++words_;
  }
  uint32_t lanes_[4] = {2166136261u, 2166136261u, 2166136261u, 2166136261u};
  uint64_t words_ = 0;
  uint64_t length_ = 0;
};
static_assert(kCacheCheckOffset % 4 == 0);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_TABLES_CACHE_LAYOUT_H_
