#include "plot/ModelPlotFill.h"

#include <algorithm>

#include "data/ChemoData.h"
#include "numerics/Matrix.h"
#include "numerics/Statistics.h"
#include "numerics/Utils.h"
#include "platform/base/NumberText.h"
#include "platform/base/Canvas.h"
#include "plot/VGrMain.h"

namespace {

constexpr int kTraining = 0;
constexpr int kSecond = 1;
constexpr int kUnknown = 2;

struct ObjectMasks {
  std::vector<uint8_t> prediction, training, missing;
  int predictionCount = 0;
  int missingCount = 0;
};

ObjectMasks ClassifyObjects(const ChemoData& data) {
  const int n = data.iObjCount;
  ObjectMasks m{std::vector<uint8_t>(n), std::vector<uint8_t>(n), std::vector<uint8_t>(n)};
  data.BuildObjectMasks(m.prediction.data(), m.training.data(), m.missing.data());
  m.predictionCount = static_cast<int>(std::count(m.prediction.begin(), m.prediction.end(), 1));
  m.missingCount = static_cast<int>(std::count(m.missing.begin(), m.missing.end(), 1));
  return m;
}

// Groups and legend; the applicability domain also shows the objects without a response.
void AssignGroups(const ObjectMasks& m, bool withUnknown, AxisParams& axis, const ModelPlotGroups& g) {
  const bool unknown = withUnknown && m.missingCount > 0;
  const int unknownGroup = m.predictionCount > 0 ? kUnknown : kSecond;
  g.elementGroups.assign(m.training.size(), -1);
  for (std::size_t i = 0; i < m.training.size(); ++i) {
    if (m.training[i]) g.elementGroups[i] = kTraining;
    else if (m.prediction[i]) g.elementGroups[i] = kSecond;
    else if (unknown && m.missing[i]) g.elementGroups[i] = unknownGroup;
  }
  g.colors[kTraining] = clYellow;
  g.legendNames[kTraining] = "Training";
  int count = 1;
  if (m.predictionCount > 0) {
    g.colors[count] = clBlue;
    g.legendNames[count++] = "Prediction";
  }
  if (unknown) {
    g.colors[count] = clRed;
    g.legendNames[count++] = "Unknown";
  }
  axis.GroupCount = count;
  axis.ElementGroup = g.elementGroups.data();
  axis.GroupColors = g.colors;
  axis.LegendNames = g.legendNames;
  axis.Legend = true;
}

// Band offset: k times the population deviation of X - Y over the training and
// prediction objects; the band keeps its state when it cannot be computed.
void SetBand(const ModelPlotInput& in, const ObjectMasks& m, AxisParams& axis) {
  if (!in.bandChecked) {
    axis.Band = false;
    return;
  }
  if (!in.k) return;
  try {
    std::vector<long double> differences;
    for (std::size_t i = 0; i < m.training.size(); ++i) {
      const CheckedValue* row = in.rows[i];
      if ((m.training[i] || m.prediction[i]) && !row[0].Missing && !row[1].Missing)
        differences.push_back(row[0].Value - row[1].Value);
    }
    if (differences.empty()) return;
    Matrix column(static_cast<int>(differences.size()), 1);
    for (int r = 0; r < column.Rows(); ++r) column.At(r, 0) = differences[r];
    const long double offset = *in.k * StdDev(column);
    if (!std::isfinite(offset)) return;
    axis.BandOffset = offset;
    axis.Band = true;
  } catch (...) {
    // A deviation that overflows, for one: the plot goes on without a new band.
  }
}

// Horizontal lines at the smallest and largest training Y, ending at h*.
void SetDomainLines(const ModelPlotInput& in, const ObjectMasks& m, AxisParams& axis) {
  std::optional<long double> lo, hi;
  for (std::size_t i = 0; i < m.training.size(); ++i) {
    if (!m.training[i] || in.rows[i][1].Missing) continue;
    const long double y = in.rows[i][1].Value;
    lo = lo ? std::min(*lo, y) : y;
    hi = hi ? std::max(*hi, y) : y;
  }
  axis.HorizontalLines = lo.has_value();
  if (!lo) return;
  axis.FirstLineY = *lo;
  axis.SecondLineY = *hi;
  axis.FullWidth = false;
  axis.LineEndX = in.hStar;
}

}  // namespace

std::string LeverageAxisName(long double hStar) {
  const int threshold = 3;
  FloatFormat format;
  int precision = 0, digits = 0;
  ChooseFloatFormat(&hStar, &threshold, &format, &precision, &digits);
  return "HAT i/i (h* = " + FloatToStrF(hStar, format, precision, digits) + ")";
}

int FillModelPlotData(const ModelPlotInput& in, GraphData& d, const ModelPlotGroups& groups) {
  d.SetXYRows(in.rows, in.data->iObjCount, in.data->tpObjNameStrPtr, in.data->tpVarNameStrPtr);
  AxisParams& axis = d.Axis;
  const ObjectMasks m = ClassifyObjects(*in.data);
  AssignGroups(m, in.kind == GraphKind::ApplicabilityDomain, axis, groups);
  switch (in.kind) {
    case GraphKind::ExpVsCalc:
    case GraphKind::ExpVsPred:
      d.XAxisName = "Exp. endpoint";
      d.YAxisName = in.kind == GraphKind::ExpVsCalc ? "Pred. by model eq." : "Pred. by LOO";
      axis.SameRange = true;
      axis.RegressionGroup = kSecond;
      SetBand(in, m, axis);
      break;
    case GraphKind::WilliamsCalc:
    case GraphKind::WilliamsPred:
      d.XAxisName = LeverageAxisName(in.hStar);
      d.YAxisName = "Std. residuals";
      axis.VerticalLine = true;
      axis.VerticalLineX = in.hStar;
      axis.ZeroLine = true;
      axis.Symmetric = true;
      axis.HorizontalLines = in.k.has_value();
      axis.FullWidth = true;
      if (in.k) {
        axis.FirstLineY = -*in.k;
        axis.SecondLineY = *in.k;
      }
      break;
    case GraphKind::ApplicabilityDomain:
      d.XAxisName = LeverageAxisName(in.hStar);
      d.YAxisName = "Pred. by model eq.";
      axis.VerticalLine = true;
      axis.VerticalLineX = in.hStar;
      axis.ZeroLine = false;
      SetDomainLines(in, m, axis);
      break;
    case GraphKind::ResidualsCalc:
    case GraphKind::ResidualsPred:
    case GraphKind::VariableProfile:
    case GraphKind::ObjectProfile:
    case GraphKind::VariableDistribution:
    case GraphKind::VariablesScatter:
    case GraphKind::VariableFrequency:
    case GraphKind::YScramble:
    case GraphKind::RandomDescriptors:
    case GraphKind::RandomResponses:
    case GraphKind::LeaveManyOut:
    case GraphKind::AxesChoice:
    case GraphKind::PcaScores:
    case GraphKind::PcaLoadings:
    case GraphKind::ModelsScatter:
    case GraphKind::McdmRanking:
    case GraphKind::ResponseDistribution:
    case GraphKind::R2VsQ2:
      d.XAxisName = "Exp. endpoint";
      d.YAxisName = "Residuals";
      axis.ZeroLine = true;
      axis.Symmetric = true;
      break;
  }
  return m.predictionCount;
}
