// Allocation-failure sweep: every operation is run again and again with the
// n-th allocation failing (n = 1, 2, ... until it no longer reaches one).
// Each run must answer success or 101, leave the engine as it was before the
// operation or as after it (also as seen from a fresh open of the file), keep
// working, and leak nothing.
//
// This program's operator new is replaced to make that happen; it counts
// live allocations for the leak check.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>

#include "engine/test_util.h"

namespace {

std::atomic<long> g_fail_countdown{0};  // >0: the allocation that takes it to 0 fails
std::atomic<bool> g_in_engine{false};   // only the engine's allocations count down
std::atomic<long> g_live{0};

// Out of line, so that an optimiser that inlines the replaced operators
// does not see a pointer from operator new reach free (GCC's
// -Wmismatched-new-delete): here malloc and free pair up.
[[gnu::noinline]] void* Allocate(std::size_t n) {
  if (g_in_engine.load(std::memory_order_relaxed) &&
      g_fail_countdown.load(std::memory_order_relaxed) > 0 && g_fail_countdown.fetch_sub(1) == 1) {
    return nullptr;
  }
  void* p = std::malloc(n == 0 ? 1 : n);
  if (p != nullptr) g_live.fetch_add(1, std::memory_order_relaxed);
  return p;
}

[[gnu::noinline]] void Release(void* p) {
  if (p == nullptr) return;
  g_live.fetch_sub(1, std::memory_order_relaxed);
  std::free(p);
}

}  // namespace

void* operator new(std::size_t n) {
  if (void* p = Allocate(n)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
  if (void* p = Allocate(n)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  return Allocate(n);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
  return Allocate(n);
}
void operator delete(void* p) noexcept {
  Release(p);
}
void operator delete[](void* p) noexcept {
  Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
  Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  Release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  Release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  Release(p);
}

namespace vv::engine::testing {
namespace {

struct Scenario {
  const char* name;
  std::function<void(TestClient&, Block&, const std::string&)> setup;
  std::function<int16_t(TestClient&, Block&, const std::string&)> op;
  int16_t ok = 0;
};

// The committed contents of a file as a fresh client sees them: every record
// by key 0, by key 1 and physically, and the record count.
std::string Snapshot(Engine& engine, const std::string& path) {
  TestClient c(&engine, "observer");
  Block pb{};
  if (const int16_t s = c.Open(&pb, path); s != 0) return "open " + std::to_string(s);
  std::string out;
  std::string r;
  for (const int key : {0, 1}) {
    int16_t s = c.Get(BTR_GET_FIRST, &pb, static_cast<int8_t>(key), "", &r);
    for (; s == 0; s = c.Get(BTR_GET_NEXT, &pb, static_cast<int8_t>(key), "", &r)) out += r;
    out += "|" + std::to_string(s) + "|";
  }
  int16_t s = c.Step(BTR_STEP_FIRST, &pb, &r);
  for (; s == 0; s = c.Step(BTR_STEP_NEXT, &pb, &r)) out += r;
  out += "|" + std::to_string(c.RecordCount(&pb));
  c.Close(&pb);
  return out;
}

void StandardSetup(TestClient& c, Block& pb, const std::string& path) {
  ASSERT_EQ(c.Create(path, TestTableBuffer()), 0);
  ASSERT_EQ(c.Open(&pb, path), 0);
  for (int i = 1; i <= 5; ++i) ASSERT_EQ(c.Insert(&pb, TestRecord(i, i % 2 ? "odd" : "even")), 0);
}

// Returns how many runs met a failed allocation.
int RunSweep(const Scenario& sc) {
  // Once without failures: the state after success, and the number of
  // allocations the operation makes.
  std::string before;
  std::string after;
  {
    TempDir dir;
    const std::string path = dir.File("t.btr");
    Engine engine(DefaultOptions());
    TestClient c(&engine, "c");
    Block pb{};
    sc.setup(c, pb, path);
    before = Snapshot(engine, path);
    EXPECT_EQ(sc.op(c, pb, path), sc.ok) << sc.name;
    after = Snapshot(engine, path);
  }
  int failures_hit = 0;
  for (long n = 1;; ++n) {
    TempDir dir;
    const std::string path = dir.File("t.btr");
    const long live_before = g_live.load();
    bool reached = false;
    {
      Engine engine(DefaultOptions());
      TestClient c(&engine, "c");
      Block pb{};
      sc.setup(c, pb, path);
      g_fail_countdown = n;
      const int16_t status = sc.op(c, pb, path);
      reached = g_fail_countdown.load() == 0;
      g_fail_countdown = 0;
      if (!reached) {
        EXPECT_EQ(status, sc.ok) << sc.name << " at allocation " << n;
        break;
      }
      ++failures_hit;
      EXPECT_TRUE(status == sc.ok || status == BTR_STATUS_OUT_OF_MEMORY)
          << sc.name << " at allocation " << n << ": status " << status;
      // Committed state: as before, or as after (an operation may fail
      // once it is durable, e.g. in a compaction or the trace).
      const std::string now = Snapshot(engine, path);
      EXPECT_TRUE(now == before || (status == sc.ok && now == after))
          << sc.name << " at allocation " << n << ": status " << status << "\nnow " << now
          << "\nbefore " << before;
      // The engine still works for the client.
      c.Simple(BTR_ABORT_TRANSACTION);
      Block pb2{};
      int16_t s = c.Open(&pb2, path);
      if (s == BTR_STATUS_FILE_NOT_FOUND) {  // a Create that failed
        EXPECT_EQ(c.Create(path, TestTableBuffer()), 0);
        s = c.Open(&pb2, path);
      }
      EXPECT_EQ(s, 0) << sc.name << " at allocation " << n;
      EXPECT_EQ(c.Insert(&pb2, TestRecord(100, "later")), 0) << sc.name << " at allocation " << n;
      EXPECT_EQ(c.Simple(BTR_RESET), 0);
      EXPECT_EQ(engine.open_file_count(), 0u) << sc.name << " at allocation " << n;
    }
    // The file as a fresh engine reads it matches memory.
    {
      Engine engine(DefaultOptions());
      TestClient c(&engine, "reader");
      Block pb{};
      EXPECT_EQ(c.Open(&pb, path), 0) << sc.name << " at allocation " << n;
      std::string r;
      EXPECT_EQ(c.GetById(&pb, 100, &r), 0) << sc.name << " at allocation " << n;
    }
    // (A failure above keeps its message alive; only a clean run is counted.)
    if (::testing::Test::HasFailure()) break;
    EXPECT_EQ(g_live.load(), live_before) << sc.name << " leaks at allocation " << n;
  }
  return failures_hit;
}

int16_t GetAndUpdate(TestClient& c, Block& pb, int id, const std::string& name, int8_t key) {
  std::string r;
  if (const int16_t s = c.GetById(&pb, id, &r); s != 0) return s;
  return c.Update(&pb, TestRecord(id, name), key);
}

const Scenario kScenarios[] = {
    {"insert", StandardSetup,
     [](TestClient& c, Block& pb, const std::string&) {
       return c.Insert(&pb, TestRecord(9, "new"), 1);
     }},
    {"update", StandardSetup,
     [](TestClient& c, Block& pb, const std::string&) {
       return GetAndUpdate(c, pb, 2, "changed", 1);
     }},
    {"delete", StandardSetup,
     [](TestClient& c, Block& pb, const std::string&) {
       std::string r;
       const int16_t s = c.GetById(&pb, 3, &r);
       return s != 0 ? s : c.Delete(&pb);
     }},
    {"locking read", StandardSetup,
     [](TestClient& c, Block& pb, const std::string&) {
       std::string r;
       return c.GetById(&pb, 4, &r, BTR_BIAS_MULTIPLE_NOWAIT);
     }},
    {"transaction", StandardSetup,
     [](TestClient& c, Block& pb, const std::string&) {
       int16_t s = c.Simple(BTR_BEGIN_CONCURRENT_TRANSACTION);
       if (s == 0) s = c.Insert(&pb, TestRecord(9, "txn"));
       if (s == 0) s = GetAndUpdate(c, pb, 1, "txn upd", 0);
       std::string r;
       if (s == 0) s = c.GetById(&pb, 5, &r);
       if (s == 0) s = c.Delete(&pb);
       if (s == 0) s = c.Simple(BTR_END_TRANSACTION);
       return s;
     }},
    {"abort", StandardSetup,
     [](TestClient& c, Block& pb, const std::string&) {
       int16_t s = c.Simple(BTR_BEGIN_TRANSACTION);
       if (s == 0) s = c.Insert(&pb, TestRecord(9, "txn"));
       if (s == 0) s = GetAndUpdate(c, pb, 1, "txn upd", 0);
       if (s == 0) s = c.Simple(BTR_ABORT_TRANSACTION);
       return s;
     }},
    {"open", StandardSetup,
     [](TestClient& c, Block&, const std::string& path) {
       Block other{};
       return c.Open(&other, path);
     }},
    {"reopen", StandardSetup,
     [](TestClient& c, Block& pb, const std::string& path) {
       c.Close(&pb);
       return c.Open(&pb, path);
     }},
    {"create", [](TestClient&, Block&, const std::string&) {},
     [](TestClient& c, Block&, const std::string& path) {
       return c.Create(path, TestTableBuffer());
     }},
    {"stat", StandardSetup,
     [](TestClient& c, Block& pb, const std::string&) {
       return c.RecordCount(&pb) == 5 ? int16_t{0} : int16_t{BTR_STATUS_OUT_OF_MEMORY};
     }},
    {"create index", StandardSetup,
     [](TestClient& c, Block& pb, const std::string&) {
       std::string spec =
           CreateBuffer(20, 1024, 0, {{{15, 2, BTR_KEY_DUPLICATES, BTR_TYPE_INTEGER}}})
               .substr(BTR_FILEDEF_SIZE);
       uint32_t len = static_cast<uint32_t>(spec.size());
       char key[256] = {};
       return c.Call(BTR_CREATE_INDEX, &pb, spec.data(), &len, key, 0);
     }},
    {"drop index", StandardSetup,
     [](TestClient& c, Block& pb, const std::string&) {
       uint32_t len = 0;
       char key[256] = {};
       return c.Call(BTR_DROP_INDEX, &pb, nullptr, &len, key, 1);
     }},
    {"set owner", StandardSetup,
     [](TestClient& c, Block& pb, const std::string&) {
       char name[] = "owner";
       char key[256] = "owner";
       uint32_t len = sizeof name;
       return c.Call(BTR_SET_OWNER, &pb, name, &len, key, 0);
     }},
    {"walk", StandardSetup,
     [](TestClient& c, Block& pb, const std::string&) {
       std::string r;
       int16_t s = c.Get(BTR_GET_FIRST, &pb, 1, "", &r);
       while (s == 0) s = c.Get(BTR_GET_NEXT, &pb, 1, "", &r);
       s = s == BTR_STATUS_END_OF_FILE ? c.Step(BTR_STEP_LAST, &pb, &r) : s;
       while (s == 0) s = c.Step(BTR_STEP_PREVIOUS, &pb, &r);
       return s == BTR_STATUS_END_OF_FILE ? int16_t{0} : s;
     }},
    {"reset", StandardSetup,
     [](TestClient& c, Block& pb, const std::string&) {
       int16_t s = c.Simple(BTR_BEGIN_TRANSACTION);
       if (s == 0) s = c.Insert(&pb, TestRecord(9, "txn"));
       return s != 0 ? s : c.Simple(BTR_RESET);
     }},
};

TEST(AllocFailureTest, EveryOperationSurvivesEveryFailedAllocation) {
  TestClient::call_hook = [](bool entering) { g_in_engine = entering; };
  int failures_hit = 0;
  for (const Scenario& sc : kScenarios) {
    SCOPED_TRACE(sc.name);
    failures_hit += RunSweep(sc);
    if (HasFailure()) break;
  }
  TestClient::call_hook = nullptr;
  EXPECT_GT(failures_hit, 100);
}

}  // namespace
}  // namespace vv::engine::testing
