#include "numerics/Sorts.h"

void SortWithIndex(long double* values, int32_t* index, int32_t lo, int32_t hi, bool ascending) {
  BatcherSortNetwork(values, index, lo, hi, ascending, [] {});
}

void SortIntArray(int32_t* values, int32_t* index, int32_t lo, int32_t hi, bool ascending) {
  BatcherSortNetwork(values, index, lo, hi, ascending, [] {});
}
