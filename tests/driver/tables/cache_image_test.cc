// The structure cache reader on damaged images (a deterministic mutation
// fuzz, bounded in time): every change of a single byte and every
// truncation of a real image is refused, and images changed at random
// whose check word is made to match again never crash the reader or the
// buffers an open builds on what it accepts.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "driver/frame/errors.h"
#include "driver/frame/util/memory.h"
#include "support/cache_fuzz.h"
#include "tables/file_open_fixture.h"

namespace vv::testing {
namespace {

constexpr int kRandomRounds = 200000;
constexpr uint64_t kRandomMs = 3000;

class CacheImageTest : public FileOpenFixture {
 protected:
  // The cache image of a table with an overlap, a long-variable field, a
  // nullable field (its key has a null indicator segment) and keys of
  // several segments.
  std::string Image() {
    EXPECT_TRUE(dict_->AddTable(
        {"RICH",
         "RICH.BTR",
         {{"ID", BTR_TYPE_INTEGER, 4},
          {"NAME", BTR_TYPE_STRING, 12},
          {"WHOLE", BTR_TYPE_STRING, 16, 0, 0, false, 0},
          {"DAY", BTR_TYPE_DATE, 4, 0, 0, true},
          {"MEMO", BTR_TYPE_LONGVAR, 100}},
         {{{{"ID"}}}, {{{"NAME"}, {"ID", BTR_KEY_DESCENDING}}}, {{{"DAY"}}, BTR_KEY_DUPLICATES}}}))
        << dict_->error();
    WriteSettings("USE_CACHE 1\n");
    int32_t h = 0;
    EXPECT_EQ(Open("RICH", &h), 0) << TakeError();
    btrFileClose(h, 0);
    return platform::ReadFileToString(Path("RICH.CCH")).value_or("");
  }
  static int16_t Read(const std::string& image) {
    return CacheFuzzOne(reinterpret_cast<const uint8_t*>(image.data()), image.size());
  }
};

TEST_F(CacheImageTest, DamagedImagesAreRefusedAndNeverCrashTheReader) {
  const std::string good = Image();
  ASSERT_GT(good.size(), 600u);
  ASSERT_EQ(Read(good), 0);

  for (std::size_t at = 0; at < good.size(); ++at) {
    for (const int bit : {0x01, 0x80}) {
      std::string bytes = good;
      bytes[at] = static_cast<char>(bytes[at] ^ bit);
      const int16_t status = Read(bytes);
      ASSERT_TRUE(status == driver::kErrCacheRead || status == driver::kErrCacheHeader ||
                  status == driver::kErrCacheVersion)
          << "byte " << at << " ^ " << bit << ": " << status;
    }
  }
  for (std::size_t size = 0; size < good.size(); ++size) {
    ASSERT_EQ(Read(good.substr(0, size)), driver::kErrCacheRead) << "cut at " << size;
  }

  // Random changes behind a matching check: whatever happens, no crash, no
  // leak, and nothing but a refusal or a structure the open can use.
  std::mt19937 random(20240611);
  const uint64_t start = platform::MonotonicMs();
  const uint32_t words[] = {0, 1, 2, 0xFF, 0xFFFF, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 64000};
  int accepted = 0;
  for (int round = 0; round < kRandomRounds && platform::MonotonicMs() - start < kRandomMs;
       ++round) {
    std::string bytes = good;
    const int changes = 1 + static_cast<int>(random() % 4);
    for (int c = 0; c < changes; ++c) {
      const std::size_t at = random() % bytes.size();
      switch (random() % 4) {
        case 0:
          bytes[at] = static_cast<char>(random());
          break;
        case 1:
          bytes.resize(at);
          break;
        case 2:
          bytes.insert(at, 1 + random() % 8, static_cast<char>(random()));
          break;
        default: {
          const uint32_t word = words[random() % (sizeof words / sizeof words[0])];
          for (int i = 0; i < 4 && at + i < bytes.size(); ++i) {
            bytes[at + i] = static_cast<char>(word >> (8 * i));
          }
        }
      }
      if (bytes.empty()) break;
    }
    CacheCheckFix(&bytes);
    const int16_t status = Read(bytes);
    ASSERT_TRUE(status == 0 || status == driver::kErrCacheRead ||
                status == driver::kErrCacheHeader || status == driver::kErrCacheVersion)
        << "round " << round << ": " << status;
    accepted += status == 0 ? 1 : 0;
  }
  EXPECT_GT(accepted, 0) << "no changed image got past the check";
}

}  // namespace
}  // namespace vv::testing
