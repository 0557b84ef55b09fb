#include "models/ModelMcdm.h"

#include <cmath>
#include <functional>

#include "data/DataResult.h"
#include "models/ModelListTable.h"
#include "numerics/ProgressStepper.h"
#include "numerics/Utils.h"
#include "platform/base/CommandGuard.h"
#include "platform/base/NumberText.h"
#include "validate/ExternalValidator.h"

namespace {

long double Clamped(long double value) { return value < 0.0L ? 0.0L : value > 1.0L ? 1.0L : value; }

struct Criterion {
  const CheckedValue& cell;
  const char* name;
};

// One group: its four desirabilities and the cells whose missing flags decide it.
struct McdmGroup {
  const char* title;
  const char* closing;
  std::vector<Criterion> criteria;
};

// The missing criteria of a group, "(name) " each; empty when none is missing.
std::string MissingNames(const McdmGroup& group) {
  std::string names;
  for (const Criterion& c : group.criteria)
    if (c.cell.Missing) names += std::string("(") + c.name + ") ";
  return names;
}

// (product of the group's four desirabilities)^0.25 into score, or score
// marked missing (its number kept). Returns the group's message part.
std::string ScoreGroup(const McdmGroup& group, const long double* d, CheckedValue& score) {
  const std::string missing = MissingNames(group);
  if (!missing.empty()) {
    score.Missing = true;
    return std::string(group.title) + missing + group.closing;
  }
  score = CheckedValue(std::pow(d[0] * d[1] * d[2] * d[3], 0.25L), false);
  return "";
}

bool Selected(const DataResultNode& model) { return IsSelectedState(model.iSelStatus); }

ModelScatterPoints PlotPoints(const std::vector<DataResultNode*>& sorted,
                              const std::function<bool(const DataResultNode&)>& takes,
                              const std::function<std::pair<long double, long double>(const DataResultNode&)>& point) {
  std::vector<const DataResultNode*> taken;
  for (const DataResultNode* model : sorted)
    if (Selected(*model) && takes(*model)) taken.push_back(model);
  ModelScatterPoints points;
  points.values.Allocate(static_cast<int>(taken.size()), 2);
  for (std::size_t r = 0; r < taken.size(); ++r) {
    const auto [x, y] = point(*taken[r]);
    points.values.At(static_cast<int>(r), 0) = x;
    points.values.At(static_cast<int>(r), 1) = y;
    points.ranks.push_back(IntToStr(taken[r]->iRank));
    points.names.push_back(taken[r]->sName);
    points.ids.push_back(ModelIdText(*taken[r]));
  }
  return points;
}

}  // namespace

std::array<long double, 12> McdmDesirabilities(const DataResultNode& m) {
  const long double ccc[] = {Clamped(m.cvCCCtr.Value), Clamped(m.cvCCCcv.Value), Clamped(m.cvCCCext.Value)};
  return {Clamped(m.cvR2.Value),
          Clamped(m.cvR2adj.Value),
          Clamped(1.0L - (m.cvR2.Value - m.cvR2adj.Value)),
          ccc[0] * ccc[0],
          Clamped(m.cvQ2loo.Value),
          Clamped(m.cvQ2LMO.Value),
          Clamped(1.0L - m.cvR2Yscr.Value),
          ccc[1] * ccc[1],
          Clamped(m.cvQ2F1.Value),
          Clamped(m.cvQ2F2.Value),
          Clamped(m.cvQ2F3.Value),
          ccc[2] * ccc[2]};
}

std::string ScoreMcdm(DataResultNode& model) {
  const std::array<long double, 12> d = McdmDesirabilities(model);
  const McdmGroup fit{"<Fitting>[ ", "]     ", {{model.cvR2, "R2"}, {model.cvR2adj, "R2adj"}, {model.cvCCCtr, "CCC tr"}}};
  const McdmGroup cv{"<Internal>[ ", " ]     ",
                     {{model.cvQ2loo, "Q2loo"}, {model.cvR2Yscr, "R2 Yscr"}, {model.cvQ2LMO, "Q2 LMO"},
                      {model.cvCCCcv, "CCC cv"}}};
  const McdmGroup ext{"<External>[ ", "]",
                      {{model.cvQ2F1, "Q2-F1"}, {model.cvQ2F2, "Q2-F2"}, {model.cvQ2F3, "Q2-F3"},
                       {model.cvCCCext, "CCC ext"}}};
  const std::string parts = ScoreGroup(fit, &d[0], model.cvMCDMfit) + ScoreGroup(cv, &d[4], model.cvMCDMcv) +
                            ScoreGroup(ext, &d[8], model.cvMCDMext);
  if (!parts.empty()) {
    model.cvMCDMall.Missing = true;
    return "Mod ID " + ModelIdText(model) + " --> " + parts;
  }
  long double product = 1.0L;
  for (long double value : d) product *= value;
  model.cvMCDMall = CheckedValue(std::pow(product, static_cast<long double>(1.0 / 12.0)), false);
  return "";
}

bool RecomputeExternalCriteria(DataResultList* models, ChemoData* data, const ProgressWindowFactory& progressWindow) {
  ExternalValidator validator(true, models, data, progressWindow);
  if (validator.TestCount() == 0) return false;
  validator.CalcExternalQ2Fn(models, true);
  validator.CalcExternalCCC(models, true);
  return true;
}

McdmRun RunMcdm(DataResultList& models, Progress& progress) {
  int selected = 0;
  for (const DataResultNode* model = models.First(); model != nullptr; model = model->Next())
    if (Selected(*model)) ++selected;
  McdmRun run;
  if (selected == 0) return run;
  progress.SetRange(0, LargestInt());
  ProgressStepper stepper(progress, LargestInt() / selected);
  for (DataResultNode* model = models.First(); model != nullptr; model = model->Next()) {
    if (!Selected(*model)) continue;
    std::string line = ScoreMcdm(*model);
    if (!line.empty()) run.lines.push_back(std::move(line));
    stepper.Step();
    if (EscapeAbortRequested()) {
      run.aborted = true;
      break;
    }
  }
  return run;
}

bool HasMcdmPlotPoint(const DataResultNode& model) {
  return Selected(model) && !model.cvMCDMfit.Missing && !model.cvMCDMext.Missing;
}

ModelScatterPoints McdmPlotPoints(const std::vector<DataResultNode*>& sorted) {
  return PlotPoints(sorted, HasMcdmPlotPoint,
                    [](const DataResultNode& m) { return std::make_pair(m.cvMCDMext.Value, m.cvMCDMfit.Value); });
}

ModelScatterPoints Q2LofPlotPoints(const std::vector<DataResultNode*>& sorted) {
  return PlotPoints(
      sorted, [](const DataResultNode& m) { return !m.cvQ2loo.Missing && !m.cvLOF.Missing; },
      [](const DataResultNode& m) { return std::make_pair(m.cvQ2loo.Value, m.cvLOF.Value); });
}
