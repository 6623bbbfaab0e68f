// Tables on real engine files for record tests, until tables can be opened
// from the dictionary: the Btrieve file is created and opened through the
// Btrieve call, and the open file record (fields, index descriptors with
// their segments and key numbers, a login record with its own client
// identifier, record and key buffers) is built by hand and attached to a host
// handle, so that tests go through the exported entry points as a host does.
//
// Also a second Btrieve client on the same files (to hold locks), a trace of
// the operations that reach the engine, and the engine's options.
#ifndef VEVERAVE_TESTS_DRIVER_SUPPORT_ENGINE_TABLE_H_
#define VEVERAVE_TESTS_DRIVER_SUPPORT_ENGINE_TABLE_H_

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "driver/tables/open_file.h"
#include "support/field_table.h"
#include "veverave/btrieve.h"

namespace vv::testing {

// A host index: its segments by field number (0 = field 0). Index numbers
// follow the order given, from 1 (from 0 with recnumSupport).
struct IndexDef {
  std::vector<int32_t> fields;
  bool duplicates = false;
  bool recnumAppended = false;  // its last segment is the record number
};

struct EngineTableOptions {
  std::string name = "TABLE";
  // RECNUM_SUPPORT: the first index is index 0, a Btrieve key on field 0,
  // whose own descriptor is field0.
  bool recnumSupport = false;
  FieldDef field0 = {VV_HOST_TYPE_BCD, BTR_TYPE_INTEGER, 4, 10};
  // MORVANTA_FOR_BTRIEVE: the record-number fields are looked up by name and
  // entry 0 becomes a copy of the one that carries the number.
  bool mvForBtrieve = false;
  bool trueNull = false;    // a null indicator byte in front of each nullable field
  bool variable = false;    // variable-length records
  uint8_t fileVersion = 0;  // created with this version byte; 0: the engine's own
  bool create = true;       // false: open the file an earlier table created
};

// One Btrieve client with one position block.
class EngineClient {
 public:
  EngineClient();
  ~EngineClient();
  EngineClient(const EngineClient&) = delete;
  EngineClient& operator=(const EngineClient&) = delete;

  int16_t Open(const std::string& path);
  int16_t Call(uint16_t op, std::vector<uint8_t>* data, void* key, int8_t keyNum);

 private:
  uint8_t id_[BTR_CLIENT_ID_SIZE] = {};
  uint8_t pos_[BTR_POS_BLOCK_SIZE] = {};
  bool open_ = false;
};

class EngineTable {
 public:
  // Creates (or opens) dir/NAME.BTR and builds its record. The driver must
  // be initialised.
  EngineTable(host::Host& host, const std::string& dir, const std::vector<FieldDef>& fields,
              const std::vector<IndexDef>& indexes, const EngineTableOptions& options);
  ~EngineTable();
  EngineTable(const EngineTable&) = delete;
  EngineTable& operator=(const EngineTable&) = delete;

  int32_t handle() const { return handle_; }
  driver::OpenFile* file() const { return file_; }
  driver::FieldDesc& field(int32_t n) const { return file_->lpFields[n]; }
  const std::string& path() const { return path_; }
  bool ok() const { return ok_; }

 private:
  bool Create(const std::vector<IndexDef>& indexes, const EngineTableOptions& options);
  void IndexesBuild(const std::vector<IndexDef>& indexes, const EngineTableOptions& options);

  host::Host& host_;
  driver::OpenFile* file_ = nullptr;
  int32_t handle_ = 0;
  std::string path_;
  bool ok_ = false;
};

// Records the operation and key number of every Btrieve call the driver
// makes and passes it on to the engine; statuses queued for an operation are
// answered instead of calling the engine, once each.
class EngineTrace {
 public:
  EngineTrace();
  ~EngineTrace();
  EngineTrace(const EngineTrace&) = delete;
  EngineTrace& operator=(const EngineTrace&) = delete;

  struct Record {
    uint16_t op;  // lock bias included
    int8_t keyNum;
    uint32_t dataLen;  // sent
  };
  // The operation codes since the last Take: "9 22".
  std::string Take();
  std::vector<Record> TakeCalls();
  void Inject(uint16_t op, std::vector<int16_t> statuses);
  // Called with the data buffer after the engine answered op.
  void After(uint16_t op, std::function<void(uint8_t* data)> change);

 private:
  static int16_t VV_CALL Call(uint16_t op, void* posBlock, void* dataBuf, uint32_t* dataLen,
                              void* keyBuf, uint8_t keyLen, int8_t keyNum, uint8_t* clientId);
  std::vector<Record> calls_;
  std::map<uint16_t, std::vector<int16_t>> injected_;
  std::map<uint16_t, std::function<void(uint8_t*)>> after_;
  BtrCallIdFn previous_ = nullptr;
};

// Sets an option of the engine the driver is bound to (VVENGINE_*); a null
// value restores its default. False when the engine cannot be reached.
bool EngineOptionSet(const char* name, const char* value);

// A fixture whose tables live on engine files in the fixture's directory.
class EngineFixture : public FieldFixture {
 protected:
  void TearDown() override;
  EngineTable& Engine(const std::vector<FieldDef>& fields, const std::vector<IndexDef>& indexes,
                      const EngineTableOptions& options = {});
  // Field values by handle: numbers as text ("-12.5"), strings as they are.
  int16_t Put(const EngineTable& t, int32_t field, std::string_view number);
  std::string Get(const EngineTable& t, int32_t field);
  int16_t PutText(const EngineTable& t, int32_t field, const std::string& text);
  std::string GetText(const EngineTable& t, int32_t field);

 private:
  std::vector<std::unique_ptr<EngineTable>> engines_;
};

}  // namespace vv::testing

#endif  // VEVERAVE_TESTS_DRIVER_SUPPORT_ENGINE_TABLE_H_
