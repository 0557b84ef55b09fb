// Small data sets for the search tests: descriptors from a fixed-seed generator
// and a response that is a known linear combination of some of them plus noise.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "numerics/Matrix.h"
#include "numerics/ModelCalc.h"
#include "numerics/Utils.h"

namespace searchtest {

// nDesc descriptors "D0".."Dn-1" and the response "Y" (last column); every object
// training; the pool is every descriptor. y = 1 + sum c x + noise * e, where x and
// e are numbers in [-1, 1) from a 64-bit linear congruential sequence.
inline std::unique_ptr<ChemoData> MakeLinearData(int nObj, int nDesc, const std::vector<std::pair<int, long double>>& terms,
                                                 long double noise, uint64_t seed) {
  auto data = std::make_unique<ChemoData>(nDesc + 1, nObj, nDesc);
  uint64_t state = seed;
  auto next = [&state] {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<long double>(state >> 11) / 4503599627370496.0L - 1.0L;
  };
  for (int v = 0; v < nDesc; ++v) data->tpVarNameStrPtr[v] = "D" + std::to_string(v);
  data->tpVarNameStrPtr[nDesc] = "Y";
  for (int i = 0; i < nObj; ++i) {
    data->tpObjNameStrPtr[i] = "O" + std::to_string(i);
    data->ipTrainingPtr[i] = kStatusTraining;
    CheckedValue* row = data->tpChemoValuePtr[i];
    for (int v = 0; v < nDesc; ++v) row[v] = CheckedValue(next(), false);
    long double y = 1.0L + noise * next();
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

using Sets = std::vector<std::vector<int>>;

// The k-subsets of 0..n-1 in lexicographic order.
inline Sets Lexicographic(int n, int k) {
  Sets out;
  std::vector<bool> chosen(n, false);
  std::fill(chosen.begin(), chosen.begin() + k, true);
  do {
    out.emplace_back();
    for (int v = 0; v < n; ++v)
      if (chosen[v]) out.back().push_back(v);
  } while (std::prev_permutation(chosen.begin(), chosen.end()));
  return out;
}

// The variables of every model of the list, in list order.
inline Sets Models(const DataResultList& list) {
  Sets models;
  for (const DataResultNode* node = list.First(); node; node = node->Next())
    models.emplace_back(node->ipSelVarIdxPtr, node->ipSelVarIdxPtr + node->iSize);
  return models;
}

// The response of every object as an n x 1 matrix.
inline Matrix ResponseOf(const ChemoData& data) {
  Matrix y(data.iObjCount, 1);
  for (int i = 0; i < data.iObjCount; ++i) y.At(i, 0) = data.tpChemoValuePtr[i][data.iResponseIndex].Value;
  return y;
}

// One subset fitted on all objects by the numerics routines, on matrices built
// afresh: what the search must reproduce.
struct FreshFit {
  FreshFit(const ChemoData& data, const Matrix& y, const std::vector<int>& variables)
      : k(static_cast<int>(variables.size())), b(k + 1, 1), fitted(y.Rows(), 1), loo(y.Rows(), 1) {
    const int n = y.Rows();
    Matrix d(n, k), dy(n, k + 1), x(n, k + 1);
    for (int i = 0; i < n; ++i) {
      x.At(i, 0) = 1.0L;
      for (int j = 0; j < k; ++j) d.At(i, j) = dy.At(i, j) = x.At(i, j + 1) = data.tpChemoValuePtr[i][variables[j]].Value;
    }
    KIndices(d, dy, y, kxx, kxxMissing, kxy, kxyMissing, k);
    ok = FitModel(ssReg, ssTot, &press, &b, &loo, n, k, y, x, &fitted);
  }

  int k;
  long double kxx = 0, kxy = 0, ssReg = 0, ssTot = 0, press = 0;
  bool kxxMissing = true, kxyMissing = true, ok = false;
  Matrix b, fitted, loo;
};

}  // namespace searchtest
