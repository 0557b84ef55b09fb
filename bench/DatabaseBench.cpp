// The molecule viewer's heaviest redraw and the formula query over the sample database.
#include <benchmark/benchmark.h>

#include <cmath>

#include <QImage>

#include "database/DatabaseQuery.h"
#include "database/MoleculeDrawing.h"
#include "platform/base/Files.h"
#include "platform/qt/ImageCanvas.h"

namespace {

const std::string kFolder = std::string(KORVANE_SOURCE_DIR) + "/assets/database/";

// Redraws of the molecule with spheres in the style given.
void Redraw(benchmark::State& state, const ElemColor& colours, std::vector<ElemCoord> atoms,
            SphereStyle style) {
  ViewBox box = CentreMolecule(atoms);
  MoleculeDrawing drawing(colours);
  ViewOptions options;
  options.spheres = true;
  options.style = style;
  ViewState view;
  QImage image(440, 560, QImage::Format_RGB32);
  for (auto _ : state) {
    ImageCanvas canvas(image);
    drawing.DrawMolecule(canvas, atoms, box, options, view, 1, "Name", "CAS");
    benchmark::DoNotOptimize(image.constBits());
  }
}

// The largest sample molecule (triphenylmethanol, 36 atoms), its coordinates
// scaled by the factor given.
void RedrawLargestMolecule(benchmark::State& state, SphereStyle style, long double scale) {
  ElemColor colours;
  std::vector<ElemCoord> atoms = ReadHinFile(kFolder + "MeltingPoint/hin/000076-84-6.hin", colours);
  for (ElemCoord& atom : atoms) atom.x *= scale, atom.y *= scale, atom.z *= scale;
  Redraw(state, colours, atoms, style);
}

void BM_DotsRedrawLargestMolecule(benchmark::State& state) { RedrawLargestMolecule(state, SphereStyle::Dots, 1); }
BENCHMARK(BM_DotsRedrawLargestMolecule)->Unit(benchmark::kMillisecond);
void BM_LinesRedrawLargestMolecule(benchmark::State& state) { RedrawLargestMolecule(state, SphereStyle::Lines, 1); }
BENCHMARK(BM_LinesRedrawLargestMolecule)->Unit(benchmark::kMillisecond);

// Atoms 1e-20 ångström apart: every circle and mesh reaches the screen limit.
void BM_PlainRedrawTinyMolecule(benchmark::State& state) { RedrawLargestMolecule(state, SphereStyle::Plain, 1e-20L); }
BENCHMARK(BM_PlainRedrawTinyMolecule)->Unit(benchmark::kMillisecond);
void BM_LinesRedrawTinyMolecule(benchmark::State& state) { RedrawLargestMolecule(state, SphereStyle::Lines, 1e-20L); }
BENCHMARK(BM_LinesRedrawTinyMolecule)->Unit(benchmark::kMillisecond);

// A helix of n carbon atoms (atom i at 1.5 cos 0.6i, 1.5 sin 0.6i, 0.15i),
// each bonded to the one before and the one after it.
void RedrawCarbonHelix(benchmark::State& state, SphereStyle style, int n) {
  ElemColor colours;
  std::vector<ElemCoord> atoms(n);
  for (int i = 0; i < n; ++i) {
    atoms[i] = {i, "C", 1.5L * std::cos(0.6L * i), 1.5L * std::sin(0.6L * i), 0.15L * i,
                colours.ColorOfSymbol("C"), {}};
    if (i > 0) atoms[i].bonds.push_back({i - 1, 0});
    if (i < n - 1) atoms[i].bonds.push_back({i + 1, 0});
  }
  Redraw(state, colours, atoms, style);
}

// A short helix: its spheres, like those of the samples, fill the picture.
void BM_DotsRedrawHelix50(benchmark::State& state) { RedrawCarbonHelix(state, SphereStyle::Dots, 50); }
BENCHMARK(BM_DotsRedrawHelix50)->Unit(benchmark::kMillisecond);
void BM_LinesRedrawHelix50(benchmark::State& state) { RedrawCarbonHelix(state, SphereStyle::Lines, 50); }
BENCHMARK(BM_LinesRedrawHelix50)->Unit(benchmark::kMillisecond);
void BM_DotsRedrawHelix200(benchmark::State& state) { RedrawCarbonHelix(state, SphereStyle::Dots, 200); }
BENCHMARK(BM_DotsRedrawHelix200)->Unit(benchmark::kMillisecond);
void BM_LinesRedrawHelix200(benchmark::State& state) { RedrawCarbonHelix(state, SphereStyle::Lines, 200); }
BENCHMARK(BM_LinesRedrawHelix200)->Unit(benchmark::kMillisecond);

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
