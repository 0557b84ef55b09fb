// Speed of the model list with 100,000 models: the table's sort and refill
// alone, a sort chosen in the window (sort, refill of the grid, empty columns),
// and one scroll step of the filled table with its owner-drawn cells.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <memory>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "platform/qt/StringGrid.h"
#include "models/ModelListTable.h"
#include "models/VSmMain.h"

namespace {

constexpr int kModels = 100000;

// Models of sizes 1..8 with pseudo-random fit and validation statistics; every
// third one unselected.
struct ModelList {
  ModelList() {
    uint64_t state = 12345;
    auto next = [&state] {
      state = state * 6364136223846793005ULL + 1442695040888963407ULL;
      return static_cast<long double>(state >> 11) / 9007199254740992.0L;
    };
    for (int id = 1; id <= kModels; ++id) {
      DataResultNode* m = list->Append();
      m->iID = id;
      m->iSize = 1 + id % 8;
      m->iSelStatus = id % 3 == 0 ? 0 : 3;
      m->sName = "D" + std::to_string(id % 97) + "  D" + std::to_string(id % 89) + "  ";
      for (CheckedValue* cell : {&m->cvR2, &m->cvR2adj, &m->cvLOF, &m->cvKxx, &m->cvKxy, &m->cvRMSEtr, &m->cvMAEtr,
                                 &m->cvRSStr, &m->cvCCCtr, &m->cvS, &m->cvF, &m->cvQ2loo, &m->cvRMSEcv,
                                 &m->cvMAEcv, &m->cvPRESScv, &m->cvCCCcv})
        *cell = CheckedValue(next(), false);
    }
  }
  ChemoData data;
  DataResultList* list = new DataResultList(&data);
  std::unique_ptr<DataResultList> owner{list};
};

void BM_TableSortAndFill(benchmark::State& state) {
  ModelList models;
  ModelListTable table(&models.list);
  const int first = ColumnSortItem(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    table.Sort(first, ColumnSortItem(17), nullptr);
    table.Fill(false, 0, false, nullptr);
    benchmark::DoNotOptimize(table.RowModel(1));
  }
}
// R2 (one key) and Size then Q2loo (groups).
BENCHMARK(BM_TableSortAndFill)->Arg(kR2Column)->Arg(kSizeColumn)->Unit(benchmark::kMillisecond);

void BM_OpenWindow(benchmark::State& state) {
  ModelList models;
  for (auto _ : state) {
    TViewSelForm form(nullptr, &models.list, &models.data);
    form.ButtonAcceptClick();
  }
}
BENCHMARK(BM_OpenWindow)->Unit(benchmark::kMillisecond)->Iterations(3);

// The window on the list, shown and laid out; Accept keeps the list when it goes.
struct ShownWindow {
  explicit ShownWindow(ModelList& models) : form(nullptr, &models.list, &models.data) {
    form.resize(1100, 640);
    form.show();
    QCoreApplication::processEvents();
  }
  ~ShownWindow() { form.ButtonAcceptClick(); }
  TViewSelForm form;
};

// A new first key chosen in the shown window: sort, refill, repaint.
void BM_WindowSortAndShow(benchmark::State& state) {
  ModelList models;
  ShownWindow shown(models);
  TViewSelForm& form = shown.form;
  bool lof = false;
  for (auto _ : state) {
    lof = !lof;
    form.ComboBoxSort->setCurrentIndex(ColumnSortItem(lof ? 8 : kR2Column));
    form.ComboBoxSortChange();
    form.StringGridResults->viewport()->repaint();
  }
}
BENCHMARK(BM_WindowSortAndShow)->Unit(benchmark::kMillisecond);

void BM_ScrollTable(benchmark::State& state) {
  ModelList models;
  ShownWindow shown(models);
  int row = 1;
  for (auto _ : state) {
    row = row % (kModels - 100) + 37;
    shown.form.StringGridResults->SetTopRow(row);
    shown.form.StringGridResults->viewport()->repaint();
  }
}
BENCHMARK(BM_ScrollTable)->Unit(benchmark::kMicrosecond);

}  // namespace
