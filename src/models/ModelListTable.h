// The model list as a table: a row of statistic columns per model, the sort by one
// key or by groups and a second key, the rows of the all-models and the
// only-selected views, the text of every cell, the columns without values and
// the states of the commands that need selected models. Formats on demand, so
// that lists of 100,000 models and more stay quick to sort and show.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "models/ModelListColumns.h"
#include "platform/base/UiServices.h"

class DataResultList;
class DataResultNode;

constexpr int kStatisticDecimals = 4;

// The sort items list the sortable columns in table order: item <-> column.
int SortItemColumn(int item);
// -1 for the columns without an item.
int ColumnSortItem(int col);
// Whether the column sorts by groups and a second key.
bool IsGroupColumn(int col);

// States 1 and 3 count as selected.
bool IsSelectedState(int32_t state);
// The letter of a selection state: "U", "S", "N", "S".
std::string SelectionLetter(int32_t state);
// The last state whose letter is letter (so "S" gives 3); -1 when none.
int32_t StateOfLetter(const std::string& letter);

// The sort key of a column for a model: the stored number whatever its missing
// flag; counts, the rank and the identifier as reals; the derived columns from
// the stored numbers.
long double ColumnKey(const DataResultNode& model, int col);
// The text of a model's cell (the rank column shows the model's last rank).
std::string ModelCellText(const DataResultNode& model, int col);
// Whether the cell has a text: always for the columns that are always written,
// else when its statistic is present.
bool ModelCellPresent(const DataResultNode& model, int col);
// Whether the cell's number has the "*" of a missing statistic in front.
bool ModelCellMarked(const DataResultNode& model, int col);
// Whether a column's cells are numbers (all but the letters and the variables).
bool IsNumberColumn(int col);

// The model's identifier as decimal text (unsigned).
std::string ModelIdText(const DataResultNode& model);

// Batcher's network (the one of SortWithIndex) with model pointers as payload
// (may be null); the progress animation advances once per merge width.
void SortValuesWithIndex(long double* keys, DataResultNode** models, int32_t lo, int32_t hi, bool ascending,
                         Progress* progress);

// The commands enabled by the current selection.
struct ModelCommandStates {
  bool twoOrMore = false;      // variable statistics, Q2loo vs. LOF, hat/res., residuals PCA, consensus
  bool multiCriteria = false;  // two or more, with prediction objects
  bool oneOrMore = false;      // internal validation, R2 vs. Q2
  bool external = false;       // one or more, with prediction objects
  bool descriptorsPca = false; // two or more, all of one size
  bool operator==(const ModelCommandStates&) const = default;
};

class ModelListTable {
public:
  // models is the address of the main window's model-list field; the list
  // behind it may be exchanged while the table lives.
  explicit ModelListTable(DataResultList** models) : models_(models) {}

  DataResultList& Models() const { return **models_; }

  // Sorts by the columns of the two sort items (the second is used only when
  // the first sorts by groups), ranks the models and rebuilds the rows. On a
  // failure the previous order (on the first sort: list order) stays and the
  // failure is rethrown.
  void Sort(int firstItem, int secondItem, Progress* progress);
  // Rebuilds the rows from the sorted array. In the only-selected view with
  // m > 0 at most m selected models of each size are shown; with deleteExtra
  // the others are removed from the list.
  void Fill(bool onlySelected, int m, bool deleteExtra, Progress* progress);
  // Removes every unselected model (state 0 or 2) from the list, the order and
  // the rows.
  void RemoveUnselected();
  // Removes models from the bottom of the table (and from the rows) until k remain.
  void KeepBest(int k);
  // The order when the sorted array does not hold the list's models (before
  // the first sort, or after the list was exchanged): list order.
  void ResetToListOrder();
  // Forgets the order and the rows (the list is about to go).
  void Clear() {
    sorted_.clear();
    filtered_.clear();
  }

  // Sorted array: the table shows it from its last element to its first.
  const std::vector<DataResultNode*>& Sorted() const { return sorted_; }
  int SortColumn() const { return sortColumn_; }
  bool OnlySelected() const { return onlySelected_; }

  // Data rows (the title row is row 0).
  int RowCount() const;
  // The model of a data row (1-based); null outside the rows.
  DataResultNode* RowModel(int row) const;
  // The text of a cell; row 0 holds the titles.
  std::string CellText(int col, int row) const;
  // A line of the table as text: each shown column's cell followed by a TAB,
  // then CR LF. The number cells of data rows carry the user's decimal
  // separator; titles, letters and variable names are kept as they are.
  std::string LineText(int row, char userSeparator) const;
  // Columns none of whose shown cells has a text.
  const std::array<bool, kModelListColumnCount>& EmptyColumns() const { return empty_; }
  // For each column, the texts among which the widest of its shown number cells
  // lies: those of its smallest and largest numbers, with and without the "*"
  // mark (the digits of the grid's font are all equally wide). None for the
  // columns of letters and variables.
  const std::array<std::vector<std::string>, kModelListColumnCount>& ExtremeTexts() const { return extremeTexts_; }

  ModelCommandStates CommandStates(bool hasPredictionObjects) const;
  int SelectedCount() const;

private:
  // Finds the empty columns and the extreme texts of the shown rows.
  void ScanColumns();
  // Takes the models out of the order and the rows first, then frees them, so
  // that no row points at a freed model when anything repaints next.
  void Discard(const std::vector<DataResultNode*>& models);

  DataResultList** models_;
  std::vector<DataResultNode*> sorted_;
  std::vector<DataResultNode*> filtered_;
  bool onlySelected_ = false;
  int sortColumn_ = -1;
  std::array<bool, kModelListColumnCount> empty_{};
  std::array<std::vector<std::string>, kModelListColumnCount> extremeTexts_;
};
