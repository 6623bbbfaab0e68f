// Engine against SQLite, one after the other in this process, on the same
// records: 100-byte records with a unique INTEGER key (id) and a 30-byte
// STRING key with duplicates (name). For each size of the sweep:
//
//   load          the records, in transactions of 20,000
//   open          the file (a close first; the engine reads its header)
//   peak RSS      the most memory the process held while loading, opening
//                 and reading (reset before each product)
//   get equal     random point lookups by id
//   get next      an ordered scan of every record along id
//   insert / update / delete   100,000 of each in one transaction
//   durable       single-insert transactions, each synced, next to the
//                 disk's raw rate of a 4 KB append and sync
//
// SQLite gets the same cache (PRAGMA cache_size), WAL and synchronous=FULL,
// a table with id INTEGER PRIMARY KEY and an index on name.
//
// Usage: engine_bench [DIRECTORY [RECORDS ...]]
//   DIRECTORY  default: a fresh temporary directory
//   RECORDS    the sizes of the sweep; default 100000
// VVENGINE_CACHE_SIZE sets the engine's cache (default 32M); SQLite gets
// the same.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "veverave/engine.h"

#if VV_BENCH_SQLITE
#include <sqlite3.h>
#endif

namespace {

constexpr uint16_t kRecordLength = 100;
constexpr uint16_t kNameLength = 30;
constexpr int kDistinctNames = 5000;
constexpr long kBatch = 100000;     // changes per phase
constexpr long kLoadBatch = 20000;  // records per load transaction
constexpr long kDurable = 300;      // single-insert transactions
constexpr long kMaxLookups = 1000000;

std::size_t CacheBytes() {
  const auto text = vv::platform::GetEnv("VVENGINE_CACHE_SIZE");
  if (!text || text->empty()) return std::size_t{32} << 20;
  std::size_t v = std::strtoull(text->c_str(), nullptr, 10);
  const char unit = static_cast<char>(text->back() & ~0x20);
  if (unit == 'K') v <<= 10;
  if (unit == 'M') v <<= 20;
  if (unit == 'G') v <<= 30;
  return v;
}

double Seconds(const std::function<bool()>& phase, bool* ok) {
  const auto start = std::chrono::steady_clock::now();
  *ok = *ok && phase();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Peak resident memory since the last reset, in MB (Linux; 0 elsewhere).
double PeakRssMb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
  }
  return 0;
}
void ResetPeakRss() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

std::string Name(long n) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "customer-%08ld", n % kDistinctNames);
  std::string name = buf;
  name.resize(kNameLength, ' ');
  return name;
}

void MakeRecord(int32_t id, long name, uint8_t* rec) {
  std::memset(rec, 'x', kRecordLength);
  std::memcpy(rec, &id, 4);
  std::memcpy(rec + 4, Name(name).data(), kNameLength);
}

// One row of the report: a figure for each product.
struct Row {
  std::string what;
  double engine = 0;
  double sqlite = 0;
  const char* unit = "ops/s";
};

void Print(long records, const std::vector<Row>& rows) {
  std::printf("\n== %ld records\n%-34s %14s %14s %8s\n", records, "", "engine", "sqlite", "ratio");
  for (const Row& r : rows) {
    const double ratio = r.sqlite > 0 ? r.engine / r.sqlite : 0;
    if (std::strcmp(r.unit, "ops/s") == 0) {
      std::printf("%-34s %14.0f %14.0f %7.2fx\n", r.what.c_str(), r.engine, r.sqlite, ratio);
    } else {
      std::printf("%-34s %11.3f %-2s %11.3f %-2s\n", r.what.c_str(), r.engine, r.unit, r.sqlite,
                  r.unit);
    }
  }
}

// ---------------------------------------------------------------- engine

uint8_t g_client[BTR_CLIENT_ID_SIZE] = {'b', 'e', 'n', 'c', 'h'};
uint8_t g_block[BTR_POS_BLOCK_SIZE];

int16_t Call(uint16_t op, void* data, uint32_t len, const void* key, std::size_t key_size,
             int8_t key_number) {
  char key_buf[BTR_MAX_KEY_SIZE + 1] = {};
  if (key != nullptr) std::memcpy(key_buf, key, std::min<std::size_t>(key_size, BTR_MAX_KEY_SIZE));
  return BTRCALLID(op, g_block, data, &len, key_buf, BTR_MAX_KEY_SIZE, key_number, g_client);
}

bool Check(int16_t s, const char* what) {
  if (s != 0) std::fprintf(stderr, "engine_bench: %s: status %d\n", what, s);
  return s == 0;
}

void Put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

bool EngineCreate(const std::string& path) {
  uint8_t layout[BTR_FILEDEF_SIZE + 2 * BTR_KEYDEF_SIZE] = {};
  Put16(layout + BTR_FILEDEF_RECORD_LENGTH, kRecordLength);
  Put16(layout + BTR_FILEDEF_PAGE_SIZE, 4096);
  layout[BTR_FILEDEF_KEY_COUNT] = 2;
  uint8_t* k0 = layout + BTR_FILEDEF_SIZE;
  Put16(k0 + BTR_KEYDEF_POSITION, 1);
  Put16(k0 + BTR_KEYDEF_LENGTH, 4);
  Put16(k0 + BTR_KEYDEF_FLAGS, BTR_KEY_EXTENDED_TYPE | BTR_KEY_MODIFIABLE);
  k0[BTR_KEYDEF_TYPE] = BTR_TYPE_INTEGER;
  uint8_t* k1 = k0 + BTR_KEYDEF_SIZE;
  Put16(k1 + BTR_KEYDEF_POSITION, 5);
  Put16(k1 + BTR_KEYDEF_LENGTH, kNameLength);
  Put16(k1 + BTR_KEYDEF_FLAGS, BTR_KEY_EXTENDED_TYPE | BTR_KEY_MODIFIABLE | BTR_KEY_DUPLICATES);
  k1[BTR_KEYDEF_TYPE] = BTR_TYPE_STRING;
  return Check(Call(BTR_CREATE, layout, sizeof layout, path.c_str(), path.size(), BTR_CREATE_REPLACE),
               "create") &&
         Check(Call(BTR_OPEN, nullptr, 0, path.c_str(), path.size(), BTR_OPEN_NORMAL), "open");
}

bool EngineInsert(int32_t first, long n, std::mt19937& random) {
  uint8_t rec[kRecordLength];
  if (!Check(Call(BTR_BEGIN_TRANSACTION, nullptr, 0, nullptr, 0, 0), "begin")) return false;
  for (long i = 0; i < n; ++i) {
    MakeRecord(first + static_cast<int32_t>(i), static_cast<long>(random()), rec);
    if (!Check(Call(BTR_INSERT, rec, kRecordLength, nullptr, 0, BTR_KEY_NONE), "insert")) {
      return false;
    }
  }
  return Check(Call(BTR_END_TRANSACTION, nullptr, 0, nullptr, 0, 0), "end");
}

std::vector<Row> RunEngine(const std::string& dir, long records) {
  std::vector<Row> rows;
  const std::string path = dir + "/bench.btr";
  std::mt19937 random(42);
  bool ok = EngineCreate(path);
  ResetPeakRss();
  const double load = Seconds(
      [&] {
        for (long at = 0; at < records && ok; at += kLoadBatch) {
          ok = EngineInsert(static_cast<int32_t>(at), std::min(kLoadBatch, records - at), random);
        }
        return ok;
      },
      &ok);
  rows.push_back({"load (transactions of 20000)", records / load});
  ok = ok && Check(Call(BTR_CLOSE, nullptr, 0, nullptr, 0, 0), "close");
  const double open = Seconds(
      [&] {
        return Check(Call(BTR_OPEN, nullptr, 0, path.c_str(), path.size(), BTR_OPEN_NORMAL),
                     "open");
      },
      &ok);
  rows.push_back({"open", open * 1000, 0, "ms"});
  uint8_t rec[kRecordLength];
  const long lookups = std::min(records, kMaxLookups);
  const double get = Seconds(
      [&] {
        for (long i = 0; i < lookups; ++i) {
          const int32_t id = static_cast<int32_t>(random() % static_cast<unsigned long>(records));
          if (!Check(Call(BTR_GET_EQUAL, rec, kRecordLength, &id, 4, 0), "get equal")) return false;
        }
        return true;
      },
      &ok);
  rows.push_back({"get equal by id", lookups / get});
  long walked = 0;
  const double scan = Seconds(
      [&] {
        for (int16_t s = Call(BTR_GET_FIRST, rec, kRecordLength, nullptr, 0, 0); s == 0;
             s = Call(BTR_GET_NEXT, rec, kRecordLength, nullptr, 0, 0)) {
          ++walked;
        }
        return walked == records;
      },
      &ok);
  rows.push_back({"get next, ordered scan by id", walked / scan});
  rows.push_back({"peak RSS (load, open, reads)", PeakRssMb(), 0, "MB"});
  const long changes = std::min(kBatch, records);
  const double insert =
      Seconds([&] { return EngineInsert(static_cast<int32_t>(records), changes, random); }, &ok);
  rows.push_back({"insert, one transaction", changes / insert});
  const double update = Seconds(
      [&] {
        if (!Check(Call(BTR_BEGIN_TRANSACTION, nullptr, 0, nullptr, 0, 0), "begin")) return false;
        for (long i = 0; i < changes; ++i) {
          const int32_t id = static_cast<int32_t>(random() % static_cast<unsigned long>(records));
          if (!Check(Call(BTR_GET_EQUAL, rec, kRecordLength, &id, 4, 0), "get equal")) return false;
          std::memcpy(rec + 4, Name(static_cast<long>(random())).data(), kNameLength);
          if (!Check(Call(BTR_UPDATE, rec, kRecordLength, nullptr, 0, BTR_KEY_NONE), "update")) {
            return false;
          }
        }
        return Check(Call(BTR_END_TRANSACTION, nullptr, 0, nullptr, 0, 0), "end");
      },
      &ok);
  rows.push_back({"get equal + update, one transaction", changes / update});
  const double remove = Seconds(
      [&] {
        if (!Check(Call(BTR_BEGIN_TRANSACTION, nullptr, 0, nullptr, 0, 0), "begin")) return false;
        for (long i = 0; i < changes; ++i) {
          const int32_t id = static_cast<int32_t>(records + i);
          if (!Check(Call(BTR_GET_EQUAL, rec, kRecordLength, &id, 4, 0), "get equal") ||
              !Check(Call(BTR_DELETE, nullptr, 0, nullptr, 0, 0), "delete")) {
            return false;
          }
        }
        return Check(Call(BTR_END_TRANSACTION, nullptr, 0, nullptr, 0, 0), "end");
      },
      &ok);
  rows.push_back({"get equal + delete, one transaction", changes / remove});
  const double durable = Seconds(
      [&] {
        for (long i = 0; i < kDurable; ++i) {
          if (!EngineInsert(static_cast<int32_t>(records + changes + i), 1, random)) return false;
        }
        return true;
      },
      &ok);
  rows.push_back({"durable single-insert transactions", kDurable / durable});
  Call(BTR_RESET, nullptr, 0, nullptr, 0, 0);
  if (!ok) rows.clear();
  return rows;
}

// The disk's own rate: a 4 KB write and a sync, as a commit of one page
// (append: into a new file; rewrite: over blocks the file has already).
double RawSyncRate(const std::string& dir, bool append) {
  const std::string path = dir + "/raw.dat";
  auto f = vv::platform::OpenFile(path, vv::platform::OpenMode::kCreateTruncate);
  if (!f) return 0;
  std::vector<uint8_t> page(4096 + 24, 'r');
  bool ok = true;
  if (!append) {
    std::vector<uint8_t> all(page.size() * kDurable, 'r');
    ok = f->WriteAt(0, all.data(), all.size()) && f->Sync();
  }
  const double s = Seconds(
      [&] {
        for (long i = 0; i < kDurable; ++i) {
          if (!f->WriteAt(static_cast<uint64_t>(i) * page.size(), page.data(), page.size()) ||
              !f->Sync()) {
            return false;
          }
        }
        return true;
      },
      &ok);
  f.reset();
  vv::platform::DeleteFile(path);
  return ok ? kDurable / s : 0;
}

// ---------------------------------------------------------------- SQLite

#if VV_BENCH_SQLITE
bool Exec(sqlite3* db, const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &error) == SQLITE_OK) return true;
  std::fprintf(stderr, "engine_bench: sqlite: %s: %s\n", sql, error);
  sqlite3_free(error);
  return false;
}

struct Statement {
  sqlite3_stmt* s = nullptr;
  Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &s, nullptr); }
  ~Statement() { sqlite3_finalize(s); }
};

// Copies a row into a record buffer, as a Get copies a record.
void FetchRow(sqlite3_stmt* s, uint8_t* rec) {
  const int32_t id = sqlite3_column_int(s, 0);
  std::memcpy(rec, &id, 4);
  std::memcpy(rec + 4, sqlite3_column_text(s, 1), kNameLength);
  std::memcpy(rec + 34, sqlite3_column_blob(s, 2), kRecordLength - 34);
}

bool SqliteInsert(sqlite3* db, int32_t first, long n, std::mt19937& random) {
  Statement ins(db, "INSERT INTO t VALUES (?, ?, ?)");
  uint8_t rec[kRecordLength];
  if (!Exec(db, "BEGIN")) return false;
  for (long i = 0; i < n; ++i) {
    MakeRecord(first + static_cast<int32_t>(i), static_cast<long>(random()), rec);
    sqlite3_bind_int(ins.s, 1, first + static_cast<int32_t>(i));
    sqlite3_bind_text(ins.s, 2, reinterpret_cast<const char*>(rec + 4), kNameLength, SQLITE_STATIC);
    sqlite3_bind_blob(ins.s, 3, rec + 34, kRecordLength - 34, SQLITE_STATIC);
    if (sqlite3_step(ins.s) != SQLITE_DONE) return false;
    sqlite3_reset(ins.s);
  }
  return Exec(db, "COMMIT");
}

sqlite3* SqliteOpen(const std::string& path) {
  sqlite3* db = nullptr;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) return nullptr;
  const std::string cache = "PRAGMA cache_size=-" + std::to_string(CacheBytes() / 1024);
  Exec(db, "PRAGMA journal_mode=WAL");
  Exec(db, "PRAGMA synchronous=FULL");
  Exec(db, cache.c_str());
  return db;
}

void RunSqlite(const std::string& dir, long records, std::vector<Row>* rows) {
  const std::string path = dir + "/bench.sqlite";
  vv::platform::DeleteFile(path);
  vv::platform::DeleteFile(path + "-wal");
  vv::platform::DeleteFile(path + "-shm");
  std::mt19937 random(42);
  sqlite3* db = SqliteOpen(path);
  bool ok = db != nullptr &&
            Exec(db, "CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT, pad BLOB)") &&
            Exec(db, "CREATE INDEX t_name ON t (name)");
  ResetPeakRss();
  std::size_t r = 0;
  (*rows)[r++].sqlite =
      records / Seconds(
                    [&] {
                      for (long at = 0; at < records && ok; at += kLoadBatch) {
                        ok = SqliteInsert(db, static_cast<int32_t>(at),
                                          std::min(kLoadBatch, records - at), random);
                      }
                      return ok;
                    },
                    &ok);
  sqlite3_close(db);
  (*rows)[r++].sqlite = 1000 * Seconds(
                                   [&] {
                                     db = SqliteOpen(path);
                                     Statement count(db, "SELECT id FROM t LIMIT 1");
                                     return db != nullptr && sqlite3_step(count.s) == SQLITE_ROW;
                                   },
                                   &ok);
  const long lookups = std::min(records, kMaxLookups);
  uint8_t rec[kRecordLength];
  {
    Statement get(db, "SELECT id, name, pad FROM t WHERE id = ?");
    (*rows)[r++].sqlite =
        lookups /
        Seconds(
            [&] {
              for (long i = 0; i < lookups; ++i) {
                sqlite3_bind_int(get.s, 1,
                                 static_cast<int>(random() % static_cast<unsigned long>(records)));
                if (sqlite3_step(get.s) != SQLITE_ROW) return false;
                sqlite3_reset(get.s);
              }
              return true;
            },
            &ok);
  }
  {
    Statement scan(db, "SELECT id, name, pad FROM t ORDER BY id");
    long walked = 0;
    (*rows)[r++].sqlite = records / Seconds(
                                        [&] {
                                          while (sqlite3_step(scan.s) == SQLITE_ROW) {
                                            FetchRow(scan.s, rec);
                                            ++walked;
                                          }
                                          return walked == records;
                                        },
                                        &ok);
  }
  (*rows)[r++].sqlite = PeakRssMb();
  const long changes = std::min(kBatch, records);
  (*rows)[r++].sqlite =
      changes /
      Seconds([&] { return SqliteInsert(db, static_cast<int32_t>(records), changes, random); },
              &ok);
  {
    Statement get(db, "SELECT id, name, pad FROM t WHERE id = ?");
    Statement upd(db, "UPDATE t SET name = ? WHERE id = ?");
    (*rows)[r++].sqlite =
        changes / Seconds(
                      [&] {
                        if (!Exec(db, "BEGIN")) return false;
                        for (long i = 0; i < changes; ++i) {
                          const int id =
                              static_cast<int>(random() % static_cast<unsigned long>(records));
                          sqlite3_bind_int(get.s, 1, id);
                          if (sqlite3_step(get.s) != SQLITE_ROW) return false;
                          FetchRow(get.s, rec);
                          sqlite3_reset(get.s);
                          const std::string name = Name(static_cast<long>(random()));
                          sqlite3_bind_text(upd.s, 1, name.data(), kNameLength, SQLITE_TRANSIENT);
                          sqlite3_bind_int(upd.s, 2, id);
                          if (sqlite3_step(upd.s) != SQLITE_DONE) return false;
                          sqlite3_reset(upd.s);
                        }
                        return Exec(db, "COMMIT");
                      },
                      &ok);
    Statement del(db, "DELETE FROM t WHERE id = ?");
    (*rows)[r++].sqlite = changes / Seconds(
                                        [&] {
                                          if (!Exec(db, "BEGIN")) return false;
                                          for (long i = 0; i < changes; ++i) {
                                            const int id = static_cast<int>(records + i);
                                            sqlite3_bind_int(get.s, 1, id);
                                            if (sqlite3_step(get.s) != SQLITE_ROW) return false;
                                            sqlite3_reset(get.s);
                                            sqlite3_bind_int(del.s, 1, id);
                                            if (sqlite3_step(del.s) != SQLITE_DONE) return false;
                                            sqlite3_reset(del.s);
                                          }
                                          return Exec(db, "COMMIT");
                                        },
                                        &ok);
  }
  (*rows)[r++].sqlite =
      kDurable /
      Seconds(
          [&] {
            for (long i = 0; i < kDurable; ++i) {
              if (!SqliteInsert(db, static_cast<int32_t>(records + changes + i), 1, random))
                return false;
            }
            return true;
          },
          &ok);
  sqlite3_close(db);
  if (!ok) std::fprintf(stderr, "engine_bench: the SQLite run failed\n");
}
#endif

}  // namespace

int main(int argc, char** argv) {
  const std::string dir =
      argc > 1 ? argv[1] : vv::platform::MakeTempDirectory("vvbench").value_or(".");
  std::vector<long> sweep;
  for (int i = 2; i < argc; ++i) {
    const long n = std::atol(argv[i]);
    if (n < 1000) {
      std::fprintf(stderr, "engine_bench: RECORDS must be at least 1000\n");
      return 2;
    }
    sweep.push_back(n);
  }
  if (sweep.empty()) sweep.push_back(100000);
  std::printf("cache %zu MB; raw 4 KB write + sync: %.0f/s appending, %.0f/s rewriting\n",
              CacheBytes() >> 20, RawSyncRate(dir, true), RawSyncRate(dir, false));
  bool ok = true;
  for (const long records : sweep) {
    std::vector<Row> rows = RunEngine(dir, records);
    if (rows.empty()) {
      ok = false;
      break;
    }
#if VV_BENCH_SQLITE
    RunSqlite(dir, records, &rows);
#else
    std::printf("(built without SQLite: install libsqlite3-dev for the comparison)\n");
#endif
    Print(records, rows);
    vv::platform::DeleteFile(dir + "/bench.btr");
    vv::platform::DeleteFile(dir + "/bench.sqlite");
    vv::platform::DeleteFile(dir + "/bench.sqlite-wal");
    vv::platform::DeleteFile(dir + "/bench.sqlite-shm");
  }
  if (argc <= 1) vv::platform::RemoveTree(dir);
  return ok ? 0 : 1;
}
