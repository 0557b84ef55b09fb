#include "select/SearchSetup.h"

#include <algorithm>
#include <cmath>

#include "platform/base/NumberText.h"

namespace {

const char* const kAll = "ALL";
const int kKeepNumbers[] = {10, 20, 50, 100, 200, 300, 400, 500};

}  // namespace

int32_t Binomial(int n, int k) {
  if (k <= 0 || k > n) return 0;
  const int low = std::min(k, n - k);
  const int high = std::max(k, n - k);
  long double product = 1.0L;
  for (int i = high + 1; i <= n; ++i) product *= i;
  long double factorial = 1.0L;
  for (int i = 2; i <= low; ++i) factorial *= i;
  const long double value = product / factorial;
  // A product too large for the extended range is far above the cap too.
  if (!std::isfinite(value) || value > kCombinationCap) return kCombinationCap;
  return static_cast<int32_t>(std::llround(value));
}

long double AllSubsetTotal(int n, int K) {
  long double total = 0.0L;
  for (int k = 1; k <= K; ++k) total += Binomial(n, k);
  return total;
}

std::vector<int> GaUntilSizes(int n, int firstSize, int population) {
  std::vector<int> sizes;
  for (int s = firstSize; s <= n; ++s) {
    if (static_cast<long double>(Binomial(n, s)) < 2.0L * population) break;
    sizes.push_back(s);
  }
  return sizes;
}

bool GaSizesCanRun(int n, int firstSize, int until, int population) {
  const std::vector<int> sizes = GaUntilSizes(n, firstSize, population);
  return !sizes.empty() && until >= firstSize && until <= sizes.back();
}

bool TooFewObjectsPerVariable(int trainingObjects, int size) { return trainingObjects / 5 < size; }

KeepPerSizeChoice FillKeepPerSize(bool gaSetUp, int population, const KeepPerSizeMemory& previous, bool quiet) {
  KeepPerSizeChoice choice;
  for (int number : kKeepNumbers)
    if (!gaSetUp || number <= population) choice.items.push_back(IntToStr(number));
  choice.items.push_back(kAll);
  const int lastNumber = static_cast<int>(choice.items.size()) - 2;
  if (previous.all) {
    choice.index = lastNumber + 1;
    return choice;
  }
  choice.index = previous.index;
  // A number beyond the list is never turned into "ALL" nor left unchosen.
  if (choice.index > lastNumber) {
    choice.index = lastNumber;
    choice.lowered = !quiet;
  }
  if (choice.index < 0) choice.index = 0;
  return choice;
}

int KeepPerSizeValue(const std::string& item) { return item == kAll ? -1 : StrToInt(item); }
