// Deleting and renaming Btrieve files with their companion files, and the
// errors of a failed delete or rename.
#include "driver/frame/files/file_ops.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/frame/errors.h"
#include "platform/platform.h"
#include "support/driver_fixture.h"

namespace vv::testing {
namespace {

using Names = std::vector<std::string>;

class FileOpsTest : public DriverFixture {
 protected:
  Names Files() { return platform::ListFiles(dir(), "*"); }
  std::string Path(const std::string& name) { return dir() + "/" + name; }
  void ExpectError(int16_t status, int16_t error, const std::string& text) {
    EXPECT_EQ(status, error);
    EXPECT_EQ(host_.error_text(), text);
    host_.ClearError();
  }
};

TEST_F(FileOpsTest, DeleteTakesTheCompanionsAlongWhenAsked) {
  for (const char* name : {"C1.BTR", "C1.^01", "C1.^02", "C1.INT", "C10.^01", "C2.BTR", "C2.^01"}) {
    WriteFile(name, "x");
  }
  EXPECT_EQ(driver::mvbtrFileDelete(Path("C1.BTR").c_str(), true), 0);
  EXPECT_EQ(driver::mvbtrFileDelete(Path("C2.BTR").c_str(), false), 0);
  EXPECT_EQ(Files(), (Names{"C1.INT", "C10.^01", "C2.^01"}));
}

TEST_F(FileOpsTest, DeleteFailuresNameThePath) {
  WriteFile("C1.^01", "x");
  ExpectError(driver::mvbtrFileDelete(Path("C1.BTR").c_str(), true), driver::kErrFileNotFound,
              Path("C1.BTR"));
  EXPECT_EQ(Files(), (Names{"C1.^01"})) << "no file deleted, no companion either";
  platform::CreateDirectory(Path("ADIR"));
  ExpectError(driver::mvbtrFileDelete(Path("ADIR").c_str(), false), driver::kErrFileAccessDenied,
              Path("ADIR"));
  const std::string tooLong = Path(std::string(300, 'N') + ".BTR");
  ExpectError(driver::mvbtrFileDelete(tooLong.c_str(), false), driver::kErrFileDelete, tooLong);
}

TEST_F(FileOpsTest, RenameTakesTheCompanionsAlong) {
  WriteFile("OLD.DAT", "data");
  WriteFile("OLD.^01", "part");
  WriteFile("OLD.INT", "int");
  EXPECT_EQ(driver::mvbtrFileRename(Path("OLD.DAT").c_str(), Path("NEW.DAT").c_str()), 0);
  EXPECT_EQ(Files(), (Names{"NEW.DAT", "NEW.^01", "OLD.INT"}));
  EXPECT_EQ(platform::ReadFileToString(Path("NEW.^01")).value_or(""), "part");
}

TEST_F(FileOpsTest, RenameFailuresNameTheOldPath) {
  WriteFile("OLD.DAT", "old");
  WriteFile("OLD.^01", "part");
  WriteFile("NEW.DAT", "new");
  const std::string old = Path("OLD.DAT");
  ExpectError(driver::mvbtrFileRename(old.c_str(), Path("NEW.DAT").c_str()), driver::kErrFileRename,
              old);
  EXPECT_EQ(Files(), (Names{"NEW.DAT", "OLD.DAT", "OLD.^01"})) << "nothing replaced or moved";
  ExpectError(driver::mvbtrFileRename(Path("NONE.DAT").c_str(), old.c_str()),
              driver::kErrFileRename, Path("NONE.DAT"));
  ExpectError(driver::mvbtrFileRename(old.c_str(), nullptr), driver::kErrFileRename, old);
  EXPECT_EQ(driver::mvbtrFileRename(nullptr, old.c_str()), driver::kErrFileRename);
}

}  // namespace
}  // namespace vv::testing
