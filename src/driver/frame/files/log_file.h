// The driver's log file (LOGFILE_PATH), to which record lookups that find
// nothing are written. It is opened at each login and closed when a login is
// closed; the driver globals hold it as hLogFile.
//
// Each entry is one line of four fields separated by ";", the last three in
// double quotes: number, text, the user name, the table name (empty when no
// table is given); then CR LF:
//
//   25;"B_KEY_VALUE_NOT_FOUND in mvbtrRecordFind";"USER1";"ORDERS"\r\n
//
// Several processes may write the same log: a writer holds a one-byte lock at
// offset 100 of the file while it appends its line, so lines never mix.
#ifndef VEVERAVE_DRIVER_FRAME_FILES_LOG_FILE_H_
#define VEVERAVE_DRIVER_FRAME_FILES_LOG_FILE_H_

#include <cstddef>
#include <cstdint>

namespace vv::platform {
class File;
}

namespace vv::driver {

struct OpenFile;

inline constexpr uint64_t kLogLockOffset = 100;
inline constexpr std::size_t kLogUserNameMax = 256;

// Opens (creating when missing, never truncating) the log file at path into
// *handle, closing a log already open there. Failure: error 20559 with the
// path, *handle null. Returns 0 or the pending error.
int16_t mvbtrLogOpen(platform::File** handle, const char* path);
// Closes the log file when it is open; *handle becomes null.
void mvbtrLogClose(platform::File** handle);

// Appends one entry when LOGFILE_PATH is set and file is open; record (may
// be null) names the table. Writing is best effort: a log that cannot be
// written is no error of the operation being logged. Should the byte lock
// fail for any reason other than another writer holding it, the line is
// written without it rather than waiting for ever.
void mvbtrLogWrite(platform::File* file, const OpenFile* record, int32_t number, const char* text);

}  // namespace vv::driver

#endif  // VEVERAVE_DRIVER_FRAME_FILES_LOG_FILE_H_
