// btrRecordFind along Btrieve keys on engine files: every find mode on first,
// middle, last and missing keys of a unique and a duplicate index, walks over
// every index, the situations (key search, relative, from an end) and the
// operations they send, the lock bias and lock wait, the retry after a lost
// record, and the host errors of finds that find nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "driver/frame/files/log_file.h"
#include "driver/frame/util/memory.h"
#include "driver/tables/file_record.h"
#include "platform/platform.h"
#include "support/engine_table.h"

namespace vv::testing {
namespace {

using driver::kHostAscii;
using driver::kHostBcd;

enum Field { kId = 1, kGroup, kName, kAmount };
enum Index { kRecnumOrder = 0, kById, kByGroup, kByName };

struct Row {
  int id;
  int group;
  int seq;  // insertion order
};

std::string NameOf(int id) {
  return "N" + std::to_string(1000000 - id);
}

class RecordFindTest : public EngineFixture {
 protected:
  EngineTable& Table() {
    return Engine({{kHostBcd, BTR_TYPE_INTEGER, 4, 10, 0, false, "ID"},
                   {kHostBcd, BTR_TYPE_INTEGER, 2, 5, 0, false, "GRP"},
                   {kHostAscii, BTR_TYPE_STRING, 8, 8, 0, false, "NAME"},
                   {kHostBcd, BTR_TYPE_DECIMAL, 4, 7, 2, false, "AMOUNT"}},
                  {{{kId}}, {{kGroup}, true}, {{kName, kId}}});
  }
  void Insert(EngineTable& t, const std::vector<Row>& rows) {
    globals()->bAllowUnlockedUpdates = 1;
    for (const Row& row : rows) {
      driver::mvbtrFileClear(t.file());
      Put(t, kId, std::to_string(row.id));
      Put(t, kGroup, std::to_string(row.group));
      PutText(t, kName, NameOf(row.id));
      ASSERT_EQ(btrRecordSave(t.handle()), 0) << host_.error_text();
    }
  }
  // A find after the key field was written: a key search.
  int Search(EngineTable& t, int32_t index, int32_t field, int key, int32_t mode) {
    driver::mvbtrFileClear(t.file());
    Put(t, field, std::to_string(key));
    return Found(t, index, mode);
  }
  // The ID found, or minus the error.
  int Found(EngineTable& t, int32_t index, int32_t mode) {
    if (int16_t error = btrRecordFind(t.handle(), index, mode)) {
      TakeError();
      return -error;
    }
    return std::stoi(Get(t, kId));
  }
  // Nine records inserted out of order, ids 10..90, groups 2 2 3 3 3 4 6 6 6.
  std::vector<Row> Nine() {
    const int order[] = {5, 1, 8, 3, 9, 2, 7, 4, 6};
    const int groups[] = {2, 2, 3, 3, 3, 4, 6, 6, 6};
    std::vector<Row> rows;
    for (int i = 0; i < 9; ++i) {
      rows.push_back({order[i] * 10, groups[order[i] - 1], i});
    }
    return rows;
  }
};

int KeyOf(const Row& row, int32_t index) {
  return index == kById ? row.id : index == kByGroup ? row.group : row.seq;
}

// The rows in the order of an index; by name is by descending id, and
// record-number order the physical order, which is the order of insertion.
std::vector<Row> KeyOrder(std::vector<Row> rows, int32_t index) {
  std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
    return index == kByName ? a.id > b.id : KeyOf(a, index) < KeyOf(b, index);
  });
  return rows;
}

// The id a key search should find, or minus the error.
int Expected(const std::vector<Row>& rows, int32_t index, int key, int32_t mode) {
  const std::vector<Row> sorted = KeyOrder(rows, index);
  const auto below = [&](const Row& r) { return KeyOf(r, index) < key; };
  const auto notAbove = [&](const Row& r) { return KeyOf(r, index) <= key; };
  const auto lower = std::partition_point(sorted.begin(), sorted.end(), below);
  const auto upper = std::partition_point(sorted.begin(), sorted.end(), notAbove);
  switch (mode) {
    case VV_FIND_LT:
      return lower == sorted.begin() ? -41 : std::prev(lower)->id;
    case VV_FIND_LE:
      return upper == sorted.begin() ? -41 : std::prev(upper)->id;
    case VV_FIND_EQ:
      return lower == upper ? -25 : lower->id;
    case VV_FIND_GE:  // past the end: the last record
      return lower == sorted.end() ? sorted.back().id : lower->id;
    default:
      return upper == sorted.end() ? -42 : upper->id;
  }
}

TEST_F(RecordFindTest, EveryModeOnFirstMiddleLastAndMissingKeys) {
  EngineTable& t = Table();
  const std::vector<Row> rows = Nine();
  Insert(t, rows);
  // Below the first, first, middle, missing, last, above the last; never 0,
  // which a cleared buffer holds already (writing it touches nothing).
  const std::vector<int> ids = {5, 10, 50, 55, 90, 95};
  const std::vector<int> groups = {1, 2, 3, 5, 6, 7};
  for (int32_t index : {kById, kByGroup}) {
    const int32_t field = index == kById ? kId : kGroup;
    for (int key : index == kById ? ids : groups) {
      for (int32_t mode = VV_FIND_LT; mode <= VV_FIND_GT; ++mode) {
        EXPECT_EQ(Search(t, index, field, key, mode), Expected(rows, index, key, mode))
            << "index " << index << " key " << key << " mode " << mode;
      }
    }
  }
}

TEST_F(RecordFindTest, WalksEveryIndexForwardAndBack) {
  EngineTable& t = Table();
  std::vector<Row> rows(1000);
  std::vector<int> ids(rows.size());
  std::iota(ids.begin(), ids.end(), 1);
  std::shuffle(ids.begin(), ids.end(), std::mt19937(7));
  for (int i = 0; i < 1000; ++i) rows[i] = {ids[i] * 3, ids[i] % 17, i};
  Insert(t, rows);
  for (int32_t index : {kRecnumOrder, kById, kByGroup, kByName}) {
    std::vector<int> expected, forward, back;
    for (const Row& row : KeyOrder(rows, index)) expected.push_back(row.id);
    driver::mvbtrFileClear(t.file());
    long long lastNumber = 0;
    for (int id = Found(t, index, VV_FIND_GE); id > 0; id = Found(t, index, VV_FIND_GT)) {
      forward.push_back(id);
      const long long number = std::stoll(Get(t, 0));
      if (index == kRecnumOrder) {
        EXPECT_GT(number, lastNumber) << "record numbers ascend";
      }
      lastNumber = number;
    }
    EXPECT_EQ(Found(t, index, VV_FIND_GT), -42) << "stays at the end";
    driver::mvbtrFileClear(t.file());
    for (int id = Found(t, index, VV_FIND_LE); id > 0; id = Found(t, index, VV_FIND_LT)) {
      back.push_back(id);
    }
    std::reverse(back.begin(), back.end());
    EXPECT_EQ(forward, expected) << "index " << index;
    EXPECT_EQ(back, expected) << "index " << index;
  }
}

TEST_F(RecordFindTest, SituationsChooseTheOperation) {
  EngineTable& t = Table();
  Insert(t, Nine());
  EngineTrace trace;
  struct Step {
    std::function<int()> find;
    int id;
    std::string ops;
  };
  const Step steps[] = {
      {[&] {
         driver::mvbtrFileClear(t.file());
         return Found(t, kById, VV_FIND_GE);
       },
       10, "12"},
      {[&] { return Found(t, kById, VV_FIND_GT); }, 20, "6"},
      {[&] { return Found(t, kById, VV_FIND_LT); }, 10, "7"},
      {[&] { return Found(t, kById, VV_FIND_LE); }, 10, "11"},
      {[&] {
         Put(t, kId, "70");
         return Found(t, kById, VV_FIND_GT);
       },
       80, "8"},
      // Another key path: repositioned on it first, then relative.
      {[&] { return Found(t, kByGroup, VV_FIND_GT); }, 90, "23 6"},
      {[&] {
         Put(t, kId, "95");
         return Found(t, kById, VV_FIND_GE);
       },
       90, "9 13"},
      {[&] {
         driver::mvbtrFileClear(t.file());
         return Found(t, kByName, VV_FIND_LE);
       },
       10, "13"},
      {[&] { return Found(t, kByName, VV_FIND_GT); }, -42, "6"},
  };
  for (const Step& step : steps) {
    EXPECT_EQ(step.find(), step.id) << step.ops;
    EXPECT_EQ(trace.Take(), step.ops);
  }
  EXPECT_EQ(t.file()->nCurIndex, -1) << "a failed find leaves no key path";
  EXPECT_EQ(t.file()->bActive, 0);
  // The buffer still holds the record found before: the next find goes back
  // onto the key path there, and finds it again.
  EXPECT_EQ(Found(t, kByName, VV_FIND_EQ), 10);
  EXPECT_EQ(trace.Take(), "23 5");
  EXPECT_EQ(t.file()->nCurIndex, 2);
}

TEST_F(RecordFindTest, IndexesNamedByFieldAndUndefinedIndexes) {
  EngineTable& t = Table();
  Insert(t, Nine());
  driver::mvbtrFileClear(t.file());
  Put(t, kGroup, "6");
  EXPECT_EQ(btrRecordFind(t.handle(), -kGroup, VV_FIND_EQ), 0);
  EXPECT_EQ(Get(t, kId), "80") << "the oldest of the group";
  t.file()->nPrimaryIndex = kByGroup;  // index 0 stands for it
  EXPECT_EQ(btrRecordFind(t.handle(), 0, VV_FIND_GT), 0);
  EXPECT_EQ(Get(t, kId), "90");
  t.file()->nPrimaryIndex = 0;
  EXPECT_EQ(btrRecordFind(t.handle(), -kAmount, VV_FIND_EQ), 79);
  EXPECT_EQ(TakeErrorText(), "AMOUNT");
  EXPECT_EQ(btrRecordFind(t.handle(), 7, VV_FIND_EQ), 4262);
  EXPECT_EQ(btrRecordFind(t.handle(), 1, 5), 21001) << "no such find mode";
  EXPECT_EQ(btrRecordFind(t.handle() + 1, 1, VV_FIND_EQ), 72);
  TakeError();
  t.file()->nFileMode = driver::kFileModeNoFind;
  EngineTrace trace;
  EXPECT_EQ(btrRecordFind(t.handle(), kById, VV_FIND_GE), 0);
  EXPECT_EQ(trace.Take(), "") << "finds switched off search nothing";
}

TEST_F(RecordFindTest, StatusesBecomeHostErrorsAndMissesAreLogged) {
  const std::string log = dir() + platform::kPathSeparator + "FIND.LOG";
  driver::mvbtrStrNewCpy(&globals()->lpszLogfilePath, log.c_str());
  ASSERT_EQ(driver::mvbtrLogOpen(&globals()->hLogFile, log.c_str()), 0);
  EngineTable& t = Table();
  Insert(t, Nine());
  EngineTrace trace;
  struct Case {
    int16_t status;
    int16_t error;
    std::string text;
  };
  for (const Case& c :
       {Case{BTR_STATUS_KEY_NOT_FOUND, 25, "TABLE"}, Case{BTR_STATUS_INVALID_KEY_NUMBER, 4262, ""},
        Case{BTR_STATUS_END_OF_FILE, 42, "TABLE"}, Case{BTR_STATUS_INVALID_ADDRESS, 25, "TABLE"},
        Case{BTR_STATUS_DEADLOCK, 4202, "TABLE"},
        Case{BTR_STATUS_IO_ERROR, 21002, "mvbtrRecordFind (TABLE)"}}) {
    trace.Inject(BTR_GET_EQUAL, {c.status});
    driver::mvbtrFileClear(t.file());
    Put(t, kId, "50");
    EXPECT_EQ(btrRecordFind(t.handle(), kById, VV_FIND_EQ), c.error);
    EXPECT_EQ(TakeErrorText(), c.text);
  }
  const std::string text = platform::ReadFileToString(log).value_or("");
  const std::string user = platform::UserName();
  EXPECT_EQ(text, "25;\"B_KEY_VALUE_NOT_FOUND in mvbtrRecordFind\";\"" + user +
                      "\";\"TABLE\"\r\n25;\"B_INVALID_RECORD_ADDRESS in mvbtrRecordFind\";\"" +
                      user + "\";\"TABLE\"\r\n");
}

TEST_F(RecordFindTest, ReadsInsideATransactionTakeTheReadLock) {
  EngineTable& t = Table();
  Insert(t, Nine());
  EngineTrace trace;
  const uint16_t bias = globals()->nTranLockBias;
  ASSERT_NE(bias, 0);
  struct Case {
    uint8_t inTransaction;
    uint32_t fileMode;
    uint8_t lockReadOnly;
    uint16_t bias;
  };
  for (const Case& c :
       {Case{0, 0, 1, 0}, Case{1, 0, 0, bias}, Case{1, 0x01, 0, 0}, Case{1, 0x40, 1, bias}}) {
    t.file()->bInTransaction = c.inTransaction;
    t.file()->nFileMode = c.fileMode;
    globals()->bLockReadOnly = c.lockReadOnly;
    driver::mvbtrFileClear(t.file());
    EXPECT_EQ(Found(t, kById, VV_FIND_GE), 10);
    EXPECT_EQ(trace.Take(), std::to_string(BTR_GET_FIRST + c.bias));
  }
}

TEST_F(RecordFindTest, LockedRecordsAreRetriedUntilTheTimeout) {
  EngineTable& t = Table();
  Insert(t, Nine());
  t.file()->bInTransaction = 1;
  const uint16_t op = BTR_GET_FIRST + globals()->nTranLockBias;
  EngineTrace trace;
  globals()->nLockDelay = 0;
  {
    EngineClient other;
    ASSERT_EQ(other.Open(t.path()), 0);
    std::vector<uint8_t> record(t.file()->nRecLen);
    uint8_t key[BTR_MAX_KEY_SIZE];
    ASSERT_EQ(other.Call(BTR_GET_FIRST + BTR_BIAS_SINGLE_NOWAIT, &record, key, 0), 0);
    globals()->nLockTimeout = 1;  // below a second: the first retry gives up
    driver::mvbtrFileClear(t.file());
    EXPECT_EQ(btrRecordFind(t.handle(), kById, VV_FIND_GE), 4106);
    EXPECT_EQ(TakeErrorText(), "Btrieve");
    EXPECT_EQ(trace.Take(), std::to_string(op)) << "given up without trying again";
    EXPECT_EQ(t.file()->bActive, 0);
  }
  globals()->nLockTimeout = 0;  // for ever
  trace.Inject(op, {BTR_STATUS_RECORD_LOCKED, BTR_STATUS_FILE_LOCKED});
  driver::mvbtrFileClear(t.file());
  EXPECT_EQ(Found(t, kById, VV_FIND_GE), 10);
  const std::string ops = std::to_string(op);
  EXPECT_EQ(trace.Take(), ops + " " + ops + " " + ops);
}

TEST_F(RecordFindTest, ARecordLostBeforeItsPositionIsReadAgain) {
  EngineTable& t = Table();
  Insert(t, Nine());
  t.file()->nRecnumMethod = driver::kRecnumGetPosition;
  EngineTrace trace;
  trace.Inject(BTR_GET_POSITION, {BTR_STATUS_INVALID_ADDRESS});
  driver::mvbtrFileClear(t.file());
  EXPECT_EQ(Found(t, kById, VV_FIND_GE), 10);
  EXPECT_EQ(trace.Take(), "12 22 12 22");
  EXPECT_EQ(host_.error(), 0);
  trace.Inject(BTR_GET_POSITION, {BTR_STATUS_IO_ERROR});
  EXPECT_EQ(btrRecordFind(t.handle(), kById, VV_FIND_GT), 21002);
  EXPECT_EQ(TakeErrorText(), "mvbtrRecordMarkActive (TABLE)");
  EXPECT_EQ(trace.Take(), "6 22");
}

}  // namespace
}  // namespace vv::testing
