#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "support/ScriptedUi.h"
#include "validate/SingleModelAnalysis.h"
#include "validate/ValidationTestData.h"

namespace {

using validationtest::FitByEngine;
using validationtest::MakeData;
using validationtest::TestObject;

// Objects 1-5 training, 6-7 prediction, 8 prediction and 10 training without a
// response, 9 excluded. y on x fits b0 = 0.05, b1 = 1.99, h* = 1.2.
std::vector<TestObject> ExampleObjects() {
  return {{1, {1}, 2.1L},   {1, {2}, 3.9L},   {1, {3}, 6.2L}, {1, {4}, 7.8L}, {1, {5}, 10.1L},
          {2, {2.5L}, 5.2L}, {2, {4.5L}, 9.3L}, {2, {6}, {}},   {0, {3}, 6.0L}, {1, {7}, {}}};
}

struct Example {
  explicit Example(std::vector<TestObject> objects = ExampleObjects())
      : data(MakeData(objects)), list(data.get()), model(FitByEngine(*data, list, {0})) {
    model.sName = "M1";
  }
  std::unique_ptr<ChemoData> data;
  DataResultList list;
  DataResultNode& model;
};

const std::string& Cell(const SingleModelAnalysis& a, int col, int row) { return a.ObjectCells().at(row).at(col); }

// What a progress bar was told; it outlives the bar.
struct ProgressLog {
  int lo = -1, hi = -1, opened = 0, raised = 0;
  std::vector<int> positions;
};

struct RecordingProgress : Progress {
  explicit RecordingProgress(ProgressLog& log) : log(log) {}
  void SetText(const std::string&) override {}
  void SetRange(int low, int high) override { log.lo = low, log.hi = high; }
  void SetPosition(int pos) override { log.positions.push_back(pos); }
  void AnimationTick() override {}
  void BringToFront() override { ++log.raised; }
  ProgressLog& log;
};

TEST(SingleModelAnalysis, ParameterGridShowsCoefficientsStatisticsAndColours) {
  TestUi().Reset();
  Example ex;
  SingleModelAnalysis a(*ex.data, ex.model);
  const auto& p = a.ParamCells();
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(p[0], (std::vector<std::string>{"Variable", "Coeff.", "Std. coeff.", "Std. err.", "(+/-) Co. int. 95%",
                                            "p-value"}));
  EXPECT_EQ(p[1][0], "Intercept");
  EXPECT_EQ(p[1][1], "0.0500");
  EXPECT_EQ(p[1][2], "");
  EXPECT_EQ(p[1][3], "0.1981");
  EXPECT_EQ(p[1][4], "0.6304");
  EXPECT_EQ(p[1][5], "0.8170");
  EXPECT_EQ(p[2][3], "0.0597");
  EXPECT_EQ(p[2][4], "0.1901");
  EXPECT_EQ(p[2][5], "0.0001");
  EXPECT_EQ(p[2][0], "D0");
  EXPECT_EQ(p[2][1], "1.9900");
  EXPECT_EQ(p[2][2], "0.9987");
  EXPECT_EQ(a.ParamCellColour(4, 1), kCellRed);
  EXPECT_EQ(a.ParamCellColour(5, 1), kCellRed);
  EXPECT_EQ(a.ParamCellColour(4, 2), kNoCellColour);
  EXPECT_EQ(a.ParamCellColour(5, 2), kNoCellColour);
  EXPECT_EQ(a.ParamCellColour(1, 1), kNoCellColour);
  EXPECT_EQ(a.Caption(), "Model: M1");
  EXPECT_TRUE(TestUi().Shown().empty());
}

TEST(SingleModelAnalysis, ParameterColoursFollowTheLimits) {
  TestUi().Reset();
  Example ex;
  SingleModelAnalysis a(*ex.data, ex.model);
  long double* p = ex.model.ldpBSignifPtr;
  long double* half = ex.model.ldpBIntConfPtr;
  p[1] = 0.05L;
  EXPECT_EQ(a.ParamCellColour(5, 2), kNoCellColour);
  p[1] = 0.1L;
  EXPECT_EQ(a.ParamCellColour(5, 2), kCellYellow);
  p[1] = -1.0L;
  EXPECT_EQ(a.ParamCellColour(5, 2), kNoCellColour);
  half[1] = ex.model.ldpBModelCoeffPtr[1];  // |half / b| exactly 1
  EXPECT_EQ(a.ParamCellColour(4, 2), kCellRed);
  half[1] = -1.0L;
  EXPECT_EQ(a.ParamCellColour(4, 2), kNoCellColour);
  half[1] = 0.5L;
  ex.model.ldpBModelCoeffPtr[1] = 0.0L;
  EXPECT_EQ(a.ParamCellColour(4, 2), kCellRed);
}

TEST(SingleModelAnalysis, ObjectGridShowsEveryKindOfObject) {
  TestUi().Reset();
  Example ex;
  SingleModelAnalysis a(*ex.data, ex.model);
  EXPECT_EQ(Cell(a, 8, 0), "HAT i/i (h*=1.2000)");
  EXPECT_EQ(Cell(a, 0, 2), "2");
  EXPECT_EQ(Cell(a, 1, 2), "O1");
  EXPECT_EQ(Cell(a, 2, 1), "Training");
  EXPECT_EQ(Cell(a, 2, 6), "Prediction");
  EXPECT_EQ(Cell(a, 2, 8), "Unknown");
  EXPECT_EQ(Cell(a, 2, 10), "Unknown");
  EXPECT_EQ(Cell(a, 2, 9), "Excluded");
  for (int col = 3; col < 11; ++col) EXPECT_EQ(Cell(a, col, 9), "") << col;
  EXPECT_EQ(Cell(a, 3, 2), "3.9000");
  EXPECT_EQ(Cell(a, 4, 2), "4.0300");
  EXPECT_EQ(Cell(a, 5, 2), "0.1300");
  EXPECT_EQ(Cell(a, 6, 2), "4.0857");
  EXPECT_EQ(Cell(a, 7, 2), "0.1857");
  for (int row : {6, 7}) {
    EXPECT_EQ(Cell(a, 6, row), "-");
    EXPECT_EQ(Cell(a, 7, row), "-");
  }
  const char* leverages[] = {"0.6000", "0.3000", "0.2000", "0.3000", "0.6000",
                             "0.2250", "0.4250", "1.1000", "",       "1.8000"};
  for (int row = 1; row <= 10; ++row) {
    EXPECT_EQ(Cell(a, 8, row), leverages[row - 1]) << row;
    EXPECT_EQ(a.ObjectCellColour(8, row, 2.5L), row == 10 ? kCellRed : kNoCellColour) << row;
  }
  for (int col : {8, 9, 10}) EXPECT_EQ(a.ObjectCellColour(col, 0, 0.0L), kNoCellColour) << col;
  EXPECT_EQ(Cell(a, 4, 8), "11.9900");
  EXPECT_EQ(Cell(a, 4, 10), "13.9800");
  for (int row : {8, 10})
    for (int col : {3, 5, 6, 7, 9, 10}) EXPECT_EQ(Cell(a, col, row), "") << row << "," << col;
}

TEST(SingleModelAnalysis, StandardizedResidualsAboveTheThresholdAreMagenta) {
  TestUi().Reset();
  Example ex;
  SingleModelAnalysis a(*ex.data, ex.model);
  EXPECT_EQ(Cell(a, 10, 5), "-2.0930");
  EXPECT_EQ(Cell(a, 9, 7), "-2.0600");
  EXPECT_EQ(Cell(a, 10, 7), "-2.0600");
  for (int row = 1; row <= 10; ++row)
    for (int col = 9; col <= 10; ++col) {
      const bool over = (row == 5 && col == 10) || row == 7;
      EXPECT_EQ(a.ObjectCellColour(col, row, 2.0L), over ? kCellMagenta : kNoCellColour) << row << "," << col;
      EXPECT_EQ(a.ObjectCellColour(col, row, 2.5L), kNoCellColour);
    }
  // Exactly the threshold is not coloured.
  const long double r = ex.model.tsTrainLev.iCount > 0 ? a.StdResPred()[4][1].Value : 0.0L;
  EXPECT_EQ(a.ObjectCellColour(10, 5, -r), kNoCellColour);
}

TEST(SingleModelAnalysis, TextHoldsAngleLeaveOneOutAndExternalLines) {
  TestUi().Reset();
  Example ex;
  ex.model.cvR2extReg = CheckedValue(0.9L, false);
  ex.model.cvR2oPrime = CheckedValue(0.85L, false);
  ex.model.cvKPrime = CheckedValue(1.01L, false);
  ex.model.cvClosPrime = CheckedValue(0.0L, true);
  ex.model.cvR2o = CheckedValue(0.88L, false);
  ex.model.cvK = CheckedValue(0.99L, false);
  ex.model.cvClos = CheckedValue(0.02L, false);
  SingleModelAnalysis a(*ex.data, ex.model);
  const auto& t = a.TextLines();
  const std::vector<std::string> tail{
      "",
      "Calc. external data regr. angle from diagonal: -0.8509\xB0",
      "",
      "Predictions by LOO:",
      "Exp(x) vs. Pred(y): R2: 0.9936 \tR'2o: 0.9935 \tk': 0.9947 \tClos': 0.0000 \tr'2m: 0.9902\t",
      "Pred(x) vs. Exp(y): R2: 0.9936 \tR2o: 0.9935 \tk: 1.0042 \tClos: 0.0000 \tr2m: 0.9911\t",
      "",
      "External predictions by model equation:",
      "Exp(x) vs. Pred(y): R2: 0.9000 \tR'2o: 0.8500 \tk': 1.0100 \tClos':  \tr'2m: 0.6988\t",
      "Pred(x) vs. Exp(y): R2: 0.9000 \tR2o: 0.8800 \tk: 0.9900 \tClos: 0.0200 \tr2m: 0.7727\t"};
  ASSERT_GT(t.size(), tail.size());
  EXPECT_EQ(std::vector<std::string>(t.end() - tail.size(), t.end()), tail);
}

// A model holding fewer leave-one-out predictions than the data set has training
// objects: the objects without one are left out, never read past the array.
TEST(SingleModelAnalysis, TrainingObjectsBeyondTheStoredPredictionsAreLeftOut) {
  TestUi().Reset();
  Example ex;
  delete[] ex.model.ldpTrainYCapPtr;
  ex.model.ldpTrainYCapPtr = new long double[2]{2.0L, 4.0L};
  ex.model.iTrainCount = 2;
  SingleModelAnalysis a(*ex.data, ex.model);
  const auto& t = a.TextLines();
  const auto loo = std::find(t.begin(), t.end(), "Predictions by LOO:");
  ASSERT_NE(loo, t.end());
  // Two points lie on their line.
  EXPECT_EQ(loo[1].rfind("Exp(x) vs. Pred(y): R2: 1.0000 ", 0), 0u) << loo[1];
  EXPECT_EQ(Cell(a, 6, 2), "4.0000");
  EXPECT_EQ(Cell(a, 6, 3), "");
}

TEST(SingleModelAnalysis, AngleLineNeedsTwoPredictionObjectsAndExternalLinesOne) {
  TestUi().Reset();
  auto objects = ExampleObjects();
  objects[6].status = 0;
  Example one(objects);
  SingleModelAnalysis a(*one.data, one.model);
  const auto& t = a.TextLines();
  EXPECT_EQ(std::count_if(t.begin(), t.end(), [](const std::string& s) { return s.find("angle") != s.npos; }), 0);
  EXPECT_EQ(t.at(t.size() - 3), "External predictions by model equation:");
  // A stored cell never computed prints empty.
  EXPECT_EQ(t.back(), "Pred(x) vs. Exp(y): R2:  \tR2o:  \tk:  \tClos:  \tr2m: \t");

  objects[5].status = 0;
  Example none(objects);
  SingleModelAnalysis b(*none.data, none.model);
  EXPECT_EQ(b.TextLines().back().rfind("Pred(x) vs. Exp(y): R2: 0.99", 0), 0u);
}

TEST(SingleModelAnalysis, ObjectsOutsideEveryMaskHaveNoResidualPoints) {
  TestUi().Reset();
  Example ex;
  SingleModelAnalysis a(*ex.data, ex.model);
  for (CheckedValue** rows : {a.ResCalc(), a.ResPred()}) {
    EXPECT_TRUE(rows[8][0].Missing && rows[8][1].Missing);  // excluded object 9
    EXPECT_FALSE(rows[0][0].Missing || rows[0][1].Missing);
  }
  EXPECT_TRUE(a.StdResCalc()[8][1].Missing);
  EXPECT_TRUE(a.Leverage()[8][0].Missing);
  EXPECT_NEAR(static_cast<double>(a.Leverage()[9][0].Value), 1.8, 1e-12);
  EXPECT_EQ(a.NoResidualCalcNames(), "");
  EXPECT_EQ(a.NoResidualPredNames(), "");
}

TEST(SingleModelAnalysis, StatusMissingFollowsTheFirstDescriptorsResponseCheck) {
  TestUi().Reset();
  auto data = MakeData({{1, {1, 2}, 3.0L},
                        {1, {2, 1}, 3.1L},
                        {1, {3, 5}, 8.2L},
                        {1, {4, 3}, 7.0L},
                        {1, {5, 6}, 11.3L},
                        {2, {2, 2}, {}},
                        {2, {2, 2}, 4.0L}});
  DataResultList list(data.get());
  DataResultNode& model = FitByEngine(*data, list, {0, 1});
  data->tpChemoValuePtr[5][1].Missing = true;  // second descriptor of a response-less object
  data->tpChemoValuePtr[6][0].Missing = true;  // first descriptor of an object with a response
  SingleModelAnalysis a(*data, model);
  EXPECT_EQ(Cell(a, 2, 6), "Missing");
  EXPECT_EQ(Cell(a, 8, 6), "");
  EXPECT_EQ(Cell(a, 4, 6), "");
  EXPECT_EQ(Cell(a, 2, 7), "Missing");
}

TEST(SingleModelAnalysis, FailedStatisticsWarnOnceAndKeepTheFirstBlock) {
  TestUi().Reset();
  auto data = MakeData({{1, {1, 1}, 2.0L}, {1, {2, 2}, 4.1L}, {1, {3, 3}, 5.9L}, {1, {4, 4}, 8.0L}});
  DataResultList list(data.get());
  DataResultNode& model = validationtest::AddModel(list, {0, 1}, {0.0L, 1.0L, 1.0L});
  model.iTrainCount = 4;
  AllocCheckedArray(model.ldpTrainYCapPtr, 4, "*ldpTrainYCapPtr");
  for (int k = 0; k < 4; ++k) model.ldpTrainYCapPtr[k] = 2.0L * (k + 1);
  model.ldHstar = 2.25L;
  SingleModelAnalysis a(*data, model);
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Calculation errors occurs: listed data may be unreliable or incomplete.");
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION WARNING");
  EXPECT_EQ(TestUi().Shown(0).Icon(), MB_ICONWARNING);
  EXPECT_TRUE(a.HadErrors());
  EXPECT_EQ(a.TextLines().at(a.TextLines().size() - 2).rfind("Exp(x) vs. Pred(y): R2: 0.9991 \tR'2o: 0.9990", 0), 0u);
  EXPECT_EQ(Cell(a, 8, 0), "HAT i/i");
  for (const auto& row : a.ObjectCells())
    for (const auto& cell : row) EXPECT_EQ(cell.find("NAN"), std::string::npos);
  for (const auto& line : a.TextLines()) EXPECT_EQ(line.find("NAN"), std::string::npos);
  EXPECT_EQ(a.ParamCellColour(4, 1), kNoCellColour);
}

TEST(SingleModelAnalysis, ProgressBarStepsThreePassesOverTheObjects) {
  TestUi().Reset();
  Example ex;
  ProgressLog log;
  SingleModelAnalysis a(*ex.data, ex.model, [&log](bool animated) {
    EXPECT_FALSE(animated);
    ++log.opened;
    return std::make_unique<RecordingProgress>(log);
  });
  EXPECT_EQ(log.opened, 1);
  EXPECT_EQ(log.lo, 0);
  EXPECT_EQ(log.hi, INT_MAX);
  const int step = INT_MAX / 30;
  ASSERT_EQ(log.positions.size(), 31u);
  EXPECT_EQ(log.positions.front(), 0);
  for (int k = 1; k <= 30; ++k) EXPECT_EQ(log.positions[k], k * step) << k;
  EXPECT_EQ(log.raised, 30);
}

TEST(SingleModelAnalysis, ValidationPlotsNeedTheKindsMeanQ2) {
  TestUi().Reset();
  Example ex;
  ex.model.cvQ2Yscr = CheckedValue(0.1L, false);
  SingleModelAnalysis a(*ex.data, ex.model);
  EXPECT_TRUE(a.HasValidation(InternalValidationKind::YScramble));
  EXPECT_FALSE(a.HasValidation(InternalValidationKind::LeaveManyOut));
  EXPECT_FALSE(a.HasValidation(InternalValidationKind::RandomDescriptors));
  EXPECT_FALSE(a.HasValidation(InternalValidationKind::RandomResponses));
  EXPECT_EQ(SingleModelAnalysis::ThresholdItems().size(), 8u);
  EXPECT_EQ(SingleModelAnalysis::ThresholdItems()[SingleModelAnalysis::DefaultThresholdItem], "2.5");
}

}  // namespace
