// The import command: turns the import grid into the project's data set through the
// constant and correlation filters, and reports it in the activity log.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/Exception.h"
#include "platform/base/UiServices.h"
#include "prepare/ImportFilters.h"
#include "prepare/TableReader.h"

class ChemoData;
class DataResultList;
class ProjectHost;

// The grid as the import reads it, in grid coordinates: column 0 and row 0 hold the
// headers, field c of text line r is cell (c, r).
class ImportCells {
public:
  virtual ~ImportCells() = default;
  virtual int ColCount() const = 0;
  virtual int RowCount() const = 0;
  virtual std::string_view Cell(int col, int row) const = 0;
};

// A text table laid out as the import grid shows it.
class TextTableCells : public ImportCells {
public:
  explicit TextTableCells(TextTable table) : table_(std::move(table)) {}
  int ColCount() const override { return table_.ColCount + 1; }
  int RowCount() const override;
  std::string_view Cell(int col, int row) const override;

private:
  TextTable table_;
};

struct ImportSettings {
  int NameColumn = 1;  // grid column N of the object names; variables are the columns right of it
  int LabelRow = 1;    // grid row L of the variable names; objects are the rows below it
  std::string MissingValue = "-999";
  bool ConstFilter = false;
  int ConstPercent = 80;
  bool CorrFilter = false;
  int CorrPercent = 95;
  int SplitColumn = -1;            // grid column whose cells 1 mark the filter rows; -1 none
  std::vector<bool> ExemptColumns;  // per grid column: never dropped by the filters
};

// A cell that does not read as a number; the message names its grid row and column.
class ImportCellError : public Exception {
public:
  ImportCellError(const std::string& conversionMessage, int row, int col);
};

// One import's working data: the table read from the grid and the kept flags.
class DataImport {
public:
  DataImport(const ImportCells& grid, const ImportSettings& settings);
  ~DataImport();
  DataImport(const DataImport&) = delete;
  DataImport& operator=(const DataImport&) = delete;

  int ObjCount() const { return objCount_; }
  bool IsColumnExempt(int j) const;
  // The bar's maximum: the reading pass and one pass per filter that is on.
  int ImportProgressCount() const;

  // Reads names and values; a cell that is no number throws ImportCellError.
  void ReadValues(Progress* progress);
  void FilterConstant(Progress* progress);
  // Refuses (Exception) a table with fewer than 2 filter rows.
  void FilterCorrelated(Progress* progress);

  bool Kept(int j) const { return bpColumnKept[static_cast<std::size_t>(j)]; }
  std::vector<std::string> DroppedNames() const;
  // Fills the (cleared) data set with every object and the kept variables; each
  // variable's cells are released here once copied.
  void Fill(ChemoData& data);

private:
  bool IsFilterRow(int i) const;
  void Step(Progress* progress);
  // Runs task(j) for every variable on worker threads, a block of variables at a
  // time, stepping the bar for each variable of a block when the block is done.
  void ForEachVariable(Progress* progress, const std::function<void(int)>& task);
  void ReadColumn(int j);
  void Drop(int j);
  // The objects whose rows form the filter matrix; fewer than 2 are refused.
  std::vector<int> FilterRows() const;
  const long double* Column(int j) const { return values_[static_cast<std::size_t>(j)].data(); }
  const uint8_t* MissingColumn(int j) const { return missing_[static_cast<std::size_t>(j)].data(); }

  const ImportCells& grid_;
  const ImportSettings& settings_;
  int varCount_;
  int objCount_;
  int splitColumn_;
  int position_ = 0;
  std::vector<std::string> varNames_;
  std::vector<std::string> objNames_;
  // Variable j's cells: the values and the missing flags of its O objects; released
  // when the variable is dropped or copied into the data set.
  std::vector<std::vector<long double>> values_;
  std::vector<std::vector<uint8_t>> missing_;
  std::vector<bool> bpColumnKept;
  std::vector<bool> exempt_;
};

// Asks before modified data are erased; true to go on.
bool ConfirmReplaceData(const ProjectHost& host);

// The import command on the main window's project (data set, model list and host):
// clears the data set and the models, reads, filters, fills and logs. A failed or
// all-excluded import leaves an empty project, as after New.
void ImportData(const ImportCells& grid, const ImportSettings& settings, const std::string& fileName,
                ChemoData& data, DataResultList* models, ProjectHost& host, Progress* progress);
