#include "models/ModelMcdm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "data/DataResult.h"
#include "support/ProgressSteps.h"
#include "support/ScriptedUi.h"
#include "validate/ValidationTestData.h"

namespace {

void SetAll(DataResultNode& m, long double fit, long double cv, long double ext) {
  for (CheckedValue* c : {&m.cvR2, &m.cvR2adj, &m.cvCCCtr}) *c = CheckedValue(fit, false);
  for (CheckedValue* c : {&m.cvQ2loo, &m.cvQ2LMO, &m.cvCCCcv}) *c = CheckedValue(cv, false);
  m.cvR2Yscr = CheckedValue(1.0L - cv, false);
  for (CheckedValue* c : {&m.cvQ2F1, &m.cvQ2F2, &m.cvQ2F3, &m.cvCCCext}) *c = CheckedValue(ext, false);
}

class ModelMcdmTest : public ::testing::Test {
protected:
  DataResultNode& Add(int id, int32_t state = 3) {
    DataResultNode* m = list.Append();
    m->iID = id;
    m->iRank = 100 + id;
    m->iSelStatus = state;
    m->sName = "V" + std::to_string(id);
    SetAll(*m, 0.9L, 0.8L, 0.7L);
    return *m;
  }
  DataResultList list{nullptr};
};

}  // namespace

TEST_F(ModelMcdmTest, FitScoreIsTheFourthRootOfTheFitDesirabilities) {
  DataResultNode& m = Add(1);
  m.cvR2 = CheckedValue(0.80L, false);
  m.cvR2adj = CheckedValue(0.78L, false);
  m.cvCCCtr = CheckedValue(0.90L, false);
  const auto d = McdmDesirabilities(m);
  EXPECT_NEAR(static_cast<double>(d[2]), 0.98, 1e-15);
  EXPECT_NEAR(static_cast<double>(d[3]), 0.81, 1e-15);
  EXPECT_EQ(ScoreMcdm(m), "");
  EXPECT_FALSE(m.cvMCDMfit.Missing);
  EXPECT_NEAR(static_cast<double>(m.cvMCDMfit.Value), 0.8389, 5e-5);
  EXPECT_NEAR(static_cast<double>(m.cvMCDMfit.Value), std::pow(0.80 * 0.78 * 0.98 * 0.81, 0.25), 1e-15);
  // cv: 0.8, 0.8, 1 - 0.2, 0.64; ext: 0.7, 0.7, 0.7, 0.49.
  EXPECT_NEAR(static_cast<double>(m.cvMCDMcv.Value), std::pow(0.8 * 0.8 * 0.8 * 0.64, 0.25), 1e-15);
  EXPECT_NEAR(static_cast<double>(m.cvMCDMext.Value), std::pow(0.7 * 0.7 * 0.7 * 0.49, 0.25), 1e-15);
  long double product = 1.0L;
  for (long double v : d) product *= v;
  EXPECT_EQ(m.cvMCDMall.Value, std::pow(product, static_cast<long double>(1.0 / 12.0)));
  EXPECT_NE(m.cvMCDMall.Value, std::pow(product, 1.0L / 12.0L));
}

TEST_F(ModelMcdmTest, ValuesOutsideTheUnitRangeAreClampedAndCccSquared) {
  DataResultNode& m = Add(1);
  m.cvQ2F3 = CheckedValue(-0.3L, false);
  m.cvR2 = CheckedValue(0.50L, false);
  m.cvR2adj = CheckedValue(-0.60L, false);
  m.cvCCCcv = CheckedValue(1.4L, false);
  m.cvR2Yscr = CheckedValue(-0.5L, false);
  const auto d = McdmDesirabilities(m);
  EXPECT_EQ(d[1], 0.0L);
  EXPECT_EQ(d[2], 0.0L);  // 1 - 1.10 clamped
  EXPECT_EQ(d[6], 1.0L);  // 1 + 0.5 clamped
  EXPECT_EQ(d[7], 1.0L);  // clamped before squaring
  EXPECT_EQ(d[10], 0.0L);
  EXPECT_EQ(ScoreMcdm(m), "");
  for (const CheckedValue* score : {&m.cvMCDMfit, &m.cvMCDMext, &m.cvMCDMall}) {
    EXPECT_FALSE(score->Missing);
    EXPECT_EQ(score->Value, 0.0L);
  }
  EXPECT_GT(m.cvMCDMcv.Value, 0.0L);
}

TEST_F(ModelMcdmTest, MissingGroupsGiveMissingScoresAndTheirMessageParts) {
  DataResultNode& m = Add(7);
  m.cvMCDMcv = CheckedValue(0.123L, false);
  m.cvMCDMall = CheckedValue(0.5L, false);  // from an earlier run
  m.cvQ2LMO.Missing = true;
  m.cvR2Yscr.Missing = true;
  EXPECT_EQ(ScoreMcdm(m), "Mod ID 7 --> <Internal>[ (R2 Yscr) (Q2 LMO)  ]     ");
  EXPECT_TRUE(m.cvMCDMcv.Missing);
  EXPECT_EQ(m.cvMCDMcv.Value, 0.123L);  // the number is left as it was
  EXPECT_TRUE(m.cvMCDMall.Missing);
  EXPECT_FALSE(m.cvMCDMfit.Missing);
  EXPECT_FALSE(m.cvMCDMext.Missing);

  DataResultNode& all = Add(8);
  for (CheckedValue* c : {&all.cvR2, &all.cvR2adj, &all.cvCCCtr, &all.cvQ2loo, &all.cvR2Yscr, &all.cvQ2LMO,
                          &all.cvCCCcv, &all.cvQ2F1, &all.cvQ2F2, &all.cvQ2F3, &all.cvCCCext})
    c->Missing = true;
  EXPECT_EQ(ScoreMcdm(all),
            "Mod ID 8 --> <Fitting>[ (R2) (R2adj) (CCC tr) ]     "
            "<Internal>[ (Q2loo) (R2 Yscr) (Q2 LMO) (CCC cv)  ]     "
            "<External>[ (Q2-F1) (Q2-F2) (Q2-F3) (CCC ext) ]");

  DataResultNode& ext = Add(9);
  ext.cvCCCext.Missing = true;
  EXPECT_EQ(ScoreMcdm(ext), "Mod ID 9 --> <External>[ (CCC ext) ]");
}

TEST_F(ModelMcdmTest, RunScoresSelectedModelsStepsTheBarAndStopsOnEscapeYes) {
  Add(1).cvCCCext.Missing = true;
  DataResultNode& unselected = Add(2, 0);
  Add(3, 1).cvQ2loo.Missing = true;
  DataResultNode& late = Add(4, 3);
  ProgressSteps bar;
  TestUi().Clear();
  TestUi().PressEscape(1);
  TestUi().Answer(IDNO);
  McdmRun run = RunMcdm(list, bar);
  EXPECT_FALSE(run.aborted);
  EXPECT_EQ(run.lines, (std::vector<std::string>{"Mod ID 1 --> <External>[ (CCC ext) ]",
                                                 "Mod ID 3 --> <Internal>[ (Q2loo)  ]     "}));
  EXPECT_TRUE(unselected.cvMCDMall.Missing);
  EXPECT_FALSE(late.cvMCDMall.Missing);
  EXPECT_EQ(bar.range, std::make_pair(0, 2147483647));
  const int step = 2147483647 / 3;
  EXPECT_EQ(bar.positions, (std::vector<int>{step, 2 * step, 3 * step}));
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Do you really want to abort calculation?");

  for (DataResultNode* m = list.First(); m != nullptr; m = m->Next()) m->cvMCDMall = CheckedValue(0.0L, true);
  TestUi().PressEscape(1);
  TestUi().Answer(IDYES);
  run = RunMcdm(list, bar);
  EXPECT_TRUE(run.aborted);
  EXPECT_EQ(run.lines.size(), 1u);      // the first model is scored before the poll
  EXPECT_TRUE(late.cvMCDMall.Missing);  // not reached

  // One selected model is scored too.
  for (DataResultNode* m = list.First(); m != nullptr; m = m->Next()) m->iSelStatus = m == &late ? 3 : 0;
  TestUi().Clear();
  run = RunMcdm(list, bar);
  EXPECT_FALSE(late.cvMCDMall.Missing);
  EXPECT_EQ(bar.positions.back(), 2147483647);
}

TEST_F(ModelMcdmTest, PlotPointsTakeSelectedModelsWithBothValuesInSortedOrder) {
  DataResultNode& a = Add(1);
  DataResultNode& b = Add(2);
  DataResultNode& c = Add(3, 0);
  DataResultNode& d = Add(4, 1);
  for (DataResultNode* m : {&a, &b, &c, &d}) ScoreMcdm(*m);
  b.cvMCDMext.Missing = true;
  a.cvQ2loo = CheckedValue(0.61L, false);
  a.cvLOF = CheckedValue(0.2L, false);
  b.cvQ2loo = CheckedValue(0.62L, false);
  b.cvLOF = CheckedValue(1e99L, true);
  d.cvQ2loo = CheckedValue(0.64L, false);
  d.cvLOF = CheckedValue(0.4L, false);
  const std::vector<DataResultNode*> sorted = {&d, &c, &b, &a};

  const ModelScatterPoints mcdm = McdmPlotPoints(sorted);
  ASSERT_EQ(mcdm.values.Rows(), 2);
  EXPECT_EQ(mcdm.values.Cols(), 2);
  EXPECT_EQ(mcdm.values.At(0, 0), d.cvMCDMext.Value);
  EXPECT_EQ(mcdm.values.At(0, 1), d.cvMCDMfit.Value);
  EXPECT_EQ(mcdm.ranks, (std::vector<std::string>{"104", "101"}));
  EXPECT_EQ(mcdm.names, (std::vector<std::string>{"V4", "V1"}));
  EXPECT_EQ(mcdm.ids, (std::vector<std::string>{"4", "1"}));

  const ModelScatterPoints q2 = Q2LofPlotPoints(sorted);
  ASSERT_EQ(q2.values.Rows(), 2);  // b's LOF is missing
  EXPECT_EQ(q2.values.At(0, 0), 0.64L);
  EXPECT_EQ(q2.values.At(1, 1), 0.2L);
  EXPECT_EQ(q2.ids, (std::vector<std::string>{"4", "1"}));

  d.iSelStatus = a.iSelStatus = 0;
  EXPECT_ANY_THROW(McdmPlotPoints(sorted));  // no point: the matrix refuses the size
}

TEST(McdmExternalCriteriaTest, RecomputedOnlyWithPredictionObjectsThatHaveAResponse) {
  using namespace validationtest;
  TestUi().Reset();
  std::vector<TestObject> objects;
  const long double x[8] = {1.0L, 2.5L, 3.1L, 4.2L, 5.0L, 6.3L, 2.0L, 4.7L};
  for (int i = 0; i < 8; ++i) objects.push_back({i < 6 ? 1 : 2, {x[i]}, 2.0L * x[i] + (i % 3) * 0.3L});
  auto data = MakeData(objects);
  DataResultList list(data.get());
  DataResultNode& model = FitByEngine(*data, list, {0});
  model.cvQ2F1 = model.cvCCCext = CheckedValue(0.0L, true);
  EXPECT_TRUE(RecomputeExternalCriteria(&list, data.get(), {}));
  EXPECT_FALSE(model.cvQ2F1.Missing);
  EXPECT_FALSE(model.cvCCCext.Missing);
  EXPECT_GT(model.cvCCCext.Value, 0.9L);

  for (int i = 6; i < 8; ++i) data->tpChemoValuePtr[i][1].Missing = true;
  model.cvQ2F1 = model.cvCCCext = CheckedValue(0.5L, true);
  EXPECT_FALSE(RecomputeExternalCriteria(&list, data.get(), {}));
  EXPECT_TRUE(model.cvQ2F1.Missing);
  EXPECT_EQ(model.cvCCCext.Value, 0.5L);
}
