// The plot data of the validation plots (Y-scrambling, random descriptors, random
// responses, leave-many-out): the iterations of the model's record in the kind's
// temporary validation file against their Kxy, with the model's own values as
// further points.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/ValidationFiles.h"
#include "plot/GraphData.h"
#include "plot/PlotKinds.h"

// The registered name of the kind's validation file ("~yscr~", ...).
const char* ValidationPlotFileName(GraphKind kind);

// Reads the record of the model's variable set from the file at path. With
// showMessages, a file that cannot be opened shows its message and the
// reading-error message, a missing or damaged record only the reading-error
// message. Returns whether it was read.
bool LoadValidationPlotRecord(const std::string& path, const int32_t* variables, int p, ValidationRecord& record,
                              bool showMessages);

// The model's own statistics plotted beside its iterations.
struct ValidationModelPoint {
  CheckedValue kxy;
  CheckedValue r2;
  CheckedValue q2;
};

// The rows and texts the plot data point into; they must outlive the drawing.
struct ValidationPlotBuffers {
  std::vector<std::vector<CheckedValue>>& rows;
  std::vector<CheckedValue*>& rowPointers;
  std::vector<std::string>& labels;
  std::vector<int32_t>& elementGroups;
  TColor* colors;            // at least 4
  std::string* legendNames;  // at least 4
};

// Rebuilds the rows (two per iteration and the two model points; leave-many-out:
// one per iteration and one model point), labels, groups and legend into d.
void FillValidationPlotData(GraphKind kind, const ValidationRecord& record, const ValidationModelPoint& model,
                            GraphData& d, const ValidationPlotBuffers& buffers);

// The number of model points at the end of the rows.
int ValidationModelPointCount(GraphKind kind);
