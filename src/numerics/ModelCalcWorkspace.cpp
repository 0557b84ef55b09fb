#include "numerics/ModelCalcWorkspace.h"

void CorrelationWorkspace::Prepare(int n, int m) {
  PrepareIndex(m);
  deviations.Reshape(n, m);
  scratch.resize(2 * static_cast<std::size_t>(m));
}

void CorrelationWorkspace::PrepareIndex(int m) {
  correlation.Reshape(m, m);
  transformation.Reshape(m, m);
}

void ModelCalcWorkspace::PrepareFit(int n, int p) {
  const int q = p + 1;
  xt.Reshape(q, n);
  xtx.Reshape(q, q);
  solution.Reshape(q, n);
  b.Reshape(q, 1);
  fitted.Reshape(n, 1);
  scaled.Reshape(q, q);
  scratch.resize(2 * static_cast<std::size_t>(q));
}

void ModelCalcWorkspace::PrepareLoo(int n, int p) {
  const int q = p + 1;
  xt.Reshape(q, n);
  g.Reshape(q, q);
  h.Reshape(q, 1);
  predictions.resize(static_cast<std::size_t>(n));
  PrepareRefits(p);
}

void ModelCalcWorkspace::PrepareRefits(int p) {
  const int q = p + 1;
  for (Matrix* square : {&gi, &giInverse, &scaled}) square->Reshape(q, q);
  for (Matrix* column : {&hi, &bi}) column->Reshape(q, 1);
  scratch.resize(2 * static_cast<std::size_t>(q));
}
