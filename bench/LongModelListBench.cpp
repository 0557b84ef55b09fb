// The analyses of the "View and select models" window over a long model list:
// every model of sizes 1 to 3 that the search finds on the first 80 descriptors
// that the import keeps of ../shared/data/chembl-1017.txt (or
// $KORVANE_SEARCH_DATA), every fourth object a prediction object. Each command runs through
// the window's handler with its real progress window (offscreen); the plots and
// message windows it would show are skipped and its questions answered Yes/OK.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "app/PBDialog.h"
#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "models/VSmMain.h"
#include "numerics/Utils.h"
#include "platform/base/WorkerThreads.h"
#include "platform/qt/QtUiServices.h"
#include "prepare/DataImport.h"
#include "select/ModelSearchEngine.h"
#include "support/Memory.h"

namespace {

constexpr int kPool = 80;

// The table through the program's import with both filters on; the response is
// its first column ("Activity"), the pool the next kPool descriptors kept.
std::unique_ptr<ChemoData> LoadTable() {
  const char* variable = std::getenv("KORVANE_SEARCH_DATA");
  std::ifstream file(variable ? variable : "../shared/data/chembl-1017.txt", std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "Cannot read the table: run from beside ../shared or set KORVANE_SEARCH_DATA\n");
    std::exit(1);
  }
  std::stringstream bytes;
  bytes << file.rdbuf();
  const TextTableCells grid(ReadDelimitedTable(bytes.str(), '\t'));
  ImportSettings settings;
  settings.ConstFilter = true;
  settings.CorrFilter = true;
  DataImport import(grid, settings);
  import.ReadValues(nullptr);
  import.FilterConstant(nullptr);
  import.FilterCorrelated(nullptr);
  auto data = std::make_unique<ChemoData>();
  import.Fill(*data);
  data->iResponseIndex = 0;
  for (int i = 0; i < data->iObjCount; ++i) data->ipTrainingPtr[i] = i % 4 == 3 ? kStatusPrediction : kStatusTraining;
  AllocCheckedArray(data->ipSelectedVarPtr, kPool, "*ipSelectedVarPtr");
  for (int v = 0; v < kPool; ++v) data->ipSelectedVarPtr[v] = v + 1;
  data->iSelectedVarCount = kPool;
  data->iEnumSize = kPool;
  data->iAllSubsetUntil = 3;
  data->iGAFirstSize = 0;
  data->iKeepPerSize = -1;
  data->iFitnessFunc = 0;
  return data;
}

// Answers every question Yes (or OK) and polls Escape as the program does.
class AnsweringUi : public QtUiServices {
public:
  int MessageBox(const std::string&, const std::string&, unsigned flags) override {
    return (flags & 0xF) == MB_YESNO ? IDYES : IDOK;
  }
};

// The table and its model list, made once by the search engine.
struct LongList {
  LongList() : data(LoadTable()), models(new DataResultList(data.get())) {
    SetWorkerThreadCount(3);
    ModelSearchEngine engine(ModelSearchEngine::ModeAllSubsets, models, data.get());
    engine.Activate();
    while (!engine.TimerWantsClose()) engine.IdleStep();
    SetWorkerThreadCount(0);
    std::fprintf(stderr, "%d models\n", models->Count());
  }
  void SelectAll() {
    for (DataResultNode* m = models->First(); m != nullptr; m = m->Next()) m->iSelStatus = 3;
  }
  // Selects `count` models spread over the list, unselects the others.
  void SelectSpread(int count) {
    const int every = std::max(models->Count() / count, 1);
    int i = 0;
    for (DataResultNode* m = models->First(); m != nullptr; m = m->Next(), ++i)
      m->iSelStatus = i % every == 0 && i / every < count ? 3 : 0;
  }
  std::unique_ptr<ChemoData> data;
  DataResultList* models;
};

LongList& List() {
  static LongList list;
  return list;
}

// The window on the list, its windows skipped; Accept keeps the list.
struct Window {
  explicit Window(ProgressWindowFactory progress = ProgressWindowsOver(nullptr))
      : form(nullptr, &List().models, List().data.get(), std::move(progress)) {
    form.ShowModalWindow = [](ModalDialog&) {};
    form.show();
    QCoreApplication::processEvents();
  }
  ~Window() { form.ButtonAcceptClick(); }
  TViewSelForm form;
};

// A digest of the cells the commands write in every model (the external
// statistics, the MCDM scores, the outlier and external counts, the stored
// leverages), whatever the order of the list: equal digests of two builds mean
// bit-identical results, provided both started from the same list (the digest
// after the set-up alone, BM_SetUpDigest, tells).
uint32_t ResultDigest() {
  uint64_t digest = 0;
  for (const DataResultNode* m = List().models->First(); m != nullptr; m = m->Next()) {
    uint64_t hash = 1469598103934665603ULL;
    auto add = [&hash](const void* bytes, std::size_t size) {
      for (std::size_t i = 0; i < size; ++i) hash = (hash ^ static_cast<const uint8_t*>(bytes)[i]) * 1099511628211ULL;
    };
    add(m->ipSelVarIdxPtr, sizeof(int32_t) * m->iSize);
    for (const CheckedValue* cell : {&m->cvQ2F1, &m->cvQ2F2, &m->cvQ2F3, &m->cvCCCext, &m->cvR2ext, &m->cvR2mAver,
                                     &m->cvMCDMfit, &m->cvMCDMcv, &m->cvMCDMext, &m->cvMCDMall}) {
      add(&cell->Missing, sizeof cell->Missing);
      add(&cell->Value, 10);  // the extended real's bytes, not its padding
    }
    for (const CheckedIntValue* cell : {&m->ciNExtOK, &m->ciNOutAD, &m->ciNXOutl, &m->ciNYOutlUndModEq,
                                        &m->ciNYOutlOverModEq, &m->ciNYOutlUndLOO, &m->ciNYOutlOverLOO})
      add(&cell->Value, sizeof cell->Value);
    for (const LeverageStruct* lev : {&m->tsTrainLev, &m->tsTestLev})
      for (int i = 0; i < lev->iCount; ++i) add(&lev->ldpValuePtr[i], 10);
    digest += hash;
  }
  return static_cast<uint32_t>(digest ^ (digest >> 32));
}

void LabelWithDigest(benchmark::State& state) {
  char digest[32];
  std::snprintf(digest, sizeof digest, "digest %08x", ResultDigest());
  state.SetLabel(digest);
}

// The list as the set-up made it, before any command.
void BM_SetUpDigest(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(List().models->Count());
  LabelWithDigest(state);
}

// Runs a command of the window opened on the list with `selected` models
// selected (all when 0), and reports the list's length and the resident memory
// before and after the window closes.
void RunCommand(benchmark::State& state, void (TViewSelForm::*command)(), int selected = 0) {
  AnsweringUi ui;
  InstallUi(&ui);
  if (selected == 0) {
    List().SelectAll();
  } else {
    List().SelectSpread(selected);
  }
  {
    Window window;
    for (auto _ : state) (window.form.*command)();
    state.counters["RSS_MB"] = benchsupport::ResidentMB();
  }
  state.counters["RSS_closed_MB"] = benchsupport::ResidentMB();
  LabelWithDigest(state);
  state.counters["models"] = List().models->Count();
}

void BM_ExternalValidationOfAll(benchmark::State& state) {
  RunCommand(state, &TViewSelForm::SpeedButtonExtValidationClick);
}
void BM_Mcdm(benchmark::State& state) { RunCommand(state, &TViewSelForm::SpeedButtonMultiCritClick); }
void BM_OutlierCounts(benchmark::State& state) { RunCommand(state, &TViewSelForm::SpeedButtonHatResClick); }
// Residuals PCA of a few selected models spread over the list.
void BM_ResidualsPca(benchmark::State& state) {
  RunCommand(state, &TViewSelForm::SpeedButtonPCAResClick, static_cast<int>(state.range(0)));
}

using Clock = std::chrono::steady_clock;

// Answers Yes, polls Escape as the program does, and presses Escape at the first
// poll once the decomposition has done escapeAt of its work (never when 0). It
// keeps the longest time between two polls of the decomposition and the time of
// the last answer.
class EscapingUi : public AnsweringUi {
public:
  explicit EscapingUi(double escapeAt) : escapeAt_(escapeAt) {}
  bool EscapePressed() override {
    const Clock::time_point now = Clock::now();
    if (decomposing && now - lastPoll_ > longestGap) {
      longestGap = now - lastPoll_;
      longestGapAt = share;
    }
    lastPoll_ = now;
    const bool pressed = AnsweringUi::EscapePressed();
    if (escapeAt_ > 0 && decomposing && share >= escapeAt_) {
      escapeAt_ = 0;
      return true;
    }
    return pressed;
  }
  int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override {
    answered = Clock::now();
    return AnsweringUi::MessageBox(text, caption, flags);
  }
  bool decomposing = false;  // the bar has started again from the left
  double share = 0;          // of the decomposition's work, from its bar
  Clock::duration longestGap{};
  double longestGapAt = 0;  // the share done when it ended
  std::optional<Clock::time_point> answered;

private:
  double escapeAt_;
  Clock::time_point lastPoll_;
};

// The window's progress window, telling the UI where the decomposition's bar is.
class WatchedProgress : public Progress {
public:
  WatchedProgress(std::unique_ptr<Progress> window, EscapingUi& ui) : window_(std::move(window)), ui_(ui) {}
  void SetText(const std::string& text) override { window_->SetText(text); }
  void SetRange(int lo, int hi) override { window_->SetRange(lo, hi); }
  void SetPosition(int pos) override {
    ui_.decomposing = ui_.decomposing || pos < last_;
    ui_.share = pos / 2147483647.0;
    last_ = pos;
    window_->SetPosition(pos);
  }
  void AnimationTick() override { window_->AnimationTick(); }
  void SetCaption(const std::string& caption) override { window_->SetCaption(caption); }

private:
  std::unique_ptr<Progress> window_;
  EscapingUi& ui_;
  int last_ = 0;
};

// The residuals PCA of range(0) models spread over the list; with range(1) > 0,
// Escape comes once the decomposition has done range(1) percent of its work and
// the question is answered Yes. Counters: the longest time between two Escape
// polls of the decomposition and the share of its work done when that gap ended,
// the share its bar showed last, and the time from the Yes to the command's return.
void BM_ResidualsPcaEscape(benchmark::State& state) {
  EscapingUi ui(state.range(1) / 100.0);
  InstallUi(&ui);
  List().SelectSpread(static_cast<int>(state.range(0)));
  ProgressWindowFactory windows = ProgressWindowsOver(nullptr);
  Window window([&ui, windows](bool animated) { return std::make_unique<WatchedProgress>(windows(animated), ui); });
  for (auto _ : state) {
    window.form.SpeedButtonPCAResClick();
    if (ui.answered)
      state.counters["yes_to_return_ms"] = std::chrono::duration<double, std::milli>(Clock::now() - *ui.answered).count();
  }
  state.counters["longest_poll_gap_ms"] = std::chrono::duration<double, std::milli>(ui.longestGap).count();
  state.counters["gap_at_share"] = ui.longestGapAt;
  state.counters["last_share"] = ui.share;
  state.counters["RSS_MB"] = benchsupport::ResidentMB();
}

BENCHMARK(BM_SetUpDigest)->Iterations(1);
BENCHMARK(BM_ExternalValidationOfAll)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_Mcdm)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_OutlierCounts)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_ResidualsPca)->Arg(2)->Arg(500)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
// 2,000 models run through; Escape at 5, 25, 60 and 85 % of the decomposition's
// work: in the correlation, the Householder reduction, the QL iteration and the scores.
BENCHMARK(BM_ResidualsPcaEscape)
    ->Args({2000, 0})
    ->Args({2000, 5})
    ->Args({2000, 25})
    ->Args({2000, 60})
    ->Args({2000, 85})
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace
