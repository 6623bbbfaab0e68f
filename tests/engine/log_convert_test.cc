// A file of the earlier format (one log of records) is converted at its
// first open: records keep their addresses, equal keys their order, the
// next insert an address never used before; a torn last record is dropped
// as before, damage below the durable mark answers 2.
#include <gtest/gtest.h>

#include "engine/byte_order.h"
#include "engine/file_definition.h"
#include "engine/log_format.h"
#include "engine/test_util.h"
#include "platform/platform.h"

namespace vv::engine::testing {
namespace {

std::string Snapshot(uint32_t address, uint64_t stamp0, uint64_t stamp1, int32_t id,
                     const std::string& name) {
  std::string p;
  PutU32(&p, address);
  PutU16(&p, 2);
  PutU64(&p, stamp0);
  PutU64(&p, stamp1);
  p += TestRecord(id, name);
  std::string frame;
  AppendFrame(&frame, RecordKind::kSnapshot, p.data(), p.size());
  return frame;
}

// Ids with their addresses along key 1.
std::string ByName(const std::string& path, int32_t new_id, int16_t* status) {
  Engine engine(DefaultOptions());
  TestClient c(&engine, "reader");
  Block pb{};
  if ((*status = c.Open(&pb, path)) != 0) return "";
  std::string out;
  std::string r;
  for (int16_t s = c.Get(BTR_GET_FIRST, &pb, 1, "", &r); s == 0;
       s = c.Get(BTR_GET_NEXT, &pb, 1, "", &r)) {
    uint32_t address = 0;
    c.GetPosition(&pb, &address);
    out += std::to_string(RecordId(r)) + "@" + std::to_string(address) + " ";
  }
  EXPECT_EQ(c.Insert(&pb, TestRecord(new_id, "new")), 0);
  uint32_t address = 0;
  c.GetPosition(&pb, &address);
  out += "next@" + std::to_string(address);
  return out;
}

TEST(LogConvertTest, OldLogBecomesAPagedFileWithEverythingKept) {
  const std::string buffer = TestTableBuffer();
  FileDefinition def;
  ASSERT_EQ(
      ParseCreateBuffer(reinterpret_cast<const uint8_t*>(buffer.data()), buffer.size(), 0x90, &def), 0);
  def.next_stamp = 30;
  const std::string payload = EncodeDefinition(def);
  std::string log;
  AppendFrame(&log, RecordKind::kDefinition, payload.data(), payload.size());
  // Compacted records: "x" at 3 sorts before "x" at 1 (stamp 5 < 12).
  log += Snapshot(1, 10, 12, 1, "x") + Snapshot(2, 11, 11, 2, "y") + Snapshot(3, 13, 5, 3, "x");
  std::string insert;
  PutU32(&insert, 4);
  PutU64(&insert, 30);
  insert += TestRecord(4, "x");
  AppendFrame(&log, RecordKind::kInsert, insert.data(), insert.size());
  // A transaction: 2 renamed to "x" (joins the end), 1 deleted.
  std::string batch;
  PutU32(&batch, 2);
  const std::string renamed = TestRecord(2, "x");
  AppendBatchMember(
      &batch, Change{RecordKind::kUpdate, 2, 31, reinterpret_cast<const uint8_t*>(renamed.data()),
                     renamed.size()});
  AppendBatchMember(&batch, Change{RecordKind::kDelete, 1, 0, nullptr, 0});
  AppendFrame(&log, RecordKind::kBatch, batch.data(), batch.size());
  uint8_t mark[kAddressMarkSize];
  EncodeAddressMark(9, mark);
  log.append(reinterpret_cast<const char*>(mark), sizeof mark);
  HeaderSlot slot;
  slot.sequence = 1;
  slot.durable_length = kHeaderSize + log.size();
  const std::string file = EncodeHeader(slot) + log;

  TempDir dir;
  const std::string path = dir.File("old.btr");
  int16_t status = 0;
  // A torn record after the durable mark is dropped.
  ASSERT_TRUE(platform::WriteStringToFile(path, file + insert.substr(0, 7)));
  EXPECT_EQ(ByName(path, 98, &status), "3@3 4@4 2@2 next@9");
  EXPECT_EQ(status, 0);
  // Converted once: the next open reads the paged file.
  EXPECT_EQ(ByName(path, 99, &status), "98@9 3@3 4@4 2@2 next@10");
  // Damage below the durable mark: 2, and the file stays as it was.
  std::string damaged = file;
  damaged[kHeaderSize + payload.size() + 40] ^= 0x04;
  ASSERT_TRUE(platform::WriteStringToFile(path, damaged));
  ByName(path, 97, &status);
  EXPECT_EQ(status, BTR_STATUS_IO_ERROR);
  EXPECT_EQ(platform::ReadFileToString(path).value(), damaged);
}

}  // namespace
}  // namespace vv::engine::testing
