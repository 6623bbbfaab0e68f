#include "vv/text_grid.h"

#include <algorithm>

namespace vv::tools {

TextGrid::TextGrid(std::vector<Column> columns, std::string indent)
    : columns_(std::move(columns)), widths_(columns_.size(), 0), indent_(std::move(indent)) {
  for (std::size_t c = 0; c < columns_.size(); ++c) widths_[c] = columns_[c].header.size();
}

void TextGrid::Add(std::vector<std::string> row) {
  row.resize(columns_.size());
  rows_.push_back(std::move(row));
}

std::string TextGrid::Line(const std::vector<std::string>& cells) const {
  std::string line = indent_;
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    const std::string& cell = cells[c];
    const std::size_t pad = widths_[c] > cell.size() ? widths_[c] - cell.size() : 0;
    const bool last = c + 1 == columns_.size();
    if (columns_[c].align == Align::kRight) {
      line.append(pad, ' ');
      line += cell;
    } else {
      line += cell;
      if (!last) line.append(pad, ' ');
    }
    if (!last) line += "  ";
  }
  line.erase(line.find_last_not_of(' ') + 1);
  return line + "\n";
}

std::string TextGrid::Take() {
  for (const std::vector<std::string>& row : rows_) {
    for (std::size_t c = 0; c < columns_.size(); ++c) {
      widths_[c] = std::max(widths_[c], row[c].size());
    }
  }
  std::string text;
  const bool hasHeader = std::any_of(columns_.begin(), columns_.end(),
                                     [](const Column& c) { return !c.header.empty(); });
  if (hasHeader && !headerDone_) {
    std::vector<std::string> header;
    for (const Column& c : columns_) header.push_back(c.header);
    text += Line(header);
  }
  headerDone_ = true;
  for (const std::vector<std::string>& row : rows_) text += Line(row);
  rows_.clear();
  return text;
}

void TextGrid::Print(std::FILE* out) {
  const std::string text = Take();
  std::fwrite(text.data(), 1, text.size(), out);
}

std::string CellText(const std::string& value, std::size_t width) {
  std::string text = value;
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  if (text.size() > width && width > 3) text = text.substr(0, width - 3) + "...";
  return text;
}

}  // namespace vv::tools
