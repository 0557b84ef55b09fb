#include "validate/ModelDescriptorPca.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/ScriptedUi.h"
#include "validate/SingleModelAnalysis.h"
#include "validate/ValidationTestData.h"

namespace {

using validationtest::AddModel;
using validationtest::MakeData;

struct ModelPcaExample : ::testing::Test {
  ModelPcaExample() {
    TestUi().Reset();
    data = MakeData({{1, {1, 2}, 3.1L}, {1, {2, 1}, 3.9L}, {1, {3, 4}, 7.2L},
                     {1, {4, 3}, 7.8L}, {1, {5, 6}, 11.1L}, {1, {6, 5}, 11.9L}});
    list = std::make_unique<DataResultList>(data.get());
  }
  std::unique_ptr<ChemoData> data;
  std::unique_ptr<DataResultList> list;
};

TEST_F(ModelPcaExample, TwoDescriptorsGiveTheirSharesLoadingsAndScores) {
  // The model's descriptors in model order, whatever their data-set order.
  const DataResultNode& model = AddModel(*list, {1, 0}, {0, 1, 1});
  VariablePca pca;
  ASSERT_TRUE(ModelDescriptorPca(*data, model, pca));
  EXPECT_EQ(pca.pool, (std::vector<int32_t>{1, 0}));
  EXPECT_EQ(pca.objects, (std::vector<int32_t>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(pca.AxisText(1), "PC1 (EV% = 91.43%)");
  EXPECT_EQ(pca.AxisText(2), "PC2 (EV% = 8.57%)");
  for (int var = 0; var < 2; ++var)
    for (int k = 1; k <= 2; ++k) EXPECT_NEAR(std::fabs(pca.Loading(var, k)), 0.7071L, 5e-5L);
  EXPECT_NEAR(std::fabs(pca.Score(0, 1)), 1.6562L, 5e-5L);
  EXPECT_TRUE(TestUi().Shown().empty());
  // The matrices the plots show: column c is component c + 1.
  const Matrix loadings = pca.LoadingMatrix(), scores = pca.ScoreMatrix();
  ASSERT_EQ(loadings.Rows(), 2);
  ASSERT_EQ(scores.Rows(), 6);
  for (int c = 0; c < 2; ++c) {
    for (int var = 0; var < 2; ++var) EXPECT_EQ(loadings.At(var, c), pca.Loading(var, c + 1));
    for (int row = 0; row < 6; ++row) EXPECT_EQ(scores.At(row, c), pca.Score(row, c + 1));
  }
  EXPECT_NE(scores.At(0, 0), scores.At(0, 1));
}

TEST_F(ModelPcaExample, ExcludedObjectsAreLeftOutAndResponselessOnesKept) {
  data->ipTrainingPtr[1] = kStatusExcluded;
  data->ipTrainingPtr[3] = kStatusPrediction;
  data->tpChemoValuePtr[4][2].Missing = true;
  const DataResultNode& model = AddModel(*list, {0, 1}, {0, 1, 1});
  VariablePca pca;
  ASSERT_TRUE(ModelDescriptorPca(*data, model, pca));
  ASSERT_TRUE(ModelDescriptorPca(*data, model, pca));  // a second run starts afresh
  EXPECT_EQ(pca.objects, (std::vector<int32_t>{0, 2, 3, 4, 5}));
}

TEST_F(ModelPcaExample, TooFewDescriptorsOrObjectsAreRefusedAndAConstantOneThrows) {
  VariablePca pca;
  EXPECT_FALSE(ModelDescriptorPca(*data, AddModel(*list, {0}, {0, 1}), pca));
  for (int i = 1; i < 6; ++i) data->ipTrainingPtr[i] = kStatusExcluded;
  EXPECT_FALSE(ModelDescriptorPca(*data, AddModel(*list, {0, 1}, {0, 1, 1}), pca));
  ASSERT_EQ(TestUi().Shown().size(), 2u);
  EXPECT_EQ(TestUi().Shown(0).text, "Too few selected variables, cannot continue.");
  EXPECT_EQ(TestUi().Shown(1).text, "Too few selected objects, cannot continue.");
  EXPECT_EQ(TestUi().Shown(1).caption, "APPLICATION ERROR");
  EXPECT_EQ(TestUi().Shown(1).Icon(), MB_ICONERROR);

  data->ipTrainingPtr[1] = kStatusTraining;  // exactly two objects are analysed
  EXPECT_TRUE(ModelDescriptorPca(*data, AddModel(*list, {0, 1}, {0, 1, 1}), pca));
  for (int i = 0; i < 6; ++i) data->ipTrainingPtr[i] = kStatusTraining;
  for (int i = 0; i < 6; ++i) data->tpChemoValuePtr[i][1].Value = 4;
  EXPECT_ANY_THROW(ModelDescriptorPca(*data, AddModel(*list, {0, 1}, {0, 1, 1}), pca));
}

TEST_F(ModelPcaExample, ScoreColumnsLandInTheirObjectsRowsWithEmptyCellsForTheOthers) {
  data->ipTrainingPtr[2] = kStatusExcluded;
  VariablePca pca;
  ASSERT_TRUE(ModelDescriptorPca(*data, AddModel(*list, {0, 1}, {0, 1, 1}), pca));
  std::vector<std::vector<std::string>> cells(7, std::vector<std::string>{"a", "b"});
  AppendScoreColumns(pca, cells);
  EXPECT_EQ(cells[0], (std::vector<std::string>{"a", "b", pca.AxisText(1), pca.AxisText(2)}));
  EXPECT_EQ(cells[3], (std::vector<std::string>{"a", "b", "", ""}));
  EXPECT_EQ(cells[4][2], SingleModelAnalysis::NumberText(pca.Score(2, 1)));  // object 3 is score row 2
  EXPECT_EQ(cells[4][3], SingleModelAnalysis::NumberText(pca.Score(2, 2)));
  EXPECT_EQ(cells[1][2], SingleModelAnalysis::NumberText(pca.Score(0, 1)));
  for (const auto& row : cells) EXPECT_EQ(row.size(), 4u);
}

}  // namespace
