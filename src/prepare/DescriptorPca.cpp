#include "prepare/DescriptorPca.h"

#include "data/ChemoData.h"
#include "numerics/Utils.h"
#include "platform/base/UiServices.h"
#include "prepare/VariableTools.h"

namespace {

bool HasMissing(const ChemoData& data, int32_t var) {
  for (int32_t i = 0; i < data.iObjCount; ++i)
    if (data.tpChemoValuePtr[i][var].Missing) return true;
  return false;
}

bool Refuse(const char* text) {
  Ui().MessageBox(text, "APPLICATION ERROR", MB_OK | MB_ICONERROR);
  return false;
}

// Rows of the matrix with its columns in reverse order.
Matrix Reversed(const Matrix& m) {
  Matrix result(m.Rows(), m.Cols());
  for (int r = 0; r < m.Rows(); ++r)
    for (int c = 0; c < m.Cols(); ++c) result.At(r, c) = m.At(r, m.Cols() - 1 - c);
  return result;
}

}  // namespace

LentSetup::LentSetup(ChemoData& data, const std::vector<int32_t>& status, int32_t response)
    : data_(data), savedStatus_(data.ipTrainingPtr, data.ipTrainingPtr + data.iObjCount),
      savedResponse_(data.iResponseIndex) {
  for (int32_t i = 0; i < data.iObjCount; ++i) data.ipTrainingPtr[i] = status[i];
  data.iResponseIndex = response;
}

LentSetup::~LentSetup() {
  for (int32_t i = 0; i < data_.iObjCount; ++i) data_.ipTrainingPtr[i] = savedStatus_[i];
  data_.iResponseIndex = savedResponse_;
}

std::string VariablePca::ExplainedText(int k) const {
  return FloatToStrF(explained.At(0, Components() - k) * 100.0L, FloatFormat::Fixed, 18, 2);
}

std::string VariablePca::AxisText(int k) const {
  return "PC" + std::to_string(k) + " (EV% = " + ExplainedText(k) + "%)";
}

Matrix VariablePca::LoadingMatrix() const { return Reversed(vectors); }
Matrix VariablePca::ScoreMatrix() const { return Reversed(scores); }

bool ComputeVariablePca(const ChemoData& data, const std::vector<int32_t>& marked, VariablePca& pca) {
  pca.pool.clear();
  pca.objects.clear();
  for (int32_t var : marked)
    if (!HasMissing(data, var)) pca.pool.push_back(var);
  if (pca.pool.size() < 2) return Refuse("Too few selected variables, cannot continue.");
  for (int32_t i = 0; i < data.iObjCount; ++i)
    if (data.iResponseIndex < 0 || data.ipTrainingPtr[i] != kStatusExcluded) pca.objects.push_back(i);
  if (pca.objects.size() < 2) return Refuse("Too few selected objects, cannot continue.");
  ComputePca(data, pca);
  return true;
}

void ComputePca(const ChemoData& data, VariablePca& pca) {
  const int n = static_cast<int>(pca.objects.size());
  const int p = pca.Components();
  Matrix& X = pca.scores;
  X.Allocate(n, p);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < p; ++c) X.At(r, c) = data.tpChemoValuePtr[pca.objects[r]][pca.pool[c]].Value;
  X.Autoscale();
  Matrix R;
  R.Correlation(X);
  R.HouseholderReduce(&pca.vectors);
  R.QLEigen(&pca.vectors);
  X.Multiply(pca.vectors);
  R.SortEigen(&pca.vectors, &X);

  long double sum = 0.0L;
  for (int c = 0; c < p; ++c) sum += R.At(0, c);
  pca.explained.Allocate(1, p);
  for (int c = 0; c < p; ++c) pca.explained.At(0, c) = sum == 0.0L ? 0.0L : CheckedDiv(R.At(0, c), sum);
}

void AppendPcaVariables(ChemoData& data, const VariablePca& pca, const std::string& name) {
  const int p = pca.Components();
  std::vector<std::string> names;
  for (int k = 1; k <= p; ++k)
    names.push_back("PCA-" + std::to_string(k) + "(" + name + ")" + " (EV% = " + pca.ExplainedText(k) + "%)");
  std::vector<int> scoreRow(data.iObjCount, -1);
  for (std::size_t r = 0; r < pca.objects.size(); ++r) scoreRow[pca.objects[r]] = static_cast<int>(r);
  AppendVariables(data, names, [&](int32_t obj, int k) {
    CheckedValue cell;
    if (scoreRow[obj] < 0) return cell.InitMissing();
    return CheckedValue(pca.Score(scoreRow[obj], k + 1), false);
  });
}
