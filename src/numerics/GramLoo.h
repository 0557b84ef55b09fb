// The leave-one-out PRESS of LooPress computed from a cross-product matrix that the
// caller gathers from one made for many models at once.
#pragma once

// G = X'X and h = X'y as LooPress forms them (each entry the sum over the rows in
// row order, from 0, of the products), q = p + 1 <= 16, and the design rows (row i
// holds 1.0 and the p descriptors). Performs LooPress's operations in its order on
// flat arrays (the rank test of each refit included), so PRESS and the predictions
// are the same to the last bit: true
// with PRESS in press and row i's prediction in loo[i] (when loo is given); false
// where LooPress fails (the predictions written before the fault stay).
bool LooPressFromGram(int n, int q, const long double* G, const long double* h, const long double* const* rows,
                      const long double* y, long double& press, long double* loo);

constexpr int kGramLooMaxCoefficients = 16;
