#include "vvbutil/seq_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vv::butil {
namespace {

using namespace std::string_literals;

// A reader over text, handing out at most `step` bytes a call so that
// records straddle the reader's buffer refills.
SeqReader Over(const std::string& text, std::size_t step = 3) {
  auto pos = std::make_shared<std::size_t>(0);
  return SeqReader([text, pos, step](void* buf, std::size_t n) -> int64_t {
    const std::size_t take = std::min({n, step, text.size() - *pos});
    std::copy_n(text.data() + *pos, take, static_cast<char*>(buf));
    *pos += take;
    return static_cast<int64_t>(take);
  });
}

// All records, or the error text as the last element prefixed with "!".
std::vector<std::string> ReadAll(const std::string& text, std::size_t step = 3) {
  SeqReader r = Over(text, step);
  std::vector<std::string> out;
  std::string rec;
  for (;;) {
    const SeqReader::Result res = r.Next(&rec);
    if (res == SeqReader::Result::kEnd) return out;
    if (res == SeqReader::Result::kError) {
      out.push_back("!" + r.error());
      return out;
    }
    out.push_back(rec);
  }
}

TEST(SeqFile, WriterAndReaderRoundTripAnyBytes) {
  const std::vector<std::string> records = {"abc", ""s, "\r\n,\x1a\0x"s, std::string(70000, 'q'),
                                            "12,\r\n"};
  std::string text;
  for (const std::string& r : records) AppendSeqRecord(r, &text);
  EXPECT_EQ(text.substr(0, 6), "3,abc\r");
  EXPECT_NE(text.back(), '\x1a');
  EXPECT_EQ(ReadAll(text), records);
  EXPECT_EQ(ReadAll(text, 1 << 20), records);
}

TEST(SeqFile, ReaderToleratesTheUsualEndings) {
  const std::vector<std::string> two = {"ab", "c"};
  EXPECT_EQ(ReadAll("2,ab\r\n1,c\r\n\x1a"), two);  // Ctrl-Z at the end
  EXPECT_EQ(ReadAll("2,ab\r\n1,c\r\n\x1a\r\n"), two);
  EXPECT_EQ(ReadAll("2,ab\n1,c\n"), two);          // LF only
  EXPECT_EQ(ReadAll("2,ab\r\n1,c"), two);          // last line break missing
  EXPECT_EQ(ReadAll("2,ab\r\n1,c\r\n\r\n"), two);  // trailing empty line
  EXPECT_TRUE(ReadAll("").empty());
  EXPECT_TRUE(ReadAll("\x1a").empty());
}

TEST(SeqFile, ReaderRefusesDamageWithRecordAndOffset) {
  struct Case {
    std::string text;
    std::string error_part;
  };
  const Case cases[] = {
      {"2,ab\r\nx,c\r\n", "record 2 (byte 6): expected a record length"},
      {"2ab\r\n", "record 1 (byte 1): expected a comma"},
      {"5,ab\r\n", "the file ends inside the record"},
      {"1,ab\r\n", "expected CR LF after the record's 1 bytes"},
      {"2,ab\rX", "CR without LF"},
      {"2,ab\r\n\x1a"
       "1,c\r\n",
       "data after the end of the records"},
      {"2,ab\r\n\r\n1,c\r\n", "data after the end of the records"},
      {"99999999999,", "record length too long"},
      {"999999999,", "too large"},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> got = ReadAll(c.text);
    ASSERT_FALSE(got.empty()) << c.text;
    EXPECT_NE(got.back().find(c.error_part), std::string::npos) << got.back();
  }
}

TEST(SeqFile, ReadErrorIsAnError) {
  SeqReader r([](void*, std::size_t) -> int64_t { return -1; });
  std::string rec;
  EXPECT_EQ(r.Next(&rec), SeqReader::Result::kError);
  EXPECT_EQ(r.error(), "cannot read the sequential file");
}

}  // namespace
}  // namespace vv::butil
