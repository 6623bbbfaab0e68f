// NativePath, SearchPath, the full, short and long forms.
#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

#include "platform/platform.h"
#include "tests/platform/test_util.h"

namespace vv::platform {
namespace {

using testing::MakeFile;
using testing::TempDir;

// Restores the current directory at the end of a test.
class CurrentDirectoryGuard {
 public:
  CurrentDirectoryGuard() : saved_(CurrentDirectory()) {}
  ~CurrentDirectoryGuard() {
    std::error_code error;
    std::filesystem::current_path(saved_, error);
    EXPECT_FALSE(error);
  }

 private:
  std::string saved_;
};

TEST(NativePathTest, TurnsBackslashesIntoSlashesAndDropsTheDrive) {
  EXPECT_EQ(NativePath("C:\\no-such-dir\\Sub\\File.Btr"), "/no-such-dir/Sub/File.Btr");
  EXPECT_EQ(NativePath("c:no-such-dir\\X.INT"), "no-such-dir/X.INT");
  EXPECT_EQ(NativePath(""), "");
}

TEST(NativePathTest, ResolvesEachComponentWithoutRegardToCase) {
  TempDir tmp;
  ASSERT_EQ(CreateDirectory(tmp / "DATA"), FsResult::kOk);
  MakeFile(tmp / "DATA/Orders.BTR", "orders");

  const std::string asked = tmp.path() + "\\data\\ORDERS.btr";
  EXPECT_EQ(NativePath(asked), tmp / "DATA/Orders.BTR");
  EXPECT_TRUE(FileExists(asked));
  EXPECT_EQ(ReadFileToString(asked), "orders");

  // A file about to be created lands in the resolved directory.
  ASSERT_TRUE(WriteStringToFile(tmp.path() + "\\data\\NEW.BTR", "new"));
  EXPECT_EQ(ReadFileToString(tmp / "DATA/NEW.BTR"), "new");

  // From the first component that exists under no spelling on, the path is kept.
  EXPECT_EQ(NativePath(tmp.path() + "/data/Missing/data"), tmp / "DATA/Missing/data");
}

TEST(NativePathTest, PrefersTheExactNameThenTheFirstInByteOrder) {
  TempDir tmp;
  ASSERT_EQ(CreateDirectory(tmp / "ab"), FsResult::kOk);
  // Through the platform "AB" is "ab" (as on Windows); only the OS makes both.
  EXPECT_EQ(CreateDirectory(tmp / "AB"), FsResult::kExists);
  ASSERT_TRUE(std::filesystem::create_directory(tmp / "AB"));
  EXPECT_EQ(NativePath(tmp / "ab"), tmp / "ab");
  EXPECT_EQ(NativePath(tmp / "aB"), tmp / "AB");
  EXPECT_EQ(NativePath(tmp / "Ab"), tmp / "AB");
}

TEST(FullPathNameTest, JoinsRelativePathsToTheCurrentDirectoryLexically) {
  const std::string cwd = CurrentDirectory();
  EXPECT_EQ(FullPathName("x\\y.int"), cwd + "/x/y.int");
  EXPECT_EQ(FullPathName("/a/./b/../c//d"), "/a/c/d");
  EXPECT_EQ(FullPathName("/a/b/"), "/a/b/");
  EXPECT_EQ(FullPathName("/.."), "/");
}

TEST(SearchPathTest, TakesTheFirstDirectoryOfTheListThatHoldsTheFile) {
  TempDir tmp;
  ASSERT_EQ(CreateDirectory(tmp / "A"), FsResult::kOk);
  ASSERT_EQ(CreateDirectory(tmp / "B"), FsResult::kOk);
  MakeFile(tmp / "A/BOTH.INT");
  MakeFile(tmp / "B/BOTH.INT");
  MakeFile(tmp / "B/ONLYB.INT");
  const std::string list = ";" + (tmp / "A") + ";;" + (tmp / "B") + ";";

  EXPECT_EQ(SearchPath(list, "BOTH.INT"), tmp / "A/BOTH.INT");
  EXPECT_EQ(SearchPath(list, "ONLYB.INT"), tmp / "B/ONLYB.INT");
  EXPECT_EQ(SearchPath(list, "onlyb.int"), tmp / "B/ONLYB.INT");  // found under its real name
  EXPECT_EQ(SearchPath(list, "MISSING.INT"), std::nullopt);
  EXPECT_EQ(SearchPath(list, "A"), std::nullopt);  // directories are not files
}

TEST(SearchPathTest, AddsTheDefaultExtensionOnlyToNamesWithoutOne) {
  TempDir tmp;
  MakeFile(tmp / "VEVERAVE.INT");
  MakeFile(tmp / "VEVERAVE.CFG");
  EXPECT_EQ(SearchPath(tmp.path(), "VEVERAVE", ".INT"), tmp / "VEVERAVE.INT");
  EXPECT_EQ(SearchPath(tmp.path(), "VEVERAVE", "INT"), tmp / "VEVERAVE.INT");
  EXPECT_EQ(SearchPath(tmp.path(), "VEVERAVE.CFG", ".INT"), tmp / "VEVERAVE.CFG");
  EXPECT_EQ(SearchPath(tmp.path(), "VEVERAVE"), std::nullopt);
}

TEST(SearchPathTest, NameWithDirectoryIsLookedUpOnlyThere) {
  TempDir tmp;
  ASSERT_EQ(CreateDirectory(tmp / "SUB"), FsResult::kOk);
  MakeFile(tmp / "SUB/F.DAT");
  MakeFile(tmp / "F.DAT");
  EXPECT_EQ(SearchPath(tmp.path(), tmp.path() + "\\sub\\F.DAT"), tmp / "SUB/F.DAT");
  EXPECT_EQ(SearchPath(tmp / "SUB", tmp.path() + "/NOPE/F.DAT"), std::nullopt);
}

TEST(SearchPathTest, EmptyListMeansTheCurrentDirectory) {
  TempDir tmp;
  MakeFile(tmp / "HERE.INT");
  CurrentDirectoryGuard guard;
  std::filesystem::current_path(tmp.path());
  const std::string here = CurrentDirectory();  // /tmp may itself be a link
  EXPECT_EQ(SearchPath("", "HERE", ".INT"), here + "/HERE.INT");
  EXPECT_EQ(SearchPath(";;", "HERE.INT"), here + "/HERE.INT");
}

TEST(PathFormsTest, ShortAndLongFormsAreThePathItselfWhenItExists) {
  TempDir tmp;
  MakeFile(tmp / "Long Name.dat");
  const std::string asked = tmp.path() + "\\long name.DAT";
  EXPECT_EQ(ShortPathName(asked), asked);
  EXPECT_EQ(LongPathName(asked), asked);
  EXPECT_EQ(LongPathName(tmp.path()), tmp.path());
  EXPECT_EQ(ShortPathName(tmp / "missing"), std::nullopt);
  EXPECT_EQ(LongPathName(tmp / "missing"), std::nullopt);
}

}  // namespace
}  // namespace vv::platform
