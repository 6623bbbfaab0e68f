// The structure cache through btrFileOpen: the bytes written for a known
// table, opens that take the structure from the cache without reading the
// dictionary, staleness, damaged and unwritable cache files, where cache
// files go, deleting one, and allocation failures of opens with the cache.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "driver/fields/le_bytes.h"
#include "driver/frame/errors.h"
#include "driver/frame/util/memory.h"
#include "driver/tables/cache_file.h"
#include "driver/tables/cache_image.h"
#include "tables/file_open_fixture.h"

namespace vv::testing {
namespace {

using driver::OpenFile;
namespace fs = std::filesystem;

constexpr std::size_t kRecordImage = 40;  // after the header
constexpr std::size_t kStrings = 428;     // after the record image
constexpr std::size_t kFieldImage = 92;
constexpr std::size_t kIndexImage = 28;
constexpr std::size_t kSegmentImage = 24;

uint32_t Word(const std::string& bytes, std::size_t at) {
  return driver::LoadLe32(reinterpret_cast<const uint8_t*>(bytes.data()) + at);
}

// The string item at *at ("<null>" for length 0); *at moves past it.
std::string Item(const std::string& bytes, std::size_t* at) {
  const uint32_t length = Word(bytes, *at);
  *at += 4;
  if (length == 0) return "<null>";
  std::string text = bytes.substr(*at, length);
  *at += length;
  EXPECT_EQ(text.back(), '\0');
  text.pop_back();
  return text;
}

class CacheFileTest : public FileOpenFixture {
 protected:
  void SetUp() override {
    FileOpenFixture::SetUp();
    AddCust();
  }
  void CacheOn(const std::string& more = "") {
    WriteSettings("USE_CACHE 1\nAUTO_LOGOUT 0\n" + more);
  }
  void Age(const std::string& name, int seconds) {
    fs::last_write_time(Path(name),
                        fs::last_write_time(Path(name)) - std::chrono::seconds(seconds));
  }
  // Dictionary files an hour old, so that a cache written now is newer even
  // where the file system's clock is coarse.
  void AgeDictionary() {
    for (const char* name : {"FILE.DDF", "FIELD.DDF", "INDEX.DDF"}) Age(name, 3600);
  }
  std::string Cache() { return platform::ReadFileToString(Path("CUST.CCH")).value_or(""); }
  // The cache image of a record from its strings on: every field, index
  // and segment.
  static std::string Descriptors(const OpenFile* file) {
    std::string image(driver::mvbtrCacheImageSize(file), '\0');
    driver::mvbtrCacheImageEncode(file, reinterpret_cast<uint8_t*>(image.data()));
    return image.substr(kStrings);
  }
  // Opens and closes CUST; true when its structure came from the cache.
  bool OpenedFromCache() {
    int32_t h = 0;
    EXPECT_EQ(Open("CUST", &h), 0) << TakeError();
    EXPECT_EQ(host_.error(), 0) << "a cache problem was left pending";
    const bool fromCache = File(h) != nullptr && File(h)->bFromCache != 0;
    btrFileClose(h, 0);
    return fromCache;
  }
};

TEST_F(CacheFileTest, WritesTheLayoutOfAKnownTable) {
  CacheOn();
  int32_t h = 0;
  ASSERT_EQ(Open("CUST", &h), 0) << TakeError();
  EXPECT_EQ(std::string(File(h)->lpszCacheFile), Path("CUST.CCH"));
  const std::string bytes = Cache();
  ASSERT_GT(bytes.size(), kStrings);

  EXPECT_EQ(bytes.substr(0, 40),
            std::string("VEVERAVE Morvanta Driver Cache\0\x1A\xE9\0\0\0    ", 40));
  // Record image: nFields, lpFields (a pointer slot), nIndexes, nRecLen.
  EXPECT_EQ(
      std::vector<uint32_t>({Word(bytes, kRecordImage + 208), Word(bytes, kRecordImage + 212),
                             Word(bytes, kRecordImage + 248), Word(bytes, kRecordImage + 284)}),
      std::vector<uint32_t>({3, 0, 2, 34}));
  std::size_t at = kStrings;
  for (const std::string& text : {std::string("CUST"), std::string("CUST.BTR"),
                                  std::string("<null>"), Path("CUST.BTR"), std::string("<null>")}) {
    EXPECT_EQ(Item(bytes, &at), text);
  }
  // NAME: nNumber, nBtrType, nOffset, nSize.
  const std::size_t field2 = at + 2 * kFieldImage;
  EXPECT_EQ(std::vector<uint32_t>({Word(bytes, field2), Word(bytes, field2 + 12),
                                   Word(bytes, field2 + 16), Word(bytes, field2 + 20)}),
            std::vector<uint32_t>({2, BTR_TYPE_STRING, 4, 20}));
  at += 4 * kFieldImage;
  for (const char* name : {"<null>", "ID", "NAME", "CITY"}) EXPECT_EQ(Item(bytes, &at), name);

  // Index 2 on CITY: two segments with the record number appended, 14 bytes.
  const std::size_t indexes = at;
  EXPECT_EQ(Word(bytes, indexes + 2 * kIndexImage + 4), 2u);
  EXPECT_EQ(Word(bytes, indexes + 2 * kIndexImage + 8), 14u);
  EXPECT_EQ(bytes[indexes + 2 * kIndexImage + 12], 1);
  at += 3 * kIndexImage;
  std::vector<std::vector<uint32_t>> segmentFields(3);
  for (int i = 0; i <= 2; ++i) {
    const uint32_t segments = Word(bytes, indexes + i * kIndexImage + 4);
    if (segments == 0) continue;
    at += (segments + 1) * kSegmentImage;
    for (uint32_t s = 1; s <= segments; ++s, at += 4) segmentFields[i].push_back(Word(bytes, at));
  }
  EXPECT_EQ(segmentFields[1], std::vector<uint32_t>{1});
  EXPECT_EQ(segmentFields[2], (std::vector<uint32_t>{3, 0}));
  EXPECT_EQ(at, bytes.size());
}

TEST_F(CacheFileTest, AValidCacheOpensWithoutReadingTheDictionary) {
  CacheOn();
  int32_t built = 0;
  ASSERT_EQ(Open("CUST", &built), 0) << TakeError();
  AgeDictionary();
  TapCalls().clear();
  int32_t h = 0;
  ASSERT_EQ(Open("CUST", &h), 0) << TakeError();
  const OpenFile* a = File(built);
  const OpenFile* b = File(h);
  ASSERT_EQ(b->bFromCache, 1);

  // The table's own Open and Stat are all that reach Btrieve.
  std::vector<std::pair<uint16_t, const void*>> calls;
  for (const TapCall& call : TapCalls()) calls.emplace_back(call.op, call.posBlock);
  EXPECT_EQ(calls, (std::vector<std::pair<uint16_t, const void*>>{{BTR_OPEN, b->PosBlock},
                                                                  {BTR_STAT, b->PosBlock}}));

  // The structure the long way built, with what belongs to one open reset.
  EXPECT_EQ(Descriptors(b), Descriptors(a));
  EXPECT_EQ(b->nDdfFileId, 0);
  EXPECT_EQ(b->bTrueNull, 0);
  EXPECT_EQ(b->nRecnumMethod, globals()->nRecnumMethod);
  ASSERT_EQ(Insert(built, {{1, "7"}, {2, "Ada"}, {3, "Oslo"}}), 0) << TakeError();
  btrFileClear(h);
  btrFieldPutString(h, 3, "Oslo", 0, 0, 0);
  ASSERT_EQ(btrRecordFind(h, 2, 2), 0) << TakeError();
  EXPECT_EQ(Get(h, 2), "Ada");
}

TEST_F(CacheFileTest, ACacheOfMoreThanTheReadBufferIsReadFromTheFile) {
  ddf::TableDef wide{"WIDE", "WIDE.BTR", {}, {{{{"F1"}}}}};
  for (int i = 1; i <= 800; ++i)
    wide.fields.push_back({"F" + std::to_string(i), BTR_TYPE_INTEGER, 2});
  ASSERT_TRUE(dict_->AddTable(wide)) << dict_->error();
  CacheOn();
  AgeDictionary();
  int32_t h = 0;
  ASSERT_EQ(Open("WIDE", &h), 0) << TakeError();
  std::string bytes = platform::ReadFileToString(Path("WIDE.CCH")).value_or("");
  ASSERT_GT(bytes.size(), 65536u);
  int32_t h2 = 0;
  ASSERT_EQ(Open("WIDE", &h2), 0) << TakeError();
  EXPECT_EQ(File(h2)->bFromCache, 1);
  EXPECT_STREQ(File(h2)->lpFields[800].lpszName, "F800");
  EXPECT_EQ(File(h2)->lpFields[800].nOffset, 1598);
  EXPECT_EQ(globals()->lpCacheBuf, nullptr) << "the read buffer is dropped";
  // Damaged near its end, it is refused and written again.
  bytes[bytes.size() - 100] ^= 1;
  WriteFile("WIDE.CCH", bytes);
  int32_t h3 = 0;
  ASSERT_EQ(Open("WIDE", &h3), 0) << TakeError();
  EXPECT_EQ(File(h3)->bFromCache, 0);
  EXPECT_EQ(host_.error(), 0);
}

TEST_F(CacheFileTest, ANewerDictionaryFileOrIntFileMakesTheCacheStale) {
  // Each open logs in anew (AUTO_LOGOUT), taking the dictionary's time.
  WriteSettings("USE_CACHE 1\n");
  WriteFile("CUST.INT", "DRIVER_NAME VEVERAVE\n");
  AgeDictionary();
  Age("CUST.INT", 3600);
  ASSERT_FALSE(OpenedFromCache());
  for (const char* name : {"FILE.DDF", "FIELD.DDF", "INDEX.DDF", "CUST.INT"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(OpenedFromCache());
    // Changed at the very time the cache was written: not older, so stale.
    fs::last_write_time(Path(name), fs::last_write_time(Path("CUST.CCH")));
    EXPECT_FALSE(OpenedFromCache());
    // The open wrote the cache afresh.
    Age(name, 3600);
  }
  ASSERT_TRUE(OpenedFromCache());
  // Without USE_CACHE_EXPIRATION the cache is taken as it is.
  globals()->bCacheExpiration = 0;
  fs::last_write_time(Path("FILE.DDF"), fs::file_time_type::clock::now() + std::chrono::hours(1));
  EXPECT_TRUE(OpenedFromCache());
}

TEST_F(CacheFileTest, DamagedCachesAreRebuilt) {
  CacheOn();
  AgeDictionary();
  ASSERT_FALSE(OpenedFromCache());
  const std::string good = Cache();
  ASSERT_TRUE(OpenedFromCache());
  const auto changed = [&](std::size_t at, char byte) {
    std::string bytes = good;
    bytes[at] = byte;
    return bytes;
  };
  const std::pair<const char*, std::string> cases[] = {
      {"empty", ""},
      {"cut short", good.substr(0, good.size() - 1)},
      {"a byte too many", good + '\0'},
      {"header text", changed(3, 'x')},
      {"format version 232", changed(32, '\xE8')},
      {"table name", changed(kStrings + 4, 'D')},
      {"check word", changed(44, static_cast<char>(good[44] ^ 1))},
  };
  for (const auto& [what, bytes] : cases) {
    SCOPED_TRACE(what);
    WriteFile("CUST.CCH", bytes);
    EXPECT_FALSE(OpenedFromCache());
    EXPECT_TRUE(OpenedFromCache()) << "written afresh";
  }

  // Every byte and every length is tried on the reader alone
  // (cache_image_test); here the open's side of it.
  // REPORT_CACHE_ERRORS makes a damaged cache fail the open; a cache of
  // another format version is replaced all the same.
  globals()->bReportCacheErrors = 1;
  WriteFile("CUST.CCH", changed(kStrings + 4, 'D'));
  EXPECT_EQ(OpenFails("CUST"), "20540 " + Path("CUST.CCH"));
  WriteFile("CUST.CCH", changed(32, '\xE8'));
  EXPECT_FALSE(OpenedFromCache());
  EXPECT_TRUE(OpenedFromCache());
}

TEST_F(CacheFileTest, ACacheThatCannotBeWrittenOnlyCostsTime) {
  const std::string missing = Path("missing") + "\\";
  CacheOn("CACHE_PATH " + Path("missing") + "\n");
  EXPECT_FALSE(OpenedFromCache());
  EXPECT_FALSE(OpenedFromCache());
  globals()->bReportCacheErrors = 1;
  EXPECT_EQ(OpenFails("CUST"), "20538 " + missing + "CUST.CCH");

  // A Btrieve file named after a vertical bar is never cached.
  driver::mvbtrMemFree(&globals()->lpszCacheDir);
  int32_t h = 0;
  ASSERT_EQ(Open("CUST|CUST.BTR", &h), 0) << TakeError();
  EXPECT_FALSE(platform::FileExists(Path("CUST.CCH")));
}

TEST_F(CacheFileTest, WhereCacheFilesGo) {
  ASSERT_EQ(Initialise(), 1);
  Login();
  const char sep = platform::kPathSeparator;
  const std::string ddfDir = dir() + sep;
  struct Case {
    const char* cachePath;
    std::string openName;
    std::string path;
  };
  const Case cases[] = {
      {nullptr, "CUST", ddfDir + "CUST.CCH"},
      {nullptr, "W*?<>.DAT", ddfDir + "W____.CCH"},
      {nullptr, Path("sub") + sep + "ORD.DAT", Path("sub") + sep + "ORD.CCH"},
      {"C:\\CACHE\\", Path("sub") + sep + "ORD", "C:\\CACHE\\ORD.CCH"},
      {"ddf:cache\\", "CUST", ddfDir + "CACHE\\CUST.CCH"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.openName);
    driver::mvbtrStrNewCpy(&globals()->lpszCacheDir, c.cachePath);
    char path[platform::kMaxPath + 1];
    ASSERT_TRUE(driver::mvbtrCachePathMake(c.openName.c_str(), path, sizeof path));
    EXPECT_EQ(std::string(path), c.path);
  }
}

TEST_F(CacheFileTest, DeletingTheCacheFileOfAnOpenTable) {
  CacheOn();
  AgeDictionary();
  int32_t h = 0;
  ASSERT_EQ(Open("CUST", &h), 0) << TakeError();
  EXPECT_EQ(driver::mvbtrCacheFileDelete(File(h)), 0);
  EXPECT_FALSE(platform::FileExists(Path("CUST.CCH")));
  EXPECT_EQ(driver::mvbtrCacheFileDelete(File(h)), driver::kErrFileNotFound);
  EXPECT_EQ(TakeError(), "20519 " + Path("CUST.CCH"));
  EXPECT_FALSE(OpenedFromCache());
  EXPECT_TRUE(OpenedFromCache());
}

TEST_F(CacheFileTest, OutOfMemoryWithTheCacheLeavesNothingBehind) {
  CacheOn();
  AgeDictionary();
  ASSERT_FALSE(OpenedFromCache());
  ASSERT_TRUE(OpenedFromCache());
  for (const bool cached : {true, false}) {
    SCOPED_TRACE(cached ? "reading the cache" : "writing the cache");
    bool failed = true;
    for (long n = 1; failed; ++n) {
      SCOPED_TRACE(n);
      if (!cached) platform::DeleteFile(Path("CUST.CCH"));
      const long live = driver::AllocLive();
      driver::AllocFailureSet(n);
      int32_t h = 0;
      const int16_t status = Open("CUST", &h);
      failed = driver::AllocFailureSet(0) >= n;
      if (!failed) {
        ASSERT_EQ(status, 0) << TakeError();
        EXPECT_EQ(File(h)->bFromCache, cached ? 1 : 0);
        btrFileClose(h, 0);
        break;
      }
      EXPECT_EQ(FailedOpen(h, status, 0).substr(0, 3), "10 ");
      EXPECT_EQ(driver::AllocLive(), live);
      EXPECT_TRUE(FileIsFree(Path("CUST.BTR")));
    }
  }
}

}  // namespace
}  // namespace vv::testing
