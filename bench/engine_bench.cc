// Engine throughput through the exported Btrieve call: prints operations
// per second for inserts in one transaction, point reads on a unique and a
// duplicate key, a walk along the duplicate key, updates and deletes in one
// transaction each, and single-insert transactions.
//
// Usage: engine_bench [DIRECTORY]   (default: a fresh temporary directory)
#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "veverave/engine.h"

namespace {

constexpr int kRecords = 100000;
constexpr int kReads = 100000;
constexpr int kChanges = 10000;
constexpr int kSingleTransactions = 1000;
constexpr uint16_t kRecordLength = 100;
constexpr uint16_t kNameLength = 30;
constexpr int kDistinctNames = 5000;

uint8_t g_client[BTR_CLIENT_ID_SIZE] = {'b', 'e', 'n', 'c', 'h'};
uint8_t g_block[BTR_POS_BLOCK_SIZE];

int16_t Call(uint16_t op, void* data, uint32_t len, const void* key, int8_t key_number,
             uint32_t* len_out = nullptr) {
  char key_buf[BTR_MAX_KEY_SIZE + 1] = {};
  if (key != nullptr) std::memcpy(key_buf, key, BTR_MAX_KEY_SIZE);
  const int16_t s =
      BTRCALLID(op, g_block, data, &len, key_buf, BTR_MAX_KEY_SIZE, key_number, g_client);
  if (len_out != nullptr) *len_out = len;
  return s;
}

void Put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

std::string Name(int n) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "customer-%08d", n);
  std::string name = buf;
  name.resize(kNameLength, ' ');
  return name;
}

void MakeRecord(int id, int name, uint8_t* rec) {
  std::memset(rec, 'x', kRecordLength);
  std::memcpy(rec, &id, 4);
  std::memcpy(rec + 4, Name(name).data(), kNameLength);
}

// Wall time, and the process's CPU time (a fairer figure on a busy machine;
// the waits for fsync are not in it).
struct Timer {
  uint64_t start = vv::platform::MonotonicMs();
  std::clock_t cpu_start = std::clock();
  void Report(const char* what, long count) const {
    const uint64_t ms = vv::platform::MonotonicMs() - start;
    const double cpu_ms = 1000.0 * static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
    std::printf("%-40s %7ld ops %6llu ms %10.0f ops/s   cpu %7.0f ms %10.0f ops/s\n", what, count,
                static_cast<unsigned long long>(ms), ms == 0 ? 0.0 : count * 1000.0 / ms, cpu_ms,
                cpu_ms <= 0 ? 0.0 : count * 1000.0 / cpu_ms);
  }
};

bool Check(int16_t s, const char* what) {
  if (s != 0) std::fprintf(stderr, "engine_bench: %s: status %d\n", what, s);
  return s == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir =
      argc > 1 ? argv[1] : vv::platform::MakeTempDirectory("vvbench").value_or(".");
  const std::string path = dir + "/bench.btr";
  vv::platform::DeleteFile(path);

  uint8_t spec[BTR_FSPEC_SIZE + 2 * BTR_KSPEC_SIZE] = {};
  Put16(spec + BTR_FSPEC_RECORD_LENGTH, kRecordLength);
  Put16(spec + BTR_FSPEC_PAGE_SIZE, 4096);
  spec[BTR_FSPEC_KEY_COUNT] = 2;
  uint8_t* k0 = spec + BTR_FSPEC_SIZE;
  Put16(k0 + BTR_KSPEC_POSITION, 1);
  Put16(k0 + BTR_KSPEC_LENGTH, 4);
  Put16(k0 + BTR_KSPEC_FLAGS, BTR_KEY_EXTENDED_TYPE | BTR_KEY_MODIFIABLE);
  k0[BTR_KSPEC_TYPE] = BTR_TYPE_INTEGER;
  uint8_t* k1 = k0 + BTR_KSPEC_SIZE;
  Put16(k1 + BTR_KSPEC_POSITION, 5);
  Put16(k1 + BTR_KSPEC_LENGTH, kNameLength);
  Put16(k1 + BTR_KSPEC_FLAGS, BTR_KEY_EXTENDED_TYPE | BTR_KEY_MODIFIABLE | BTR_KEY_DUPLICATES);
  k1[BTR_KSPEC_TYPE] = BTR_TYPE_STRING;
  if (!Check(Call(BTR_CREATE, spec, sizeof spec, path.c_str(), BTR_CREATE_REPLACE), "create"))
    return 1;
  if (!Check(Call(BTR_OPEN, nullptr, 0, path.c_str(), BTR_OPEN_NORMAL), "open")) return 1;

  std::mt19937 random(42);
  uint8_t rec[kRecordLength];
  {
    Timer t;
    Check(Call(BTR_BEGIN_TRANSACTION, nullptr, 0, nullptr, 0), "begin");
    for (int i = 0; i < kRecords; ++i) {
      MakeRecord(i, static_cast<int>(random() % kDistinctNames), rec);
      if (!Check(Call(BTR_INSERT, rec, kRecordLength, nullptr, BTR_KEY_NONE), "insert")) return 1;
    }
    Check(Call(BTR_END_TRANSACTION, nullptr, 0, nullptr, 0), "end");
    t.Report("insert, one transaction", kRecords);
  }
  {
    Timer t;
    for (int i = 0; i < kReads; ++i) {
      const int id = static_cast<int>(random() % kRecords);
      if (!Check(Call(BTR_GET_EQUAL, rec, kRecordLength, &id, 0), "get equal")) return 1;
    }
    t.Report("get equal, unique INTEGER key", kReads);
  }
  {
    Timer t;
    for (int i = 0; i < kReads; ++i) {
      const std::string name = Name(static_cast<int>(random() % kDistinctNames));
      const int16_t s = Call(BTR_GET_EQUAL, rec, kRecordLength, name.data(), 1);
      if (s != 0 && s != BTR_STATUS_KEY_NOT_FOUND) return Check(s, "get equal"), 1;
    }
    t.Report("get equal, duplicate STRING key", kReads);
  }
  {
    Timer t;
    long n = 0;
    for (int16_t s = Call(BTR_GET_FIRST, rec, kRecordLength, nullptr, 1); s == 0;
         s = Call(BTR_GET_NEXT, rec, kRecordLength, nullptr, 1)) {
      ++n;
    }
    t.Report("get next walk, duplicate STRING key", n);
  }
  {
    Timer t;
    Check(Call(BTR_BEGIN_TRANSACTION, nullptr, 0, nullptr, 0), "begin");
    for (int i = 0; i < kChanges; ++i) {
      const int id = i * (kRecords / kChanges);
      if (!Check(Call(BTR_GET_EQUAL, rec, kRecordLength, &id, 0), "get equal")) return 1;
      std::memcpy(rec + 4, Name(static_cast<int>(random() % kDistinctNames)).data(), kNameLength);
      if (!Check(Call(BTR_UPDATE, rec, kRecordLength, nullptr, BTR_KEY_NONE), "update")) return 1;
    }
    Check(Call(BTR_END_TRANSACTION, nullptr, 0, nullptr, 0), "end");
    t.Report("get equal + update, one transaction", kChanges);
  }
  {
    Timer t;
    Check(Call(BTR_BEGIN_TRANSACTION, nullptr, 0, nullptr, 0), "begin");
    for (int i = 0; i < kChanges; ++i) {
      const int id = i * (kRecords / kChanges) + 1;
      if (!Check(Call(BTR_GET_EQUAL, rec, kRecordLength, &id, 0), "get equal")) return 1;
      if (!Check(Call(BTR_DELETE, nullptr, 0, nullptr, 0), "delete")) return 1;
    }
    Check(Call(BTR_END_TRANSACTION, nullptr, 0, nullptr, 0), "end");
    t.Report("get equal + delete, one transaction", kChanges);
  }
  {
    Timer t;
    for (int i = 0; i < kSingleTransactions; ++i) {
      MakeRecord(kRecords + i, i, rec);
      Check(Call(BTR_BEGIN_TRANSACTION, nullptr, 0, nullptr, 0), "begin");
      if (!Check(Call(BTR_INSERT, rec, kRecordLength, nullptr, BTR_KEY_NONE), "insert")) return 1;
      if (!Check(Call(BTR_END_TRANSACTION, nullptr, 0, nullptr, 0), "end")) return 1;
    }
    t.Report("single-insert transactions", kSingleTransactions);
  }
  {
    Timer t;
    Check(Call(BTR_CLOSE, nullptr, 0, nullptr, 0), "close");
    Check(Call(BTR_OPEN, nullptr, 0, path.c_str(), BTR_OPEN_NORMAL), "open");
    t.Report("close and reopen (replay)", 1);
  }
  Call(BTR_RESET, nullptr, 0, nullptr, 0);
  if (argc <= 1) vv::platform::RemoveTree(dir);
  return 0;
}
