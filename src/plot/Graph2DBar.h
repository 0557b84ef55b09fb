// The class-count bar chart: how many elements fall into each of n equal value
// classes of one column, one bar per class.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "plot/Graph.h"

class Graph2DBar : public Graph {
public:
  // The class count is the whole number in the data's Y-axis name (at least 1).
  // Counts the classes and draws X axis, Y axis and title.
  Graph2DBar(Canvas& image, GraphData* data);

  void DrawTitle() override;
  void DrawXAxis() override;
  void DrawYAxis() override;
  void DrawData() override;

  int GetClassCount() const { return classCount_; }
  int GetClassValue(int k) const { return ipBarValue[k]; }
  int GetLargestCount() const { return largestCount_; }

private:
  void CountClasses();
  int CountIntervals() const;
  // The labels of the count axis, from 0 up to the largest count.
  std::vector<std::string> CountLabels() const;
  int ClassWidth() const;
  int ClassX(int k) const;
  int ClassTop(int k) const;
  std::string ClassLabel(int k) const;

  int32_t largestCount_ = 1;
  long double valueMin_ = 0.0L;
  long double valueMax_ = 0.0L;
  std::unique_ptr<std::string[]> tpLoValStr;
  std::unique_ptr<std::string[]> tpHiValStr;
  int32_t classCount_ = 1;
  int32_t barAreaHeight_ = 0;
  std::unique_ptr<int32_t[]> ipBarValue;
};
