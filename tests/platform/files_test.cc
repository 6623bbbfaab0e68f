// Whole-file operations: existence, times, sizes, delete, rename, listing,
// companion files, temporary directories.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "tests/platform/test_util.h"

namespace vv::platform {
namespace {

using testing::MakeFile;
using testing::TempDir;

TEST(FilesTest, TellsFilesFromDirectories) {
  TempDir tmp;
  MakeFile(tmp / "F");
  EXPECT_TRUE(FileExists(tmp / "F"));
  EXPECT_FALSE(DirectoryExists(tmp / "F"));
  EXPECT_TRUE(DirectoryExists(tmp.path()));
  EXPECT_FALSE(FileExists(tmp.path()));
  EXPECT_FALSE(FileExists(tmp / "G"));
  EXPECT_FALSE(DirectoryExists(tmp / "G"));
}

TEST(FilesTest, WriteTimeIsAWindowsFileTimeAndSizeFollowsWrites) {
  TempDir tmp;
  const std::string path = tmp / "T.DAT";
  EXPECT_EQ(FileWriteTime(path), std::nullopt);
  EXPECT_EQ(FileSize(path), std::nullopt);

  const uint64_t before = NowFileTime();
  MakeFile(path, "12345");
  const uint64_t after = NowFileTime();
  const std::optional<uint64_t> written = FileWriteTime(path);
  ASSERT_TRUE(written);
  // File systems stamp with a coarse clock: allow a little slack.
  const uint64_t slack = 20'000'000;  // 2 s in 100 ns units
  EXPECT_GE(*written + slack, before);
  EXPECT_LE(*written, after + slack);
  // 100 ns units since 1601: seconds since 1970 come out of it.
  EXPECT_NEAR(static_cast<double>(*written / 10'000'000 - 11'644'473'600ULL),
              static_cast<double>(NowSeconds()), 5.0);

  EXPECT_EQ(FileSize(path), 5u);
  auto file = OpenFile(path, OpenMode::kReadWrite);
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->WriteAt(1000, "x", 1));
  file.reset();
  EXPECT_EQ(FileSize(path), 1001u);
  EXPECT_EQ(FileSize(tmp.path()), std::nullopt);
}

TEST(FilesTest, DeleteReportsMissingFiles) {
  TempDir tmp;
  MakeFile(tmp / "C1.BTR");
  EXPECT_EQ(DeleteFile(tmp / "c1.btr"), FsResult::kOk);
  EXPECT_FALSE(FileExists(tmp / "C1.BTR"));
  EXPECT_EQ(DeleteFile(tmp / "C1.BTR"), FsResult::kNotFound);
  EXPECT_EQ(DeleteFile(tmp / "NODIR/C1.BTR"), FsResult::kNotFound);
  EXPECT_NE(DeleteFile(tmp.path()), FsResult::kOk);  // not a file
}

TEST(FilesTest, RenameRefusesAnExistingTargetAndReplaceOverwritesIt) {
  TempDir tmp;
  MakeFile(tmp / "OLD.DAT", "old");
  MakeFile(tmp / "TAKEN.DAT", "taken");

  EXPECT_EQ(RenameFile(tmp / "NONE.DAT", tmp / "X.DAT"), FsResult::kNotFound);
  EXPECT_EQ(RenameFile(tmp / "OLD.DAT", tmp / "TAKEN.DAT"), FsResult::kExists);
  EXPECT_EQ(RenameFile(tmp / "OLD.DAT", tmp / "taken.dat"),
            FsResult::kExists);  // same name, other case
  EXPECT_EQ(ReadFileToString(tmp / "OLD.DAT"), "old");
  EXPECT_EQ(ReadFileToString(tmp / "TAKEN.DAT"), "taken");

  EXPECT_EQ(RenameFile(tmp / "old.dat", tmp / "NEW.DAT"), FsResult::kOk);
  EXPECT_FALSE(FileExists(tmp / "OLD.DAT"));
  EXPECT_EQ(ReadFileToString(tmp / "NEW.DAT"), "old");

  EXPECT_EQ(ReplaceFile(tmp / "NEW.DAT", tmp / "taken.dat"), FsResult::kOk);
  EXPECT_FALSE(FileExists(tmp / "NEW.DAT"));
  EXPECT_EQ(ReadFileToString(tmp / "TAKEN.DAT"), "old");
  EXPECT_EQ(ListFiles(tmp.path(), "*"), std::vector<std::string>{"TAKEN.DAT"});
  EXPECT_EQ(ReplaceFile(tmp / "NEW.DAT", tmp / "TAKEN.DAT"), FsResult::kNotFound);
}

TEST(FilesTest, RenameCanChangeOnlyTheCaseOfAName) {
  TempDir tmp;
  MakeFile(tmp / "orders.btr", "o");
  EXPECT_EQ(RenameFile(tmp / "orders.btr", tmp / "ORDERS.BTR"), FsResult::kOk);
  EXPECT_EQ(ListFiles(tmp.path(), "*"), std::vector<std::string>{"ORDERS.BTR"});
}

TEST(FilesTest, CreateDirectoryReportsExistingAndMissingParents) {
  TempDir tmp;
  EXPECT_EQ(CreateDirectory(tmp / "D"), FsResult::kOk);
  EXPECT_EQ(CreateDirectory(tmp / "D"), FsResult::kExists);
  EXPECT_EQ(CreateDirectory(tmp / "X/Y"), FsResult::kNotFound);
}

TEST(FilesTest, ListFilesMatchesWildcardsWithoutCaseAndSkipsDirectories) {
  TempDir tmp;
  for (const char* name : {"b.int", "A.INT", "C.BTR", "AB.INT", "A.INTX"}) MakeFile(tmp / name);
  ASSERT_EQ(CreateDirectory(tmp / "DIR.INT"), FsResult::kOk);

  EXPECT_EQ(ListFiles(tmp.path(), "*.int"), (std::vector<std::string>{"A.INT", "AB.INT", "b.int"}));
  EXPECT_EQ(ListFiles(tmp.path(), "?.INT"), (std::vector<std::string>{"A.INT", "b.int"}));
  EXPECT_EQ(ListFiles(tmp.path(), "a*"), (std::vector<std::string>{"A.INT", "A.INTX", "AB.INT"}));
  EXPECT_EQ(ListFiles(tmp.path(), "*"),
            (std::vector<std::string>{"A.INT", "A.INTX", "AB.INT", "C.BTR", "b.int"}));
  EXPECT_TRUE(ListFiles(tmp / "NOPE", "*").empty());
}

TEST(FilesTest, CompanionFilesAreTheCaretExtensionsOfTheSameName) {
  TempDir tmp;
  for (const char* name :
       {"C1.BTR", "C1.^01", "C1.^02", "c1.^03", "C1.INT", "C10.^01", "XC1.^01"}) {
    MakeFile(tmp / name);
  }
  const std::string dir = tmp.path() + "\\";
  EXPECT_EQ(CompanionFiles(dir + "C1.BTR"),
            (std::vector<std::string>{dir + "C1.^01", dir + "C1.^02", dir + "c1.^03"}));
  EXPECT_TRUE(CompanionFiles(dir + "C10.DAT").size() == 1);
  EXPECT_TRUE(CompanionFiles(dir + "NONE.BTR").empty());
}

TEST(FilesTest, TemporaryDirectoriesAreFreshAndRemovedWithTheirContents) {
  std::optional<std::string> a = MakeTempDirectory("vvtest");
  std::optional<std::string> b = MakeTempDirectory("vvtest");
  ASSERT_TRUE(a && b);
  EXPECT_NE(*a, *b);
  ASSERT_EQ(CreateDirectory(*a + "/SUB"), FsResult::kOk);
  MakeFile(*a + "/SUB/F");
  MakeFile(*a + "/G");
  EXPECT_TRUE(RemoveTree(*a));
  EXPECT_FALSE(DirectoryExists(*a));
  EXPECT_TRUE(RemoveTree(*b));
  EXPECT_TRUE(RemoveTree(*b));  // already gone
}

TEST(FilesTest, WholeFileHelpersKeepEveryByte) {
  TempDir tmp;
  const std::string data("a\0b\r\nc\xff", 7);
  ASSERT_TRUE(WriteStringToFile(tmp / "BIN", data));
  EXPECT_EQ(ReadFileToString(tmp / "BIN"), data);
  ASSERT_TRUE(WriteStringToFile(tmp / "BIN", "z"));  // truncates
  EXPECT_EQ(ReadFileToString(tmp / "BIN"), "z");
  EXPECT_EQ(ReadFileToString(tmp / "NONE"), std::nullopt);
  EXPECT_FALSE(WriteStringToFile(tmp / "NODIR/F", "z"));
}

}  // namespace
}  // namespace vv::platform
