#include "prepare/ImportFilters.h"

#include <algorithm>

#include "numerics/MersenneTwister.h"

long double FilterThreshold(int percent) {
  const double hundredth = 0.01;
  return static_cast<long double>(percent) * static_cast<long double>(hundredth);
}

bool IsNearlyConstant(const long double* values, const uint8_t* missing, int count, long double threshold) {
  std::vector<long double> present;
  present.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    if (!missing[i]) present.push_back(values[i]);
  if (present.empty()) return true;
  // Equal values counted on a sorted copy: the same counts as comparing every pair.
  std::sort(present.begin(), present.end());
  std::ptrdiff_t largest = 0;
  for (int i = 0; i + 1 < count; ++i) {
    const auto range = std::equal_range(present.begin(), present.end(), values[i]);
    const std::ptrdiff_t others = (range.second - range.first) - (missing[i] ? 0 : 1);
    largest = std::max(largest, others);
  }
  const long double share = static_cast<long double>(largest) / static_cast<long double>(present.size());
  return share >= threshold;
}

void PairCorrelations::Correlations(int v, const std::vector<int>& others, std::vector<long double>& values,
                                    std::vector<uint8_t>& failed) {
  values.assign(others.size(), 0.0L);
  failed.assign(others.size(), 0);
  for (std::size_t t = 0; t < others.size(); ++t) {
    try {
      values[t] = Correlation(v, others[t]);
    } catch (...) {
      failed[t] = 1;
    }
  }
}

CorrelationFilter::CorrelationFilter(PairCorrelations& pairs, std::vector<bool>& columnKept,
                                     const std::vector<bool>& exempt)
    : pairs_(pairs),
      bpColumnKept(columnKept),
      exempt_(exempt),
      tpCorrCol(columnKept.size(), CheckedValue().InitMissing()) {}

bool CorrelationFilter::Examined(int v) const {
  const auto i = static_cast<std::size_t>(v);
  return bpColumnKept[i] && !exempt_[i];
}

void CorrelationFilter::Run(long double threshold, const std::function<void()>& step) {
  const int count = static_cast<int>(bpColumnKept.size());
  for (int j = 0; j < count; ++j) {
    step();
    if (Examined(j)) ExamineJ(j, threshold);
  }
}

void CorrelationFilter::ExamineJ(int j, long double threshold) {
  const int count = static_cast<int>(bpColumnKept.size());
  for (int k = j + 1; k < count; ++k) {
    if (!Examined(k) || !pairs_.MayExceed(j, k, threshold)) continue;
    try {
      if (!(pairs_.Correlation(j, k) > threshold)) continue;
      CorrelationScore(j);
      CorrelationScore(k);
      if (DropsFirst(j, k)) {
        bpColumnKept[static_cast<std::size_t>(j)] = false;
        return;
      }
      bpColumnKept[static_cast<std::size_t>(k)] = false;
    } catch (...) {
      // A pair that cannot be computed leaves both variables alone.
    }
  }
}

bool CorrelationFilter::DropsFirst(int j, int k) {
  const long double scoreJ = Score(j).Value;
  const long double scoreK = Score(k).Value;
  if (scoreJ != scoreK) return scoreJ > scoreK;
  MersenneTwister coin(0);
  coin.SeedFromSystem();
  return coin.RandomInt(2) == 1;
}

void CorrelationFilter::CorrelationScore(int v) {
  CheckedValue& score = tpCorrCol[static_cast<std::size_t>(v)];
  if (!bpColumnKept[static_cast<std::size_t>(v)] || !score.Missing) return;
  std::vector<int> others;
  const int count = static_cast<int>(bpColumnKept.size());
  for (int w = 0; w < count; ++w)
    if (w != v && bpColumnKept[static_cast<std::size_t>(w)]) others.push_back(w);
  std::vector<long double> r;
  std::vector<uint8_t> failed;
  pairs_.Correlations(v, others, r, failed);
  long double sum = 0.0L;
  for (std::size_t t = 0; t < others.size(); ++t)
    if (!failed[t]) sum += r[t];  // a failing pair adds nothing
  score = CheckedValue(sum, false);
}
