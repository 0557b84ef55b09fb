#include "prepare/RankingGrid.h"

#include <gtest/gtest.h>

#include <cmath>

#include "data/LabelLists.h"
#include "prepare/CellTable.h"
#include "prepare/SetupTestData.h"

namespace {

using Line = std::vector<std::string>;

struct CountingProgress : Progress {
  void SetText(const std::string& text) override { texts.push_back(text); }
  void SetRange(int lo, int hi) override { range = {lo, hi}; }
  void SetPosition(int pos) override { position = pos; }
  void AnimationTick() override { ++ticks; }
  std::vector<std::string> texts;
  std::pair<int, int> range;
  int position = 0;
  int ticks = 0;
};

struct RankingFixture : testing::Test {
  void Load(const std::vector<std::vector<long double>>& rows) {
    FillData(data, rows);
    grid.LoadGrid(progress);
  }
  // The texts of one grid column from the first object row on.
  Line Column(int col) const {
    Line texts;
    for (int row = HeaderRowCount; row < cells.RowCount(); ++row) texts.push_back(cells.Cell(col, row));
    return texts;
  }
  // Criteria A (maximize) and B (minimize) with weights 0.5 on five objects, the last unselected.
  void LoadRankingExample() {
    Load({{5, 1}, {3, 2}, {4, 4}, {5, 1}, {1, 9}});
    grid.SelectColumns(4, 5, true);
    grid.ResetWeights();
    grid.SetColumnParameters(5, 5, CheckedValue(0.5L, false));
    grid.SelectObjects(7, 7, false);
  }

  ChemoData data;
  CellTable cells{1, 1};
  RankingGrid grid{data, cells};
  CountingProgress progress;
  ScriptedUi& ui = TestUi();
};

TEST_F(RankingFixture, LayoutHoldsLeadDataAndScoreColumns) {
  Load({{1, 2, kMissing}, {3, 4, 5}, {5, 7, kMissing}, {6, kMissing, 1}});
  data.iResponseIndex = 2;
  SetVarLists(data, {1});
  data.ipTrainingPtr[2] = kStatusExcluded;
  grid.LoadGrid(progress);
  ASSERT_EQ(cells.ColCount(), 8);
  ASSERT_EQ(cells.RowCount(), 7);
  EXPECT_EQ(cells.Line(0), (Line{"No", "ID", "Name", "Status", "V0", "V1", "V2", "MCDM score"}));
  EXPECT_EQ(cells.Line(1), (Line{"", "", "", "Optimality", "Maximize", "Maximize", "Maximize", ""}));
  EXPECT_EQ(cells.Line(2), (Line{"", "", "", "Weight", "0", "0", "0", ""}));
  EXPECT_EQ(Column(3), (Line{"Unknown", "Training", "Excluded", "Missing"}));
  EXPECT_EQ(cells.Line(6), (Line{"4", "4", "O3", "Missing", "6", "Missing data", "1", ""}));
  EXPECT_EQ(progress.texts, (Line{"Loading data...", "Loading data..."}));
  EXPECT_EQ(progress.ticks, 2 * (4 + 3 + 4));
}

TEST_F(RankingFixture, ColumnSelectionSharesTheWeightsEqually) {
  Load({{1, 2, 3, kMissing}, {2, 3, 1, 4}, {3, 1, 2, 5}});
  grid.SelectColumns(0, 5, true);  // lead columns are ignored
  grid.ResetWeights();
  EXPECT_EQ(cells.Line(2, 4), (Line{"0.5", "0.5", "", "", ""}));
  EXPECT_FALSE(grid.ColumnSelected(3));
  grid.SelectColumns(6, 8, true);  // the column with a missing value and the score column
  EXPECT_EQ(grid.CountSelectedColumns(), 3);
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Shown(0).text,
            "Sorry, you cannot select colums containing missing values. They will be automatically unselected.");
  EXPECT_EQ(ui.Shown(0).Icon(), MB_ICONWARNING);
  grid.ResetWeights();
  EXPECT_EQ(cells.Line(2, 4), (Line{"0.333333333333333", "0.333333333333333", "0.333333333333333", "", ""}));
  grid.SelectColumns(4, 4, false);
  grid.ResetWeights();
  EXPECT_EQ(cells.Line(2, 4), (Line{"", "0.5", "0.5", "", ""}));
  EXPECT_EQ(grid.Setting(4).Value, 1.0L / 3);  // kept, only not shown
  EXPECT_EQ(ui.Shown().size(), 1u);
}

TEST_F(RankingFixture, RankingWritesScoresInTheChosenOrder) {
  LoadRankingExample();
  ASSERT_TRUE(grid.Rank(true, progress));
  EXPECT_TRUE(grid.RankingCurrent());
  EXPECT_EQ(progress.texts.back(), "Sorting data...");
  EXPECT_EQ(Column(1), (Line{"1", "4", "2", "3", "5"}));
  EXPECT_EQ(Column(0), (Line{"1", "2", "3", "4", "5"}));
  EXPECT_EQ(Column(6), (Line{"0.777777777777778", "0.777777777777778", "0.111111111111111", "0.111111111111111", "0"}));
  EXPECT_EQ(Column(4), (Line{"5", "5", "3", "4", "1"}));
  EXPECT_FALSE(grid.Row(4).selected);
  EXPECT_EQ(grid.Row(4).object, 4);
  EXPECT_EQ(grid.Shade(2, 7, false), RankingShade::UnselectedObject);
  EXPECT_EQ(grid.Shade(2, 3, false), RankingShade::LeadObject);

  // Reordering keeps the scores even when the values change.
  data.tpChemoValuePtr[4][0].Value = 100;
  ASSERT_TRUE(grid.Rank(false, progress));
  EXPECT_EQ(Column(1), (Line{"5", "3", "2", "4", "1"}));
  EXPECT_EQ(Column(6).front(), "0");
  EXPECT_EQ(Column(4).front(), "100");
  EXPECT_FALSE(grid.Row(0).selected);
  EXPECT_TRUE(grid.Row(4).selected);
  EXPECT_TRUE(ui.Shown().empty());
}

TEST_F(RankingFixture, WeightsMustTotalOneAndCompletionFixesThem) {
  LoadRankingExample();
  grid.SetColumnParameters(4, 4, CheckedValue(0.3L, true));
  grid.SetColumnParameters(5, 5, CheckedValue(0.3L, false));
  EXPECT_FALSE(grid.CheckRankingInput());
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Shown(0).text, WeightTotalMessage(0.3L + 0.3L));
  grid.CompleteWeight(4);
  EXPECT_EQ(cells.Cell(4, 2), "0.7");
  EXPECT_TRUE(grid.CheckRankingInput());
  // Completing a column that is not selected still counts only the selected ones.
  grid.SelectColumns(5, 5, false);
  grid.CompleteWeight(5);
  EXPECT_EQ(cells.Cell(5, 2), "0.3");
}

TEST_F(RankingFixture, TooFewObjectsAndFailedRankingsChangeNothing) {
  LoadRankingExample();
  grid.SelectObjects(3, 6, false);
  EXPECT_FALSE(grid.CheckRankingInput());
  EXPECT_EQ(ui.Shown(0).text, "The number of selected objects must be greater that 1.");
  grid.SelectObjects(0, 7, true);
  // Weights -1 and 2 make Q + 1 zero for some pair: the ranking fails.
  grid.SetColumnParameters(4, 4, CheckedValue(-1.0L, true));
  grid.SetColumnParameters(5, 5, CheckedValue(2.0L, false));
  const Line ids = Column(1);
  EXPECT_TRUE(grid.CheckRankingInput());
  EXPECT_FALSE(grid.Rank(true, progress));
  EXPECT_EQ(ui.Shown(1).text, "Floating point division by zero");
  EXPECT_FALSE(grid.RankingCurrent());
  EXPECT_EQ(Column(1), ids);
  EXPECT_EQ(Column(6), Line(5));
}

TEST_F(RankingFixture, ColumnParametersKeepToTheDataColumns) {
  LoadRankingExample();
  int left = 0, right = 6;
  EXPECT_TRUE(grid.ClampToDataColumns(left, right));
  EXPECT_EQ(left, 4);
  EXPECT_EQ(right, 5);
  left = right = 6;
  EXPECT_FALSE(grid.ClampToDataColumns(left, right));
  grid.SetColumnParameters(6, 6, CheckedValue(0.9L, false));
  grid.SetColumnParameters(0, 4, CheckedValue(0.25L, false));
  EXPECT_EQ(cells.Line(1), (Line{"", "", "", "Optimality", "Minimize", "Minimize", ""}));
  EXPECT_EQ(cells.Line(2, 3), (Line{"Weight", "0.25", "0.5", ""}));
}

TEST_F(RankingFixture, StoringAppendsTheScoresAsAVariable) {
  LoadRankingExample();
  ASSERT_TRUE(grid.Rank(true, progress));
  grid.StoreMcdmColumn("MCDM-A", true);
  ASSERT_EQ(data.iVarCount, 3);
  EXPECT_EQ(data.tpVarNameStrPtr[2], "MCDM-A");
  EXPECT_EQ(FloatToStr(data.tpChemoValuePtr[0][2].Value), "0.777777777777778");
  EXPECT_EQ(FloatToStr(data.tpChemoValuePtr[1][2].Value), "0.111111111111111");
  EXPECT_EQ(data.tpChemoValuePtr[4][2].Value, 0.0L);
  EXPECT_FALSE(data.tpChemoValuePtr[4][2].Missing);
  EXPECT_EQ(cells.Line(0, 4), (Line{"V0", "V1", "MCDM-A", "MCDM score"}));
  EXPECT_EQ(cells.Line(1, 6), (Line{"Maximize", ""}));
  EXPECT_EQ(Column(6), (Line{"0.777777777777778", "0.777777777777778", "0.111111111111111", "0.111111111111111", "0"}));
  EXPECT_EQ(Column(7), Line(5));
  EXPECT_FALSE(grid.ColumnSelected(6));
  EXPECT_TRUE(grid.Setting(6).Missing);
}

TEST_F(RankingFixture, StoringWithSplittingsKeepsTheLayout) {
  FillData(data, {{5, 1}, {3, 2}, {4, 4}});
  data.iSplitCount = 1;
  data.tpSplitNameStrPtr = new std::string[1]{"S"};
  data.ipSplittingPtr = new int32_t*[1]{new int32_t[3]{1, 2, 0}};
  grid.LoadGrid(progress);
  grid.SelectColumns(4, 5, true);
  grid.ResetWeights();
  grid.SetColumnParameters(6, 6, CheckedValue(0.4L, false));
  ASSERT_TRUE(grid.Rank(true, progress));
  grid.StoreMcdmColumn("M", true);
  EXPECT_EQ(cells.Line(0, 4), (Line{"V0", "V1", "M", "S", "MCDM score"}));
  EXPECT_EQ(cells.Line(1, 6), (Line{"Maximize", "Minimize", ""}));
  EXPECT_EQ(grid.Setting(7).Value, 0.4L);
  for (int k = 0; k < 3; ++k) {
    const int32_t obj = grid.Row(k).object;
    EXPECT_EQ(cells.Cell(7, 3 + k), TrainingStatus().GetLabel(data.ipSplittingPtr[0][obj]));
    EXPECT_EQ(cells.Cell(6, 3 + k), FloatToStr(data.tpChemoValuePtr[obj][2].Value));
  }
  EXPECT_EQ(grid.Row(2).object, 1);
}

TEST_F(RankingFixture, PcaOfPerfectlyCorrelatedColumns) {
  Load({{1, 2}, {2, 4}, {3, 6}});
  grid.SelectColumns(4, 5, true);
  VariablePca pca;
  ASSERT_TRUE(grid.CalculatePca(pca));
  EXPECT_EQ(pca.AxisText(1), "PC1 (EV% = 100.00%)");
  EXPECT_EQ(pca.AxisText(2), "PC2 (EV% = 0.00%)");
}

TEST_F(RankingFixture, PcaMatchesTheEigenEquationOfTheCorrelations) {
  const std::vector<std::vector<long double>> rows = {
      {2.5, 1, 7}, {3.1, 0.5, 6}, {4, 2.2, 5.5}, {5.2, 1.8, 3.9}, {6.1, 3, 4.1}, {0, 0, 0}};
  Load(rows);
  grid.SelectObjects(8, 8, false);
  grid.SelectColumns(4, 6, true);
  VariablePca pca;
  ASSERT_TRUE(grid.CalculatePca(pca));
  EXPECT_EQ(pca.objects, (std::vector<int32_t>{0, 1, 2, 3, 4}));
  EXPECT_EQ(pca.ExplainedText(1), "89.38");
  EXPECT_EQ(pca.ExplainedText(2), "10.17");
  EXPECT_EQ(pca.ExplainedText(3), "0.45");

  // Autoscaled columns (population deviation) and their correlations, computed here directly.
  const int n = 5, p = 3;
  long double z[5][3], r[3][3] = {};
  for (int c = 0; c < p; ++c) {
    long double mean = 0, ss = 0;
    for (int i = 0; i < n; ++i) mean += rows[i][c] / n;
    for (int i = 0; i < n; ++i) ss += (rows[i][c] - mean) * (rows[i][c] - mean);
    for (int i = 0; i < n; ++i) z[i][c] = (rows[i][c] - mean) / std::sqrt(ss / n);
  }
  for (int a = 0; a < p; ++a)
    for (int b = 0; b < p; ++b)
      for (int i = 0; i < n; ++i) r[a][b] += z[i][a] * z[i][b] / n;
  for (int k = 1; k <= p; ++k) {
    const long double lambda = pca.explained.At(0, p - k) * p;
    for (int a = 0; a < p; ++a) {
      long double rv = 0;
      for (int b = 0; b < p; ++b) rv += r[a][b] * pca.Loading(b, k);
      EXPECT_NEAR(static_cast<double>(rv), static_cast<double>(lambda * pca.Loading(a, k)), 1e-12) << k;
    }
    for (int i = 0; i < n; ++i) {
      long double score = 0;
      for (int c = 0; c < p; ++c) score += z[i][c] * pca.Loading(c, k);
      EXPECT_NEAR(static_cast<double>(pca.Score(i, k)), static_cast<double>(score), 1e-12);
    }
  }
}

TEST_F(RankingFixture, SelectionsWithMissingOrTooFewColumnsAreRefused) {
  Load({{1, 2, 3}, {2, kMissing, 1}, {3, 1, 2}});
  grid.SelectColumns(4, 4, true);
  std::vector<std::string> names;
  EXPECT_EQ(grid.Correlation(names), nullptr);
  EXPECT_EQ(ui.Shown(0).text, "Too few selected columns, cannot continue.");
  EXPECT_EQ(ui.Shown(0).Icon(), MB_ICONERROR);
}

TEST_F(RankingFixture, CorrelationSetsBothTrianglesAndMissesConstantColumns) {
  Load({{1, 2, 3}, {2, 4, 3}, {3, 5, 3}, {9, 9, 9}});
  grid.SelectObjects(6, 6, false);
  grid.SelectColumns(4, 6, true);
  std::vector<std::string> names;
  std::unique_ptr<CheckedMatrix> r = grid.Correlation(names);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(names, (Line{"V0", "V1", "V2"}));
  EXPECT_EQ(r->At(0, 0).Value, 1.0L);
  EXPECT_EQ(r->At(0, 1).Value, r->At(1, 0).Value);
  EXPECT_NEAR(static_cast<double>(r->At(0, 1).Value), 0.9819805060619657, 1e-15);
  EXPECT_TRUE(r->At(2, 0).Missing);
  EXPECT_TRUE(r->At(0, 2).Missing);
}

TEST_F(RankingFixture, CopyTakesTheLeadColumnsAndTheBlock) {
  Load({{1.5, 2.25, 3}, {4, 5.5, 6}, {7, 8, 9}});
  const std::string text = grid.CopyText({5, 3, 6, 4}, ',', progress);
  EXPECT_EQ(text,
            "No\tID\tName\tStatus\tV1\tV2\t\r\n"
            "1\t1\tO0\tTraining\t2,25\t3\t\r\n"
            "2\t2\tO1\tTraining\t5,5\t6\t\r\n");
  EXPECT_EQ(progress.range, (std::pair<int, int>{0, 8}));
  EXPECT_EQ(progress.position, 8);
  EXPECT_EQ(progress.texts.back(), "Sending...");
}

TEST_F(RankingFixture, ShadesFollowTheDrawingOrder) {
  LoadRankingExample();
  EXPECT_EQ(grid.Shade(4, 0, false), RankingShade::None);
  EXPECT_EQ(grid.Shade(1, 1, false), RankingShade::LeadHeader);
  EXPECT_EQ(grid.Shade(1, 1, true), RankingShade::LeadHeader);
  EXPECT_EQ(grid.Shade(6, 2, false), RankingShade::DataHeader);
  EXPECT_EQ(grid.Shade(4, 3, false), RankingShade::SelectedColumn);
  EXPECT_EQ(grid.Shade(4, 3, true), RankingShade::None);
  EXPECT_EQ(grid.Shade(6, 3, false), RankingShade::None);
  EXPECT_EQ(grid.Shade(4, 7, false), RankingShade::UnselectedObject);
  EXPECT_EQ(grid.Shade(0, 7, true), RankingShade::LeadObject);
}

}  // namespace
