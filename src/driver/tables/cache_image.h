// The structure cache image of an open file record: the bytes a cache file
// holds (cache_layout.h), made from a record and turned back into one. No
// file access here: cache_file.cc opens, reads and writes the files.
#ifndef VEVERAVE_DRIVER_TABLES_CACHE_IMAGE_H_
#define VEVERAVE_DRIVER_TABLES_CACHE_IMAGE_H_

#include <cstddef>
#include <cstdint>

#include "driver/tables/open_file.h"

namespace vv::platform {
class File;
}

namespace vv::driver {

// Size in bytes of the image of file.
std::size_t mvbtrCacheImageSize(const OpenFile* file);
// Writes the image of file into out (mvbtrCacheImageSize bytes), the check
// word included. Pointer slots are written as zero.
void mvbtrCacheImageEncode(const OpenFile* file, uint8_t* out);

// Where a cache image is read from: a block in memory or a file read at
// increasing offsets.
class CacheSource {
 public:
  CacheSource(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  CacheSource(platform::File* file, uint64_t size) : file_(file), size_(size) {}
  CacheSource(const CacheSource&) = delete;
  CacheSource& operator=(const CacheSource&) = delete;

  // The next n bytes into to; false (nothing taken) when fewer than n bytes
  // are left or the file cannot be read.
  bool Read(void* to, std::size_t n);
  uint64_t Remaining() const { return size_ - offset_; }
  // The check (CacheCheck) of all the bytes, wherever reading stands; false
  // when the file cannot be read.
  bool WholeCheck(uint32_t* check) const;

 private:
  const uint8_t* data_ = nullptr;
  platform::File* file_ = nullptr;
  uint64_t size_;
  uint64_t offset_ = 0;
};

// Reads a whole image from source into file, a record fresh from
// mvbtrFileRecordInit that owns no arrays yet (its strings are replaced).
// What the image holds is taken as the cache format lays down: the record
// is initialised again (lpFuncTable, nCurIndex, nRecnumMethod and nCharSet
// from the driver), the members that belong to one open only are cleared
// (names are read from the strings, nDdfFileId, bTrueNull, nRecnum, buffer
// state, nCurIndex 0), and the field and segment arrays are rebuilt with
// the segments pointing at their fields. The overlap marks (nOverlaps) come
// along; the overlap and long-variable chains are left to the open.
//
// Errors, with path as text: 20541 the header text is wrong, 20552 another
// format version, 20540 the image is short, has bytes after its end, fails
// its check, or describes a structure no open could have built (a count or
// length out of range, a segment on a field that does not exist); 10 out
// of memory, with the contexts "mvbtrCacheStringWrite", "mvbtrCacheProcessFile
// (ACS)", "mvbtrCacheReadProcessFields", "mvbtrCacheReadProcessIndexes" and
// "mvbtrCacheProcessIndexes". On failure the record holds whatever was read
// and can be freed (mvbtrFileRecordFree). Returns the pending error.
int16_t mvbtrCacheImageDecode(OpenFile* file, CacheSource* source, const char* path);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_TABLES_CACHE_IMAGE_H_
