// Multi-criteria ranking of the selected models: twelve validation statistics
// become desirabilities in [0, 1], whose geometric means are the scores "MCDM
// fit", "MCDM cv", "MCDM ext" and "MCDM all"; and the points of the two plots
// that set models side by side (MCDM ext against MCDM fit, Q2loo against LOF).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "numerics/Matrix.h"
#include "platform/base/UiServices.h"

class ChemoData;
class DataResultList;
class DataResultNode;

// d1..d12 (index 0..11): each source value clamped to [0, 1], the three
// concordance coefficients (d4, d8, d12) then squared. Stored numbers are used
// whatever their missing flags.
std::array<long double, 12> McdmDesirabilities(const DataResultNode& model);

// Writes the four scores of the model (a group with a missing cell gives a
// missing score, its number left as it was) and returns its message line:
// empty when every group score is present, else "Mod ID <id> --> " followed by
// the missing criteria of each missing group.
std::string ScoreMcdm(DataResultNode& model);

struct McdmRun {
  std::vector<std::string> lines;  // message lines of the models with a missing group, in walk order
  bool aborted = false;
};

// Recomputes Q2-F1, Q2-F2, Q2-F3 and CCC ext of every model of the list when
// the data set has prediction objects with a response (with the calculator's
// own progress windows); returns whether it has.
bool RecomputeExternalCriteria(DataResultList* models, ChemoData* data, const ProgressWindowFactory& progressWindow);

// Scores every selected model of the list in list order, stepping the bar
// (0 .. 2147483647 by 2147483647 / selected) and polling Escape after each one;
// an abort leaves the models not reached as they were.
McdmRun RunMcdm(DataResultList& models, Progress& progress);

// The points of a models scatter: one row per model, two columns, with the
// model's rank, variables text and identifier.
struct ModelScatterPoints {
  Matrix values;
  std::vector<std::string> ranks;
  std::vector<std::string> names;
  std::vector<std::string> ids;
};

// A selected model with both "MCDM fit" and "MCDM ext" present: a point of the MCDM plot.
bool HasMcdmPlotPoint(const DataResultNode& model);
// Walks the sorted array from its start: each model with an MCDM plot point
// gives (MCDM ext, MCDM fit). No point makes the matrix throw its index exception.
ModelScatterPoints McdmPlotPoints(const std::vector<DataResultNode*>& sorted);
// The same walk: each selected model whose Q2loo and LOF are present gives the
// point (Q2loo, LOF).
ModelScatterPoints Q2LofPlotPoints(const std::vector<DataResultNode*>& sorted);
