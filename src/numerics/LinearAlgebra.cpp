#include "numerics/LinearAlgebra.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace vornex {

namespace {

// Row p >= k with the largest |A[p][k]|, the first one on ties.
int pivotRow(double** A, int k, int n) {
    int p = k;
    for (int i = k + 1; i < n; ++i)
        if (std::fabs(A[i][k]) > std::fabs(A[p][k])) p = i;
    return p;
}

}  // namespace

void solve_the_linear_system(double** A, double* b, double* x, int n, int& error) {
    if (n < 1) {
        error = 2;
        return;
    }
    error = 1;
    for (int k = 0; k < n; ++k) {
        int p = pivotRow(A, k, n);
        // A library writes no results of its own: the caller says the failure where its
        // failures go.
        if (std::fabs(A[p][k]) <= 1.02e-25) return;
        if (p != k) {
            for (int j = k; j < n; ++j) std::swap(A[p][j], A[k][j]);
            std::swap(b[p], b[k]);
        }
        double pivot = A[k][k];
        for (int j = k + 1; j < n; ++j) A[k][j] /= pivot;
        b[k] /= pivot;
        for (int i = k + 1; i < n; ++i) {
            double f = A[i][k];
            if (f == 0.0) continue;
            for (int j = k + 1; j < n; ++j) A[i][j] -= f * A[k][j];
            b[i] -= f * b[k];
        }
    }
    for (int k = n - 1; k >= 0; --k)
        for (int j = k + 1; j < n; ++j) b[k] -= A[k][j] * b[j];
    error = 0;
    for (int i = 0; i < n; ++i) x[i] = b[i];
}

int inverse(double** A, int n) {
    if (n < 1) return 1;
    std::vector<int> perm(n);
    for (int i = 0; i < n; ++i) perm[i] = i;
    for (int k = 0; k < n; ++k) {
        int p = pivotRow(A, k, n);
        // The last column has no choice of row, but its pivot can vanish all the same: a
        // singular matrix must not come back as an "inverse" full of infinities.
        if (std::fabs(A[p][k]) <= 1.2e-20) return 1;
        if (p != k) {
            // Elements, not row pointers: the caller's rows may alias one block.
            for (int j = 0; j < n; ++j) std::swap(A[p][j], A[k][j]);
            std::swap(perm[p], perm[k]);
        }
        double piv = A[k][k];
        for (int j = 0; j < n; ++j)
            if (j != k) A[k][j] /= piv;
        for (int i = 0; i < n; ++i) {
            if (i == k) continue;
            double f = A[i][k];
            for (int j = 0; j < n; ++j)
                if (j != k) A[i][j] -= f * A[k][j];
        }
        for (int i = 0; i < n; ++i) A[i][k] = -A[i][k] / piv;
        A[k][k] = 1.0 / piv;
    }
    // Row exchanges of the matrix become column exchanges of its inverse.
    for (int j = 0; j < n; ++j) {
        int p = j;
        while (perm[p] != j) ++p;
        if (p != j) {
            perm[p] = perm[j];
            for (int i = 0; i < n; ++i) std::swap(A[i][p], A[i][j]);
        }
    }
    return 0;
}

void solve_linear_system2(double a, double b, double c, double d, double e, double f, double& x,
                          double& y) {
    double det = b * d - a * e;
    if (std::fabs(det) < 1e-20) {
        x = y = 0.0;
        return;
    }
    x = (b * f - c * e) / det;
    y = (d * c - a * f) / det;
}

void solve_tridiagonal_system(int n, double* diag, double* upper, double* lower, double* rhs,
                              double* x) {
    if (n < 1) return;
    std::vector<double> c(n), d(n);
    c[0] = upper[0] / diag[0];
    d[0] = rhs[0] / diag[0];
    for (int i = 1; i < n; ++i) {
        double m = diag[i] - lower[i] * c[i - 1];
        c[i] = upper[i] / m;
        d[i] = (rhs[i] - lower[i] * d[i - 1]) / m;
    }
    x[n - 1] = d[n - 1];
    for (int i = n - 2; i >= 0; --i) x[i] = d[i] - c[i] * x[i + 1];
}

void solve_pentadiagonal_system(int n, double* diag, double* upper1, double* upper2, double* lower1,
                                double* lower2, double* rhs, double* x) {
    if (n < 1) return;
    // Copies; the entries that would reach past the last column are read as zero.
    std::vector<double> dg(diag, diag + n), u1(n, 0.0), u2(n, 0.0), l1(lower1, lower1 + n),
        l2(lower2, lower2 + n), r(rhs, rhs + n);
    for (int i = 0; i + 1 < n; ++i) u1[i] = upper1[i];
    for (int i = 0; i + 2 < n; ++i) u2[i] = upper2[i];
    // Eliminate the two sub-diagonals below each diagonal pivot; the band keeps its shape.
    for (int k = 0; k + 1 < n; ++k) {
        double f = l1[k + 1] / dg[k];
        dg[k + 1] -= f * u1[k];
        u1[k + 1] -= f * u2[k];
        r[k + 1] -= f * r[k];
        if (k + 2 < n) {
            double g = l2[k + 2] / dg[k];
            l1[k + 2] -= g * u1[k];
            dg[k + 2] -= g * u2[k];
            r[k + 2] -= g * r[k];
        }
    }
    x[n - 1] = r[n - 1] / dg[n - 1];
    if (n > 1) x[n - 2] = (r[n - 2] - u1[n - 2] * x[n - 1]) / dg[n - 2];
    for (int i = n - 3; i >= 0; --i) x[i] = (r[i] - u1[i] * x[i + 1] - u2[i] * x[i + 2]) / dg[i];
}

namespace {

// With roots spread over many decades, D is the difference of terms far larger than itself and
// can come out positive for three real roots. The other two roots are then taken from the
// quadratic left by the one found, r: their sum from whichever of -(b + r) and (c + d/r)/r
// loses the fewer digits, their product -d/r; a plainly positive discriminant adds them.
void realPairBeside(double* roots, double b, double c, double d, int& count) {
    constexpr double eps = 1e-15;
    const double r = roots[0];
    if (r == 0.0 || !std::isfinite(r)) return;
    const double product = -d / r;
    const double sumA = -(b + r), errorA = std::max(std::fabs(b), std::fabs(r));
    const double sumB = (c + d / r) / r,
                 errorB = std::max(std::fabs(c), std::fabs(d / r)) / std::fabs(r);
    const double sum = errorA <= errorB ? sumA : sumB;
    const double sumError = eps * std::min(errorA, errorB);
    const double disc = sum * sum - 4.0 * product;
    const double discError =
        1e3 * eps * (sum * sum + 4.0 * std::fabs(product)) + 2.0 * std::fabs(sum) * sumError;
    if (!(disc > discError)) return;
    // Larger of the pair without cancellation, the smaller from the product.
    const double big = (sum + std::copysign(std::sqrt(disc), sum)) / 2.0;
    if (big == 0.0) return;
    roots[1] = big;
    roots[2] = product / big;
    count = 3;
}

}  // namespace

void degree3(double* a, int& count, double* roots) {
    constexpr double eps = 1e-15;
    if (a[3] == 0.0) {
        count = 0;
        return;
    }
    // x^3 + b x^2 + c x + d = 0, depressed to y^3 + p y + q = 0 with x = y - s.
    const double b = a[2] / a[3], c = a[1] / a[3], d = a[0] / a[3];
    const double s = b / 3.0;
    double p = c - b * b / 3.0;
    double q = d - c * s + 2.0 * s * s * s;

    // p and q are differences of larger terms: below the rounding of those terms they are 0.
    const double pTerms = (b * b / 3.0) * (b * b / 3.0) + c * c;
    const double qTerms = (2.0 * s * s * s) * (2.0 * s * s * s) + d * d + (c * s) * (c * s);
    if (eps * pTerms > p * p) p = 0.0;
    if (eps * qTerms > q * q) q = 0.0;

    double D = q * q / 4.0 + p * p * p / 27.0;
    if (p < 0.0) {
        // Squared rounding error of D from those of p and q; when it beats the error of
        // the expanded form, D is taken from the expansion in b, c, d instead.
        double E = std::exp(std::min(87.0, 4.0 * std::log(std::fabs(p)) + std::log(eps * pTerms) -
                                               std::log(81.0))) +
                   std::exp(std::min(87.0, 2.0 * std::log(std::fabs(q)) + std::log(eps * qTerms) -
                                               std::log(4.0)));
        const double t1 = -b * c * d / 6.0, t2 = d * s * s * s, t3 = -b * b * c * c / 108.0,
                     t4 = c * c * c / 27.0, t5 = d * d / 4.0;
        const double S = eps * (t1 * t1 + t2 * t2 + t3 * t3 + t4 * t4 + t5 * t5);
        if (E >= S) {
            D = t1 + t2 + t3 + t4 + t5;
            E = S;
        }
        if (E > D * D) D = 0.0;
    }

    if (D > 0.0) {
        // One real root: y = -q/t with t in the form free of cancellation for either sign of p.
        const double r = std::cbrt(std::sqrt(D) + std::fabs(q) / 2.0);
        const double t = p >= 0.0 ? r * r + p / 3.0 + p * p / (9.0 * r * r)
                                  : std::fabs(q) * r / (r * r - p / 3.0);
        if (b * q >= 0.0)
            roots[0] = -s - q / t;
        else  // -s and -q/t would cancel: the product of the roots over that of the complex pair
            roots[0] = -d / (s * s + t - s * q / t);
        count = 1;
        realPairBeside(roots, b, c, d, count);
        return;
    }

    // Three real roots (trigonometric form); x0 is the one of largest magnitude.
    const double m = std::sqrt(-p / 3.0);
    const double phi =
        (std::fabs(q) + std::fabs(D) == 0.0) ? 0.0 : std::atan2(q, 2.0 * std::sqrt(-D));
    const double sigma = b > 0.0 ? 1.0 : b < 0.0 ? -1.0 : (q >= 0.0 ? 1.0 : -1.0);
    const double y0 = -2.0 * sigma * m * std::cos(-sigma * phi / 3.0 + 0.5235987755982988);
    double x0 = y0 - s;
    double x1;
    if (b * q > 0.0) {
        const double h = (b * c - d) / 2.0;
        const double k =
            std::copysign(std::fabs(std::sqrt(-27.0 * D) / (2.0 * y0 * y0 - q / y0)), h);
        x1 = h / (q / y0 + 2.0 * y0 * s - 4.0 * s * s) - k;
    } else {
        x1 = 2.0 * m * std::sin(phi / 3.0) - s;
    }
    double x2;
    if (D != 0.0) {
        // From the product of the roots; with x1 = 0 (so d = 0) the product says nothing,
        // and the sum of the pairwise products, x0 x2 = c, gives the third root.
        if (x1 != 0.0)
            x2 = -d / (x0 * x1);
        else
            x2 = x0 != 0.0 ? c / x0 : 0.0;
    } else if (b * q < 0.0) {
        x2 = -d / (x0 * x0);
        x1 = x0;
    } else {
        x2 = x0;
        x0 = x1;
    }
    roots[0] = x0;
    roots[1] = x1;
    roots[2] = x2;
    count = 3;
}

}  // namespace vornex
