#include "database/ResultTable.h"

#include <algorithm>
#include <filesystem>
#include <functional>

#include "database/DatabaseQuery.h"
#include "numerics/Utils.h"
#include "platform/base/NumberText.h"
#include "platform/base/UiServices.h"

namespace {

constexpr const char* kLineEnd = "\r\n";

bool Hidden(const TableTextStyle& style, int col) {
  return col < static_cast<int>(style.hidden.size()) && style.hidden[col];
}

std::string CellText(const TableRows& rows, int col, int row, const TableTextStyle& style) {
  const std::string& text = rows.at(row).at(col);
  return row >= 1 && col >= kFirstDataColumn ? ToSystemDecimalSeparator(text, style.separator) : text;
}

std::string Reference(const TableTextStyle& style, int col) {
  std::size_t k = static_cast<std::size_t>(col - kFirstDataColumn);
  return col >= kFirstDataColumn && k < style.references.size() ? style.references[k] : std::string();
}

}  // namespace

std::string SelectionCopyText(const TableRows& rows, const CellRange& range, const TableTextStyle& style) {
  std::string text;
  for (int c = range.left; c <= range.right; ++c)
    if (!Hidden(style, c)) text += rows.at(0).at(c) + '\t';
  text += kLineEnd;
  for (int r = range.top; r <= range.bottom; ++r) {
    if (r > range.top) text += kLineEnd;
    bool first = true;
    for (int c = range.left; c <= range.right; ++c) {
      if (Hidden(style, c)) continue;
      if (!first) text += '\t';
      text += CellText(rows, c, r, style);
      first = false;
    }
  }
  return text;
}

std::string TableSaveText(const TableRows& rows, const CellRange& range, const TableTextStyle& style) {
  std::string text;
  auto line = [&](const std::function<std::string(int col)>& cell) {
    for (int c = range.left; c <= range.right; ++c)
      if (!Hidden(style, c)) text += cell(c) + '\t';
    text += kLineEnd;
  };
  if (range.top != 0) line([&](int c) { return rows.at(0).at(c); });
  for (int r = range.top; r <= range.bottom; ++r) {
    line([&](int c) { return CellText(rows, c, r, style); });
    if (r == 0) line([&](int c) { return Reference(style, c); });
  }
  return text;
}

int DataSetColumn(const std::vector<std::string>& row, int chosenColumn) {
  const int cols = static_cast<int>(row.size());
  if (chosenColumn >= kFirstDataColumn && chosenColumn < cols && !row[chosenColumn].empty()) return chosenColumn;
  for (int c = kFirstDataColumn; c < cols; ++c)
    if (!row[c].empty()) return c;
  return -1;
}

std::string MolPathOf(const std::string& hinPath) {
  std::size_t last = hinPath.rfind('/');
  if (last == std::string::npos || last == 0) return hinPath;
  std::size_t second = hinPath.rfind('/', last - 1);
  if (second == std::string::npos) return hinPath;
  std::string path = hinPath;
  path.replace(second + 1, std::min<std::size_t>(3, path.size() - second - 1), "mol");
  if (path.size() >= 3) path.replace(path.size() - 3, 3, "mol");
  return path;
}

void CopyStructureFiles(const std::vector<std::string>& hinPaths, StructureKind kind, const std::string& destination) {
  int copied = 0;
  std::string failures;
  for (const std::string& hin : hinPaths) {
    const std::string source = kind == StructureKind::Mol ? MolPathOf(hin) : hin;
    const std::filesystem::path target = std::filesystem::path(destination) / std::filesystem::path(source).filename();
    std::error_code error;
    if (std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing, error)) {
      ++copied;
    } else {
      failures += "File / path not found, or permissions not granted:\n(source) " + source + "\n(destination) " +
                  destination + "\n\n";
    }
  }
  std::string summary = "Exported " + IntToStr(copied) + " files in the folder " + destination;
  if (failures.empty())
    Ui().MessageBox(summary, "APPLICATION INFO", MB_OK | MB_ICONINFORMATION);
  else
    Ui().MessageBox(summary + "\n\n" + failures, "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
}
