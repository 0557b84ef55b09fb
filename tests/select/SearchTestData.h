// Small data sets for the search tests: descriptors from a fixed-seed generator
// and a response that is a known linear combination of some of them plus noise.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data/ChemoData.h"
#include "numerics/Utils.h"

namespace searchtest {

// Deterministic numbers in [-1, 1) (a 64-bit linear congruential sequence).
class TestNumbers {
public:
  explicit TestNumbers(uint64_t seed) : state_(seed) {}
  long double Next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<long double>(state_ >> 11) / 4503599627370496.0L - 1.0L;
  }

private:
  uint64_t state_;
};

// nDesc descriptors "D0".."Dn-1" and the response "Y" (last column); every object
// training; the pool is every descriptor. y = 1 + sum c x + noise * e.
inline std::unique_ptr<ChemoData> MakeLinearData(int nObj, int nDesc, const std::vector<std::pair<int, long double>>& terms,
                                                 long double noise, uint64_t seed) {
  auto data = std::make_unique<ChemoData>(nDesc + 1, nObj, nDesc);
  TestNumbers numbers(seed);
  for (int v = 0; v < nDesc; ++v) data->tpVarNameStrPtr[v] = "D" + std::to_string(v);
  data->tpVarNameStrPtr[nDesc] = "Y";
  for (int i = 0; i < nObj; ++i) {
    data->tpObjNameStrPtr[i] = "O" + std::to_string(i);
    data->ipTrainingPtr[i] = kStatusTraining;
    CheckedValue* row = data->tpChemoValuePtr[i];
    for (int v = 0; v < nDesc; ++v) row[v] = CheckedValue(numbers.Next(), false);
    long double y = 1.0L + noise * numbers.Next();
    for (const auto& [v, c] : terms) y += c * row[v].Value;
    row[nDesc] = CheckedValue(y, false);
  }
  AllocCheckedArray(data->ipSelectedVarPtr, nDesc, "*ipSelectedVarPtr");
  for (int v = 0; v < nDesc; ++v) data->ipSelectedVarPtr[v] = v;
  data->iSelectedVarCount = nDesc;
  data->iEnumSize = nDesc;
  return data;
}

// Copies descriptor `from` into descriptor `to` as a * x + b.
inline void MakeLinearCopy(ChemoData& data, int from, int to, long double a, long double b) {
  for (int i = 0; i < data.iObjCount; ++i)
    data.tpChemoValuePtr[i][to] = CheckedValue(a * data.tpChemoValuePtr[i][from].Value + b, false);
}

inline void SetHeld(ChemoData& data, const std::vector<int>& held) {
  AllocCheckedArray(data.ipSelectedHoldPtr, static_cast<int>(held.size()), "*ipSelectedHoldPtr");
  for (std::size_t j = 0; j < held.size(); ++j) data.ipSelectedHoldPtr[j] = held[j];
  data.iSelectedHoldCount = static_cast<int>(held.size());
}

}  // namespace searchtest
