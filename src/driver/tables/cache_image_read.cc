// Reading an open file record back from its cache image (cache_image.h).
//
// A cache file is input from disk: it may be short, partly written, damaged
// or made by hand. Every count is checked against the bytes that are left
// before anything is allocated for it, every string must end where its
// length says, every segment must name a field that exists, and the image
// must match its check word; whatever fails is error 20540, so that the
// open builds the structure the long way instead.
#include <algorithm>
#include <cstring>

#include "driver/fields/le_bytes.h"
#include "driver/fields/type_map.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "driver/tables/cache_image.h"
#include "driver/tables/cache_layout.h"
#include "driver/tables/file_record.h"
#include "platform/platform.h"

namespace vv::driver {

bool CacheSource::Read(void* to, std::size_t n) {
  if (n > Remaining()) return false;
  if (data_ != nullptr) {
    std::memcpy(to, data_ + offset_, n);
  } else if (n > 0 && file_->ReadAt(offset_, to, n) != static_cast<int64_t>(n)) {
    return false;
  }
  offset_ += n;
  return true;
}

bool CacheSource::WholeCheck(uint32_t* check) const {
  CacheCheck whole;
  if (data_ != nullptr) {
    whole.Add(data_, size_);
  } else {
    uint8_t block[8192];
    for (uint64_t at = 0; at < size_; at += sizeof block) {
      const std::size_t n = static_cast<std::size_t>(std::min<uint64_t>(sizeof block, size_ - at));
      if (file_->ReadAt(at, block, n) != static_cast<int64_t>(n)) return false;
      whole.Add(block, n);
    }
  }
  *check = whole.Value();
  return true;
}

namespace {

// The largest value any length, offset or key length of a sound structure
// has: the largest record buffer.
constexpr int64_t kLargest = kRecBufMax;

int32_t Get32(const uint8_t* image, std::size_t offset) {
  return static_cast<int32_t>(LoadLe32(image + offset));
}
uint16_t Get16(const uint8_t* image, std::size_t offset) {
  return static_cast<uint16_t>(LoadLe(image + offset, 2));
}

// One image read into one record, reporting with the cache file's path.
class Decoder {
 public:
  Decoder(OpenFile* file, CacheSource* source, const char* path)
      : f_(*file), source_(*source), path_(path) {}

  int16_t Run() {
    if (!Header() || !Record() || !Strings() || !Acs() || !Fields() || !Indexes() || !Sound()) {
      return mvbtrErrorStatus();
    }
    return 0;
  }

 private:
  bool Damaged() {
    mvbtrErrorReport(kErrCacheRead, path_);
    return false;
  }
  bool OutOfMemory(const char* context) {
    mvbtrErrorReport(kErrOutOfMemory, context);
    return false;
  }
  // Room for count items of size bytes in what is left of the image.
  bool Fits(int64_t count, std::size_t size) const {
    return count >= 0 && static_cast<uint64_t>(count) <= source_.Remaining() / size;
  }
  template <class T>
  T* ArrayNew(int64_t count, const char* context) {
    const std::size_t bytes = sizeof(T) * static_cast<std::size_t>(count);
    void* block = DriverAlloc(bytes);
    if (block == nullptr) {
      OutOfMemory(context);
      return nullptr;
    }
    std::memset(block, 0, bytes);
    return static_cast<T*>(block);
  }

  bool Header() {
    uint8_t header[kCacheHeaderSize];
    if (!source_.Read(header, sizeof header)) return Damaged();
    if (std::memcmp(header, kCacheHeaderText, kCacheHeaderTextSize) != 0) {
      mvbtrErrorReport(kErrCacheHeader, path_);
      return false;
    }
    if (LoadLe32(header + kCacheVersionOffset) != kCacheVersion) {
      mvbtrErrorReport(kErrCacheVersion, path_);
      return false;
    }
    return true;
  }

  bool Record() {
    namespace r = record_image;
    uint8_t image[kCacheRecordImageSize];
    if (!source_.Read(image, sizeof image)) return Damaged();
    // The whole file must be the one written before any of it is believed.
    uint32_t check = 0;
    if (!source_.WholeCheck(&check) || check != LoadLe32(image + r::kCheck)) return Damaged();
    f_.hFile = Get32(image, r::kHFile);
    std::memcpy(f_.PosBlock, image + r::kPosBlock, sizeof f_.PosBlock);
    f_.bFileVersion = image[r::kFileVersion];
    f_.nRecBufSize = Get16(image, r::kRecBufSize);
    f_.nFields = Get32(image, r::kFields);
    f_.nLongvars = Get32(image, r::kLongvars);
    f_.nIndexes = Get32(image, r::kIndexes);
    f_.nOpenMode = Get32(image, r::kOpenMode);
    f_.nFileMode = LoadLe32(image + r::kFileMode);
    f_.bSystemFile = image[r::kSystemFile];
    f_.bRestructuring = image[r::kRestructuring];
    f_.nTableFlags = image[r::kTableFlags];
    f_.bLayoutChanged = image[r::kLayoutChanged];
    f_.bIndexChanged = image[r::kIndexChanged];
    f_.bFieldsMapped = image[r::kFieldsMapped];
    f_.bInTransaction = image[r::kInTransaction];
    f_.bCommitted = image[r::kCommitted];
    f_.nRecLen = Get32(image, r::kRecLen);
    f_.nHostRecLen = Get32(image, r::kHostRecLen);
    f_.nDataLen = Get32(image, r::kDataLen);
    f_.nRecords = LoadLe32(image + r::kRecords);
    f_.nPageSize = Get32(image, r::kPageSize);
    f_.nAcs = image[r::kAcs];
    f_.nFillHigh = image[r::kFillHigh];
    f_.nFillLow = image[r::kFillLow];
    f_.nFileFlags = Get16(image, r::kFileFlags);
    f_.nDdfFlags = image[r::kDdfFlags];
    f_.nRecnumField = Get32(image, r::kRecnumField);
    f_.nPrimaryIndex = Get32(image, r::kPrimaryIndex);
    f_.nFirstIndex = static_cast<int16_t>(Get16(image, r::kFirstIndex));
    f_.bRecnumSupport = image[r::kRecnumSupport];
    f_.bOldVersion = image[r::kOldVersion];
    f_.bMvForBtrieve = image[r::kMvForBtrieve];
    f_.nRecnumOneField = Get32(image, r::kRecnumOneField);
    f_.nRecnumTwoField = Get32(image, r::kRecnumTwoField);
    f_.nKeyBufSize = Get32(image, r::kKeyBufSize);
    f_.bAttr115 = image[r::kAttr115];

    // The record is the driver's again; what belonged to the open that
    // wrote the image starts empty.
    mvbtrFileRecordInit(&f_, false);
    mvbtrMemFree(&f_.lpszCacheFile);
    f_.nDdfFileId = 0;
    f_.nRelFields = 0;
    f_.bBufferClear = 0;
    f_.bBtrOpen = 0;
    f_.bFromCache = 0;
    f_.nCurIndex = 0;
    std::memset(f_.nRecnum, 0, sizeof f_.nRecnum);
    f_.bActive = f_.bChanged = f_.bChanged2 = f_.bFound = 0;
    f_.bTrueNull = 0;
    f_.nStatLen = 0;
    return true;
  }

  bool String(char** target, const char* context) {
    mvbtrMemFree(target);
    uint8_t word[kCacheStringLengthSize];
    if (!source_.Read(word, sizeof word)) return Damaged();
    const uint32_t length = LoadLe32(word);
    if (length == 0) return true;
    if (length > source_.Remaining()) return Damaged();
    char* text = ArrayNew<char>(length, context);
    if (text == nullptr) return false;
    *target = text;
    if (!source_.Read(text, length)) return Damaged();
    // The text ends with its NUL, and only there.
    return std::memchr(text, '\0', length) == text + length - 1 ? true : Damaged();
  }

  bool Strings() {
    constexpr const char* kContext = "mvbtrCacheStringWrite";
    return String(&f_.lpszDdfName, kContext) && String(&f_.lpszBtrFile, kContext) &&
           String(&f_.lpszIntFile, kContext) && String(&f_.lpszBtrPath, kContext) &&
           String(&f_.lpszOwner, kContext);
  }

  bool Acs() {
    mvbtrMemFree(&f_.lpAcs);
    if (f_.nAcs == 0) return true;
    if (!Fits(f_.nAcs, kCacheAcsSize)) return Damaged();
    f_.lpAcs = ArrayNew<uint8_t>(int64_t{f_.nAcs} * kCacheAcsSize, "mvbtrCacheProcessFile (ACS)");
    if (f_.lpAcs == nullptr) return false;
    return source_.Read(f_.lpAcs, kCacheAcsSize * f_.nAcs) ? true : Damaged();
  }

  bool Fields() {
    namespace fi = field_image;
    const int64_t count = int64_t{f_.nFields} + 1;
    if (f_.nFields < 0 || !Fits(count, kCacheFieldImageSize)) {
      f_.nFields = 0;
      return Damaged();
    }
    f_.lpFields = ArrayNew<FieldDesc>(count, "mvbtrCacheReadProcessFields");
    if (f_.lpFields == nullptr) return false;
    uint8_t image[kCacheFieldImageSize];
    for (int32_t i = 0; i <= f_.nFields; ++i) {
      if (!source_.Read(image, sizeof image)) return Damaged();
      FieldDesc& d = f_.lpFields[i];
      int32_t* numbers[] = {&d.nNumber,    &d.nOldNumber, &d.nHostType,   &d.nBtrType,
                            &d.nOffset,    &d.nSize,      &d.nHostLength, &d.nPrecision,
                            &d.nMainIndex, &d.nRelFile,   &d.nRelField};
      for (std::size_t n = 0; n < sizeof numbers / sizeof numbers[0]; ++n) {
        *numbers[n] = Get32(image, fi::kNumber + 4 * n);
      }
      d.bFieldChanged = image[fi::kFieldChanged];
      d.bHasSource = image[fi::kHasSource];
      d.bFieldTouched = image[fi::kFieldTouched];
      d.nFieldTag = Get16(image, fi::kFieldTag);
      d.nFieldDdfFlags = Get16(image, fi::kFieldDdfFlags);
      d.bNullAllowed = image[fi::kNullAllowed];
      d.bIsNull = image[fi::kIsNull];
      d.nOverlaps = Get32(image, fi::kOverlaps);
    }
    for (int32_t i = 0; i <= f_.nFields; ++i) {
      if (!String(&f_.lpFields[i].lpszName, "mvbtrCacheStringWrite")) return false;
    }
    return true;
  }

  bool Indexes() {
    namespace ii = index_image;
    const int64_t count = int64_t{f_.nIndexes} + 1;
    if (f_.nIndexes < 0 || !Fits(count, kCacheIndexImageSize)) {
      f_.nIndexes = 0;
      return Damaged();
    }
    f_.lpIndexes = ArrayNew<IndexDesc>(count, "mvbtrCacheReadProcessIndexes");
    if (f_.lpIndexes == nullptr) return false;
    uint8_t image[kCacheIndexImageSize];
    for (int32_t i = 0; i <= f_.nIndexes; ++i) {
      if (!source_.Read(image, sizeof image)) return Damaged();
      IndexDesc& d = f_.lpIndexes[i];
      d.nIndexNumber = Get32(image, ii::kIndexNumber);
      d.nSegments = Get32(image, ii::kSegments);
      d.nKeyLen = Get32(image, ii::kKeyLen);
      d.bRecnumAppended = image[ii::kRecnumAppended];
      d.bDefined = image[ii::kDefined];
      d.nKeyNumber = static_cast<int16_t>(Get16(image, ii::kKeyNumber));
      d.nAcsNumber = image[ii::kAcsNumber];
      d.bUsesAcs = image[ii::kUsesAcs];
      d.bKeyChanged = image[ii::kKeyChanged];
    }
    for (int32_t i = 0; i <= f_.nIndexes; ++i) {
      if (f_.lpIndexes[i].nSegments != 0 && !Segments(&f_.lpIndexes[i])) return false;
    }
    return true;
  }

  bool Segments(IndexDesc* index) {
    namespace si = segment_image;
    const int64_t count = int64_t{index->nSegments} + 1;
    // The images from entry 0 and a field number for each segment.
    if (index->nSegments < 0 ||
        !Fits(index->nSegments, kCacheSegmentImageSize + kCacheSegmentFieldSize) ||
        static_cast<uint64_t>(index->nSegments) *
                    (kCacheSegmentImageSize + kCacheSegmentFieldSize) +
                kCacheSegmentImageSize >
            source_.Remaining()) {
      index->nSegments = 0;
      return Damaged();
    }
    index->lpSegments = ArrayNew<SegmentDesc>(count, "mvbtrCacheProcessIndexes");
    if (index->lpSegments == nullptr) return false;
    uint8_t image[kCacheSegmentImageSize];
    for (int32_t s = 0; s <= index->nSegments; ++s) {
      if (!source_.Read(image, sizeof image)) return Damaged();
      SegmentDesc& d = index->lpSegments[s];
      d.nExtType = image[si::kExtType];
      d.bNullSegment = image[si::kNullSegment];
      d.nDdfFieldId = Get32(image, si::kDdfFieldId);
      d.nDdfIndex = Get32(image, si::kDdfIndex);
      d.nPart = Get32(image, si::kPart);
      d.nKeyFlags = Get16(image, si::kKeyFlags);
    }
    for (int32_t s = 1; s <= index->nSegments; ++s) {
      uint8_t word[kCacheSegmentFieldSize];
      if (!source_.Read(word, sizeof word)) return Damaged();
      const uint32_t field = LoadLe32(word);
      if (field > static_cast<uint32_t>(f_.nFields)) return Damaged();
      index->lpSegments[s].lpField = &f_.lpFields[field];
    }
    return true;
  }

  static bool InRange(int64_t value, int64_t low, int64_t high) {
    return value >= low && value <= high;
  }
  static bool TypeKnown(int32_t type) {
    return InRange(type, 0, BTR_TYPE_LONGVAR) || InRange(type, kAuxBase, kAuxMvbcd);
  }

  // The image is whole and describes a structure an open could have built:
  // every byte a field, key or record number points at lies inside the
  // buffers the open makes from it.
  bool Sound() {
    if (source_.Remaining() != 0) return Damaged();
    for (int32_t i = 0; i <= f_.nFields; ++i) {
      const FieldDesc& d = f_.lpFields[i];
      if (!InRange(d.nOffset, 0, kLargest) || !InRange(d.nSize, 0, kLargest) ||
          d.nOffset + d.nSize > kLargest || !InRange(d.nHostLength, 0, kLargest) ||
          !InRange(d.nHostType, 0, kHostTypeCount - 1) || !TypeKnown(d.nBtrType) ||
          !InRange(d.nMainIndex, 0, f_.nIndexes) || d.nOverlaps < 0) {
        return Damaged();
      }
    }
    if (!InRange(f_.nRecnumField, 0, f_.nFields) || !InRange(f_.nRecnumOneField, 0, f_.nFields) ||
        !InRange(f_.nRecnumTwoField, 0, f_.nFields) || !InRange(f_.nPrimaryIndex, 0, f_.nIndexes)) {
      return Damaged();
    }
    for (int32_t i = 0; i <= f_.nIndexes; ++i) {
      const IndexDesc& d = f_.lpIndexes[i];
      int64_t keyBytes = 0;
      for (int32_t s = 1; s <= d.nSegments; ++s) {
        keyBytes += d.lpSegments[s].lpField->nSize + (d.lpSegments[s].bNullSegment != 0 ? 1 : 0);
      }
      if (!InRange(d.nKeyLen, keyBytes, kLargest) || (d.bUsesAcs != 0 && d.nAcsNumber >= f_.nAcs)) {
        return Damaged();
      }
    }
    return true;
  }

  OpenFile& f_;
  CacheSource& source_;
  const char* path_;
};

}  // namespace

int16_t mvbtrCacheImageDecode(OpenFile* file, CacheSource* source, const char* path) {
  Decoder decoder(file, source, path);
  return decoder.Run();
}

}  // namespace vv::driver
