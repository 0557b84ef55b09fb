#include <gtest/gtest.h>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "select/SingleModelFit.h"
#include "support/ScriptedUi.h"
#include "validate/ValidationTestData.h"

namespace {

using validationtest::MakeData;

std::vector<int32_t> List(const int32_t* p, int n) { return std::vector<int32_t>(p, p + n); }

TEST(DataSetupLoan, LendsTheWorkingSetupAndPutsBackTheDataSetsOwn) {
  auto data = MakeData({{1, {1, 2}, 1.0L}, {1, {2, 1}, 2.0L}, {2, {3, 3}, 3.0L}});
  int32_t* selected = new int32_t[1]{1};
  int32_t* split = new int32_t[2]{0, 1};
  data->ipSelectedVarPtr = selected;
  data->iSelectedVarCount = 1;
  data->ipSelectedSplitPtr = split;
  data->iSelectedSplitCount = 2;
  {
    DataSetupLoan loan(*data, {0, 1}, 1, {0, 2, 1});
    loan.Apply();
    EXPECT_EQ(List(data->ipSelectedVarPtr, data->iSelectedVarCount), (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(data->iResponseIndex, 1);
    EXPECT_EQ(List(data->ipTrainingPtr, 3), (std::vector<int32_t>{0, 2, 1}));
    EXPECT_EQ(List(data->ipSelectedSplitPtr, data->iSelectedSplitCount), (std::vector<int32_t>{0, 1}));
    data->iSelectedSplitCount = 0;
    data->iResponseIndex = 0;
  }
  EXPECT_EQ(List(data->ipSelectedVarPtr, data->iSelectedVarCount), std::vector<int32_t>{1});
  EXPECT_EQ(List(data->ipSelectedSplitPtr, data->iSelectedSplitCount), (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(data->iResponseIndex, 2);
  EXPECT_EQ(List(data->ipTrainingPtr, 3), (std::vector<int32_t>{1, 1, 2}));
}

struct FitData {
  FitData() : data(MakeData({{1, {1}, 2.1L}, {1, {2}, 3.9L}, {1, {3}, 6.2L}, {1, {4}, 7.8L}, {2, {5}, 10.1L}})) {
    data->ipSelectedVarPtr = new int32_t[1]{0};
    data->iSelectedVarCount = 1;
    data->iKeepPerSize = -1;
  }
  std::unique_ptr<ChemoData> data;
};

TEST(FitSingleModel, FitsTheSelectedVariablesOrRefusesMissingData) {
  TestUi().Reset();
  FitData f;
  DataResultList list(f.data.get());
  const SingleModelFitResult fit = FitSingleModel(list, *f.data, true);
  ASSERT_NE(fit.model, nullptr);
  EXPECT_FALSE(fit.missingData);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(fit.model->iSize, 1);
  EXPECT_EQ(fit.model->iTrainCount, 4);
  f.data->tpChemoValuePtr[4][0].Missing = true;
  const SingleModelFitResult refused = FitSingleModel(list, *f.data, true);
  EXPECT_TRUE(refused.missingData);
  EXPECT_EQ(refused.model, nullptr);
  EXPECT_EQ(list.Count(), 1);
  ASSERT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_EQ(TestUi().Shown(0).text, "Cannot calculate a model with missing data");
}

TEST(FitSingleModel, ASubsetTheEngineDoesNotKeepFails) {
  TestUi().Reset();
  FitData f;
  f.data->iKeepPerSize = 0;
  DataResultList list(f.data.get());
  EXPECT_THROW(FitSingleModel(list, *f.data, false), SingleModelFitFailed);
  EXPECT_TRUE(TestUi().Shown().empty());
}

}  // namespace
