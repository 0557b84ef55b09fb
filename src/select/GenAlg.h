// The genetic algorithm of one model size: a population of P variable sets of
// size k, seeded from the models found, improved one generation at a time by
// tournaments, one-point crossover and mutation; the best P of parents and
// children survive. Each generation draws from a fresh Mersenne Twister seeded
// through the class library's generator.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "numerics/CheckedValue.h"

class ChemoData;
class DataResultList;
class Matrix;
class MersenneTwister;
class ModelSearchEngine;
class SubsetFitter;
struct PoolGram;

// One individual: data-set variable indices (each in the pool), or all -1 when
// the slot is empty.
struct GenPop {
  std::vector<int> genes;
  int size = 0;
  CheckedValue fitness{0.0L, true};

  bool Empty() const { return genes.empty() || genes[0] < 0; }
};

// The draws of one generation's operators: an integer in 0 .. n-1.
class GaDraws {
public:
  virtual ~GaDraws() = default;
  virtual int Int(int n) = 0;
};

class GenAlg {
public:
  // Builds and scores the first population and runs the first generation.
  GenAlg(ModelSearchEngine& owner, ChemoData* data, DataResultList* models, const Matrix* trainingResponse,
         int nTrain, const uint8_t* trainingMask);
  ~GenAlg();
  GenAlg(const GenAlg&) = delete;
  GenAlg& operator=(const GenAlg&) = delete;

  void RunGeneration();
  bool IsRunning() const { return running_; }
  int TrainingCount() const { return nTrain_; }
  int Generations() const { return generation_; }
  // Individual i (< 2P) of the scratch that holds the best P, best first.
  GenPop CopyIndividual(int i) const { return Best()[i]; }
  // Shows the first n models of each smaller size beside the population.
  void ChooseModelsPerSize(int n);
  // Shows n individuals, n taken into 0..P.
  void SetDisplayCount(int n);
  void ShowBestModels();

  // The fitness of k genes (sorted ascending in place); quikPassed tells whether
  // the QUIK rule let them through. An empty individual is never fitted.
  CheckedValue EvaluateFitness(int k, int* genes, bool& quikPassed);
  // A child with a repeated or empty gene, or equal as a set to one of the first
  // `count` individuals of `population`.
  bool IsRejectedChild(const std::vector<GenPop>& population, int count, const GenPop& child);
  // How often the variable at pool position `poolPosition` occurs among genes 0..lastGene.
  int CountGene(const GenPop& individual, int poolPosition, int lastGene) const;
  // A tournament of two distinct individuals among the first P of current; the
  // second drawn wins ties, an empty individual never beats a filled one. A winner
  // equal to `exclude` is drawn again; at the bound the other contestant wins.
  int Tournament(GaDraws& draws, std::vector<GenPop>& current, int exclude);
  // Two tournaments, a one-point crossover after gene 0..k-2 and, with probability
  // 1 in m, one mutated gene; the children go to slots P + pair and P + pair + 1.
  void MakeChildren(GaDraws& draws, std::vector<GenPop>& current, int pair);

private:
  const std::vector<GenPop>& Best() const { return (generation_ % 2 == 1) ? scratchB_ : scratchA_; }
  long double RankOf(const CheckedValue& fitness) const;
  std::vector<int> BestFirstOrder(const std::vector<GenPop>& entries) const;
  int PoolPosition(int variable) const;
  GenPop EmptyIndividual() const;
  void BuildSortedModels();
  void BuildInitialPopulation();
  void SeedFromSameSizeModels(int& emptyCount);
  void SeedByExtendingModels(int& emptyCount);
  bool ExtendModel(const GenPop& base, GenPop& individual, MersenneTwister& random);
  bool EqualsSizeKModel(const GenPop& individual) const;
  // Sorts and scores the first population's individuals.
  void ScoreInitialPopulation();
  // The fitness of genes that EvaluateFitness has sorted (or left, when empty).
  CheckedValue ScoreGenes(SubsetFitter& fitter, int k, const int* genes, bool& quikPassed) const;
  // Sorts the genes as EvaluateFitness does; false when they cannot be scored.
  bool SortGenes(int k, int* genes) const;
  // The fitness of current[slots[t]] for every t, on worker threads, into fitness.
  void ScoreSlots(const std::vector<GenPop>& current, const std::vector<int>& slots,
                  std::vector<CheckedValue>& fitness);

  std::vector<GenPop> population_;
  ModelSearchEngine& owner_;
  ChemoData* data_;
  DataResultList* models_;
  const Matrix* response_;
  int nTrain_;
  const uint8_t* mask_;
  bool running_ = false;
  int generation_ = 0;
  int twoP_;
  int displayCount_ = 0;
  std::vector<GenPop> sortedModels_;
  std::vector<GenPop> scratchA_, scratchB_;
  std::vector<GenPop> chosenModels_;

  int k_;
  int p_;
  int id_;
  std::vector<int> poolPositionOf_;  // data-set variable -> first pool position, -1 if absent
  std::unique_ptr<SubsetFitter> fitter_;
  std::vector<std::unique_ptr<SubsetFitter>> workers_;  // one per worker thread
  std::shared_ptr<const PoolGram> poolGram_;
  // During a fast generation: the fitness of individuals 0 .. P - 1 of current, and
  // the offspring slots whose fitness is left for the end of the generation.
  std::vector<CheckedValue> parentFitness_;
  std::vector<int> unscoredChildren_;
  std::map<std::vector<int>, CheckedValue> fitnessCache_;  // by sorted genes, on the fast path
  bool poolWarningShown_ = false;  // the missing-pool-variable report is shown once
};
