#include "select/SubsetStack.h"

#include <algorithm>
#include <limits>

void SubsetStack::PushSubset(const int* positions, int k) {
  ModelDescr entry;
  entry.positions.assign(positions, positions + k);
  entry.size = k;
  entries_.push_back(std::move(entry));
}

void SubsetStack::PushRange(const int* prefix, int depth, std::vector<int> candidates, int k) {
  const int free = k - depth;
  const int n = static_cast<int>(candidates.size());
  if (free <= 0 || free > n) return;
  ModelDescr entry;
  entry.positions.assign(prefix, prefix + depth);
  entry.size = k;
  entry.range = true;
  entry.candidates = std::move(candidates);
  // The lexicographically last combination is taken first.
  entry.choice.resize(free);
  for (int i = 0; i < free; ++i) entry.choice[i] = n - free + i;
  entries_.push_back(std::move(entry));
}

// Steps `choice` to its lexicographic predecessor; false after the first combination.
static bool PreviousCombination(std::vector<int>& choice, int n) {
  const int free = static_cast<int>(choice.size());
  for (int i = free - 1; i >= 0; --i) {
    const int lowest = (i == 0) ? 0 : choice[i - 1] + 1;
    if (choice[i] > lowest) {
      --choice[i];
      for (int j = i + 1; j < free; ++j) choice[j] = n - free + j;
      return true;
    }
  }
  return false;
}

int SubsetStack::LargestSize() const {
  int largest = 0;
  for (const ModelDescr& entry : entries_) largest = std::max(largest, entry.size);
  return largest;
}

void SubsetStack::Pop(std::vector<int>& out) {
  ModelDescr& top = entries_.back();
  out.assign(top.positions.begin(), top.positions.end());
  if (!top.range) {
    entries_.pop_back();
    return;
  }
  for (int index : top.choice) out.push_back(top.candidates[index]);
  if (!PreviousCombination(top.choice, static_cast<int>(top.candidates.size()))) entries_.pop_back();
}

int64_t CountCombinations(int n, int k) {
  if (k < 0 || k > n) return 0;
  if (k > n - k) k = n - k;
  // C(n, i) = C(n, i - 1) * (n - k + i) / i stays an integer at every step.
  unsigned __int128 count = 1;
  const auto limit = static_cast<unsigned __int128>(std::numeric_limits<int64_t>::max());
  for (int i = 1; i <= k; ++i) {
    count = count * static_cast<unsigned>(n - k + i) / static_cast<unsigned>(i);
    if (count > limit) return std::numeric_limits<int64_t>::max();
  }
  return static_cast<int64_t>(count);
}
