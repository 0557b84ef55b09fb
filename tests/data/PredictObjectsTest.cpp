#include "data/PredictObjects.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "numerics/Utils.h"

namespace {

// Rows of two cells per object, as the callers allocate them.
struct PointRows {
  explicit PointRows(int n) : cells(n), rows(n) {
    for (int i = 0; i < n; ++i) rows[i] = cells[i];
  }
  std::vector<CheckedValue[2]> cells;
  std::vector<CheckedValue*> rows;
  CheckedValue& At(int i, int c) { return rows[i][c]; }
};

void ExpectCell(const CheckedValue& cell, bool missing, long double value = 0.0L) {
  EXPECT_EQ(cell.Missing, missing);
  if (!missing) {
    EXPECT_EQ(cell.Value, value);
  }
}

}  // namespace

// Variables: x0, x1 (unused), x2, response. Model y = 1 + 2 x0 + 3 x2.
TEST(PredictObjects, FillsEachKindOfObjectAndRaisesOnOverflow) {
  ChemoData data(4, 6, 3);
  const long double table[6][4] = {{1, 9, 1, 10}, {2, 9, 0, 20}, {0, 9, 1, 30}, {1, 9, 1, 40}, {1, 9, 2, 0}, {1, 9, 2, 0}};
  for (int i = 0; i < 6; ++i)
    for (int v = 0; v < 4; ++v) data.tpChemoValuePtr[i][v] = CheckedValue(table[i][v], false);
  data.tpChemoValuePtr[4][3].Missing = true;  // no response, variables present
  data.tpChemoValuePtr[5][3].Missing = true;  // no response, x2 missing
  data.tpChemoValuePtr[5][2].Missing = true;
  const uint8_t training[6] = {1, 0, 1, 0, 0, 0};
  const uint8_t prediction[6] = {0, 1, 0, 0, 0, 0};  // object 3 is excluded with a response

  DataResultNode model;
  model.iSize = 2;
  model.iTrainCount = 2;
  model.ipSelVarIdxPtr = new int32_t[2]{0, 2};
  model.ldpBModelCoeffPtr = new long double[3]{1, 2, 3};
  model.ldpTrainYCapPtr = new long double[2]{5.5L, 6.5L};

  PointRows calculated(6), predicted(6), equation(6);
  equation.At(3, 0) = CheckedValue(7, false);
  struct Positions : Progress {
    std::vector<int> seen;
    void SetText(const std::string&) override {}
    void SetRange(int, int) override {}
    void SetPosition(int pos) override { seen.push_back(pos); }
    void AnimationTick() override {}
  } bar;
  ProgressStepper stepper(bar, 3, 10);
  PredictObjects(data, training, prediction, model, calculated.rows.data(), predicted.rows.data(),
                 equation.rows.data(), &stepper);
  EXPECT_EQ(bar.seen, (std::vector<int>{13, 16, 19, 22, 25, 28}));  // one step per object

  ExpectCell(calculated.At(0, 0), false, 10);  // training: LOO prediction in order
  ExpectCell(calculated.At(0, 1), false, 6);
  ExpectCell(predicted.At(0, 1), false, 5.5L);
  ExpectCell(predicted.At(2, 1), false, 6.5L);
  ExpectCell(calculated.At(1, 1), false, 5);  // prediction: the equation twice
  ExpectCell(predicted.At(1, 1), false, 5);
  ExpectCell(calculated.At(3, 1), true);  // excluded object with a response: all missing
  ExpectCell(equation.At(3, 0), true);
  ExpectCell(calculated.At(4, 0), true);  // no response: equation values only
  ExpectCell(calculated.At(4, 1), false, 9);
  ExpectCell(predicted.At(4, 1), true);
  ExpectCell(calculated.At(5, 1), true);  // no response, a model variable missing
  ExpectCell(equation.At(5, 1), true);

  data.tpChemoValuePtr[1][0] = CheckedValue(1e100L, false);
  model.ldpBModelCoeffPtr[1] = 1e4900L;  // the equation value overflows
  EXPECT_THROW(PredictObjects(data, training, prediction, model, calculated.rows.data(), predicted.rows.data(),
                              equation.rows.data(), nullptr),
               EOverflow);
}
