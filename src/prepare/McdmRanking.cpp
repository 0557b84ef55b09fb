#include "prepare/McdmRanking.h"

#include "data/ChemoData.h"
#include "numerics/Sorts.h"
#include "numerics/Utils.h"
#include "platform/base/NumberText.h"
#include "platform/base/UiServices.h"

namespace {

// The double nearest 2/3, widened.
constexpr long double kPairScale = static_cast<long double>(2.0 / 3.0);

// The criteria's values of the selected objects, one row per object, gathered
// for the pair loop; a minimized criterion's values are negated, so that the
// larger value is the better one on every criterion.
struct CriteriaTable {
  CriteriaTable(const ChemoData& data, const std::vector<int32_t>& selected, const std::vector<McdmCriterion>& criteria)
      : count(criteria.size()), values(selected.size() * criteria.size()) {
    for (std::size_t i = 0; i < selected.size(); ++i)
      for (std::size_t k = 0; k < count; ++k) {
        const long double x = data.tpChemoValuePtr[selected[i]][criteria[k].variable].Value;
        values[i * count + k] = criteria[k].maximize ? x : -x;
      }
  }
  const long double* Row(std::size_t i) const { return values.data() + i * count; }

  std::size_t count;
  std::vector<long double> values;
};

// M(a, b) of the pair.
long double PairScore(const long double* a, const long double* b, const std::vector<McdmCriterion>& criteria) {
  long double p = 0.0L;
  long double q = 0.0L;
  for (std::size_t k = 0; k < criteria.size(); ++k) {
    if (a[k] > b[k]) p += criteria[k].weight;
    if (a[k] < b[k]) q += criteria[k].weight;
  }
  return kPairScale * (CheckedDiv(p + 1.0L, q + 1.0L) - 0.5L);
}

}  // namespace

std::vector<long double> McdmScores(const ChemoData& data, const std::vector<int32_t>& selected,
                                    const std::vector<McdmCriterion>& criteria, Progress* progress) {
  std::vector<long double> scores(static_cast<std::size_t>(data.iObjCount), 0.0L);
  const CriteriaTable table(data, selected, criteria);
  const long double others = static_cast<long double>(selected.size()) - 1.0L;
  for (std::size_t a = 0; a < selected.size(); ++a) {
    long double sum = 0.0L;
    for (std::size_t b = 0; b < selected.size(); ++b)
      if (b != a) sum += PairScore(table.Row(a), table.Row(b), criteria);
    scores[selected[a]] = CheckedDiv(sum, others);
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
