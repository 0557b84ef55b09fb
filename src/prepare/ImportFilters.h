// The two descriptor filters of the import: the constant filter (one value shared
// by too many objects) and the correlation filter (of two variables correlated
// above a threshold, the one more correlated with all the others goes).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "numerics/CheckedValue.h"

// The share threshold of a filter percentage: percent x 0.01 in extended precision,
// with 0.01 the double constant widened, so it lies just above percent / 100.
long double FilterThreshold(int percent);

// Whether some object's value is shared by a share of at least threshold of the
// objects with a present cell: for each object i but the last, the number of other
// present cells exactly equal to i's stored value (taken also when i is missing),
// over the number of present cells. A variable without any present cell counts as
// constant.
bool IsNearlyConstant(const long double* values, const uint8_t* missing, int count, long double threshold);

// The correlations the correlation filter asks for.
class PairCorrelations {
public:
  virtual ~PairCorrelations() = default;
  // Signed Pearson r of variables a and b; throws when it cannot be computed.
  virtual long double Correlation(int a, int b) = 0;
  // False only when r of the pair surely does not exceed threshold; a cheap screen
  // that spares the exact calculation of pairs that cannot count.
  virtual bool MayExceed(int a, int b, long double threshold) { return true; }
  // The correlations of v with each of others, in their order; failed[t] = 1 where
  // a pair cannot be computed. Implementations may compute them together.
  virtual void Correlations(int v, const std::vector<int>& others, std::vector<long double>& values,
                            std::vector<uint8_t>& failed);
};

class CorrelationFilter {
public:
  // columnKept: the variables still kept (changed in place); exempt: the variables
  // that are never dropped nor examined as pair members, though they count in the
  // scores. On equal scores a coin decides: a Mersenne Twister seeded from the class
  // library's generator, itself reseeded from the clock.
  CorrelationFilter(PairCorrelations& pairs, std::vector<bool>& columnKept, const std::vector<bool>& exempt);

  // The pair loop: for every kept, non-exempt j and later kept, non-exempt k whose r
  // exceeds threshold (strictly), the variable with the larger score goes; a failing
  // pair is passed over. step runs after each j.
  void Run(long double threshold, const std::function<void()>& step);

  // The cached score of variable v: the sum of its correlations with every other
  // kept variable, computed once, when v is first needed.
  void CorrelationScore(int v);
  const CheckedValue& Score(int v) const { return tpCorrCol[static_cast<std::size_t>(v)]; }

private:
  bool Examined(int v) const;
  void ExamineJ(int j, long double threshold);
  // Which of j and k goes, for a pair that counts; true: j.
  bool DropsFirst(int j, int k);

  PairCorrelations& pairs_;
  std::vector<bool>& bpColumnKept;
  const std::vector<bool>& exempt_;
  std::vector<CheckedValue> tpCorrCol;
};
