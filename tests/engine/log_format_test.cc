// The file format's building blocks: checksum, frames, header slots,
// change records and batches.
#include <gtest/gtest.h>

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
