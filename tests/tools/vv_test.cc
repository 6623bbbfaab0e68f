// vv: its units (dates, the command line, values, aligned columns), and runs
// of the built program: the demo, and init, tables, describe and dump on
// dictionaries made with the dictionary builder, with records written
// straight into the tables' Btrieve files. Each run works in a fresh
// directory and checks exit codes, output and error messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "ddf/dictionary_builder.h"
#include "platform/platform.h"
#include "tools/support/program_test.h"
#include "veverave/engine.h"
#include "veverave/host_services.h"
#include "vv/command_line.h"
#include "vv/day_number.h"
#include "vv/text_grid.h"
#include "vv/values.h"

namespace {

namespace platform = vv::platform;
namespace ddf = vv::ddf;

using vv::testing::RunResult;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The blank-separated words of the output line that starts (after blanks)
// with first; empty when there is none.
std::vector<std::string> WordsOfLine(const std::string& text, const std::string& first) {
  for (const std::string& line : Lines(text)) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    if (!words.empty() && words[0] == first) return words;
  }
  return {};
}

// A PARTS record: NO (INTEGER 4), NAME (STRING 12), PRICE (DECIMAL 4, two
// decimals), ADDED (DATE).
std::string PartRecord(int32_t no, const std::string& name, int32_t cents, int year, int month,
                       int day) {
  std::string r;
  for (int i = 0; i < 4; ++i) r += static_cast<char>(static_cast<uint32_t>(no) >> (8 * i));
  std::string text = name;
  text.resize(12, ' ');
  r += text;
  // Seven digits and a sign nibble, packed two to a byte.
  std::string digits = std::to_string(cents);
  digits.insert(0, 7 - digits.size(), '0');
  for (int i = 0; i < 6; i += 2) {
    r += static_cast<char>(((digits[i] - '0') << 4) | (digits[i + 1] - '0'));
  }
  r += static_cast<char>(((digits[6] - '0') << 4) | 0xF);
  r += static_cast<char>(day);
  r += static_cast<char>(month);
  r += static_cast<char>(year & 0xFF);
  r += static_cast<char>(year >> 8);
  return r;
}

// ---------------------------------------------------------------- units

TEST(VvDayNumberTest, AnchorsOfTheHostCalendar) {
  using vv::tools::DayNumber;
  EXPECT_EQ(DayNumber(0, 1, 2), 1);
  EXPECT_EQ(DayNumber(1, 1, 1), 366);
  EXPECT_EQ(DayNumber(1999, 12, 31), 730499);
  EXPECT_EQ(DayNumber(2000, 1, 1), 730500);
  EXPECT_EQ(DayNumber(2004, 2, 29), 732020);
  EXPECT_EQ(DayNumber(2004, 3, 1), 732021);
  // Every fourth year is a leap year, centuries too.
  EXPECT_EQ(DayNumber(1900, 2, 29), 694034);
  EXPECT_EQ(DayNumber(1900, 3, 1), 694035);
  const std::vector<std::tuple<int, int, int>> notDates = {
      {2023, 2, 29}, {2024, 4, 31}, {2024, 13, 1}, {2024, 0, 5},
      {2024, 5, 0},  {3001, 1, 1},  {-1, 1, 1}};
  for (const auto& [y, m, d] : notDates) {
    EXPECT_EQ(DayNumber(y, m, d), 0) << y << "-" << m << "-" << d;
  }
}

TEST(VvDayNumberTest, TextAndNumbersAreInversesOverAllYears) {
  using vv::tools::DateText;
  const int32_t last = vv::tools::DayNumber(vv::tools::kLastYear, 12, 31);
  int32_t previous = 0;
  for (int32_t n = 1; n <= last; ++n) {
    const std::string text = DateText(n);
    int32_t back = 0;
    ASSERT_TRUE(vv::tools::ParseDate(text, &back)) << n << " " << text;
    ASSERT_EQ(back, n) << text;
    if (text.substr(5) == "01-01") {
      ASSERT_EQ(n - previous, std::stoi(text.substr(0, 4)) % 4 == 1 ? 366 : 365) << text;
      previous = n;
    }
  }
  EXPECT_EQ(DateText(730500), "2000-01-01");
  EXPECT_EQ(DateText(1), "0000-01-02");
  EXPECT_EQ(DateText(last), "3000-12-31");
  for (int32_t n : {0, -1, last + 1}) EXPECT_EQ(DateText(n), "") << n;
}

TEST(VvDayNumberTest, ParseDateTakesOnlyWholeDates) {
  int32_t n = 0;
  EXPECT_TRUE(vv::tools::ParseDate("2024-2-9", &n));
  EXPECT_EQ(n, vv::tools::DayNumber(2024, 2, 9));
  for (const char* bad : {"", "2024", "2024-02", "24-02-03", "02024-02-03", "2024/02/03",
                          "2024-02-03x", "2024--02", "2024-002-03", "2024-02-30", "-2024-01-01"}) {
    n = 7;
    EXPECT_FALSE(vv::tools::ParseDate(bad, &n)) << bad;
    EXPECT_EQ(n, 7) << bad;
  }
}

TEST(VvCommandLineTest, OptionsStandAnywhereInEitherForm) {
  using vv::tools::Command;
  vv::tools::CommandLine line;
  std::string error;
  ASSERT_TRUE(vv::tools::ParseCommandLine(
      {"--limit=0", "dump", "--from", "-5", "T", "-d", "D", "--index=255", "--csv"}, &line, &error))
      << error;
  EXPECT_EQ(line.command, Command::kDump);
  EXPECT_EQ(line.operands, std::vector<std::string>{"T"});
  EXPECT_EQ(line.data, "D");
  EXPECT_EQ(line.index, 255);
  EXPECT_EQ(line.from, "-5");
  EXPECT_EQ(line.limit, 0);
  EXPECT_TRUE(line.csv);
  // A number is an operand, not an option; --from takes any text.
  ASSERT_TRUE(vv::tools::ParseCommandLine({"dump", "-7", "--from", "--csv"}, &line, &error));
  EXPECT_EQ(line.operands, std::vector<std::string>{"-7"});
  EXPECT_EQ(line.from, "--csv");
  EXPECT_FALSE(line.csv);

  for (const std::vector<std::string>& bad :
       std::vector<std::vector<std::string>>{{"dump", "T", "--index", "256"},
                                             {"dump", "T", "--index", "-1"},
                                             {"dump", "T", "--limit", "-1"},
                                             {"dump", "T", "--limit", "1x"},
                                             {"dump", "T", "--data="},
                                             {"init", "A", "B"},
                                             {"describe", "T", "--limit", "1"},
                                             {"--csv"}}) {
    EXPECT_FALSE(vv::tools::ParseCommandLine(bad, &line, &error)) << bad.back();
    EXPECT_FALSE(error.empty());
  }
}

TEST(VvCommandLineTest, DataDirectoryComesFromOperandOptionEnvironmentOrHere) {
  const std::optional<std::string> saved = platform::GetEnv(vv::tools::kDataEnvironment);
  vv::tools::CommandLine line;
  std::string error;
  ASSERT_TRUE(platform::SetEnv(vv::tools::kDataEnvironment, "from-env"));
  ASSERT_TRUE(vv::tools::ParseCommandLine({"init", "given", "-d", "opt"}, &line, &error));
  EXPECT_EQ(vv::tools::DataDirectory(line), "given");
  ASSERT_TRUE(vv::tools::ParseCommandLine({"tables", "-d", "opt"}, &line, &error));
  EXPECT_EQ(vv::tools::DataDirectory(line), "opt");
  ASSERT_TRUE(vv::tools::ParseCommandLine({"init"}, &line, &error));
  EXPECT_EQ(vv::tools::DataDirectory(line), "from-env");
  ASSERT_TRUE(platform::UnsetEnv(vv::tools::kDataEnvironment));
  EXPECT_EQ(vv::tools::DataDirectory(line), platform::CurrentDirectory());
  if (saved) platform::SetEnv(vv::tools::kDataEnvironment, *saved);
}

TEST(VvValuesTest, ValuesAreShownAndReadByKind) {
  using vv::tools::FieldInfo;
  using vv::tools::ShowValue;
  FieldInfo text;
  text.btrType = BTR_TYPE_STRING;
  text.size = 10;
  FieldInfo number;
  number.btrType = BTR_TYPE_DECIMAL;
  FieldInfo date;
  date.btrType = BTR_TYPE_DATE;
  EXPECT_EQ(ShowValue(text, "  a b  "), "  a b");
  EXPECT_EQ(ShowValue(text, std::string("ab\0\0", 4)), "ab");
  EXPECT_EQ(ShowValue(number, "        -12.50"), "-12.50");
  EXPECT_EQ(ShowValue(date, "         730500"), "2000-01-01");
  EXPECT_EQ(ShowValue(date, "              0"), "");
  EXPECT_EQ(ShowValue(date, "  not a day"), "not a day");
  // The host type, when the driver tells it, decides over the Btrieve type.
  FieldInfo longString = text;
  longString.size = 300;
  EXPECT_EQ(vv::tools::KindOf(longString), vv::tools::ValueKind::kLongText);
  longString.hostType = VV_HOST_TYPE_DATE;
  EXPECT_EQ(vv::tools::KindOf(longString), vv::tools::ValueKind::kDate);

  int32_t day = 0;
  EXPECT_TRUE(vv::tools::ParseDayNumber("2000-01-01", &day));
  EXPECT_EQ(day, 730500);
  EXPECT_TRUE(vv::tools::ParseDayNumber("17", &day));
  EXPECT_EQ(day, 17);
  EXPECT_FALSE(vv::tools::ParseDayNumber("-3", &day));
  EXPECT_FALSE(vv::tools::ParseDayNumber("2000-13-01", &day));

  // Every Btrieve type has its own name.
  std::set<std::string> names;
  for (int32_t type = BTR_TYPE_STRING; type <= BTR_TYPE_LONGVAR; ++type) {
    names.insert(vv::tools::BtrTypeName(type));
  }
  EXPECT_EQ(names.size(), static_cast<std::size_t>(BTR_TYPE_LONGVAR + 1));
  EXPECT_EQ(vv::tools::BtrTypeName(99), "type 99");
}

TEST(VvTextGridTest, ColumnsLineUpAcrossBlocks) {
  using Align = vv::tools::TextGrid::Align;
  vv::tools::TextGrid grid({{"n", Align::kRight}, {"name"}, {"x"}}, " ");
  grid.Add({"7", "ab"});
  grid.Add({"123", "a", "z"});
  EXPECT_EQ(grid.Take(),
            "   n  name  x\n"
            "   7  ab\n"
            " 123  a     z\n");
  // Later blocks keep the widths (no second header); wider cells widen.
  grid.Add({"1", "abcdefg", "y"});
  EXPECT_EQ(grid.Take(), "   1  abcdefg  y\n");
  EXPECT_EQ(vv::tools::CellText("a\tb\nc", 10), "a b c");
  EXPECT_EQ(vv::tools::CellText("abcdefghij", 8), "abcde...");
  EXPECT_EQ(vv::tools::CellText("abcdefgh", 8), "abcdefgh");
}

// ---------------------------------------------------------------- runs

class VvTest : public vv::testing::ProgramTest {
 protected:
  VvTest() : ProgramTest("vv") {}

  // Runs vv in the test's directory with VV_DATA set to data (empty: not
  // set).
  RunResult Run(const std::vector<std::string>& args, const std::string& data = "") {
    return ProgramTest::Run(args, "VV_DATA=" + Quote(data));
  }

  // A data directory "data" with the table PARTS: index 1 on NO, index 2 on
  // NAME (duplicates, any case), index 3 on ADDED descending then NO.
  void MakeParts(const std::vector<std::string>& records) {
    ASSERT_EQ(Run({"init", "data"}).exit_code, 0);
    std::string error;
    std::unique_ptr<ddf::DictionaryBuilder> dict =
        ddf::DictionaryBuilder::Open(Path("data"), &error);
    ASSERT_TRUE(dict) << error;
    ddf::TableDef parts;
    parts.name = "PARTS";
    parts.file = "PARTS.BTR";
    parts.fields = {{"NO", BTR_TYPE_INTEGER, 4},
                    {"NAME", BTR_TYPE_STRING, 12},
                    {"PRICE", BTR_TYPE_DECIMAL, 4, 2},
                    {"ADDED", BTR_TYPE_DATE, 4}};
    parts.indexes = {{{{"NO"}}},
                     {{{"NAME", BTR_KEY_NO_CASE}}, BTR_KEY_DUPLICATES},
                     {{{"ADDED", BTR_KEY_DESCENDING}, {"NO"}}}};
    ASSERT_TRUE(dict->AddTable(parts)) << dict->error();
    ddf::TableDef bins;
    bins.name = "BINS";
    bins.file = "BINS.BTR";
    bins.fields = {{"LABEL", BTR_TYPE_STRING, 8}};
    ASSERT_TRUE(dict->AddTable(bins)) << dict->error();
    dict.reset();

    uint8_t client[BTR_CLIENT_ID_SIZE] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'V', 'T'};
    uint8_t pos[BTR_POS_BLOCK_SIZE] = {};
    std::string path = Path("data") + platform::kPathSeparator + "PARTS.BTR";
    uint32_t length = 0;
    ASSERT_EQ(BTRCALLID(BTR_OPEN, pos, nullptr, &length, path.data(), 255, 0, client), 0);
    for (std::string record : records) {
      length = static_cast<uint32_t>(record.size());
      char key[BTR_MAX_KEY_SIZE];
      ASSERT_EQ(BTRCALLID(BTR_INSERT, pos, record.data(), &length, key, 255, -1, client), 0);
    }
    BTRCALLID(BTR_CLOSE, pos, nullptr, &length, nullptr, 0, 0, client);
    BTRCALLID(BTR_RESET, nullptr, nullptr, &length, nullptr, 0, 0, client);
  }

  void MakeSampleParts() {
    MakeParts({PartRecord(30, "bolt", 125, 2024, 2, 29), PartRecord(10, "Nut, M6", 5, 1900, 2, 29),
               PartRecord(20, "Washer", 2, 2023, 12, 31),
               PartRecord(40, "Bolt", 1999, 2024, 2, 29)});
  }
};

TEST_F(VvTest, DemoRunsEveryStepAndRemovesItsDirectory) {
  const RunResult r = Run({"demo"});
  ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
  EXPECT_EQ(r.err, "");
  for (const char* step : {"\n1. ", "\n2. ", "\n3. ", "\n4. ", "\n5. ", "\n6. ", "\n7. ", "\n8. ",
                           "\n9. ", "\n10. ", "\n11. ", "\nDone: "}) {
    EXPECT_NE(r.out.find(step), std::string::npos) << step << "\n" << r.out;
  }
  // The five modes on key 1004, and misses with their errors.
  const std::pair<const char*, const char*> finds[] = {
      {"0", "1003"}, {"1", "1004"}, {"2", "1004"}, {"3", "1004"}, {"4", "1005"}};
  for (const auto& [mode, found] : finds) {
    bool seen = false;
    for (const std::string& line : Lines(r.out)) {
      seen = seen || (line.find(std::string("1004  ") + mode + " ") != std::string::npos &&
                      line.find(std::string("found ORDER_NO ") + found) != std::string::npos);
    }
    EXPECT_TRUE(seen) << "mode " << mode << "\n" << r.out;
  }
  EXPECT_NE(r.out.find("error 25: "), std::string::npos);
  EXPECT_NE(r.out.find("error 41: "), std::string::npos);
  EXPECT_NE(r.out.find("error 42: "), std::string::npos);
  EXPECT_NE(r.out.find("AMOUNT 18.75 -> 21.25"), std::string::npos) << r.out;

  const std::string first = Lines(r.out).at(0);
  const std::size_t in = first.find(" in ");
  const std::size_t end = first.find(" (removed at the end)");
  ASSERT_TRUE(in != std::string::npos && end != std::string::npos) << first;
  const std::string demoDir = first.substr(in + 4, end - in - 4);
  EXPECT_FALSE(platform::DirectoryExists(demoDir)) << demoDir;
}

TEST_F(VvTest, DemoLeavesItsDatabaseInAGivenDirectory) {
  RunResult r = Run({"demo", "sample"});
  ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
  // What the saves, the update and the delete left, read by another run.
  r = Run({"--data", "sample", "dump", "ORDERS", "--csv"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out,
            "#,ORDER_NO,CUSTOMER_ID,ORDERED,AMOUNT,ITEM\n"
            "1,1001,1,2024-01-15,249.00,Oak shelving\n"
            "3,1003,1,2024-02-03,89.90,Brackets\n"
            "4,1004,4,2024-02-03,512.00,Workbench\n"
            "5,1005,3,2024-02-18,21.25,Coffee filters\n"
            "6,1006,2,2024-03-01,72.80,\"Flour, 50 kg\"\n"
            "7,1007,5,2024-03-01,120.00,Reading lamps\n"
            "8,1008,1,2024-03-12,64.50,Hinges\n"
            "9,1009,3,2024-03-15,27.30,Espresso cups\n");
  r = Run({"-d", "sample", "dump", "customer", "--index", "2", "--limit", "1", "--csv"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out,
            "#,ID,NAME,CITY,BALANCE,SINCE,NOTES\n"
            "1,1,Alder & Sons,Leeds,1250.00,2019-03-14,\"Pays on the first of the month. "
            "Deliveries before noon, at the loading dock behind the shop; call ahead.\"\n");
  // A second demo never replaces a dictionary.
  r = Run({"demo", "sample"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("error 4407: "), std::string::npos) << r.err;
}

TEST_F(VvTest, InitMakesAnEmptyDataDirectoryOnlyOnce) {
  RunResult r = Run({"init", "fresh"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  for (const char* file : {"FILE.DDF", "FIELD.DDF", "INDEX.DDF", "VEVERAVE.INT"}) {
    EXPECT_TRUE(platform::FileExists(Path("fresh/") + file)) << file;
  }
  EXPECT_NE(Read("fresh/VEVERAVE.INT").find("\nTRANSACTION_TYPE EXCLUSIVE\n"), std::string::npos);
  r = Run({"tables"}, Path("fresh"));
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.out.find("No tables"), std::string::npos) << r.out;

  // init without DIR in the data directory VV_DATA names, which already
  // holds a dictionary with a table: refused, and the table is still there.
  MakeSampleParts();
  r = Run({"init"}, Path("data"));
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.rfind("error 4407: ", 0), 0u) << r.err;
  r = Run({"-d", "data", "tables"});
  EXPECT_EQ(WordsOfLine(r.out, "1"),
            (std::vector<std::string>{"1", "PARTS", "PARTS.BTR", "4", "3"}))
      << r.out;
}

TEST_F(VvTest, TablesListsTheDictionaryOfTheDataDirectory) {
  MakeSampleParts();
  const std::vector<std::string> parts = {"1", "PARTS", "PARTS.BTR", "4", "3"};
  const std::vector<std::string> bins = {"2", "BINS", "BINS.BTR", "1", "0"};
  // --data, then VV_DATA, then the current directory.
  for (const RunResult& r : {Run({"tables", "--data", Path("data")}), Run({"tables"}, Path("data")),
                             Run({"-d", "data", "tables"}, Path("nowhere"))}) {
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(WordsOfLine(r.out, "1"), parts) << r.out;
    EXPECT_EQ(WordsOfLine(r.out, "2"), bins) << r.out;
  }
  const RunResult r = Run({"tables"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.err.rfind("error 75: ", 0), 0u) << r.err;
  EXPECT_NE(r.err.find("no dictionary"), std::string::npos) << r.err;
}

TEST_F(VvTest, DescribeShowsWhatTheDriverShowsTheHost) {
  MakeSampleParts();
  const RunResult r = Run({"-d", "data", "describe", "parts"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out.rfind("Table PARTS (id 1), file PARTS.BTR\n"
                        "Records of 24 bytes (24 in the file), 4 records, file version 9.0\n",
                        0),
            0u)
      << r.out;
  // Fields: number, name, host type, length, decimals, offset from 1, size,
  // main index, Btrieve type.
  using Words = std::vector<std::string>;
  EXPECT_EQ(WordsOfLine(r.out, "1"), (Words{"1", "NO", "BCD", "10", "0", "1", "4", "1", "integer"}));
  EXPECT_EQ(WordsOfLine(r.out, "2"),
            (Words{"2", "NAME", "ASCII", "12", "0", "5", "12", "2", "string"}));
  EXPECT_EQ(WordsOfLine(r.out, "3"),
            (Words{"3", "PRICE", "BCD", "7", "2", "17", "4", "0", "decimal"}));
  EXPECT_EQ(WordsOfLine(r.out, "4"), (Words{"4", "ADDED", "DATE", "4", "0", "21", "4", "3", "date"}));
  // Indexes: index, key length, segment, field, offset, size, flags; the
  // driver keeps the key that allows duplicates unique with the record number.
  const std::vector<std::string> lines = Lines(r.out);
  const auto at =
      std::find(lines.begin(), lines.end(), "Indexes (index 0 is record-number order):");
  ASSERT_GE(lines.end() - at, 7) << r.out;
  EXPECT_EQ(WordsOfLine(at[1], "index"), (Words{"index", "key", "length", "segment", "field",
                                                "offset", "size", "flags"}));
  EXPECT_EQ(WordsOfLine(at[2], "1"), (Words{"1", "4", "1", "NO", "1", "4", "unique"}));
  EXPECT_EQ(WordsOfLine(at[3], "2"),
            (Words{"2", "16", "1", "NAME", "5", "12", "duplicates", "case-insensitive"}));
  EXPECT_EQ(WordsOfLine(at[4], "2"), (Words{"2", "RECNUM", "-", "4"}));
  EXPECT_EQ(WordsOfLine(at[5], "3"),
            (Words{"3", "8", "1", "ADDED", "21", "4", "unique", "descending"}));
  EXPECT_EQ(WordsOfLine(at[6], "2"), (Words{"2", "NO", "1", "4"}));
  EXPECT_NE(r.out.find("As the driver shows it"), std::string::npos) << r.out;

  const RunResult bins = Run({"-d", "data", "describe", "BINS"});
  ASSERT_EQ(bins.exit_code, 0) << bins.err;
  EXPECT_NE(bins.out.find("Indexes: none besides index 0"), std::string::npos) << bins.out;
}

// When the driver cannot open the table, describe shows the dictionary and
// says why.
TEST_F(VvTest, DescribeFallsBackToTheDictionary) {
  MakeSampleParts();
  platform::DeleteFile(Path("data") + platform::kPathSeparator + "PARTS.BTR");
  const RunResult r = Run({"-d", "data", "describe", "PARTS"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(WordsOfLine(r.out, "3"),
            (std::vector<std::string>{"3", "PRICE", "-", "-", "2", "17", "4", "-", "decimal"}));
  EXPECT_NE(r.out.find("the driver's view is not shown: the driver could not open the table: "
                       "error 75: "),
            std::string::npos)
      << r.out;
}

TEST_F(VvTest, DumpWalksAnIndexAsColumnsOrCsv) {
  MakeSampleParts();
  RunResult r = Run({"-d", "data", "dump", "PARTS", "--csv"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out,
            "#,NO,NAME,PRICE,ADDED\n"
            "2,10,\"Nut, M6\",0.05,1900-02-29\n"
            "3,20,Washer,0.02,2023-12-31\n"
            "1,30,bolt,1.25,2024-02-29\n"
            "4,40,Bolt,19.99,2024-02-29\n");
  // Names ignore case, equal ones in the order they came; then the
  // segmented index, newest first.
  r = Run({"-d", "data", "dump", "PARTS", "--index", "2", "--csv"});
  EXPECT_EQ(r.out,
            "#,NO,NAME,PRICE,ADDED\n"
            "1,30,bolt,1.25,2024-02-29\n"
            "4,40,Bolt,19.99,2024-02-29\n"
            "2,10,\"Nut, M6\",0.05,1900-02-29\n"
            "3,20,Washer,0.02,2023-12-31\n");
  r = Run({"-d", "data", "dump", "PARTS", "--index=3", "--csv"});
  EXPECT_EQ(r.out,
            "#,NO,NAME,PRICE,ADDED\n"
            "1,30,bolt,1.25,2024-02-29\n"
            "4,40,Bolt,19.99,2024-02-29\n"
            "3,20,Washer,0.02,2023-12-31\n"
            "2,10,\"Nut, M6\",0.05,1900-02-29\n");
  r = Run({"-d", "data", "dump", "PARTS", "--index", "0", "--csv", "--limit", "2"});
  EXPECT_EQ(r.out,
            "#,NO,NAME,PRICE,ADDED\n1,30,bolt,1.25,2024-02-29\n2,10,\"Nut, M6\",0.05,1900-02-29\n");

  // Aligned columns: numbers to the right, a count at the end.
  r = Run({"-d", "data", "dump", "PARTS", "--limit", "2"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out,
            "  #  NO  NAME     PRICE  ADDED\n"
            "  2  10  Nut, M6   0.05  1900-02-29\n"
            "  3  20  Washer    0.02  2023-12-31\n"
            "(2 records)\n");
  r = Run({"-d", "data", "dump", "BINS"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "  #  LABEL\n(0 records)\n");
}

TEST_F(VvTest, DumpFromStartsAtTheValueInIndexOrder) {
  MakeSampleParts();
  const auto dump = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"-d", "data", "dump", "PARTS", "--csv"});
    const RunResult r = Run(args);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    std::string numbers;
    for (const std::string& line : Lines(r.out)) {
      if (line[0] != '#') numbers += line.substr(line.find(',') + 1, 2) + " ";
    }
    return numbers;
  };
  EXPECT_EQ(dump({"--from", "20"}), "20 30 40 ");
  EXPECT_EQ(dump({"--from", "21"}), "30 40 ");
  EXPECT_EQ(dump({"--from", "-5"}), "10 20 30 40 ");
  EXPECT_EQ(dump({"--from", "41"}), "");
  EXPECT_EQ(dump({"--index", "2", "--from", "BOLT"}), "30 40 10 20 ");
  EXPECT_EQ(dump({"--index", "2", "--from", "c"}), "10 20 ");
  // Descending dates: from a date on, older ones follow; the second segment
  // starts at its lowest value.
  EXPECT_EQ(dump({"--index", "3", "--from", "2024-02-29"}), "30 40 20 10 ");
  EXPECT_EQ(dump({"--index", "3", "--from", "2024-01-01"}), "20 10 ");
  EXPECT_EQ(dump({"--index", "3", "--from", "1900-02-29"}), "10 ");
  // Index 0: from a record number on.
  EXPECT_EQ(dump({"--index", "0", "--from", "3"}), "20 40 ");
}

TEST_F(VvTest, FailuresPrintTheirNumberAndExitOne) {
  MakeSampleParts();
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"-d", "data", "describe", "NOPE"}, "error 75: NOPE: no such table"},
      {{"-d", "data", "dump", "NOPE"}, "error 75: NOPE: no such table"},
      {{"-d", "missing", "tables"}, "error 75: missing: no such data directory"},
      {{"-d", "data", "dump", "PARTS", "--index", "4"}, "error 4099: PARTS has no index 4"},
      {{"-d", "data", "dump", "PARTS", "--index", "3", "--from", "2023-02-29"},
       "error 16: ADDED: \"2023-02-29\" is no date"},
      {{"-d", "data", "dump", "PARTS", "--from", "ten"}, "error 14: NO: \"ten\" is no number"},
      {{"init", "no/such/parent"}, "error 4403: "},
  };
  for (const auto& [args, message] : cases) {
    const RunResult r = Run(args);
    EXPECT_EQ(r.exit_code, 1) << args[2];
    EXPECT_EQ(r.out, "") << args[2];
    EXPECT_EQ(r.err.rfind(message, 0), 0u) << r.err;
    EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
  }
  // A table whose Btrieve file is gone: the driver's open fails.
  ASSERT_EQ(platform::DeleteFile(Path("data/PARTS.BTR")), platform::FsResult::kOk);
  const RunResult r = Run({"-d", "data", "dump", "PARTS"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.err.rfind("error ", 0), 0u) << r.err;
}

TEST_F(VvTest, UsageErrorsExitTwoWithTheUsage) {
  const std::vector<std::string> cases[] = {
      {},
      {"frobnicate"},
      {"dump"},
      {"describe", "A", "B"},
      {"tables", "--csv"},
      {"demo", "--data", "x"},
      {"dump", "T", "--limit", "many"},
      {"dump", "T", "--index"},
      {"dump", "T", "--csv=yes"},
      {"tables", "--verbose"},
  };
  for (const std::vector<std::string>& args : cases) {
    const RunResult r = Run(args);
    EXPECT_EQ(r.exit_code, 2) << (args.empty() ? "" : args[0]);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("vv: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("usage: vv"), std::string::npos) << r.err;
  }
  for (const char* help : {"help", "--help"}) {
    const RunResult r = Run({help});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out.rfind("usage: vv", 0), 0u) << r.out;
  }
}

}  // namespace
