// Tables' INT files through the reference host's text-file services: written
// files read back, the two reading passes around the dictionary, their
// errors, and allocation failures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/frame/errors.h"
#include "driver/frame/host/host_text.h"
#include "driver/frame/settings/keywords.h"
#include "driver/frame/util/memory.h"
#include "driver/tables/file_record.h"
#include "driver/tables/int_file_read.h"
#include "driver/tables/int_file_write.h"
#include "platform/platform.h"
#include "support/driver_fixture.h"
#include "support/open_file_builder.h"

namespace vv::testing {
namespace {

using driver::FieldDesc;
using driver::OpenFile;

class IntFileTest : public DriverFixture {
 protected:
  void SetUp() override {
    DriverFixture::SetUp();
    ASSERT_EQ(Initialise(), 1);
  }
  void TearDown() override {
    driver::mvbtrFileIntClose();
    for (OpenFile*& file : files_) driver::mvbtrFileRecordFree(&file);
    DriverFixture::TearDown();
  }
  // Two fields as the dictionary builds them; the table is named CUST.
  OpenFile* Table(std::vector<FieldLayout> layouts = {
                      {"NAME", driver::kHostAscii, BTR_TYPE_STRING, 0, 20, 20},
                      {"CODE", driver::kHostAscii, BTR_TYPE_STRING, 20, 5, 5}}) {
    files_.push_back(OpenFileBuild(layouts));
    driver::mvbtrStrNewCpy(&files_.back()->lpszDdfName, "CUST");
    return files_.back();
  }
  // Writes text as CUST.INT and runs the open's steps on it: open and first
  // pass, then (when second) the second pass. The first failing status.
  int16_t Read(OpenFile* file, const std::string& text, bool second = true) {
    const std::string path = WriteFile("CUST.INT", text);
    bool used = false;
    int16_t status = driver::mvbtrFileIntOpen(file, path.c_str(), false, &used);
    if (status == 0 && used) status = driver::mvbtrFileIntReadFirst(file, &line_);
    if (status == 0 && used && second)
      status = driver::mvbtrFileIntReadSecond(file, "OPEN", &line_);
    return status;
  }
  std::string Path(const std::string& name) { return dir() + platform::kPathSeparator + name; }
  std::string Written(const std::string& name) {
    std::string text = platform::ReadFileToString(Path(name)).value_or("");
    std::erase(text, '\r');
    return text;
  }
  std::string TakeErrorText() {
    std::string text = std::to_string(host_.error()) + " " + host_.error_text();
    host_.ClearError();
    return text;
  }

  std::vector<OpenFile*> files_;
  driver::IntFileLine line_{};
};

constexpr const char* kHeader = "DRIVER_NAME VEVERAVE\n";

TEST_F(IntFileTest, WrittenFileReadsBack) {
  const std::vector<FieldLayout> dictionary = {
      {"NAME", driver::kHostAscii, BTR_TYPE_STRING, 0, 20, 20},
      {"CODE", driver::kHostAscii, BTR_TYPE_STRING, 0, 4, 4},
      {"PHOTO", driver::kHostText, BTR_TYPE_LONGVAR, 20, 8, 16384},
      {"MEMO", driver::kHostText, BTR_TYPE_LONGVAR, 28, 8, 16384},
      {"REMARK", driver::kHostText, driver::kAuxLstring2, 36, 302, 300},
      {"SHORT", driver::kHostAscii, BTR_TYPE_ZSTRING, 338, 101, 100},
      {"AMOUNT", driver::kHostBcd, BTR_TYPE_DECIMAL, 439, 6, 11},
      {"PLAIN", driver::kHostAscii, BTR_TYPE_STRING, 445, 10, 10}};
  OpenFile* source = Table(dictionary);
  source->lpFields[1].nMainIndex = 1;
  source->lpFields[2].nHostType = driver::kHostOverlap;
  source->lpFields[3].nHostType = driver::kHostBinary;
  source->lpFields[6].nHostType = driver::kHostText;
  source->lpFields[7].nRelFile = 3;
  source->lpFields[7].nRelField = 2;
  driver::mvbtrStrNewCpy(&source->lpszDdfName, "Customers");
  driver::mvbtrStrNewCpy(&source->lpszOwner, "secret");
  driver::mvbtrStrNewCpy(&source->lpszIntFile, Path("CUST.INT").c_str());
  source->bRecnumSupport = source->bMvForBtrieve = source->bSystemFile = 1;
  ASSERT_EQ(driver::mvbtrFileIntWrite(source), 0);
  EXPECT_STREQ(source->lpszDdfName, "CUSTOMERS");
  const std::string text = Written("CUST.INT");
  EXPECT_EQ(text, std::string(kHeader) +
                      "DDF_NAME \"CUSTOMERS\"\nOWNER secret\nMORVANTA_FOR_BTRIEVE 1\n\n"
                      "; Data after this point is read after the DDF's have been read\n\n"
                      "SYSTEM_FILE 1\n\n; NAME\nFIELD_NUMBER 1\nFIELD_INDEX 1\n\n"
                      "; CODE\nFIELD_NUMBER 2\nFIELD_TYPE OVERLAP\n\n"
                      "; PHOTO\nFIELD_NUMBER 3\nFIELD_TYPE BINARY\nFIELD_LENGTH 16384\n\n"
                      "; MEMO\nFIELD_NUMBER 4\nFIELD_LENGTH 16384\n\n"
                      "; SHORT\nFIELD_NUMBER 6\nFIELD_TYPE TEXT\n\n"
                      "; AMOUNT\nFIELD_NUMBER 7\nFIELD_RELATED_FILE 3\nFIELD_RELATED_FIELD 2\n\n");

  OpenFile* target = Table(dictionary);
  ASSERT_EQ(Read(target, text, false), 0);
  EXPECT_STREQ(target->lpszDdfName, "CUSTOMERS");
  EXPECT_STREQ(target->lpszOwner, "secret");
  EXPECT_EQ(target->bRecnumSupport + target->bMvForBtrieve, 2);
  EXPECT_EQ(target->bSystemFile, 0) << "SYSTEM_FILE belongs to the second pass";
  EXPECT_EQ(line_.nCode, driver::kIntKeywordBase + driver::kKwSystemFile);
  ASSERT_EQ(driver::mvbtrFileIntReadSecond(target, "CUST", &line_), 0);
  EXPECT_EQ(target->bSystemFile, 1);
  for (int32_t i = 1; i <= 8; ++i) {
    const FieldDesc& a = source->lpFields[i];
    const FieldDesc& b = target->lpFields[i];
    EXPECT_EQ(
        std::vector<int32_t>({a.nHostType, a.nHostLength, a.nMainIndex, a.nRelFile, a.nRelField}),
        std::vector<int32_t>({b.nHostType, b.nHostLength, b.nMainIndex, b.nRelFile, b.nRelField}))
        << "field " << i;
  }
}

TEST_F(IntFileTest, WritesOnlyWhatApplies) {
  OpenFile* file = Table();
  driver::mvbtrStrNewCpy(&file->lpszDdfName, "cust");  // the base name in another case
  driver::mvbtrStrNewCpy(&file->lpszIntFile, Path("Cust.int").c_str());
  file->bRecnumSupport = 1;
  ASSERT_EQ(driver::mvbtrFileIntWrite(file), 0);
  EXPECT_EQ(Written("Cust.int"),
            std::string(kHeader) +
                "RECNUM_SUPPORT 1\n\n; Data after this point is read after the "
                "DDF's have been read\n\n\n");
  globals()->bUseIntFile = 0;
  driver::mvbtrStrNewCpy(&file->lpszIntFile, Path("OFF.INT").c_str());
  EXPECT_EQ(driver::mvbtrFileIntWrite(file), 0);
  EXPECT_FALSE(platform::FileExists(Path("OFF.INT")));
}

TEST_F(IntFileTest, WritingStopsAtTheFirstHostError) {
  OpenFile* file = Table();
  file->lpFields[1].nMainIndex = 1;
  file->lpFields[2].nMainIndex = 2;
  driver::mvbtrStrNewCpy(&file->lpFields[1].lpszName, "NA\nME");  // the host refuses the line
  driver::mvbtrStrNewCpy(&file->lpszIntFile, Path("CUST.INT").c_str());
  int16_t status = driver::mvbtrFileIntWrite(file);
  EXPECT_NE(status, 0);
  EXPECT_EQ(status, host_.error());
  EXPECT_EQ(Written("CUST.INT").find("FIELD_NUMBER"), std::string::npos);
  EXPECT_NE(driver::mvbtrTextWrite("X", "", 0), 0) << "the file was closed";
  host_.ClearError();
  driver::mvbtrStrNewCpy(&file->lpszIntFile, Path("NO/SUCH/DIR.INT").c_str());
  status = driver::mvbtrFileIntWrite(file);
  EXPECT_EQ(status, host_.error());
  EXPECT_NE(status, 0) << "the host cannot create the file";
  host_.ClearError();
}

TEST_F(IntFileTest, MakePathPrefersTheBareNameAlongTheDataPath) {
  OpenFile* file = Table();
  driver::mvbtrStrNewCpy(&file->lpszBtrPath, "X:\\ELSEWHERE\\cust.btr");
  EXPECT_EQ(driver::mvbtrFileIntMakePath(file), 0);
  EXPECT_STREQ(file->lpszIntFile, "cust.INT") << "found nowhere: the bare name";
  WriteFile("CUST.INT", kHeader);
  driver::mvbtrFileIntMakePath(file);
  EXPECT_STREQ(file->lpszIntFile, "cust.INT");
  // Found only in the current directory: the full path.
  const std::string here = platform::CurrentDirectory() + platform::kPathSeparator + "VVMKPATH.INT";
  ASSERT_TRUE(platform::WriteStringToFile(here, kHeader));
  driver::mvbtrMemFree(&file->lpszBtrPath);
  driver::mvbtrStrNewCpy(&file->lpszBtrFile, "VVMKPATH.DAT");
  driver::mvbtrFileIntMakePath(file);
  EXPECT_TRUE(platform::FileExists(file->lpszIntFile));
  EXPECT_NE(std::string(file->lpszIntFile), "VVMKPATH.INT");
  platform::DeleteFile(here);

  const long live = driver::AllocLive();
  driver::AllocFailureSet(1);
  EXPECT_EQ(driver::mvbtrFileIntMakePath(file), driver::kErrOutOfMemory);
  EXPECT_EQ(TakeErrorText(), "10 mvbtrFileIntMakePath");
  EXPECT_EQ(driver::AllocLive(), live);
  EXPECT_NE(file->lpszIntFile, nullptr) << "the old path stays";
}

TEST_F(IntFileTest, ReadPathsComeFromIntPathOrTheOpenName) {
  char path[driver::kIntPathSize];
  EXPECT_FALSE(driver::mvbtrFileIntSearch("CUST", path));
  WriteFile("CUST.INT", kHeader);
  ASSERT_TRUE(driver::mvbtrFileIntSearch("cust", path)) << "along the data path";
  EXPECT_TRUE(platform::FileExists(path));
  driver::mvbtrStrNewCpy(&globals()->lpszIntDir, Path("NONE\\").c_str());
  EXPECT_FALSE(driver::mvbtrFileIntSearch("CUST", path)) << "INT_PATH replaces the data path";
  driver::mvbtrStrNewCpy(&globals()->lpszIntDir, (dir() + "\\").c_str());
  EXPECT_TRUE(driver::mvbtrFileIntSearch("CUST", path));

  ASSERT_TRUE(driver::mvbtrFileIntDefaultPath("C:\\DATA.V2\\CUST.DAT", path));
  EXPECT_STREQ(path, "C:\\DATA.V2\\CUST.INT");
  ASSERT_TRUE(driver::mvbtrFileIntDefaultPath("D:ORDERS", path));
  EXPECT_STREQ(path, "D:ORDERS.INT");
  EXPECT_FALSE(driver::mvbtrFileIntDefaultPath("C:\\DATA\\", path));
}

TEST_F(IntFileTest, OpenNeedsAFirstLineNamingTheDriver) {
  struct Case {
    const char* text;
    bool used;
  };
  for (const Case& c : {Case{"DRIVER_NAME OTHER\n", true}, Case{"; note\nENGINE veverave\n", true},
                        Case{"ENGINE OTHER\n", false}, Case{"", false}}) {
    OpenFile* file = Table();
    const std::string path = WriteFile("CUST.INT", c.text);
    bool used = !c.used;
    EXPECT_EQ(driver::mvbtrFileIntOpen(file, path.c_str(), false, &used), 0);
    EXPECT_EQ(used, c.used) << c.text;
    EXPECT_EQ(file->lpszIntFile != nullptr, c.used);
    driver::mvbtrFileIntClose();
  }
  bool used = true;
  EXPECT_EQ(driver::mvbtrFileIntOpen(Table(), Path("NONE.INT").c_str(), false, &used), 0);
  EXPECT_FALSE(used);
  EXPECT_EQ(host_.error(), 0) << "a missing INT file is no error";
  // A file the host has open already is read from where it stands.
  const std::string path = WriteFile("HOST.INT", std::string(kHeader) + "DDF_NAME HOSTED\n");
  ASSERT_EQ(driver::mvbtrTextOpen(path.c_str(), VV_TEXT_MODE_READ), 0);
  OpenFile* file = Table();
  ASSERT_EQ(driver::mvbtrFileIntOpen(file, path.c_str(), true, &used), 0);
  ASSERT_TRUE(used);
  EXPECT_EQ(driver::mvbtrFileIntReadFirst(file, &line_), 0);
  EXPECT_STREQ(file->lpszDdfName, "HOSTED");
}

TEST_F(IntFileTest, FirstPassTakesTheLeadingTableLines) {
  OpenFile* file = Table();
  ASSERT_EQ(Read(file, std::string(kHeader) + "DDF_NAME 'Orders 2'\n", false), 0);
  EXPECT_STREQ(file->lpszDdfName, "Orders 2");
  EXPECT_EQ(line_.szValue[0], '\0') << "the file ended";
  EXPECT_EQ(driver::mvbtrFileIntReadSecond(file, "OPEN", &line_), 0);

  file = Table();
  ASSERT_EQ(
      Read(file, std::string(kHeader) + "OWNER \"pw\"\nRECNUM_SUPPORT 1\nFIELD_NUMBER 2\nOWNER x\n",
           false),
      0);
  EXPECT_STREQ(file->lpszOwner, "pw");
  EXPECT_EQ(file->bRecnumSupport, 1);
  EXPECT_EQ(file->bMvForBtrieve, 0);
  EXPECT_EQ(line_.nCode, VV_LINE_FIELD_NUMBER);
  EXPECT_STREQ(line_.szValue, "2");
  EXPECT_EQ(driver::mvbtrFileIntReadSecond(file, "OPEN", &line_), 4277) << "OWNER after the border";

  file = Table();
  ASSERT_EQ(Read(file, std::string(kHeader) + "MORVANTA_FOR_BTRIEVE 1\nOWNER\nRECNUM_SUPPORT 0\n"),
            0);
  EXPECT_EQ(file->bMvForBtrieve + file->bRecnumSupport, 2) << "an empty value ends the file";
}

TEST_F(IntFileTest, SecondPassSetsFieldsFromFieldOneOn) {
  OpenFile* file = Table();
  file->bSystemFile = 1;
  ASSERT_EQ(
      Read(file,
           std::string(kHeader) +
               "SYSTEM_FILE 0\nFIELD_INDEX 2\nFIELD_PRECISION -3\nCHARACTER_SET 'char'\n"
               "FIELD_NUMBER 2\nFIELD_LENGTH 40\nFIELD_TYPE_AUX MVBCD\nFIELD_RELATED_FILE 9\n"),
      0);
  EXPECT_EQ(file->bSystemFile, 0);
  EXPECT_EQ(file->nCharSet, driver::kCharSetChar);
  EXPECT_EQ(file->lpFields[1].nMainIndex, 2);
  EXPECT_EQ(file->lpFields[1].nPrecision, -3);
  const FieldDesc& code = file->lpFields[2];
  EXPECT_EQ(code.nBtrType, driver::kAuxMvbcd);
  EXPECT_EQ(code.nHostType, driver::kHostBcd);
  EXPECT_EQ(code.nHostLength, 10) << "two digits to each of the 5 bytes";
  EXPECT_EQ(code.nRelFile, 9);

  file = Table();
  EXPECT_EQ(Read(file, std::string(kHeader) +
                           "FIELD_TYPE_BTR UNKNOWN\nFIELD_NUMBER 2\n"
                           "FIELD_TYPE_AUX LSTRING2\nCHARACTER_SET latin\nFIELD_INDEX 3\n"),
            0);
  EXPECT_EQ(file->lpFields[1].nBtrType, BTR_TYPE_LVAR) << "the first code of the name";
  EXPECT_EQ(file->lpFields[2].nBtrType, driver::kAuxLstring2);
  EXPECT_EQ(file->lpFields[2].nMainIndex, 3) << "the open goes on after 20558";
  EXPECT_EQ(file->nCharSet, driver::kCharSetOem);
  EXPECT_EQ(TakeErrorText(), "20558 LATIN");
}

TEST_F(IntFileTest, SecondPassErrorsFailTheOpen) {
  struct Case {
    std::string lines;
    std::string error;
  };
  const Case cases[] = {
      {"FIELD_NUMBER 0\n", "77 CUST"},
      {"FIELD_NUMBER 3\n", "77 CUST"},
      {"FIELD_NUMBER 2\nFIELD_TYPE NUMBER\n", "20501 , field 2: CODE."},
      {"FIELD_TYPE text\n", "20501 , field 1: NAME."},
      {"FIELD_TYPE_BTR FLOAT\n", "20544 , field 1: NAME."},
      {"FIELD_NUMBER 2\nFIELD_TYPE_AUX DUMMY\n", "20544 , field 2: CODE."},
      {"FIELD_TYPE_AUX BCD\n", "20544 , field 1: NAME."},
      {"RECNUM_METHOD AUTO_CONFIG\n", "4277 OPEN: RECNUM_METHOD"},
      {"PRIMARY_INDEX 1\n", "4277 OPEN: PRIMARY_INDEX"},
      {"ACS x.alt\n", "4277 OPEN: ACS"},
      {"DRIVER_NAME VEVERAVE\n", "4277 OPEN: DRIVER_NAME"},
      {"ddf_name x\n", "4277 OPEN: ddf_name"},
  };
  for (const Case& c : cases) {
    const int16_t status = Read(Table(), kHeader + c.lines);
    EXPECT_EQ(TakeErrorText(), c.error) << c.lines;
    EXPECT_EQ(std::to_string(status), c.error.substr(0, c.error.find(' '))) << c.lines;
  }
  OpenFile* none = Table({});
  EXPECT_EQ(Read(none, std::string(kHeader) + "FIELD_INDEX 1\n"), driver::kErrBadFieldNumber)
      << "a table without fields has no field 1";
  host_.ClearError();
  // A line that cannot be read fails the pass with the host's error.
  ASSERT_EQ(Read(Table(), std::string(kHeader) + "FIELD_INDEX 1\nFIELD_INDEX 2\n", false), 0);
  driver::mvbtrFileIntClose();
  const int16_t status = driver::mvbtrFileIntReadSecond(files_.back(), "OPEN", &line_);
  EXPECT_EQ(status, host_.error());
  EXPECT_NE(status, 0);
  host_.ClearError();
}

TEST_F(IntFileTest, OutOfMemoryWhileReadingLeavesNothingBehind) {
  const std::string text = std::string(kHeader) + "DDF_NAME ORDERS\nOWNER pw\n";
  const char* contexts[] = {"mvbtrFileIntOpen", "mvbtrFileIntReadFirst", "mvbtrFileIntReadFirst"};
  for (long n = 1; n <= 3; ++n) {
    const long live = driver::AllocLive();
    OpenFile* file = Table();
    driver::AllocFailureSet(n);
    EXPECT_EQ(Read(file, text), driver::kErrOutOfMemory) << n;
    EXPECT_EQ(TakeErrorText(), std::string("10 ") + contexts[n - 1]);
    driver::mvbtrFileIntClose();
    driver::mvbtrFileRecordFree(&files_.back());
    files_.pop_back();
    EXPECT_EQ(driver::AllocLive(), live) << n;
  }
  driver::AllocFailureSet(4);
  EXPECT_EQ(Read(Table(), text), 0);
}

}  // namespace
}  // namespace vv::testing
