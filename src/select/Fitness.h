// Fitness direction of the search: ids 0 (Q2loo) and 1 (R2adj) are maximised,
// 2 (LOF) and 3 (RMSE cv) minimised. A missing fitness, and so a failed fit,
// ranks as the id's worst value and never wins.
#pragma once

#include <limits>

#include "numerics/CheckedValue.h"

namespace fitness {

inline bool IsMaximised(int id) { return id == 0 || id == 1; }

// Below (above) every finite value, so that any present fitness ranks better.
inline long double Worst(int id) {
  return IsMaximised(id) ? std::numeric_limits<long double>::lowest() : std::numeric_limits<long double>::max();
}

// The value a ranking compares.
inline long double Rank(const CheckedValue& cell, int id) { return cell.Missing ? Worst(id) : cell.Value; }

// a is strictly better than b.
inline bool Better(long double a, long double b, int id) { return IsMaximised(id) ? a > b : a < b; }

// The ascending flag of a best-first sort: descending for maximised ids.
inline bool BestFirstFlag(int id) { return !IsMaximised(id); }

}  // namespace fitness
