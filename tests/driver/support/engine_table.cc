#include "support/engine_table.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "driver/btrieve/btr_binding.h"
#include "driver/btrieve/btr_call.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "driver/records/record_number.h"
#include "driver/tables/file_record.h"
#include "platform/platform.h"
#include "veverave/engine.h"

namespace vv::testing {
namespace {

constexpr uint16_t kPageSize = 4096;
constexpr uint32_t kStatBufferSize = 4096;

// Client identifiers: each table and each test client its own.
uint16_t g_nextClient = 1;

void ClientIdMake(uint8_t* id, char a, char b) {
  std::memset(id, 0, BTR_CLIENT_ID_SIZE);
  id[12] = static_cast<uint8_t>(a);
  id[13] = static_cast<uint8_t>(b);
  id[14] = static_cast<uint8_t>(g_nextClient & 0xFF);
  id[15] = static_cast<uint8_t>(g_nextClient >> 8);
  ++g_nextClient;
}

// The engine itself, past any interposer.
int16_t Engine(uint16_t op, void* pos, void* data, uint32_t* length, void* key, int8_t keyNum,
               uint8_t* clientId) {
  BtrCallIdFn call = driver::mvbtrBtrCallIdBound();
  if (call == nullptr) return BTR_STATUS_ENGINE_INACTIVE;
  uint32_t none = 0;
  return call(op, pos, data, length != nullptr ? length : &none, key, BTR_MAX_KEY_SIZE, keyNum,
              clientId);
}

void Put16(std::vector<uint8_t>& b, std::size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v & 0xFF);
  b[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
}

EngineTrace* g_trace = nullptr;

}  // namespace

EngineClient::EngineClient() {
  ClientIdMake(id_, 'T', 'C');
}

EngineClient::~EngineClient() {
  if (open_) Engine(BTR_CLOSE, pos_, nullptr, nullptr, nullptr, 0, id_);
}

int16_t EngineClient::Open(const std::string& path) {
  std::vector<char> key(path.begin(), path.end());
  key.push_back('\0');
  const int16_t status = Engine(BTR_OPEN, pos_, nullptr, nullptr, key.data(), 0, id_);
  open_ = status == 0;
  return status;
}

int16_t EngineClient::Call(uint16_t op, std::vector<uint8_t>* data, void* key, int8_t keyNum) {
  uint32_t length = static_cast<uint32_t>(data->size());
  return Engine(op, pos_, data->data(), &length, key, keyNum, id_);
}

EngineTable::EngineTable(host::Host& host, const std::string& dir,
                         const std::vector<FieldDef>& fields, const std::vector<IndexDef>& indexes,
                         const EngineTableOptions& options)
    : host_(host), path_(dir + platform::kPathSeparator + options.name + ".BTR") {
  using namespace vv::driver;
  mvbtrMemAlloc(&file_, sizeof(OpenFile));
  mvbtrFileRecordInit(file_, true);
  mvbtrStrNewCpy(&file_->lpszDdfName, options.name.c_str());
  file_->nFields = static_cast<int32_t>(fields.size());
  file_->bRecnumSupport = options.recnumSupport ? 1 : 0;
  file_->bMvForBtrieve = options.mvForBtrieve ? 1 : 0;
  file_->bTrueNull = options.trueNull ? 1 : 0;
  file_->nFileFlags = options.variable ? BTR_FILE_VARIABLE : 0;
  mvbtrMemAlloc(&file_->lpFields, (fields.size() + 1) * sizeof(FieldDesc));
  int32_t offset = 0;
  auto layout = [&](FieldDesc& f, const FieldDef& def, int32_t number) {
    f.nNumber = number;
    f.nHostType = def.hostType;
    f.nBtrType = def.btrType;
    f.nSize = def.size;
    f.nHostLength = def.hostLength;
    f.nPrecision = def.precision;
    f.bNullAllowed = def.nullable ? 1 : 0;
    if (def.offset >= 0) offset = def.offset;
    if (def.offset < 0 && options.trueNull && def.nullable) ++offset;  // the null byte
    f.nOffset = offset;
    offset += def.size;
  };
  if (options.recnumSupport) layout(file_->lpFields[0], options.field0, 0);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    FieldDesc& f = file_->lpFields[i + 1];
    layout(f, fields[i], static_cast<int32_t>(i + 1));
    std::string name = fields[i].name.empty() ? "F" + std::to_string(i + 1) : fields[i].name;
    mvbtrStrNewCpy(&f.lpszName, name.c_str());
  }
  if (options.mvForBtrieve && mvbtrRecordNumberFieldFind(file_) == 0) {
    // Entry 0 becomes a copy of the record-number field, number 0, no name.
    file_->lpFields[0] = file_->lpFields[file_->nRecnumField];
    file_->lpFields[0].nNumber = 0;
    file_->lpFields[0].lpszName = nullptr;
  }
  mvbtrFileHostRecLenSet(file_);
  IndexesBuild(indexes, options);
  mvbtrFieldLongvarsBuild(file_);
  mvbtrFileCreateRecordbuffer(file_);
  mvbtrFileKeyBufCreate(file_);
  mvbtrMemAlloc(&file_->lpLogin, sizeof(ServerLogin));
  ClientIdMake(file_->lpLogin->ClientId, 'M', 'V');
  file_->lpLogin->lpClientId = file_->lpLogin->ClientId;
  ok_ = Create(indexes, options);
  mvbtrFileClear(file_);
  handle_ = host_.FreeHandle();
  file_->hFile = handle_;
  mvbtrFileHandleSet(handle_, file_);
}

void EngineTable::IndexesBuild(const std::vector<IndexDef>& indexes,
                               const EngineTableOptions& options) {
  using namespace vv::driver;
  const int32_t first = options.recnumSupport ? 0 : 1;
  file_->nIndexes = static_cast<int32_t>(indexes.size()) + first - 1;
  mvbtrMemAlloc(&file_->lpIndexes, sizeof(IndexDesc) * (file_->nIndexes + 1));
  file_->lpIndexes[0].nKeyNumber = -1;
  for (std::size_t i = 0; i < indexes.size(); ++i) {
    const int32_t number = static_cast<int32_t>(i) + first;
    IndexDesc& index = file_->lpIndexes[number];
    const std::vector<int32_t>& segments = indexes[i].fields;
    index.nIndexNumber = number;
    index.nKeyNumber = static_cast<int16_t>(i);
    index.nSegments = static_cast<int32_t>(segments.size());
    index.bDefined = 1;
    index.bRecnumAppended = indexes[i].recnumAppended ? 1 : 0;
    mvbtrMemAlloc(&index.lpSegments, sizeof(SegmentDesc) * (segments.size() + 1));
    for (std::size_t s = 0; s < segments.size(); ++s) {
      FieldDesc* field = &file_->lpFields[segments[s]];
      index.lpSegments[s + 1].lpField = field;
      index.lpSegments[s + 1].nExtType = static_cast<uint8_t>(field->nBtrType);
      index.nKeyLen += field->nSize;
      if (s == 0 && segments[s] != 0 && field->nMainIndex == 0) field->nMainIndex = number;
    }
    if (file_->nFirstIndex < 0) file_->nFirstIndex = index.nKeyNumber;
  }
}

bool EngineTable::Create(const std::vector<IndexDef>& indexes, const EngineTableOptions& options) {
  std::vector<char> key(path_.begin(), path_.end());
  key.push_back('\0');
  if (options.create) {
    std::vector<uint8_t> create(BTR_FILEDEF_SIZE, 0);
    const int32_t recordLength = options.variable ? file_->nDataLen : file_->nRecLen;
    Put16(create, BTR_FILEDEF_RECORD_LENGTH, static_cast<uint32_t>(recordLength));
    Put16(create, BTR_FILEDEF_PAGE_SIZE, kPageSize);
    create[BTR_FILEDEF_KEY_COUNT] = static_cast<uint8_t>(indexes.size());
    Put16(create, BTR_FILEDEF_FILE_FLAGS, file_->nFileFlags);
    for (const IndexDef& index : indexes) {
      for (std::size_t s = 0; s < index.fields.size(); ++s) {
        const driver::FieldDesc& field = file_->lpFields[index.fields[s]];
        std::vector<uint8_t> segment(BTR_KEYDEF_SIZE, 0);
        Put16(segment, BTR_KEYDEF_POSITION, static_cast<uint32_t>(field.nOffset + 1));
        Put16(segment, BTR_KEYDEF_LENGTH, static_cast<uint32_t>(field.nSize));
        uint32_t flags = BTR_KEY_EXTENDED_TYPE | BTR_KEY_MODIFIABLE;
        if (index.duplicates) flags |= BTR_KEY_DUPLICATES;
        if (s + 1 < index.fields.size()) flags |= BTR_KEY_SEGMENTED;
        Put16(segment, BTR_KEYDEF_FLAGS, flags);
        segment[BTR_KEYDEF_TYPE] = static_cast<uint8_t>(field.nBtrType);
        create.insert(create.end(), segment.begin(), segment.end());
      }
    }
    if (options.fileVersion != 0) {
      const std::string version = std::to_string(options.fileVersion);
      EXPECT_TRUE(EngineOptionSet(VVENGINE_OPTION_CREATE_VERSION, version.c_str()));
    }
    uint32_t length = static_cast<uint32_t>(create.size());
    const int16_t status = Engine(BTR_CREATE, nullptr, create.data(), &length, key.data(),
                                  BTR_CREATE_REPLACE, file_->lpLogin->lpClientId);
    if (options.fileVersion != 0) EngineOptionSet(VVENGINE_OPTION_CREATE_VERSION, nullptr);
    EXPECT_EQ(status, 0) << "create " << path_;
    if (status != 0) return false;
  }
  const int16_t status = Engine(BTR_OPEN, file_->PosBlock, nullptr, nullptr, key.data(),
                                BTR_OPEN_NORMAL, file_->lpLogin->lpClientId);
  EXPECT_EQ(status, 0) << "open " << path_;
  if (status != 0) return false;
  file_->bBtrOpen = 1;
  std::vector<uint8_t> stat(kStatBufferSize);
  uint32_t length = kStatBufferSize;
  char statKey[BTR_MAX_KEY_SIZE] = {};
  EXPECT_EQ(Engine(BTR_STAT, file_->PosBlock, stat.data(), &length, statKey, 0,
                   file_->lpLogin->lpClientId),
            0);
  file_->bFileVersion = stat[BTR_FILEDEF_FILE_VERSION];
  file_->bOldVersion = file_->bFileVersion < 0x70 ? 1 : 0;
  return true;
}

EngineTable::~EngineTable() {
  if (file_->bBtrOpen != 0) {
    Engine(BTR_CLOSE, file_->PosBlock, nullptr, nullptr, nullptr, 0, file_->lpLogin->lpClientId);
  }
  driver::mvbtrFileHandleFree(handle_);
  driver::mvbtrMemFree(&file_->lpLogin);
  driver::mvbtrFileRecordFree(&file_);
}

EngineTrace::EngineTrace() {
  if (g_trace != nullptr) std::abort();
  g_trace = this;
  previous_ = driver::BtrCallInterpose(&EngineTrace::Call);
}

EngineTrace::~EngineTrace() {
  driver::BtrCallInterpose(previous_);
  g_trace = nullptr;
}

std::string EngineTrace::Take() {
  std::string text;
  for (const Record& call : TakeCalls()) {
    if (!text.empty()) text += ' ';
    text += std::to_string(call.op);
  }
  return text;
}

std::vector<EngineTrace::Record> EngineTrace::TakeCalls() {
  std::vector<Record> calls;
  calls.swap(calls_);
  return calls;
}

void EngineTrace::Inject(uint16_t op, std::vector<int16_t> statuses) {
  injected_[op] = std::move(statuses);
}

void EngineTrace::After(uint16_t op, std::function<void(uint8_t* data)> change) {
  after_[op] = std::move(change);
}

int16_t VV_CALL EngineTrace::Call(uint16_t op, void* posBlock, void* dataBuf, uint32_t* dataLen,
                                  void* keyBuf, uint8_t keyLen, int8_t keyNum, uint8_t* clientId) {
  EngineTrace* t = g_trace;
  t->calls_.push_back({op, keyNum, *dataLen});
  std::vector<int16_t>& queued = t->injected_[op];
  if (!queued.empty()) {
    const int16_t status = queued.front();
    queued.erase(queued.begin());
    return status;
  }
  BtrCallIdFn engine = driver::mvbtrBtrCallIdBound();
  if (engine == nullptr) return BTR_STATUS_ENGINE_INACTIVE;
  const int16_t status = engine(op, posBlock, dataBuf, dataLen, keyBuf, keyLen, keyNum, clientId);
  if (auto change = t->after_.find(op); change != t->after_.end() && change->second) {
    change->second(static_cast<uint8_t*>(dataBuf));
  }
  return status;
}

bool EngineOptionSet(const char* name, const char* value) {
  if (driver::mvbtrBtrCallIdBound() == nullptr) return false;
  const void* self = reinterpret_cast<const void*>(&EngineOptionSet);
  std::unique_ptr<platform::Library> engine = platform::LoadLibrary(
      platform::ModuleDirectory(self) + platform::SharedLibraryName(driver::kEngineLibraryName));
  if (engine == nullptr) return false;
  using SetOption = int(VV_CALL*)(const char*, const char*);
  auto set = reinterpret_cast<SetOption>(engine->Symbol("vvEngineSetOption"));
  return set != nullptr && set(name, value) == 0;
}

void EngineFixture::TearDown() {
  engines_.clear();
  FieldFixture::TearDown();
}

EngineTable& EngineFixture::Engine(const std::vector<FieldDef>& fields,
                                   const std::vector<IndexDef>& indexes,
                                   const EngineTableOptions& options) {
  engines_.push_back(std::make_unique<EngineTable>(host_, dir(), fields, indexes, options));
  return *engines_.back();
}

int16_t EngineFixture::Put(const EngineTable& t, int32_t field, std::string_view number) {
  const VvBcd value = Bcd(number);
  return btrFieldPutBCD(t.handle(), field, &value);
}

std::string EngineFixture::Get(const EngineTable& t, int32_t field) {
  VvBcd value;
  btrFieldGetBCD(t.handle(), field, &value);
  return BcdText(value);
}

int16_t EngineFixture::PutText(const EngineTable& t, int32_t field, const std::string& text) {
  return btrFieldPutString(t.handle(), field, text.c_str(), 0, 0, 0);
}

std::string EngineFixture::GetText(const EngineTable& t, int32_t field) {
  char buffer[256] = {};
  const int32_t length = btrFieldGetString(t.handle(), field, buffer, 0, 0);
  std::string text(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
  return text.substr(0, text.find_last_not_of(' ') + 1);
}

}  // namespace vv::testing
