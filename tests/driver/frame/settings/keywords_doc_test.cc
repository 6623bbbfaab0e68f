// The keyword table of the Windows deployment page against the driver's
// keyword table: every keyword the settings file takes, with its number and
// in order, its kind of value or its list of words, and no other keyword.
#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "driver/frame/settings/keywords.h"
#include "platform/platform.h"

namespace {

using vv::driver::KeywordValue;

// The source tree's root, four folders above the one of this file.
std::string SourceRoot() {
  std::string path = __FILE__;
  for (int i = 0; i < 5; ++i) path = path.substr(0, path.find_last_of("/\\"));
  return path;
}

std::string ValueText(const vv::driver::KeywordInfo& k) {
  switch (k.kind) {
    case KeywordValue::kNumber:
      return "number";
    case KeywordValue::kText:
      return "text";
    case KeywordValue::kPath:
      return "path";
    case KeywordValue::kFileName:
      return "file name";
    case KeywordValue::kWord:
      break;
  }
  std::string words;
  for (int i = 0; k.words != nullptr && k.words[i] != nullptr; ++i) {
    words += (i > 0 ? ", " : "") + std::string(k.words[i]);
  }
  return words;
}

// The first three cells of each row of the table under the header that
// starts "| No. | Keyword | Value |".
std::vector<std::string> DocumentedRows(const std::string& page) {
  std::vector<std::string> rows;
  std::istringstream in(page);
  bool inTable = false;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("| No. | Keyword | Value |", 0) == 0) {
      inTable = true;
      continue;
    }
    if (!inTable || line.rfind("|---", 0) == 0) continue;
    if (line.rfind("| ", 0) != 0) break;
    std::vector<std::string> cells;
    std::istringstream cellsIn(line.substr(2));
    for (std::string cell; std::getline(cellsIn, cell, '|');) {
      cell.erase(0, cell.find_first_not_of(' '));
      cell.erase(cell.find_last_not_of(' ') + 1);
      cells.push_back(cell);
    }
    rows.push_back(cells.size() >= 3 ? cells[0] + " " + cells[1] + " " + cells[2] : line);
  }
  return rows;
}

TEST(KeywordsDocTest, DeploymentPageListsEverySettingsKeyword) {
  const std::optional<std::string> page =
      vv::platform::ReadFileToString(SourceRoot() + "/docs/deploy-windows.md");
  ASSERT_TRUE(page.has_value()) << SourceRoot();
  std::vector<std::string> expected;
  for (int i = 0; i < vv::driver::kKeywordCount; ++i) {
    const vv::driver::KeywordInfo& k = vv::driver::kKeywords[i];
    if (!k.refusedInSettings)
      expected.push_back(std::to_string(i) + " " + k.name + " " + ValueText(k));
  }
  EXPECT_EQ(DocumentedRows(*page), expected);
}

}  // namespace
