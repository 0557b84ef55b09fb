// Shared pieces of the plot tests: a GraphData over a small table, what a plot
// drew on a recording canvas, the main window stand-in, test folders and files.
#pragma once

#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/qt/RecordingCanvas.h"
#include "plot/Graph.h"
#include "plot/GraphData.h"
#include "support/FakeProjectHost.h"
#include "support/TestFolder.h"

using Cells = std::vector<std::vector<std::optional<long double>>>;  // nullopt: missing

class PlotTestData {
public:
  explicit PlotTestData(const Cells& rows) {
    for (const auto& row : rows) {
      cells_.emplace_back();
      for (const auto& cell : row) cells_.back().emplace_back(cell.value_or(0.0L), !cell.has_value());
    }
    for (auto& row : cells_) rowPointers_.push_back(row.data());
    const int n = static_cast<int>(rows.size());
    labels_.resize(n);
    for (int i = 0; i < n; ++i) names_.push_back("E" + std::to_string(i + 1));
    data.RowCount = n;
    data.ColCount = n > 0 ? static_cast<int>(rows[0].size()) : 0;
    data.XColumn = 0;
    data.YColumn = data.ColCount > 1 ? 1 : 0;
    data.tpGraphValue = n > 0 ? rowPointers_.data() : nullptr;
    data.SetLabels(labels_);
    data.ElementNames = names_.data();
    data.XAxisName = "X";
    data.YAxisName = "Y";
  }
  PlotTestData(const PlotTestData&) = delete;

  // Gives every row the same uncertainty in every column.
  void SetUncertainty(long double u) {
    uncert_.assign(cells_.size(), std::vector<CheckedValue>(data.ColCount, CheckedValue(u, false)));
    for (auto& row : uncert_) uncertPointers_.push_back(row.data());
    data.tpGraphUncert = uncertPointers_.data();
  }
  void SetGroups(std::vector<int32_t> groups, std::vector<TColor> colors) {
    groups_ = std::move(groups);
    colors_ = std::move(colors);
    data.Axis.ElementGroup = groups_.data();
    data.Axis.GroupColors = colors_.data();
    data.Axis.GroupCount = static_cast<int>(colors_.size());
  }
  LabelPlotParam& Label(int i) { return labels_.at(i); }

  GraphData data;

private:
  std::vector<std::vector<CheckedValue>> cells_;
  std::vector<CheckedValue*> rowPointers_;
  std::vector<std::vector<CheckedValue>> uncert_;
  std::vector<CheckedValue*> uncertPointers_;
  std::vector<LabelPlotParam> labels_;
  std::vector<std::string> names_;
  std::vector<int32_t> groups_;
  std::vector<TColor> colors_;
};

// The plot's range: X min, X max, Y min, Y max.
inline std::vector<long double> RangeOf(const Graph& graph) {
  long double r[4];
  graph.GetRange(r[0], r[1], r[2], r[3]);
  return {r[0], r[1], r[2], r[3]};
}

// One value per row.
inline Cells Column(const std::vector<std::optional<long double>>& values) {
  Cells rows;
  for (const auto& v : values) rows.push_back({v});
  return rows;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}
