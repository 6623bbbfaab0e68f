#include "vvbutil/file_layout.h"

#include <gtest/gtest.h>

#include <cstring>

#include "veverave/btrieve.h"

namespace vv::butil {
namespace {

TEST(FileLayout, CreateBufferBytes) {
  FileLayout f;
  f.record_length = 0x0178;
  f.page_size = 4096;
  f.key_count = 2;
  f.flags = BTR_FILE_VARIABLE | BTR_FILE_PREALLOCATION;
  f.preallocation = 0x0102;
  SegmentLayout s;
  s.position = 5;
  s.length = 30;
  s.flags = BTR_KEY_EXTENDED_TYPE | BTR_KEY_ACS;
  s.type = BTR_TYPE_ZSTRING;
  s.null_value = 0x20;
  s.acs_number = 1;
  AcsBlock acs{};
  acs[0] = BTR_ACS_SIGNATURE;
  const std::string b = EncodeCreate(f, {s, s}, {acs});
  ASSERT_EQ(b.size(), std::size_t{BTR_FILEDEF_SIZE + 2 * BTR_KEYDEF_SIZE + BTR_ACS_SIZE});
  const std::string expected_file(
      "\x78\x01\x00\x10\x02\x00\x00\x00\x00\x00\x05\x00\x00\x00\x02\x01", 16);
  EXPECT_EQ(b.substr(0, 16), expected_file);
  const std::string expected_key("\x05\x00\x1e\x00\x20\x01\x00\x00\x00\x00\x0b\x20\x00\x00\x00\x01",
                                 16);
  EXPECT_EQ(b.substr(16, 16), expected_key);
  EXPECT_EQ(static_cast<uint8_t>(b[48]), BTR_ACS_SIGNATURE);
  EXPECT_EQ(EncodeIndex({s}, {}), expected_key);
}

TEST(FileLayout, StatBufferDecodes) {
  std::string b(16, '\0');
  b[BTR_FILEDEF_RECORD_LENGTH] = 100;
  b[BTR_FILEDEF_KEY_COUNT] = 2;
  b[BTR_FILEDEF_FILE_VERSION] = static_cast<char>(0x90);
  b[BTR_FILEDEF_RECORD_COUNT] = 3;
  b[BTR_FILEDEF_RECORD_COUNT + 2] = 1;  // 65539 records
  auto layout = [](uint16_t flags, uint8_t key_number, uint8_t unique) {
    std::string s(16, '\0');
    s[BTR_KEYDEF_FLAGS] = static_cast<char>(flags & 0xff);
    s[BTR_KEYDEF_FLAGS + 1] = static_cast<char>(flags >> 8);
    s[BTR_KEYDEF_UNIQUE_COUNT] = static_cast<char>(unique);
    s[BTR_KEYDEF_KEY_NUMBER] = static_cast<char>(key_number);
    return s;
  };
  b += layout(BTR_KEY_SEGMENTED, 0, 7) + layout(0, 0, 7) + layout(BTR_KEY_DUPLICATES, 3, 2);
  std::string acs(BTR_ACS_SIZE, '\0');
  acs[0] = static_cast<char>(BTR_ACS_SIGNATURE);
  std::memcpy(acs.data() + 1, "UPPER\0\0\0", 8);
  b += acs + "xyz";  // a trailing piece shorter than a block is no block

  StatInfo info;
  std::string error;
  ASSERT_TRUE(DecodeStat(reinterpret_cast<const uint8_t*>(b.data()), b.size(), &info, &error));
  EXPECT_EQ(info.file.record_length, 100);
  EXPECT_EQ(info.file.file_version, 0x90);
  EXPECT_EQ(info.file.record_count, 65539u);
  ASSERT_EQ(info.segments.size(), 3u);
  EXPECT_EQ(info.segments[1].unique_count, 7u);
  EXPECT_EQ(info.segments[2].key_number, 3);
  ASSERT_EQ(info.acs.size(), 1u);
  EXPECT_EQ(AcsName(info.acs[0]), "UPPER");

  // Two keys announced, the second one's layout missing.
  ASSERT_FALSE(DecodeStat(reinterpret_cast<const uint8_t*>(b.data()), 16 + 32 + 8, &info, &error));
  EXPECT_NE(error.find("key 1"), std::string::npos) << error;
  EXPECT_FALSE(DecodeStat(reinterpret_cast<const uint8_t*>(b.data()), 10, &info, &error));
}

}  // namespace
}  // namespace vv::butil
