#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <limits>
#include <regex>
#include <string>
#include <vector>

#include "support/ProgressSteps.h"
#include "support/ScriptedUi.h"
#include "validate/Consensus.h"
#include "validate/ConsensusReport.h"
#include "validate/ValidationTestData.h"

namespace {

using validationtest::AddModel;
using validationtest::MakeData;

// The example of two one-descriptor models: training responses 1-4, prediction
// responses 5 and 6; a name and a variable name with a full stop.
struct ReportExample {
  ReportExample() {
    data = MakeData({{1, {1.1L, 0.9L}, 1}, {1, {1.9L, 2.1L}, 2}, {1, {3.2L, 2.8L}, 3},
                     {1, {3.8L, 4.2L}, 4}, {2, {5.2L, 5.0L}, 5}, {2, {5.7L, 6.1L}, 6}});
    data->tpObjNameStrPtr[0] = "Ob.1";
    data->tpVarNameStrPtr[0] = "D.0";
    list = std::make_unique<DataResultList>(data.get());
    Add({0}, {1.2L, 1.8L, 3.3L, 3.7L}, 7);
    Add({1}, {0.8L, 2.2L, 2.7L, 4.3L}, 3);
    consensus = std::make_unique<Consensus>(*list, *data);
  }
  void Add(const std::vector<int>& variables, const std::vector<long double>& loo, int id) {
    DataResultNode& model = AddModel(*list, variables, {0, 1});
    model.iID = id;
    model.iTrainCount = 4;
    AllocCheckedArray(model.ldpTrainYCapPtr, 4, "*ldpTrainYCapPtr");
    for (int t = 0; t < 4; ++t) model.ldpTrainYCapPtr[t] = loo[t];
  }
  std::string Report(bool saved, char separator, Progress* progress = nullptr) const {
    return ConsensusReportText(consensus->ModelLines(), consensus->CriteriaLines(), ConsensusTableCells(*consensus),
                               saved, separator, progress);
  }

  std::unique_ptr<ChemoData> data;
  std::unique_ptr<DataResultList> list;
  std::unique_ptr<Consensus> consensus;
};

const char* const kReport =
    "ID: 3   model: D1\r\n"
    "ID: 7   model: D.0\r\n"
    "\r\n"
    "(Fitting criteria)\r\n"
    "R2 ACM: 0.9989 \tR2 WCM: 0.9989 \tMAE tr: 0.0000 \tRMSE tr: 0.0000 \tCCC tr: 1.0000\r\n"
    "\r\n"
    "(External validation criteria)\r\n"
    "MAE ext: 0.1000 \tRMSE ext: 0.1000 \tCCC ext: 0.9756\r\n"
    "Q2-F1: 0.9989 \tQ2-F2: 0.9600 \tQ2-F3: 0.9920\r\n"
    "\r\n"
    "Calc. external data (ACM) regr. angle from diagonal: -6.3402\xB0\r\n"
    "Calc. external data (WCM) regr. angle from diagonal: -6.3402\xB0\r\n"
    "\r\n"
    "ID\tName\tStatus\tExp. Endpoint\tACM Pred. LOO\tACM Pred. Mod.Eq.\tWCM Pred. LOO\tWCM Pred. Mod.Eq.\t"
    "Sd. Pred. LOO\tSd. Pred. Mod.Eq.\tMin Pred. LOO\tMin Pred. Mod.Eq.\tMax Pred. LOO\tMax Pred. Mod.Eq.\t"
    "Av. HAT i/i\t\r\n"
    "1\tOb.1\tTraining\t1.0000\t1.0000\t1.0000\t1.0000\t1.0000\t0.2828\t0.1414\t0.8000\t0.9000\t1.2000\t1.1000\t"
    "0.6923\t\r\n"
    "2\tO1\tTraining\t2.0000\t2.0000\t2.0000\t2.0000\t2.0000\t0.2828\t0.1414\t1.8000\t1.9000\t2.2000\t2.1000\t"
    "0.3040\t\r\n"
    "3\tO2\tTraining\t3.0000\t3.0000\t3.0000\t3.0000\t3.0000\t0.4243\t0.2828\t2.7000\t2.8000\t3.3000\t3.2000\t"
    "0.3123\t\r\n"
    "4\tO3\tTraining\t4.0000\t4.0000\t4.0000\t4.0000\t4.0000\t0.4243\t0.2828\t3.7000\t3.8000\t4.3000\t4.2000\t"
    "0.6913\t\r\n"
    "5\tO4\tPrediction\t5.0000\tPRED\t5.1000\tPRED\t5.1000\tPRED\t0.1414\tPRED\t5.0000\tPRED\t5.2000\t1.6082\t\r\n"
    "6\tO5\tPrediction\t6.0000\tPRED\t5.9000\tPRED\t5.9000\tPRED\t0.2828\tPRED\t5.7000\tPRED\t6.1000\t2.5246\t\r\n";

// The report under a decimal comma: every full stop between two digits becomes
// a comma (names, titles and labels have none).
std::string WithComma(const std::string& text) { return std::regex_replace(text, std::regex("(\\d)\\.(\\d)"), "$1,$2"); }

TEST(ConsensusReport, CopyAndSaveLayoutsUnderAFullStop) {
  TestUi().Reset();
  const ReportExample ex;
  EXPECT_EQ(ex.Report(false, '.'), kReport);
  EXPECT_EQ(ex.Report(true, '.'), std::string("Consensus selected models:\r\n") + kReport);
}

TEST(ConsensusReport, UnderADecimalCommaNumbersChangeAndTheSavedTitlesToo) {
  TestUi().Reset();
  const ReportExample ex;
  const std::string expected = WithComma(kReport);
  ASSERT_NE(expected, kReport);
  EXPECT_NE(expected.find("Ob.1\tTraining\t1,0000"), std::string::npos);
  EXPECT_NE(expected.find("\tSd. Pred. LOO\t"), std::string::npos);
  EXPECT_EQ(ex.Report(false, ','), expected);
  // The saved column titles turn every full stop; model lines, IDs and names keep theirs.
  std::string saved = "Consensus selected models:\r\n" + expected;
  const std::size_t header = saved.find("ID\tName\t");
  const std::size_t end = saved.find("\r\n", header);
  std::replace(saved.begin() + static_cast<std::ptrdiff_t>(header), saved.begin() + static_cast<std::ptrdiff_t>(end),
               '.', ',');
  EXPECT_NE(saved.find("\tExp, Endpoint\tACM Pred, LOO\tACM Pred, Mod,Eq,\t"), std::string::npos);
  EXPECT_NE(saved.find("\tSd, Pred, LOO\t"), std::string::npos);
  EXPECT_NE(saved.find("ID: 7   model: D.0\r\n"), std::string::npos);
  EXPECT_EQ(ex.Report(true, ','), saved);
  EXPECT_EQ(ex.Report(true, '.'), "Consensus selected models:\r\n" + std::string(kReport));
}

TEST(ConsensusReport, TheTableShowsStatusLabelsDashesAndPred) {
  TestUi().Reset();
  ReportExample ex;
  ex.data->ipTrainingPtr[1] = 0;
  ex.data->tpChemoValuePtr[3][ex.data->iResponseIndex].InitMissing();
  for (DataResultNode* model = ex.list->First(); model != nullptr; model = model->Next()) model->iTrainCount = 2;
  const Consensus c(*ex.list, *ex.data);
  const ConsensusCells table = ConsensusTableCells(c);
  ASSERT_EQ(table.size(), 7u);
  ASSERT_EQ(table[2].size(), 15u);
  EXPECT_EQ(table[2][2], "Excluded");
  EXPECT_EQ(table[2][3], "2.0000");
  for (int col = 4; col < 15; ++col) EXPECT_EQ(table[2][col], "") << col;
  EXPECT_EQ(table[4][2], "Unknown");
  EXPECT_EQ(table[4][3], "-");
  EXPECT_EQ(table[4][4], "");  // a training object without a response has no LOO value
  EXPECT_EQ(table[4][5], "4.0000");
}

TEST(ConsensusReport, OnlyLeaveOneOutColumnsOfPredictionObjectsShowPred) {
  TestUi().Reset();
  ReportExample ex;
  // The first model twice: no spread and no weighted consensus.
  DataResultNode& second = *ex.list->Last();
  second.ipSelVarIdxPtr[0] = 0;
  for (LeverageStruct* leverages : {&second.tsTrainLev, &second.tsTestLev}) leverages->Release();
  const Consensus c(*ex.list, *ex.data);
  const ConsensusCells table = ConsensusTableCells(c);
  const std::vector<std::string> prediction(table[5].begin() + 4, table[5].end());
  EXPECT_EQ(prediction, (std::vector<std::string>{"PRED", "5.2000", "PRED", "", "PRED", "0.0000", "PRED", "5.2000",
                                                  "PRED", "5.2000", "1.8700"}));
  EXPECT_EQ(table[1][7], "");
  second.iSelStatus = 0;
  const ConsensusCells one = ConsensusTableCells(Consensus(*ex.list, *ex.data));
  EXPECT_EQ(one[5][8], "PRED");
  EXPECT_EQ(one[5][9], "");
}

TEST(ConsensusReport, APredictionObjectWhoseEquationAverageOverflowsHasEmptyEquationCells) {
  TestUi().Reset();
  ReportExample ex;
  // Each model's equation value is finite; their sum and squares are not.
  for (int v = 0; v < 2; ++v) ex.data->tpChemoValuePtr[5][v].Value = 0.7L * std::numeric_limits<long double>::max();
  const Consensus c(*ex.list, *ex.data);
  const std::vector<std::string> row = ConsensusTableCells(c)[6];
  EXPECT_EQ(row[2], "Prediction");
  EXPECT_EQ(row[4], "PRED");
  EXPECT_EQ(row[5], "");  // the average of the model equations
  EXPECT_EQ(row[9], "");  // their spread
  EXPECT_EQ(ConsensusTableCells(c)[5][5], "5.1000");
}

TEST(ConsensusReport, TheBarStepsOncePerLineHeaderCellAndRow) {
  TestUi().Reset();
  const ReportExample ex;
  ProgressSteps bar;
  ex.Report(false, '.', &bar);
  const int items = 2 + 9 + 15 + 6;
  EXPECT_EQ(bar.range, std::make_pair(0, INT_MAX));
  ASSERT_EQ(bar.positions.size(), static_cast<std::size_t>(items + 1));
  EXPECT_EQ(bar.positions.front(), 0);
  EXPECT_EQ(bar.positions.back(), INT_MAX / items * items);
}

}  // namespace
