// Speed of the string grid on a 2,000 x 2,000 table: filling it, setting every
// column width, and one scroll step with its repaint.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>

#include "platform/qt/StringGrid.h"

namespace {

constexpr int kSize = 2000;

// Cell texts as the windows write them: short numbers.
const std::vector<std::string>& Texts() {
  static const std::vector<std::string> texts = [] {
    std::vector<std::string> result;
    for (int i = 0; i < 997; ++i) result.push_back(std::to_string(i * 0.731) + "1");
    return result;
  }();
  return texts;
}

void Fill(StringGrid& grid) {
  grid.SetColCount(kSize);
  grid.SetRowCount(kSize);
  const auto& texts = Texts();
  for (int row = 0; row < kSize; ++row)
    for (int col = 0; col < kSize; ++col) grid.Cells(col, row) = texts[(row * 31 + col) % texts.size()];
}

void BM_Fill(benchmark::State& state) {
  for (auto _ : state) {
    StringGrid grid;
    grid.resize(1000, 700);
    grid.show();
    Fill(grid);
    QCoreApplication::processEvents();  // the first paint
    benchmark::DoNotOptimize(grid.Cells(kSize - 1, kSize - 1));
  }
}
BENCHMARK(BM_Fill)->Unit(benchmark::kMillisecond);

void BM_SetAllColWidths(benchmark::State& state) {
  StringGrid grid;
  grid.resize(1000, 700);
  grid.show();
  Fill(grid);
  int width = 40;
  for (auto _ : state) {
    width = width == 40 ? 60 : 40;
    for (int col = 0; col < kSize; ++col) grid.SetColWidth(col, width);
    QCoreApplication::processEvents();
  }
}
BENCHMARK(BM_SetAllColWidths)->Unit(benchmark::kMillisecond);

// One step down (or right) with a full repaint of the visible cells.
void ScrollStep(benchmark::State& state, bool vertical) {
  StringGrid grid;
  grid.resize(1000, 700);
  grid.OnDrawCell = [](int col, int row, CellLook& look) {
    if ((col + row) % 7 == 0) look.fill = 0xC0DCC0;
  };
  grid.show();
  Fill(grid);
  QCoreApplication::processEvents();
  int step = 1;
  for (auto _ : state) {
    step = step % (kSize - 100) + 1;
    vertical ? grid.SetTopRow(step) : grid.SetLeftCol(step);
    grid.viewport()->repaint();
  }
}

void BM_ScrollRow(benchmark::State& state) { ScrollStep(state, true); }
BENCHMARK(BM_ScrollRow)->Unit(benchmark::kMicrosecond);

void BM_ScrollColumn(benchmark::State& state) { ScrollStep(state, false); }
BENCHMARK(BM_ScrollColumn)->Unit(benchmark::kMicrosecond);

}  // namespace
