// Engine throughput through the exported Btrieve call: prints operations
// per second for inserts in one transaction, point reads on a unique and a
// duplicate key, a walk along the duplicate key, updates and deletes in one
// transaction each, and single-insert transactions.
//
// Usage: engine_bench [DIRECTORY [RECORDS]]
//   DIRECTORY  default: a fresh temporary directory
//   RECORDS    default 100000; the other counts scale with it (a reduced run
//              under an instruction counter), e.g.
//   valgrind --tool=callgrind --toggle-collect='*InsertInOneTransaction*' engine_bench DIR 20000
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "veverave/engine.h"

namespace {

int g_records = 100000;
int g_reads = 100000;
int g_changes = 10000;
int g_single_transactions = 1000;
constexpr uint16_t kRecordLength = 100;
constexpr uint16_t kNameLength = 30;
constexpr int kDistinctNames = 5000;

uint8_t g_client[BTR_CLIENT_ID_SIZE] = {'b', 'e', 'n', 'c', 'h'};
uint8_t g_block[BTR_POS_BLOCK_SIZE];

// A call with a fresh key buffer holding key_size bytes of key.
int16_t Call(uint16_t op, void* data, uint32_t len, const void* key, std::size_t key_size,
             int8_t key_number) {
  char key_buf[BTR_MAX_KEY_SIZE + 1] = {};
  if (key != nullptr) std::memcpy(key_buf, key, std::min<std::size_t>(key_size, BTR_MAX_KEY_SIZE));
  return BTRCALLID(op, g_block, data, &len, key_buf, BTR_MAX_KEY_SIZE, key_number, g_client);
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
// the waits for fsync are not in it), both in microseconds or finer. A
// phase of many operations prints its rate; a single operation prints the
// time it took.
struct Timer {
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  std::clock_t cpu_start = std::clock();
  void Report(const char* what, long count) const {
    const double s =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu_s = static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
    if (count == 1) {
      std::printf("%-40s %11.6f s                cpu %11.6f s\n", what, s, cpu_s);
      return;
    }
    std::printf("%-40s %7ld ops %9.3f ms %10.0f ops/s   cpu %9.3f ms %10.0f ops/s\n", what, count,
                s * 1e3, s <= 0 ? 0.0 : static_cast<double>(count) / s, cpu_s * 1e3,
                cpu_s <= 0 ? 0.0 : static_cast<double>(count) / cpu_s);
  }
};

bool Check(int16_t s, const char* what) {
  if (s != 0) std::fprintf(stderr, "engine_bench: %s: status %d\n", what, s);
  return s == 0;
}

// The phases; kept out of line so that a profiler can collect one alone.

bool CreateAndOpen(const std::string& path) {
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
  return Check(Call(BTR_CREATE, spec, sizeof spec, path.c_str(), path.size(), BTR_CREATE_REPLACE),
               "create") &&
         Check(Call(BTR_OPEN, nullptr, 0, path.c_str(), path.size(), BTR_OPEN_NORMAL), "open");
}

[[gnu::noinline]] bool InsertInOneTransaction(std::mt19937& random) {
  uint8_t rec[kRecordLength];
  Timer t;
  if (!Check(Call(BTR_BEGIN_TRANSACTION, nullptr, 0, nullptr, 0, 0), "begin")) return false;
  for (int i = 0; i < g_records; ++i) {
    MakeRecord(i, static_cast<int>(random() % kDistinctNames), rec);
    if (!Check(Call(BTR_INSERT, rec, kRecordLength, nullptr, 0, BTR_KEY_NONE), "insert"))
      return false;
  }
  if (!Check(Call(BTR_END_TRANSACTION, nullptr, 0, nullptr, 0, 0), "end")) return false;
  t.Report("insert, one transaction", g_records);
  return true;
}

[[gnu::noinline]] bool GetEqualUnique(std::mt19937& random) {
  uint8_t rec[kRecordLength];
  Timer t;
  for (int i = 0; i < g_reads; ++i) {
    const int id = static_cast<int>(random() % static_cast<unsigned>(g_records));
    if (!Check(Call(BTR_GET_EQUAL, rec, kRecordLength, &id, sizeof id, 0), "get equal"))
      return false;
  }
  t.Report("get equal, unique INTEGER key", g_reads);
  return true;
}

[[gnu::noinline]] bool GetEqualDuplicates(std::mt19937& random) {
  uint8_t rec[kRecordLength];
  Timer t;
  for (int i = 0; i < g_reads; ++i) {
    const std::string name = Name(static_cast<int>(random() % kDistinctNames));
    const int16_t s = Call(BTR_GET_EQUAL, rec, kRecordLength, name.data(), name.size(), 1);
    if (s != 0 && s != BTR_STATUS_KEY_NOT_FOUND) return Check(s, "get equal");
  }
  t.Report("get equal, duplicate STRING key", g_reads);
  return true;
}

[[gnu::noinline]] bool GetNextWalk() {
  uint8_t rec[kRecordLength];
  Timer t;
  long n = 0;
  for (int16_t s = Call(BTR_GET_FIRST, rec, kRecordLength, nullptr, 0, 1); s == 0;
       s = Call(BTR_GET_NEXT, rec, kRecordLength, nullptr, 0, 1)) {
    ++n;
  }
  t.Report("get next walk, duplicate STRING key", n);
  if (n != g_records) std::fprintf(stderr, "engine_bench: the walk found %ld records\n", n);
  return n == g_records;
}

[[gnu::noinline]] bool UpdateInOneTransaction(std::mt19937& random) {
  uint8_t rec[kRecordLength];
  Timer t;
  if (!Check(Call(BTR_BEGIN_TRANSACTION, nullptr, 0, nullptr, 0, 0), "begin")) return false;
  for (int i = 0; i < g_changes; ++i) {
    const int id = i * (g_records / g_changes);
    if (!Check(Call(BTR_GET_EQUAL, rec, kRecordLength, &id, sizeof id, 0), "get equal"))
      return false;
    std::memcpy(rec + 4, Name(static_cast<int>(random() % kDistinctNames)).data(), kNameLength);
    if (!Check(Call(BTR_UPDATE, rec, kRecordLength, nullptr, 0, BTR_KEY_NONE), "update"))
      return false;
  }
  if (!Check(Call(BTR_END_TRANSACTION, nullptr, 0, nullptr, 0, 0), "end")) return false;
  t.Report("get equal + update, one transaction", g_changes);
  return true;
}

[[gnu::noinline]] bool DeleteInOneTransaction() {
  uint8_t rec[kRecordLength];
  Timer t;
  if (!Check(Call(BTR_BEGIN_TRANSACTION, nullptr, 0, nullptr, 0, 0), "begin")) return false;
  for (int i = 0; i < g_changes; ++i) {
    const int id = i * (g_records / g_changes) + 1;
    if (!Check(Call(BTR_GET_EQUAL, rec, kRecordLength, &id, sizeof id, 0), "get equal"))
      return false;
    if (!Check(Call(BTR_DELETE, nullptr, 0, nullptr, 0, 0), "delete")) return false;
  }
  if (!Check(Call(BTR_END_TRANSACTION, nullptr, 0, nullptr, 0, 0), "end")) return false;
  t.Report("get equal + delete, one transaction", g_changes);
  return true;
}

[[gnu::noinline]] bool SingleInsertTransactions() {
  uint8_t rec[kRecordLength];
  Timer t;
  for (int i = 0; i < g_single_transactions; ++i) {
    MakeRecord(g_records + i, i, rec);
    if (!Check(Call(BTR_BEGIN_TRANSACTION, nullptr, 0, nullptr, 0, 0), "begin")) return false;
    if (!Check(Call(BTR_INSERT, rec, kRecordLength, nullptr, 0, BTR_KEY_NONE), "insert"))
      return false;
    if (!Check(Call(BTR_END_TRANSACTION, nullptr, 0, nullptr, 0, 0), "end")) return false;
  }
  t.Report("single-insert transactions", g_single_transactions);
  return true;
}

[[gnu::noinline]] bool CloseAndReopen(const std::string& path) {
  Timer t;
  if (!Check(Call(BTR_CLOSE, nullptr, 0, nullptr, 0, 0), "close") ||
      !Check(Call(BTR_OPEN, nullptr, 0, path.c_str(), path.size(), BTR_OPEN_NORMAL), "open")) {
    return false;
  }
  t.Report("close and reopen (replay)", 1);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2) {
    g_records = std::atoi(argv[2]);
    if (g_records < 100) {
      std::fprintf(stderr, "engine_bench: RECORDS must be at least 100\n");
      return 2;
    }
    g_reads = g_records;
    g_changes = g_records / 10;
    g_single_transactions = g_records / 100;
  }
  const std::string dir =
      argc > 1 ? argv[1] : vv::platform::MakeTempDirectory("vvbench").value_or(".");
  const std::string path = dir + "/bench.btr";
  vv::platform::DeleteFile(path);

  std::mt19937 random(42);
  const bool ok = CreateAndOpen(path) && InsertInOneTransaction(random) && GetEqualUnique(random) &&
                  GetEqualDuplicates(random) && GetNextWalk() && UpdateInOneTransaction(random) &&
                  DeleteInOneTransaction() && SingleInsertTransactions() && CloseAndReopen(path);
  Call(BTR_RESET, nullptr, 0, nullptr, 0, 0);
  if (argc <= 1) vv::platform::RemoveTree(dir);
  return ok ? 0 : 1;
}
