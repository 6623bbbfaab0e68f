#include "vvbutil/command_line.h"

#include <gtest/gtest.h>

namespace vv::butil {
namespace {

CommandLine Parse(std::vector<std::string> args) {
  CommandLine c;
  std::string error;
  EXPECT_TRUE(ParseCommandLine(args, &c, &error)) << error;
  return c;
}

TEST(CommandLine, CommandsAndTheirArguments) {
  CommandLine c = Parse({"-STAT", "data.btr", "/Osecret"});
  EXPECT_EQ(c.command, Command::kStat);
  EXPECT_EQ(c.file, "data.btr");
  EXPECT_EQ(c.owner, "secret");

  c = Parse({"-create", "data.btr", "data.des", "y"});
  EXPECT_EQ(c.command, Command::kCreate);
  EXPECT_EQ(c.other, "data.des");
  EXPECT_EQ(c.replace, std::optional<bool>(true));
  EXPECT_FALSE(Parse({"-create", "data.btr", "data.des"}).replace.has_value());

  c = Parse({"-load", "in.seq", "data.btr", "-Oowner"});
  EXPECT_EQ(c.command, Command::kLoad);
  EXPECT_EQ(c.file, "data.btr");
  EXPECT_EQ(c.other, "in.seq");
  EXPECT_EQ(c.owner, "owner");

  c = Parse({"-save", "data.btr", "out.seq", "-1"});
  EXPECT_EQ(c.other, "out.seq");
  EXPECT_EQ(c.key, std::optional<int>(-1));
  EXPECT_FALSE(Parse({"-save", "data.btr", "out.seq"}).key.has_value());

  EXPECT_EQ(Parse({"-sindex", "data.btr", "k.des", "5"}).key, std::optional<int>(5));
  EXPECT_EQ(Parse({"-drop", "data.btr", "118"}).key, std::optional<int>(118));

  c = Parse({"-setowner", "data.btr", "abc", "3"});
  EXPECT_EQ(c.owner, "abc");
  EXPECT_EQ(c.level, 3);
  EXPECT_EQ(Parse({"-clrowner", "data.btr", "abc"}).owner, "abc");
  EXPECT_EQ(Parse({"-ver"}).command, Command::kVer);
}

TEST(CommandLine, UsageErrors) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"-frobnicate", "x"},
      {"-stat"},
      {"-stat", "a", "b"},
      {"-create", "a", "b", "maybe"},
      {"-save", "a", "b", "-2"},
      {"-save", "a", "b", "x"},
      {"-drop", "a"},
      {"-drop", "a", "119"},
      {"-sindex", "a", "b", "-1"},
      {"-setowner", "a", "owner", "4"},
      {"-setowner", "a", "ninechars", "1"},
      {"-setowner", "a", "   ", "1"},
      {"-clrowner", "a", "o", "/Ox"},
      {"-stat", "a", "/O"},
      {"-ver", "x"},
  };
  for (const auto& args : bad) {
    CommandLine c;
    std::string error;
    EXPECT_FALSE(ParseCommandLine(args, &c, &error)) << (args.empty() ? "" : args[0]);
    EXPECT_FALSE(error.empty());
  }
  EXPECT_NE(std::string(UsageText()).find("-sindex"), std::string::npos);
}

}  // namespace
}  // namespace vv::butil
