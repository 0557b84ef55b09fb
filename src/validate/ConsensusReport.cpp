#include "validate/ConsensusReport.h"

#include <algorithm>
#include <memory>

#include "data/ChemoData.h"
#include "data/LabelLists.h"
#include "numerics/ProgressStepper.h"
#include "numerics/Utils.h"
#include "platform/base/NumberText.h"
#include "validate/Consensus.h"

namespace {

constexpr const char* kEol = "\r\n";
constexpr int kFirstNumberColumn = 3;

// The arrays of columns 4 to 14, and whether a column holds leave-one-out values.
struct ArrayColumn {
  ConsensusArray array;
  bool leaveOneOut;
};
constexpr ArrayColumn kArrayColumns[] = {
    {ConsensusArray::AcmPred, true},     {ConsensusArray::AcmCalc, false}, {ConsensusArray::WcmPred, true},
    {ConsensusArray::WcmCalc, false},    {ConsensusArray::StdDevPred, true}, {ConsensusArray::StdDev, false},
    {ConsensusArray::MinPred, true},     {ConsensusArray::Min, false},    {ConsensusArray::MaxPred, true},
    {ConsensusArray::Max, false},        {ConsensusArray::AverageHat, false}};

std::vector<std::string> HeaderRow() {
  return {"ID",
          "Name",
          "Status",
          "Exp. Endpoint",
          "ACM Pred. LOO",
          "ACM Pred. Mod.Eq.",
          "WCM Pred. LOO",
          "WCM Pred. Mod.Eq.",
          "Sd. Pred. LOO",
          "Sd. Pred. Mod.Eq.",
          "Min Pred. LOO",
          "Min Pred. Mod.Eq.",
          "Max Pred. LOO",
          "Max Pred. Mod.Eq.",
          "Av. HAT i/i"};
}

// A column title of the saved report: every full stop becomes the user's separator.
std::string SavedTitle(const std::string& title, char separator) {
  std::string converted = title;
  std::replace(converted.begin(), converted.end(), '.', separator);
  return converted;
}

// Steps the bar once per item of the report.
class ItemBar {
public:
  ItemBar(Progress* progress, int items) {
    if (progress == nullptr) return;
    progress->SetRange(0, LargestInt());
    progress->SetPosition(0);
    stepper_ = std::make_unique<ProgressStepper>(*progress, ProgressStep(0, LargestInt(), 1, items));
  }
  void Step() {
    if (stepper_) stepper_->Step();
  }

private:
  std::unique_ptr<ProgressStepper> stepper_;
};

}  // namespace

ConsensusCells ConsensusTableCells(const Consensus& consensus) {
  const ChemoData& data = consensus.Data();
  const TrainingStatus labels;
  ConsensusCells table{HeaderRow()};
  for (int i = 0; i < data.iObjCount; ++i) {
    const CheckedValue& response = data.tpChemoValuePtr[i][data.iResponseIndex];
    const bool prediction = data.ipTrainingPtr[i] == 2;
    std::vector<std::string> row{IntToStr(i + 1), data.tpObjNameStrPtr[i],
                                 response.Missing ? "Unknown" : labels.GetLabel(data.ipTrainingPtr[i]),
                                 response.Missing ? "-" : Consensus::NumberText(response.Value)};
    for (const ArrayColumn& column : kArrayColumns) {
      const CheckedValue& cell = consensus.Array(column.array)[i];
      row.push_back(!cell.Missing                        ? Consensus::NumberText(cell.Value)
                    : column.leaveOneOut && prediction ? "PRED"
                                                       : "");
    }
    table.push_back(row);
  }
  return table;
}

std::string ConsensusReportText(const std::vector<std::string>& modelLines, const std::vector<std::string>& criteria,
                                const ConsensusCells& table, bool saved, char separator, Progress* progress) {
  const int headerCells = table.empty() ? 0 : static_cast<int>(table.front().size());
  const int rows = table.empty() ? 0 : static_cast<int>(table.size()) - 1;
  ItemBar bar(progress, static_cast<int>(modelLines.size() + criteria.size()) + headerCells + rows);
  std::string text = saved ? std::string("Consensus selected models:") + kEol : std::string();
  for (const std::string& line : modelLines) {
    text += line + kEol;
    bar.Step();
  }
  text += kEol;
  for (const std::string& line : criteria) {
    text += ConvertReportSeparators(line, separator) + kEol;
    bar.Step();
  }
  text += kEol;
  for (std::size_t row = 0; row < table.size(); ++row) {
    for (std::size_t col = 0; col < table[row].size(); ++col) {
      const std::string& cell = table[row][col];
      if (row == 0)
        text += (saved ? SavedTitle(cell, separator) : cell) + "\t";
      else
        text += (col >= kFirstNumberColumn ? ToSystemDecimalSeparator(cell, separator) : cell) + "\t";
      if (row == 0) bar.Step();
    }
    text += kEol;
    if (row > 0) bar.Step();
  }
  return text;
}
