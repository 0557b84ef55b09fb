#include "validate/ValidationCriteriaReport.h"

#include <gtest/gtest.h>

#include "numerics/Matrix.h"
#include "validate/ValidationCriteriaExample.h"

namespace {

using namespace criteriaexample;

std::string Report(const std::vector<std::pair<long double, long double>>& rows, const std::vector<int32_t>& statuses) {
  Matrix pairs(static_cast<int>(rows.size()), 2);
  for (int i = 0; i < pairs.Rows(); ++i) {
    pairs.At(i, 0) = rows[i].first;
    pairs.At(i, 1) = rows[i].second;
  }
  return ValidationCriteriaReport(pairs, statuses);
}

}  // namespace

TEST(ValidationCriteriaReport, SplitTableGivesBothBlocks) {
  EXPECT_EQ(Report(kRows, {1, 1, 1, 2, 2, 2}), std::string(kTrainingBlock) + kPredictionBlock);
}

TEST(ValidationCriteriaReport, UnsplitRowDropsTitleAndQ2F1AndRenamesQ2F2) {
  const std::string report = Report(kRows, {1, 1, 1, 2, 2, -1});
  EXPECT_EQ(report.find("(Prediction validation criteria)"), std::string::npos);
  EXPECT_EQ(report.find("Q2-F1 = "), std::string::npos);
  EXPECT_EQ(report.find("Q2-F2 = "), std::string::npos);
  EXPECT_NE(report.find("\nR2 = 0.9300\nQ2-F3 = "), std::string::npos);
  EXPECT_EQ(report.rfind(kTrainingBlock, 0), 0u);
}

TEST(ValidationCriteriaReport, OnlyPredictionRowsHaveNoTrainingReference) {
  const std::string report = Report({kRows.begin() + 3, kRows.end()}, {2, 2, 2});
  EXPECT_EQ(report.rfind("(Prediction validation criteria)\nRMSE = 0.2160\nMAE = 0.2000\nQ2-F2 = 0.9300\nCCC = ", 0),
            0u);
  EXPECT_EQ(report.find("Q2-F1"), std::string::npos);
  EXPECT_EQ(report.find("Q2-F3"), std::string::npos);
}

TEST(ValidationCriteriaReport, OnlyTrainingRowsAndPerfectPredictions) {
  EXPECT_EQ(Report({kRows.begin(), kRows.begin() + 3}, {1, 1, 1}), kTrainingBlock);
  EXPECT_EQ(Report({{1, 1}, {2, 2}, {4, 4}}, {1, 1, 1}),
            "(Training validation criteria)\nRMSE = 0.0000\nMAE = 0.0000\nR2 = 1.0000\nCCC = 1.0000\n"
            "k = 1.0000\nk' = 1.0000\n");
}

TEST(ValidationCriteriaReport, ZeroDenominatorsLeaveTheirLinesOut) {
  // Equal training responses: no training R2, no Q2-F3; equal prediction
  // responses equal to the training mean: no Q2-F1, no Q2-F2.
  const std::string report = Report({{2, 1}, {2, 3}, {2, 2.5L}, {2, 2.2L}}, {1, 1, 2, 2});
  // Equal experimental values leave no line to fit with them as x: that r2m
  // is missing, the other one (0) is not, and both lines go.
  for (const char* line : {"R2 = ", "Q2-F1 = ", "Q2-F2 = ", "Q2-F3 = ", "r2m aver. = ", "r2m delta = "})
    EXPECT_EQ(report.find(std::string("\n") + line), std::string::npos) << line;
  EXPECT_NE(report.find("\nk' = "), std::string::npos);
  EXPECT_NE(report.find("\nRMSE = "), std::string::npos);
  EXPECT_EQ(report.find("nan"), std::string::npos);
  EXPECT_EQ(report.find("NAN"), std::string::npos);
}

TEST(ValidationCriteriaReport, ADenominatorOfOneKeepsItsLine) {
  // Syy = 4 x 0.25 = 1 exactly: R2 = 1 - SSE.
  const std::string report = Report({{0, 0.1L}, {1, 0.9L}, {1, 1.2L}, {0, 0.2L}}, {1, 1, 1, 1});
  EXPECT_NE(report.find("\nR2 = 0.9000\n"), std::string::npos) << report;
}
