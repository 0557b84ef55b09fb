// The database window's result table as text: copies and saves of whole
// tables or selections, the data set a row's structure is read from, and the
// export of structure files into a folder.
#pragma once

#include <string>
#include <vector>

using TableRows = std::vector<std::vector<std::string>>;  // rows[row][col], row 0 the titles

// A rectangle of cells, edges included.
struct CellRange {
  int left, top, right, bottom;
};

// What every text shape needs: which columns are hidden, the data sets'
// references and the user's decimal separator (applied to value cells only).
struct TableTextStyle {
  std::vector<bool> hidden;  // per column
  std::vector<std::string> references;
  char separator = '.';
};

// Titles of the range's columns each followed by a tab, CR LF, then the cells,
// tab-separated, rows separated by CR LF.
std::string SelectionCopyText(const TableRows& rows, const CellRange& range, const TableTextStyle& style);
// Every cell followed by a tab, every line ended by CR LF; a range from row 0
// adds the references line after the titles, any other range starts with the
// titles of its columns.
std::string TableSaveText(const TableRows& rows, const CellRange& range, const TableTextStyle& style);

// The data-set column a row's structure comes from: the chosen column when it
// is a data-set column and the row has a value there, else the row's first
// data-set column with a value; -1 when there is none.
int DataSetColumn(const std::vector<std::string>& row, int chosenColumn);

enum class StructureKind { Hin, Mol };
// The MOL file beside a HIN file: ".../hin/X.hin" becomes ".../mol/X.mol".
std::string MolPathOf(const std::string& hinPath);
// Copies the structure files into destination (a folder), overwriting, and
// shows the summary: how many were copied, and every failure.
void CopyStructureFiles(const std::vector<std::string>& hinPaths, StructureKind kind, const std::string& destination);
