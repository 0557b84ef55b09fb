#include "validate/ExternalValidator.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "numerics/Matrix.h"
#include "numerics/ModelCalc.h"
#include "numerics/RowArray.h"
#include "numerics/Statistics.h"
#include "numerics/Utils.h"

namespace {

const char* const kUnknownError = "Unknown error";
const char* const kNoTraining = "No training elements exists";
const char* const kNoTest = "No test elements exists";

// A failure of an operation's set-up, reported with the operation's message text.
struct SetupFailed {};

std::unique_ptr<uint8_t[]> AllocMask(int count, const char* name) {
  uint8_t* mask = nullptr;
  AllocCheckedArray(mask, count, name);
  return std::unique_ptr<uint8_t[]>(mask);
}

// A present cell holding value when it is finite, else a missing 0.
CheckedValue PresentIfFinite(long double value) {
  return std::isfinite(value) ? CheckedValue(value, false) : CheckedValue(0.0L, true);
}

// 1 - a / b as a present cell when b > 0 and the result is finite, else a missing 0.
CheckedValue OneMinusRatio(long double a, long double b) {
  return b > 0.0L ? PresentIfFinite(1.0L - a / b) : CheckedValue(0.0L, true);
}

// (r2 - r0) / r2, missing (0) when r2 is 0.
CheckedValue Closeness(long double r2, long double r0) {
  return r2 != 0.0L ? PresentIfFinite((r2 - r0) / r2) : CheckedValue(0.0L, true);
}

// LineFit from (0, 0), then the R2 of that line, the slope through the origin and its R2.
struct PassResult {
  long double lineR2;
  long double slope;
  long double originR2;
};

PassResult RegressionPass(const Matrix& m) {
  LineCoefficients line;
  LineFit(m, line);
  const long double lineR2 = LineR2(m, line.a, line.b);
  const long double slope = OriginSlope(m);
  return {lineR2, slope, OriginR2(m, slope)};
}

void SwapColumns(Matrix& m) {
  for (int i = 0; i < m.Rows(); ++i) std::swap(m.At(i, 0), m.At(i, 1));
}

// The responses of the masked objects, in object order, as a count x 1 matrix.
Matrix MaskedResponses(const ChemoData& data, const uint8_t* mask, int count) {
  Matrix y(count, 1);
  int row = 0;
  for (int i = 0; i < data.iObjCount; ++i)
    if (mask[i]) y.At(row++, 0) = data.tpChemoValuePtr[i][data.iResponseIndex].Value;
  return y;
}

long double Mean(const Matrix& y) {
  long double sum = 0.0L;
  for (int i = 0; i < y.Rows(); ++i) sum += y.At(i, 0);
  return sum / y.Rows();
}

// Runs an operation under its outer guard: walk(progress, message) returns false
// when the user aborted; a failure that reaches the guard shows the operation's
// message text (set by walk, "Unknown error" until then) followed by ending. With
// showProgress the hourglass is on and a progress window (when there is a
// factory) is open while walk runs. True unless aborted.
template <typename Walk>
bool GuardedRun(const ProgressWindowFactory& progressWindow, bool showProgress, const char* ending, Walk walk) {
  std::optional<BusyCursor> busy;
  std::unique_ptr<Progress> progress;
  if (showProgress) {
    busy.emplace();
    if (progressWindow) progress = progressWindow(false);
  }
  std::string message = kUnknownError;
  try {
    return walk(progress.get(), message);
  } catch (...) {
    Ui().MessageBox(message + ending, "APPLICATION ERROR", MB_OK | MB_ICONERROR);
  }
  return true;
}

// The bar of a walk over the models of a list: 0 to LargestInt, one step per
// model (no step for an empty list).
class ModelBar {
public:
  ModelBar(Progress* progress, const char* caption, int models)
      : progress_(progress), step_(models > 0 ? LargestInt() / models : 0) {
    if (progress_ == nullptr) return;
    progress_->SetRange(0, LargestInt());
    progress_->SetPosition(0);
    progress_->SetCaption(caption);
    progress_->SetText("Press ESC to abort...");
  }
  void Step() {
    position_ += step_;
    if (progress_ != nullptr) progress_->SetPosition(position_);
  }

private:
  Progress* progress_;
  int step_;
  int position_ = 0;
};

}  // namespace

long double ModelEquationValue(const DataResultNode& model, const CheckedValue* row) {
  long double value = model.ldpBModelCoeffPtr[0];
  for (int j = 0; j < model.iSize; ++j) value += model.ldpBModelCoeffPtr[j + 1] * row[model.ipSelVarIdxPtr[j]].Value;
  return Finite(value);
}

ExternalValidator::ExternalValidator(bool allModels, DataResultList* models, ChemoData* data,
                                     ProgressWindowFactory progressWindow)
    : data_(data), models_(models), allModels_(allModels), progressWindow_(std::move(progressWindow)) {
  testMask_ = AllocMask(data_->iObjCount, "*bpTempTestPtr");
  trainingMask_ = AllocMask(data_->iObjCount, "*bpTempTrainingPtr");
  data_->BuildObjectMasks(testMask_.get(), trainingMask_.get(), nullptr);
  testCount_ = static_cast<int>(std::count(testMask_.get(), testMask_.get() + data_->iObjCount, 1));
  trainingCount_ = static_cast<int>(std::count(trainingMask_.get(), trainingMask_.get() + data_->iObjCount, 1));
}

ExternalValidator::~ExternalValidator() = default;

bool ExternalValidator::Processed(const DataResultNode& model) const {
  return allModels_ || model.iSelStatus == 1 || model.iSelStatus == 3;
}

bool ExternalValidator::AbortRequested() const {
  if (!Ui().EscapePressed()) return false;
  return Ui().MessageBox("Do you really want to abort calculation?", "APPLICATION WARNING",
                         MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void ExternalValidator::ValidateExternal() {
  CalcExternalQ2Fn(models_, true);
  CalcExternalCCC(models_, true);
  CalcExternalRegressionParams();
  if (!allModels_) CountExternalCriteria();
}

void ExternalValidator::BuildDesignMatrix(Matrix& X, int rows, int p, const uint8_t* mask,
                                          const int32_t* variableIndices) const {
  for (int r = 0; r < rows; ++r) X.At(r, 0) = 1.0L;
  for (int j = 1; j <= p; ++j) {
    int r = 0;
    for (int i = 0; i < data_->iObjCount; ++i)
      if (mask[i]) X.At(r++, j) = data_->tpChemoValuePtr[i][variableIndices[j - 1]].Value;
  }
}

bool ExternalValidator::CalcExternalQ2Fn(DataResultList* list, bool showProgress) {
  const char* ending = ", cannot validate models (Q2-Fn - R2ext)";
  return GuardedRun(progressWindow_, showProgress, ending, [&](Progress* progress, std::string& message) {
    if (trainingCount_ == 0) {
      message = kNoTraining;
      throw SetupFailed();
    }
    if (testCount_ == 0) {
      message = kNoTest;
      throw SetupFailed();
    }
    const Matrix trainingY = MaskedResponses(*data_, trainingMask_.get(), trainingCount_);
    const Matrix testY = MaskedResponses(*data_, testMask_.get(), testCount_);
    const long double trainingMean = Mean(trainingY);
    const long double testMean = Mean(testY);
    ModelBar bar(progress, "Calculating Q2-Fn...", list->Count());
    LongCalculation calculation;
    for (DataResultNode* model = list->First(); model != nullptr; model = model->Next()) {
      if (!Processed(*model)) continue;
      bar.Step();
      if (AbortRequested()) return false;
      try {
        ValidateQ2Fn(*model, trainingY, testY, trainingMean, testMean);
      } catch (...) {
        // The model keeps the cells not yet written.
      }
    }
    return true;
  });
}

void ExternalValidator::ValidateQ2Fn(DataResultNode& model, const Matrix& trainingY, const Matrix& testY,
                                     long double trainingMean, long double testMean) const {
  const int p = model.iSize;
  const int nExt = testCount_;
  Matrix b(p + 1, 1);
  for (int j = 0; j <= p; ++j) b.At(j, 0) = model.ldpBModelCoeffPtr[j];
  Matrix X(nExt, p + 1);
  BuildDesignMatrix(X, nExt, p, testMask_.get(), model.ipSelVarIdxPtr);
  Matrix predicted(X);
  predicted.Multiply(b);

  long double press = 0.0L, s1 = 0.0L, s2 = 0.0L;
  Matrix pairs(nExt, 2);
  for (int i = 0; i < nExt; ++i) {
    const long double y = testY.At(i, 0);
    const long double yhat = Finite(predicted.At(i, 0));
    press = Finite(press + (y - yhat) * (y - yhat));
    s1 = Finite(s1 + (y - trainingMean) * (y - trainingMean));
    s2 = Finite(s2 + (y - testMean) * (y - testMean));
    pairs.At(i, 0) = y;
    pairs.At(i, 1) = yhat;
  }
  long double s3 = 0.0L;
  for (int i = 0; i < trainingY.Rows(); ++i)
    s3 += (trainingY.At(i, 0) - trainingMean) * (trainingY.At(i, 0) - trainingMean);
  model.cvQ2F1 = OneMinusRatio(press, s1);
  model.cvQ2F2 = OneMinusRatio(press, s2);
  model.cvQ2F3 = OneMinusRatio(press / nExt, s3 / trainingY.Rows());

  // Predicted on observed, then observed on predicted.
  const PassResult first = RegressionPass(pairs);
  model.cvKPrime = CheckedValue(first.slope, false);
  model.cvR2oPrime = CheckedValue(first.originR2, false);
  SwapColumns(pairs);
  const PassResult second = RegressionPass(pairs);
  model.cvR2extReg = CheckedValue(second.lineR2, false);
  model.cvR2o = CheckedValue(second.originR2, false);
  model.cvK = CheckedValue(second.slope, false);

  const long double r2 = second.lineR2;
  const CheckedValue r2m = R2m(r2, second.originR2);
  const CheckedValue r2mPrime = R2m(r2, first.originR2);
  if (r2m.Missing || r2mPrime.Missing) {
    model.cvR2mAver = CheckedValue(0.0L, true);
    model.cvR2mDelta = CheckedValue(0.0L, true);
  } else {
    model.cvR2mAver = CheckedValue((r2m.Value + r2mPrime.Value) * 0.5L, false);
    model.cvR2mDelta = CheckedValue(std::fabs(r2m.Value - r2mPrime.Value), false);
  }
  model.cvClos = Closeness(r2, second.originR2);
  model.cvClosPrime = Closeness(r2, first.originR2);
}

bool ExternalValidator::CalcExternalCCC(DataResultList* list, bool showProgress) {
  const char* ending = ", cannot calculate CCCext.";
  return GuardedRun(progressWindow_, showProgress, ending, [&](Progress* progress, std::string& message) {
    if (testCount_ == 0) {
      message = kNoTest;
      throw SetupFailed();
    }
    const long double testMean = Mean(MaskedResponses(*data_, testMask_.get(), testCount_));
    ModelBar bar(progress, "Calculating ConcCo...", list->Count());
    LongCalculation calculation;
    for (DataResultNode* model = list->First(); model != nullptr; model = model->Next()) {
      if (Processed(*model)) {
        try {
          ValidateCCC(*model, testMean);
        } catch (...) {
          model->cvCCCext = CheckedValue(GetUndefinedReal(), true);
        }
      }
      bar.Step();
      if (AbortRequested()) return false;
    }
    return true;
  });
}

void ExternalValidator::ValidateCCC(DataResultNode& model, long double testMean) const {
  const int n = testCount_;
  std::unique_ptr<long double[]> yhat = AllocVector(n, "*ldpPredPtr");
  std::unique_ptr<long double[]> y = AllocVector(n, "*ldpObsPtr");
  long double sum = 0.0L;
  int row = 0;
  for (int i = 0; i < data_->iObjCount; ++i) {
    if (!testMask_[i]) continue;
    y[row] = data_->tpChemoValuePtr[i][data_->iResponseIndex].Value;
    yhat[row] = ModelEquationValue(model, data_->tpChemoValuePtr[i]);
    sum += yhat[row++];
  }
  const long double meanPred = sum / n;
  long double sxy = 0.0L, sxx = 0.0L, syy = 0.0L;
  for (int i = 0; i < n; ++i) {
    const long double dx = y[i] - testMean;
    const long double dy = yhat[i] - meanPred;
    sxy += dx * dy;
    sxx += dx * dx;
    syy += dy * dy;
  }
  const long double d = Finite((testMean - meanPred) * (testMean - meanPred) * n + (sxx + syy));
  model.cvCCCext = CheckedValue(0.0L, true);
  if (d > 0.0L) model.cvCCCext = CheckedValue(CheckedDiv(2.0L * sxy, d), false);
}

void ExternalValidator::CalcExternalRegressionParams() {
  const char* ending = ", cannot calculate external regression parameters.";
  GuardedRun(progressWindow_, false, ending, [&](Progress*, std::string& message) {
    if (testCount_ == 0) {
      message = kNoTest;
      throw SetupFailed();
    }
    Matrix pairs(testCount_, 2);
    const Matrix testY = MaskedResponses(*data_, testMask_.get(), testCount_);
    for (int i = 0; i < testCount_; ++i) pairs.At(i, 0) = testY.At(i, 0);
    for (DataResultNode* model = models_->First(); model != nullptr; model = model->Next()) {
      if (!Processed(*model)) continue;
      try {
        int row = 0;
        for (int i = 0; i < data_->iObjCount; ++i)
          if (testMask_[i]) pairs.At(row++, 1) = ModelEquationValue(*model, data_->tpChemoValuePtr[i]);
        const long double r = PearsonR(pairs);
        // Perfect predictions may put r a rounding step beyond 1.
        if (std::isfinite(r)) {
          const long double clamped = std::clamp(r, -1.0L, 1.0L);
          model->cvR2ext = CheckedValue(clamped * clamped, false);
        }
      } catch (...) {
        // R2ext stays as it was (PearsonR refuses fewer than two test objects).
      }
    }
    return true;
  });
}

void ExternalValidator::CountExternalCriteria() {
  const ChemoData& d = *data_;
  for (DataResultNode* model = models_->First(); model != nullptr; model = model->Next()) {
    if (model->iSelStatus != 1 && model->iSelStatus != 3) continue;
    int met = 0;
    if (model->cvQ2F1.Value >= d.ldQ2F1Threshold) ++met;
    if (model->cvQ2F2.Value >= d.ldQ2F2Threshold) ++met;
    if (model->cvQ2F3.Value >= d.ldQ2F3Threshold) ++met;
    if (model->cvCCCext.Value >= d.ldCCCextThreshold) ++met;
    if (model->cvR2mAver.Value >= d.ldR2mAverThreshold && model->cvR2mDelta.Value <= d.ldR2mDeltaThreshold) ++met;
    model->ciNExtOK = CheckedIntValue(met, false);
  }
}
