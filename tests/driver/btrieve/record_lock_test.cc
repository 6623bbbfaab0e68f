// Locking a table's current record: which lock bias the re-read takes under
// each transaction type, the reads sent, and the failures that give -1
// (reported only when the lock wait gave up).
#include "driver/btrieve/record_lock.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "driver/btrieve/transaction_type.h"
#include "driver/frame/errors.h"
#include "support/btr_recorder.h"
#include "support/field_table.h"

namespace vv::testing {
namespace {

using driver::kTransConcurrent;
using driver::kTransExclusive;
using driver::kTransNone;

class RecordLockTest : public FieldFixture {
 protected:
  void SetUp() override {
    FieldFixture::SetUp();
    table_ = &Table({{VV_HOST_TYPE_ASCII, BTR_TYPE_STRING, 8, 8}});
    std::memcpy(table_->file()->lpRecBuf, "HOSTDATA", 8);
  }
  driver::OpenFile* file() const { return table_->file(); }
  std::string RecBuf() const { return std::string(reinterpret_cast<char*>(file()->lpRecBuf), 8); }
  FieldTable* table_ = nullptr;
  BtrRecorder recorder_;
};

TEST_F(RecordLockTest, BiasByTransactionTypeAndTable) {
  struct Case {
    int32_t type;
    uint8_t inTransaction;
    uint32_t fileMode;
    uint8_t lockReadOnly;
    uint16_t bias;
  };
  const Case cases[] = {
      {kTransNone, 1, 0, 0, 0},
      {kTransExclusive, 1, 0, 0, BTR_BIAS_MULTIPLE_NOWAIT},
      {kTransExclusive, 0, 0x5B, 0, BTR_BIAS_MULTIPLE_NOWAIT},  // always under EXCLUSIVE
      {kTransConcurrent, 1, 0, 0, BTR_BIAS_MULTIPLE_NOWAIT},
      {kTransConcurrent, 0, 0, 0, 0},
      {kTransConcurrent, 1, 0x10, 0, 0},                         // a read-only kind of table
      {kTransConcurrent, 1, 0x01, 1, BTR_BIAS_MULTIPLE_NOWAIT},  // ... unless LOCK_READONLY
      {kTransConcurrent, 1, 0x20, 0, BTR_BIAS_MULTIPLE_NOWAIT},  // 0x20 is not such a bit
  };
  for (const Case& c : cases) {
    ASSERT_EQ(driver::mvbtrTransactionTypeSet(c.type), 0);
    file()->bInTransaction = c.inTransaction;
    file()->nFileMode = c.fileMode;
    globals()->bLockReadOnly = c.lockReadOnly;
    EXPECT_EQ(driver::mvbtrRecordLockBias(file()), c.bias)
        << "type " << c.type << " in " << int{c.inTransaction} << " mode " << c.fileMode
        << " readonly " << int{c.lockReadOnly};
  }
}

TEST_F(RecordLockTest, ReadsTheRecordAgainIntoTheTrashBuffer) {
  constexpr uint16_t kDirect = BTR_GET_DIRECT + BTR_BIAS_MULTIPLE_NOWAIT;
  constexpr uint16_t kFirst = BTR_STEP_FIRST + BTR_BIAS_MULTIPLE_NOWAIT;
  struct Case {
    int32_t type;
    bool active;
    int16_t curIndex;
    std::vector<int16_t> statuses;  // then the last for ever
    std::vector<uint16_t> ops;
    int8_t lastKey;
    int16_t result;
    int16_t error;
  };
  const Case cases[] = {
      {kTransExclusive, true, 2, {0}, {BTR_GET_POSITION, kDirect}, 2, 0, 0},
      {kTransConcurrent, true, -1, {0}, {BTR_GET_POSITION, kDirect}, 0, 0, 0},  // key 0
      {kTransExclusive, false, -1, {0}, {kFirst}, 0, 0, 0},  // the file's first record
      {kTransConcurrent, false, -1, {0}, {}, 0, 0, 0},       // nothing to lock
      {kTransNone, false, -1, {0}, {}, 0, 0, 0},
      {kTransExclusive, true, 1, {BTR_STATUS_INVALID_POSITIONING}, {BTR_GET_POSITION}, 0, -1, 0},
      {kTransExclusive, true, 1, {0, BTR_STATUS_INVALID_ADDRESS}, {22, kDirect}, 1, -1, 0},
      {kTransExclusive,
       true,
       1,
       {0, BTR_STATUS_RECORD_LOCKED},
       {22, kDirect},
       1,
       -1,
       driver::kErrLockTimeout},
      {kTransExclusive, false, -1, {BTR_STATUS_END_OF_FILE}, {kFirst}, 0, -1, 0},
  };
  globals()->nLockTimeout = 500;  // gives up at the first retry
  globals()->nLockDelay = 0;
  file()->bInTransaction = 1;
  uint8_t directAddress[4] = {};
  recorder_.onCall = [&](const BtrCallRecord& call, uint32_t*) {
    if (call.op == BTR_GET_POSITION) std::memcpy(call.dataBuf, "\x07\x00\x01\x00", 4);
    if (call.op == kDirect) std::memcpy(directAddress, call.dataBuf, 4);
    if (call.op == kDirect || call.op == kFirst) std::memset(call.dataBuf, 'X', 8);
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.type << " " << c.active << " " << c.statuses.size());
    ASSERT_EQ(driver::mvbtrTransactionTypeSet(c.type), 0);
    file()->bActive = c.active ? 1 : 0;
    file()->nCurIndex = c.curIndex;
    const size_t before = recorder_.calls().size();
    recorder_.Answer(c.statuses, c.statuses.back());
    EXPECT_EQ(driver::mvbtrRecordLock(file()), c.result);
    EXPECT_EQ(TakeError(), c.error);
    std::vector<uint16_t> ops;
    for (size_t i = before; i < recorder_.calls().size(); ++i)
      ops.push_back(recorder_.calls()[i].op);
    EXPECT_EQ(ops, c.ops);
    if (ops.empty()) continue;
    const BtrCallRecord& last = recorder_.calls().back();
    EXPECT_EQ(last.keyNum, c.lastKey);
    if (last.op == kDirect) {
      EXPECT_EQ(std::memcmp(directAddress, "\x07\x00\x01\x00", 4), 0);
      EXPECT_EQ(last.dataLenIn, file()->nRecBufSize);
    }
  }
  EXPECT_EQ(RecBuf(), "HOSTDATA") << "the host's record buffer is never read into";
}

}  // namespace
}  // namespace vv::testing
