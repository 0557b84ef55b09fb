#include "plot/PlotKinds.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "plot/ValidationPlotFill.h"

namespace {

// Every kind, for the checks that run over all of them.
constexpr GraphKind kAllKinds[] = {
    GraphKind::VariableProfile, GraphKind::ObjectProfile, GraphKind::VariableDistribution,
    GraphKind::VariablesScatter, GraphKind::VariableFrequency, GraphKind::ExpVsCalc, GraphKind::ExpVsPred,
    GraphKind::WilliamsCalc, GraphKind::WilliamsPred, GraphKind::YScramble, GraphKind::RandomDescriptors,
    GraphKind::RandomResponses, GraphKind::ApplicabilityDomain, GraphKind::ResidualsCalc, GraphKind::ResidualsPred,
    GraphKind::LeaveManyOut, GraphKind::AxesChoice, GraphKind::PcaScores, GraphKind::PcaLoadings,
    GraphKind::ModelsScatter, GraphKind::McdmRanking, GraphKind::ResponseDistribution, GraphKind::R2VsQ2,
};
int Number(GraphKind kind) { return static_cast<int>(kind); }

// The data export is offered exactly for the kinds whose data are prepared
// under the hourglass, and never for the data set's own plots.
TEST(PlotKindsTest, TheExportGoesWithTheHourglassAndNeverWithTheDataSetPlots) {
  for (GraphKind kind : kAllKinds) {
    const PlotKindTraits t = PlotKindTraitsOf(kind);
    EXPECT_EQ(t.exports, t.slow) << Number(kind);
    if (t.family == PlotFamily::DataSet || t.family == PlotFamily::Frequency) {
      EXPECT_FALSE(t.exports) << Number(kind);
    }
  }
}

// A kind drawn from builder data (model, validation) is never a scatter of the
// window's own data, and only the kinds whose builder makes their points size
// their labels at each redraw.
TEST(PlotKindsTest, BuilderKindsAreNoOwnScatterAndOnlyRedrawnPointsSizeTheirLabelsLate) {
  for (GraphKind kind : kAllKinds) {
    const PlotKindTraits t = PlotKindTraitsOf(kind);
    const bool builder = t.family == PlotFamily::Model || t.family == PlotFamily::Validation;
    if (builder) {
      EXPECT_FALSE(t.scatter) << Number(kind);
    }
    const bool pointsMadeAtRedraw = t.family == PlotFamily::Validation || t.family == PlotFamily::Matrix ||
                                    t.family == PlotFamily::Uncertainty;
    EXPECT_EQ(t.labels == PlotLabels::Filled, pointsMadeAtRedraw) << Number(kind);
  }
}

// Each validation kind reads its own temporary file.
TEST(PlotKindsTest, EveryValidationKindReadsItsOwnFile) {
  std::set<std::string> files;
  for (GraphKind kind : kAllKinds)
    if (PlotFamilyOf(kind) == PlotFamily::Validation) files.insert(ValidationPlotFileName(kind));
  EXPECT_EQ(files, (std::set<std::string>{"~yscr~", "~rdes~", "~rres~", "~many~"}));
}

TEST(PlotKindsTest, TheFamiliesHoldTheKindsTheirBuildersFill) {
  std::set<int> model;
  std::set<int> matrix;
  for (GraphKind kind : kAllKinds) {
    if (PlotFamilyOf(kind) == PlotFamily::Model) model.insert(Number(kind));
    if (PlotFamilyOf(kind) == PlotFamily::Matrix) matrix.insert(Number(kind));
  }
  EXPECT_EQ(model, (std::set<int>{5, 6, 7, 8, 13, 14, 15}));
  EXPECT_EQ(matrix, (std::set<int>{17, 18, 19, 20, 21}));
  EXPECT_EQ(PlotFamilyOf(GraphKind::R2VsQ2), PlotFamily::Uncertainty);
  EXPECT_EQ(PlotFamilyOf(GraphKind::VariableFrequency), PlotFamily::Frequency);
}

}  // namespace
