// Making the cache image of an open file record (cache_image.h). The image
// is written member by member at the layout's offsets, never by copying the
// record's memory.
#include <cstring>
#include <initializer_list>

#include "driver/fields/le_bytes.h"
#include "driver/tables/cache_image.h"
#include "driver/tables/cache_layout.h"

namespace vv::driver {
namespace {

// Appends bytes to an image; without a target it only counts them, so the
// size and the bytes come from the same code.
class Emitter {
 public:
  explicit Emitter(uint8_t* out) : out_(out) {}
  std::size_t size() const { return at_; }

  void Bytes(const void* bytes, std::size_t n) {
    if (out_ != nullptr && n > 0) {
      if (bytes != nullptr) {
        std::memcpy(out_ + at_, bytes, n);
      } else {
        std::memset(out_ + at_, 0, n);
      }
    }
    at_ += n;
  }
  void Word(uint32_t value) {
    uint8_t bytes[4];
    StoreLe32(bytes, value);
    Bytes(bytes, sizeof bytes);
  }
  // A string item: length with the NUL and the text, or 0 for null or empty.
  void String(const char* text) {
    const std::size_t length = text != nullptr ? std::strlen(text) : 0;
    Word(length == 0 ? 0u : static_cast<uint32_t>(length + 1));
    if (length > 0) Bytes(text, length + 1);
  }

 private:
  uint8_t* out_;
  std::size_t at_ = 0;
};

void Put(uint8_t* image, std::size_t offset, uint64_t value, int bytes) {
  StoreLe(image + offset, value, bytes);
}

void RecordImage(const OpenFile& f, uint8_t* image) {
  namespace r = record_image;
  std::memset(image, 0, kCacheRecordImageSize);
  Put(image, r::kHFile, static_cast<uint32_t>(f.hFile), 4);
  std::memcpy(image + r::kPosBlock, f.PosBlock, sizeof f.PosBlock);
  Put(image, r::kFileVersion, f.bFileVersion, 1);
  Put(image, r::kDdfFileId, f.nDdfFileId, 2);
  Put(image, r::kRecBufSize, f.nRecBufSize, 2);
  Put(image, r::kFields, static_cast<uint32_t>(f.nFields), 4);
  Put(image, r::kRelFields, static_cast<uint32_t>(f.nRelFields), 4);
  Put(image, r::kLongvars, static_cast<uint32_t>(f.nLongvars), 4);
  Put(image, r::kBufferClear, f.bBufferClear, 1);
  Put(image, r::kIndexes, static_cast<uint32_t>(f.nIndexes), 4);
  Put(image, r::kOpenMode, static_cast<uint32_t>(f.nOpenMode), 4);
  Put(image, r::kFileMode, f.nFileMode, 4);
  const uint8_t flags[] = {f.bBtrOpen,       f.bSystemFile,   f.bFromCache,     0,
                           f.nCharSet,       f.nRecnumMethod, f.bRestructuring, f.nTableFlags,
                           f.bLayoutChanged, f.bIndexChanged, f.bFieldsMapped,  f.bInTransaction,
                           f.bCommitted};
  std::memcpy(image + r::kBtrOpen, flags, sizeof flags);
  Put(image, r::kRecLen, static_cast<uint32_t>(f.nRecLen), 4);
  Put(image, r::kHostRecLen, static_cast<uint32_t>(f.nHostRecLen), 4);
  Put(image, r::kDataLen, static_cast<uint32_t>(f.nDataLen), 4);
  Put(image, r::kRecords, f.nRecords, 4);
  Put(image, r::kPageSize, static_cast<uint32_t>(f.nPageSize), 4);
  Put(image, r::kAcs, f.nAcs, 1);
  Put(image, r::kFillHigh, f.nFillHigh, 1);
  Put(image, r::kFillLow, f.nFillLow, 1);
  Put(image, r::kFileFlags, f.nFileFlags, 2);
  Put(image, r::kDdfFlags, f.nDdfFlags, 1);
  Put(image, r::kRecnumField, static_cast<uint32_t>(f.nRecnumField), 4);
  Put(image, r::kPrimaryIndex, static_cast<uint32_t>(f.nPrimaryIndex), 4);
  Put(image, r::kCurIndex, static_cast<uint16_t>(f.nCurIndex), 2);
  Put(image, r::kFirstIndex, static_cast<uint16_t>(f.nFirstIndex), 2);
  std::memcpy(image + r::kRecnum, f.nRecnum, sizeof f.nRecnum);
  Put(image, r::kRecnumSupport, f.bRecnumSupport, 1);
  Put(image, r::kOldVersion, f.bOldVersion, 1);
  Put(image, r::kMvForBtrieve, f.bMvForBtrieve, 1);
  Put(image, r::kRecnumOneField, static_cast<uint32_t>(f.nRecnumOneField), 4);
  Put(image, r::kRecnumTwoField, static_cast<uint32_t>(f.nRecnumTwoField), 4);
  Put(image, r::kKeyBufSize, static_cast<uint32_t>(f.nKeyBufSize), 4);
  const uint8_t state[] = {f.bActive, f.bChanged, f.bAttr115, f.bChanged2, f.bFound, f.bTrueNull};
  std::memcpy(image + r::kActive, state, sizeof state);
  Put(image, r::kStatLen, f.nStatLen, 2);
}

void FieldImage(const FieldDesc& d, uint8_t* image) {
  namespace fi = field_image;
  std::memset(image, 0, kCacheFieldImageSize);
  const int32_t numbers[] = {d.nNumber,    d.nOldNumber, d.nHostType,   d.nBtrType,
                             d.nOffset,    d.nSize,      d.nHostLength, d.nPrecision,
                             d.nMainIndex, d.nRelFile,   d.nRelField};
  for (std::size_t i = 0; i < sizeof numbers / sizeof numbers[0]; ++i) {
    Put(image, fi::kNumber + 4 * i, static_cast<uint32_t>(numbers[i]), 4);
  }
  Put(image, fi::kFieldChanged, d.bFieldChanged, 1);
  Put(image, fi::kHasSource, d.bHasSource, 1);
  Put(image, fi::kFieldTouched, d.bFieldTouched, 1);
  Put(image, fi::kFieldTag, d.nFieldTag, 2);
  Put(image, fi::kFieldDdfFlags, d.nFieldDdfFlags, 2);
  Put(image, fi::kNullAllowed, d.bNullAllowed, 1);
  Put(image, fi::kIsNull, d.bIsNull, 1);
  Put(image, fi::kOverlaps, static_cast<uint32_t>(d.nOverlaps), 4);
}

void IndexImage(const IndexDesc& d, uint8_t* image) {
  namespace ii = index_image;
  std::memset(image, 0, kCacheIndexImageSize);
  Put(image, ii::kIndexNumber, static_cast<uint32_t>(d.nIndexNumber), 4);
  Put(image, ii::kSegments, static_cast<uint32_t>(d.nSegments), 4);
  Put(image, ii::kKeyLen, static_cast<uint32_t>(d.nKeyLen), 4);
  Put(image, ii::kRecnumAppended, d.bRecnumAppended, 1);
  Put(image, ii::kDefined, d.bDefined, 1);
  Put(image, ii::kKeyNumber, static_cast<uint16_t>(d.nKeyNumber), 2);
  Put(image, ii::kAcsNumber, d.nAcsNumber, 1);
  Put(image, ii::kUsesAcs, d.bUsesAcs, 1);
  Put(image, ii::kKeyChanged, d.bKeyChanged, 1);
}

void SegmentImage(const SegmentDesc& d, uint8_t* image) {
  namespace si = segment_image;
  std::memset(image, 0, kCacheSegmentImageSize);
  Put(image, si::kExtType, d.nExtType, 1);
  Put(image, si::kNullSegment, d.bNullSegment, 1);
  Put(image, si::kDdfFieldId, static_cast<uint32_t>(d.nDdfFieldId), 4);
  Put(image, si::kDdfIndex, static_cast<uint32_t>(d.nDdfIndex), 4);
  Put(image, si::kPart, static_cast<uint32_t>(d.nPart), 4);
  Put(image, si::kKeyFlags, d.nKeyFlags, 2);
}

// The number of the field a segment stands on: its place in lpFields.
uint32_t SegmentFieldNumber(const OpenFile& f, const SegmentDesc& segment) {
  if (segment.lpField == nullptr || f.lpFields == nullptr) return 0;
  return static_cast<uint32_t>(segment.lpField - f.lpFields);
}

void Emit(const OpenFile& f, Emitter* out) {
  uint8_t header[kCacheHeaderSize];
  std::memcpy(header, kCacheHeaderText, kCacheHeaderTextSize);
  header[kCacheHeaderEofOffset] = kCacheHeaderEof;
  StoreLe32(header + kCacheVersionOffset, kCacheVersion);
  std::memset(header + kCacheHeaderPadOffset, ' ', kCacheHeaderSize - kCacheHeaderPadOffset);
  out->Bytes(header, sizeof header);

  uint8_t record[kCacheRecordImageSize];
  RecordImage(f, record);
  out->Bytes(record, sizeof record);
  for (const char* text :
       {f.lpszDdfName, f.lpszBtrFile, f.lpszIntFile, f.lpszBtrPath, f.lpszOwner}) {
    out->String(text);
  }
  if (f.nAcs != 0) out->Bytes(f.lpAcs, kCacheAcsSize * f.nAcs);

  const FieldDesc none{};
  uint8_t image[kCacheFieldImageSize];
  for (int32_t i = 0; i <= f.nFields; ++i) {
    FieldImage(f.lpFields != nullptr ? f.lpFields[i] : none, image);
    out->Bytes(image, kCacheFieldImageSize);
  }
  for (int32_t i = 0; i <= f.nFields; ++i) {
    out->String(f.lpFields != nullptr ? f.lpFields[i].lpszName : nullptr);
  }

  const IndexDesc noIndex{};
  for (int32_t i = 0; i <= f.nIndexes; ++i) {
    IndexImage(f.lpIndexes != nullptr ? f.lpIndexes[i] : noIndex, image);
    out->Bytes(image, kCacheIndexImageSize);
  }
  const SegmentDesc noSegment{};
  for (int32_t i = 0; f.lpIndexes != nullptr && i <= f.nIndexes; ++i) {
    const IndexDesc& index = f.lpIndexes[i];
    if (index.nSegments <= 0) continue;
    const SegmentDesc* segments = index.lpSegments;
    for (int32_t s = 0; s <= index.nSegments; ++s) {
      SegmentImage(segments != nullptr ? segments[s] : noSegment, image);
      out->Bytes(image, kCacheSegmentImageSize);
    }
    for (int32_t s = 1; s <= index.nSegments; ++s) {
      out->Word(segments != nullptr ? SegmentFieldNumber(f, segments[s]) : 0u);
    }
  }
}

}  // namespace

std::size_t mvbtrCacheImageSize(const OpenFile* file) {
  Emitter counter(nullptr);
  Emit(*file, &counter);
  return counter.size();
}

void mvbtrCacheImageEncode(const OpenFile* file, uint8_t* out) {
  Emitter emitter(out);
  Emit(*file, &emitter);
  CacheCheck check;
  check.Add(out, emitter.size());
  StoreLe32(out + kCacheCheckOffset, check.Value());
}

}  // namespace vv::driver
