// The stack of variable subsets waiting to be fitted: last in, first out.
// An entry is either one subset or a whole range of subsets (a fixed prefix
// followed by every combination of the remaining positions), which is produced
// one subset at a time in the order the pushes of its single subsets would be
// taken from the stack: reverse lexicographic.
#pragma once

#include <cstdint>
#include <vector>

// One stack entry. Positions are positions in the selected-variable pool.
struct ModelDescr {
  std::vector<int> positions;   // single subset, or the fixed prefix of a range
  int size = 0;                 // k
  bool range = false;           // true: every completion of the prefix from `candidates`
  std::vector<int> candidates;  // admissible positions the range draws from, ascending
  std::vector<int> choice;      // indices into candidates of the next subset to hand out
};

class SubsetStack {
public:
  void PushSubset(const int* positions, int k);
  // Pushes all subsets made of `prefix` (depth positions) followed by k - depth
  // ascending positions taken from `candidates`; nothing when there are too few.
  void PushRange(const int* prefix, int depth, std::vector<int> candidates, int k);
  bool Empty() const { return entries_.empty(); }
  // The size of the largest subset waiting (0 when none).
  int LargestSize() const;
  // Takes the next subset into `out` (its size is the subset size).
  void Pop(std::vector<int>& out);
  void Clear() { entries_.clear(); }

private:
  std::vector<ModelDescr> entries_;
};

// Number of k-subsets of n elements, saturating at INT64_MAX.
int64_t CountCombinations(int n, int k);
