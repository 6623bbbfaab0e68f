// Rows of cells printed as aligned columns: each column as wide as its
// widest cell (header included), two blanks between columns, numbers to the
// right. Cells are printed as given: callers cut long values and replace
// line ends first.
#ifndef VEVERAVE_TOOLS_VV_TEXT_GRID_H_
#define VEVERAVE_TOOLS_VV_TEXT_GRID_H_

#include <cstdio>
#include <string>
#include <vector>

namespace vv::tools {

class TextGrid {
 public:
  enum class Align { kLeft, kRight };
  struct Column {
    std::string header;
    Align align = Align::kLeft;
  };

  explicit TextGrid(std::vector<Column> columns, std::string indent = "  ");

  // A row of at most one cell per column (missing cells are empty).
  void Add(std::vector<std::string> row);
  std::size_t rows() const { return rows_.size(); }

  // The header (unless there is none: all headers empty) and the rows, each
  // line ending in '\n'; then forgets the rows but keeps the column widths,
  // so that later rows line up with earlier ones where they fit.
  std::string Take();
  void Print(std::FILE* out);

 private:
  std::string Line(const std::vector<std::string>& cells) const;

  std::vector<Column> columns_;
  std::vector<std::size_t> widths_;
  std::vector<std::vector<std::string>> rows_;
  std::string indent_;
  bool headerDone_ = false;
};

// A value cut to at most width characters, "..." marking the cut; line ends
// and other control characters become blanks.
std::string CellText(const std::string& value, std::size_t width);

}  // namespace vv::tools

#endif  // VEVERAVE_TOOLS_VV_TEXT_GRID_H_
