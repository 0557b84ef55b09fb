// What a plot draws: the value rows, names, label records and the axis options
// that the plot window fills and the plot classes read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "numerics/CheckedValue.h"
#include "platform/base/Canvas.h"

// A real that may be unset.
class OptionalValue {
public:
  void Set(long double value) {
    flag_ = 1;
    value_ = value;
  }
  long double Value() const { return value_; }
  bool IsSet() const { return flag_ != 0; }

private:
  uint32_t flag_ = 0;
  long double value_ = 0.0L;
};

// Where an element's label and symbol were drawn, in image pixels. A label box
// whose left equals its right is not placed yet.
struct LabelPlotParam {
  int32_t LabelLeft = 0;
  int32_t LabelTop = 0;
  int32_t LabelRight = 0;
  int32_t LabelBottom = 0;
  int32_t SymbolLeft = 0;
  int32_t SymbolTop = 0;
  int32_t SymbolRight = 0;
  int32_t SymbolBottom = 0;
  bool Shown = false;

  bool IsPlaced() const { return LabelLeft != LabelRight; }
  // Moves the label box, keeping its size, back inside a width x height image
  // across any edge it passes, as far as the image can hold it.
  void KeepInside(int width, int height);
};

// The drawing options of a plot: colour groups, reference lines, legend,
// regression line and range rules.
struct AxisParams {
  int32_t GroupCount = 0;  // 0: every point has the default colour
  bool SameRange = false;  // one range for X and Y, and the diagonal
  bool VerticalLine = false;
  long double VerticalLineX = 0.0L;
  bool Legend = false;
  bool Symmetric = false;  // Y range symmetric about 0
  bool HorizontalLines = false;
  long double FirstLineY = 0.0L;
  long double SecondLineY = 0.0L;
  bool FullWidth = false;
  long double LineEndX = 0.0L;
  bool Band = false;  // lines y = x + offset and y = x - offset
  long double BandOffset = 0.0L;
  std::string* LegendNames = nullptr;  // GroupCount entries, owned by the caller
  TColor* GroupColors = nullptr;       // GroupCount entries, owned by the caller
  bool ZeroLine = false;
  int32_t* ElementGroup = nullptr;  // one group index per row, owned by the caller
  bool KeepSymbolBoxes = true;
  bool GroupRegression = false;
  int32_t RegressionGroup = 0;
  bool OriginVectors = false;
  OptionalValue ExtraX;  // values the ranges must include
  OptionalValue ExtraY;
  bool IntegerXTicks = false;
};

struct GraphData {
  GraphData() = default;
  GraphData(const GraphData&) = delete;
  GraphData& operator=(const GraphData&) = delete;

  // Frees the value and uncertainty rows (allocated with new[]) and nulls both.
  void FreeRows();

  std::string XAxisName;
  std::string YAxisName;
  std::string Caption;
  int32_t RowCount = 0;
  int32_t ColCount = 0;
  int32_t XColumn = 0;
  int32_t YColumn = 0;
  std::string* ColumnNames = nullptr;   // ColCount entries, owned by the caller
  std::string* ElementNames = nullptr;  // RowCount entries, owned by the caller
  std::string* ElementIDs = nullptr;    // RowCount entries or null, owned by the caller
  CheckedValue** tpGraphValue = nullptr;
  CheckedValue** tpGraphUncert = nullptr;  // same shape as the values, or null
  uint8_t LabelType = 0;  // 0 none, 1 ordinal, 2 element name, 3 element ID
  LabelPlotParam* tpLabelPlotParam = nullptr;  // LabelCount records, owned by the plot window
  int32_t LabelCount = 0;
  AxisParams Axis;

  // Plots rowCount rows of two cells, X then Y, with the given element and
  // column names (either may be null) and no element IDs.
  void SetXYRows(CheckedValue** rows, int32_t rowCount, std::string* elementNames, std::string* columnNames) {
    RowCount = rowCount;
    ColCount = 2;
    XColumn = 0;
    YColumn = 1;
    tpGraphValue = rows;
    ElementNames = elementNames;
    ColumnNames = columnNames;
    ElementIDs = nullptr;
  }
  // Points the label records at labels (one per element; none when empty).
  void SetLabels(std::vector<LabelPlotParam>& labels) {
    tpLabelPlotParam = labels.empty() ? nullptr : labels.data();
    LabelCount = static_cast<int32_t>(labels.size());
  }
  // The element's label record; null when the window holds none for it.
  LabelPlotParam* GivenLabel(int element) const {
    return element >= 0 && element < LabelCount ? &tpLabelPlotParam[element] : nullptr;
  }
};
