#include "data/LabelLists.h"

#include <gtest/gtest.h>

TEST(LabelLists, LabelsByIndexAndUndefinedOutside) {
  const TrainingStatus status;
  EXPECT_EQ(status.Count(), 3);
  EXPECT_EQ(status.GetLabel(0), "Excluded");
  EXPECT_EQ(status.GetLabel(2), "Prediction");
  EXPECT_EQ(status.GetLabel(3), "Undefined");
  EXPECT_EQ(status.GetLabel(-1), "Undefined");

  const FitnessFunc fitness;
  EXPECT_EQ(fitness.Count(), 4);
  EXPECT_EQ(fitness.GetLabel(FitnessFunc::Q2looIndex()), "Q2loo");
  EXPECT_EQ(fitness.GetLabel(FitnessFunc::R2adjIndex()), "R2adj");
  EXPECT_EQ(fitness.GetLabel(FitnessFunc::LOFIndex()), "LOF");
  EXPECT_EQ(fitness.GetLabel(3), "RMSE cv");
  EXPECT_EQ(fitness.GetLabel(4), "Undefined");

  const ModelSelStatus selection;
  EXPECT_EQ(selection.Count(), 4);
  EXPECT_EQ(selection.GetLabel(0), "U");
  EXPECT_EQ(selection.GetLabel(1), "S");
  EXPECT_EQ(selection.GetLabel(2), "N");
  EXPECT_EQ(selection.GetLabel(3), "S");
  EXPECT_EQ(selection.GetLabel(4), "Undefined");
}
