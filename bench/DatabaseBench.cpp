// The molecule viewer's heaviest redraw and the formula query over the sample database.
#include <benchmark/benchmark.h>

#include <QImage>

#include "database/DatabaseQuery.h"
#include "database/MoleculeDrawing.h"
#include "platform/base/Files.h"
#include "platform/qt/ImageCanvas.h"

namespace {

const std::string kFolder = std::string(KORVANE_SOURCE_DIR) + "/assets/database/";

// The largest sample molecule (triphenylmethanol, 36 atoms) drawn with dot spheres.
void BM_DotsRedrawLargestMolecule(benchmark::State& state) {
  ElemColor colours;
  std::vector<ElemCoord> atoms = ReadHinFile(kFolder + "MeltingPoint/hin/000076-84-6.hin", colours);
  ViewBox box = CentreMolecule(atoms);
  MoleculeDrawing drawing(colours);
  ViewOptions options;
  options.spheres = true;
  options.style = SphereStyle::Dots;
  ViewState view;
  QImage image(440, 560, QImage::Format_RGB32);
  for (auto _ : state) {
    ImageCanvas canvas(image);
    drawing.DrawMolecule(canvas, atoms, box, options, view, 1, "Triphenylmethanol", "000076-84-6");
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_DotsRedrawLargestMolecule)->Unit(benchmark::kMillisecond);

void BM_FormulaQueryWholeDatabase(benchmark::State& state) {
  const std::vector<std::string> files = ListFiles(kFolder, "*.csv");
  DatabaseContent content;
  LoadDatabaseFiles(kFolder, files, content, nullptr);
  QueryInput input;
  input.mode = QueryMode::Formula;
  input.formula = "C2H6O";
  for (auto _ : state) {
    QueryResult result = DatabaseQuery(content, kFolder, files).Run(input);
    benchmark::DoNotOptimize(result.rows.size());
  }
}
BENCHMARK(BM_FormulaQueryWholeDatabase)->Unit(benchmark::kMillisecond);

}  // namespace
