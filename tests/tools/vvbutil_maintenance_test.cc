// Runs of vvbutil's maintenance commands on the embedded engine: -check on
// a healthy file with keys of many types and on a damaged one, -clone,
// -copy and -recover.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tools/support/program_test.h"
#include "vvbutil/seq_file.h"

namespace {

using vv::testing::RunResult;

// A 64-byte record:
//   0 id integer 4      16 code zstring 8     29 ratio float 8   41 num numeric 6
//   4 name string 12    24 amount decimal 5   37 day date 4      47 tag string 4
//   51 word lstring 8   59 stamp unsigned 4   63 one byte of filler
std::string Row(int32_t id, std::mt19937& rng) {
  std::string r(64, '\0');
  const auto put = [&r](std::size_t at, const void* p, std::size_t n) {
    std::memcpy(&r[at], p, n);
  };
  put(0, &id, 4);
  const std::string names[] = {"alder", "Alder", "birch", "BIRCH", "cedar", "", "~"};
  std::string name = names[rng() % 7];
  name.resize(12, ' ');
  put(4, name.data(), 12);
  const std::string code = std::to_string(rng() % 50);
  put(16, code.data(), code.size());
  // Packed digits: 9 digits and a sign nibble, -0 among them.
  const uint32_t amount = rng() % 1000;
  const bool negative = rng() % 3 == 0;
  char digits[10];
  std::snprintf(digits, sizeof digits, "%09u", amount);
  for (int i = 0; i < 4; ++i)
    r[24 + i] = static_cast<char>(((digits[2 * i] - '0') << 4) | (digits[2 * i + 1] - '0'));
  r[28] = static_cast<char>(((digits[8] - '0') << 4) | (negative ? 0xD : 0xC));
  const double ratio = rng() % 10 == 0 ? NAN : (static_cast<double>(rng() % 2001) - 1000) / 8;
  put(29, &ratio, 8);
  const uint8_t day[4] = {static_cast<uint8_t>(1 + rng() % 28),
                          static_cast<uint8_t>(1 + rng() % 12), static_cast<uint8_t>(rng() % 3), 7};
  put(37, day, 4);
  // Zoned digits, the last one overpunched with its sign.
  std::string num = std::to_string(10000 + rng() % 90000);
  const int last = num.back() - '0';
  num.back() = rng() % 2 ? static_cast<char>(last == 0 ? '}' : 'J' + last - 1)
                         : static_cast<char>(last == 0 ? '{' : 'A' + last - 1);
  put(41, ("0" + num).data(), 6);
  put(47, rng() % 4 == 0 ? "    " : "ab  ", 4);
  const std::string word = names[rng() % 7];
  r[51] = static_cast<char>(word.size());
  put(52, word.data(), word.size());
  const uint32_t stamp = rng();
  put(59, &stamp, 4);
  return r;
}

// Keys on every field: id unique, the rest with duplicates; the tag key
// leaves out records whose tag is all blanks.
constexpr const char* kRowsDescription =
    "record=64 key=10 page=4096\n"
    "position=1 length=4 type=integer\n"
    "position=5 length=12 type=string duplicates=y caseinsensitive=y\n"
    "position=17 length=8 type=zstring duplicates=y descending=y\n"
    "position=25 length=5 type=decimal duplicates=y\n"
    "position=30 length=8 type=float duplicates=y\n"
    "position=38 length=4 type=date duplicates=y descending=y segment=y\n"
    "position=1 length=4 type=integer duplicates=y\n"
    "position=42 length=6 type=numeric duplicates=y\n"
    "position=48 length=4 type=string duplicates=y nullkey=allsegs value=20\n"
    "position=52 length=8 type=lstring duplicates=y\n"
    "position=60 length=4 type=unsigned binary duplicates=y\n";

class VvbutilMaintenanceTest : public vv::testing::ProgramTest {
 protected:
  VvbutilMaintenanceTest() : ProgramTest("vvbutil") {}

  static std::string Seq(const std::vector<std::string>& records) {
    std::string s;
    for (const std::string& r : records) vv::butil::AppendSeqRecord(r, &s);
    return s;
  }

  std::vector<std::string> ReadSeq(const std::string& name) {
    const std::string text = Read(name);
    std::size_t at = 0;
    vv::butil::SeqReader reader([&](void* buf, std::size_t n) {
      n = std::min(n, text.size() - at);
      std::memcpy(buf, text.data() + at, n);
      at += n;
      return static_cast<int64_t>(n);
    });
    std::vector<std::string> records;
    std::string record;
    while (reader.Next(&record) == vv::butil::SeqReader::Result::kRecord) records.push_back(record);
    return records;
  }

  // rows.btr with n rows (kRowsDescription); the rows in insertion order.
  std::vector<std::string> MakeRows(int n) {
    std::mt19937 rng(20240229);
    std::vector<std::string> rows;
    for (int i = 1; i <= n; ++i) rows.push_back(Row(i, rng));
    Write("rows.des", kRowsDescription);
    Write("rows.seq", Seq(rows));
    EXPECT_EQ(Run({"-create", Path("rows.btr"), Path("rows.des")}).exit_code, 0);
    const RunResult r = Run({"-load", Path("rows.seq"), Path("rows.btr")});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    return rows;
  }
};

TEST_F(VvbutilMaintenanceTest, CheckFindsAHealthyFileInOrderOnEveryKeyType) {
  MakeRows(2000);
  const RunResult r = Run({"-check", Path("rows.btr")});
  EXPECT_EQ(r.exit_code, 0) << r.out << r.err;
  EXPECT_NE(r.out.find(": 2000 records, 10 keys: no problems.\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.err, "");
}

TEST_F(VvbutilMaintenanceTest, CloneKeepsTheDefinitionAndCopyFillsIt) {
  const std::vector<std::string> rows = MakeRows(300);
  // Key 7 by its own number, so that the clone has to keep key numbers.
  Write("by_stamp.des", "position=60 length=4 type=unsigned binary duplicates=y");
  ASSERT_EQ(Run({"-drop", Path("rows.btr"), "9"}).exit_code, 0);
  ASSERT_EQ(Run({"-sindex", Path("rows.btr"), Path("by_stamp.des"), "12"}).exit_code, 0);

  RunResult r = Run({"-clone", Path("copy.btr"), Path("rows.btr")});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  // The stat report less what differs between the files: name, counts, and
  // the unique values of each key segment (columns 49 to 61).
  const auto definition = [](const std::string& stat) {
    std::string kept;
    bool segments = false;
    for (std::size_t at = 0; at < stat.size();) {
      const std::size_t end = stat.find('\n', at);
      std::string line = stat.substr(at, end - at);
      at = end + 1;
      for (const char* varying : {"File:", "Number of records:", "Unused pages:", "File flags:"}) {
        if (line.rfind(varying, 0) == 0) line.clear();
      }
      if (segments && line.size() > 62) line.replace(49, 13, "");
      segments = segments || line.rfind("Key Segment", 0) == 0;
      kept += line + "\n";
    }
    return kept;
  };
  const RunResult original = Run({"-stat", Path("rows.btr")});
  const RunResult clone = Run({"-stat", Path("copy.btr")});
  EXPECT_NE(clone.out.find("Number of records:   0\n"), std::string::npos) << clone.out;
  EXPECT_EQ(definition(clone.out), definition(original.out));
  // Key 12 keeps its number: Create was asked to take the numbers as given.
  EXPECT_NE(original.out.find("File flags:          0x0000 -\n"), std::string::npos);
  EXPECT_NE(clone.out.find("File flags:          0x0400 key-numbers\n"), std::string::npos);
  EXPECT_NE(clone.out.find("\n 12       1 "), std::string::npos) << clone.out;
  r = Run({"-clone", Path("copy.btr"), Path("rows.btr")});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.err.find("error 59: file already exists"), std::string::npos) << r.err;

  r = Run({"-copy", Path("rows.btr"), Path("copy.btr")});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.out.find("300 records copied"), std::string::npos) << r.out;
  ASSERT_EQ(Run({"-save", Path("copy.btr"), Path("copy.seq"), "-1"}).exit_code, 0);
  EXPECT_EQ(ReadSeq("copy.seq"), rows);
  EXPECT_EQ(Run({"-check", Path("copy.btr")}).exit_code, 0);
  // A second copy: every id is taken (unique key 0).
  r = Run({"-copy", Path("rows.btr"), Path("copy.btr")});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.err.find("error 5: duplicate key value (insert of record 1)"), std::string::npos);
  EXPECT_NE(r.err.find("290 more records failed"), std::string::npos) << r.err;
}

TEST_F(VvbutilMaintenanceTest, RecoverOfAHealthyFileReadsEveryRecord) {
  const std::vector<std::string> rows = MakeRows(500);
  const RunResult r = Run({"-recover", Path("rows.btr"), Path("out.seq")});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(ReadSeq("out.seq"), rows);
  EXPECT_EQ(r.out, "vvbutil: 500 records recovered from " + Path("rows.btr") + " to " +
                       Path("out.seq") + ".\n");
}

// Damage that means the same whatever the engine's storage: the bytes of one
// record, wherever the file keeps them, are changed. The engine finds the
// damage (status 2) when it reads them, at open or at the record's page.
TEST_F(VvbutilMaintenanceTest, DamagedFileIsReportedAndWhatIsLeftRecovered) {
  const std::vector<std::string> rows = MakeRows(3000);
  std::string file = Read("rows.btr");
  const std::string victim = rows[1499].substr(0, 16);
  std::size_t hits = 0;
  for (std::size_t at = file.find(victim); at != std::string::npos;
       at = file.find(victim, at + 1)) {
    file[at + 6] ^= 0x5A;
    ++hits;
  }
  ASSERT_GT(hits, 0u) << "the record's bytes are not in the file as they are";
  Write("rows.btr", file);

  RunResult r = Run({"-check", Path("rows.btr")});
  EXPECT_NE(r.exit_code, 0);
  EXPECT_NE((r.out + r.err).find("error 2: I/O error"), std::string::npos) << r.out << r.err;

  r = Run({"-recover", Path("rows.btr"), Path("out.seq")});
  if (r.exit_code == 2) {
    // The storage found the damage at open: nothing can be read.
    EXPECT_NE(r.err.find("error 2: I/O error"), std::string::npos) << r.err;
    return;
  }
  ASSERT_EQ(r.exit_code, 1) << r.out << r.err;
  const std::vector<std::string> recovered = ReadSeq("out.seq");
  const std::set<std::string> all(rows.begin(), rows.end());
  const std::set<std::string> distinct(recovered.begin(), recovered.end());
  EXPECT_EQ(distinct.size(), recovered.size());
  EXPECT_LT(recovered.size(), rows.size());
  EXPECT_GT(recovered.size(), rows.size() / 2);
  for (const std::string& record : recovered)
    EXPECT_TRUE(all.count(record)) << record.substr(4, 12);
  EXPECT_EQ(distinct.count(rows[1499]), 0u);
  EXPECT_NE(r.out.find("of the 3000 records the file counts could not be read"), std::string::npos)
      << r.out;
}

}  // namespace
