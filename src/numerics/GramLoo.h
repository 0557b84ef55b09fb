// The leave-one-out PRESS of LooPress computed from a cross-product matrix that the
// caller gathers from one made for many models at once.
#pragma once

constexpr int kGramLooMaxCoefficients = 16;

// G = X'X and h = X'y as LooPress forms them (each entry the sum over the rows in
// row order, from 0, of the products), q = p + 1 <= 16, and the design's columns
// (columns[j][i] is row i's entry j: 1.0, then the p descriptors). Performs
// LooPress's operations in its order on flat arrays (the rank test of each refit
// included, where it could refuse), so PRESS and the predictions are the same to
// the last bit: true with PRESS in press and row i's prediction in loo[i]; false
// where LooPress fails, the predictions from the failing row on then 0 (those
// before it written).
bool LooPressFromGram(int n, int q, const long double* G, const long double* h, const long double* const* columns,
                      const long double* y, long double& press, long double* loo);

// Decides, for the refits of one model, where the rank test of G - x x' provably
// passes, from a bound on the smallest eigenvalue of G scaled to unit diagonal,
// made once, and a bound on the leverage of x, made per row.
class RankTestWaiver {
public:
  // G as for LooPressFromGram; q <= kGramLooMaxCoefficients.
  RankTestWaiver(int q, const long double* G);
  // True only where RequireFullRankRows on G - x x' (rounded as the refit rounds
  // it) cannot refuse; false where that is not certain.
  // Q > 0: q known to the compiler.
  template <int Q = 0>
  bool Waives(const long double* x) const;

private:
  int q_ = 0;
  bool usable_ = false;
  double unitScale_[kGramLooMaxCoefficients] = {};                         // about G_jj^-1/2
  double inverse_[kGramLooMaxCoefficients][kGramLooMaxCoefficients] = {};  // of the scaled G, upper half doubled
  long double slope_ = 0.0L;    // the leverage's error per unit of |z|^2
  long double largest_ = 0.0L;  // the largest leverage bound that waives
};

// LooPressFromGram in two steps, so that ranges of rows can be refitted on
// different threads: Run for ranges that cover the rows, then Sum.
class GramLooRefits {
public:
  // The arguments of LooPressFromGram, kept by address; 1 <= q <= kGramLooMaxCoefficients.
  GramLooRefits(int n, int q, const long double* G, const long double* h, const long double* const* columns,
                const long double* y);
  // Refits rows [from, to), row i's prediction into predictions[i]; returns the
  // first row whose refit faulted, else to.
  int Run(int from, int to, long double* predictions) const;
  // PRESS summed in row order over rows [0, fault), fault being the first row whose
  // refit faulted (n: none); the predictions and the verdict as LooPressFromGram's.
  bool Sum(int fault, long double* predictions, long double& press) const;

private:
  int n_, q_;
  const long double *G_, *h_;
  const long double* const* columns_;
  const long double* y_;
  RankTestWaiver waiver_;
};
