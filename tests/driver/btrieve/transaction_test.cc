// Host transactions through the entry points. On tables built by hand and a
// recording Btrieve: what reaches Btrieve under each transaction type and
// nesting, the tables' flags and stored states, the explicit locks of a
// start, failures before and after the Btrieve transaction was begun. On a
// table opened by name with another user on its file: lock waits, update
// conflicts, the update rule of the record save, and what the other user
// sees of an open, a committed and an aborted transaction.
#include "driver/btrieve/transaction.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ddf/dictionary_builder.h"
#include "driver/btrieve/btr_binding.h"
#include "driver/btrieve/btr_call.h"
#include "driver/frame/errors.h"
#include "driver/frame/host/host_calls.h"
#include "driver/frame/util/memory.h"
#include "driver/tables/file_record.h"
#include "platform/platform.h"
#include "support/btr_recorder.h"
#include "support/driver_fixture.h"
#include "support/engine_table.h"
#include "support/field_table.h"
#include "veverave/engine.h"

namespace vv::testing {
namespace {

using driver::kTransConcurrent;
using driver::kTransExclusive;
using driver::kTransNone;
using driver::OpenFile;
using driver::ServerLogin;

constexpr uint16_t kConcurrentBegin = BTR_BEGIN_CONCURRENT_TRANSACTION + BTR_BIAS_NO_RETRY;
constexpr uint16_t kLockedRead = BTR_BIAS_MULTIPLE_NOWAIT;

constexpr int16_t BtrError(int status) {
  return static_cast<int16_t>(driver::kErrBtrieveBase + status);
}

class TransactionTest : public FieldFixture {
 protected:
  void SetUp() override {
    FieldFixture::SetUp();
    login_ = LoginAdd("", 0x11);
  }
  void TearDown() override {
    while (globals()->lpLogins != nullptr) {
      ServerLogin* login = globals()->lpLogins;
      globals()->lpLogins = login->lpNext;
      driver::mvbtrMemFree(&login->lpszServer);
      driver::mvbtrMemFree(&login);
    }
    FieldFixture::TearDown();
  }
  // A login as btrLogin leaves it, without dictionary, at the head of the list.
  ServerLogin* LoginAdd(const char* server, uint8_t tag) {
    ServerLogin* login = nullptr;
    driver::mvbtrMemAlloc(&login, sizeof(ServerLogin));
    driver::mvbtrStrNewCpy(&login->lpszServer, server);
    login->ClientId[15] = tag;
    login->lpClientId = login->ClientId;
    login->lpNext = globals()->lpLogins;
    if (login->lpNext != nullptr) login->lpNext->lpPrev = login;
    globals()->lpLogins = login;
    return login;
  }
  // A table opened through login, holding a found record.
  OpenFile* Open(ServerLogin* login) {
    OpenFile* file = Table({{VV_HOST_TYPE_ASCII, BTR_TYPE_STRING, 4, 4}}).file();
    file->lpLogin = login;
    file->lpNext = login->lpFiles;
    if (file->lpNext != nullptr) file->lpNext->lpPrev = file;
    login->lpFiles = file;
    ++globals()->nOpenFiles;
    std::memcpy(file->lpRecBuf, "AAAA", 4);
    file->bActive = file->bFound = 1;
    return file;
  }
  static std::string Record(const OpenFile* file) {
    return std::string(reinterpret_cast<const char*>(file->lpRecBuf), 4);
  }
  // The operations that reached Btrieve, from call number `from` on.
  std::vector<uint16_t> Ops(size_t from = 0) const {
    std::vector<uint16_t> ops;
    for (size_t i = from; i < recorder_.calls().size(); ++i) ops.push_back(recorder_.calls()[i].op);
    return ops;
  }
  void TypeSet(int32_t type) { ASSERT_EQ(btrDriver(0, 0, "", 0, type, nullptr, 20), 0); }

  ServerLogin* login_ = nullptr;
  BtrRecorder recorder_;
};

TEST_F(TransactionTest, NothingHappensWithoutOpenTablesOrWhenDisabled) {
  EXPECT_EQ(btrTransactionStart(), 0);
  EXPECT_EQ(globals()->nTransDepth, 0);
  EXPECT_EQ(btrTransactionCommit(), 0);
  EXPECT_EQ(btrTransactionAbort(), 0);
  OpenFile* file = Open(login_);
  globals()->bTransEnabled = 0;
  EXPECT_EQ(btrTransactionStart(), 0);
  EXPECT_EQ(globals()->nTransDepth, 0);
  EXPECT_EQ(file->bInTransaction, 0);
  EXPECT_TRUE(recorder_.calls().empty());
  EXPECT_EQ(host_.error(), 0);
}

TEST_F(TransactionTest, OnlyTheOutermostLevelReachesBtrieveAndAbortRestores) {
  struct Case {
    int32_t type;
    std::vector<uint16_t> committed;
    std::vector<uint16_t> aborted;
  };
  const Case cases[] = {
      {kTransNone, {}, {}},
      {kTransExclusive,
       {BTR_BEGIN_TRANSACTION, BTR_END_TRANSACTION},
       {BTR_BEGIN_TRANSACTION, BTR_ABORT_TRANSACTION}},
      {kTransConcurrent,
       {kConcurrentBegin, BTR_END_TRANSACTION},
       {kConcurrentBegin, BTR_ABORT_TRANSACTION}},
  };
  OpenFile* file = Open(login_);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    TypeSet(c.type);
    size_t before = recorder_.calls().size();
    ASSERT_EQ(btrTransactionStart(), 0);
    ASSERT_EQ(btrTransactionStart(), 0);
    EXPECT_EQ(globals()->nTransDepth, 2);
    EXPECT_EQ(file->bInTransaction, 1);
    std::memcpy(file->lpRecBuf, "BBBB", 4);
    EXPECT_EQ(btrTransactionCommit(), 0);
    EXPECT_EQ(file->bCommitted, 0) << "an inner commit commits nothing";
    EXPECT_EQ(btrTransactionCommit(), 0);
    EXPECT_EQ(file->bCommitted + file->bInTransaction, 1);
    EXPECT_EQ(btrTransactionCommit(), 0) << "no transaction left: nothing";
    EXPECT_EQ(Ops(before), c.committed);
    EXPECT_EQ(Record(file), "BBBB");

    before = recorder_.calls().size();
    ASSERT_EQ(btrTransactionStart(), 0);
    EXPECT_EQ(file->bCommitted, 0) << "a start clears the last commit";
    std::memcpy(file->lpRecBuf, "CCCC", 4);
    file->bActive = 0;
    ASSERT_EQ(btrTransactionStart(), 0);  // stores the state again
    std::memcpy(file->lpRecBuf, "DDDD", 4);
    file->bActive = 1;
    EXPECT_EQ(btrTransactionAbort(), 0);
    EXPECT_EQ(Record(file), "DDDD") << "an inner abort restores nothing";
    EXPECT_EQ(btrTransactionAbort(), 0);
    EXPECT_EQ(Record(file), "CCCC") << "the state of the last start";
    EXPECT_EQ(file->bActive + file->bInTransaction + file->bCommitted, 0);
    EXPECT_EQ(globals()->nTransDepth, 0);
    EXPECT_EQ(Ops(before), c.aborted);
  }
  for (const BtrCallRecord& call : recorder_.calls()) {
    EXPECT_EQ(call.clientId, login_->lpClientId);
    EXPECT_EQ(call.posBlock, nullptr);
  }
  EXPECT_EQ(host_.error(), 0);
}

TEST_F(TransactionTest, TheMostRecentLoginCarriesTheTransaction) {
  OpenFile* byDefault = Open(login_);
  ServerLogin* other = LoginAdd("SERVER2", 0x22);
  OpenFile* byOther = Open(other);
  ASSERT_EQ(btrTransactionStart(), 0);
  EXPECT_EQ(byOther->bInTransaction, 1);
  EXPECT_EQ(byDefault->bInTransaction, 0) << "a table of another login is outside";
  ASSERT_EQ(btrTransactionCommit(), 0);
  EXPECT_EQ(byDefault->bCommitted, 0);
  ASSERT_EQ(recorder_.calls().size(), 2u);
  for (const BtrCallRecord& call : recorder_.calls()) EXPECT_EQ(call.clientId, other->lpClientId);
}

TEST_F(TransactionTest, StartLocksTheListedTablesInOrder) {
  OpenFile* noRecord = Open(login_);
  noRecord->bActive = 0;
  OpenFile* found = Open(login_);
  found->nCurIndex = 1;
  ASSERT_EQ(btrFileLock(found->hFile), 0);
  ASSERT_EQ(btrFileLock(noRecord->hFile), 0);
  globals()->lpLockedFiles[globals()->nLockedFiles++] = 999;  // a table closed since
  struct Case {
    int32_t type;
    uint8_t explicitLocking;
    std::vector<uint16_t> ops;
  };
  const Case cases[] = {
      {kTransExclusive,
       1,
       {BTR_BEGIN_TRANSACTION, BTR_GET_POSITION, BTR_GET_DIRECT + kLockedRead,
        BTR_STEP_FIRST + kLockedRead}},
      {kTransConcurrent, 1, {kConcurrentBegin, BTR_GET_POSITION, BTR_GET_DIRECT + kLockedRead}},
      {kTransExclusive, 0, {BTR_BEGIN_TRANSACTION}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    TypeSet(c.type);
    globals()->bExplicitLocking = c.explicitLocking;
    const size_t before = recorder_.calls().size();
    ASSERT_EQ(btrTransactionStart(), 0);
    EXPECT_EQ(Ops(before), c.ops);
    ASSERT_EQ(btrTransactionCommit(), 0);
  }
  EXPECT_EQ(recorder_.calls()[2].keyNum, 1) << "the re-read keeps the table's key path";
  EXPECT_EQ(recorder_.calls()[2].clientId, login_->lpClientId);
}

TEST_F(TransactionTest, AStartThatFailsAfterTheBeginAbortsIt) {
  OpenFile* file = Open(login_);
  ASSERT_EQ(btrFileLock(file->hFile), 0);
  globals()->nLockTimeout = 500;  // gives up at the first retry
  globals()->nLockDelay = 0;
  // A lock that is not had in time: the Begin is undone by an Abort, which
  // restores the table and leaves no transaction.
  recorder_.Answer({0, 0, BTR_STATUS_RECORD_LOCKED}, 0);
  EXPECT_EQ(btrTransactionStart(), driver::kErrLockTimeout);
  EXPECT_EQ(Ops(), (std::vector<uint16_t>{BTR_BEGIN_TRANSACTION, BTR_GET_POSITION,
                                          BTR_GET_DIRECT + kLockedRead, BTR_ABORT_TRANSACTION}));
  EXPECT_EQ(globals()->nTransDepth, 0);
  EXPECT_EQ(file->bInTransaction, 0);
  EXPECT_EQ(TakeError(), driver::kErrLockTimeout);

  // The state of a table cannot be stored (the first store of a table
  // allocates its copies): the same.
  ASSERT_EQ(btrFileUnlock(file->hFile), 0);
  Open(login_);
  driver::AllocFailureSet(1);
  EXPECT_EQ(btrTransactionStart(), driver::kErrOutOfMemory);
  EXPECT_EQ(host_.error_text(), "mvbtrFileStatusStore, File");
  EXPECT_EQ(Ops().back(), BTR_ABORT_TRANSACTION);
  EXPECT_EQ(globals()->nTransDepth, 0);
  host_.ClearError();

  // A refused Begin: nothing was begun, nothing to abort.
  const size_t before = recorder_.calls().size();
  recorder_.Answer({BTR_STATUS_TRANSACTION_ACTIVE}, 0);
  EXPECT_EQ(btrTransactionStart(), BtrError(BTR_STATUS_TRANSACTION_ACTIVE));
  EXPECT_EQ(host_.error_text(), "TransactionStart");
  EXPECT_EQ(recorder_.calls().size(), before + 1);
  EXPECT_EQ(globals()->nTransDepth, 0);
  EXPECT_EQ(file->bInTransaction, 0);
}

TEST_F(TransactionTest, RefusedEndAndAbortAreReportedAndTheDepthComesDown) {
  OpenFile* file = Open(login_);
  struct Case {
    decltype(&btrTransactionCommit) finish;
    const char* text;
  };
  const Case cases[] = {{btrTransactionCommit, "TransactionCommit"},
                        {btrTransactionAbort, "TransactionAbort"}};
  for (const Case& c : cases) {
    ASSERT_EQ(btrTransactionStart(), 0);
    recorder_.Answer({BTR_STATUS_NO_TRANSACTION}, 0);
    EXPECT_EQ(c.finish(), BtrError(BTR_STATUS_NO_TRANSACTION));
    EXPECT_EQ(host_.error_text(), c.text);
    EXPECT_EQ(globals()->nTransDepth, 0);
    EXPECT_EQ(file->bInTransaction + file->bCommitted, 0) << "a refused End commits nothing";
    host_.ClearError();
  }
}

TEST_F(TransactionTest, TheTypeCannotChangeInsideATransaction) {
  Open(login_);
  ASSERT_EQ(btrTransactionStart(), 0);
  EXPECT_EQ(btrDriver(0, 0, "", 0, kTransConcurrent, nullptr, 20),
            driver::kErrTransactionTypeInTransaction);
  EXPECT_EQ(TakeError(), driver::kErrTransactionTypeInTransaction);
  EXPECT_EQ(btrDriver(0, 0, "", 0, 0, nullptr, 21), kTransExclusive);
  ASSERT_EQ(btrTransactionCommit(), 0);
  EXPECT_EQ(btrDriver(0, 0, "", 0, kTransConcurrent, nullptr, 20), 0);
  EXPECT_EQ(btrDriver(0, 0, "", 0, 0, nullptr, 21), kTransConcurrent);
}

TEST_F(TransactionTest, AFailedDefaultLoginStopsTheStart) {
  globals()->lpLogins = nullptr;  // the default login is made on demand
  Open(login_);
  recorder_.Answer({}, BTR_STATUS_FILE_NOT_FOUND);  // no dictionary
  EXPECT_NE(btrTransactionStart(), 0);
  EXPECT_NE(host_.error(), 0);
  EXPECT_EQ(globals()->lpLogins, nullptr) << "the failed login does not stay";
  EXPECT_EQ(globals()->nTransDepth, 0);
  for (uint16_t op : Ops()) EXPECT_NE(op, BTR_BEGIN_TRANSACTION);
  globals()->lpLogins = login_;  // freed by the fixture
}

// Another user on the same table: a second Btrieve client of the engine the
// driver is bound to, with its own client identifier, on a table of engine
// files attached to a host handle. ITEMS holds ID (INTEGER 4, the unique key
// 0 = host index 1) and NAME (STRING 8).
class OtherUser {
 public:
  explicit OtherUser(const std::string& path) {
    std::memcpy(id_ + 12, "OTHR", 4);
    std::vector<uint8_t> name(path.begin(), path.end());
    name.push_back(0);
    open_ = Call(BTR_OPEN, nullptr, name.data(), BTR_OPEN_NORMAL) == 0;
  }
  ~OtherUser() {
    if (open_) Call(BTR_CLOSE, nullptr, nullptr, 0);
  }
  bool open() const { return open_; }
  int16_t Call(uint16_t op, std::vector<uint8_t>* data, void* key, int8_t keyNum) {
    uint32_t length = data != nullptr ? static_cast<uint32_t>(data->size()) : 0;
    return BTRCALLID(op, pos_, data != nullptr ? data->data() : nullptr, &length, key,
                     BTR_MAX_KEY_SIZE, keyNum, id_);
  }
  // Get Equal on the ID, plus a lock bias; the record becomes current.
  int16_t Read(int32_t itemId, uint16_t bias = 0) {
    row_.assign(12, 0);
    std::memcpy(key_, &itemId, sizeof itemId);
    return Call(static_cast<uint16_t>(BTR_GET_EQUAL + bias), &row_, key_, 0);
  }
  // The NAME of an item as this user sees it; "-" when there is none.
  std::string Name(int32_t itemId) {
    if (Read(itemId) != 0) return "-";
    std::string name(reinterpret_cast<char*>(row_.data()) + 4, 8);
    return name.substr(0, name.find_last_not_of(' ') + 1);
  }
  int16_t Write(uint16_t op, int32_t itemId, const std::string& name) {
    row_.assign(12, ' ');
    std::memcpy(row_.data(), &itemId, sizeof itemId);
    std::memcpy(row_.data() + 4, name.data(), name.size());
    return Call(op, &row_, key_, op == BTR_INSERT ? BTR_KEY_NONE : 0);
  }

 private:
  uint8_t id_[BTR_CLIENT_ID_SIZE] = {};
  uint8_t pos_[BTR_POS_BLOCK_SIZE] = {};
  uint8_t key_[BTR_MAX_KEY_SIZE] = {};
  std::vector<uint8_t> row_;
  bool open_ = false;
};

// Passes the driver's calls on to the engine and counts those of one
// operation; `action` runs before the try numbered `atTry` goes on.
struct EngineTap {
  static int16_t VV_CALL Call(uint16_t op, void* posBlock, void* dataBuf, uint32_t* dataLen,
                              void* keyBuf, uint8_t keyLen, int8_t keyNum, uint8_t* clientId) {
    EngineTap* tap = current;
    if (op == tap->counted && ++tap->tries == tap->atTry && tap->action) tap->action();
    return driver::mvbtrBtrCallIdBound()(op, posBlock, dataBuf, dataLen, keyBuf, keyLen, keyNum,
                                         clientId);
  }
  static inline EngineTap* current = nullptr;
  uint16_t counted = 0;
  int tries = 0;
  int atTry = 0;
  std::function<void()> action;
};

// The table ITEMS (ID integer, NAME string) is made with the dictionary
// builder and opened by name, as a host opens it; the other user works on its
// Btrieve file directly.
class OtherUserTest : public DriverFixture {
 protected:
  void SetUp() override {
    DriverFixture::SetUp();
    std::string error;
    {
      auto dict = ddf::DictionaryBuilder::Create(dir(), &error);
      ASSERT_NE(dict, nullptr) << error;
      ASSERT_TRUE(dict->AddTable(
          {"ITEMS", "ITEMS.BTR", {{"ID", BTR_TYPE_INTEGER, 4}, {"NAME", BTR_TYPE_STRING, 8}},
           {{{{"ID"}}}}}))
          << dict->error();
    }
    other_ = std::make_unique<OtherUser>(dir() + platform::kPathSeparator + "ITEMS.BTR");
    ASSERT_TRUE(other_->open());
    ASSERT_EQ(other_->Write(BTR_INSERT, 1, "ONE"), 0);
    ASSERT_EQ(other_->Write(BTR_INSERT, 2, "TWO"), 0);
    handle_ = host_.FreeHandle();
    ASSERT_EQ(btrFileOpen("ITEMS", 0, &handle_), 0) << host_.error_text();
    file_ = static_cast<OpenFile*>(driver::mvbtrFileFromHandle(handle_));
    ASSERT_NE(file_, nullptr);
    EngineTap::current = &tap_;
    previous_ = driver::BtrCallInterpose(&EngineTap::Call);
  }
  void TearDown() override {
    driver::BtrCallInterpose(previous_);
    if (file_ != nullptr) {
      EXPECT_EQ(btrFileClose(handle_, 0), 0);
    }
    btrLogout("");
    other_.reset();
    DriverFixture::TearDown();
  }
  // What the host does: a cleared buffer, the ID (and NAME) put in.
  void Fill(int32_t itemId, const char* name = nullptr) {
    driver::mvbtrFileClear(file_);
    std::memcpy(file_->lpFields[1].lpData, &itemId, sizeof itemId);
    driver::mvbtrFieldMarkChanged(file_, 1);
    if (name != nullptr) Rename(name);
  }
  void Rename(const std::string& name) {
    std::memset(file_->lpFields[2].lpData, ' ', 8);
    std::memcpy(file_->lpFields[2].lpData, name.data(), name.size());
    driver::mvbtrFieldMarkChanged(file_, 2);
  }
  int16_t Find(int32_t itemId) {
    Fill(itemId);
    return btrRecordFind(file_->hFile, 1, VV_FIND_EQ);
  }
  int16_t Save() { return btrRecordSave(file_->hFile); }

  std::unique_ptr<OtherUser> other_;
  int32_t handle_ = 0;
  OpenFile* file_ = nullptr;
  EngineTap tap_;
  BtrCallIdFn previous_ = nullptr;
};

TEST_F(OtherUserTest, ALockingReadWaitsForTheOtherUserAndThenSucceeds) {
  constexpr uint16_t kLockingFind = BTR_GET_EQUAL + kLockedRead;
  struct Holder {
    const char* what;
    std::function<int16_t()> hold;
    std::function<int16_t()> release;
  };
  const Holder holders[] = {
      {"a record lock", [&] { return other_->Read(1, BTR_BIAS_SINGLE_NOWAIT); },
       [&] { return other_->Call(BTR_UNLOCK, nullptr, nullptr, 0); }},
      {"an exclusive transaction",
       [&] {
         const int16_t begun = other_->Call(BTR_BEGIN_TRANSACTION, nullptr, nullptr, 0);
         return begun != 0 ? begun : other_->Read(2, kLockedRead);
       },
       [&] { return other_->Call(BTR_END_TRANSACTION, nullptr, nullptr, 0); }},
  };
  for (const Holder& holder : holders) {
    SCOPED_TRACE(holder.what);
    ASSERT_EQ(holder.hold(), 0);
    globals()->nLockTimeout = 1000;
    globals()->nLockDelay = 20;
    tap_ = EngineTap{kLockingFind, 0, 0, nullptr};
    ASSERT_EQ(btrTransactionStart(), 0);
    const uint64_t start = platform::MonotonicMs();
    EXPECT_EQ(Find(1), driver::kErrLockTimeout);
    const uint64_t elapsed = platform::MonotonicMs() - start;
    EXPECT_EQ(host_.error_text(), "Btrieve");
    host_.ClearError();
    EXPECT_GE(tap_.tries, 2);
    EXPECT_GE(elapsed, static_cast<uint64_t>(tap_.tries - 1) * 20u) << "a delay between tries";
    EXPECT_EQ(btrTransactionAbort(), 0);

    // Waiting for ever, the third try comes after the other user let go.
    globals()->nLockTimeout = 0;
    globals()->nLockDelay = 1;
    tap_ = EngineTap{kLockingFind, 0, 3, [&] { EXPECT_EQ(holder.release(), 0); }};
    ASSERT_EQ(btrTransactionStart(), 0);
    EXPECT_EQ(Find(1), 0);
    EXPECT_EQ(tap_.tries, 3);
    EXPECT_EQ(btrTransactionCommit(), 0);
  }
}

TEST_F(OtherUserTest, AnUpdateOfARecordTheOtherUserChangedIsRefused) {
  globals()->bAllowUnlockedUpdates = 1;
  ASSERT_EQ(Find(1), 0);
  ASSERT_EQ(other_->Read(1), 0);
  ASSERT_EQ(other_->Write(BTR_UPDATE, 1, "OTHER"), 0);
  Rename("MINE");
  EXPECT_EQ(Save(), BtrError(BTR_STATUS_CONFLICT));
  EXPECT_EQ(host_.error_text(), "RecordSave (Update ITEMS)");
  host_.ClearError();
  EXPECT_EQ(other_->Name(1), "OTHER");
}

// Updates go inside a transaction with ALLOW_UNLOCKED_UPDATES off (the
// default); outside one they are refused.
TEST_F(OtherUserTest, ChangesShowAtTheCommitAndAnAbortLeavesNoTrace) {
  for (int32_t type : {kTransExclusive, kTransConcurrent}) {
    SCOPED_TRACE(type);
    ASSERT_EQ(btrDriver(0, 0, "", 0, type, nullptr, 20), 0);
    const int32_t added = 10 + type;
    const std::string name = "NEW" + std::to_string(type);
    const std::string before = other_->Name(2);
    ASSERT_EQ(btrTransactionStart(), 0);
    ASSERT_EQ(Find(2), 0);
    Rename("GONE");
    ASSERT_EQ(Save(), 0);
    Fill(added, "GONE");
    ASSERT_EQ(Save(), 0);
    ASSERT_EQ(btrTransactionAbort(), 0);
    EXPECT_EQ(other_->Name(2), before);
    EXPECT_EQ(other_->Name(added), "-");

    ASSERT_EQ(btrTransactionStart(), 0);
    ASSERT_EQ(Find(2), 0);
    EXPECT_EQ(static_cast<char>(file_->lpFields[2].lpData[0]), before[0]) << "rolled back";
    Rename(name);
    ASSERT_EQ(Save(), 0);
    Fill(added, name.c_str());
    ASSERT_EQ(Save(), 0);
    EXPECT_EQ(other_->Name(2), before);
    EXPECT_EQ(other_->Name(added), "-");
    ASSERT_EQ(btrTransactionCommit(), 0);
    EXPECT_EQ(other_->Name(2), name);
    EXPECT_EQ(other_->Name(added), name);

    ASSERT_EQ(Find(2), 0);
    Rename("LATE");
    EXPECT_EQ(Save(), driver::kErrUnlockedUpdate);
    EXPECT_EQ(host_.error_text(), "ITEMS");
    host_.ClearError();
    EXPECT_EQ(other_->Name(2), name);
  }
}

}  // namespace
}  // namespace vv::testing
