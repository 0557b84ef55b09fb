// Times the import of a table with both descriptor filters on: the shared ChEMBL
// table (KORVANE_BENCH_DATA names its folder, /work/shared/data by default) and
// generated tables, on a given number of worker threads, with the peak memory.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "data/ChemoData.h"
#include "platform/base/NumberText.h"
#include "platform/base/WorkerThreads.h"
#include "support/Memory.h"
#include "prepare/DataImport.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Descriptors in groups of four: a random base, a near copy of it, an unrelated
// column and a column with few distinct values.
std::string GeneratedTable(int objects, int descriptors) {
  std::mt19937 random(11);
  std::normal_distribution<double> noise;
  std::string text = "Name";
  for (int j = 0; j < descriptors; ++j) text += "\tD" + std::to_string(j);
  text += "\r\n";
  std::vector<double> base(static_cast<std::size_t>(descriptors));
  for (int i = 0; i < objects; ++i) {
    text += "Obj" + std::to_string(i);
    for (int j = 0; j < descriptors; ++j) {
      double value = noise(random);
      if (j % 4 == 1) value = base[static_cast<std::size_t>(j - 1)] + 0.05 * value;
      if (j % 4 == 3) value = static_cast<double>(random() % 3);
      base[static_cast<std::size_t>(j)] = value;
      text += "\t" + FloatToStrF(value, FloatFormat::General, 15, 0);
    }
    text += "\r\n";
  }
  return text;
}

using benchsupport::PeakMemoryMB;
using benchsupport::ResetPeakMemory;

// The import as the program runs it from the file's bytes: the table takes the bytes
// over, the import reads it, filters and fills the data set.
int ImportBothFilters(std::string bytes) {
  ImportSettings settings;
  settings.ConstFilter = true;
  settings.CorrFilter = true;
  const TextTableCells cells(ReadDelimitedTable(std::move(bytes), '\t'));
  DataImport import(cells, settings);
  import.ReadValues(nullptr);
  import.FilterConstant(nullptr);
  import.FilterCorrelated(nullptr);
  ChemoData data;
  import.Fill(data);
  return data.iVarCount;
}

void BM_ImportChembl(benchmark::State& state) {
  const char* folder = std::getenv("KORVANE_BENCH_DATA");
  const std::string text = ReadFile(std::string(folder != nullptr ? folder : "/work/shared/data") + "/chembl-1017.txt");
  if (text.empty()) {
    state.SkipWithError("chembl-1017.txt not found");
    return;
  }
  SetWorkerThreadCount(static_cast<int>(state.range(0)));
  int kept = 0;
  for (auto _ : state) kept = ImportBothFilters(text);
  state.counters["kept"] = kept;
  SetWorkerThreadCount(0);
}
BENCHMARK(BM_ImportChembl)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

// objects, descriptors, threads. The peak memory counts from the generated text on.
void BM_ImportGenerated(benchmark::State& state) {
  SetWorkerThreadCount(static_cast<int>(state.range(2)));
  int kept = 0;
  double peak = 0.0;
  for (auto _ : state) {
    state.PauseTiming();
    std::string text = GeneratedTable(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    text.shrink_to_fit();
    ResetPeakMemory();
    state.ResumeTiming();
    kept = ImportBothFilters(std::move(text));
    peak = PeakMemoryMB();
  }
  state.counters["kept"] = kept;
  state.counters["peak_MB"] = peak;
  SetWorkerThreadCount(0);
}
BENCHMARK(BM_ImportGenerated)
    ->Args({5000, 2000, 1})
    ->Args({5000, 2000, 4})
    ->Args({5000, 2000, 8})
    ->Args({30, 20000, 4})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
