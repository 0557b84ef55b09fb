#include "prepare/DataImport.h"

#include <algorithm>
#include <new>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "data/ProjectHost.h"
#include "numerics/Utils.h"
#include "prepare/FilterCorrelations.h"
#include "platform/base/NumberText.h"
#include "platform/base/WorkerThreads.h"

namespace {

const char* const kCorruptedText = "Data may be corrupted - internal data memory will be reset";
const char* const kTooLargeText =
    "Cannot import data: the table is too large for the memory available. No data have been imported.";

void Report(Progress* progress, const std::string& text) {
  if (progress != nullptr) progress->SetText(text);
}

bool ReadsAsOne(std::string_view text) {
  int value = 0;
  return TryStrToInt(text, value) && value == 1;
}

void LogImport(ProjectHost& host, const std::string& fileName, const DataImport& import) {
  host.ActivityLog("DATA IMPORTED: " + host.DateTimeText());
  host.ActivityLog("Source file: " + fileName);
  const std::vector<std::string> dropped = import.DroppedNames();
  if (!dropped.empty()) {
    for (const std::string& name : dropped) host.ActivityLog(name);
    host.ActivityLog("Total excluded descriptors: " + IntToStr(static_cast<int64_t>(dropped.size())) + "\n");
  }
  host.ActivityLog("\n");
}

void ReportAllExcluded(ProjectHost& host) {
  Ui().MessageBox("Sorry, all descriptors were excluded. Try to import data again changing the filters setup.",
                  "APPLICATION WARNINT", MB_OK | MB_ICONWARNING);
  host.ActivityLog("DATA NOT AVAILABLE: All descriptors excluded: no data available for calculation.\n\n");
}

}  // namespace

int TextTableCells::RowCount() const { return std::max(table_.RowCount(), 1) + 1; }

std::string_view TextTableCells::Cell(int col, int row) const {
  if (col == 0 || row == 0 || table_.RowCount() == 0) return {};
  return table_.Field(col - 1, row - 1);
}

ImportCellError::ImportCellError(const std::string& conversionMessage, int row, int col)
    : Exception(conversionMessage + ", found at coordinates: row = " + IntToStr(row) + " column = " + IntToStr(col) +
                " . You are using invalid characters (usually this error occurs because you are using a comma (,) "
                "instead of a dot (.) as a decimal separator).  Please, check all items before importing data") {}

DataImport::DataImport(const ImportCells& grid, const ImportSettings& settings)
    : grid_(grid),
      settings_(settings),
      varCount_(std::max(0, grid.ColCount() - settings.NameColumn - 1)),
      objCount_(std::max(0, grid.RowCount() - settings.LabelRow - 1)),
      splitColumn_(settings.SplitColumn > 0 && settings.SplitColumn < grid.ColCount() ? settings.SplitColumn : -1),
      bpColumnKept(static_cast<std::size_t>(varCount_), true),
      exempt_(static_cast<std::size_t>(varCount_)) {
  for (int j = 0; j < varCount_; ++j) {
    const auto col = static_cast<std::size_t>(settings.NameColumn + 1 + j);
    exempt_[static_cast<std::size_t>(j)] =
        (col < settings.ExemptColumns.size() && settings.ExemptColumns[col]) || static_cast<int>(col) == splitColumn_;
  }
}

DataImport::~DataImport() = default;

bool DataImport::IsColumnExempt(int j) const { return exempt_[static_cast<std::size_t>(j)]; }

int DataImport::ImportProgressCount() const {
  return varCount_ * (1 + (settings_.ConstFilter ? 1 : 0) + (settings_.CorrFilter ? 1 : 0));
}

void DataImport::Step(Progress* progress) {
  ++position_;
  if (progress != nullptr) progress->SetPosition(position_);
}

bool DataImport::IsFilterRow(int i) const {
  return splitColumn_ < 0 || ReadsAsOne(grid_.Cell(splitColumn_, settings_.LabelRow + 1 + i));
}

void DataImport::ForEachVariable(Progress* progress, const std::function<void(int)>& task) {
  constexpr int kBlock = 64;
  for (int first = 0; first < varCount_; first += kBlock) {
    const int count = std::min(kBlock, varCount_ - first);
    ParallelFor(count, 100.0 * objCount_, [&](int t) { task(first + t); });
    for (int t = 0; t < count; ++t) Step(progress);
  }
}

void DataImport::ReadValues(Progress* progress) {
  const int n = settings_.NameColumn;
  const int l = settings_.LabelRow;
  varNames_.resize(static_cast<std::size_t>(varCount_));
  objNames_.resize(static_cast<std::size_t>(objCount_));
  for (int j = 0; j < varCount_; ++j) varNames_[static_cast<std::size_t>(j)] = grid_.Cell(n + 1 + j, l);
  for (int i = 0; i < objCount_; ++i) objNames_[static_cast<std::size_t>(i)] = grid_.Cell(n, l + 1 + i);
  values_.resize(static_cast<std::size_t>(varCount_));
  missing_.resize(static_cast<std::size_t>(varCount_));
  // The first bad cell in reading order is reported: the failure of the lowest
  // variable of a block wins, and blocks go in order.
  ForEachVariable(progress, [this](int j) { ReadColumn(j); });
}

void DataImport::ReadColumn(int j) {
  const int n = settings_.NameColumn;
  const int l = settings_.LabelRow;
  std::vector<long double>& values = values_[static_cast<std::size_t>(j)];
  std::vector<uint8_t>& missing = missing_[static_cast<std::size_t>(j)];
  values.resize(static_cast<std::size_t>(objCount_));
  missing.resize(static_cast<std::size_t>(objCount_));
  for (int i = 0; i < objCount_; ++i) {
    const std::string_view text = grid_.Cell(n + 1 + j, l + 1 + i);
    missing[static_cast<std::size_t>(i)] = text == settings_.MissingValue;
    try {
      values[static_cast<std::size_t>(i)] = StrToFloat(text);
    } catch (const EConvertError& e) {
      throw ImportCellError(e.Message, l + 1 + i, n + 1 + j);
    }
  }
}

void DataImport::Drop(int j) {
  bpColumnKept[static_cast<std::size_t>(j)] = false;
  std::vector<long double>().swap(values_[static_cast<std::size_t>(j)]);
  std::vector<uint8_t>().swap(missing_[static_cast<std::size_t>(j)]);
}

void DataImport::FilterConstant(Progress* progress) {
  Report(progress, "Filtering constant descriptors...");
  const long double threshold = FilterThreshold(settings_.ConstPercent);
  std::vector<uint8_t> constant(static_cast<std::size_t>(varCount_));
  ForEachVariable(progress, [&](int j) {
    constant[static_cast<std::size_t>(j)] =
        !IsColumnExempt(j) && IsNearlyConstant(Column(j), MissingColumn(j), objCount_, threshold);
  });
  for (int j = 0; j < varCount_; ++j)
    if (constant[static_cast<std::size_t>(j)]) Drop(j);
}

std::vector<int> DataImport::FilterRows() const {
  std::vector<int> rows;
  for (int i = 0; i < objCount_; ++i)
    if (IsFilterRow(i)) rows.push_back(i);
  if (rows.size() < 2)
    throw Exception(splitColumn_ < 0
                        ? "Cannot filter correlated descriptors: at least 2 objects are needed."
                        : "Cannot filter correlated descriptors: at least 2 training objects are needed in the "
                          "splitting column.");
  return rows;
}

void DataImport::FilterCorrelated(Progress* progress) {
  Report(progress, "Filtering correlated descriptors...");
  const std::vector<int> rows = FilterRows();
  for (int j = 0; j < varCount_; ++j) {
    if (IsColumnExempt(j) || !Kept(j)) continue;
    const uint8_t* missing = MissingColumn(j);
    if (std::find(missing, missing + objCount_, 1) != missing + objCount_) Drop(j);
  }
  // The filter reads the kept columns where they lie; with a splitting column it
  // reads copies of their filter rows.
  const bool allRows = static_cast<int>(rows.size()) == objCount_;
  std::vector<std::vector<long double>> filterRows(allRows ? 0 : static_cast<std::size_t>(varCount_));
  std::vector<const long double*> columns(static_cast<std::size_t>(varCount_), nullptr);
  for (int j = 0; j < varCount_; ++j) {
    if (!Kept(j)) continue;
    if (allRows) {
      columns[static_cast<std::size_t>(j)] = Column(j);
      continue;
    }
    std::vector<long double>& copy = filterRows[static_cast<std::size_t>(j)];
    for (int row : rows) copy.push_back(Column(j)[row]);
    columns[static_cast<std::size_t>(j)] = copy.data();
  }
  FilterCorrelations pairs(std::move(columns), static_cast<int>(rows.size()));
  CorrelationFilter filter(pairs, bpColumnKept, exempt_);
  filter.Run(FilterThreshold(settings_.CorrPercent), [&] { Step(progress); });
  for (int j = 0; j < varCount_; ++j)
    if (!Kept(j)) Drop(j);
}

std::vector<std::string> DataImport::DroppedNames() const {
  std::vector<std::string> names;
  for (int j = 0; j < varCount_; ++j)
    if (!Kept(j)) names.push_back(varNames_[static_cast<std::size_t>(j)]);
  return names;
}

void DataImport::Fill(ChemoData& data) {
  data.Allocate(static_cast<int32_t>(std::count(bpColumnKept.begin(), bpColumnKept.end(), true)), objCount_);
  for (int i = 0; i < objCount_; ++i) {
    data.tpObjNameStrPtr[i] = objNames_[static_cast<std::size_t>(i)];
    data.ipTrainingPtr[i] = kStatusTraining;
  }
  int to = 0;
  for (int j = 0; j < varCount_; ++j) {
    if (!Kept(j)) continue;
    data.tpVarNameStrPtr[to] = varNames_[static_cast<std::size_t>(j)];
    const long double* column = Column(j);
    const uint8_t* missing = MissingColumn(j);
    for (int i = 0; i < objCount_; ++i) data.tpChemoValuePtr[i][to] = CheckedValue(column[i], missing[i] != 0);
    std::vector<long double>().swap(values_[static_cast<std::size_t>(j)]);
    std::vector<uint8_t>().swap(missing_[static_cast<std::size_t>(j)]);
    ++to;
  }
}

bool ConfirmReplaceData(const ProjectHost& host) {
  return !host.Modified() || Ui().MessageBox("Previous data will be erased! Do you really want to continue?",
                                             "APPLICATION WARNING", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void ImportData(const ImportCells& grid, const ImportSettings& settings, const std::string& fileName,
                ChemoData& data, DataResultList* models, ProjectHost& host, Progress* progress) {
  data.Clear();
  if (models != nullptr) models->Clear();
  host.DiscardModels();
  BusyCursor busy;
  Report(progress, "Importing data...");
  try {
    DataImport import(grid, settings);
    if (import.ObjCount() < 1) throw Exception("Cannot import data: there are no objects below the label row.");
    if (progress != nullptr) {
      progress->SetRange(0, import.ImportProgressCount());
      progress->SetPosition(0);
    }
    import.ReadValues(progress);
    if (settings.ConstFilter) import.FilterConstant(progress);
    if (settings.CorrFilter) import.FilterCorrelated(progress);
    Report(progress, "Finalizing...");
    import.Fill(data);
    LogImport(host, fileName, import);
    if (data.iVarCount == 0) {
      ReportAllExcluded(host);
      data.Clear();  // the commands stay as they were
      return;
    }
    host.SetModified(true);
    host.EnableDataCommands();
    return;
  } catch (const ImportCellError& e) {
    Ui().MessageBox(e.Message, "APPLICATION ERROR", MB_OK | MB_ICONERROR);
  } catch (const std::bad_alloc&) {
    Ui().MessageBox(kTooLargeText, "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
  } catch (const Exception& e) {
    Ui().MessageBox(e.Message, "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
  } catch (...) {
    Ui().MessageBox(kCorruptedText, "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
  }
  host.ClearProject();
}
