// The plot kinds of the plot window and what each kind is: its family (where its
// data come from), its chart, whether its data are prepared under the hourglass,
// whether it is drawn as a scatter of the window's own data, whether it offers
// the data export, and how its label layout is sized. Every kind is described once, in
// PlotKindTraitsOf; switches over kinds list every kind (no default), so that the
// compiler names each place a new kind must be handled.
#pragma once

#include <cstdint>

enum class GraphKind : uint8_t {
  VariableProfile = 0,
  ObjectProfile = 1,
  VariableDistribution = 2,
  VariablesScatter = 3,
  VariableFrequency = 4,
  ExpVsCalc = 5,
  ExpVsPred = 6,
  WilliamsCalc = 7,
  WilliamsPred = 8,
  YScramble = 10,
  RandomDescriptors = 11,
  RandomResponses = 12,
  ApplicabilityDomain = 13,
  ResidualsCalc = 14,
  ResidualsPred = 15,
  LeaveManyOut = 16,
  AxesChoice = 17,
  PcaScores = 18,
  PcaLoadings = 19,
  ModelsScatter = 20,
  McdmRanking = 21,
  ResponseDistribution = 22,
  R2VsQ2 = 23,
};

enum class PlotFamily : uint8_t {
  DataSet,     // the data set's values, or value rows given by the opener
  Frequency,   // the pool variables' frequency in the model list
  Model,       // one model's object rows (the model builder fills them)
  Validation,  // one model's internal-validation record (the validation builder fills them)
  Matrix,      // a matrix of elements by axes given by the opener
  Uncertainty  // average R2 and Q2 per model size with their deviations
};

// How the plot is drawn: one bar per row, one bar per column (transposed), the
// pool variables' frequency bars, the distribution of a column in classes, or a
// scatter plot.
enum class PlotChart : uint8_t { RowBars, ColumnBars, FrequencyBars, Distribution, Scatter };

// The label layout made when the window opens: one label per object, per
// variable, per pool variable, or none (the builder sizes it at each redraw).
enum class PlotLabels : uint8_t { Objects, Variables, Pool, Filled };

struct PlotKindTraits {
  PlotFamily family;
  PlotChart chart;
  bool slow;     // prepared under the hourglass cursor
  bool scatter;  // a scatter of the window's own data, drawn whether or not a builder filled it
  bool exports;  // the picture's save offers the plotted values as text
  PlotLabels labels;
};

constexpr PlotKindTraits PlotKindTraitsOf(GraphKind kind) {
  using F = PlotFamily;
  using C = PlotChart;
  using L = PlotLabels;
  switch (kind) {
    //                                             family          chart             slow   scatter export labels
    case GraphKind::VariableProfile:       return {F::DataSet,     C::RowBars,       false, false, false, L::Objects};
    case GraphKind::ObjectProfile:         return {F::DataSet,     C::ColumnBars,    false, false, false, L::Variables};
    case GraphKind::VariableDistribution:  return {F::DataSet,     C::Distribution,  false, false, false, L::Objects};
    case GraphKind::VariablesScatter:      return {F::DataSet,     C::Scatter,       false, true,  false, L::Objects};
    case GraphKind::VariableFrequency:     return {F::Frequency,   C::FrequencyBars, false, false, false, L::Pool};
    case GraphKind::ExpVsCalc:             return {F::Model,       C::Scatter,       true,  false, true,  L::Objects};
    case GraphKind::ExpVsPred:             return {F::Model,       C::Scatter,       true,  false, true,  L::Objects};
    case GraphKind::WilliamsCalc:          return {F::Model,       C::Scatter,       true,  false, true,  L::Objects};
    case GraphKind::WilliamsPred:          return {F::Model,       C::Scatter,       true,  false, true,  L::Objects};
    case GraphKind::YScramble:             return {F::Validation,  C::Scatter,       true,  false, true,  L::Filled};
    case GraphKind::RandomDescriptors:     return {F::Validation,  C::Scatter,       true,  false, true,  L::Filled};
    case GraphKind::RandomResponses:       return {F::Validation,  C::Scatter,       true,  false, true,  L::Filled};
    case GraphKind::ApplicabilityDomain:   return {F::Model,       C::Scatter,       true,  false, true,  L::Objects};
    case GraphKind::ResidualsCalc:         return {F::Model,       C::Scatter,       true,  false, true,  L::Objects};
    case GraphKind::ResidualsPred:         return {F::Model,       C::Scatter,       true,  false, true,  L::Objects};
    case GraphKind::LeaveManyOut:          return {F::Validation,  C::Scatter,       true,  false, true,  L::Filled};
    case GraphKind::AxesChoice:            return {F::Matrix,      C::Scatter,       true,  true,  true,  L::Filled};
    case GraphKind::PcaScores:             return {F::Matrix,      C::Scatter,       true,  true,  true,  L::Filled};
    case GraphKind::PcaLoadings:           return {F::Matrix,      C::Scatter,       true,  true,  true,  L::Filled};
    case GraphKind::ModelsScatter:         return {F::Matrix,      C::Scatter,       true,  true,  true,  L::Filled};
    case GraphKind::McdmRanking:           return {F::Matrix,      C::Scatter,       true,  true,  true,  L::Filled};
    case GraphKind::ResponseDistribution:  return {F::DataSet,     C::Distribution,  false, false, false, L::Objects};
    case GraphKind::R2VsQ2:                return {F::Uncertainty, C::Scatter,       true,  true,  true,  L::Filled};
  }
  return {F::DataSet, C::Scatter, false, false, false, L::Objects};  // not reached: every kind is listed above
}

constexpr PlotFamily PlotFamilyOf(GraphKind kind) { return PlotKindTraitsOf(kind).family; }
