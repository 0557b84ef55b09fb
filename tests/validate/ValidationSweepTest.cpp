// Many small random data sets, degenerate ones included, through the external
// validation and the full statistics of one model: no cell or array written may
// hold a NaN or an infinity, and a cell marked missing carries 0.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "numerics/Matrix.h"
#include "data/PredictObjects.h"
#include "numerics/RowArray.h"
#include "support/ScriptedUi.h"
#include "validate/ExternalValidator.h"
#include "validate/FullModelStats.h"
#include "validate/ValidationTestData.h"

namespace {

using validationtest::AddModel;
using validationtest::MakeData;
using validationtest::TestObject;

class Draw {
public:
  explicit Draw(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return state_ >> 33;
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }
  long double Real() { return static_cast<long double>(Below(2001) - 1000) / 200.0L; }  // -5..5 in steps of 0.005

private:
  uint64_t state_;
};

// Degenerate shapes the sweep mixes in.
enum Shape { Plain, ConstantResponse, OneTest, TwoTests, ConstantDescriptor, ShapeCount };

std::unique_ptr<ChemoData> RandomData(Draw& draw, Shape shape) {
  const int nDesc = 1 + draw.Below(3);
  const int nObj = 2 + draw.Below(9);
  const int tests = shape == OneTest ? 1 : shape == TwoTests ? 2 : -1;
  std::vector<TestObject> objects;
  for (int i = 0; i < nObj; ++i) {
    TestObject object{draw.Below(3), {}, std::nullopt};
    if (tests >= 0) object.status = i < tests ? 2 : 1;
    for (int v = 0; v < nDesc; ++v) object.x.push_back(shape == ConstantDescriptor && v == 0 ? 1.5L : draw.Real());
    if (draw.Below(8) != 0) object.y = shape == ConstantResponse ? 3.0L : draw.Real();
    objects.push_back(object);
  }
  return MakeData(objects);
}

void AddRandomModels(Draw& draw, ChemoData& data, DataResultList& list) {
  const int nDesc = data.iResponseIndex;
  for (int m = 0; m < 3; ++m) {
    const int p = 1 + draw.Below(nDesc);
    std::vector<int> variables;
    std::vector<long double> coefficients = {draw.Real()};
    for (int j = 0; j < p; ++j) {
      variables.push_back(draw.Below(nDesc));
      coefficients.push_back(m == 2 ? 0.0L : draw.Real());  // the third predicts one value for all
    }
    DataResultNode& model = AddModel(list, variables, coefficients, draw.Below(4));
    model.cvS = draw.Below(4) == 0 ? CheckedValue(0.0L, true) : CheckedValue(std::fabs(draw.Real()), false);
    model.ldHstar = 3.0L * (p + 1) / (1 + draw.Below(8));
  }
}

// A cell written here is finite; missing, it carries 0 (or -1.0 where allowed).
::testing::AssertionResult Sound(const CheckedValue& cell, bool mayBeUndefined = false) {
  if (!std::isfinite(cell.Value)) return ::testing::AssertionFailure() << "not finite";
  if (cell.Missing && cell.Value != 0.0L && !(mayBeUndefined && cell.Value == -1.0L))
    return ::testing::AssertionFailure() << "missing with " << static_cast<double>(cell.Value);
  return ::testing::AssertionSuccess();
}

void CheckValidationCells(DataResultNode& m) {
  for (const CheckedValue* cell : {&m.cvQ2F1, &m.cvQ2F2, &m.cvQ2F3, &m.cvR2extReg, &m.cvR2o, &m.cvR2oPrime, &m.cvK,
                                   &m.cvKPrime, &m.cvR2mAver, &m.cvR2mDelta, &m.cvClos, &m.cvClosPrime, &m.cvR2ext})
    EXPECT_TRUE(Sound(*cell));
  EXPECT_TRUE(Sound(m.cvCCCext, true));
}

void PresetCells(DataResultNode& m) {
  for (CheckedValue* cell :
       {&m.cvQ2F1, &m.cvQ2F2, &m.cvQ2F3, &m.cvR2extReg, &m.cvR2o, &m.cvR2oPrime, &m.cvK, &m.cvKPrime, &m.cvR2mAver,
        &m.cvR2mDelta, &m.cvClos, &m.cvClosPrime, &m.cvCCCext, &m.cvR2ext})
    *cell = CheckedValue(0.5L, false);
}

void CheckFullStatistics(const ChemoData& data, DataResultNode& model, const ExternalValidator& validator) {
  const int n = data.iObjCount;
  std::vector<uint8_t> unknown(n, 0);
  int unknownCount = 0;
  for (int i = 0; i < n; ++i) {
    bool present = !validator.TrainingMask()[i] && !validator.TestMask()[i] &&
                   data.tpChemoValuePtr[i][data.iResponseIndex].Missing;
    for (int j = 0; j < model.iSize && present; ++j)
      present = !data.tpChemoValuePtr[i][model.ipSelVarIdxPtr[j]].Missing;
    unknown[i] = present;
    unknownCount += present;
  }
  const ModelObjectMasks masks{validator.TrainingMask(), validator.TestMask(), unknown.data()};
  RowArray<CheckedValue> expCalc(n, 2, "a", "b"), expPred(n, 2, "a", "b"), stdResCalc(n, 2, "a", "b"),
      stdResPred(n, 2, "a", "b"), resCalc(n, 2, "a", "b"), resPred(n, 2, "a", "b"), leverage(n, 2, "a", "b");
  const ModelPointRows rows{expCalc.Get(), expPred.Get(), stdResCalc.Get(), stdResPred.Get(),
                            resCalc.Get(), resPred.Get(), leverage.Get()};
  std::unique_ptr<bool[]> hStar;
  std::string names;
  for (bool statisticsOnly : {true, false}) {
    try {
      PredictObjects(data, masks.training, masks.test, model, rows.expCalc, rows.expPred, rows.leverage, nullptr);
      FullModelStats(data, masks, unknownCount, hStar, rows, model, names, validator, nullptr, statisticsOnly);
    } catch (const MatrixEx&) {
      continue;  // a design without a fit (no training objects, singular X'X)
    }
    for (int j = 0; j <= model.iSize; ++j)
      for (const long double* array :
           {model.ldpBStdCoeffPtr, model.ldpBStdErrPtr, model.ldpBIntConfPtr, model.ldpBSignifPtr})
        EXPECT_TRUE(std::isfinite(array[j]));
    for (const LeverageStruct* set : {&model.tsTrainLev, &model.tsTestLev, &model.tsNoRespLev})
      for (int k = 0; k < set->iCount; ++k) EXPECT_TRUE(std::isfinite(set->ldpValuePtr[k]));
    if (statisticsOnly) continue;
    for (int i = 0; i < n; ++i) {
      EXPECT_TRUE(Sound(leverage[i][0]));
      for (CheckedValue** rowSet : {rows.stdResCalc, rows.stdResPred, rows.resCalc, rows.resPred})
        for (int c = 0; c < 2; ++c) EXPECT_TRUE(std::isfinite(rowSet[i][c].Value));
      for (CheckedValue** rowSet : {rows.stdResCalc, rows.stdResPred}) EXPECT_TRUE(Sound(rowSet[i][1]));
    }
  }
}

TEST(ValidationSweep, RandomDataSetsGiveOnlyFiniteValues) {
  Draw draw(20261207);
  for (int round = 0; round < 400; ++round) {
    SCOPED_TRACE(round);
    TestUi().Reset();
    auto data = RandomData(draw, static_cast<Shape>(round % ShapeCount));
    DataResultList list(data.get());
    AddRandomModels(draw, *data, list);
    for (DataResultNode* m = list.First(); m; m = m->Next()) PresetCells(*m);
    ExternalValidator validator(draw.Below(2) == 0, &list, data.get());
    validator.ValidateExternal();
    validator.CountExternalCriteria();
    for (DataResultNode* m = list.First(); m; m = m->Next()) {
      CheckValidationCells(*m);
      CheckFullStatistics(*data, *m, validator);
    }
  }
}

}  // namespace
