// The dictionary builder on the embedded engine: the files it creates, the
// table files and rows it writes, and definitions it refuses.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ddf/dictionary_builder.h"
#include "platform/platform.h"
#include "veverave/ddf_layout.h"
#include "veverave/engine.h"
#include "vvbutil/file_layout.h"

namespace vv::ddf {
namespace {

class DdfBuilderTest : public testing::Test {
 protected:
  void SetUp() override {
    const std::optional<std::string> dir = platform::MakeTempDirectory("vvddf_test");
    ASSERT_TRUE(dir.has_value());
    dir_ = *dir;
    std::string error;
    dict_ = DictionaryBuilder::Create(dir_, &error);
    ASSERT_TRUE(dict_) << error;
  }
  void TearDown() override {
    dict_.reset();
    uint32_t none = 0;
    BTRCALLID(BTR_RESET, nullptr, nullptr, &none, nullptr, 0, 0, client_);
    platform::RemoveTree(dir_);
  }

  // The key definitions of a file as Stat reports them.
  std::vector<butil::SegmentLayout> Keys(const std::string& name) {
    std::string path = dir_ + platform::kPathSeparator + name;
    uint8_t pos[BTR_POS_BLOCK_SIZE] = {};
    uint32_t length = 0;
    EXPECT_EQ(BTRCALLID(BTR_OPEN, pos, nullptr, &length, path.data(), 255, 0, client_), 0);
    std::vector<uint8_t> stat(4096);
    char key[BTR_MAX_KEY_SIZE] = {};
    length = static_cast<uint32_t>(stat.size());
    EXPECT_EQ(BTRCALLID(BTR_STAT, pos, stat.data(), &length, key, 255, -1, client_), 0);
    BTRCALLID(BTR_CLOSE, pos, nullptr, &length, nullptr, 0, 0, client_);
    butil::StatInfo info;
    std::string error;
    EXPECT_TRUE(butil::DecodeStat(stat.data(), length, &info, &error)) << error;
    return info.segments;
  }

  std::string dir_;
  std::unique_ptr<DictionaryBuilder> dict_;
  uint8_t client_[BTR_CLIENT_ID_SIZE] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'T', 'T'};
};

// "position:length:flags" per segment.
std::string Describe(const std::vector<butil::SegmentLayout>& segments) {
  std::string text;
  for (const butil::SegmentLayout& s : segments) {
    text += std::to_string(s.position) + ":" + std::to_string(s.length) + ":" +
            std::to_string(s.flags) + ":" + std::to_string(s.type) + " ";
  }
  return text;
}

TEST_F(DdfBuilderTest, DictionaryFilesHaveTheirLayoutKeys) {
  const uint16_t ext = BTR_KEY_EXTENDED_TYPE | BTR_KEY_MODIFIABLE;
  const uint16_t dup = ext | BTR_KEY_DUPLICATES;
  const uint16_t noCase = BTR_KEY_NO_CASE;
  auto seg = [](int position, int length, int flags, int type) {
    butil::SegmentLayout s;
    s.position = static_cast<uint16_t>(position);
    s.length = static_cast<uint16_t>(length);
    s.flags = static_cast<uint16_t>(flags);
    s.type = static_cast<uint8_t>(type);
    return s;
  };
  EXPECT_EQ(Describe(Keys("FILE.DDF")),
            Describe({seg(1, 2, ext, BTR_TYPE_UNSIGNED), seg(3, 20, ext | noCase, 0)}));
  EXPECT_EQ(Describe(Keys("FIELD.DDF")),
            Describe({seg(1, 2, ext, BTR_TYPE_UNSIGNED), seg(3, 2, dup, BTR_TYPE_UNSIGNED),
                      seg(5, 20, dup | noCase, 0),
                      seg(3, 2, ext | noCase | BTR_KEY_SEGMENTED, BTR_TYPE_UNSIGNED),
                      seg(5, 20, ext | noCase, 0)}));
  EXPECT_EQ(Describe(Keys("INDEX.DDF")),
            Describe({seg(1, 2, dup, BTR_TYPE_UNSIGNED), seg(3, 2, dup, BTR_TYPE_UNSIGNED)}));
}

TEST_F(DdfBuilderTest, TableRowsAndKeysMatch) {
  ASSERT_TRUE(dict_->AddFileRow({7, "FIRST", "FIRST.BTR", 0}));
  ASSERT_TRUE(dict_->AddFieldRow({40, 7, "X", BTR_TYPE_STRING, 0, 4}));
  ASSERT_TRUE(dict_->AddTable({"CUST",
                               "cust.btr",
                               {{"ID", BTR_TYPE_INTEGER, 4},
                                {"BORN", BTR_TYPE_DATE, 4, 0, 0, true},
                                {"NAME", BTR_TYPE_STRING, 10}},
                               {{{{"ID"}}}, {{{"BORN"}, {"NAME", BTR_KEY_DESCENDING}}, 1}}}))
      << dict_->error();

  std::vector<FileRow> files;
  std::vector<FieldRow> fields;
  std::vector<IndexRow> segments;
  ASSERT_TRUE(dict_->FileRows(&files) && dict_->FieldRows(&fields) && dict_->IndexRows(&segments));
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[1].id, 8);
  EXPECT_EQ(files[1].location, "cust.btr");
  EXPECT_EQ(files[1].flags, kDdfTableTrueNull);
  ASSERT_EQ(fields.size(), 4u);
  // Ids go on from the highest; BORN's null byte sits at offset 4.
  EXPECT_EQ(fields[1].id, 41);
  EXPECT_EQ(fields[2].offset, 5);
  EXPECT_EQ(fields[2].flags, kDdfFieldNullable);
  EXPECT_EQ(fields[3].offset, 9);
  ASSERT_EQ(segments.size(), 3u);
  EXPECT_EQ(segments[1].field, 42);
  EXPECT_EQ(segments[2].part, 1);
  EXPECT_EQ(segments[2].flags, DdfSegmentFlags(BTR_KEY_DUPLICATES | BTR_KEY_DESCENDING |
                                                       BTR_KEY_EXTENDED_TYPE));

  const uint16_t common = BTR_KEY_DUPLICATES | BTR_KEY_EXTENDED_TYPE;
  butil::SegmentLayout id, null, born, name;
  id = {1, 4, BTR_KEY_EXTENDED_TYPE, 0, BTR_TYPE_INTEGER};
  null = {5, 1, static_cast<uint16_t>(common | BTR_KEY_SEGMENTED), 0, BTR_TYPE_NULL_INDICATOR};
  born = {6, 4, static_cast<uint16_t>(common | BTR_KEY_SEGMENTED), 0, BTR_TYPE_DATE};
  name = {10, 10, static_cast<uint16_t>(common | BTR_KEY_DESCENDING), 0, BTR_TYPE_STRING};
  EXPECT_EQ(Describe(Keys("cust.btr")), Describe({id, null, born, name}));
}

TEST_F(DdfBuilderTest, RefusedDefinitionsWriteNothing) {
  const struct {
    const char* what;
    TableDef table;
  } cases[] = {
      {"segment on no field", {"T", "T.BTR", {{"A", BTR_TYPE_STRING, 4}}, {{{{"B"}}}}}},
      {"key on long variable data",
       {"T", "T.BTR", {{"A", BTR_TYPE_STRING, 4}, {"L", BTR_TYPE_LONGVAR, 8}}, {{{{"L"}}}}}},
      {"name longer than the dictionary holds",
       {"T", "T.BTR", {{std::string(21, 'N'), BTR_TYPE_STRING, 4}}, {}}},
      {"type beyond the Btrieve types", {"T", "T.BTR", {{"A", 22, 4}}, {}}},
      {"file that cannot be created", {"T", "T.BTR", {{"A", BTR_TYPE_STRING, 1}}, {}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(dict_->AddTable(c.table));
    EXPECT_FALSE(dict_->error().empty());
    std::vector<FileRow> files;
    std::vector<FieldRow> fields;
    ASSERT_TRUE(dict_->FileRows(&files) && dict_->FieldRows(&fields));
    EXPECT_TRUE(files.empty() && fields.empty());
  }
}

TEST_F(DdfBuilderTest, OpenReadsWhatWasWritten) {
  ASSERT_TRUE(dict_->AddIndexRow({3, 9, 1, 0, 0x11}));
  dict_.reset();
  std::string error;
  dict_ = DictionaryBuilder::Open(dir_, &error);
  ASSERT_TRUE(dict_) << error;
  std::vector<IndexRow> segments;
  ASSERT_TRUE(dict_->IndexRows(&segments));
  ASSERT_EQ(segments.size(), 1u);
  EXPECT_EQ(segments[0].field, 9);
  EXPECT_EQ(segments[0].flags, 0x11);
  EXPECT_FALSE(DictionaryBuilder::Open(dir_ + platform::kPathSeparator + "NONE", &error));
  EXPECT_NE(error.find("FILE.DDF open"), std::string::npos) << error;
}

}  // namespace
}  // namespace vv::ddf
