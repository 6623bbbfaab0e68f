// vv import, export and check: the CSV reader and writer, and runs of the
// built program on a table with a field of every host type.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ddf/dictionary_builder.h"
#include "platform/platform.h"
#include "tools/support/program_test.h"
#include "veverave/ddf_layout.h"
#include "vv/csv.h"
#include "vv/progress.h"

namespace {

namespace platform = vv::platform;
using vv::testing::RunResult;
using vv::tools::CsvReader;
using Rows = std::vector<std::vector<std::string>>;

// Every record of a CSV text; the error text instead when it is broken.
Rows ParseCsv(const std::string& text, std::string* error = nullptr,
              std::vector<uint64_t>* lines = nullptr) {
  std::size_t at = 0;
  CsvReader reader([&](void* buf, std::size_t n) {
    // Small reads, so that records cross the reader's refills.
    n = std::min<std::size_t>({n, text.size() - at, 7});
    std::copy_n(text.data() + at, n, static_cast<char*>(buf));
    at += n;
    return static_cast<int64_t>(n);
  });
  Rows rows;
  std::vector<std::string> fields;
  CsvReader::Result result;
  while ((result = reader.Next(&fields)) == CsvReader::Result::kRecord) {
    rows.push_back(fields);
    if (lines != nullptr) lines->push_back(reader.line());
  }
  if (error != nullptr) *error = result == CsvReader::Result::kError ? reader.error() : "";
  return rows;
}

TEST(CsvTest, RecordsAsTheFormatLaysThemOut) {
  std::vector<uint64_t> lines;
  std::string error;
  const Rows rows = ParseCsv(
      "\xEF\xBB\xBF"
      "a,\"b,c\",\"say \"\"hi\"\"\"\r\n"
      ",\"two\r\nlines\",\n"
      "last,\"\",x",
      &error, &lines);
  EXPECT_EQ(error, "");
  EXPECT_EQ(rows, (Rows{{"a", "b,c", "say \"hi\""}, {"", "two\r\nlines", ""}, {"last", "", "x"}}));
  EXPECT_EQ(lines, (std::vector<uint64_t>{1, 2, 4}));

  const std::pair<const char*, const char*> broken[] = {
      {"a,b\nc,d\"e\n", "line 2, field 2: a quote inside an unquoted field"},
      {"a\n\"b\"c,d\n", "line 2, field 1: text after the closing quote"},
      {"a\nb,\"c\nd\n", "field 2: the quoted field that starts on line 2 has no closing quote"},
  };
  for (const auto& [text, message] : broken) {
    const Rows some = ParseCsv(text, &error);
    EXPECT_NE(error.find(message), std::string::npos) << error;
    EXPECT_EQ(some.size(), 1u) << text;
  }

  // What the writer quotes, the reader takes back as it was.
  const std::vector<std::string> fields = {"plain", "a,b", "q\"q", "line\nbreak", " pad", "", "é"};
  EXPECT_EQ(vv::tools::CsvRecord(fields),
            "plain,\"a,b\",\"q\"\"q\",\"line\nbreak\",\" pad\",,é\r\n");
  EXPECT_EQ(ParseCsv(vv::tools::CsvRecord(fields)), Rows{fields});
}

TEST(ProgressTest, LineShowsTheShareDone) {
  EXPECT_EQ(vv::tools::ProgressBar::Line("Importing T", "rows", 50, 100, 2500),
            "Importing T [###############               ]  50%  2500 rows");
  EXPECT_EQ(vv::tools::ProgressBar::Line("Exporting T", "records", 7, 0, 7),
            "Exporting T  7 records");
}

// ---------------------------------------------------------------- runs

// ITEMS: a field of every host type. NO integer (BCD, index 1), NAME
// string 20 (ASCII, index 2 without case), PREFIX the first 3 bytes of
// NAME (overlaying it), PRICE decimal with 2 places and WEIGHT float (BCD),
// ADDED date (DATE; index 3 with NO, newest first), NOTES long text (TEXT),
// PHOTO long binary data (BINARY).
const char* const kHeader = "NO,NAME,PREFIX,PRICE,WEIGHT,ADDED,NOTES,PHOTO";

class VvTransferTest : public vv::testing::ProgramTest {
 protected:
  VvTransferTest() : ProgramTest("vv") {}

  RunResult Vv(std::vector<std::string> args) {
    args.insert(args.begin(), {"--data", Path("data")});
    return Run(args);
  }

  void MakeItems() {
    ASSERT_EQ(Run({"init", Path("data")}).exit_code, 0);
    std::string error;
    std::unique_ptr<vv::ddf::DictionaryBuilder> dict =
        vv::ddf::DictionaryBuilder::Open(Path("data"), &error);
    ASSERT_TRUE(dict) << error;
    vv::ddf::TableDef items;
    items.name = "ITEMS";
    items.file = "ITEMS.BTR";
    items.fields = {{"NO", BTR_TYPE_INTEGER, 4},
                    {"NAME", BTR_TYPE_STRING, 20},
                    {"PREFIX", BTR_TYPE_STRING, 3, 0, 0, false, 4},
                    {"PRICE", BTR_TYPE_DECIMAL, 6, 2},
                    {"WEIGHT", BTR_TYPE_FLOAT, 8},
                    {"ADDED", BTR_TYPE_DATE, 4},
                    {"NOTES", BTR_TYPE_LONGVAR, 8},
                    {"PHOTO", BTR_TYPE_LONGVAR, 8, 0, vv::kDdfFieldBinary}};
    items.fields[3].offset = 24;
    items.indexes = {{{{"NO"}}},
                     {{{"NAME", BTR_KEY_NO_CASE}}, BTR_KEY_DUPLICATES},
                     {{{"ADDED", BTR_KEY_DESCENDING}, {"NO"}}}};
    ASSERT_TRUE(dict->AddTable(items)) << dict->error();
  }

  // A row in the form export writes: numbers with all their places, dates
  // YYYY-MM-DD, binary data in lower-case hex.
  static std::vector<std::string> Item(int no, std::mt19937& rng) {
    static const char* const kNames[] = {"Bolt",     "nut, M6",      "Washer \"flat\"", "",
                                         "  spaced", "Hinge\nbrass", "Ä-umlaut"};
    std::string name = kNames[rng() % 7] + std::to_string(no % 100);
    std::string prefix = name.substr(0, 3);
    prefix.erase(prefix.find_last_not_of(' ') + 1);
    const int cents = static_cast<int>(rng() % 2000000) - 1000000;
    char price[32];
    std::snprintf(price, sizeof price, "%s%d.%02d", cents < 0 ? "-" : "", std::abs(cents) / 100,
                  std::abs(cents) % 100);
    char weight[32];
    std::snprintf(weight, sizeof weight, "%.8f", static_cast<double>(rng() % 100000) / 64);
    char added[16] = "";
    if (rng() % 10 != 0) {
      std::snprintf(added, sizeof added, "%04d-%02d-%02d", 1900 + static_cast<int>(rng() % 200),
                    1 + static_cast<int>(rng() % 12), 1 + static_cast<int>(rng() % 28));
    }
    std::string notes =
        rng() % 3 == 0 ? "" : "Note " + std::to_string(no) + ", \"quoted\"\r\nline 2";
    notes += std::string(rng() % 300, 'n');
    std::string photo;
    for (unsigned i = rng() % 40; i > 0; --i) photo += "0123456789abcdef"[rng() % 16];
    if (photo.size() % 2 != 0) photo += "0";
    return {std::to_string(no), name, prefix, price, weight, added, notes, photo};
  }

  // n items with the numbers 1..n in a shuffled order.
  static Rows Items(int n, unsigned seed = 7) {
    std::mt19937 rng(seed);
    std::vector<int> numbers(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) numbers[static_cast<std::size_t>(i)] = i + 1;
    std::shuffle(numbers.begin(), numbers.end(), rng);
    Rows rows;
    for (int no : numbers) rows.push_back(Item(no, rng));
    return rows;
  }

  static std::string Csv(const Rows& rows) {
    std::string text = std::string(kHeader) + "\r\n";
    for (const auto& row : rows) text += vv::tools::CsvRecord(row);
    return text;
  }

  // The line of the CSV file that row i (from 0) starts on.
  static uint64_t LineOf(const Rows& rows, std::size_t i) {
    uint64_t line = 2;
    for (std::size_t r = 0; r < i; ++r) {
      const std::string text = vv::tools::CsvRecord(rows[r]);
      line += static_cast<uint64_t>(std::count(text.begin(), text.end(), '\n'));
    }
    return line;
  }

  // The rows as export writes them along index 1.
  static std::string ByNumber(Rows rows) {
    std::sort(rows.begin(), rows.end(),
              [](const auto& a, const auto& b) { return std::stoi(a[0]) < std::stoi(b[0]); });
    return Csv(rows);
  }
};

TEST_F(VvTransferTest, ImportThenExportGivesTheRowsBack) {
  MakeItems();
  const Rows rows = Items(3000);
  Write("items.csv", Csv(rows));
  RunResult r = Vv({"import", "ITEMS", Path("items.csv"), "--batch", "700"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.err, "");  // no progress bar when standard error is no terminal
  EXPECT_EQ(r.out, "ITEMS: 3000 rows imported from " + Path("items.csv") + " (5 transactions).\n");

  r = Vv({"export", "ITEMS", Path("out.csv")});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "ITEMS: 3000 records exported to " + Path("out.csv") + ".\n");
  EXPECT_EQ(Read("out.csv"), ByNumber(rows));

  // The exported file goes into a copy of the table just as well.
  ASSERT_EQ(platform::RemoveTree(Path("data")), true);
  MakeItems();
  ASSERT_EQ(Vv({"import", "items", Path("out.csv")}).exit_code, 0);
  ASSERT_EQ(Vv({"export", "ITEMS", Path("again.csv"), "--index", "2"}).exit_code, 0);
  EXPECT_EQ(ParseCsv(Read("again.csv")).size(), 3001u);
  r = Vv({"check", "ITEMS"});
  EXPECT_EQ(r.exit_code, 0) << r.out << r.err;
  EXPECT_NE(r.out.find(", 3000 records, 3 indexes: no problems.\n"), std::string::npos) << r.out;
}

TEST_F(VvTransferTest, ProgressBarOnATerminalOnly) {
  if (!platform::FileExists("/usr/bin/script"))
    GTEST_SKIP() << "no script(1) to give vv a terminal";
  MakeItems();
  Write("items.csv", Csv(Items(3000)));
  // script(1) runs vv on a pseudo-terminal and copies what vv writes there.
  static const int anchor = 0;
  Write("run.sh", Quote(platform::ModuleDirectory(&anchor) + "vv") + " --data " +
                      Quote(Path("data")) + " import ITEMS " + Quote(Path("items.csv")) +
                      " --batch 100\n");
  std::unique_ptr<platform::Process> p = platform::SpawnProcess(
      "/bin/sh",
      {"-c", "cd " + Quote(Path("")) + " && script -qec 'sh run.sh' /dev/null >tty.txt"});
  ASSERT_TRUE(p);
  ASSERT_EQ(p->Wait(), 0);
  const std::string tty = Read("tty.txt");
  EXPECT_EQ(tty.rfind("\rImporting ITEMS [", 0), 0u) << tty;
  EXPECT_NE(tty.find("%  "), std::string::npos) << tty;
  // The bar is blanked before the summary line.
  EXPECT_NE(tty.find(" \rITEMS: 3000 rows imported"), std::string::npos)
      << tty.substr(tty.size() - std::min<std::size_t>(tty.size(), 200));
}

TEST_F(VvTransferTest, ABadRowLeavesTheTableAsItWas) {
  MakeItems();
  Write("first.csv", Csv(Items(3, 1)));
  ASSERT_EQ(Vv({"import", "ITEMS", Path("first.csv")}).exit_code, 0);
  ASSERT_EQ(Vv({"export", "ITEMS", Path("before.csv")}).exit_code, 0);

  // Rows 4.. of which the 2500th has a price with too many places: five
  // transactions of 500 rows were committed before it.
  Rows rows = Items(3000, 2);
  rows.erase(std::remove_if(rows.begin(), rows.end(),
                            [](const auto& row) { return std::stoi(row[0]) <= 3; }),
             rows.end());
  rows[2499][3] = "12.345";
  Write("items.csv", Csv(rows));
  RunResult r = Vv({"import", "ITEMS", Path("items.csv"), "--batch", "500"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.err.rfind("error 4417: " + Path("items.csv") + " line " +
                            std::to_string(LineOf(rows, 2499)) +
                            ", field PRICE: the field cannot keep \"12.345\" (it would hold \"12.3",
                        0),
            0u)
      << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_NE(r.out.find("nothing imported"), std::string::npos) << r.out;
  ASSERT_EQ(Vv({"export", "ITEMS", Path("after.csv")}).exit_code, 0);
  EXPECT_EQ(Read("after.csv"), Read("before.csv"));
}

TEST_F(VvTransferTest, KeepGoingSkipsEachKindOfBadRow) {
  MakeItems();
  Rows rows = Items(40, 3);
  rows[3][0] = rows[2][0];            // a number index 1 has already
  rows[5][5] = "2023-02-29";          // no such day
  rows[7][3] = "ten";                 // no number
  rows[9][1] = std::string(21, 'x');  // longer than NAME
  rows[11][7] = "abc";                // odd hex digits
  rows[13].pop_back();                // a field short
  rows[15][2] = "Zzz";                // PREFIX against NAME
  Write("items.csv", Csv(rows));
  RunResult r = Vv({"import", "ITEMS", Path("items.csv"), "--keep-going"});
  EXPECT_EQ(r.exit_code, 1);
  const auto at = [&](std::size_t row) {
    return Path("items.csv") + " line " + std::to_string(LineOf(rows, row));
  };
  for (const std::string& message : std::vector<std::string>{
           at(3) + ": ",  // the driver's duplicate key
           at(5) + ", field ADDED: \"2023-02-29\" is no date",
           at(7) + ", field PRICE: \"ten\" is no number",
           at(9) + ", field NAME: the field cannot keep \"" + rows[9][1] + "\"",
           at(11) + ", field PHOTO: \"abc\" is no hex digits",
           at(13) + ": 7 fields, the header has 8",
           at(15) + ", field PREFIX: the field cannot keep \"Zzz\""}) {
    EXPECT_NE(r.err.find(message), std::string::npos) << message << "\n" << r.err;
  }
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 7) << r.err;
  EXPECT_EQ(r.out, "ITEMS: 33 rows imported from " + Path("items.csv") +
                       ", 7 rows rejected (1 transaction).\n");
  ASSERT_EQ(Vv({"export", "ITEMS", Path("out.csv")}).exit_code, 0);
  EXPECT_EQ(ParseCsv(Read("out.csv")).size(), 1u + 33u);
}

TEST_F(VvTransferTest, CheckReportsADamagedTable) {
  MakeItems();
  const Rows rows = Items(2000, 4);
  Write("items.csv", Csv(rows));
  ASSERT_EQ(Vv({"import", "ITEMS", Path("items.csv")}).exit_code, 0);
  RunResult r = Vv({"check", "ITEMS"});
  EXPECT_EQ(r.exit_code, 0) << r.out;

  // One record's bytes changed, wherever the file keeps them.
  std::string file = Read("data/ITEMS.BTR");
  std::string name = rows[1000][1];
  name.resize(20, ' ');
  std::string victim(4, '\0');
  const int no = std::stoi(rows[1000][0]);
  for (int i = 0; i < 4; ++i)
    victim[static_cast<std::size_t>(i)] = static_cast<char>(no >> (8 * i));
  victim += name;
  std::size_t hits = 0;
  for (std::size_t at = file.find(victim); at != std::string::npos;
       at = file.find(victim, at + 1)) {
    file[at + 2] ^= 0x33;
    ++hits;
  }
  ASSERT_GT(hits, 0u);
  Write("data/ITEMS.BTR", file);
  r = Vv({"check", "ITEMS"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.out.find("error 2: I/O error"), std::string::npos) << r.out << r.err;
}

TEST_F(VvTransferTest, FilesThatDoNotFitAreRefused) {
  MakeItems();
  Write("bad_header.csv", "NO,NAME,COLOUR\r\n1,a,red\r\n");
  Write("twice.csv", "NO , no\r\n1,1\r\n");
  Write("broken.csv", std::string(kHeader) + "\r\n1,\"a,,,,,,\r\n");
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"import", "ITEMS", Path("bad_header.csv")},
       "error 4416: " + Path("bad_header.csv") +
           " line 1, column 3: \"COLOUR\" is no field of ITEMS\n"},
      {{"import", "ITEMS", Path("twice.csv")},
       "error 4416: " + Path("twice.csv") + " line 1, column 2: field no is named twice\n"},
      {{"import", "ITEMS", Path("missing.csv")},
       "error 4401: " + Path("missing.csv") + ": cannot be opened\n"},
      {{"import", "ITEMS", Path("broken.csv")},
       "error 4416: " + Path("broken.csv") +
           " line 3, field 2: the quoted field that starts on line 2 has no closing quote\n"},
      {{"export", "ITEMS", Path("no/such/dir/out.csv")}, "error 4403: "},
      {{"export", "ITEMS", Path("out.csv"), "--index", "4"}, "error 4099: ITEMS has no index 4\n"},
  };
  for (const auto& [args, message] : cases) {
    const RunResult r = Vv(args);
    EXPECT_EQ(r.exit_code, 1) << args[2];
    EXPECT_EQ(r.err.rfind(message, 0), 0u) << r.err;
  }
  EXPECT_EQ(platform::ListFiles(Path(""), "*.vvtmp").size(), 0u);
}

}  // namespace
