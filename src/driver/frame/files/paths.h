// Finding files and converting paths. Paths are the driver's Windows-style
// paths (drive, directory, name, extension; at most 260 characters); the
// platform layer maps them onto the file system.
#ifndef VEVERAVE_DRIVER_FRAME_FILES_PATHS_H_
#define VEVERAVE_DRIVER_FRAME_FILES_PATHS_H_

#include <cstddef>
#include <cstdint>

namespace vv::driver {

// Looks fileName up along pathList (directories separated by ';'; null or
// empty: the current directory only), first hit wins; a fileName with a drive
// or directory is looked up only there. extension (".INT"; may be null) is
// added to a name without one. On success copies the full path into result
// (resultSize bytes), points *filePart (when filePart is not null) at its
// file-name part and returns its length. Returns 0, with result empty, when
// the file is not found or its path does not fit into result.
int32_t mvbtrPathSearch(const char* pathList, const char* fileName, const char* extension,
                        std::size_t resultSize, char* result, char** filePart);

// 1 when the file exists, else 0. A path with a drive or directory is looked
// for only there; a bare name along the host's data search path.
int mvbtrFileExists(const char* path);

// Short (8.3) and long forms, in place. The drive and directory are
// converted alone first and then the whole path, each step leaving its input
// unchanged when it fails, so a file that does not exist yet still gets a
// converted directory. The short form is taken only when it is not longer
// than the path given; the long form always, when it fits into size bytes.
// Identity where the platform has no short names.
void mvbtrPathShort(char* path);
void mvbtrPathLong(char* path, std::size_t size);

// Every "?", "*", "<" or ">" of name becomes "_".
char* mvbtrNameSanitize(char* name);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FRAME_FILES_PATHS_H_
