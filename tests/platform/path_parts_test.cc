// SplitPath / JoinPath: both separators and drive prefixes on every platform.
#include <gtest/gtest.h>

#include "platform/platform.h"

namespace vv::platform {
namespace {

struct SplitCase {
  const char* path;
  const char* drive;
  const char* dir;
  const char* name;
  const char* ext;
};

TEST(PathPartsTest, SplitsDriveDirectoryNameAndExtensionAndJoinsBack) {
  const SplitCase cases[] = {
      {"C:\\DATA\\ORDERS.BTR", "C:", "\\DATA\\", "ORDERS", ".BTR"},
      {"data/sub\\file.int", "", "data/sub\\", "file", ".int"},  // mixed separators
      {"c:NAME.EXT", "c:", "", "NAME", ".EXT"},                  // drive, no directory
      {"NAME", "", "", "NAME", ""},
      {"dir.d/name", "", "dir.d/", "name", ""},  // a dot in the directory is no extension
      {"a.b.c", "", "", "a.b", ".c"},            // the last dot starts the extension
      {"C:\\DIR\\", "C:", "\\DIR\\", "", ""},
      {"/abs/.hidden", "", "/abs/", "", ".hidden"},
      {"1:x", "", "", "1:x", ""},  // only a letter makes a drive
      {"", "", "", "", ""},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.path);
    const PathParts parts = SplitPath(c.path);
    EXPECT_EQ(parts.drive, c.drive);
    EXPECT_EQ(parts.dir, c.dir);
    EXPECT_EQ(parts.name, c.name);
    EXPECT_EQ(parts.ext, c.ext);
    EXPECT_EQ(JoinPath(parts), c.path);
  }
}

TEST(PathPartsTest, JoinSuppliesMissingSeparatorAndDot) {
  EXPECT_EQ(JoinPath({"C:", "\\DATA", "ORDERS", "BTR"}),
            std::string("C:\\DATA") + kPathSeparator + "ORDERS.BTR");
  EXPECT_EQ(JoinPath({"", "", "NEW", ".^01"}), "NEW.^01");
  // Replacing the name keeps drive, directory and extension (the rename of
  // companion files works this way).
  PathParts parts = SplitPath("D:/x/OLD.^02");
  parts.name = "NEW";
  EXPECT_EQ(JoinPath(parts), "D:/x/NEW.^02");
}

TEST(PathPartsTest, SeparatorsAndListSeparator) {
  EXPECT_TRUE(IsSeparator('\\'));
  EXPECT_TRUE(IsSeparator('/'));
  EXPECT_FALSE(IsSeparator(':'));
  EXPECT_EQ(kPathListSeparator, ';');
}

}  // namespace
}  // namespace vv::platform
