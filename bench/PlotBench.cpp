// One frame of a scatter plot as the plot window draws it on a resize, with a
// "Full info" caption of a few words or of thousands of letters (a model of
// many descriptors), which is cut to the room it has.
#include <benchmark/benchmark.h>

#include <QImage>

#include "plot/Graph2DScatter.h"
#include "platform/qt/ImageCanvas.h"

namespace {

void DrawFrameWithCaption(benchmark::State& state) {
  const int letters = static_cast<int>(state.range(0));
  std::string caption = "R2 = 0.8123  Q2 = 0.7791  ";
  while (static_cast<int>(caption.size()) < letters) caption += "NumAliphaticHeterocycles ";
  caption.resize(static_cast<std::size_t>(letters));

  const int points = 40;
  std::vector<std::vector<CheckedValue>> cells;
  std::vector<CheckedValue*> rows;
  std::vector<std::string> names;
  for (int i = 0; i < points; ++i) {
    cells.push_back({CheckedValue(i * 0.25L, false), CheckedValue(i * 0.2L + (i % 3) * 0.1L, false)});
    names.push_back("obj" + std::to_string(i));
  }
  for (auto& row : cells) rows.push_back(row.data());
  std::vector<LabelPlotParam> labels(points);
  GraphData data;
  data.SetXYRows(rows.data(), points, names.data(), nullptr);
  data.SetLabels(labels);
  data.XAxisName = "Exp. endpoint";
  data.YAxisName = "Calc. endpoint";
  data.Caption = caption;

  QImage image(616, 577, QImage::Format_RGB32);
  for (auto _ : state) {
    ImageCanvas canvas(image);
    Graph2DScatter plot(canvas, &data, 0);
    plot.DrawData();
    benchmark::DoNotOptimize(image.constBits());
  }
}

}  // namespace

BENCHMARK(DrawFrameWithCaption)->Arg(40)->Arg(1037)->Arg(5037)->Unit(benchmark::kMillisecond);
