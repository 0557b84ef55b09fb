#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "numerics/Utils.h"
#include "support/ScriptedUi.h"
#include "validate/ModelReport.h"
#include "validate/SingleModelAnalysis.h"
#include "validate/ValidationTestData.h"

namespace {

using validationtest::FitByEngine;
using validationtest::MakeData;

// y on x for x = 1..5: b0 = 0.05, b1 = 1.99; the first object's name holds a point.
struct ExampleReport : ::testing::Test {
  ExampleReport()
      : data(MakeData({{1, {1}, 2.1L}, {1, {2}, 3.9L}, {1, {3}, 6.2L}, {1, {4}, 7.8L}, {1, {5}, 10.1L}})),
        list(data.get()) {
    TestUi().Reset();
    data->tpVarNameStrPtr[0] = "x";
    data->tpObjNameStrPtr[0] = "2.4-D";
    model = &FitByEngine(*data, list, {0});
    model->sName = "x  ";
    analysis = std::make_unique<SingleModelAnalysis>(*data, *model);
  }
  std::unique_ptr<ChemoData> data;
  DataResultList list;
  DataResultNode* model = nullptr;
  std::unique_ptr<SingleModelAnalysis> analysis;
};

TEST_F(ExampleReport, ReportHoldsTheCoefficientLinesThenTheTextThenTheObjectGrid) {
  const std::string report = ModelReportText(*analysis, '.');
  const std::string head =
      "Model: x  \r\n\r\nVariable\tCoeff.\tStd.Coeff.\tCo.Int.95%\r\n"
      "Intercept\t0.0500\t\t0.6304\r\nx\t1.9900\t0.9987\t0.1901\r\n\r\n\r\n";
  ASSERT_EQ(report.substr(0, head.size()), head);
  std::string text;
  for (const std::string& line : analysis->TextLines()) text += ConvertReportSeparators(line, '.') + "\r\n";
  EXPECT_EQ(report.substr(head.size(), text.size()), text);
  const std::string grid = report.substr(head.size() + text.size());
  EXPECT_EQ(grid.substr(0, 8), "\r\n\r\nID\tN");
  EXPECT_NE(grid.find("\t2.4-D\t"), std::string::npos);
  EXPECT_EQ(grid.size() - grid.find_last_of('\t'), 3u);  // the last cell too is followed by a TAB
  EXPECT_EQ(std::count(grid.begin(), grid.end(), '\n'), 2 + 6);
}

TEST_F(ExampleReport, CommaSeparatorReachesOnlyTheNumbers) {
  data->tpVarNameStrPtr[0] = "log.P";
  analysis = std::make_unique<SingleModelAnalysis>(*data, *model);
  const std::string report = ModelReportText(*analysis, ',');
  EXPECT_NE(report.find("Intercept\t0,0500\t\t0,6304\r\n"), std::string::npos);
  EXPECT_NE(report.find("\t2.4-D\t"), std::string::npos);
  EXPECT_NE(report.find("\t2,1000\t"), std::string::npos);
  // The report's object titles after the first column go through the conversion.
  const std::string titles = report.substr(report.rfind("\r\nID\t") + 2);
  EXPECT_EQ(titles.substr(0, titles.find("\r\n")),
            "ID\tName\tStatus\tExp, endpoint\tPred, by model eq.\tPred,Mod.Eq.Res.\tPred, LOO\tPred, LOO Res.\t"
            "HAT i/i (h*=1,2000)\tStd,Pred.Mod.Eq. Res.\tStd,Pred.LOO Res.\t");
  // A statistics line holding a number shows it with the comma.
  const auto& lines = analysis->TextLines();
  const auto numbered = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
    return ConvertReportSeparators(line, ',') != line;
  });
  ASSERT_NE(numbered, lines.end());
  EXPECT_NE(report.find("\n" + ConvertReportSeparators(*numbered, ',') + "\r\n"), std::string::npos);

  const std::string copy = ModelCopyText(*analysis, ',');
  EXPECT_EQ(copy.substr(0, copy.find("\r\n") + 2),
            "Variable\tCoeff.\tStd. coeff.\tStd. err.\t(+/-) Co. int. 95%\tp-value\t\r\n");
  EXPECT_NE(copy.find("\r\nIntercept\t0,0500\t"), std::string::npos);
  EXPECT_NE(copy.find("\r\nlog.P\t1,9900\t"), std::string::npos);
  EXPECT_NE(report.find("\r\nlog.P\t1,9900\t"), std::string::npos);
  EXPECT_NE(copy.find("\t2.4-D\t"), std::string::npos);
  EXPECT_NE(copy.find("Exp. endpoint\t"), std::string::npos);
  EXPECT_NE(copy.find("\t\r\n\r\n" + ConvertReportSeparators(lines[0], ',') + "\r\n"), std::string::npos);
}

// Records the bar of the copy's progress window.
struct BarSteps : Progress {
  void SetText(const std::string& t) override { text = t; }
  void SetRange(int lo, int hi) override { range = {lo, hi}; }
  void SetPosition(int pos) override { positions.push_back(pos); }
  void AnimationTick() override {}
  std::string text;
  std::pair<int, int> range;
  std::vector<int> positions;
};

TEST_F(ExampleReport, CopyStepsItsBarOncePerRowFromZeroToTheEnd) {
  BarSteps bar;
  ModelCopyText(*analysis, '.', &bar);
  EXPECT_EQ(bar.text, "Formatting...");
  const int rows = 3 + static_cast<int>(analysis->TextLines().size()) + 6;  // both grids with their titles
  EXPECT_EQ(bar.range, std::make_pair(0, rows));
  std::vector<int> expected(static_cast<std::size_t>(rows) + 1);
  for (int i = 0; i <= rows; ++i) expected[static_cast<std::size_t>(i)] = i;
  EXPECT_EQ(bar.positions, expected);
}

TEST(ModelReportFileName, DropsAKnownEndingThenAddsTheFiltersOwn) {
  EXPECT_EQ(ModelReportFileName("report", 1), "report.txt");
  EXPECT_EQ(ModelReportFileName("report.txt", 1), "report.txt");
  EXPECT_EQ(ModelReportFileName("model.smd", 2), "model.smd");
  EXPECT_EQ(ModelReportFileName("a.TXT", 2), "a.smd");
  EXPECT_EQ(ModelReportFileName("a.v2", 1), "a.v2.txt");
  EXPECT_EQ(ModelReportFileName("ab.v2", 1), "ab.v2.txt");
  EXPECT_EQ(ModelReportFileName(".TXT", 1), ".txt");
  EXPECT_EQ(ModelReportFileName("txt", 1), "txt.txt");
}

}  // namespace
