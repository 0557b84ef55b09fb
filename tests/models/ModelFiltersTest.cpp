#include "models/ModelFilters.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "data/DataResult.h"
#include "numerics/Utils.h"

namespace {

// A model of one variable with coefficients b and half-widths ci (intercept first).
void SetFit(DataResultNode& model, std::vector<long double> b, std::vector<long double> ci, long double signif0) {
  model.iSize = static_cast<int>(b.size()) - 1;
  for (auto* array : {&model.ldpBModelCoeffPtr, &model.ldpBIntConfPtr, &model.ldpBSignifPtr})
    AllocCheckedArray(*array, static_cast<int>(b.size()), "test");
  for (std::size_t j = 0; j < b.size(); ++j) {
    model.ldpBModelCoeffPtr[j] = b[j];
    model.ldpBIntConfPtr[j] = ci[j];
    model.ldpBSignifPtr[j] = signif0;
  }
}

TEST(ModelFiltersTest, QuikRuleComparesTheStoredDifference) {
  DataResultNode model;
  model.cvKxy = CheckedValue(0.30L, true);
  model.cvKxx = CheckedValue(0.29L, false);
  EXPECT_TRUE(RejectedByQuik(model, 0.0101L));
  EXPECT_FALSE(RejectedByQuik(model, 0.0099L));
  EXPECT_FALSE(RejectedByQuik(model, 0.0L));
  model.cvKxy = CheckedValue(0.5L, false);
  model.cvKxx = CheckedValue(0.25L, false);
  EXPECT_FALSE(RejectedByQuik(model, 0.25L));  // equal passes
}

TEST(ModelFiltersTest, ConfidenceFilterRejectsWideIntervalsZeroCoefficientsAndUnknownWidths) {
  DataResultNode model;
  SetFit(model, {0.05L, 2.0L}, {0.63L, 0.19L}, 0.01L);
  EXPECT_TRUE(RejectedByConfidence(model, 1.0L));   // intercept: 0.63 / 0.05
  model.ldpBIntConfPtr[0] = 0.05L;
  EXPECT_TRUE(RejectedByConfidence(model, 1.0L));   // equal magnitude rejects
  model.ldpBIntConfPtr[0] = 0.049L;
  EXPECT_FALSE(RejectedByConfidence(model, 1.0L));
  model.ldpBIntConfPtr[0] = -0.049L;
  EXPECT_FALSE(RejectedByConfidence(model, 1.0L));  // magnitudes
  model.ldpBModelCoeffPtr[1] = 0.0L;
  EXPECT_TRUE(RejectedByConfidence(model, 1.5L));
  model.ldpBModelCoeffPtr[1] = 2.0L;
  model.ldpBIntConfPtr[1] = -1.0L;
  EXPECT_TRUE(RejectedByConfidence(model, 1.5L));
  DataResultNode unfitted;
  EXPECT_TRUE(RejectedByConfidence(unfitted, 1.0L));
}

class ApplyFiltersTest : public ::testing::Test {
protected:
  ApplyFiltersTest() {
    for (int i = 0; i < 4; ++i) {
      nodes[i].iSelStatus = i;  // states 0..3
      nodes[i].cvKxx = CheckedValue(0.0L, false);
      nodes[i].cvKxy = CheckedValue(i < 2 ? 0.005L : 0.5L, false);
      models.push_back(&nodes[i]);
    }
  }
  std::vector<int> States() const {
    std::vector<int> states;
    for (const DataResultNode& node : nodes) states.push_back(node.iSelStatus);
    return states;
  }
  DataResultNode nodes[4];
  std::vector<DataResultNode*> models;
  std::function<void(DataResultNode&)> none = [](DataResultNode&) { FAIL() << "no intervals needed"; };
};

TEST_F(ApplyFiltersTest, QuikAloneRejectsAndSelectsTheRest) {
  nodes[1].iSelStatus = 3;
  nodes[2].iSelStatus = 0;
  EXPECT_TRUE(ApplyModelFilters(models, {0.010L, std::nullopt}, none, nullptr));
  EXPECT_EQ(States(), (std::vector<int>{0, 2, 3, 3}));
  nodes[3].iSelStatus = 1;
  EXPECT_TRUE(ApplyModelFilters(models, {std::nullopt, std::nullopt}, none, nullptr));
  EXPECT_EQ(States(), (std::vector<int>{3, 3, 3, 1}));
}

TEST_F(ApplyFiltersTest, ConfidenceFilterComputesMissingIntervalsAndKeepsStatesOfKeptModels) {
  SetFit(nodes[0], {1.0L, 1.0L}, {0.1L, 0.1L}, 0.01L);   // computed, kept
  SetFit(nodes[1], {1.0L, 1.0L}, {0.1L, 2.0L}, 0.01L);   // computed, rejected: 1 -> 0
  SetFit(nodes[2], {1.0L, 1.0L}, {0.1L, 0.1L}, -1.0L);   // not computed yet: fails
  nodes[2].iID = 99;
  SetFit(nodes[3], {1.0L, 1.0L}, {9.0L, 9.0L}, -1.0L);   // not computed yet: narrowed, kept
  int computed = 0;
  auto compute = [&computed](DataResultNode& model) {
    ++computed;
    if (model.iID == 99) throw std::runtime_error("singular");
    model.ldpBIntConfPtr[0] = model.ldpBIntConfPtr[1] = 0.5L;
    model.ldpBSignifPtr[0] = 0.01L;
  };
  EXPECT_FALSE(ApplyModelFilters(models, {std::nullopt, 1.0L}, compute, nullptr));
  EXPECT_EQ(computed, 2);
  EXPECT_EQ(States(), (std::vector<int>{0, 0, 2, 3}));
  // The QUIK rule rejects the first two whatever their intervals; 3 rejected goes to 2;
  // a model whose statistics fail keeps its state even when the QUIK rule rejects it.
  nodes[3].ldpBIntConfPtr[1] = 1.0L;
  nodes[0].iSelStatus = 3;
  nodes[2].iSelStatus = 3;
  nodes[2].cvKxy = CheckedValue(0.0L, false);
  EXPECT_FALSE(ApplyModelFilters(models, {0.010L, 1.0L}, compute, nullptr));
  EXPECT_EQ(States(), (std::vector<int>{2, 0, 3, 2}));
  // A first significance of -0.5 counts as computed.
  nodes[3].ldpBSignifPtr[0] = -0.5L;
  nodes[3].iID = 99;
  nodes[3].ldpBIntConfPtr[1] = 0.1L;
  nodes[3].iSelStatus = 1;
  EXPECT_TRUE(ApplyModelFilters({&nodes[3]}, {std::nullopt, 1.0L}, compute, nullptr));
  EXPECT_EQ(nodes[3].iSelStatus, 1);
}

}  // namespace
