// Batcher's odd-even merge sort network over positions lo..hi, ascending or
// descending, moving an optional parallel payload array along with the values.
// Equal values are never exchanged; the network is not stable.
#pragma once

#include <cstdint>
#include <utility>

// The network itself: keys[lo..hi] sorted in place, payload (may be null) moved
// with its key; onPass() runs once per merge width p. For each j the network
// compares positions i + j and i + j + k for i below k only: the pairs a scan
// up to n - j - k adds are either in order already or repeated by a later j, so
// the result (ties included) is the same, at n log^2 n comparisons instead of
// n^2 log n.
template <typename Key, typename Payload, typename OnPass>
void BatcherSortNetwork(Key* keys, Payload* payload, int32_t lo, int32_t hi, bool ascending, OnPass&& onPass) {
  const int64_t n = static_cast<int64_t>(hi) - lo + 1;
  for (int64_t p = 1; p < n; p *= 2) {
    onPass();
    for (int64_t k = p; k >= 1; k /= 2)
      for (int64_t j = k % p; j + k < n; j += 2 * k)
        for (int64_t i = 0; i < k && i < n - j - k; ++i) {
          if ((j + i) / (2 * p) != (j + i + k) / (2 * p)) continue;
          const int64_t a = lo + j + i;
          const int64_t b = a + k;
          if (ascending ? keys[a] > keys[b] : keys[a] < keys[b]) {
            std::swap(keys[a], keys[b]);
            if (payload != nullptr) std::swap(payload[a], payload[b]);
          }
        }
  }
}

void SortWithIndex(long double* values, int32_t* index, int32_t lo, int32_t hi, bool ascending);
void SortIntArray(int32_t* values, int32_t* index, int32_t lo, int32_t hi, bool ascending);
