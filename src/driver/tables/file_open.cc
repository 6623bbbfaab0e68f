// btrFileOpen: the steps of opening a table by name, from the host's name to
// an open file record attached to the host's handle (file_open.h).
#include "driver/tables/file_open.h"

#include <cstdio>
#include <cstring>

#include "driver/btrieve/btr_call.h"
#include "driver/frame/entry_guard.h"
#include "driver/frame/errors.h"
#include "driver/frame/globals.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/init.h"
#include "driver/frame/logins/login.h"
#include "driver/frame/util/memory.h"
#include "driver/frame/util/strings.h"
#include "driver/records/record_number.h"
#include "driver/tables/cache_file.h"
#include "driver/tables/ddf_dictionary.h"
#include "driver/tables/ddf_rows.h"
#include "driver/tables/file_read_info.h"
#include "driver/tables/file_record.h"
#include "driver/tables/int_file_read.h"
#include "veverave/driver.h"

namespace vv::driver {
namespace {

constexpr const char* kContext = "mvbtrFileOpen";
constexpr const char* kCloseContext = "Close on open error";
// A table name ending in this asks for RECNUM_SUPPORT; the dictionary knows
// the table without it.
constexpr char kRecnumSuffix = '+';

// The result of a step that failed: its status, or the pending error when
// the step gave no number of its own.
int16_t Failed(int16_t status) {
  const int16_t pending = mvbtrErrorStatus();
  return pending != 0 ? pending : status;
}

// Out of memory keeps its own number wherever it happens, so that the host
// always learns the true cause; other failures of a step become the step's
// open error.
bool OutOfMemory(int16_t status) {
  return status == kErrOutOfMemory;
}

// One open in progress. Whatever a failed open built is undone when the
// object goes (also when an exception leaves the open), and the INT file the
// open read is closed.
class TableOpen {
 public:
  TableOpen(const char* name, int32_t mode, int32_t* hFile)
      : name_(name), mode_(mode), hFile_(hFile), hostInt_(*hFile < 0) {
    // A negative handle: the host has the table's INT file open already.
    handle_ = hostInt_ ? static_cast<int32_t>(0u - static_cast<uint32_t>(*hFile)) : *hFile;
  }
  ~TableOpen() {
    if (!opened_) Undo();
    if (intUsed_ || (hostInt_ && !intHanded_)) mvbtrFileIntClose();
  }
  TableOpen(const TableOpen&) = delete;
  TableOpen& operator=(const TableOpen&) = delete;

  int16_t Run() {
    const int16_t status = Steps();
    if (status == 0) {
      Opened();
      return 0;
    }
    Undo();
    return Failed(status);
  }

 private:
  int16_t Steps() {
    login_ = mvbtrLoginDefault();
    if (login_ == nullptr) return Failed(kErrCannotOpen);
    if (!mvbtrFileOpenNamesSplit(name_, &names_) || names_.szRootName[0] == '\0') {
      return mvbtrFileCantFind(name_);
    }
    IntPathFind();
    int16_t status = RecordMake();
    if (status == 0 && mvbtrGlobals()->bUseCache != 0) status = CacheRead();
    if (status == 0) status = IntFirstPass();
    if (status != 0) return status;
    *hFile_ = handle_;
    status = TableNameSet();
    if (status == 0 && !FromCache()) status = DictionaryRowRead();
    if (status != 0) return status;
    char path[kOpenNameSize];
    status = mvbtrFileBtrPathMake(file_, names_, path);
    if (status == 0) status = mvbtrFileBtrOpen(file_, names_.szOpenName, path, mode_);
    if (status == 0) status = StatTake();
    if (status == 0 && !FromCache()) status = StructureBuild();
    if (status == 0) status = BuffersMake();
    if (status == 0) status = CacheWrite();
    if (status == 0) status = Attach();
    return status;
  }

  bool FromCache() const { return file_->bFromCache != 0; }

  // The structure from the table's cache file. A cache that is missing,
  // stale or of another format is no error; a damaged one is not either
  // unless REPORT_CACHE_ERRORS asks to hear of it. Without a structure from
  // the cache the open starts again on a fresh record.
  int16_t CacheRead() {
    if (intPath_[0] != '\0' && mvbtrStrNewCpy(&file_->lpszIntFile, intPath_) != 0) {
      return Failed(kErrOutOfMemory);
    }
    if (mvbtrCacheReadFile(file_, names_.szOpenName) != 0) {
      const int16_t error = mvbtrErrorStatus();
      const bool damaged =
          error == kErrCacheRead || error == kErrCacheHeader || error == kErrCacheOpen;
      const bool absent =
          error == kErrCacheVersion || error == kErrCacheExpired || error == kErrCacheMissing;
      if (!absent && !(damaged && mvbtrGlobals()->bReportCacheErrors == 0)) return error;
      mvbtrErrorClear();
    }
    if (FromCache()) return 0;
    mvbtrFileRecordFree(&file_);
    return RecordMake();
  }

  // A structure built the long way is written to the cache, unless the
  // host named the Btrieve file itself (after a vertical bar). Failing to
  // write it costs only the next open's time: no error unless
  // REPORT_CACHE_ERRORS asks for it.
  int16_t CacheWrite() {
    if (mvbtrGlobals()->bUseCache == 0 || FromCache() || names_.szBtrName[0] != '\0') return 0;
    if (mvbtrCacheWriteFile(file_, names_.szOpenName) == 0) return 0;
    const int16_t error = mvbtrErrorStatus();
    const bool quiet =
        error == kErrCacheCreate || error == kErrCacheWrite || error == kErrCacheVersion;
    if (!quiet || mvbtrGlobals()->bReportCacheErrors != 0) return error;
    mvbtrErrorClear();
    return 0;
  }

  // Before the record exists: the INT path under a negative handle, or the
  // one searched for so that a structure cache could be checked against it.
  void IntPathFind() {
    const DriverGlobals* g = mvbtrGlobals();
    intPath_[0] = '\0';
    if (hostInt_) {
      mvbtrStrCopy(intPath_, sizeof intPath_, names_.szOpenName);
    } else if (g->bUseIntFile != 0 && g->bUseCache != 0 && g->bCacheExpiration != 0) {
      mvbtrFileIntSearch(names_.szRootName, intPath_);
    }
  }

  int16_t RecordMake() {
    void* block = DriverAlloc(sizeof(OpenFile));
    if (block == nullptr) {
      mvbtrErrorReport(kErrOutOfMemory, kContext);
      return Failed(kErrOutOfMemory);
    }
    std::memset(block, 0, sizeof(OpenFile));
    file_ = static_cast<OpenFile*>(block);
    mvbtrFileRecordInit(file_, true);
    return 0;
  }

  // The INT file's leading lines. Without a negative handle it is read only
  // with USE_INT_FILE; its path is the one searched for, else the open name
  // with the extension ".INT".
  int16_t IntFirstPass() {
    if (!hostInt_) {
      if (mvbtrGlobals()->bUseIntFile == 0 || FromCache()) return 0;
      if (intPath_[0] == '\0' && !mvbtrFileIntDefaultPath(names_.szOpenName, intPath_)) return 0;
    }
    intHanded_ = true;
    const int16_t status = mvbtrFileIntOpen(file_, intPath_, hostInt_, &intUsed_);
    if (status != 0 || !intUsed_) return status;
    return mvbtrFileIntReadFirst(file_, &line_);
  }

  int16_t TableNameSet() {
    if (file_->lpszDdfName == nullptr &&
        mvbtrStrNewCpy(&file_->lpszDdfName, names_.szRootName) != 0) {
      return Failed(kErrOutOfMemory);
    }
    file_->lpLogin = login_;
    if (FromCache()) return 0;
    char* name = file_->lpszDdfName;
    const std::size_t length = std::strlen(name);
    if (length > 0 && name[length - 1] == kRecnumSuffix) {
      name[length - 1] = '\0';
      file_->bRecnumSupport = 1;
    }
    return 0;
  }

  int16_t DictionaryRowRead() {
    const int16_t status = ddfFileRead(login_, file_);
    if (status == 0 || OutOfMemory(status)) return status;
    char text[kOpenNameSize + 32];
    if (status == kErrRecordNotFound) {
      std::snprintf(text, sizeof text, "%s, XF$Name not found.", TableName(file_));
    } else {
      std::snprintf(text, sizeof text, "Error %d ddfFileRead %s.", static_cast<int>(status),
                    names_.szOpenName);
    }
    mvbtrErrorReport(kErrCannotOpen, text);
    return Failed(kErrCannotOpen);
  }

  int16_t StatTake() {
    const int16_t status = mvbtrFileInfoTake(file_);
    if (status == 0 || OutOfMemory(status)) return status;
    mvbtrErrorReport(kErrStatFailed, TableName(file_));
    return Failed(kErrStatFailed);
  }

  // Entry 0 of the fields becomes a copy of the field that carries the
  // record number, with number 0 and no name.
  void RecnumFieldCopy() {
    FieldDesc* field0 = &file_->lpFields[0];
    mvbtrMemFree(&field0->lpszName);
    *field0 = file_->lpFields[file_->nRecnumField];
    field0->nNumber = 0;
    field0->lpszName = nullptr;
    field0->nOverlaps = 0;
    field0->lpOverlaps = nullptr;
    field0->lpNextLongvar = field0->lpPrevLongvar = nullptr;
  }

  int16_t StructureBuild() {
    int16_t status = ddfFieldsRead(login_, file_);
    if (status == 0) status = ddfIndexesRead(login_, file_);
    if (status == 0) status = mvbtrCopyDdfFields(file_);
    if (status == 0 && file_->bMvForBtrieve != 0) status = mvbtrRecordNumberFieldFind(file_);
    if (status != 0) return Failed(status);
    if (file_->nRecnumField != 0 && file_->lpFields != nullptr) RecnumFieldCopy();
    status = mvbtrIndexCreateFromDdfSegments(file_);
    if (status == 0) status = mvbtrIndexReadInfo(file_);
    if (status == 0) status = mvbtrIndexAppendRecnum(file_);
    if (status != 0) return Failed(status);
    mvbtrFieldSetMainIndexes(file_);
    if (!intUsed_) return 0;
    status = mvbtrFileIntReadSecond(file_, names_.szOpenName, &line_);
    if (status != 0) return Failed(status);
    // An unknown character set was reported to the host; the table opens
    // with the driver's character set all the same.
    if (mvbtrErrorStatus() == kErrCharacterSet) mvbtrErrorClear();
    return 0;
  }

  int16_t BuffersMake() {
    mvbtrFileHostRecLenSet(file_);
    if (mvbtrFileCreateRecordbuffer(file_) != 0 || mvbtrFieldLongvarsBuild(file_) != 0 ||
        mvbtrFileKeyBufCreate(file_) != 0) {
      return Failed(kErrOutOfMemory);
    }
    // Index 0 of a file with its own record-number key finds on field 0.
    IndexDesc* index0 = file_->lpIndexes;
    if ((file_->bRecnumSupport != 0 || file_->nRecnumField != 0) && index0 != nullptr &&
        index0->nSegments >= 1 && file_->lpFields != nullptr) {
      index0->lpSegments[1].lpField = &file_->lpFields[0];
    }
    return mvbtrFieldMakeDepList(file_);
  }

  int16_t Attach() {
    file_->hFile = handle_;
    file_->lpPrev = nullptr;
    file_->lpNext = login_->lpFiles;
    if (file_->lpNext != nullptr) file_->lpNext->lpPrev = file_;
    login_->lpFiles = file_;
    linked_ = true;
    const int16_t status = mvbtrFileHandleSet(handle_, file_);
    return status != 0 ? Failed(status) : 0;
  }

  void Opened() {
    opened_ = true;
    const DriverGlobals* g = mvbtrGlobals();
    if (g->bAutoMarkSysfile != 0 && file_->nRecords == 1 && file_->nIndexes == 0) {
      file_->bSystemFile = 1;
    }
    mvbtrOpenCountInc();
    // The stat and the dictionary rows served the open only.
    mvbtrMemFree(&file_->lpStat);
    file_->nStatLen = 0;
    for (int32_t i = 0; file_->lpFields != nullptr && i <= file_->nFields; ++i) {
      file_->lpFields[i].lpSource = nullptr;
    }
    mvbtrDdfFieldRowsFree(&file_->lpDdfFields);
    mvbtrDdfIndexRowsFree(&file_->lpDdfIndexes);
  }

  void Undo() {
    if (undone_) return;
    undone_ = true;
    mvbtrFileHandleFree(handle_);
    if (file_ == nullptr) return;
    if (file_->bBtrOpen != 0) {
      const int16_t status = mvbtrBtrCall(BTR_CLOSE, file_->PosBlock, nullptr, nullptr, nullptr, 0,
                                          login_->lpClientId);
      if (status != BTR_STATUS_SUCCESS) {
        mvbtrBtrErrorReport(status, kCloseContext, TableName(file_));
      }
      file_->bBtrOpen = 0;
    }
    if (linked_) mvbtrFileUnlink(file_);
    mvbtrFileRecordFree(&file_);
  }

  const char* name_;
  int32_t mode_;
  int32_t* hFile_;
  int32_t handle_ = 0;
  bool hostInt_;
  bool intHanded_ = false;  // mvbtrFileIntOpen has the INT file now
  bool intUsed_ = false;    // the INT file is read and must be closed
  bool linked_ = false;     // the record is in the login's list
  bool opened_ = false;
  bool undone_ = false;
  ServerLogin* login_ = nullptr;
  OpenFile* file_ = nullptr;
  OpenNames names_;
  char intPath_[kIntPathSize];
  IntFileLine line_{};
};

}  // namespace

int16_t mvbtrFileOpen(const char* name, int32_t mode, int32_t* hFile) {
  const int16_t init = mvbtrDriverEnsureInit();
  if (init != 0) return init;
  if (!mvbtrDriverIsInit()) return -1;
  if (hFile == nullptr) {
    mvbtrErrorReport(kErrBadFileHandle, "btrFileOpen");
    return Failed(kErrBadFileHandle);
  }
  TableOpen open(name != nullptr ? name : "", mode, hFile);
  return open.Run();
}

}  // namespace vv::driver

extern "C" int16_t VV_CALL btrFileOpen(const char* name, int32_t mode, int32_t* hFile) {
  return vv::driver::GuardStatus("btrFileOpen",
                                 [&] { return vv::driver::mvbtrFileOpen(name, mode, hFile); });
}
