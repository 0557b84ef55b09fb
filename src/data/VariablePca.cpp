#include "data/VariablePca.h"

#include "data/ChemoData.h"
#include "numerics/CorrelationPca.h"
#include "numerics/Utils.h"
#include "platform/base/UiServices.h"

namespace {

// Rows of the matrix with its columns in reverse order.
Matrix Reversed(const Matrix& m) {
  Matrix result(m.Rows(), m.Cols());
  for (int r = 0; r < m.Rows(); ++r)
    for (int c = 0; c < m.Cols(); ++c) result.At(r, c) = m.At(r, m.Cols() - 1 - c);
  return result;
}

}  // namespace

std::string VariablePca::ExplainedText(int k) const {
  return FloatToStrF(explained.At(0, Components() - k) * 100.0L, FloatFormat::Fixed, 18, 2);
}

std::string VariablePca::AxisText(int k) const {
  return "PC" + std::to_string(k) + " (EV% = " + ExplainedText(k) + "%)";
}

Matrix VariablePca::LoadingMatrix() const { return Reversed(vectors); }
Matrix VariablePca::ScoreMatrix() const { return Reversed(scores); }

void ComputePca(const ChemoData& data, VariablePca& pca) {
  const int n = static_cast<int>(pca.objects.size());
  const int p = pca.Components();
  Matrix& X = pca.scores;
  X.Allocate(n, p);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < p; ++c) X.At(r, c) = data.tpChemoValuePtr[pca.objects[r]][pca.pool[c]].Value;
  X.Autoscale();
  PcaComponents components;
  CorrelationPca(X, components);
  pca.vectors.Allocate(p, p);
  pca.vectors = components.vectors;
  pca.explained.Allocate(1, p);
  pca.explained = components.explained;
}

bool PcaHasEnough(const VariablePca& pca) {
  const char* refusal = pca.pool.size() < 2      ? "Too few selected variables, cannot continue."
                        : pca.objects.size() < 2 ? "Too few selected objects, cannot continue."
                                                 : nullptr;
  if (refusal != nullptr) Ui().MessageBox(refusal, "APPLICATION ERROR", MB_OK | MB_ICONERROR);
  return refusal == nullptr;
}
