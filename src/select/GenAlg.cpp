#include "select/GenAlg.h"

#include <algorithm>
#include <atomic>
#include <numeric>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "numerics/MersenneTwister.h"
#include "numerics/Sorts.h"
#include "numerics/Utils.h"
#include "platform/base/NumberText.h"
#include "platform/base/Random.h"
#include "platform/base/UiServices.h"
#include "select/Fitness.h"
#include "select/ModelSearchEngine.h"
#include "select/ModelStatistics.h"
#include "select/SubsetFitter.h"
#include "select/SubsetScreen.h"
#include "platform/base/WorkerThreads.h"

namespace {

const char* const kGaWarning = "APPLICATION WARNING (genetic algorithm)";
// Bound of every retry loop: draws of one individual, of one gene, of a tournament.
constexpr int kMaxAttempts = 1000;

// The generator of one generation: seeded through the class library's generator
// after that one was re-seeded from the clock.
MersenneTwister GenerationGenerator() {
  Randomize();
  return MersenneTwister(1 + Random(LargestInt()));
}

class TwisterDraws : public GaDraws {
public:
  explicit TwisterDraws(MersenneTwister twister) : twister_(twister) {}
  int Int(int n) override { return static_cast<int>(twister_.RandomInt(static_cast<uint32_t>(n))); }

private:
  MersenneTwister twister_;
};

// The generator of one seeding stage: seeded through the class library's generator,
// then re-seeded from it after its re-seeding from the clock.
MersenneTwister SeedingGenerator() {
  MersenneTwister generator(1 + Random(LargestInt()));
  generator.SeedFromSystem();
  return generator;
}

// 2 P for a population size P of at least 1 whose double is an int.
int DoubledPopulation(int p) {
  if (p < 1 || p > LargestInt() / 2)
    throw Exception("Invalid population size for the genetic algorithm: " + IntToStr(p));
  return 2 * p;
}

}  // namespace

GenAlg::GenAlg(ModelSearchEngine& owner, ChemoData* data, DataResultList* models, const Matrix* trainingResponse,
               int nTrain, const uint8_t* trainingMask)
    : owner_(owner),
      data_(data),
      models_(models),
      response_(trainingResponse),
      nTrain_(nTrain),
      mask_(trainingMask),
      twoP_(DoubledPopulation(data->iGAPopSize)),
      k_(data->iGAFirstSize),
      p_(data->iGAPopSize),
      id_(data->iFitnessFunc) {
  poolPositionOf_.assign(data_->iVarCount, -1);
  for (int j = data_->iSelectedVarCount - 1; j >= 0; --j) poolPositionOf_[data_->ipSelectedVarPtr[j]] = j;
  fitter_ = std::make_unique<SubsetFitter>(*data_, mask_, nTrain_, *response_);
  poolGram_ = std::make_shared<const PoolGram>(*data_, mask_, nTrain_, *response_);
  fitter_->UsePoolGram(poolGram_);

  population_.assign(twoP_, EmptyIndividual());
  BuildInitialPopulation();
  ScoreInitialPopulation();
  scratchA_ = population_;
  scratchB_ = population_;

  owner_.View().SelectBestPerSizeItem(1);
  ChooseModelsPerSize(1);
  SetDisplayCount(owner_.DisplayCountChoice());
  owner_.View().StatusText("Running genetic algorithm: " + IntToStr(k_) + " variables");
  RunGeneration();
  running_ = true;
}

GenAlg::~GenAlg() = default;

GenPop GenAlg::EmptyIndividual() const {
  GenPop individual;
  individual.genes.assign(k_, -1);
  individual.size = k_;
  individual.fitness = CheckedValue(fitness::Worst(id_), true);
  return individual;
}

long double GenAlg::RankOf(const CheckedValue& value) const { return fitness::Rank(value, id_); }

// The positions of the entries sorted best first by the network sort; a missing
// fitness ranks as the worst value.
std::vector<int> GenAlg::BestFirstOrder(const std::vector<GenPop>& entries) const {
  const int n = static_cast<int>(entries.size());
  std::vector<long double> values(n);
  std::vector<int> order(n);
  for (int i = 0; i < n; ++i) {
    values[i] = RankOf(entries[i].fitness);
    order[i] = i;
  }
  SortWithIndex(values.data(), order.data(), 0, n - 1, fitness::BestFirstFlag(id_));
  return order;
}

int GenAlg::PoolPosition(int variable) const {
  return (variable >= 0 && variable < static_cast<int>(poolPositionOf_.size())) ? poolPositionOf_[variable] : -1;
}

// ---- Seeding ----------------------------------------------------------------

// The list's models, best first; a missing fitness ranks last.
void GenAlg::BuildSortedModels() {
  std::vector<GenPop> models;
  for (const DataResultNode* node = models_->First(); node; node = node->Next()) {
    GenPop model;
    model.genes.assign(node->ipSelVarIdxPtr, node->ipSelVarIdxPtr + node->iSize);
    model.size = node->iSize;
    model.fitness = FitnessCell(*node, id_);
    models.push_back(std::move(model));
  }
  for (int i : BestFirstOrder(models)) sortedModels_.push_back(models[i]);
}

void GenAlg::BuildInitialPopulation() {
  owner_.View().StatusText("Sorting models for seeding GA, please wait...");
  try {
    BuildSortedModels();
  } catch (...) {
    ShowSearchException("APPLICATION WARNING", "Cannot sort data");
  }
  int largest = 0;
  for (const GenPop& model : sortedModels_) largest = std::max(largest, model.size);
  owner_.View().StatusText("Populating GA, please wait...");
  int emptyCount = 0;
  if (largest >= k_)
    SeedFromSameSizeModels(emptyCount);
  else
    SeedByExtendingModels(emptyCount);
  if (emptyCount > 0)
    Ui().MessageBox("Cannot build " + IntToStr(emptyCount) + " of the " + IntToStr(p_) +
                        " individuals of the genetic algorithm from the models found: they stay empty.",
                    kGaWarning, MB_OK | MB_ICONWARNING);
}

// Copies `base` into the first genes and fills the rest with distinct random pool
// variables; false when no free variable was found within the bound.
bool GenAlg::ExtendModel(const GenPop& base, GenPop& individual, MersenneTwister& random) {
  individual = EmptyIndividual();
  const int kept = std::min(base.size, k_);
  std::copy(base.genes.begin(), base.genes.begin() + kept, individual.genes.begin());
  const int poolSize = data_->iSelectedVarCount;
  if (kept < k_ && poolSize == 0) return false;
  for (int t = kept; t < k_; ++t) {
    int attempt = 0;
    do {
      if (++attempt > kMaxAttempts) return false;
      individual.genes[t] = data_->ipSelectedVarPtr[random.RandomInt(poolSize)];
    } while (std::find(individual.genes.begin(), individual.genes.begin() + t, individual.genes[t]) !=
             individual.genes.begin() + t);
  }
  return true;
}

bool GenAlg::EqualsSizeKModel(const GenPop& individual) const {
  for (const GenPop& model : sortedModels_) {
    if (model.size != k_) continue;
    if (std::is_permutation(model.genes.begin(), model.genes.end(), individual.genes.begin())) return true;
  }
  return false;
}

// The size-k models nearest the end of the best-first list, then individuals made
// of a size k-1 model (or, with none, of nothing) plus random pool variables.
void GenAlg::SeedFromSameSizeModels(int& emptyCount) {
  int filled = 0;
  const int last = static_cast<int>(sortedModels_.size()) - 1;
  for (int j = last; j >= 0 && filled < p_; --j)
    if (sortedModels_[j].size == k_) population_[filled++].genes = sortedModels_[j].genes;
  if (filled == p_) return;

  std::vector<int> bases;
  for (int j = 0; j <= last; ++j)
    if (sortedModels_[j].size == k_ - 1) bases.push_back(j);
  const GenPop nothing;
  MersenneTwister random = SeedingGenerator();
  for (; filled < p_; ++filled) {
    GenPop& individual = population_[filled];
    bool accepted = false;
    for (int attempt = 0; attempt < kMaxAttempts && !accepted; ++attempt) {
      const GenPop& base = bases.empty() ? nothing
                                         : sortedModels_[bases[random.RandomInt(static_cast<uint32_t>(bases.size()))]];
      accepted = ExtendModel(base, individual, random) && !EqualsSizeKModel(individual) &&
                 !IsRejectedChild(population_, filled, individual);
    }
    if (!accepted) {
      individual = EmptyIndividual();
      ++emptyCount;
    }
  }
}

// Each individual extends the next model from the end of the list (wrapping round)
// with random pool variables; an empty list extends nothing.
void GenAlg::SeedByExtendingModels(int& emptyCount) {
  const int last = static_cast<int>(sortedModels_.size()) - 1;
  const GenPop nothing;
  MersenneTwister random = SeedingGenerator();
  int next = last;
  for (int i = 0; i < p_; ++i) {
    const GenPop& base = last < 0 ? nothing : sortedModels_[next];
    next = (next <= 0) ? last : next - 1;
    GenPop& individual = population_[i];
    bool accepted = false;
    for (int attempt = 0; attempt < kMaxAttempts && !accepted; ++attempt)
      accepted = ExtendModel(base, individual, random) && (i == 0 || !IsRejectedChild(population_, i, individual));
    if (!accepted) {
      individual = EmptyIndividual();
      ++emptyCount;
    }
  }
}

// ---- Fitness and rejection --------------------------------------------------------

// Each individual's genes sorted and scored; the fast path scores them on worker
// threads and keeps their scores for the first generation's parents.
void GenAlg::ScoreInitialPopulation() {
  if (!SearchFastPaths()) {
    for (int i = 0; i < p_; ++i) {
      bool quikPassed = false;
      population_[i].fitness = EvaluateFitness(k_, population_[i].genes.data(), quikPassed);
    }
    return;
  }
  std::vector<int> slots(static_cast<std::size_t>(p_));
  std::iota(slots.begin(), slots.end(), 0);
  std::vector<CheckedValue> fitness;
  ScoreSlots(population_, slots, fitness);
  for (int i = 0; i < p_; ++i) {
    SortGenes(k_, population_[i].genes.data());
    population_[i].fitness = fitness[static_cast<std::size_t>(i)];
  }
}

CheckedValue GenAlg::EvaluateFitness(int k, int* genes, bool& quikPassed) {
  SortGenes(k, genes);
  return ScoreGenes(*fitter_, k, genes, quikPassed);
}

bool GenAlg::SortGenes(int k, int* genes) const {
  if (k < 1 || std::any_of(genes, genes + k, [](int g) { return g < 0; })) return false;
  SortIntArray(genes, nullptr, 0, k - 1, true);
  return true;
}

CheckedValue GenAlg::ScoreGenes(SubsetFitter& fitter, int k, const int* genes, bool& quikPassed) const {
  quikPassed = false;
  const CheckedValue worst(fitness::Worst(id_), true);
  if (k < 1 || std::any_of(genes, genes + k, [](int g) { return g < 0; })) return worst;
  fitter.Load(genes, k);
  if (data_->ldQuikDelta >= 0.0L) {
    fitter.ComputeKIndices();
    if (!fitter.PassesQuik(data_->ldQuikDelta)) return worst;
  }
  quikPassed = true;
  return fitter.Fitness(id_, data_->ldLOFSmoothing);
}

// The genes of each slot sorted as EvaluateFitness sorts them; a set of genes scored
// before (in this or an earlier generation) takes its fitness from the cache, the
// others are scored on worker threads, each with a fitter of its own taking the
// next one left. Scoring is a function of the sorted genes, so the cache gives the
// same bits as scoring again.
void GenAlg::ScoreSlots(const std::vector<GenPop>& current, const std::vector<int>& slots,
                        std::vector<CheckedValue>& fitness) {
  fitness.assign(slots.size(), CheckedValue(fitness::Worst(id_), true));
  std::vector<std::vector<int>> genes(slots.size());
  std::vector<std::size_t> unscored;
  for (std::size_t t = 0; t < slots.size(); ++t) {
    genes[t] = current[static_cast<std::size_t>(slots[t])].genes;
    SortGenes(k_, genes[t].data());
    const auto cached = fitnessCache_.find(genes[t]);
    if (cached != fitnessCache_.end())
      fitness[t] = cached->second;
    else
      unscored.push_back(t);
  }
  const int tasks = std::min(WorkerThreadCount(), static_cast<int>(unscored.size()));
  while (static_cast<int>(workers_.size()) < tasks) {
    workers_.push_back(std::make_unique<SubsetFitter>(*data_, mask_, nTrain_, *response_));
    workers_.back()->UsePoolGram(poolGram_);
  }
  std::atomic<std::size_t> next{0};
  ParallelFor(tasks, 1e9, [&](int task) {
    for (std::size_t u = next++; u < unscored.size(); u = next++) {
      const std::size_t t = unscored[u];
      bool quikPassed = false;
      fitness[t] = ScoreGenes(*workers_[static_cast<std::size_t>(task)], k_, genes[t].data(), quikPassed);
    }
  });
  // The cache is bounded: emptied when full, it fills again from the population.
  constexpr std::size_t kMaxCached = 200000;
  if (fitnessCache_.size() + unscored.size() > kMaxCached) fitnessCache_.clear();
  for (std::size_t t : unscored) fitnessCache_.emplace(std::move(genes[t]), fitness[t]);
}

int GenAlg::CountGene(const GenPop& individual, int poolPosition, int lastGene) const {
  const int variable = data_->ipSelectedVarPtr[poolPosition];
  return static_cast<int>(std::count(individual.genes.begin(), individual.genes.begin() + lastGene + 1, variable));
}

bool GenAlg::IsRejectedChild(const std::vector<GenPop>& population, int count, const GenPop& child) {
  const auto& genes = child.genes;
  for (std::size_t t = 0; t < genes.size(); ++t) {
    if (genes[t] < 0) return true;
    if (std::find(genes.begin() + t + 1, genes.end(), genes[t]) != genes.end()) return true;
  }
  for (int i = 0; i < count; ++i) {
    const GenPop& individual = population[i];
    int shared = 0;
    for (int t = 0; t < individual.size && t < child.size; ++t) {
      const int position = PoolPosition(genes[t]);
      if (position < 0) {
        if (!poolWarningShown_) {
          poolWarningShown_ = true;
          Ui().MessageBox("Cannot find nucleotide indexed as: " + IntToStr(data_->iSelectedVarCount) +
                              ". The program was looking for variable: " + IntToStr(genes[t]) +
                              ". Internal error, please check.",
                          kGaWarning, MB_OK | MB_ICONWARNING);
        }
        return false;
      }
      shared += CountGene(individual, position, individual.size - 1);
    }
    if (shared >= individual.size) return true;
  }
  return false;
}

// ---- One generation ---------------------------------------------------------------

int GenAlg::Tournament(GaDraws& draws, std::vector<GenPop>& current, int exclude) {
  int a = 0, b = 0;
  for (int round = 0; round < kMaxAttempts; ++round) {
    a = draws.Int(p_);
    b = draws.Int(p_);
    for (int attempt = 0; a == b && attempt < kMaxAttempts; ++attempt) {
      a = draws.Int(p_);
      b = draws.Int(p_);
    }
    if (a == b) b = (a + 1) % p_;
    bool quikPassed = false;
    long double fa = 0.0L, fb = 0.0L;
    if (parentFitness_.empty()) {
      fa = RankOf(EvaluateFitness(k_, current[a].genes.data(), quikPassed));
      fb = RankOf(EvaluateFitness(k_, current[b].genes.data(), quikPassed));
    } else {  // scored at the start of the generation; the genes are sorted as then
      SortGenes(k_, current[a].genes.data());
      SortGenes(k_, current[b].genes.data());
      fa = RankOf(parentFitness_[static_cast<std::size_t>(a)]);
      fb = RankOf(parentFitness_[static_cast<std::size_t>(b)]);
    }
    bool bWins = fitness::IsMaximised(id_) ? fb >= fa : fb <= fa;
    if (current[a].Empty() != current[b].Empty()) bWins = current[a].Empty();
    const int winner = bWins ? b : a;
    if (winner != exclude) return winner;
  }
  return a == exclude ? b : a;
}

void GenAlg::MakeChildren(GaDraws& draws, std::vector<GenPop>& current, int pair) {
  const int first = Tournament(draws, current, -1);
  const int second = Tournament(draws, current, first);
  const GenPop& parent0 = current[first];
  const GenPop& parent1 = current[second];
  const int cut = draws.Int(k_ - 1);
  GenPop children[2] = {parent0, parent1};
  for (int g = cut + 1; g < k_; ++g) {
    children[0].genes[g] = parent1.genes[g];
    children[1].genes[g] = parent0.genes[g];
  }
  if (draws.Int(data_->iGAMutation) == 0 && data_->iSelectedVarCount > 0) {
    const int gene = draws.Int(k_);
    const int child = draws.Int(2) == 1 ? 0 : 1;
    children[child].genes[gene] = data_->ipSelectedVarPtr[draws.Int(data_->iSelectedVarCount)];
  }
  for (int j = 0; j < 2; ++j) {
    GenPop& slot = current[p_ + pair + j];
    slot.fitness.Missing = true;
    if (IsRejectedChild(current, twoP_, children[j])) continue;
    slot = children[j];
    if (parentFitness_.empty()) {
      bool quikPassed = false;
      slot.fitness = EvaluateFitness(k_, slot.genes.data(), quikPassed);
    } else {  // scored at the end of the generation: no tournament draws from here
      SortGenes(k_, slot.genes.data());
      unscoredChildren_.push_back(p_ + pair + j);
    }
  }
}

void GenAlg::RunGeneration() {
  try {
    TwisterDraws random(GenerationGenerator());
    std::vector<GenPop>& current = (generation_ % 2 == 1) ? scratchB_ : scratchA_;
    std::vector<GenPop>& other = (generation_ % 2 == 1) ? scratchA_ : scratchB_;
    for (int s = p_; s < twoP_; ++s) current[s] = EmptyIndividual();
    // The fast path scores the parents before the tournaments and the children after
    // them, on worker threads; the draws and decisions stay in order.
    parentFitness_.clear();
    unscoredChildren_.clear();
    if (SearchFastPaths()) {
      std::vector<int> parents(static_cast<std::size_t>(p_));
      std::iota(parents.begin(), parents.end(), 0);
      ScoreSlots(current, parents, parentFitness_);
    }
    for (int i = 0; i < p_ - 1; i += 2) MakeChildren(random, current, i);
    if (!unscoredChildren_.empty()) {
      std::vector<CheckedValue> childFitness;
      ScoreSlots(current, unscoredChildren_, childFitness);
      for (std::size_t t = 0; t < unscoredChildren_.size(); ++t)
        current[static_cast<std::size_t>(unscoredChildren_[t])].fitness = childFitness[t];
    }
    parentFitness_.clear();
    const std::vector<int> positions = BestFirstOrder(current);
    for (int s = 0; s < p_; ++s) other[s] = current[positions[s]];
    owner_.View().GaIterationText(IntToStr(generation_));
    ++generation_;
    if (owner_.DisplayResults()) ShowBestModels();
  } catch (...) {
    ShowSearchException(kGaWarning, "Cannot execute genetic algorithm.");
  }
}

// ---- Display ---------------------------------------------------------------------

void GenAlg::ChooseModelsPerSize(int n) {
  chosenModels_.clear();
  for (int size = 1; size < k_; ++size) {
    int taken = 0;
    for (const GenPop& model : sortedModels_)
      if (model.size == size && taken < n) {
        chosenModels_.push_back(model);
        ++taken;
      }
  }
}

void GenAlg::SetDisplayCount(int n) { displayCount_ = std::clamp(n, 0, p_); }

void GenAlg::ShowBestModels() {
  std::vector<GenPop> shown = chosenModels_;
  const std::vector<GenPop>& best = Best();
  shown.insert(shown.end(), best.begin(), best.begin() + displayCount_);
  const int n = static_cast<int>(shown.size());
  const std::vector<int> order = BestFirstOrder(shown);
  std::vector<SearchGridRow> rows;
  for (int i = 0; i < n; ++i) {
    const GenPop& entry = shown[order[i]];
    if (entry.Empty()) continue;
    SearchGridRow row;
    row.rank = i + 1;
    row.fitness = entry.fitness.Missing ? "" : GridFitnessText(entry.fitness.Value);
    row.size = entry.size;
    for (int variable : entry.genes) row.descriptors += data_->tpVarNameStrPtr[variable] + " ";
    rows.push_back(std::move(row));
  }
  owner_.View().SetGridRows(n + 1);
  owner_.View().ShowGaModels(rows);
}
