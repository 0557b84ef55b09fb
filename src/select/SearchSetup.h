// The arithmetic of the search set-up window: subset counts, the sizes the
// genetic algorithm may run, the models-per-size choices and the check of
// training objects per variable. No user interface here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The largest count the set-up handles: 2^31 - 1.
constexpr int32_t kCombinationCap = 2147483647;

// B(n, k): the product of max(k, n - k) + 1 .. n divided by min(k, n - k)!, in
// extended precision, rounded to the nearest whole number and capped at
// 2^31 - 1. B(n, 0) is 0, as is any k outside 1..n.
int32_t Binomial(int n, int k);

// B(n, 1) + .. + B(n, K) in extended precision (each term capped).
long double AllSubsetTotal(int n, int K);

// The model sizes the genetic algorithm may run from firstSize: firstSize,
// firstSize + 1, .. up to n, stopping at the first size s with B(n, s) < 2P.
std::vector<int> GaUntilSizes(int n, int firstSize, int population);

// A genetic algorithm from firstSize to until can run: every size between is
// one GaUntilSizes offers (at a size with fewer subsets than 2P it never ends).
bool GaSizesCanRun(int n, int firstSize, int until, int population);

// Too few training objects for models of `size` variables: objects / 5 < size.
bool TooFewObjectsPerVariable(int trainingObjects, int size);

// The models-per-size list ("10" .. "500", then "ALL"; with a genetic algorithm
// set up only the numbers not above the population size) and its choice.
struct KeepPerSizeChoice {
  std::vector<std::string> items;
  int index = 0;
  // The chosen number was lowered to the last one offered; the user is told.
  bool lowered = false;
};

// The choice that was made last: its index and whether it was "ALL". It lives
// for the program's session.
struct KeepPerSizeMemory {
  int index = 0;
  bool all = false;
};

// Refills the list and chooses again: "ALL" stays "ALL"; a number whose index
// lies beyond the last number offered becomes the last number (lowered is set
// unless quiet); a negative index becomes 0.
KeepPerSizeChoice FillKeepPerSize(bool gaSetUp, int population, const KeepPerSizeMemory& previous, bool quiet);

// The kept-per-size setting of an item: its number, or -1 for "ALL".
int KeepPerSizeValue(const std::string& item);
