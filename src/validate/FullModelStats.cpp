#include "validate/FullModelStats.h"

#include <cmath>
#include <vector>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "numerics/Matrix.h"
#include "numerics/ModelCalc.h"
#include "numerics/Statistics.h"
#include "numerics/Utils.h"
#include "validate/ExternalValidator.h"

namespace {

const char* const kHatContext = "Leverage calculation: ";

enum class ObjectSet { None, Training, Test, Unknown };

// The masks of one call, read as sets; a null unknown mask is empty.
class ObjectSets {
public:
  ObjectSets(const ModelObjectMasks& masks, int objects) : masks_(masks), objects_(objects) {}

  ObjectSet Of(int i) const {
    if (masks_.training[i]) return ObjectSet::Training;
    if (masks_.test[i]) return ObjectSet::Test;
    if (masks_.unknown != nullptr && masks_.unknown[i]) return ObjectSet::Unknown;
    return ObjectSet::None;
  }
  int Count(ObjectSet set) const {
    int count = 0;
    for (int i = 0; i < objects_; ++i) count += Of(i) == set ? 1 : 0;
    return count;
  }

private:
  ModelObjectMasks masks_;
  int objects_;
};

// value when it is finite, else the undefined value of a statistic.
long double DefinedOr(long double value) { return std::isfinite(value) ? value : GetUndefinedReal(); }

// sqrt(x) when it has a finite value, else undefined.
long double RootOrUndefined(long double x) { return x >= 0.0L ? DefinedOr(std::sqrt(x)) : GetUndefinedReal(); }

// The two-sided tail probability of b / v with df degrees of freedom; undefined
// unless v (finite or undefined) is > 0 and the quotient is finite.
long double PValue(long double b, long double v, int df) {
  if (!(v > 0.0L)) return GetUndefinedReal();
  const long double t = b / v;
  if (!std::isfinite(t)) return GetUndefinedReal();
  return DefinedOr(StudentTProb(t, df));
}

void EnsureArray(long double*& array, int count, const char* name) {
  if (array == nullptr) AllocCheckedArray(array, count, name);
}

// The stored structure serves this call when it holds one leverage per object of its set.
bool Holds(const LeverageStruct& leverages, int count) {
  return leverages.iCount == count &&
         (count == 0 || (leverages.ldpValuePtr != nullptr && leverages.bpHstarPtr != nullptr));
}

// The leverages of the rows of Z (of the design itself when Z is null); Q
// receives (X'X)^-1 of the design. A failure means the inverse failed.
std::vector<long double> Leverages(Matrix& Q, int n, const Matrix* Z, int p) {
  std::vector<long double> leverages;
  if (!HatMatrix(Q, n, Z, leverages, p)) throw MatrixSingularEx(kHatContext);
  return leverages;
}

// Replaces the structure's arrays by count leverages taken from values[first..]
// with their h* flags.
void StoreLeverages(LeverageStruct& leverages, const long double* values, int count, long double hStar,
                    const char* valueName, const char* flagName) {
  leverages.Release();
  AllocCheckedArray(leverages.ldpValuePtr, count, valueName);
  AllocCheckedArray(leverages.bpHstarPtr, count, flagName);
  for (int k = 0; k < count; ++k) {
    leverages.ldpValuePtr[k] = values[k];
    leverages.bpHstarPtr[k] = values[k] > hStar;
  }
  leverages.iCount = count;
}

Matrix TrainingDesign(const ExternalValidator& builder, const ModelObjectMasks& masks, int n,
                      const DataResultNode& model) {
  Matrix X(n, model.iSize + 1);
  builder.BuildDesignMatrix(X, n, model.iSize, masks.training, model.ipSelVarIdxPtr);
  return X;
}

// The coefficient statistics from Q = (X'X)^-1 of the training design; returns
// the leverages of the training objects when asked for them, else none.
std::vector<long double> CoefficientStatistics(const ChemoData& data, const ModelObjectMasks& masks, int n,
                                               DataResultNode& model, const ExternalValidator& builder,
                                               bool withLeverages) {
  const int p = model.iSize;
  const Matrix design = TrainingDesign(builder, masks, n, model);
  Matrix Q = withLeverages ? Matrix(design) : Matrix(p + 1, p + 1);
  std::vector<long double> leverages;
  if (withLeverages) {
    leverages = Leverages(Q, n, nullptr, p);
  } else if (!InverseGram(design, n, p, Q)) {
    throw MatrixSingularEx(kHatContext);
  }

  Matrix y(n, 1);
  long double rss = 0.0L;
  for (int i = 0, row = 0; i < data.iObjCount; ++i) {
    if (!masks.training[i]) continue;
    const CheckedValue* values = data.tpChemoValuePtr[i];
    y.At(row++, 0) = values[data.iResponseIndex].Value;
    const long double residual = values[data.iResponseIndex].Value - ModelEquationValue(model, values);
    rss += residual * residual;
  }
  const long double sdY = std::sqrt(SumSqDev(y) / n);
  const int df = n - p - 1;
  const long double t = InvStudentT(0.05L, df);
  const long double mse = df > 0 ? rss / df : 0.0L;
  const long double s = model.cvS.Value;

  EnsureArray(model.ldpBStdCoeffPtr, p + 1, "*ldpBStdCoeffPtr");
  EnsureArray(model.ldpBStdErrPtr, p + 1, "*ldpBStdErrPtr");
  EnsureArray(model.ldpBIntConfPtr, p + 1, "*ldpBIntConfPtr");
  EnsureArray(model.ldpBSignifPtr, p + 1, "*ldpBSignifPtr");
  for (int j = 0; j <= p; ++j) {
    const long double b = model.ldpBModelCoeffPtr[j];
    const long double q = Q.At(j, j);
    if (j > 0) model.ldpBStdCoeffPtr[j] = DefinedOr(b * std::sqrt(SumSqDev(design, j) / n) / sdY);
    const long double root = RootOrUndefined(q);
    const long double standardError = root >= 0.0L ? DefinedOr(s * root) : GetUndefinedReal();
    model.ldpBStdErrPtr[j] = standardError;
    model.ldpBIntConfPtr[j] =
        standardError != GetUndefinedReal() ? DefinedOr(std::fabs(standardError * t)) : GetUndefinedReal();
    model.ldpBSignifPtr[j] = PValue(b, RootOrUndefined(mse * q), df);
  }
  return leverages;
}

// The leverages of the test and unknown objects against the training design.
void TestAndUnknownLeverages(const ModelObjectMasks& masks, const ObjectSets& sets, int objects, int n, int nTest,
                             int nUnknown, DataResultNode& model, const ExternalValidator& builder) {
  const int m = nTest + nUnknown;
  uint8_t* combinedRaw = nullptr;
  AllocCheckedArray(combinedRaw, objects, "*bpTempTestAndUnknPtr");
  const std::unique_ptr<uint8_t[]> combined(combinedRaw);
  for (int i = 0; i < objects; ++i) {
    const ObjectSet set = sets.Of(i);
    combined[i] = set == ObjectSet::Test || set == ObjectSet::Unknown;
  }
  Matrix X = TrainingDesign(builder, masks, n, model);
  Matrix Z(m, model.iSize + 1);
  builder.BuildDesignMatrix(Z, m, model.iSize, combined.get(), model.ipSelVarIdxPtr);
  const std::vector<long double> diagonal = Leverages(X, n, &Z, model.iSize);

  std::vector<long double> test, unknown;
  for (int i = 0, row = 0; i < objects; ++i) {
    if (!combined[i]) continue;
    (sets.Of(i) == ObjectSet::Test ? test : unknown).push_back(diagonal[row++]);
  }
  StoreLeverages(model.tsTestLev, test.data(), nTest, model.ldHstar, "*tLeverageTest.ldpValuePtr",
                 "*tLeverageTest.bpHstarPtr");
  StoreLeverages(model.tsNoRespLev, unknown.data(), nUnknown, model.ldHstar, "*tLeverageUnknownNoMiss.ldpValuePtr",
                 "*tLeverageUnknownNoMiss.bHstarPtr");
}

// One object of the per-object pass, with leverage h and h* flag from its set.
void ObjectPoints(const ChemoData& data, int i, ObjectSet set, long double h, bool flagged, long double s,
                  const ModelPointRows& rows, bool* hStar, std::string& noResidualNames) {
  const bool responseMissing = data.tpChemoValuePtr[i][data.iResponseIndex].Missing;
  rows.leverage[i][0] = CheckedValue(h, false);
  for (auto [input, output] : {std::pair{rows.expCalc, rows.resCalc}, std::pair{rows.expPred, rows.resPred}}) {
    output[i][0].Value = input[i][0].Value;
    output[i][0].Missing = responseMissing;
    output[i][1].Value = input[i][1].Value - input[i][0].Value;
  }
  if (flagged) hStar[i] = true;

  const long double d = 1.0L - h > 0.0L ? s * std::sqrt(1.0L - h) : 0.0L;
  long double calculated = 0.0L, predicted = 0.0L;
  bool defined = d != 0.0L && set != ObjectSet::Unknown;
  if (defined) {
    calculated = (rows.expCalc[i][1].Value - rows.expCalc[i][0].Value) / d;
    predicted = set == ObjectSet::Training ? (rows.expPred[i][1].Value - rows.expPred[i][0].Value) / d : calculated;
    defined = std::isfinite(calculated) && std::isfinite(predicted);
  }
  if (!defined) {
    for (CheckedValue** row : {rows.stdResCalc, rows.stdResPred}) {
      row[i][0].InitMissing();
      row[i][1].InitMissing();
    }
    noResidualNames += data.tpObjNameStrPtr[i] + " ";
    return;
  }
  rows.stdResCalc[i][0] = rows.stdResPred[i][0] = CheckedValue(h, responseMissing);
  rows.stdResCalc[i][1] = CheckedValue(calculated, false);
  rows.stdResPred[i][1] = CheckedValue(predicted, false);
}

void PointsPass(const ChemoData& data, const ObjectSets& sets, const DataResultNode& model, const ModelPointRows& rows,
                bool* hStar, std::string& noResidualNames, ProgressStepper* progress) {
  int position[4] = {0, 0, 0, 0};
  for (int i = 0; i < data.iObjCount; ++i) {
    rows.leverage[i][0].InitMissing();
    hStar[i] = false;
    const ObjectSet set = sets.Of(i);
    if (set == ObjectSet::None) {
      rows.stdResCalc[i][1].InitMissing();
      rows.stdResPred[i][1].InitMissing();
    } else {
      const LeverageStruct& leverages = set == ObjectSet::Training ? model.tsTrainLev
                                        : set == ObjectSet::Test   ? model.tsTestLev
                                                                   : model.tsNoRespLev;
      const int k = position[static_cast<int>(set)]++;
      ObjectPoints(data, i, set, leverages.ldpValuePtr[k], leverages.bpHstarPtr[k], model.cvS.Value, rows, hStar,
                   noResidualNames);
    }
    if (progress != nullptr) progress->Step();
  }
}

}  // namespace

void FullModelStats(const ChemoData& data, const ModelObjectMasks& masks, int unknownCount,
                    std::unique_ptr<bool[]>& hStar, const ModelPointRows& rows, DataResultNode& model,
                    std::string& noResidualNames, const ExternalValidator& builder, ProgressStepper* progress,
                    bool statisticsOnly) {
  const int objects = data.iObjCount;
  const ObjectSets sets(masks, objects);
  const int n = sets.Count(ObjectSet::Training);
  const int nTest = sets.Count(ObjectSet::Test);
  const int nUnknown = sets.Count(ObjectSet::Unknown);
  if (nUnknown != unknownCount) throw Exception("Wrong number of objects without response");
  bool* flags = nullptr;
  AllocCheckedArray(flags, objects, "*bprHStarPtr");
  hStar.reset(flags);

  if (statisticsOnly || !Holds(model.tsTrainLev, n) || n == 0) {
    const std::vector<long double> leverages = CoefficientStatistics(data, masks, n, model, builder, !statisticsOnly);
    if (statisticsOnly) return;
    StoreLeverages(model.tsTrainLev, leverages.data(), n, model.ldHstar, "*tLeverageTrain.ldpValuePtr",
                   "*tLeverageTrain.bpHstarPtr");
    AllocCheckedArray(model.tsTrainLev.bpActiveIndexPtr, n, "*tLeverageTrain.bpActiveIndexPtr");
  }
  if (!Holds(model.tsTestLev, nTest) || !Holds(model.tsNoRespLev, nUnknown)) {
    if (nTest + nUnknown > 0) {
      TestAndUnknownLeverages(masks, sets, objects, n, nTest, nUnknown, model, builder);
    } else {
      model.tsTestLev.Release();
      model.tsNoRespLev.Release();
    }
  }
  PointsPass(data, sets, model, rows, flags, noResidualNames, progress);
}
