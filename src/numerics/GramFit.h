// The least-squares fit of FitModel computed from a cross-product matrix that the
// caller gathers from one made for many models at once.
#pragma once

constexpr int kGramFitMaxCoefficients = 16;

// G = X'X as OlsCoefficients forms it (each entry the sum over the rows in row
// order, from 0, of the products; q x q row by row, q = p + 1 <= 16), the design's
// columns (columns[0] the constant's 1.0s, columns[j] descriptor j; n rows each)
// and the response y. Performs OlsCoefficients' operations in its order (the rank
// test, the LU decomposition of G with row scaling, G^-1 X' column by column by
// forward and back substitution, that times y) and FitModel's after it (the fitted
// values, the residuals checked finite, SSreg), so the results are the same to the
// last bit: true with the coefficients in b (q), the fitted values in fitted (n)
// and SSreg; false where FitModel fails before it takes SStot.
bool FitFromGram(int n, int q, const long double* G, const long double* const* columns, const long double* y,
                 long double* b, long double* fitted, long double& ssReg);
