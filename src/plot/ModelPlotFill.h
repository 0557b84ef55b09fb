// The plot data of the model plots (experimental against calculated or predicted,
// Williams, applicability domain, residuals): which objects are drawn in which
// group, the axis names and the limit lines built from h* and the panel's
// standard-deviation choice.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "numerics/CheckedValue.h"
#include "plot/GraphData.h"
#include "plot/PlotKinds.h"

class ChemoData;
// What the panel and the window hand the builder.
struct ModelPlotInput {
  GraphKind kind;
  const ChemoData* data;
  CheckedValue** rows;             // one row (X, Y) per object
  long double hStar;               // the model's warning leverage
  std::optional<long double> k;    // the "Std.Dev.:" choice; none when not a number
  bool bandChecked;                // the Exp. kinds: draw the band
};

// The plot window's buffers the groups are written into (at least 3 colours
// and legend names); they must outlive the drawing.
struct ModelPlotGroups {
  std::vector<int32_t>& elementGroups;
  TColor* colors;
  std::string* legendNames;
};

// Fills d and d.Axis for one of the model-family kinds; returns the number of
// prediction objects with a response.
int FillModelPlotData(const ModelPlotInput& in, GraphData& d, const ModelPlotGroups& groups);

// "HAT i/i (h* = " + h* in axis-label notation + ")".
std::string LeverageAxisName(long double hStar);
