// Deleting and renaming a Btrieve file together with its extension files,
// and reading a file's last-write time. A Btrieve file NAME.EXT may have
// companion files NAME.^01, NAME.^02 ... beside it that hold the parts of a
// file too large for one; they go wherever the file goes.
#ifndef VEVERAVE_DRIVER_FRAME_FILES_FILE_OPS_H_
#define VEVERAVE_DRIVER_FRAME_FILES_FILE_OPS_H_

#include <cstdint>

namespace vv::driver {

// Deletes the file; with withExtensions also every NAME.^* file beside it
// (after the file itself was deleted; a companion that cannot be deleted is
// left without an error, as the file it belonged to is gone). Failure of the
// file itself, with the path as text: 20519 not found, 20518 access denied,
// 4118 otherwise. Returns the pending error.
int16_t mvbtrFileDelete(const char* path, bool withExtensions);

// Renames the file and then each NAME.^* file beside it to the new path's
// drive, directory and name with the companion's own extension (a companion
// that cannot be renamed stays under its old name, without an error). Either
// path null, or the file cannot be renamed (the new name exists, the old one
// does not, access denied): error 4120 with the old path. Returns the
// pending error.
int16_t mvbtrFileRename(const char* oldPath, const char* newPath);

// 0 and the file's last-write time (100-nanosecond units since 1601, UTC), or
// -1 and 0 when the file is not found.
int16_t mvbtrFileTime(const char* path, uint64_t* time);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FRAME_FILES_FILE_OPS_H_
