#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "support/ScriptedUi.h"
#include "validate/Consensus.h"
#include "validate/ConsensusReport.h"
#include "validate/ValidationTestData.h"

namespace {

using validationtest::AddModel;
using validationtest::MakeData;
using validationtest::TestObject;
using A = ConsensusArray;

// Training responses 1-4, prediction responses 5 and 6; D0 and D1 are the
// equation values of the two example models.
std::vector<TestObject> BaseObjects() {
  return {{1, {1.1L, 0.9L}, 1}, {1, {1.9L, 2.1L}, 2}, {1, {3.2L, 2.8L}, 3},
          {1, {3.8L, 4.2L}, 4}, {2, {5.2L, 5.0L}, 5}, {2, {5.7L, 6.1L}, 6}};
}

struct Example {
  explicit Example(std::vector<TestObject> objects = BaseObjects()) : data(MakeData(objects)), list(data.get()) {}

  // A model of the given variables and coefficients with its leave-one-out
  // predictions of the training objects.
  DataResultNode& Add(const std::vector<int>& variables, const std::vector<long double>& coefficients,
                      const std::vector<long double>& loo, int id, int state = 1) {
    DataResultNode& model = AddModel(list, variables, coefficients, state);
    model.iID = id;
    model.iTrainCount = static_cast<int>(loo.size());
    AllocCheckedArray(model.ldpTrainYCapPtr, model.iTrainCount, "*ldpTrainYCapPtr");
    for (int t = 0; t < model.iTrainCount; ++t) model.ldpTrainYCapPtr[t] = loo[t];
    return model;
  }
  // The two example models: y = D0 (ID 7) and y = D1 (ID 3).
  void AddBoth() {
    Add({0}, {0, 1}, {1.2L, 1.8L, 3.3L, 3.7L}, 7);
    Add({1}, {0, 1}, {0.8L, 2.2L, 2.7L, 4.3L}, 3);
  }

  std::unique_ptr<ChemoData> data;
  DataResultList list;
};

// Leverages of the example models: h = 1/4 + (x - 2.5)^2 / Sxx, Sxx 4.5 for D0 and 5.7 for D1.
long double LeverageD0(long double x) { return 0.25L + (x - 2.5L) * (x - 2.5L) / 4.5L; }
long double LeverageD1(long double x) { return 0.25L + (x - 2.5L) * (x - 2.5L) / 5.7L; }

std::string Text(const Consensus& c, A which, int i) {
  const CheckedValue& cell = c.Array(which)[i];
  return cell.Missing ? "missing" : Consensus::NumberText(cell.Value);
}

TEST(Consensus, TwoModelsGiveTheAveragedAndWeightedConsensusAndTheCriteriaText) {
  TestUi().Reset();
  Example ex;
  ex.AddBoth();
  const Consensus c(ex.list, *ex.data);
  EXPECT_FALSE(c.Aborted());
  EXPECT_FALSE(c.HadErrors());
  EXPECT_TRUE(TestUi().Shown().empty());
  const std::vector<std::string> acm{"1.0000", "2.0000", "3.0000", "4.0000", "5.1000", "5.9000"};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(Text(c, A::AcmCalc, i), acm[i]) << i;
    EXPECT_EQ(Text(c, A::WcmCalc, i), acm[i]) << i;
    EXPECT_EQ(c.AvCalcRes()[i].Value, c.Array(A::AcmCalc)[i].Value);
  }
  ASSERT_EQ(c.WcmCalcCoefficients().size(), 3u);
  EXPECT_NEAR(static_cast<double>(c.WcmCalcCoefficients()[0]), 0.0, 1e-12);
  EXPECT_NEAR(static_cast<double>(c.WcmCalcCoefficients()[1]), 0.5, 1e-12);
  EXPECT_NEAR(static_cast<double>(c.WcmCalcCoefficients()[2]), 0.5, 1e-12);
  EXPECT_NEAR(static_cast<double>(c.WcmPredCoefficients()[1]), 0.5, 1e-12);
  EXPECT_EQ(Text(c, A::StdDev, 0), "0.1414");
  EXPECT_EQ(Text(c, A::Min, 0), "0.9000");
  EXPECT_EQ(Text(c, A::Max, 0), "1.1000");
  EXPECT_EQ(Text(c, A::StdDevPred, 0), "0.2828");
  EXPECT_EQ(Text(c, A::MinPred, 0), "0.8000");
  EXPECT_EQ(Text(c, A::MaxPred, 0), "1.2000");
  EXPECT_EQ(Text(c, A::AcmPred, 1), "2.0000");
  EXPECT_EQ(Text(c, A::WcmPred, 3), "4.0000");
  EXPECT_EQ(Text(c, A::Exp, 5), "6.0000");
  EXPECT_EQ(Text(c, A::AverageHat, 0), Consensus::NumberText((LeverageD0(1.1L) + LeverageD1(0.9L)) / 2));
  EXPECT_EQ(Text(c, A::AverageHat, 4), Consensus::NumberText((LeverageD0(5.2L) + LeverageD1(5.0L)) / 2));
  EXPECT_EQ(Text(c, A::AverageHat, 4), "1.6082");

  EXPECT_EQ(c.ModelLines(), (std::vector<std::string>{"ID: 3   model: D1", "ID: 7   model: D0"}));
  EXPECT_EQ(c.CriteriaLines(),
            (std::vector<std::string>{
                "(Fitting criteria)",
                "R2 ACM: 0.9989\tR2 WCM: 0.9989\tMAE tr: 0.0000\tRMSE tr: 0.0000\tCCC tr: 1.0000",
                "",
                "(External validation criteria)",
                "MAE ext: 0.1000\tRMSE ext: 0.1000\tCCC ext: 0.9756",
                "Q2-F1: 0.9989\tQ2-F2: 0.9600\tQ2-F3: 0.9920",
                "",
                "Calc. external data (ACM) regr. angle from diagonal: -6.3402\xB0",
                "Calc. external data (WCM) regr. angle from diagonal: -6.3402\xB0"}));
  EXPECT_TRUE(c.WilliamsEnabled());
  EXPECT_EQ(c.CommonModelSize(), 1);
  EXPECT_EQ(c.CountSelectedModels(), 2);
  EXPECT_EQ(c.CountTrainingObjects(), 4);
}

TEST(Consensus, ThePerModelLoopRecomputesTheLeveragesOfTheSelectedModelsOnly) {
  TestUi().Reset();
  Example ex;
  ex.AddBoth();
  ex.Add({0}, {0, 1}, {1, 2, 3, 4}, 9, 0);  // unselected: left alone
  const Consensus c(ex.list, *ex.data);
  EXPECT_EQ(ex.list.First()->tsTrainLev.iCount, 4);
  EXPECT_EQ(ex.list.First()->tsTestLev.iCount, 2);
  EXPECT_EQ(ex.list.Last()->tsTrainLev.iCount, 0);
  EXPECT_NEAR(static_cast<double>(ex.list.First()->tsTrainLev.ldpValuePtr[1]), static_cast<double>(LeverageD0(1.9L)),
              1e-12);
  EXPECT_EQ(TestUi().calculationDepth, 0);
  EXPECT_EQ(TestUi().busyDepth, 0);
}

TEST(Consensus, ProgressShowsItsCaptionTextAndOneStepPerSelectedModel) {
  TestUi().Reset();
  Example ex;
  ex.AddBoth();
  std::string caption, text;
  std::pair<int, int> range;
  std::vector<int> positions;
  struct Recorder : Progress {
    Recorder(std::string& c, std::string& t, std::pair<int, int>& r, std::vector<int>& p)
        : caption(c), text(t), range(r), positions(p) {}
    void SetText(const std::string& t) override { text = t; }
    void SetRange(int lo, int hi) override { range = {lo, hi}; }
    void SetPosition(int p) override { positions.push_back(p); }
    void AnimationTick() override {}
    void SetCaption(const std::string& c) override { caption = c; }
    std::string& caption;
    std::string& text;
    std::pair<int, int>& range;
    std::vector<int>& positions;
  };
  const Consensus c(ex.list, *ex.data,
                    [&](bool) { return std::make_unique<Recorder>(caption, text, range, positions); });
  EXPECT_EQ(caption, "Calculating Consensus...");
  EXPECT_EQ(text, "Press ESC to abort...");
  EXPECT_EQ(range, std::make_pair(0, INT_MAX));
  EXPECT_EQ(positions, (std::vector<int>{0, INT_MAX / 2, INT_MAX / 2 * 2}));
}

TEST(Consensus, EscapeAnsweredYesAfterTheFirstModelStopsEverythingButKeepsItsLeverages) {
  TestUi().Reset();
  Example ex;
  ex.AddBoth();
  TestUi().PressEscape(1);
  TestUi().Answer(IDYES);
  const Consensus c(ex.list, *ex.data);
  EXPECT_TRUE(c.Aborted());
  EXPECT_FALSE(c.HadErrors());
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Do you really want to abort calculation?");
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION WARNING");
  EXPECT_EQ(TestUi().Shown(0).flags, unsigned(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(ex.list.First()->tsTrainLev.iCount, 4);
  EXPECT_EQ(ex.list.Last()->tsTrainLev.iCount, 0);
  EXPECT_TRUE(c.ModelLines().empty());
  EXPECT_TRUE(c.CriteriaLines().empty());
  for (int i = 0; i < 6; ++i) {
    EXPECT_TRUE(c.Array(A::AcmCalc)[i].Missing);
    EXPECT_TRUE(c.AvCalcRes()[i].Missing);
  }
}

TEST(Consensus, EscapeAnsweredNoGoesOn) {
  TestUi().Reset();
  Example ex;
  ex.AddBoth();
  TestUi().PressEscape(1);
  TestUi().Answer(IDNO);
  const Consensus c(ex.list, *ex.data);
  EXPECT_FALSE(c.Aborted());
  EXPECT_EQ(ex.list.Last()->tsTrainLev.iCount, 4);
  EXPECT_EQ(c.ModelLines().size(), 2u);
}

TEST(Consensus, OneSelectedModelHasNoSpreadAndItsOwnValuesWithWilliamsResiduals) {
  TestUi().Reset();
  Example ex;
  ex.Add({0}, {0, 1}, {1.2L, 1.8L, 3.3L, 3.7L}, 1);
  ex.Add({1}, {0, 1}, {0.8L, 2.2L, 2.7L, 4.3L}, 2, 0);
  const Consensus c(ex.list, *ex.data);
  const std::vector<std::string> d0{"1.1000", "1.9000", "3.2000", "3.8000", "5.2000", "5.7000"};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(Text(c, A::AcmCalc, i), d0[i]);
    EXPECT_EQ(Text(c, A::StdDev, i), "missing");
    EXPECT_EQ(Text(c, A::StdDevPred, i), "missing");
    EXPECT_EQ(Text(c, A::Min, i), d0[i]);
    EXPECT_EQ(Text(c, A::AverageHat, i), Consensus::NumberText(LeverageD0(c.Array(A::AcmCalc)[i].Value)));
  }
  EXPECT_EQ(Text(c, A::AcmPred, 2), "3.3000");
  // s = sqrt(SS / (n - p)) over the six objects with a response (equation) and
  // the four training objects (leave-one-out); d = sqrt(1 - h) s.
  EXPECT_EQ(Text(c, A::WillAcmCalc, 0), "0.8315");
  EXPECT_EQ(Text(c, A::WillAcmCalc, 3), "-1.5239");
  EXPECT_EQ(Text(c, A::WillAcmCalc, 4), "missing");  // h > 1
  EXPECT_EQ(Text(c, A::WillAcmPred, 0), "1.2115");
  EXPECT_EQ(Text(c, A::WillAcmPred, 3), "-1.6653");
  EXPECT_EQ(Text(c, A::WillAcmPred, 4), "missing");
  // WCM on the equation values: y = -0.1111 + 1.0444 D0, residuals over all six objects.
  EXPECT_EQ(Text(c, A::WillWcmCalc, 0), "0.3223");
  EXPECT_EQ(Text(c, A::WillWcmCalc, 2), "1.3810");
  // WCM on the leave-one-out values: y = -0.1408 + 1.0563 LOO over the training objects.
  EXPECT_EQ(Text(c, A::WillWcmPred, 0), "0.7886");
  EXPECT_EQ(Text(c, A::WillWcmPred, 2), "1.5035");
  EXPECT_EQ(c.ModelLines(), std::vector<std::string>{"ID: 1   model: D0"});
}

// Stores count leverages of the given value in one of a model's leverage sets.
void StoreLeverages(LeverageStruct& leverages, int count, long double value) {
  leverages.Release();
  leverages.iCount = count;
  AllocCheckedArray(leverages.ldpValuePtr, count, "*ldpValuePtr");
  AllocCheckedArray(leverages.bpHstarPtr, count, "*bpHstarPtr");
  for (int k = 0; k < count; ++k) leverages.ldpValuePtr[k] = value;
}

TEST(Consensus, WilliamsResidualsNeedMoreObjectsThanTheModelHasVariables) {
  TestUi().Reset();
  // Two training objects for a two-variable model: the leave-one-out residuals
  // have no degree of freedom left, the equation residuals of three objects one.
  Example ex({{1, {1, 2}, 1}, {1, {2, 1}, 2}, {2, {3, 3}, 3.5L}});
  DataResultNode& model = ex.Add({0, 1}, {0, 0.6L, 0.5L}, {1.2L, 1.7L}, 1);
  StoreLeverages(model.tsTrainLev, 2, 0.5L);
  StoreLeverages(model.tsTestLev, 1, 0.25L);
  const Consensus c(ex.list, *ex.data);
  ASSERT_EQ(c.CommonModelSize(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(Text(c, A::AverageHat, i), "0.5000");
    EXPECT_FALSE(c.Array(A::WillAcmCalc)[i].Missing) << i;
    EXPECT_TRUE(c.Array(A::WillAcmPred)[i].Missing) << i;
    EXPECT_TRUE(c.Array(A::WillWcmPred)[i].Missing) << i;
  }
}

TEST(Consensus, PredictionExcludedAndResponseLessObjectsGetTheirOwnCells) {
  TestUi().Reset();
  std::vector<TestObject> objects = BaseObjects();
  objects.push_back({0, {2.0L, 2.0L}, 2.5L});   // 6: excluded
  objects.push_back({0, {6.0L, 7.0L}, {}});     // 7: excluded, no response: in the models' response-less leverages
  objects.push_back({2, {3.0L, 3.5L}, {}});     // 8: prediction without a response
  objects.push_back({1, {0.0L, 1.5L}, {}});     // 9: training without a response, D0 missing
  Example ex(objects);
  ex.data->tpChemoValuePtr[9][0].InitMissing();
  ex.AddBoth();
  const Consensus c(ex.list, *ex.data);
  EXPECT_FALSE(c.HadErrors());
  for (int k = 0; k < kConsensusArrayCount; ++k) {
    EXPECT_TRUE(c.Array(static_cast<A>(k))[6].Missing) << k;
    EXPECT_TRUE(c.Array(static_cast<A>(k))[7].Missing) << k;
  }
  // The prediction object: equation values, spread, no LOO value.
  EXPECT_EQ(Text(c, A::AcmCalc, 4), "5.1000");
  EXPECT_EQ(Text(c, A::StdDev, 4), "0.1414");
  EXPECT_EQ(Text(c, A::AcmPred, 4), "missing");
  EXPECT_EQ(Text(c, A::WcmPred, 4), "missing");
  EXPECT_EQ(Text(c, A::MinPred, 4), "missing");
  // Response-less objects: calculated values and their own leverages, no response, no Williams value.
  EXPECT_EQ(Text(c, A::AcmCalc, 8), "3.2500");
  EXPECT_EQ(Text(c, A::WcmCalc, 8), "3.2500");
  EXPECT_EQ(Text(c, A::AverageHat, 8), Consensus::NumberText((LeverageD0(3.0L) + LeverageD1(3.5L)) / 2));
  EXPECT_EQ(Text(c, A::Exp, 8), "missing");
  EXPECT_EQ(Text(c, A::WillAcmCalc, 8), "missing");
  // Object 9 lacks D0: only the D1 model holds a leverage for it.
  EXPECT_EQ(Text(c, A::AverageHat, 9), Consensus::NumberText(LeverageD1(1.5L)));
  EXPECT_EQ(Text(c, A::AcmPred, 9), "missing");
  // The criteria are those of the objects with a response.
  EXPECT_EQ(c.CriteriaLines().at(5), "Q2-F1: 0.9989\tQ2-F2: 0.9600\tQ2-F3: 0.9920");
}

TEST(Consensus, ModelsOfDifferentSizesDisableTheWilliamsPlotsButKeepTheFirstSize) {
  TestUi().Reset();
  Example ex;
  ex.AddBoth();
  ex.Add({0, 1}, {0, 0.5L, 0.5L}, {1, 2, 3, 4}, 4, 3);
  const Consensus c(ex.list, *ex.data);
  EXPECT_FALSE(c.WilliamsEnabled());
  EXPECT_EQ(c.CommonModelSize(), 1);
  EXPECT_FALSE(c.Array(A::WillAcmCalc)[0].Missing);
  EXPECT_EQ(c.ModelLines(),
            (std::vector<std::string>{"ID: 3   model: D1", "ID: 4   model: D0 D1", "ID: 7   model: D0"}));
}

TEST(Consensus, EqualModelsLeaveOnlyTheWeightedConsensusMissing) {
  TestUi().Reset();
  Example ex;
  ex.Add({0}, {0, 1}, {1.2L, 1.8L, 3.3L, 3.7L}, 1);
  ex.Add({0}, {0, 1}, {1.2L, 1.8L, 3.3L, 3.7L}, 2);
  const Consensus c(ex.list, *ex.data);
  EXPECT_TRUE(c.HadErrors());
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Calculation errors occurs: listed data may be unreliable or incomplete.");
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION WARNING");
  EXPECT_TRUE(c.WcmCalcCoefficients().empty());
  for (int i = 0; i < 6; ++i) {
    EXPECT_TRUE(c.Array(A::WcmCalc)[i].Missing);
    EXPECT_TRUE(c.Array(A::WcmPred)[i].Missing);
    EXPECT_TRUE(c.Array(A::WillWcmCalc)[i].Missing);
    EXPECT_EQ(Text(c, A::StdDev, i), "0.0000");
    EXPECT_FALSE(c.Array(A::AverageHat)[i].Missing);
  }
  EXPECT_EQ(Text(c, A::AcmCalc, 0), "1.1000");
  EXPECT_EQ(Text(c, A::WillAcmCalc, 0), "0.8315");
  const std::vector<std::string>& lines = c.CriteriaLines();
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[1].substr(0, 30), "R2 ACM: 0.9879\tR2 WCM: \tMAE tr");
  EXPECT_EQ(lines[7].substr(0, 26), "Calc. external data (ACM) ");
}

TEST(Consensus, TheErrorWarningComesAfterTheHourglassIsGone) {
  // Records whether the hourglass is on when each message is shown.
  struct CursorAtMessages : ScriptedUi {
    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override {
      busyAtMessage.push_back(busyDepth);
      return ScriptedUi::MessageBox(text, caption, flags);
    }
    std::vector<int> busyAtMessage;
  } ui;
  InstallUi(&ui);
  Example ex;
  ex.Add({0}, {0, 1}, {1.2L, 1.8L, 3.3L, 3.7L}, 1);
  ex.Add({0}, {0, 1}, {1.2L, 1.8L, 3.3L, 3.7L}, 2);
  const Consensus c(ex.list, *ex.data);
  InstallUi(&TestUi());
  ASSERT_TRUE(c.HadErrors());
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.busyAtMessage, std::vector<int>{0});
  EXPECT_EQ(ui.busyDepth, 0);
}

TEST(Consensus, OnePredictionObjectAtTheTrainingMeanHasUndefinedQ2AndNoAngles) {
  TestUi().Reset();
  std::vector<TestObject> objects = BaseObjects();
  objects.resize(4);
  objects.push_back({2, {2.4L, 2.6L}, 2.5L});
  Example ex(objects);
  ex.AddBoth();
  const Consensus c(ex.list, *ex.data);
  const std::vector<std::string>& lines = c.CriteriaLines();
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[5], "Q2-F1: -1.0000*\tQ2-F2: -1.0000*\tQ2-F3: 1.0000");
}

TEST(Consensus, WithoutTrainingObjectsTheQ2ValuesThatNeedTheirMeanAreEmpty) {
  TestUi().Reset();
  std::vector<TestObject> objects = BaseObjects();
  for (TestObject& object : objects) object.status = 2;
  Example ex(objects);
  ex.Add({0}, {0, 1}, {}, 7);
  ex.Add({1}, {0, 1}, {}, 3);
  const Consensus c(ex.list, *ex.data);
  const std::vector<std::string>& lines = c.CriteriaLines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "(External validation criteria)");
  EXPECT_EQ(lines[2], "Q2-F1: \tQ2-F2: 0.9989\tQ2-F3: ");
}

TEST(Consensus, WithoutPredictionObjectsOnlyTheFittingBlockIsWritten) {
  TestUi().Reset();
  std::vector<TestObject> objects = BaseObjects();
  objects.resize(4);
  Example ex(objects);
  ex.AddBoth();
  const Consensus c(ex.list, *ex.data);
  ASSERT_EQ(c.CriteriaLines().size(), 3u);
  EXPECT_EQ(c.CriteriaLines()[0], "(Fitting criteria)");
  EXPECT_EQ(c.CriteriaLines()[2], "");
}

TEST(Consensus, Q2TextAndTheEquationValue) {
  TestUi().Reset();
  Example ex;
  ex.AddBoth();
  const Consensus c(ex.list, *ex.data);
  EXPECT_EQ(c.Q2Text(1, 4), "0.7500");
  EXPECT_EQ(c.Q2Text(1, 0), "-1.0000*");
  EXPECT_EQ(c.Q2Text(0, -2), "1.0000");
  DataResultNode model;
  model.iSize = 2;
  int32_t vars[2] = {1, 0};
  long double b[3] = {0.5L, 2, -1};
  model.ipSelVarIdxPtr = vars;
  model.ldpBModelCoeffPtr = b;
  ex.data->tpChemoValuePtr[2][1].Missing = true;  // used whatever its flag
  EXPECT_NEAR(static_cast<double>(c.ModelEquationPrediction(model, 2)), 0.5 + 2 * 2.8 - 3.2, 1e-12);
  model.ipSelVarIdxPtr = nullptr;
  model.ldpBModelCoeffPtr = nullptr;
}

TEST(Consensus, LeaveOneOutPredictionsThatDoNotMatchTheTrainingObjectsAreAnError) {
  TestUi().Reset();
  Example ex;
  ex.Add({0}, {0, 1}, {1.2L, 1.8L, 3.3L, 3.7L, 9}, 1);  // fitted on five training objects
  ex.Add({1}, {0, 1}, {0.8L, 2.2L, 2.7L, 4.3L}, 2);
  const Consensus c(ex.list, *ex.data);
  EXPECT_TRUE(c.HadErrors());
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Calculation errors occurs: listed data may be unreliable or incomplete.");
  EXPECT_TRUE(c.Array(A::AcmCalc)[0].Missing);
  EXPECT_EQ(c.ModelLines().size(), 2u);
}

TEST(SortIdsWithLabels, SortsIdsMovingTheirLabels) {
  std::vector<int32_t> ids{5, 3, 9, 1, 7, 2};
  std::vector<std::string> labels{"e", "c", "i", "a", "g", "b"};
  SortIdsWithLabels(ids.data(), labels.data(), 0, 5, true);
  EXPECT_EQ(ids, (std::vector<int32_t>{1, 2, 3, 5, 7, 9}));
  EXPECT_EQ(labels, (std::vector<std::string>{"a", "b", "c", "e", "g", "i"}));
  SortIdsWithLabels(ids.data(), labels.data(), 1, 4, false);
  EXPECT_EQ(ids, (std::vector<int32_t>{1, 7, 5, 3, 2, 9}));
  EXPECT_EQ(labels, (std::vector<std::string>{"a", "g", "e", "c", "b", "i"}));
  SortIdsWithLabels(ids.data(), nullptr, 0, 5, true);
  EXPECT_EQ(ids, (std::vector<int32_t>{1, 2, 3, 5, 7, 9}));
  SortIdsWithLabels(ids.data(), nullptr, 0, -1, true);  // an empty range is left alone
}

}  // namespace
