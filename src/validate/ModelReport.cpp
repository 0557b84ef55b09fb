// The single-model window's report and clipboard texts.
#include "validate/ModelReport.h"

#include <cctype>
#include <functional>
#include <limits>
#include <vector>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "numerics/Utils.h"
#include "platform/base/UiServices.h"
#include "validate/SingleModelAnalysis.h"

namespace {

constexpr const char* kEol = "\r\n";
using Grid = std::vector<std::vector<std::string>>;
using RowDone = std::function<void()>;

// The title row's first converted column when the titles go out as they stand.
constexpr std::size_t kTitlesKept = std::numeric_limits<std::size_t>::max();

// Every row, every cell followed by a TAB; the cells from firstNumber on (in the
// title row from firstTitle on) go through the user's separator.
std::string GridRows(const Grid& cells, std::size_t firstTitle, std::size_t firstNumber, char separator,
                     const RowDone& rowDone = {}) {
  std::string text;
  for (std::size_t row = 0; row < cells.size(); ++row) {
    const std::size_t firstConverted = row == 0 ? firstTitle : firstNumber;
    for (std::size_t col = 0; col < cells[row].size(); ++col) {
      const std::string& cell = cells[row][col];
      text += (col >= firstConverted ? ToSystemDecimalSeparator(cell, separator) : cell) + "\t";
    }
    text += kEol;
    if (rowDone) rowDone();
  }
  return text;
}

std::string StatisticsLines(const SingleModelAnalysis& analysis, char separator, const RowDone& rowDone = {}) {
  std::string text;
  for (const std::string& line : analysis.TextLines()) {
    text += ConvertReportSeparators(line, separator) + kEol;
    if (rowDone) rowDone();
  }
  return text;
}

constexpr std::size_t kFirstObjectNumberColumn = 3;

std::string Number(long double value, char separator) {
  return ToSystemDecimalSeparator(SingleModelAnalysis::NumberText(value), separator);
}

bool EndsWithNoCase(const std::string& name, const std::string& ending) {
  if (name.size() < ending.size()) return false;
  for (std::size_t i = 0; i < ending.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(name[name.size() - ending.size() + i])) != ending[i]) return false;
  return true;
}

}  // namespace

std::string ModelCopyText(const SingleModelAnalysis& analysis, char separator, Progress* progress) {
  RowDone rowDone;
  int rows = 0;
  if (progress != nullptr) {
    progress->SetText("Formatting...");
    progress->SetRange(0, static_cast<int>(analysis.ParamCells().size() + analysis.TextLines().size() +
                                           analysis.ObjectCells().size()));
    progress->SetPosition(0);
    rowDone = [progress, &rows] { progress->SetPosition(++rows); };
  }
  return GridRows(analysis.ParamCells(), kTitlesKept, 1, separator, rowDone) + kEol +
         StatisticsLines(analysis, separator, rowDone) + kEol +
         GridRows(analysis.ObjectCells(), kTitlesKept, kFirstObjectNumberColumn, separator, rowDone);
}

std::string ModelReportText(const SingleModelAnalysis& analysis, char separator) {
  const DataResultNode& model = analysis.Model();
  const ChemoData& data = analysis.Data();
  std::string text = "Model: " + model.sName + kEol + kEol + "Variable\tCoeff.\tStd.Coeff.\tCo.Int.95%" + kEol;
  for (int j = 0; j <= model.iSize; ++j) {
    text += (j == 0 ? std::string("Intercept") : data.tpVarNameStrPtr[model.ipSelVarIdxPtr[j - 1]]) + "\t";
    text += Number(model.ldpBModelCoeffPtr[j], separator) + "\t";
    if (j > 0) text += Number(model.ldpBStdCoeffPtr[j], separator);
    text += "\t" + Number(model.ldpBIntConfPtr[j], separator) + kEol;
  }
  text += std::string(kEol) + kEol;
  text += StatisticsLines(analysis, separator);
  text += std::string(kEol) + kEol;
  // The report's title row goes through the separator after its first column.
  return text + GridRows(analysis.ObjectCells(), 1, kFirstObjectNumberColumn, separator);
}

std::string ModelReportFileName(const std::string& chosen, int filterIndex) {
  std::string name = chosen;
  if (EndsWithNoCase(name, ".txt") || EndsWithNoCase(name, ".smd")) name.resize(name.size() - 4);
  return name + (filterIndex == 2 ? ".smd" : ".txt");
}
