// Progress callbacks: the recorder tests use, and the terminal display.
#include "host/progress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace vv::host {
namespace {

TEST(ProgressTest, RecorderKeepsCallsAndStopsWhenAsked) {
  ProgressRecorder recorder;
  VvProgressFn fn = recorder.callback();
  EXPECT_EQ(fn("Converting data...", VV_PROGRESS_TITLE), 0);
  EXPECT_EQ(fn("0,2", VV_PROGRESS_COUNT), 0);
  recorder.StopAt("1,2", 7);
  EXPECT_EQ(fn("1,2", VV_PROGRESS_COUNT), 7);
  EXPECT_EQ(fn("Deleting Btrieve file", VV_PROGRESS_MESSAGE), 7) << "stays stopped";
  EXPECT_EQ(fn(nullptr, VV_PROGRESS_ERROR), 7);
  ASSERT_EQ(recorder.calls().size(), 5u);
  EXPECT_EQ(recorder.calls()[0].kind, VV_PROGRESS_TITLE);
  EXPECT_EQ(recorder.Texts(VV_PROGRESS_COUNT), (std::vector<std::string>{"0,2", "1,2"}));
  EXPECT_EQ(recorder.calls()[4].text, "");
  recorder.Reset();
  EXPECT_TRUE(recorder.calls().empty());
}

TEST(ProgressTest, CountsParse) {
  int64_t done = 0;
  int64_t total = 0;
  EXPECT_TRUE(ParseProgressCount("12,345", &done, &total));
  EXPECT_EQ(done, 12);
  EXPECT_EQ(total, 345);
  for (const char* bad : {"", "12", "12,", ",3", "a,3", "1,2,3", "1, 2"}) {
    EXPECT_FALSE(ParseProgressCount(bad, &done, &total)) << bad;
  }
}

TEST(ProgressTest, TerminalDrawsABarFromCounts) {
  std::string out;
  TerminalProgress terminal([&](std::string_view s) { out += s; }, 10);
  VvProgressFn fn = terminal.callback();
  fn("Converting data...", VV_PROGRESS_TITLE);
  for (const char* count : {"0,3", "1,3", "2,3", "3,3", "3,3"}) {
    EXPECT_EQ(fn(count, VV_PROGRESS_COUNT), 0);
  }
  fn("File ORDERS has been converted.", VV_PROGRESS_MESSAGE);
  fn("1,4", VV_PROGRESS_COUNT);
  fn("Recnum field not used", VV_PROGRESS_WARNING);
  fn("Index=2", VV_PROGRESS_ERROR);
  fn("odd count", VV_PROGRESS_COUNT);
  EXPECT_EQ(out,
            "Converting data...\n"
            "\r[..........]   0% 0/3"
            "\r[###.......]  33% 1/3"
            "\r[######....]  66% 2/3"
            "\r[##########] 100% 3/3\n"
            "File ORDERS has been converted.\n"
            "\r[##........]  25% 1/4\n"
            "warning: Recnum field not used\n"
            "error: Index=2\n"
            "odd count\n");
}

TEST(ProgressTest, TerminalRedrawsOnlyWhenTheBarChanges) {
  std::string out;
  {
    TerminalProgress terminal([&](std::string_view s) { out += s; }, 10);
    for (int i = 0; i <= 1000; ++i) {
      terminal.callback()((std::to_string(i) + ",1000").c_str(), VV_PROGRESS_COUNT);
    }
    terminal.callback()("0,0", VV_PROGRESS_COUNT);
    terminal.callback()("5,10", VV_PROGRESS_COUNT);
  }
  EXPECT_EQ(std::count(out.begin(), out.end(), '\r'), 101 + 2) << "once per percent";
  EXPECT_NE(out.find("\r[##########] 100% 0/0\n"), std::string::npos) << "nothing to do is done";
  EXPECT_EQ(out.substr(out.size() - 24), "\r[#####.....]  50% 5/10\n")
      << "the destructor ends an open bar";
}

}  // namespace
}  // namespace vv::host
