// btrFileOpen through the exported entry points: the open file record it
// builds, the names and paths it takes the Btrieve file from, owner names,
// exclusive access, the INT file's two passes, the stat, system files, and
// failures (allocation failures included) that leave nothing behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/frame/errors.h"
#include "driver/frame/host/host_text.h"
#include "driver/frame/util/memory.h"
#include "driver/tables/file_open.h"
#include "support/engine_table.h"
#include "tables/file_open_fixture.h"

namespace vv::testing {
namespace {

using driver::OpenFile;

constexpr const char* kIntHeader = "DRIVER_NAME VEVERAVE\n";

class FileOpenTest : public FileOpenFixture {
 protected:
  // Sets the owner of a Btrieve file through a client of its own.
  void OwnerSet(const std::string& path, const std::string& owner) {
    EngineClient client;
    ASSERT_EQ(client.Open(path), 0);
    std::vector<uint8_t> data(owner.begin(), owner.end());
    std::string key = owner;
    ASSERT_EQ(client.Call(BTR_SET_OWNER, &data, key.data(), 0), 0);
  }
  // The data lengths of the Btrieve opens in a trace: the owner names sent.
  static std::vector<uint32_t> OpenLengths(EngineTrace& trace) {
    std::vector<uint32_t> lengths;
    for (const EngineTrace::Record& call : trace.TakeCalls()) {
      if (call.op == BTR_OPEN) lengths.push_back(call.dataLen);
    }
    return lengths;
  }
};

TEST_F(FileOpenTest, BuildsTheTableAndAttachesItToTheHandle) {
  AddCust();
  int32_t h = 0;
  ASSERT_EQ(Open("CUST", &h), 0) << TakeError();
  OpenFile* file = File(h);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->hFile, h);
  EXPECT_EQ(std::string(file->lpszBtrPath), Path("CUST.BTR"));
  EXPECT_STREQ(file->lpszOwner, "");
  EXPECT_EQ(file->nOpenMode, 0);
  EXPECT_EQ(file->nRecLen, 34);
  EXPECT_EQ(file->nFields, 3);
  EXPECT_EQ(file->nIndexes, 2);
  // The stat and the dictionary rows serve the open only.
  EXPECT_EQ(file->lpStat, nullptr);
  EXPECT_EQ(file->lpDdfFields, nullptr);
  EXPECT_EQ(file->lpFields[2].lpSource, nullptr);
  EXPECT_EQ(file->lpLogin->lpFiles, file);
  EXPECT_EQ(globals()->nOpenFiles, 1);

  ASSERT_EQ(Insert(h, {{1, "7"}, {2, "Ada"}}), 0) << TakeError();
  btrFileClear(h);
  btrFieldPutString(h, 1, "7", 0, 0, 0);
  ASSERT_EQ(btrRecordFind(h, 1, 2), 0) << TakeError();
  EXPECT_EQ(btrFileReread(h), 0);
  EXPECT_EQ(Get(h, 2), "Ada");

  // A second open goes to the head of the login's list.
  int32_t h2 = 0;
  ASSERT_EQ(Open("CUST", &h2), 0) << TakeError();
  EXPECT_EQ(file->lpLogin->lpFiles, File(h2));
  EXPECT_EQ(file->lpPrev, File(h2));
}

TEST_F(FileOpenTest, NamesThatFindNoTable) {
  AddCust();
  ASSERT_TRUE(dict_->AddFileRow({50, "GHOST", "GHOST.BTR"})) << dict_->error();
  const std::string longName(21, 'N');
  const struct {
    std::string name;
    std::string error;
  } cases[] = {
      {"", "75 Can't find !"},
      {dir() + platform::kPathSeparator, "75 Can't find " + dir() + platform::kPathSeparator + "!"},
      {"NOPE", "75 NOPE, XF$Name not found."},
      {"GHOST", "75 GHOST:GHOST.BTR, BTR:12"},
      {"CUST|NONE.BTR", "75 CUST:NONE.BTR, BTR:12"},
      {longName, "75 Error 4101 ddfFileRead " + longName + "."},
  };
  for (const auto& c : cases) EXPECT_EQ(OpenFails(c.name), c.error) << c.name;
}

TEST_F(FileOpenTest, BtrieveLocationsAndPaths) {
  AddCust();
  ASSERT_EQ(platform::CreateDirectory(Path("sub")), platform::FsResult::kOk);
  const ddf::TableDef side = {"SIDE", Path("sub/SIDE.BTR"), {{"ID", BTR_TYPE_INTEGER, 4}}, {}};
  ASSERT_TRUE(dict_->AddTable(side)) << dict_->error();
  ddf::TableDef absolute = side;
  absolute.name = "ABS";
  absolute.file = Path("sub/ABS.BTR");
  ASSERT_TRUE(dict_->AddTable(absolute)) << dict_->error();
  WriteFile("sub/SIDE.INT", kIntHeader);
  ASSERT_EQ(Initialise(), 1);

  // A bare name after the vertical bar is found beside the table's INT file.
  int32_t h = 0;
  ASSERT_EQ(Open(Path("sub/SIDE") + "|SIDE.BTR", &h), 0) << TakeError();
  EXPECT_STREQ(File(h)->lpszBtrFile, "SIDE.BTR");
  EXPECT_EQ(std::string(File(h)->lpszBtrPath), Path("sub/SIDE.BTR"));
  EXPECT_EQ(std::string(File(h)->lpszIntFile), Path("sub/SIDE.INT"));

  // BTR_PATH takes bare names; a location with a directory stays as it is.
  const std::string btrDir = Path("elsewhere") + platform::kPathSeparator;
  driver::mvbtrStrNewCpy(&globals()->lpszBtrDir, btrDir.c_str());
  EXPECT_EQ(OpenFails("CUST"), "75 CUST:" + btrDir + "CUST.BTR, BTR:12");
  int32_t h2 = 0;
  ASSERT_EQ(Open("ABS", &h2), 0) << TakeError();
  EXPECT_EQ(std::string(File(h2)->lpszBtrPath), absolute.file);
}

TEST_F(FileOpenTest, OwnerNamesAreTriedInOrder) {
  WriteSettings("OWNER A\nOWNER B\n");
  AddCust();
  ddf::TableDef other = {"ORD", "ORD.BTR", {{"ID", BTR_TYPE_INTEGER, 4}}, {{{{"ID"}}}}};
  ASSERT_TRUE(dict_->AddTable(other)) << dict_->error();
  OwnerSet(Path("CUST.BTR"), "B");
  OwnerSet(Path("ORD.BTR"), "C");
  Login();
  EngineTrace trace;

  // "A" is refused, "B" opens; each name goes with its NUL.
  int32_t h = 0;
  ASSERT_EQ(Open("CUST", &h), 0) << TakeError();
  EXPECT_STREQ(File(h)->lpszOwner, "B");
  EXPECT_EQ(OpenLengths(trace), (std::vector<uint32_t>{2, 2}));

  // No name fits: the list, then the empty name, then 20566.
  EXPECT_EQ(OpenFails("ORD"), "20566 ORD");
  EXPECT_EQ(OpenLengths(trace), (std::vector<uint32_t>{2, 2, 1}));

  // The INT file's owner comes first; the list follows it.
  WriteFile("ORD.INT", std::string(kIntHeader) + "OWNER \"C\"\n");
  int32_t h2 = 0;
  ASSERT_EQ(Open("ORD", &h2), 0) << TakeError();
  EXPECT_STREQ(File(h2)->lpszOwner, "C");
  EXPECT_EQ(OpenLengths(trace).size(), 1u);
  WriteFile("ORD.INT", std::string(kIntHeader) + "OWNER X\n");
  EXPECT_EQ(OpenFails("ORD"), "20566 ORD");
  EXPECT_EQ(OpenLengths(trace), (std::vector<uint32_t>{2, 2, 2, 1})) << "X, A, B, then empty";
}

TEST_F(FileOpenTest, ExclusiveAccessAndRefusedOpens) {
  AddCust();
  const std::string path = Path("CUST.BTR");
  Login();
  int32_t h = 0;
  ASSERT_EQ(Open("CUST", &h, driver::kOpenModeExclusive), 0) << TakeError();
  EXPECT_EQ(File(h)->nOpenMode, BTR_OPEN_EXCLUSIVE);
  EXPECT_FALSE(FileIsFree(path));
  ASSERT_EQ(btrFileClose(h, 0), 0);
  EXPECT_TRUE(FileIsFree(path));

  Login();
  {
    EngineClient holder;
    ASSERT_EQ(holder.Open(path), 0);
    EXPECT_EQ(OpenFails("CUST", driver::kOpenModeExclusive), "4177 CUST:" + path + ", BTR:88");
  }
  EngineTrace trace;
  trace.Inject(BTR_OPEN, {BTR_STATUS_ACCESS_DENIED});
  EXPECT_EQ(OpenFails("CUST"), "75 CUST:" + path + ", BTR:46");
  EXPECT_TRUE(FileIsFree(path));
}

TEST_F(FileOpenTest, IntFilePasses) {
  AddCust();
  Login();
  // Under its own name, with the dictionary name from its INT file: its
  // second pass sets field 2; an unknown character set does not stop it.
  WriteFile("ALIAS.INT", std::string(kIntHeader) +
                             "DDF_NAME 'CUST'\nFIELD_NUMBER 2\nFIELD_INDEX 5\n"
                             "CHARACTER_SET latin\nFIELD_LENGTH 12\n");
  int32_t h = 0;
  ASSERT_EQ(Open("ALIAS", &h), 0) << TakeError();
  EXPECT_EQ(host_.error(), 0) << host_.error_text();
  EXPECT_STREQ(File(h)->lpszDdfName, "CUST");
  EXPECT_EQ(std::string(File(h)->lpszIntFile), "ALIAS.INT");
  EXPECT_EQ(File(h)->lpFields[2].nMainIndex, 5) << "the INT file has the last word";
  EXPECT_EQ(File(h)->lpFields[2].nHostLength, 12);
  EXPECT_EQ(File(h)->nCharSet, driver::kCharSetOem);

  // A negative handle: the host has the INT file open; the driver makes the
  // handle positive and closes the file at the end.
  const std::string intPath = WriteFile("CUST.INT", std::string(kIntHeader) + "FIELD_INDEX 3\n");
  ASSERT_EQ(driver::mvbtrTextOpen(intPath.c_str(), VV_TEXT_MODE_READ), 0);
  int32_t negative = -(host_.FreeHandle());
  ASSERT_EQ(btrFileOpen(intPath.c_str(), 0, &negative), 0) << TakeError();
  ASSERT_GT(negative, 0);
  EXPECT_EQ(std::string(File(negative)->lpszIntFile), intPath);
  EXPECT_EQ(File(negative)->lpFields[1].nMainIndex, 3);
  char keyword[VV_HOST_TEXT_LINE_SIZE];
  char value[VV_HOST_TEXT_LINE_SIZE];
  EXPECT_EQ(driver::mvbtrTextRead(keyword, value), VV_TEXT_READ_FAILED);
  host_.ClearError();
  ASSERT_EQ(btrFileClose(h, 0) + btrFileClose(negative, 0), 0);

  // Errors of either pass fail the open, and the Btrieve file is closed again.
  const struct {
    std::string lines;
    std::string error;
  } cases[] = {
      {"DDF_NAME NOPE\n", "75 NOPE, XF$Name not found."},
      {"FIELD_NUMBER 4\n", "77 CUST"},
      {"FIELD_TYPE NUMBER\n", "20501 , field 1: ID."},
      {"FIELD_NUMBER 3\nFIELD_TYPE_BTR FLOAT\n", "20544 , field 3: CITY."},
      {"FIELD_TYPE_AUX DUMMY\n", "20544 , field 1: ID."},
      {"RECNUM_METHOD AUTO_CONFIG\n", "4277 CUST: RECNUM_METHOD"},
  };
  for (const auto& c : cases) {
    WriteFile("CUST.INT", kIntHeader + c.lines);
    EXPECT_EQ(OpenFails("CUST"), c.error) << c.lines;
    EXPECT_TRUE(FileIsFree(Path("CUST.BTR"))) << c.lines;
  }
  // Without USE_INT_FILE the file is not read.
  globals()->bUseIntFile = 0;
  int32_t h2 = 0;
  EXPECT_EQ(Open("CUST", &h2), 0) << TakeError();
  EXPECT_EQ(File(h2)->lpszIntFile, nullptr);
}

TEST_F(FileOpenTest, StatGrowsItsBufferAndFailsTheOpenOtherwise) {
  AddCust();
  Login();
  EngineTrace trace;
  trace.Inject(BTR_STAT, {BTR_STATUS_DATA_BUFFER_TOO_SHORT});
  int32_t h = 0;
  ASSERT_EQ(Open("CUST", &h), 0) << TakeError();
  std::vector<uint32_t> statLengths;
  for (const EngineTrace::Record& call : trace.TakeCalls()) {
    if (call.op == BTR_STAT) statLengths.push_back(call.dataLen);
  }
  EXPECT_EQ(statLengths, (std::vector<uint32_t>{1920, 3840}));

  trace.Inject(BTR_STAT, {BTR_STATUS_IO_ERROR});
  EXPECT_EQ(OpenFails("CUST"), "20483 CUST");
  const std::vector<EngineTrace::Record> calls = trace.TakeCalls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls.back().op, BTR_CLOSE) << "the file opened is closed again";
}

TEST_F(FileOpenTest, OneRecordWithoutIndexesIsASystemFile) {
  ASSERT_TRUE(dict_->AddTable({"ONE", "ONE.BTR", {{"V", BTR_TYPE_STRING, 8}}, {}}))
      << dict_->error();
  AddCust();
  WriteSettings("AUTO_LOGOUT 0\n");
  int32_t one = 0;
  int32_t cust = 0;
  ASSERT_EQ(Open("ONE", &one) + Open("CUST", &cust), 0) << TakeError();
  ASSERT_EQ(Insert(one, {{1, "x"}}) + Insert(cust, {{1, "1"}}), 0) << TakeError();
  for (const uint8_t autoMark : {1, 0}) {
    globals()->bAutoMarkSysfile = autoMark;
    int32_t h = 0;
    int32_t h2 = 0;
    ASSERT_EQ(Open("ONE", &h) + Open("CUST", &h2), 0) << TakeError();
    EXPECT_EQ(File(h)->bSystemFile, autoMark);
    EXPECT_EQ(File(h2)->bSystemFile, 0) << "a table with indexes";
  }
}

TEST_F(FileOpenTest, OutOfMemoryAnywhereLeavesNothingBehind) {
  ASSERT_TRUE(dict_->AddTable({"SWEEP",
                               "SWEEP.BTR",
                               {{"A", BTR_TYPE_STRING, 10},
                                {"B", BTR_TYPE_STRING, 10},
                                {"OV", BTR_TYPE_STRING, 8, 0, 0, false, 6}},
                               {{{{"A"}}}, {{{"B"}}, BTR_KEY_DUPLICATES}}}))
      << dict_->error();
  WriteSettings("AUTO_LOGOUT 0\n");
  WriteFile("SWEEP.INT", std::string(kIntHeader) + "DDF_NAME SWEEP\nOWNER \"\"\nFIELD_INDEX 1\n");
  // One open first, so that what lives as long as the driver exists.
  int32_t h = 0;
  ASSERT_EQ(Open("SWEEP", &h), 0) << TakeError();
  ASSERT_EQ(btrFileClose(h, 0), 0);
  bool failed = true;
  for (long n = 1; failed; ++n) {
    SCOPED_TRACE(n);
    const long live = driver::AllocLive();
    driver::AllocFailureSet(n);
    h = 0;
    const int16_t status = Open("SWEEP", &h);
    failed = driver::AllocFailureSet(0) >= n;
    if (!failed) {
      EXPECT_EQ(status, 0) << TakeError();
      EXPECT_EQ(File(h)->lpFields[3].nOverlaps, 2);
      break;
    }
    EXPECT_EQ(status, driver::kErrOutOfMemory);
    EXPECT_EQ(FailedOpen(h, status, 0).substr(0, 3), "10 ");
    EXPECT_EQ(driver::AllocLive(), live);
    EXPECT_TRUE(FileIsFree(Path("SWEEP.BTR")));
  }
}

}  // namespace
}  // namespace vv::testing
