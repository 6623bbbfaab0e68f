// The platform layer: every OS service that the driver, the engine, the host
// and the tools need. Nothing outside src/platform/ includes an OS header.
//
// Paths given to these functions may use either separator ('\' or '/') and
// may carry a drive prefix "X:". On POSIX every call turns '\' into '/' and,
// where a path component does not exist under its exact name, matches it
// case-insensitively (names are often stored in upper case). On Windows paths
// go to the system as they are.
#ifndef VEVERAVE_PLATFORM_PLATFORM_H_
#define VEVERAVE_PLATFORM_PLATFORM_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vv::platform {

// ---------------------------------------------------------------- paths

// Separator of path lists (the host's data search path) on every platform.
inline constexpr char kPathListSeparator = ';';
// The separator of paths this platform composes.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif
// Longest path the driver composes (Windows MAX_PATH).
inline constexpr std::size_t kMaxPath = 260;

// A path split into its parts; joining them gives the path back.
//   drive: "X:" or empty; dir: everything up to and including the last
//   separator, or empty; name: the file name without extension; ext: from the
//   last '.' of the file name on (".INT"), or empty.
// JoinPath, like _makepath, adds kPathSeparator after a dir that lacks a
// trailing separator and a '.' before an ext that lacks one.
struct PathParts {
  std::string drive;
  std::string dir;
  std::string name;
  std::string ext;
};

PathParts SplitPath(std::string_view path);
std::string JoinPath(const PathParts& parts);

// True for '\' and '/'.
inline bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The path as the operating system takes it: on POSIX with '/' separators and
// each component resolved case-insensitively when it does not exist under its
// exact name (a component that exists under no spelling is kept as given, so
// a file about to be created gets the resolved directory). Identity on Windows.
// POSIX details: a drive prefix is dropped ("C:\DATA\X" -> "/DATA/X",
// "C:X" -> "X"); where several entries match a component without regard to
// ASCII case, the first in byte order wins; once a component exists under no
// spelling, the rest of the path is kept as given.
std::string NativePath(std::string_view path);

// Looks fileName up in each directory of dirList (separated by ';'; empty
// entries skipped; an empty or null list means the current directory only),
// first hit wins. When fileName has no extension and defaultExt is given
// (".INT"), the extension is added. A fileName with a drive or directory is
// looked up only there. Returns the full path found (directory joined with the
// file name, made absolute; on POSIX in the spelling found on disk) or
// nullopt. Only files count, not directories.
std::optional<std::string> SearchPath(std::string_view dirList, std::string_view fileName,
                                      std::string_view defaultExt = {});

// Short (8.3) and long forms of an existing path. POSIX has no short forms:
// both return the path unchanged when it exists. Windows uses
// GetShortPathNameA; GetLongPathNameA is looked up at run time and, where it is
// missing or not implemented, the shell's display path of the item is used
// instead (the choice is made once). nullopt when the path does not exist or
// the conversion fails.
std::optional<std::string> ShortPathName(std::string_view path);
std::optional<std::string> LongPathName(std::string_view path);

// Absolute form of a path (GetFullPathNameA on Windows; on POSIX relative
// paths are joined to the current directory). Does not touch the file system.
std::string FullPathName(std::string_view path);

// ---------------------------------------------------------------- files

enum class FsResult { kOk, kNotFound, kAccessDenied, kExists, kOther };

bool FileExists(std::string_view path);       // a regular file (not a directory)
bool DirectoryExists(std::string_view path);
// Last-write time as a Windows file time: 100-nanosecond units since
// 1601-01-01 UTC, on every platform. nullopt when the file is not found.
std::optional<uint64_t> FileWriteTime(std::string_view path);
std::optional<uint64_t> FileSize(std::string_view path);
FsResult DeleteFile(std::string_view path);
// Renames a file; fails (kExists) when the target exists.
FsResult RenameFile(std::string_view from, std::string_view to);
// Renames a file, replacing the target atomically when it exists.
FsResult ReplaceFile(std::string_view from, std::string_view to);
FsResult CreateDirectory(std::string_view path);
// Names (not paths) of the files in dir that match pattern, where '*' matches
// any run of characters and '?' one character, compared case-insensitively.
// Directories are left out. Sorted by name (bytewise). Empty when dir does
// not exist.
std::vector<std::string> ListFiles(std::string_view dir, std::string_view pattern);
// Paths of the companion files of a Btrieve file: NAME.^* beside it (name
// compared case-insensitively), each the given path's drive and directory
// joined with the file's name; sorted.
std::vector<std::string> CompanionFiles(std::string_view path);
// Current directory; a fresh unique directory for tests and tools.
std::string CurrentDirectory();
std::optional<std::string> MakeTempDirectory(std::string_view prefix);
// Removes a directory and everything below it; true when it is gone.
bool RemoveTree(std::string_view path);

// An open file. Owned through std::unique_ptr; closing is the destructor.
// Offsets are absolute; nothing here keeps a file position except Append.
class File {
 public:
  virtual ~File() = default;
  File() = default;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Reads up to n bytes at offset; returns the number read (short at end of
  // file) or -1 on an I/O error.
  virtual int64_t ReadAt(uint64_t offset, void* buf, std::size_t n) = 0;
  // Writes all n bytes at offset; false on an I/O error.
  virtual bool WriteAt(uint64_t offset, const void* buf, std::size_t n) = 0;
  // Writes at the current end of the file.
  virtual bool Append(const void* buf, std::size_t n) = 0;
  // Flushes data to stable storage.
  virtual bool Sync() = 0;
  virtual bool Truncate(uint64_t size) = 0;
  virtual std::optional<uint64_t> Size() = 0;
  // Locks a byte range against other processes. wait: block until granted;
  // otherwise false at once when another process holds it. length 0 fails.
  // POSIX (fcntl record locks): locks belong to the process, so they
  // serialise processes, not threads or two Files of one process; closing
  // any File of the same file drops all the process's locks on it; a File
  // opened kRead gets a shared lock. Windows (LockFileEx): locks belong to
  // the handle and are mandatory (others' reads and writes of the range fail).
  // A process that dies loses its locks.
  virtual bool LockRange(uint64_t offset, uint64_t length, bool wait) = 0;
  virtual bool UnlockRange(uint64_t offset, uint64_t length) = 0;
  // Whether the last failed WriteAt, Append, Sync or Truncate failed because
  // the disk (or the user's quota) is full.
  virtual bool disk_full() const { return false; }
};

enum class OpenMode {
  kRead,            // existing file, read only
  kReadWrite,       // existing file
  kReadWriteCreate, // created when missing, never truncated
  kCreateTruncate   // created or emptied
};

// Opens a file shared for reading and writing with other processes.
// nullptr on failure; *error (when given) says why.
std::unique_ptr<File> OpenFile(std::string_view path, OpenMode mode, FsResult* error = nullptr);

// Whole-file helpers for small files (settings, tests, tools).
std::optional<std::string> ReadFileToString(std::string_view path);
bool WriteStringToFile(std::string_view path, std::string_view data);

// ---------------------------------------------------------------- memory

// The size and alignment of the huge pages AdviseHugePages asks for.
inline constexpr std::size_t kHugePageSize = std::size_t{2} << 20;
// Asks the OS to back a large, long-lived block of memory with huge pages: a
// process that fills many megabytes then takes one page fault per huge page
// instead of one per small page. A hint the OS may ignore (Windows does: its
// large pages need a privilege). The block should start and end on
// kHugePageSize boundaries.
void AdviseHugePages(void* address, std::size_t size);

// ---------------------------------------------------------------- time

void SleepMs(uint32_t ms);
// Wall clock in whole seconds since 1970 (the lock wait's clock).
int64_t NowSeconds();
// Wall clock as a Windows file time (see FileWriteTime).
uint64_t NowFileTime();
// Monotonic milliseconds for measuring intervals.
uint64_t MonotonicMs();
// Local calendar time.
struct LocalTime {
  int year, month, day, hour, minute, second, millisecond;
};
LocalTime NowLocal();

// ---------------------------------------------------------------- process

// Name of the user running the process (GetUserNameA; on POSIX the login
// name, else USER, else the numeric user id). Empty when none can be found.
std::string UserName();
std::optional<std::string> GetEnv(std::string_view name);
bool SetEnv(std::string_view name, std::string_view value);
bool UnsetEnv(std::string_view name);
int ProcessId();
// Whether the process's standard error goes to a terminal (a console on
// Windows), so that a tool may draw progress there.
bool StandardErrorIsTerminal();

// A child process, for tests that kill a writer at random moments.
class Process {
 public:
  virtual ~Process() = default;
  virtual int Id() const = 0;
  // Kills the process at once (SIGKILL, TerminateProcess).
  virtual bool Kill() = 0;
  // Waits for the end; the exit code, or -1 when it was killed by a signal.
  virtual int Wait() = 0;
};
// Starts program with args (argv[1..]); nullptr on failure. A bare name is
// searched along PATH; on Windows ".exe" is added to a path without an
// extension. Destroying the object kills and reaps a child not yet waited for.
std::unique_ptr<Process> SpawnProcess(std::string_view program, const std::vector<std::string>& args);

// ---------------------------------------------------------------- libraries

// A dynamically loaded library; unloaded with the object.
class Library {
 public:
  virtual ~Library() = default;
  // Address of an exported symbol, nullptr when missing.
  virtual void* Symbol(const char* name) = 0;
};
// nullptr on failure; *error (when given) says why.
std::unique_ptr<Library> LoadLibrary(std::string_view path, std::string* error = nullptr);
// Directory (with a trailing separator) of the library or program that holds
// the given address; empty when unknown.
std::string ModuleDirectory(const void* address);
// File name of shared libraries on this platform: "libNAME.so" or "NAME.dll".
std::string SharedLibraryName(std::string_view name);

// ---------------------------------------------------------------- threads

// A mutual-exclusion lock (std::mutex is not available in every toolchain we
// build with).
class Mutex {
 public:
  Mutex();
  ~Mutex();
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;
  void Lock();
  void Unlock();

 private:
  alignas(8) unsigned char storage_[64];
};

class MutexLock {
 public:
  explicit MutexLock(Mutex& mu) : mu_(mu) { mu_.Lock(); }
  ~MutexLock() { mu_.Unlock(); }
  MutexLock(const MutexLock&) = delete;
  MutexLock& operator=(const MutexLock&) = delete;

 private:
  Mutex& mu_;
};

// ---------------------------------------------------------------- code pages

// Converts text in place between the OEM code page and the ANSI code page
// (CharToOemA/OemToCharA on Windows; code page 850 <-> Windows-1252 on POSIX).
// Bytes below 0x80 are unchanged; n bytes are converted, NULs included.
void OemToAnsi(char* text, std::size_t n);
void AnsiToOem(char* text, std::size_t n);

}  // namespace vv::platform

#endif  // VEVERAVE_PLATFORM_PLATFORM_H_
