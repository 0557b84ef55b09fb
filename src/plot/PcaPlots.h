// The loading and score plots of a principal component analysis, shown
// without waiting over the window that ran it and kept until they have gone.
#pragma once

#include <QPointer>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "numerics/Matrix.h"
#include "plot/VGrMain.h"

class ChemoData;
struct VariablePca;

// A plot window shown without waiting and what it shows, which lives until the
// window has gone.
struct ModelessPlot {
  QPointer<TViewGraphForm> window;
  bool closed = false;  // set by the window when it closes
  Matrix values;
  std::vector<std::string> names;      // the second label choice
  std::vector<std::string> texts;      // the first label choice
  std::vector<std::string> ids;        // element IDs of the matrix scatter
  std::vector<std::string> axisNames;  // one per column of values
  std::vector<int32_t> objects;        // score plot: the object of each row
  std::vector<int32_t> statuses;       // and its status

  ModelessPlot() = default;
  ModelessPlot(const ModelessPlot&) = delete;
  ModelessPlot& operator=(const ModelessPlot&) = delete;

  // Deletes the window unless it closed itself, clears the closed flag and
  // forgets what it showed.
  void Release();
  // Shows the built window over owner, usable while owner is modal, moved 32
  // pixels right and down when asked; no window: "Cannot create View Graph dialog".
  void Show(QWidget* owner, std::unique_ptr<TViewGraphForm> form, const std::string& caption, bool moved);
};

// Makes dest a copy of source, whatever its size before.
void CopyMatrix(Matrix& dest, const Matrix& source);

// "Loading plot": one point per analysed variable, labelled by its name.
void ShowPcaLoadingPlot(QWidget* owner, ChemoData* data, const VariablePca& pca, ModelessPlot& plot);
// "Score plot", moved 32 pixels: one point per analysed object, labelled by its
// number among them or its name and marked by status[object] (the statuses of
// every object of the data set) and the response.
void ShowPcaScorePlot(QWidget* owner, ChemoData* data, const VariablePca& pca, const int32_t* status,
                      int32_t response, ModelessPlot& plot);
// Releases both plots, then shows the loading and the score plot of pca; a
// failure of either is reported and the other still shown.
void ShowPcaPlots(QWidget* owner, ChemoData* data, const VariablePca& pca, const int32_t* status, int32_t response,
                  ModelessPlot& loadings, ModelessPlot& scores);
