#include "data/LabelLists.h"

#include <gtest/gtest.h>

TEST(LabelLists, LabelsByIndexAndUndefinedOutside) {
  const FitnessFunc fitness;
  EXPECT_EQ(fitness.GetLabel(FitnessFunc::LOFIndex()), "LOF");
  EXPECT_EQ(fitness.GetLabel(fitness.Count() - 1), "RMSE cv");
  for (int outside : {-1, fitness.Count()}) EXPECT_EQ(fitness.GetLabel(outside), "Undefined");
  EXPECT_EQ(TrainingStatus().GetLabel(2), "Prediction");
  EXPECT_EQ(ModelSelStatus().GetLabel(3), "S");  // states 1 and 3 both mean selected
}
