// Runs the durability workload (durability_child.h) on a file until killed.
// Usage: engine_durability_child DATA_FILE ACK_FILE
#include <cstdio>
#include <string>

#include "engine/durability_child.h"
#include "engine/engine.h"
#include "engine/test_util.h"
#include "platform/platform.h"

using vv::engine::testing::Block;
using vv::engine::testing::TestClient;
using vv::engine::testing::TestRecord;

namespace {

int32_t CounterOf(const std::string& record) {
  return static_cast<int32_t>(static_cast<uint8_t>(record[14]) |
                              (static_cast<uint8_t>(record[15]) << 8) |
                              (static_cast<uint8_t>(record[16]) << 16) |
                              (static_cast<uint32_t>(static_cast<uint8_t>(record[17])) << 24));
}

std::string CounterRecord(int32_t k) {
  std::string r = TestRecord(0, "counter");
  for (int i = 0; i < 4; ++i) r[14 + i] = static_cast<char>(static_cast<uint32_t>(k) >> (8 * i));
  return r;
}

bool Acknowledge(vv::platform::File* ack, char kind, int32_t value) {
  char line[32];
  const int n = std::snprintf(line, sizeof line, "%c %ld\n", kind, static_cast<long>(value));
  return ack->Append(line, static_cast<std::size_t>(n));
}

int Fail(const char* what, int status) {
  std::fprintf(stderr, "durability child: %s failed with status %d\n", what, status);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 3;
  const std::string path = argv[1];
  auto ack = vv::platform::OpenFile(argv[2], vv::platform::OpenMode::kReadWriteCreate);
  if (!ack) return 3;
  vv::engine::Engine engine(vv::engine::DefaultOptions());
  TestClient c(&engine, "child");
  int16_t s = c.Create(path, vv::engine::testing::TestTableBuffer());
  if (s != 0 && s != BTR_STATUS_FILE_EXISTS) return Fail("create", s);
  Block pb{};
  if ((s = c.Open(&pb, path)) != 0) return Fail("open", s);
  std::string record;
  int32_t k = 0;
  if ((s = c.GetById(&pb, 0, &record)) == 0) {
    k = CounterOf(record);
  } else if (s != BTR_STATUS_KEY_NOT_FOUND || (s = c.Insert(&pb, CounterRecord(0))) != 0) {
    return Fail("counter", s);
  }
  for (;;) {
    const int32_t next = k + 1;
    if ((s = c.Simple(BTR_BEGIN_TRANSACTION)) != 0) return Fail("begin", s);
    if ((s = c.GetById(&pb, 0, &record)) != 0 || (s = c.Update(&pb, CounterRecord(next))) != 0) {
      return Fail("counter update", s);
    }
    if ((s = c.Insert(&pb, TestRecord(next, "txn"))) != 0) return Fail("insert", s);
    if (next > 1) {
      if ((s = c.GetById(&pb, next - 1, &record)) != 0 ||
          (s = c.Update(&pb, TestRecord(next - 1, "upd"))) != 0) {
        return Fail("rename", s);
      }
    }
    if (next > vv::engine::testing::kKeepRecords) {
      if ((s = c.GetById(&pb, next - vv::engine::testing::kKeepRecords, &record)) != 0 ||
          (s = c.Delete(&pb)) != 0) {
        return Fail("delete", s);
      }
    }
    if ((s = c.Simple(BTR_END_TRANSACTION)) != 0) return Fail("end", s);
    if (!Acknowledge(ack.get(), 'T', next)) return 4;
    const int32_t loose = vv::engine::testing::kNonTxnBase + next;
    if ((s = c.Insert(&pb, TestRecord(loose, "loose"))) != 0) return Fail("loose insert", s);
    if (!Acknowledge(ack.get(), 'N', loose)) return 4;
    k = next;
  }
}
