// The per-element bar chart: one bar per row (the row's cell in the X column) or,
// transposed, one bar per column (the cells of the row given by the X column).
#pragma once

#include <cstdint>
#include <string>

#include "plot/Graph.h"

class Graph2DHist : public Graph {
public:
  // Y-axis text "Value", title the data's X-axis name.
  Graph2DHist(Canvas& image, GraphData* data, uint8_t transposed, uint8_t zeroBase);
  Graph2DHist(Canvas& image, GraphData* data, uint8_t transposed, uint8_t zeroBase, const std::string& yAxisText,
              const std::string& titleText);

  void DrawTitle() override;
  void DrawXAxis() override;
  void DrawData() override;

private:
  // Sets the Y range from the values and draws Y axis, X axis and title.
  void Build();
  // Number of bars; 0 when a transposed chart's row does not exist.
  int ElementCount() const;
  const CheckedValue& ElementCell(int element) const;
  std::string ElementLabel(int element) const;

  uint8_t transposed_;
  uint8_t zeroBase_;
  std::string yAxisText_;
  std::string titleText_;
};
