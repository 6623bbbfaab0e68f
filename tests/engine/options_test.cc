// Options: parsing, the environment, vvEngineSetOption and the call trace.
#include <gtest/gtest.h>

#include "engine/options.h"
#include "engine/test_util.h"
#include "platform/platform.h"
#include "veverave/engine.h"

namespace vv::engine::testing {
namespace {

TEST(OptionsTest, VersionBlocksParse) {
  std::vector<VersionBlock> blocks;
  ASSERT_TRUE(ParseVersionBlocks("9.50T,13.0L", &blocks));
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].version, 9);
  EXPECT_EQ(blocks[0].revision, 50);
  EXPECT_EQ(blocks[0].platform, 'T');
  EXPECT_EQ(blocks[1].version, 13);
  EXPECT_EQ(blocks[1].revision, 0);
  for (const char* bad : {"", "9", "9.50", ".5N", "9.N", "9.50T,", "9.5x0N", "70000.0N", "9.0 "}) {
    EXPECT_FALSE(ParseVersionBlocks(bad, &blocks)) << bad;
  }
}

TEST(OptionsTest, SetOptionRefusesUnknownNamesAndBadValues) {
  Options o = DefaultOptions();
  EXPECT_TRUE(SetOption(&o, VVENGINE_OPTION_CREATE_VERSION, "0x60"));
  EXPECT_EQ(o.create_version, 0x60);
  EXPECT_TRUE(SetOption(&o, VVENGINE_OPTION_CREATE_VERSION, "112"));
  EXPECT_EQ(o.create_version, 0x70);
  EXPECT_FALSE(SetOption(&o, VVENGINE_OPTION_CREATE_VERSION, "0x160"));
  EXPECT_FALSE(SetOption(&o, VVENGINE_OPTION_CREATE_VERSION, "six"));
  EXPECT_EQ(o.create_version, 0x70);
  EXPECT_TRUE(SetOption(&o, VVENGINE_OPTION_CREATE_VERSION, nullptr));
  EXPECT_EQ(o.create_version, DefaultOptions().create_version);
  EXPECT_FALSE(SetOption(&o, "VVENGINE_TRACES", "x"));
  EXPECT_FALSE(SetOption(&o, "vvengine_trace", "x"));
}

TEST(OptionsTest, EnvironmentIsReadAndBadValuesIgnored) {
  ASSERT_TRUE(platform::SetEnv(VVENGINE_OPTION_VERSION, "6.15W"));
  ASSERT_TRUE(platform::SetEnv(VVENGINE_OPTION_CREATE_VERSION, "nonsense"));
  const Options o = OptionsFromEnvironment();
  platform::UnsetEnv(VVENGINE_OPTION_VERSION);
  platform::UnsetEnv(VVENGINE_OPTION_CREATE_VERSION);
  ASSERT_EQ(o.version.size(), 1u);
  EXPECT_EQ(o.version[0].version, 6);
  EXPECT_EQ(o.version[0].platform, 'W');
  EXPECT_EQ(o.create_version, DefaultOptions().create_version);
}

TEST(OptionsTest, TraceWritesOneLinePerCall) {
  TempDir dir;
  const std::string trace = dir.File("trace.txt");
  Engine engine(DefaultOptions());
  ASSERT_TRUE(engine.SetOption(VVENGINE_OPTION_TRACE, trace.c_str()));
  TestClient c(&engine, "AB");
  Block pb{};
  EXPECT_EQ(c.Open(&pb, dir.File("missing.btr")), BTR_STATUS_FILE_NOT_FOUND);
  uint8_t data[15];
  uint32_t len = sizeof data;
  EXPECT_EQ(engine.Call(BTR_VERSION, nullptr, data, &len, nullptr, 0, 0, nullptr), 0);
  ASSERT_TRUE(engine.SetOption(VVENGINE_OPTION_TRACE, ""));
  EXPECT_EQ(engine.Call(BTR_VERSION, nullptr, data, &len, nullptr, 0, 0, nullptr), 0);
  const std::string text = platform::ReadFileToString(trace).value_or("");
  EXPECT_EQ(text,
            "client=41420000000000000000000000000000 op=0 key=0 len=0/0 status=12\n"
            "client=default op=26 key=0 len=15/10 status=0\n");
}

TEST(OptionsTest, ExportedSetterAnswersLikeTheEngine) {
  EXPECT_EQ(vvEngineSetOption("VVENGINE_NOT_AN_OPTION", "1"), -1);
  EXPECT_EQ(vvEngineSetOption(nullptr, "1"), -1);
  EXPECT_EQ(vvEngineSetOption(VVENGINE_OPTION_VERSION, "8.0N"), 0);
  uint8_t data[15] = {};
  uint32_t len = sizeof data;
  EXPECT_EQ(BTRCALL(BTR_VERSION, nullptr, data, &len, nullptr, 0, 0), 0);
  EXPECT_EQ(len, 5u);
  EXPECT_EQ(data[0], 8);
  EXPECT_EQ(data[4], 'N');
  EXPECT_EQ(vvEngineSetOption(VVENGINE_OPTION_VERSION, nullptr), 0);
}

}  // namespace
}  // namespace vv::engine::testing
