// The file format's building blocks: checksum, frames, header slots,
// change records and batches.
#include <gtest/gtest.h>

#include "engine/batch_log.h"
#include "engine/byte_order.h"
#include "engine/crc32c.h"
#include "engine/file_definition.h"
#include "engine/log_format.h"
#include "veverave/btrieve.h"

namespace vv::engine {
namespace {

TEST(LogFormatTest, Crc32cMatchesTheStandardCheckValue) {
  EXPECT_EQ(Crc32c(0, "123456789", 9), 0xE3069283u);
  // Extending a checksum piecewise gives the checksum of the whole.
  EXPECT_EQ(Crc32c(Crc32c(0, "1234", 4), "56789", 5), 0xE3069283u);
  const std::string zeros(100, '\0');
  EXPECT_NE(Crc32c(0, zeros.data(), 100), Crc32c(0, zeros.data(), 99));
}

TEST(LogFormatTest, FramesRoundTripAndRejectDamage) {
  std::string log;
  AppendFrame(&log, RecordKind::kAddressMark, "\x05\x00\x00\x00", 4);
  uint8_t mark[kAddressMarkSize];
  EncodeAddressMark(5, mark);
  EXPECT_EQ(log, std::string(reinterpret_cast<char*>(mark), sizeof mark));

  std::size_t size = 0;
  RecordKind kind{};
  const uint8_t* payload = nullptr;
  std::size_t payload_size = 0;
  const auto* p = reinterpret_cast<const uint8_t*>(log.data());
  ASSERT_EQ(CheckFrame(p, log.size(), &size, &kind, &payload, &payload_size), FrameCheck::kOk);
  EXPECT_EQ(size, log.size());
  EXPECT_EQ(kind, RecordKind::kAddressMark);
  EXPECT_EQ(payload_size, 4u);
  EXPECT_EQ(CheckFrame(p, log.size() - 1, &size, &kind, &payload, &payload_size),
            FrameCheck::kIncomplete);
  EXPECT_EQ(size, log.size());
  EXPECT_EQ(CheckFrame(p, 3, &size, &kind, &payload, &payload_size), FrameCheck::kIncomplete);
  for (std::size_t i = 0; i < log.size(); ++i) {
    std::string bad = log;
    bad[i] ^= 0x40;
    EXPECT_NE(CheckFrame(reinterpret_cast<const uint8_t*>(bad.data()), bad.size(), &size, &kind,
                         &payload, &payload_size),
              FrameCheck::kOk)
        << "flip at " << i;
  }
}

TEST(LogFormatTest, HeaderTakesTheNewestValidSlot) {
  HeaderSlot first;
  first.sequence = 1;
  first.durable_length = 200;
  std::string header = EncodeHeader(first);
  ASSERT_EQ(header.size(), kHeaderSize);
  HeaderSlot second;
  second.sequence = 2;
  second.durable_length = 300;
  EncodeSlot(second, reinterpret_cast<uint8_t*>(header.data()) + kSlotOffset + kSlotSize);
  HeaderSlot got;
  int index = -1;
  ASSERT_EQ(DecodeHeader(reinterpret_cast<const uint8_t*>(header.data()), &got, &index),
            HeaderCheck::kOk);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(got.durable_length, 300u);
  // A torn write of the newer slot falls back to the older one.
  header[kSlotOffset + kSlotSize + 9] ^= 1;
  ASSERT_EQ(DecodeHeader(reinterpret_cast<const uint8_t*>(header.data()), &got, &index),
            HeaderCheck::kOk);
  EXPECT_EQ(got.durable_length, 200u);
  header[kSlotOffset + 9] ^= 1;
  EXPECT_EQ(DecodeHeader(reinterpret_cast<const uint8_t*>(header.data()), &got, &index),
            HeaderCheck::kDamaged);
  header[0] = 'X';
  EXPECT_EQ(DecodeHeader(reinterpret_cast<const uint8_t*>(header.data()), &got, &index),
            HeaderCheck::kNotOurs);
}

TEST(LogFormatTest, BatchMembersRoundTripAndMalformedBatchesAreRejected) {
  const std::string image = "record image";
  std::string batch;
  batch.append(4, '\0');
  batch[0] = 2;
  Change insert{RecordKind::kInsert, 7, 99, reinterpret_cast<const uint8_t*>(image.data()),
                image.size()};
  Change remove{RecordKind::kDelete, 3, 0, nullptr, 0};
  AppendBatchMember(&batch, insert);
  AppendBatchMember(&batch, remove);
  BatchReader reader(reinterpret_cast<const uint8_t*>(batch.data()), batch.size());
  Change c;
  ASSERT_TRUE(reader.Next(&c));
  EXPECT_EQ(c.kind, RecordKind::kInsert);
  EXPECT_EQ(c.address, 7u);
  EXPECT_EQ(c.stamp, 99u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(c.image), c.image_size), image);
  ASSERT_TRUE(reader.Next(&c));
  EXPECT_EQ(c.kind, RecordKind::kDelete);
  EXPECT_FALSE(reader.Next(&c));
  EXPECT_TRUE(reader.ok());
  // A count that does not match the members, and a member of unknown kind.
  std::string wrong = batch;
  wrong[0] = 3;
  BatchReader short_reader(reinterpret_cast<const uint8_t*>(wrong.data()), wrong.size());
  while (short_reader.Next(&c)) {
  }
  EXPECT_FALSE(short_reader.ok());
  wrong = batch;
  wrong[4] = 0x7F;
  BatchReader bad_kind(reinterpret_cast<const uint8_t*>(wrong.data()), wrong.size());
  EXPECT_FALSE(bad_kind.Next(&c));
  EXPECT_FALSE(bad_kind.ok());
}

TEST(LogFormatTest, BatchBuiltInPiecesIsTheSameFrameAsBuiltInOne) {
  // Images small and large, so that members start, end and span across the
  // pieces at every kind of place.
  std::vector<std::string> images;
  for (std::size_t size : {std::size_t{100}, std::size_t{1000}, std::size_t{3000},
                           std::size_t{2500000}, std::size_t{7}}) {
    for (int i = 0; i < 40; ++i) {
      std::string image(size + static_cast<std::size_t>(i), '\0');
      for (std::size_t j = 0; j < image.size(); ++j) image[j] = static_cast<char>(j * 7 + i);
      images.push_back(std::move(image));
      if (size > 1000000) break;
    }
  }
  BatchLog batch;
  std::string whole;
  const std::size_t start = BeginFrame(&whole, RecordKind::kBatch);
  PutU32(&whole, static_cast<uint32_t>(2 * images.size()));
  for (std::size_t i = 0; i < images.size(); ++i) {
    const Change update{RecordKind::kUpdate, static_cast<uint32_t>(i + 1), 1000 + i,
                        reinterpret_cast<const uint8_t*>(images[i].data()), images[i].size()};
    const Change remove{RecordKind::kDelete, static_cast<uint32_t>(i + 1), 0, nullptr, 0};
    for (const Change& c : {update, remove}) {
      batch.Add(c);
      AppendBatchMember(&whole, c);
    }
  }
  EndFrame(&whole, start);
  batch.Seal();
  EXPECT_EQ(batch.count(), 2 * images.size());
  EXPECT_GT(batch.piece_count(), 3u);
  std::string pieces;
  for (std::size_t i = 0; i < batch.piece_count(); ++i) {
    pieces.append(reinterpret_cast<const char*>(batch.piece(i)), batch.piece_size(i));
  }
  EXPECT_EQ(pieces.size(), batch.size());
  ASSERT_TRUE(pieces == whole);
  std::size_t size = 0;
  RecordKind kind{};
  const uint8_t* payload = nullptr;
  std::size_t payload_size = 0;
  ASSERT_EQ(CheckFrame(reinterpret_cast<const uint8_t*>(pieces.data()), pieces.size(), &size, &kind,
                       &payload, &payload_size),
            FrameCheck::kOk);
  EXPECT_EQ(kind, RecordKind::kBatch);
}

TEST(LogFormatTest, DefinitionRoundTripsAndRefusesWhatCreateWouldRefuse) {
  FileDefinition def;
  def.attrs = {20, 1024, BTR_FILE_VARIABLE, 0x90, "owner", 1};
  KeyDef key;
  key.number = 3;
  key.segments.push_back(
      {1, 4, BTR_KEY_EXTENDED_TYPE | BTR_KEY_DUPLICATES, BTR_TYPE_INTEGER, 0, 0});
  def.keys.push_back({9, key});
  def.next_address = 42;
  def.next_stamp = 77;
  const std::string bytes = EncodeDefinition(def);
  FileDefinition back;
  ASSERT_TRUE(
      DecodeDefinition(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &back));
  EXPECT_EQ(EncodeDefinition(back), bytes);
  EXPECT_EQ(back.keys[0].id, 9u);
  EXPECT_EQ(back.attrs.owner, "owner");
  EXPECT_FALSE(
      DecodeDefinition(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size() - 1, &back));
  def.keys[0].def.segments[0].position = 30;  // beyond the record
  const std::string bad = EncodeDefinition(def);
  EXPECT_FALSE(DecodeDefinition(reinterpret_cast<const uint8_t*>(bad.data()), bad.size(), &back));
}

}  // namespace
}  // namespace vv::engine
