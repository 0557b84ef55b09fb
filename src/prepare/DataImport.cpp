#include "prepare/DataImport.h"


#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "data/ProjectHost.h"
#include "numerics/Utils.h"
#include "prepare/FilterCorrelations.h"
#include "platform/base/NumberText.h"

namespace {

const char* const kCorruptedText = "Data may be corrupted - internal data memory will be reset";

void Report(Progress* progress, const std::string& text) {
  if (progress != nullptr) progress->SetText(text);
}

bool ReadsAsOne(const std::string& text) {
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

int TextTableCells::RowCount() const {
  return static_cast<int>(std::max<std::size_t>(table_.Rows.size(), 1)) + 1;
}

const std::string& TextTableCells::Cell(int col, int row) const {
  static const std::string header;
  if (col == 0 || row == 0 || table_.Rows.empty()) return header;
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

void DataImport::ReadValues(Progress* progress) {
  const int n = settings_.NameColumn;
  const int l = settings_.LabelRow;
  varNames_.resize(static_cast<std::size_t>(varCount_));
  objNames_.resize(static_cast<std::size_t>(objCount_));
  for (int j = 0; j < varCount_; ++j) varNames_[static_cast<std::size_t>(j)] = grid_.Cell(n + 1 + j, l);
  for (int i = 0; i < objCount_; ++i) objNames_[static_cast<std::size_t>(i)] = grid_.Cell(n, l + 1 + i);
  const std::size_t cells = static_cast<std::size_t>(varCount_) * static_cast<std::size_t>(objCount_);
  values_.resize(cells);
  missing_.resize(cells);
  std::size_t cell = 0;
  for (int j = 0; j < varCount_; ++j) {
    for (int i = 0; i < objCount_; ++i, ++cell) {
      const std::string& text = grid_.Cell(n + 1 + j, l + 1 + i);
      missing_[cell] = text == settings_.MissingValue;
      try {
        values_[cell] = StrToFloat(text);
      } catch (const EConvertError& e) {
        throw ImportCellError(e.Message, l + 1 + i, n + 1 + j);
      }
    }
    Step(progress);
  }
}

void DataImport::FilterConstant(Progress* progress) {
  Report(progress, "Filtering constant descriptors...");
  const long double threshold = FilterThreshold(settings_.ConstPercent);
  for (int j = 0; j < varCount_; ++j) {
    Step(progress);
    if (!IsColumnExempt(j) && IsNearlyConstant(Column(j), MissingColumn(j), objCount_, threshold))
      bpColumnKept[static_cast<std::size_t>(j)] = false;
  }
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

std::vector<long double> DataImport::FilterValues(const std::vector<int>& rows) const {
  std::vector<long double> values;
  values.reserve(rows.size() * static_cast<std::size_t>(varCount_));
  for (int j = 0; j < varCount_; ++j) {
    const long double* column = Column(j);
    for (int row : rows) values.push_back(column[row]);
  }
  return values;
}

void DataImport::FilterCorrelated(Progress* progress) {
  Report(progress, "Filtering correlated descriptors...");
  const std::vector<int> rows = FilterRows();
  for (int j = 0; j < varCount_; ++j) {
    if (IsColumnExempt(j)) continue;
    const uint8_t* missing = MissingColumn(j);
    for (int i = 0; i < objCount_; ++i)
      if (missing[i]) bpColumnKept[static_cast<std::size_t>(j)] = false;
  }
  FilterCorrelations pairs(FilterValues(rows), static_cast<int>(rows.size()), varCount_);
  CorrelationFilter filter(pairs, bpColumnKept, exempt_);
  filter.Run(FilterThreshold(settings_.CorrPercent), [&] { Step(progress); });
}

std::vector<std::string> DataImport::DroppedNames() const {
  std::vector<std::string> names;
  for (int j = 0; j < varCount_; ++j)
    if (!Kept(j)) names.push_back(varNames_[static_cast<std::size_t>(j)]);
  return names;
}

void DataImport::Fill(ChemoData& data) const {
  data.Allocate(varCount_, objCount_);
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
    ++to;
  }
  data.iVarCount = to;  // the rows keep their allocated width
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
  } catch (const Exception& e) {
    Ui().MessageBox(e.Message, "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
  } catch (...) {
    Ui().MessageBox(kCorruptedText, "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
  }
  host.ClearProject();
}
