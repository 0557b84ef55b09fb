// Batcher's odd-even merge sort network over positions lo..hi, ascending or
// descending, moving an optional parallel index array along with the values.
// Equal values are never exchanged; the network is not stable.
#pragma once

#include <cstdint>

void SortWithIndex(long double* values, int32_t* index, int32_t lo, int32_t hi, bool ascending);
void SortIntArray(int32_t* values, int32_t* index, int32_t lo, int32_t hi, bool ascending);
