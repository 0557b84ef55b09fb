// The x-y plot: points coloured by group, labels with leader lines, reference
// lines, the diagonal, bands, a group's regression line, legend and error bars.
#pragma once

#include <cstdint>
#include <string>

#include "plot/Graph.h"

class Graph2DScatter : public Graph {
public:
  // Computes and adjusts the ranges, fits the group line and draws the frame.
  // singleLabels 1: only the labels whose shown flag is set are drawn.
  Graph2DScatter(Canvas& image, GraphData* data, uint8_t singleLabels);

  void DrawData() override;
  // Blanks the image, then draws frame and data (after a change of range).
  void Redraw();
  bool IsLabelShown(const GraphData* data, int element) const;

  long double GetIntercept() const { return intercept_; }
  long double GetSlope() const { return slope_; }

private:
  int PixelX(long double v) const;
  int PixelY(long double v) const;
  bool InPlotArea(int x, int y) const;
  void IncludeErrorBars();
  void FitGroupLine();
  void DrawHorizontalLines();
  void DrawBand();
  void DrawVerticalLine();
  void DrawZeroLine();
  void DrawRegressionLine();
  void DrawLegend();
  // Moves a label box just placed that meets the legend down, below the legend
  // and below its point.
  void KeepOffLegend(LabelPlotParam& label, int pointY) const;
  std::string LabelText(int row) const;
  // Draws the point of the row; false when it is not drawable or outside the box.
  bool DrawPoint(int row);
  void DrawErrorBar(int row, int x, int y);
  void DrawLabels(const bool* inBox);

  // The legend's box as last drawn; empty (right = left) without a legend.
  int legendLeft_ = 0, legendRight_ = 0, legendBottom_ = 0;
  long double intercept_ = 0.0L;
  long double slope_ = 0.0L;
  uint8_t singleLabels_;
};
