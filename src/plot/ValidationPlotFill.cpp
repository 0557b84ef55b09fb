#include "plot/ValidationPlotFill.h"

#include "platform/base/Stream.h"
#include "platform/base/UiServices.h"
#include "plot/VGrMain.h"

namespace {

const char* const kCaption = "APPLICATION WARNING";

bool IsLeaveManyOut(GraphKind kind) { return kind == GraphKind::LeaveManyOut; }

struct KindTexts {
  const char* file;  // the registered name of the kind's validation file
  const char* yAxis;
  const char* r2;
  const char* q2;
};

// The Y-scrambling texts also stand for the kinds outside the validation family,
// which never come here.
KindTexts Texts(GraphKind kind) {
  switch (kind) {
    case GraphKind::RandomDescriptors: return {"~rdes~", "R2 Xrnd and Q2 Xrnd", "R2 Xrnd", "Q2 Xrnd"};
    case GraphKind::RandomResponses: return {"~rres~", "R2 Yrnd and Q2 Yrnd", "R2 Yrnd", "Q2 Yrnd"};
    case GraphKind::LeaveManyOut: return {"~many~", "Q2 LMO", "", "Q2 LMO"};
    case GraphKind::YScramble:
    case GraphKind::VariableProfile:
    case GraphKind::ObjectProfile:
    case GraphKind::VariableDistribution:
    case GraphKind::VariablesScatter:
    case GraphKind::VariableFrequency:
    case GraphKind::ExpVsCalc:
    case GraphKind::ExpVsPred:
    case GraphKind::WilliamsCalc:
    case GraphKind::WilliamsPred:
    case GraphKind::ApplicabilityDomain:
    case GraphKind::ResidualsCalc:
    case GraphKind::ResidualsPred:
    case GraphKind::AxesChoice:
    case GraphKind::PcaScores:
    case GraphKind::PcaLoadings:
    case GraphKind::ModelsScatter:
    case GraphKind::McdmRanking:
    case GraphKind::ResponseDistribution:
    case GraphKind::R2VsQ2:
      break;
  }
  return {"~yscr~", "R2 Yscr and Q2 Yscr", "R2 Yscr", "Q2 Yscr"};
}

void Warn(const char* text) { Ui().MessageBox(text, kCaption, MB_OK | MB_ICONWARNING); }

}  // namespace

const char* ValidationPlotFileName(GraphKind kind) { return Texts(kind).file; }

int ValidationModelPointCount(GraphKind kind) { return IsLeaveManyOut(kind) ? 1 : 2; }

bool LoadValidationPlotRecord(const std::string& path, const int32_t* variables, int p, ValidationRecord& record,
                              bool showMessages) {
  bool read = false;
  try {
    FileStream file(path, FileMode::OpenRead);
    read = FindValidationRecord(file, variables, p, record) == RecordSearch::Found;
  } catch (const EStreamError&) {
    if (showMessages)
      Warn("Cannot open temporary validation file, detailed data are not available for plotting graphs. Please "
           "check your privileges.");
  }
  if (!read && showMessages) Warn("File reading error. Cannot display data.");
  return read;
}

void FillValidationPlotData(GraphKind kind, const ValidationRecord& record, const ValidationModelPoint& model,
                            GraphData& d, const ValidationPlotBuffers& buffers) {
  const bool lmo = IsLeaveManyOut(kind);
  const int n = static_cast<int>(record.iterations.size());
  const int series = lmo ? 1 : 2;
  const int rowCount = series * n + ValidationModelPointCount(kind);
  buffers.rows.assign(static_cast<std::size_t>(rowCount), std::vector<CheckedValue>(2));
  buffers.labels.assign(static_cast<std::size_t>(rowCount), std::string());
  buffers.elementGroups.assign(static_cast<std::size_t>(rowCount), 0);
  auto setRow = [&](int row, CheckedValue x, CheckedValue y, int group, std::string label) {
    buffers.rows[row][0] = x;
    buffers.rows[row][1] = y;
    buffers.elementGroups[row] = group;
    buffers.labels[row] = std::move(label);
  };
  for (int i = 0; i < n; ++i) {
    const ValidationIteration& it = record.iterations[i];
    const std::string label = "iter " + std::to_string(i);
    if (lmo) {
      setRow(i, it.k, it.q2, 0, label);
    } else {
      setRow(i, it.k, it.r2, 0, label);
      setRow(n + i, it.k, it.q2, 1, label);
    }
  }
  const CheckedValue kxy(model.kxy.Value, false);
  const KindTexts texts = Texts(kind);
  AxisParams& axis = d.Axis;
  if (lmo) {
    setRow(n, kxy, model.q2, 1, "model Q2");
    axis.GroupCount = 2;
    buffers.colors[0] = 0x0000FF;
    buffers.colors[1] = 0xFF0000;
    buffers.legendNames[0] = texts.q2;
    buffers.legendNames[1] = "Mod. Q2";
  } else {
    setRow(2 * n, kxy, CheckedValue(model.r2.Value, false), 2, "model R2");
    setRow(2 * n + 1, kxy, CheckedValue(model.q2.Value, false), 3, "model Q2");
    axis.GroupCount = 4;
    const TColor colors[] = {0x00FFFF, 0x0000FF, 0xFFFF00, 0xFF0000};
    const std::string legends[] = {texts.r2, texts.q2, "Mod. R2", "Mod. Q2"};
    for (int g = 0; g < 4; ++g) {
      buffers.colors[g] = colors[g];
      buffers.legendNames[g] = legends[g];
    }
  }
  buffers.rowPointers.clear();
  for (std::vector<CheckedValue>& row : buffers.rows) buffers.rowPointers.push_back(row.data());
  d.SetXYRows(buffers.rowPointers.data(), rowCount, buffers.labels.data(), nullptr);
  d.XAxisName = "Kxy";
  d.YAxisName = texts.yAxis;
  axis.GroupColors = buffers.colors;
  axis.LegendNames = buffers.legendNames;
  axis.ElementGroup = buffers.elementGroups.data();
  axis.Legend = true;
}
