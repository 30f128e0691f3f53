// Dense and banded linear systems, the inverse of a matrix, and the real roots of a cubic.
// Matrices are arrays of row pointers (double**), vectors plain double*; nothing is
// allocated for the caller.
#pragma once

namespace vornex {

// Gaussian elimination with partial pivoting: x = A^-1 b for A of n rows of n.
// error 0 success; 1 singular (a pivot column whose largest entry is <= 1.02e-25; nothing
// is printed: the caller reports it); 2 n < 1 (x untouched). A and b are destroyed: b ends
// as the solution, A as the eliminated upper triangle (partly so after a failure).
void solve_the_linear_system(double** A, double* b, double* x, int n, int& error);

// Gauss-Jordan inversion in place with row pivoting. Returns 0, or 1 when A is singular
// (a pivot <= 1.2e-20 in magnitude, the last one included) or n < 1; after a failure A
// is partly transformed.
int inverse(double** A, int n);

// a x + b y = c, d x + e y = f by Cramer's rule; x = y = 0 when |b d - a e| < 1e-20.
void solve_linear_system2(double a, double b, double c, double d, double e, double f, double& x,
                          double& y);

// Row i: lower[i] x[i-1] + diag[i] x[i] + upper[i] x[i+1] = rhs[i] (Thomas algorithm, no
// pivoting: meant for diagonally dominant systems). Inputs unchanged.
void solve_tridiagonal_system(int n, double* diag, double* upper, double* lower, double* rhs,
                              double* x);

// Row i: lower2[i] x[i-2] + lower1[i] x[i-1] + diag[i] x[i] + upper1[i] x[i+1]
//        + upper2[i] x[i+2] = rhs[i].
// Banded Gaussian elimination on the diagonal pivots, without pivoting, on copies: the
// inputs are unchanged. Works wherever the leading minors are non-zero, a diagonal matrix
// or a zero sub-diagonal included.
void solve_pentadiagonal_system(int n, double* diag, double* upper1, double* upper2, double* lower1,
                                double* lower2, double* rhs, double* x);

// Real roots of a[0] + a[1] x + a[2] x^2 + a[3] x^3 = 0: count = 1 or 3 roots in
// roots[0..count-1], not sorted; a multiple root is repeated. Every formula is taken in a
// form free of cancellation, and coefficients that cancel to within 1e-15 of their terms
// are taken as exactly zero, so double and triple roots come out as such. count = 0 when
// a[3] = 0 (not a cubic).
void degree3(double* a, int& count, double* roots);

}  // namespace vornex
