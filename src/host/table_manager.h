// The host's table manager: tables open under file handles, native tables
// through the host's own code and driver tables through the driver's
// function table, and the file list that names each handle.
//
// Opening a name under a handle (slot 8, Open):
//   1. "VEVERAVE:NAME" (prefix without regard to case) is the driver's table
//      NAME: btrFileOpen(NAME, mode, handle).
//   2. Otherwise NAME.INT (NAME itself when its extension is .INT) is looked
//      for along the data search path. When its first keyword line names the
//      driver VEVERAVE (code 1, or the value VEVERAVE), the driver opens it:
//      btrFileOpen(path found, mode, -handle), the negative handle saying
//      that the name is the table's INT file. That file is open for reading
//      through slot 78 (at its first line) while the driver opens the table.
//      An INT file naming another driver is error 75.
//   3. Otherwise NAME.VVT (NAME itself when it has an extension) along the
//      data search path is a native table.
//   4. Otherwise error 75.
// Handle 0 asks for the lowest free handle, which is written back. A handle
// that is in use is closed first. An empty name reopens the handle's root
// name from the file list.
//
// The file list keeps, per handle and whether or not the handle is open, the
// root name (the name last opened under it, attribute 113), a logical name
// (112) and a display name (119).
//
// Every routine reports its errors on the host's error channel and returns
// the error number (0 on success); a driver entry point's result is passed
// on as the driver returned it.
#ifndef VEVERAVE_HOST_TABLE_MANAGER_H_
#define VEVERAVE_HOST_TABLE_MANAGER_H_

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "host/host_api.h"
#include "host/native_table.h"
#include "veverave/host_services.h"

namespace vv::host {

enum class TableKind { kNone, kNative, kDriver };

struct FileListEntry {
  std::string rootName;        // attribute 113
  std::string logicalName;     // attribute 112
  std::string displayName;     // attribute 119
  std::string definitionFile;  // handed over through slot 48
};

class VV_HOST_API TableManager {
 public:
  TableManager();
  ~TableManager();
  TableManager(const TableManager&) = delete;
  TableManager& operator=(const TableManager&) = delete;

  int16_t Open(const char* name, int32_t mode, int32_t* handle);
  int16_t Close(int32_t handle);
  // Closes the table and deletes its files (a driver table through
  // btrFileDelete).
  int16_t Erase(int32_t handle);
  int16_t Clear(int32_t handle);
  int16_t Find(int32_t handle, int32_t index, int32_t mode);
  int16_t Save(int32_t handle);
  int16_t Delete(int32_t handle);

  // Field values in the slots' form: the buffer must hold the field's text
  // and a terminating zero byte; the result is the number of characters.
  // A length of 0 in a put means the text up to its zero byte.
  int32_t GetString(int32_t handle, int32_t field, char* buffer, int32_t offset, int32_t length);
  int16_t PutString(int32_t handle, int32_t field, const char* text, int32_t offset, int32_t length,
                    int32_t keepEnd);
  int16_t GetBcd(int32_t handle, int32_t field, VvBcd* out);
  int16_t PutBcd(int32_t handle, int32_t field, const VvBcd& value);

  // Field values for host programs. Get of a driver field starts by clearing
  // the pending error: the driver's string get tells of a failure only there.
  int16_t Get(int32_t handle, int32_t field, std::string* text);
  int16_t Put(int32_t handle, int32_t field, std::string_view text);

  TableKind Kind(int32_t handle) const;
  // The native table open under handle, null when none.
  NativeTable* Native(int32_t handle) const;
  // The host's record state of the handle's table (VvRecordState).
  int32_t RecordState(int32_t handle) const;
  void SetRecordState(int32_t handle, int32_t state);
  // The lowest handle above after that is in use (a table open or a record
  // attached), 0 when none.
  int32_t NextInUse(int32_t after) const;
  // The lowest positive handle not in use.
  int32_t FreeHandle() const;
  FileListEntry& FileList(int32_t handle) { return fileList_[handle]; }
  const FileListEntry* FindFileList(int32_t handle) const;
  // Closes every open table (driver tables only while a driver is attached).
  void CloseAll(bool driverTablesOnly = false);
  // Forgets the driver tables without calling the driver (it is gone).
  void ForgetDriverTables();
  // Forgets the driver table of handle once no record is attached to it.
  void ForgetIfDetached(int32_t handle);

 private:
  struct Entry {
    TableKind kind = TableKind::kNone;
    std::unique_ptr<NativeTable> native;
    int32_t recordState = VV_RECORD_NONE;
  };
  int16_t OpenDriver(int32_t handle, const std::string& name, int32_t mode, bool viaIntFile);
  int16_t OpenNative(int32_t handle, const std::string& path);
  Entry* FindEntry(int32_t handle);

  std::map<int32_t, Entry> open_;
  std::map<int32_t, FileListEntry> fileList_;
};

}  // namespace vv::host

#endif  // VEVERAVE_HOST_TABLE_MANAGER_H_
