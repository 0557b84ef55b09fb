#include "models/ModelSizeAverages.h"

#include <algorithm>

#include "data/DataResult.h"
#include "models/ModelListTable.h"
#include "numerics/Matrix.h"
#include "numerics/Statistics.h"

namespace {

Matrix Column(const std::vector<long double>& values) {
  Matrix m(static_cast<int>(values.size()), 1);
  for (int i = 0; i < m.Rows(); ++i) m.At(i, 0) = values[i];
  return m;
}

}  // namespace

SizeAverages::SizeAverages(const std::vector<DataResultNode*>& sorted) {
  std::vector<const DataResultNode*> selected;
  for (const DataResultNode* model : sorted)
    if (IsSelectedState(model->iSelStatus)) {
      selected.push_back(model);
      sizes_ = std::max(sizes_, model->iSize);
    }
  // Column k - 1 of each table: the R2 and Q2loo of the size-k models, in walk order.
  std::vector<std::vector<long double>> r2(sizes_), q2(sizes_);
  for (const DataResultNode* model : selected) {
    if (model->iSize < 1) continue;
    r2[model->iSize - 1].push_back(model->cvR2.Value);
    q2[model->iSize - 1].push_back(model->cvQ2loo.Value);
  }
  const int K = sizes_;
  rows_ = std::make_unique<RowArray<CheckedValue>>(4 * K, 2, "*tpValueXY", "**tpValueXY");
  CheckedValue** rows = rows_->Get();
  for (int k = 1; k <= K; ++k) {
    CheckedValue* meanR2 = rows[k - 1];
    CheckedValue* meanQ2 = rows[K + k - 1];
    CheckedValue* sdR2 = rows[2 * K + k - 1];
    CheckedValue* sdQ2 = rows[3 * K + k - 1];
    meanR2[0] = meanQ2[0] = CheckedValue(k, false);
    sdR2[0] = CheckedValue(0.0L, true);
    if (r2[k - 1].empty()) {
      for (CheckedValue* row : {meanR2, meanQ2, sdR2, sdQ2}) row[1] = CheckedValue(0.0L, true);
      continue;
    }
    const Matrix r2Values = Column(r2[k - 1]);
    const Matrix q2Values = Column(q2[k - 1]);
    meanR2[1] = CheckedValue(ColumnMean(r2Values, 0), false);
    sdR2[1] = CheckedValue(StdDev(r2Values), false);
    meanQ2[1] = CheckedValue(ColumnMean(q2Values, 0), false);
    sdQ2[1] = CheckedValue(ColumnStdDev(q2Values, 0), false);
  }
}
