// INT text files written and read through slots 76 to 79, as the driver
// does it.
#include "host/text_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/host.h"
#include "temp_dir.h"

namespace vv::host {
namespace {

template <class Fn>
Fn Slot(const Host& host, int slot) {
  return reinterpret_cast<Fn>(host.services()->slot[slot]);
}
#define CALL(host, Name, ...) Slot<VvHost_##Name>(host, VV_HOST_SLOT_##Name)(__VA_ARGS__)

#ifdef _WIN32
const std::string kEol = "\r\n";
#else
const std::string kEol = "\n";
#endif

struct Read {
  int32_t code;
  std::string keyword;
  std::string value;
  bool operator==(const Read&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Read& r) {
  return os << r.code << " [" << r.keyword << "] [" << r.value << "]";
}

// Reads the open file to its end (and one end-of-file line more).
std::vector<Read> ReadAll(const Host& host) {
  std::vector<Read> lines;
  char keyword[VV_HOST_TEXT_LINE_SIZE];
  char value[VV_HOST_TEXT_LINE_SIZE];
  for (int guard = 0; guard < 100; ++guard) {
    const int32_t code = CALL(host, TextRead, keyword, value);
    lines.push_back(Read{code, keyword, value});
    if (code <= 0 && keyword[0] == '\0' && value[0] == '\0') break;
  }
  return lines;
}

TEST(TextFileTest, RoundTripOfAnIntFile) {
  Host host;
  TempDir dir;
  const std::string path = dir.File("CUSTOMER.INT");
  ASSERT_EQ(CALL(host, TextOpen, path.c_str(), VV_TEXT_MODE_WRITE), 0);
  const char* comment = "; Data after this point is read after the DDF's have been read";
  EXPECT_EQ(CALL(host, TextWrite, nullptr, VV_DRIVER_NAME, VV_LINE_DRIVER_NAME), 0);
  EXPECT_EQ(CALL(host, TextWrite, "DDF_NAME", "\"CUST\"", 0), 0);
  EXPECT_EQ(CALL(host, TextWrite, "", "", 0), 0);
  EXPECT_EQ(CALL(host, TextWrite, comment, "", 0), 0);
  EXPECT_EQ(CALL(host, TextWrite, "", "", 0), 0);
  EXPECT_EQ(CALL(host, TextWrite, "; NAME", "", 0), 0);
  EXPECT_EQ(CALL(host, TextWrite, nullptr, "3", VV_LINE_FIELD_NUMBER), 0);
  EXPECT_EQ(CALL(host, TextWrite, nullptr, "OVERLAP", VV_LINE_FIELD_TYPE), 0);
  EXPECT_EQ(CALL(host, TextWrite, nullptr, "16384", VV_LINE_FIELD_LENGTH), 0);
  EXPECT_EQ(CALL(host, TextClose, VV_TEXT_MODE_WRITE), 0);

  EXPECT_EQ(platform::ReadFileToString(path).value_or(""),
            "DRIVER_NAME VEVERAVE" + kEol + "DDF_NAME \"CUST\"" + kEol + kEol + comment + kEol +
                kEol + "; NAME" + kEol + "FIELD_NUMBER 3" + kEol + "FIELD_TYPE OVERLAP" + kEol +
                "FIELD_LENGTH 16384" + kEol);

  ASSERT_EQ(CALL(host, TextOpen, path.c_str(), VV_TEXT_MODE_READ), 0);
  const std::vector<Read> expected = {
      {VV_LINE_DRIVER_NAME, "DRIVER_NAME", "VEVERAVE"},
      {0, "DDF_NAME", "\"CUST\""},
      {VV_LINE_FIELD_NUMBER, "FIELD_NUMBER", "3"},
      {VV_LINE_FIELD_TYPE, "FIELD_TYPE", "OVERLAP"},
      {VV_LINE_FIELD_LENGTH, "FIELD_LENGTH", "16384"},
      {0, "", ""},
  };
  EXPECT_EQ(ReadAll(host), expected) << "comments and blank lines are skipped";
  const std::vector<Read> end = {{0, "", ""}};
  EXPECT_EQ(ReadAll(host), end) << "the end stays the end";
  EXPECT_EQ(CALL(host, TextClose, VV_TEXT_MODE_READ), 0);
  EXPECT_EQ(host.error(), 0);
}

TEST(TextFileTest, EveryStandardKeywordKeepsItsCode) {
  Host host;
  TempDir dir;
  const std::string path = dir.File("ALL.INT");
  ASSERT_EQ(CALL(host, TextOpen, path.c_str(), VV_TEXT_MODE_WRITE), 0);
  for (const LineKeyword& k : kLineKeywords) {
    ASSERT_EQ(CALL(host, TextWrite, nullptr, std::to_string(k.code).c_str(), k.code), 0);
  }
  CALL(host, TextClose, VV_TEXT_MODE_WRITE);
  ASSERT_EQ(CALL(host, TextOpen, path.c_str(), VV_TEXT_MODE_READ), 0);
  std::vector<Read> lines = ReadAll(host);
  ASSERT_EQ(lines.size(), std::size(kLineKeywords) + 1);
  for (std::size_t i = 0; i < std::size(kLineKeywords); ++i) {
    EXPECT_EQ(lines[i], (Read{kLineKeywords[i].code, kLineKeywords[i].word,
                              std::to_string(kLineKeywords[i].code)}));
  }
}

TEST(TextFileTest, ReaderTakesHandWrittenFiles) {
  Host host;
  TempDir dir;
  const std::string path = dir.File("HAND.INT");
  const std::string longValue(300, 'v');
  platform::WriteStringToFile(path,
                              "\r\n  ; a comment\r\n\tdriver_name\t veverave  \r\n"
                              "\n   \nRECNUM_SUPPORT 1 ; kept\nOWNER  two words \n"
                              "FIELD_NUMBER\nLONG " +
                                  longValue + "\nLAST 9");
  ASSERT_EQ(CALL(host, TextOpen, path.c_str(), VV_TEXT_MODE_READ), 0);
  const std::vector<Read> expected = {
      {VV_LINE_DRIVER_NAME, "driver_name", "veverave"},
      {0, "RECNUM_SUPPORT", "1 ; kept"},
      {0, "OWNER", "two words"},
      {VV_LINE_FIELD_NUMBER, "FIELD_NUMBER", ""},
      {0, "LONG", std::string(255, 'v')},
      {0, "LAST", "9"},
      {0, "", ""},
  };
  EXPECT_EQ(ReadAll(host), expected);
}

TEST(TextFileTest, FailuresAreReported) {
  Host host;
  TempDir dir;
  char keyword[VV_HOST_TEXT_LINE_SIZE];
  char value[VV_HOST_TEXT_LINE_SIZE];
  const std::string missing = dir.File("MISSING.INT");
  EXPECT_EQ(CALL(host, TextOpen, missing.c_str(), VV_TEXT_MODE_READ), kErrTextFileOpen);
  EXPECT_EQ(host.error_text(), missing);
  EXPECT_EQ(CALL(host, TextRead, keyword, value), VV_TEXT_READ_FAILED) << "nothing open";
  EXPECT_EQ(host.error(), kErrTextFileNotOpen);
  EXPECT_EQ(CALL(host, TextWrite, nullptr, "1", VV_LINE_DRIVER_NAME), kErrTextFileNotOpen);
  EXPECT_EQ(CALL(host, TextOpen, dir.File("NODIR/X.INT").c_str(), VV_TEXT_MODE_WRITE),
            kErrTextFileOpen);
  EXPECT_EQ(CALL(host, TextOpen, missing.c_str(), 2), kErrBadArgument);
  EXPECT_EQ(CALL(host, TextClose, VV_TEXT_MODE_READ), 0) << "closing nothing is harmless";

  ASSERT_EQ(CALL(host, TextOpen, missing.c_str(), VV_TEXT_MODE_WRITE), 0);
  EXPECT_EQ(CALL(host, TextWrite, nullptr, "x", 1001), kErrUnknownLineCode);
  EXPECT_EQ(host.error_text(), "TextWrite: code 1001");
  EXPECT_EQ(CALL(host, TextWrite, "OWNER", "a\nDDF_NAME b", 0), kErrBadArgument);
  EXPECT_EQ(CALL(host, TextWrite, "OWNER", "ok", 0), 0);

  // A file open for writing and another for reading at the same time.
  const std::string other = dir.File("OTHER.INT");
  platform::WriteStringToFile(other, "FIELD_INDEX 2\n");
  ASSERT_EQ(CALL(host, TextOpen, other.c_str(), VV_TEXT_MODE_READ), 0);
  EXPECT_EQ(CALL(host, TextRead, keyword, value), VV_LINE_FIELD_INDEX);
  EXPECT_EQ(CALL(host, TextWrite, nullptr, "2", VV_LINE_FIELD_INDEX), 0);
  CALL(host, TextClose, VV_TEXT_MODE_WRITE);
  EXPECT_EQ(platform::ReadFileToString(missing).value_or(""),
            "OWNER ok" + kEol + "FIELD_INDEX 2" + kEol);
}

}  // namespace
}  // namespace vv::host

namespace vv::host {
namespace {

TEST(TextFileTest, BareNamesAreFoundAlongTheDataPath) {
  Host host;
  TempDir first;
  TempDir second;
  host.set_data_path(first.File("") + ";" + second.File(""));
  ASSERT_TRUE(platform::WriteStringToFile(second.File("ORDERS.INT"), "DRIVER_NAME VEVERAVE\n"));
  ASSERT_EQ(CALL(host, TextOpen, "ORDERS.INT", VV_TEXT_MODE_READ), 0);
  char keyword[VV_HOST_TEXT_LINE_SIZE];
  char value[VV_HOST_TEXT_LINE_SIZE];
  EXPECT_EQ(CALL(host, TextRead, keyword, value), VV_LINE_DRIVER_NAME);
  CALL(host, TextClose, VV_TEXT_MODE_READ);
  // Writing a bare name replaces the file found along the path.
  ASSERT_EQ(CALL(host, TextOpen, "ORDERS.INT", VV_TEXT_MODE_WRITE), 0);
  CALL(host, TextWrite, nullptr, "OTHER", VV_LINE_DRIVER_NAME);
  CALL(host, TextClose, VV_TEXT_MODE_WRITE);
  EXPECT_NE(platform::ReadFileToString(second.File("ORDERS.INT")).value_or("").find("OTHER"),
            std::string::npos);
  EXPECT_FALSE(platform::FileExists(first.File("ORDERS.INT")));
}

}  // namespace
}  // namespace vv::host
