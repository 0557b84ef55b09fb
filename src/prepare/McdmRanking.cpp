#include "prepare/McdmRanking.h"

#include "data/ChemoData.h"
#include "numerics/Sorts.h"
#include "numerics/Utils.h"
#include "platform/base/NumberText.h"
#include "platform/base/UiServices.h"

namespace {

// The double nearest 2/3, widened.
constexpr long double kPairScale = static_cast<long double>(2.0 / 3.0);

// M(a, b) of the pair.
long double PairScore(const ChemoData& data, int32_t a, int32_t b, const std::vector<McdmCriterion>& criteria) {
  long double p = 0.0L;
  long double q = 0.0L;
  for (const McdmCriterion& c : criteria) {
    const long double xa = data.tpChemoValuePtr[a][c.variable].Value;
    const long double xb = data.tpChemoValuePtr[b][c.variable].Value;
    const bool aBetter = c.maximize ? xa > xb : xa < xb;
    const bool bBetter = c.maximize ? xa < xb : xa > xb;
    if (aBetter) p += c.weight;
    if (bBetter) q += c.weight;
  }
  return Finite(kPairScale * (CheckedDiv(p + 1.0L, q + 1.0L) - 0.5L));
}

}  // namespace

std::vector<long double> McdmScores(const ChemoData& data, const std::vector<int32_t>& selected,
                                    const std::vector<McdmCriterion>& criteria, Progress* progress) {
  std::vector<long double> scores(static_cast<std::size_t>(data.iObjCount), 0.0L);
  const long double others = static_cast<long double>(selected.size()) - 1.0L;
  for (int32_t a : selected) {
    long double sum = 0.0L;
    for (int32_t b : selected)
      if (b != a) sum += PairScore(data, a, b, criteria);
    scores[a] = CheckedDiv(sum, others);
    if (progress != nullptr) progress->AnimationTick();
  }
  return scores;
}

McdmOrder OrderByScore(std::vector<long double> scores) {
  const int n = static_cast<int>(scores.size());
  McdmOrder order;
  order.ascending.resize(n);
  for (int i = 0; i < n; ++i) order.ascending[i] = i;
  if (n > 0) SortWithIndex(scores.data(), order.ascending.data(), 0, n - 1, true);
  order.ascendingScores = scores;
  order.descending.assign(order.ascending.rbegin(), order.ascending.rend());
  order.descendingScores.assign(scores.rbegin(), scores.rend());
  return order;
}

McdmOrder InitialOrder(int objects) {
  McdmOrder order;
  for (int i = 0; i < objects; ++i) order.ascending.push_back(i);
  order.descending.assign(order.ascending.rbegin(), order.ascending.rend());
  order.ascendingScores.assign(static_cast<std::size_t>(objects), 0.0L);
  order.descendingScores = order.ascendingScores;
  return order;
}

bool WeightTotalAccepted(long double total) {
  const long double low = 0.99999999999999;
  const long double high = 1.00000000000001;
  return total >= low && total <= high;
}

std::string WeightTotalMessage(long double total) {
  return "The total weight must be 1.0 for proper calculations while the total found is " + FloatToStr(total) +
         ". Please correct column weights " + "(the option \"Set weight to reach total 1\" will help in " +
         "rounding one of the column weight to accomplish this" + " task)";
}
