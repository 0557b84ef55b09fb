// What the model search shows while it runs. The search window implements it;
// hidden callers and tests use the silent default.
#pragma once

#include <string>
#include <vector>

#include "platform/base/NumberText.h"

// One row of the results grid (`StringGridGAmodels`).
struct SearchGridRow {
  int rank = 0;             // 1-based
  std::string fitness;      // fixed notation, 4 decimals
  int size = 0;
  std::string descriptors;  // the variables text
};

// The fitness as the grid shows it: fixed notation with 4 decimals.
inline std::string GridFitnessText(long double fitness) { return FloatToStrF(fitness, FloatFormat::Fixed, 18, 4); }

struct SearchView {
  virtual ~SearchView() = default;
  // The status line (`StaticText`), repainted at once.
  virtual void StatusText(const std::string&) {}
  // The all-subset progress (`StaticTextAllPerc`).
  virtual void PercentText(const std::string&) {}
  // The 15 display slots changed (read them from the engine).
  virtual void DisplaySlotsChanged() {}
  // Shows the ten genetic-algorithm controls.
  virtual void ShowGaControls() {}
  // Row count of the results grid, title row included.
  virtual void SetGridRows(int) {}
  // `StaticTextGAiter`.
  virtual void GaIterationText(const std::string&) {}
  // The genetic algorithm's best models, best first.
  virtual void ShowGaModels(const std::vector<SearchGridRow>&) {}
  // Chooses an item of `ComboBoxBestAllSub`.
  virtual void SelectBestPerSizeItem(int) {}
  // The run ended: the window closes.
  virtual void CloseWindow() {}
};
