// Runs every engine script (scripts/*.test) as one test each.
#include <gtest/gtest.h>

#include <string>

#include "engine/script_runner.h"
#include "platform/platform.h"

namespace vv::engine::testing {
namespace {

class ScriptTest : public ::testing::TestWithParam<std::string> {};

TEST_P(ScriptTest, Passes) {
  const std::string path = std::string(VV_ENGINE_SCRIPT_DIR) + "/" + GetParam();
  const auto text = platform::ReadFileToString(path);
  ASSERT_TRUE(text.has_value()) << path;
  for (const std::string& failure : RunScript(*text)) ADD_FAILURE() << GetParam() << " " << failure;
}

std::string TestName(const ::testing::TestParamInfo<std::string>& info) {
  std::string name = info.param.substr(0, info.param.find('.'));
  for (char& c : name) {
    if (!isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

// Every scripts/*.test file, listed by the build.
const std::string kScripts[] = {
#include "engine_scripts.inc"
};

INSTANTIATE_TEST_SUITE_P(Scripts, ScriptTest, ::testing::ValuesIn(kScripts), TestName);

}  // namespace
}  // namespace vv::engine::testing
