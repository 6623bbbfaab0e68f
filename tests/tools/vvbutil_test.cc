// Runs of the built vvbutil program on the embedded engine: each test works
// in a fresh directory and checks exit codes, messages and the files left.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tools/support/program_test.h"

namespace {

namespace platform = vv::platform;

using vv::testing::RunResult;

class VvbutilTest : public vv::testing::ProgramTest {
 protected:
  VvbutilTest() : ProgramTest("vvbutil") {}

  // A 20-byte record: a 4-byte integer id, a 10-byte zstring name, 6 bytes
  // of filler.
  static std::string Record(int32_t id, const std::string& name) {
    std::string r(20, '.');
    for (int i = 0; i < 4; ++i) r[i] = static_cast<char>(static_cast<uint32_t>(id) >> (8 * i));
    std::string z = name;
    z.resize(10, '\0');
    r.replace(4, 10, z);
    return r;
  }

  static std::string Seq(const std::vector<std::string>& records) {
    std::string s;
    for (const std::string& r : records) s += std::to_string(r.size()) + "," + r + "\r\n";
    return s;
  }

  // Creates people.btr: key 0 the unique id, key 1 the name (duplicates,
  // case-insensitive).
  void CreatePeople() {
    Write("people.des",
          "/* people */\n"
          "record=20 variable=n key=2 page=1024 replace=n\n"
          "position=1 length=4 duplicates=n modifiable=n type=integer segment=n\n"
          "position=5 length=10 duplicates=y modifiable=y type=zstr caseinsensitive=y "
          "segment=n\n");
    const RunResult r = Run({"-create", Path("people.btr"), Path("people.des")});
    ASSERT_EQ(r.exit_code, 0) << r.err;
  }

};

TEST_F(VvbutilTest, CreateLoadSaveAndStat) {
  CreatePeople();
  RunResult r = Run({"-create", Path("people.btr"), Path("people.des")});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(r.err.find("vvbutil: error 59: file already exists"), 0u) << r.err;
  r = Run({"-create", Path("people.btr"), Path("people.des"), "Y"});
  EXPECT_EQ(r.exit_code, 0) << r.err;

  const std::vector<std::string> records = {Record(3, "carol"), Record(1, "Bob"),
                                            Record(2, "alice"), Record(-5, "bob")};
  Write("in.seq", Seq(records) + "\x1a");
  r = Run({"-load", Path("in.seq"), Path("people.btr")});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.out.find("4 records inserted"), std::string::npos) << r.out;

  r = Run({"-save", Path("people.btr"), Path("by_id.seq")});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(Read("by_id.seq"), Seq({records[3], records[1], records[2], records[0]}));
  r = Run({"-save", Path("people.btr"), Path("by_name.seq"), "1"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  // Case-insensitive names; equal names keep their insertion order.
  EXPECT_EQ(Read("by_name.seq"), Seq({records[2], records[1], records[3], records[0]}));
  r = Run({"-save", Path("people.btr"), Path("physical.seq"), "-1"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(Read("physical.seq"), Seq(records));

  r = Run({"-stat", Path("people.btr")});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  for (const char* part :
       {"Record length:       20\n", "Page size:           1024\n", "Number of records:   4\n",
        "Number of keys:      2\n", "File version:        9.0\n", "integer", "zstring",
        "duplicates modifiable case-insensitive"}) {
    EXPECT_NE(r.out.find(part), std::string::npos) << part << " in\n" << r.out;
  }
}

TEST_F(VvbutilTest, LoadReportsFailedRecordsAsPartial) {
  CreatePeople();
  // The second record repeats a unique id, the third has the wrong length.
  Write("in.seq", Seq({Record(1, "a"), Record(1, "b"), "short", Record(2, "c")}));
  RunResult r = Run({"-load", Path("in.seq"), Path("people.btr")});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("error 5: duplicate key value (insert of record 2)"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("error 22: data buffer length (insert of record 3)"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.out.find("2 records inserted"), std::string::npos) << r.out;

  // Nothing inserted at all: the load failed.
  r = Run({"-load", Path("in.seq"), Path("people.btr")});
  EXPECT_EQ(r.exit_code, 2) << r.err;
  // A damaged sequential file stops the load where the damage is.
  Write("bad.seq", Seq({Record(7, "g")}) + "20;xyz");
  r = Run({"-load", Path("bad.seq"), Path("people.btr")});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("record 2 (byte 27): expected a comma"), std::string::npos) << r.err;
}

TEST_F(VvbutilTest, SupplementalIndexAddedAndDropped) {
  CreatePeople();
  Write("in.seq", Seq({Record(1, "b"), Record(2, "a"), Record(3, "c")}));
  ASSERT_EQ(Run({"-load", Path("in.seq"), Path("people.btr")}).exit_code, 0);
  // Key 2: the id again, descending.
  Write("by_id_desc.des", "position=1 length=4 type=integer descending=y duplicates=y");
  RunResult r = Run({"-sindex", Path("people.btr"), Path("by_id_desc.des")});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  r = Run({"-save", Path("people.btr"), Path("out.seq"), "2"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(Read("out.seq"), Seq({Record(3, "c"), Record(2, "a"), Record(1, "b")}));
  EXPECT_NE(Run({"-stat", Path("people.btr")}).out.find("Number of keys:      3\n"),
            std::string::npos);

  r = Run({"-drop", Path("people.btr"), "1"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  // Key 2 renumbered to 1.
  r = Run({"-save", Path("people.btr"), Path("out.seq"), "1"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(Read("out.seq"), Seq({Record(3, "c"), Record(2, "a"), Record(1, "b")}));
  r = Run({"-drop", Path("people.btr"), "5"});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.err.find("error 6: invalid key number"), std::string::npos) << r.err;

  // A chosen key number stays as given.
  r = Run({"-sindex", Path("people.btr"), Path("by_id_desc.des"), "7"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(Run({"-stat", Path("people.btr")}).out.find("\n  7       1        1      4 integer"),
            std::string::npos);
  r = Run({"-save", Path("people.btr"), Path("out.seq"), "7"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.out.find("3 records saved"), std::string::npos) << r.out;

  Write("bad.des", "position=1 length=3 type=integer");
  r = Run({"-sindex", Path("people.btr"), Path("bad.des")});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.err.find("error 29: invalid key length"), std::string::npos) << r.err;
}

TEST_F(VvbutilTest, LongVariableRecordsSurviveSaveAndLoad) {
  Write("var.des", "record=10 variable=y key=1 position=1 length=4 type=integer");
  ASSERT_EQ(Run({"-create", Path("var.btr"), Path("var.des")}).exit_code, 0);
  // Longer than the save command's first record buffer, and one shorter.
  const std::vector<std::string> records = {Record(2, "x") + std::string(200000, 'x'),
                                            Record(1, "y"),
                                            Record(3, "z") + std::string(70000, 'z')};
  Write("in.seq", Seq(records));
  ASSERT_EQ(Run({"-load", Path("in.seq"), Path("var.btr")}).exit_code, 0);
  RunResult r = Run({"-save", Path("var.btr"), Path("by_key.seq")});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(Read("by_key.seq"), Seq({records[1], records[0], records[2]}));
  r = Run({"-save", Path("var.btr"), Path("physical.seq"), "-1"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(Read("physical.seq"), Seq(records));
}

TEST_F(VvbutilTest, OwnerSetRequiredAndCleared) {
  CreatePeople();
  RunResult r = Run({"-setowner", Path("people.btr"), "secret", "0"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  r = Run({"-stat", Path("people.btr")});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.err.find("error 51: invalid owner"), std::string::npos) << r.err;
  EXPECT_EQ(Run({"-stat", Path("people.btr"), "/Osecret"}).exit_code, 0);
  EXPECT_EQ(Run({"-clrowner", Path("people.btr"), "wrong"}).exit_code, 2);
  EXPECT_EQ(Run({"-clrowner", Path("people.btr"), "secret"}).exit_code, 0);
  EXPECT_EQ(Run({"-stat", Path("people.btr")}).exit_code, 0);
}

TEST_F(VvbutilTest, CollatingSequenceFromItsFile) {
  // Sorts 'z' first, everything else as it is.
  std::string acs(265, '\0');
  acs[0] = static_cast<char>(0xAC);
  acs.replace(1, 8, "ZFIRST  ");
  for (int i = 0; i < 256; ++i) acs[9 + i] = static_cast<char>(i == 'z' ? 0 : i);
  Write("zfirst.alt", acs);
  Write("codes.des",
        "record=8 key=1\nposition=1 length=8 type=string alternate=y duplicates=y\n"
        "name=zfirst.alt\n");
  RunResult r = Run({"-create", Path("codes.btr"), Path("codes.des")});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  Write("in.seq", Seq({"aaaaaaaa", "zzzzzzzz", "bbbbbbbb"}));
  ASSERT_EQ(Run({"-load", Path("in.seq"), Path("codes.btr")}).exit_code, 0);
  ASSERT_EQ(Run({"-save", Path("codes.btr"), Path("out.seq")}).exit_code, 0);
  EXPECT_EQ(Read("out.seq"), Seq({"zzzzzzzz", "aaaaaaaa", "bbbbbbbb"}));
  r = Run({"-stat", Path("codes.btr")});
  EXPECT_NE(r.out.find("ZFIRST"), std::string::npos) << r.out;
}

TEST_F(VvbutilTest, UsageErrorsAndMissingFiles) {
  RunResult r = Run({});
  EXPECT_EQ(r.exit_code, 3);
  EXPECT_NE(r.err.find("usage: vvbutil"), std::string::npos);
  EXPECT_EQ(Run({"-drop", "x.btr"}).exit_code, 3);

  r = Run({"-stat", Path("missing.btr")});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(r.err.find("vvbutil: error 12: file not found"), 0u) << r.err;
  r = Run({"-create", Path("x.btr"), Path("missing.des")});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.err.find("cannot read the description file"), std::string::npos) << r.err;
  Write("bad.des", "record=10 key=1 position=1 lenght=4");
  r = Run({"-create", Path("x.btr"), Path("bad.des")});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.err.find("line 1: unknown element 'lenght'"), std::string::npos) << r.err;
  EXPECT_FALSE(platform::FileExists(Path("x.btr")));

  r = Run({"-ver"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.out.find("vvbutil version"), std::string::npos);
  EXPECT_NE(r.out.find("Engine version"), std::string::npos) << r.out;
}

}  // namespace
