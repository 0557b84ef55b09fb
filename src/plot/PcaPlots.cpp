#include "plot/PcaPlots.h"

#include "data/ChemoData.h"
#include "data/VariablePca.h"
#include "platform/base/CommandGuard.h"

namespace {

std::vector<std::string> AxisNames(const VariablePca& pca) {
  std::vector<std::string> names;
  for (int k = 1; k <= pca.Components(); ++k) names.push_back(pca.AxisText(k));
  return names;
}

}  // namespace

void CopyMatrix(Matrix& dest, const Matrix& source) {
  dest.Allocate(source.Rows(), source.Cols());
  dest = source;
}

void ModelessPlot::Release() {
  if (!closed) delete window.data();
  window = nullptr;
  closed = false;
  names.clear();
  texts.clear();
  ids.clear();
  axisNames.clear();
  objects.clear();
  statuses.clear();
}

void ModelessPlot::Show(QWidget* owner, std::unique_ptr<TViewGraphForm> form, const std::string& caption,
                        bool moved) {
  if (!form) {
    ShowWarning("Cannot create View Graph dialog");
    return;
  }
  TViewGraphForm* shown = form.release();
  shown->setParent(owner, shown->windowFlags() | Qt::Window);
  shown->setAttribute(Qt::WA_DeleteOnClose);
  shown->setWindowTitle(QString::fromLatin1(caption));
  shown->show();
  if (moved) shown->move(shown->pos() + QPoint(32, 32));
  window = shown;
}

void ShowPcaLoadingPlot(QWidget* owner, ChemoData* data, const VariablePca& pca, ModelessPlot& plot) {
  CopyMatrix(plot.values, pca.LoadingMatrix());
  for (int k = 1; k <= pca.Components(); ++k) {
    plot.texts.push_back(data->tpVarNameStrPtr[pca.pool[k - 1]]);
    plot.names.push_back("PC" + std::to_string(k));
  }
  plot.axisNames = AxisNames(pca);
  MatrixPlotSource source;
  source.values = &plot.values;
  source.elementNames = plot.names.data();
  source.firstLabelTexts = plot.texts.data();
  source.singleLabel = 1;
  source.firstLabelText = "Name";
  source.axisNames = plot.axisNames.data();
  plot.Show(owner, TViewGraphForm::CreateForPcaPlot(owner, data, source, GraphKind::PcaLoadings, &plot.closed),
            "Loading plot", false);
}

void ShowPcaScorePlot(QWidget* owner, ChemoData* data, const VariablePca& pca, const int32_t* status,
                      int32_t response, ModelessPlot& plot) {
  CopyMatrix(plot.values, pca.ScoreMatrix());
  for (std::size_t k = 0; k < pca.objects.size(); ++k) {
    plot.texts.push_back(std::to_string(k + 1));
    plot.names.push_back(data->tpObjNameStrPtr[pca.objects[k]]);
    plot.statuses.push_back(status[pca.objects[k]]);
  }
  plot.objects = pca.objects;
  plot.axisNames = AxisNames(pca);
  MatrixPlotSource source;
  source.values = &plot.values;
  source.elementNames = plot.names.data();
  source.firstLabelTexts = plot.texts.data();
  source.firstLabelText = "ID";
  source.secondLabelText = "Name";
  source.axisNames = plot.axisNames.data();
  source.elementObjects = plot.objects.data();
  source.elementStatus = plot.statuses.data();
  source.elementResponse = response;
  plot.Show(owner, TViewGraphForm::CreateForPcaPlot(owner, data, source, GraphKind::PcaScores, &plot.closed),
            "Score plot", true);
}

void ShowPcaPlots(QWidget* owner, ChemoData* data, const VariablePca& pca, const int32_t* status, int32_t response,
                  ModelessPlot& loadings, ModelessPlot& scores) {
  loadings.Release();
  scores.Release();
  RunGuarded([&] { ShowPcaLoadingPlot(owner, data, pca, loadings); }, "Unhandled ViewGraph exception");
  RunGuarded([&] { ShowPcaScorePlot(owner, data, pca, status, response, scores); },
             "Unhandled ViewGraph exception");
}
