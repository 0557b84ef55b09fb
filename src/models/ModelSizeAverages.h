// Average R2 and Q2loo of the selected models per model size, with their
// population standard deviations, as the value rows of the R2/Q2 plot.
#pragma once

#include <memory>
#include <vector>

#include "numerics/CheckedValue.h"
#include "numerics/RowArray.h"

class DataResultNode;

// 4K rows of two cells (X, Y), K the largest selected size, in four blocks of
// K rows; row k of each block belongs to size k: (k, mean R2), (k, mean Q2loo),
// (missing, sd R2), (0, sd Q2loo). A size without selected models has its four
// Y cells 0 and missing. Stored numbers are used whatever their missing flags.
// Without a selected model there are no rows to make (the allocation throws).
class SizeAverages {
public:
  explicit SizeAverages(const std::vector<DataResultNode*>& sorted);

  int Sizes() const { return sizes_; }
  CheckedValue** Rows() { return rows_->Get(); }

private:
  int sizes_ = 0;
  std::unique_ptr<RowArray<CheckedValue>> rows_;
};
